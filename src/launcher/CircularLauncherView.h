#pragma once

#include "launcher/RingPainter.h"
#include "launcher/RingScene.h"
#include "ring/ActivationGate.h"
#include "ring/Clock.h"
#include "ring/HoverModel.h"
#include "ring/RingDrag.h"
#include "ring/RingGeometry.h"
#include "ring/RingSearch.h"
#include "store/Types.h"
#include "views/GroupCapsuleClick.h"
#include "views/PaintedAccessible.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppState;
class LauncherChrome;
class LauncherHost;
class RingNotice;

// The whole content of the launcher panel: a translucent themed disc carrying the current list's (or the
// open group's) entries on a circle, the hover label and the drag feedback. The scene (RingScene) holds
// what is shown and moves it; the painter (RingPainter) draws it from cached images. This widget takes
// the events, runs the frame timer, steps back or dismisses, and repaints only what changed, so that
// children over the hole or beside the ring can animate without repainting the disc.
//
// A click on an entry opens a group, or dismisses the launcher and launches the entry 0.16 s later, once
// the panel has started fading. A double click on a group's name renames it, and a single click there
// waits out the double-click interval first. Dragging goes through RingDrag; a click on empty space
// steps back.
//
// By keyboard one entry is selected (drawn as the hovered one; the pointer moving over an entry takes
// the selection): arrows go round the ring, Enter opens as a click does, digits 1-9 open a slot, and
// typed letters find entries by name, members of the ring's groups too (the text shows in the hole, the
// entries that do not match dim). Screen readers see every entry as a child of the view.
class CircularLauncherView : public QWidget, public PaintedItemsSource {
    Q_OBJECT

  public:
    static constexpr int launchDelayMs = 160;

    // host: dismissal, sounds, favicons and the hold-open of editors; nullptr runs without (screenshots,
    // the benchmark). clock: time for the drag logic and the delayed launch; nullptr uses the system clock.
    CircularLauncherView(AppState *state, LauncherHost *host, QWidget *parent = nullptr,
                         Clock *clock = nullptr);
    ~CircularLauncherView() override;

    // One step back: close the manage panel, else the open group, else dismiss. Ignored during a drag.
    void backOrDismiss();
    // Opens or closes the manage side panel.
    void setManage(bool show);
    // The switcher's click: the list's ring replaces this one, and any drag is dropped.
    void switchList(int index);
    // The centre view, the pencil button and the manage panel.
    LauncherChrome &chrome() { return *m_chrome; }
    // "<activeListIndex>-main", or "<activeListIndex>-<open group id>": changes when the ring's content does.
    QString ringIdentity() const;
    QImage icon(const AppItem &item) const { return m_painter.icon(item); }
    QColor tint(const AppItem &item) const;
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
    // The ring's radius ceiling on the launcher's screen; a new one takes effect at once, without animation.
    void setMaxRadius(double radius);
    HoverModel &hoverModel() { return m_hover; }
    const RingPainter &painter() const { return m_painter; }
    const RingDrag &drag() const { return m_drag; }
    // Asks for a new group's name (tests answer it); receives the group id, returns the name or none.
    void setGroupNamePrompt(std::function<std::optional<QString>(const QUuid &)> prompt) {
        m_promptGroupName = std::move(prompt);
    }
    // The entry drawn selected: the one under the pointer or chosen by keyboard.
    std::optional<QUuid> selectedID() const;
    // What Enter opens: the selected entry, or the group member the search text found.
    std::optional<AppItem> enterTarget() const;
    QString searchText() const { return m_search; }
    // Clears the text typed to find entries; false when there was none (Escape then steps back).
    bool clearSearch();

    QList<PaintedItem> accessibleItems() const override;
    void pressAccessibleItem(const QString &key) override;

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
    bool focusNextPrevChild(bool next) override;
    // Input methods: committed text is typed text; the text being composed shows in the hole after it.
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // The keyboard's choice: the ring entry drawn selected, and what Enter opens there (a group member
    // found by name is shown as its group).
    struct KeySelection {
        QUuid ringID;
        AppItem target;
    };
    bool handleKey(const QKeyEvent &event);
    // Tab's stops besides the ring (the switcher or the group header, the pencil), and their keys.
    void setUpKeyboardFocus();
    bool handleCentreKey(const QKeyEvent &event);
    // Menu or Shift+F10: the selected entry's menu at the entry (the first entry's when none is).
    void openSelectedEntryMenu();
    void select(const AppItem &ringItem, const AppItem &target);
    void moveSelection(int step);
    void selectEnd(bool last);
    void setSearch(const QString &text);
    void showSearchText();
    void ringContentChanged();
    void openSlot(int slot);
    void switchListBy(int step);
    void sync();
    void loadFavicon(const AppItem &item);
    void activate(const AppItem &item);
    void handleRelease(const RingRelease &release, QPointF widgetPoint);
    void activateByID(const QUuid &id);
    void renameGroup(const AppItem &group);
    void askGroupName(const QUuid &groupID);
    void updateHover(QPointF widgetPoint);
    void startFrames();
    void frameTick();
    void paintScene(QPainter &painter, std::optional<QRectF> clip);
    // Bounds of what the overlay and the drop slot paint now, in ring coordinates.
    QRectF dragBounds() const;
    // Repaints what the scene reports as changed (nullopt: everything), and what painted live before.
    void markDirty(const std::optional<QRectF> &changed);
    const RingSprite *spriteAt(QPointF widgetPoint) const;
    bool onGroupCapsule(const RingSprite &sprite, QPointF widgetPoint) const;
    QList<AppItem> displayedItems() const;
    // The clamped "launcherScale", and the ring's geometry for it (by default for the stored count).
    double scale() const;
    RingGeometry geometry(std::optional<int> displayedCount = std::nullopt) const;
    void playSound();
    void playSoundIfEnabled();

    AppState *m_state;
    LauncherHost *m_host;
    double m_maxRadius = RingGeometry::defaultMaxRadius;
    std::function<std::optional<QString>(const QUuid &)> m_promptGroupName;
    std::unique_ptr<SystemClock> m_ownClock;
    Clock &m_clock;
    AppStateRingStore m_ringStore;
    RingDrag m_drag;
    ActivationGate m_gate;
    HoverModel m_hover;
    RingScene m_scene;
    RingPainter m_painter;
    QRect m_livePainted; // widget area painted live by the last frame: repainted with the next one
    std::optional<AppItem> m_lifted; // the item of the lifted copy, during a drag and while it fades out
    QPointF m_liftedPoint;

    QTimer m_frameTimer;
    QElapsedTimer m_frameClock;
    QElapsedTimer m_pulseClock;
    std::optional<QUuid> m_pressedID;
    quint64 m_lastDragMoveTime = 0;      // the last motion's own timestamp while an icon is pressed
    std::optional<QPointF> m_emptyPress; // screen position of a press on empty space, for the back step
    GroupCapsuleClick m_capsuleClick;
    std::unique_ptr<LauncherChrome> m_chrome;
    RingNotice *m_notice = nullptr;

    std::optional<KeySelection> m_keySelection;
    QString m_search;
    QString m_preedit;         // an input method's text being composed
    bool m_byKeyboard = false; // a key press is being handled
    QList<RingSearch::Hit> m_hits;
    QSet<QUuid> m_dimmed;     // entries shown that the search text does not find
    QString m_searchIdentity; // the ring the search text was typed on
};
