#pragma once

#include "views/Spring.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class AppState;
class HoleOverlay;
class LauncherHold;
class LauncherHost;
class ManageButton;
class RingGeometry;
class QGraphicsOpacityEffect;
class QWidget;

// The ring view's children, which animate without repainting the disc: the overlay masked to the hole,
// the pencil button beside it and the manage side panel that slides in left of the ring. The host builds
// the panel; the panel asks to go by closing itself, and slides out. While the panel shows, the launcher
// is held open (a click outside does nothing).
class LauncherChrome : public QObject {
    Q_OBJECT

  public:
    static constexpr double managePanelWidth = 280;
    // A property of the ring widget where the manage panel keeps what was typed into its open form when
    // it closes without adding or cancelling (Escape, the close button), for the next opening of that form.
    // Every showing forgets it.
    static constexpr const char *manageDraftProperty = "ilvexManageDraft";
    LauncherChrome(QWidget *ring, AppState *state, LauncherHost *host);
    ~LauncherChrome() override;

    // Places the children for the ring at rest and for whether an entry is being dragged.
    void layout(const RingGeometry &geometry, bool dragging);

    bool showsManage() const { return m_showManage; }
    // Opens or closes the manage panel (sliding); opening holds the launcher open, closing lets go.
    void setManage(bool show);
    // The launcher is about to show: the panel goes at once.
    void closeManageAtOnce();

    HoleOverlay *hole() const { return m_hole; }
    QWidget *manageButton() const;
    QWidget *managePanel() const { return m_panel; }
    // Moves the slide and the button's fade on, as the frame timer does.
    void advance(double seconds);
    void finishAnimations();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void place();
    void tick();
    void startFrames();

    QWidget *m_ring;
    LauncherHost *m_host;
    HoleOverlay *m_hole;
    ManageButton *m_button;
    QPointer<QWidget> m_panel;
    QGraphicsOpacityEffect *m_panelFade = nullptr;
    std::unique_ptr<LauncherHold> m_hold;
    bool m_showManage = false;
    bool m_dragging = false;
    Spring m_slide{0.28, 0.82};
    double m_buttonShown = 1;
    double m_manageOffsetX = 0;
    double m_buttonOffsetX = 0;
    QTimer m_frames;
    QElapsedTimer m_frameClock;
};
