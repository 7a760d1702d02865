#pragma once

#include "launcher/HoverLabelView.h"
#include "store/Types.h"
#include "views/Spring.h"

#include <QHash>
#include <QList>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class RingGeometry;

// One entry on the ring: where it is drawn, moved by springs.
struct RingSprite {
    AppItem item;
    QString tileKey; // its resting look, in the painter's tiles
    Spring x{0.26, 0.72};
    Spring y{0.26, 0.72};
    Spring hover{0.18, 0.65};
    Spring drop{0.16, 0.6};
    double opacity = 1;       // 0 while the entry is the one being dragged (the overlay shows it), dimmed
                              // while it does not match the search text
    double opacityTarget = 1; // eased over 0.08 s

    bool isMoving() const;
    // Drawn afresh every frame rather than blitted from its tile: hovered or a drop target.
    bool isLive() const;
};

// One ring's content (a list or an open group). Switching content lets the old layer shrink and fade
// while the new one grows in.
struct RingLayer {
    QString identity;
    QList<QUuid> order;
    QHash<QUuid, RingSprite> sprites;
    Spring presence{0.32, 0.78};
};

// What the ring shows at one moment, without a widget: the entries of the current layer (and of the one
// fading out), the springs that move them, the disc's radius and colour change, the hover label, and
// hit testing. Positions are in ring coordinates (origin at the ring centre).
class RingScene {
  public:
    struct Inputs {
        QList<AppItem> items; // in displayed order
        const RingGeometry *geometry = nullptr;
        QString identity; // changes when the ring's content does
        int listIndex = 0;
        std::optional<QUuid> dragging, dropTargetGroup, dropTargetItem;
        std::optional<QUuid> hovered;
        std::optional<QString> hoverName;
        bool dragActive = false;
        QSet<QUuid> dimmed; // entries that do not match the search text
        std::function<QString(const AppItem &)> tileKey;
        QRectF labelAvoids; // ring-relative: where the hover label must not go (the manage panel)
    };

    RingScene();
    ~RingScene();

    // Takes new targets; returns true when something changed at once rather than by animation (a new
    // ring, entries that came or went, an entry's look).
    bool sync(const Inputs &inputs);
    // Moves every animation on by dt seconds; returns true while anything still moves. dirty receives
    // the ring-coordinate bounds of what moved, or is set to null when the whole ring changes.
    bool step(double dt, std::optional<QRectF> *dirty = nullptr);
    void finish();
    // Jumps every entry and the radius to their targets (the ring takes a new size at once).
    void snapToTargets();
    void startThemeChange() { m_themeProgress = 0; }

    const RingLayer &layer() const { return *m_layer; }
    const RingLayer *leaving() const { return m_leaving.get(); }
    const Spring &radius() const { return m_radius; }
    Spring &dragAppear() { return m_dragAppear; }
    const Spring &dragAppear() const { return m_dragAppear; }
    double themeProgress() const { return m_themeProgress; }
    HoverLabelView &label() { return m_label; }
    const HoverLabelView &label() const { return m_label; }
    double iconSize() const { return m_iconSize; }
    // Tile keys of every entry shown, fading ones included.
    QSet<QString> usedTileKeys() const;

    // The entry's frame (its hit area), at the current scale.
    QRectF entryFrame(const RingSprite &sprite) const;
    // Everything an entry may paint, its hover and drop growth and its shadow included.
    QRectF paintBounds(const RingSprite &sprite) const;
    // The topmost entry whose frame holds the point; skip never counts.
    const RingSprite *spriteAt(QPointF ringPoint, const std::optional<QUuid> &skip) const;
    const RingSprite *sprite(const QUuid &id) const;
    // Bounds of what a frame paints afresh even at rest: entries drawn live and the hover label.
    QRectF liveBounds() const;
    // True while the disc or a whole layer changes: nothing short of a full repaint will do.
    bool wholeRingMoves() const;

  private:
    std::unique_ptr<RingLayer> m_layer;
    std::unique_ptr<RingLayer> m_leaving;
    Spring m_radius{0.3, 0.75};
    Spring m_dragAppear{0.22, 0.825};
    double m_themeProgress = 1;   // 0..1 along the colour change
    double m_themeSeconds = 0.35; // duration of the running colour change
    int m_lastListIndex = -1;
    double m_iconSize = 87;
    HoverLabelView m_label;
};
