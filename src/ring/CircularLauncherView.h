#pragma once

#include "ring/ActivationGate.h"
#include "ring/Clock.h"
#include "ring/DraggingIconOverlay.h"
#include "ring/HoverLabelView.h"
#include "ring/HoverModel.h"
#include "ring/RingDrag.h"
#include "store/Types.h"
#include "views/GroupCapsuleClick.h"
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
// the panel has started fading. A double click on a group's name renames it, and a single click there
// waits out the double-click interval first. Dragging goes through RingDrag; a click on empty space
// steps back.
class CircularLauncherView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int launchDelayMs = 160;

    // clock: time for the drag logic and the delayed launch; nullptr uses the system clock.
    CircularLauncherView(AppState *state, std::function<void()> onDismiss, QWidget *parent = nullptr,
                         Clock *clock = nullptr);
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
    // Moves every animation on by the given time, as the frame timer does: for tests and the benchmark.
    void advanceAnimations(double seconds);
    // The entry whose frame holds a widget point; the dragged entry never counts.
    std::optional<QUuid> itemAt(QPointF widgetPoint) const;
    // Where an entry's image is centred now, in widget coordinates.
    std::optional<QPointF> itemCentre(const QUuid &id) const;
    QPointF ringCentre() const { return {width() / 2.0, height() / 2.0}; }
    HoverModel &hoverModel() { return m_hover; }
    const RingDrag &drag() const { return m_drag; }
    // Replaces the sound played on a launch, a group opening and a drop; it is asked for only when the
    // "launcherSoundsEnabled" preference allows (tests count the requests).
    void setSoundPlayer(std::function<void()> play) { m_playSound = std::move(play); }
    // Asks for a new group's name (tests answer it); receives the group id, returns the name or none.
    void setGroupNamePrompt(std::function<std::optional<QString>(const QUuid &)> prompt) {
        m_promptGroupName = std::move(prompt);
    }
    // Paints one full frame into an image of the widget's size: screenshots and the benchmark.
    QImage renderFrame(qreal devicePixelRatio = 1.0);
    // Paints one frame onto a device of the widget's size that has been cleared to transparent (the disc
    // is copied, not blended, onto it).
    void paintFrame(QPainter &painter);

  public Q_SLOTS:
    // The shell is about to show the launcher.
    void launcherWillShow();
    // The shell has begun hiding the launcher: clicks act no more until the next showing.
    void launcherWillHide();

  Q_SIGNALS:
    // An entry is about to be launched (after the dismissal delay).
    void launching(const QUuid &itemID);
    void framePainted();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    struct Sprite;
    struct Layer;
    struct DiscLook;
    struct Tile;

    void sync();
    void activate(const AppItem &item);
    void handleRelease(const RingRelease &release, QPointF widgetPoint);
    void activateByID(const QUuid &id);
    void renameGroup(const AppItem &group);
    void askGroupName(const QUuid &groupID);
    void updateHover(QPointF widgetPoint);
    void startFrames();
    void frameTick();
    bool stepAnimations(double dt);
    void paintScene(QPainter &painter, bool deviceCleared);
    void paintDisc(QPainter &painter, bool deviceCleared);
    void paintDropSlot(QPainter &painter);
    void paintLayer(QPainter &painter, const Layer &layer, qreal dpr);
    const Tile &tile(const AppItem &item, const QString &key, double iconSize, const QColor &subListTint,
                     qreal dpr);
    QString tileKey(const AppItem &item, double iconSize, const QColor &subListTint) const;
    QImage discImage(const DiscLook &look, qreal dpr);
    QPixmap dropSlotImage(double diameter, const QColor &primary, qreal dpr);
    const Sprite *spriteAt(QPointF widgetPoint) const;
    // The sprite's frame (its hit area) in ring coordinates, at the current scale.
    QRectF entryFrame(const Sprite &sprite) const;
    bool onGroupCapsule(const Sprite &sprite, QPointF widgetPoint) const;
    QList<AppItem> displayedItems() const;
    void playSoundIfEnabled();

    AppState *m_state;
    std::function<void()> m_onDismiss;
    std::function<void()> m_playSound;
    std::function<std::optional<QString>(const QUuid &)> m_promptGroupName;
    std::unique_ptr<SystemClock> m_ownClock;
    Clock &m_clock;
    AppStateRingStore m_ringStore;
    RingDrag m_drag;
    ActivationGate m_gate;
    HoverModel m_hover;
    HoverLabelView m_label;
    DraggingIconOverlay m_overlay;
    std::optional<AppItem> m_lifted; // the item of the lifted copy, during a drag and while it fades out
    QPointF m_liftedPoint;
    QHash<QUuid, QImage> m_favicons; // loaded favicons of link entries, by entry id
    // Each resting entry drawn once (shadow, image, tint, name capsule), by everything it depends on.
    QHash<QString, std::shared_ptr<Tile>> m_tiles;
    mutable QHash<QString, QImage> m_icons; // icon(for:) by look, so the dragged copy keeps its caches
    QPixmap m_dropSlot;
    QString m_dropSlotKey;

    std::unique_ptr<Layer> m_layer;
    std::unique_ptr<Layer> m_leaving;
    Spring m_radius{0.3, 0.75};
    Spring m_dragAppear{0.22, 0.825};
    std::unique_ptr<DiscLook> m_discLook;
    QPixmap m_disc, m_discBefore; // the disc now, and the one it is cross-fading from
    double m_themeProgress = 1;   // 0..1 along the colour change
    double m_themeSeconds = 0.35; // duration of the running colour change
    int m_lastListIndex = -1;

    QTimer m_frameTimer;
    QElapsedTimer m_frameClock;
    QElapsedTimer m_pulseClock;
    std::optional<QUuid> m_pressedID;
    std::optional<QPointF> m_emptyPress; // screen position of a press on empty space, for the back step
    GroupCapsuleClick m_capsuleClick;
};
