#pragma once

#include "store/Types.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QUuid>

#include <numbers>
#include <optional>

class AppState;

// Every size and position of the launcher ring, derived from the size setting, the number of items and
// the radius ceiling the launcher keeps for the current screen. Positions are offsets from the ring centre,
// x to the right and y downwards, so growing angles run clockwise; slot 0 sits at 9 o'clock.
//
// A RingGeometry is a cheap value: build one whenever the layout is needed (nothing is cached between
// layouts). The ring view, the drag logic and the panel all go through the same constructor, so the ring
// the view paints and the outer radius the panel keeps on screen cannot disagree.
class RingGeometry {
  public:
    static constexpr double ringStartAngle = -std::numbers::pi;
    static constexpr double managePanelWidth = 280;
    static constexpr double defaultMaxRadius = 434;

    struct Inputs {
        double launcherScale = 1.0; // the raw "launcherScale" preference; clamped here
        int storedCount = 0;        // entries of the store's current items: drives the radius
        int displayedCount = 0; // entries drawn (the live drag order, else the stored items): drives angles
        int listCount = 0;
        bool groupOpen = false;
        double maxRadius = defaultMaxRadius;
    };

    struct MergeRadii {
        double capture; // distance that acquires a merge candidate
        double keep;    // distance that holds one (always larger: a hysteresis band)
    };

    // "launcherScale" clamped for every size: 0 or less (or not a number) means 1.0, below 0.8 means 0.8,
    // above 1.4 means 1.4.
    static double effectiveScale(double launcherScale);
    static double iconSize(double scale) { return 87 * scale; }
    static double panelSide(double scale) { return 1007 * scale + 60 * scale; }
    // Angle of slot index among count slots (count below 1 counts as 1).
    static double slotAngle(int index, int count);

    explicit RingGeometry(const Inputs &inputs);
    // The ring of the store's current content at the raw size setting launcherScale, under the radius
    // ceiling the launcher keeps for its screen. displayedCount defaults to the stored count (no drag).
    static RingGeometry forStore(const AppState &state, double launcherScale,
                                 double maxRadius = defaultMaxRadius,
                                 std::optional<int> displayedCount = std::nullopt);

    double scale() const { return m_scale; }
    double iconSize() const { return iconSize(m_scale); }
    double panelSide() const { return panelSide(m_scale); }
    double radius() const { return m_radius; }
    double ringDiameter() const { return 2 * outerRadius(); }
    // Radius of the ring disc: the icon circle plus half an icon plus a margin. The panel uses this to
    // keep the ring on screen and to tell a click on the ring from one on the empty corners.
    double outerRadius() const;
    double holeDiameter() const;
    int displayedCount() const { return m_displayedCount; }

    double slotAngle(int index) const { return slotAngle(index, m_displayedCount); }
    QPointF pointOnRing(double angle) const;
    QPointF iconPosition(int index) const { return pointOnRing(slotAngle(index)); }
    // Centre of every item of the displayed order, by id; an id that occurs twice keeps its later slot.
    QHash<QUuid, QPointF> iconPositionsByID(const QList<AppItem> &displayedOrder) const;
    MergeRadii mergeRadii() const;
    // Reach of a group icon as a drop target.
    double groupDropRadius() const { return 0.9 * iconSize(); }
    // Horizontal offset of the manage side panel's centre from the ring centre: 16 points clear of the
    // ring when there is room, else as far left as the panel frame allows (6 points inside it).
    double manageOffsetX() const;

  private:
    double m_scale;
    double m_radius;
    int m_displayedCount;
};
