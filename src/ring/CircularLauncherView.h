#pragma once

#include "ring/Clock.h"
#include "ring/DraggingIconOverlay.h"
#include "ring/HoverLabelView.h"
#include "ring/HoverModel.h"
#include "ring/RingDrag.h"
#include "store/Types.h"
#include "views/Spring.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppState;

// The whole content of the launcher panel: a translucent themed disc carrying the current list's (or the
// open group's) entries on a circle, the hover label and the drag feedback. It is one custom-painted
// widget: each entry is a small piece of scene state (position, hover and drop-target emphasis, opacity)
// moved by springs, and hit testing is done here. What does not change from frame to frame (the disc
// with its blurred shadows, each entry's image, the label capsule) is rendered once into images keyed by
// what it depends on, so an animation frame is mostly blits.
//
// A click on an entry opens a group, or dismisses the launcher and launches the entry 0.16 s later, once
// the panel has started fading. Dragging goes through RingDrag; a click on empty space steps back.
class CircularLauncherView : public QWidget {
    Q_OBJECT

public:
    static constexpr int launchDelayMs = 160;

    CircularLauncherView(AppState *state, std::function<void()> onDismiss, QWidget *parent = nullptr);
    ~CircularLauncherView() override;

    // One step back: close the open group, else dismiss. Ignored during a drag.
    void backOrDismiss();
    // "<activeListIndex>-main", or "<activeListIndex>-<open group id>": changes when the ring's content does.
    QString ringIdentity() const;
    QImage icon(const AppItem &item) const;
    QColor tint(const AppItem &item) const;
    QList<MoveDestination> moveDestinations(const std::optional<QUuid> &excludingGroup,
                                            const std::optional<QUuid> &excludingList) const;
    QList<MoveDestination> ringMoveDestinations(const AppItem &item) const;
    void moveItem(const AppItem &item, const MoveDestination &destination);
    void removeItem(const AppItem &item);

    // Ends every animation at its target: for screenshots and tests.
    void finishAnimations();
    // The entry whose frame holds a widget point; the dragged entry never counts.
    std::optional<QUuid> itemAt(QPointF widgetPoint) const;
    // Where an entry's image is centred now, in widget coordinates.
    std::optional<QPointF> itemCentre(const QUuid &id) const;
    QPointF ringCentre() const { return {width() / 2.0, height() / 2.0}; }
    HoverModel &hoverModel() { return m_hover; }
    const RingDrag &drag() const { return m_drag; }
    // Replaces the drop and click sound (tests count it).
    void setSoundPlayer(std::function<void()> play) { m_playSound = std::move(play); }
    // Asks for a new group's name (tests answer it); receives the group id, returns the name or none.
    void setGroupNamePrompt(std::function<std::optional<QString>(const QUuid &)> prompt) {
        m_promptGroupName = std::move(prompt);
    }
    // Paints one full frame into an image of the widget's size: screenshots and the benchmark.
    QImage renderFrame(qreal devicePixelRatio = 1.0);

public Q_SLOTS:
    // The shell is about to show the launcher.
    void launcherWillShow();

Q_SIGNALS:
    // An entry is about to be launched (after the dismissal delay).
    void launching(const QUuid &itemID);
    void framePainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    struct Sprite;
    struct Layer;
    struct DiscLook;

    void sync();
    void activate(const AppItem &item);
    void handleRelease(const RingRelease &release);
    void askGroupName(const QUuid &groupID);
    void updateHover(QPointF widgetPoint);
    void startFrames();
    void frameTick();
    bool stepAnimations(double dt);
    void paintScene(QPainter &painter);
    void paintDisc(QPainter &painter);
    void paintDropSlot(QPainter &painter);
    void paintLayer(QPainter &painter, const Layer &layer, qreal dpr);
    QImage discImage(const DiscLook &look, qreal dpr);
    const Sprite *spriteAt(QPointF widgetPoint) const;
    QList<AppItem> displayedItems() const;
    void playSound();

    AppState *m_state;
    std::function<void()> m_onDismiss;
    std::function<void()> m_playSound;
    std::function<std::optional<QString>(const QUuid &)> m_promptGroupName;
    SystemClock m_clock;
    AppStateRingStore m_ringStore;
    RingDrag m_drag;
    HoverModel m_hover;
    HoverLabelView m_label;
    DraggingIconOverlay m_overlay;
    QHash<QUuid, QImage> m_favicons; // loaded favicons of link entries, by entry id

    std::unique_ptr<Layer> m_layer;
    std::unique_ptr<Layer> m_leaving;
    Spring m_radius{0.3, 0.75};
    Spring m_dragAppear{0.22, 0.825};
    std::unique_ptr<DiscLook> m_discLook;
    QImage m_disc, m_discBefore;  // the disc now, and the one it is cross-fading from
    double m_themeProgress = 1;   // 0..1 along the colour change
    double m_themeSeconds = 0.35; // duration of the running colour change
    int m_lastListIndex = -1;

    QTimer m_frameTimer;
    QElapsedTimer m_frameClock;
    QElapsedTimer m_pulseClock;
    std::optional<QUuid> m_pressedID;
    std::optional<QPointF> m_emptyPress; // a press on empty space, for the back step on release
};
