#pragma once

#include "launcher/LauncherHost.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QUrl>

class AboutView;
class AppState;
class CircularLauncherView;
class GlobalHotkey;
class HotCorner;
class IlvexPanel;
class LoginItem;
class QMessageBox;
class QScreen;
class QVariantAnimation;
class SettingsWindow;
class StatusItem;
class UpdateChecker;
class WindowSystem;
class Workspace;

// The desktop facilities the shell's presence uses (not owned; any may be missing).
struct ShellServices {
    GlobalHotkey *hotkey = nullptr;
    LoginItem *loginItem = nullptr;
    Workspace *workspace = nullptr;  // opens the feedback mail
    WindowSystem *windows = nullptr; // how the launcher's window stands among the others; none offscreen
    // Site icons for links; none in a build without them.
    FaviconCache *favicons = nullptr;
};

// Where the launcher was summoned from: centred on the pointer's screen, or at the hot corner.
enum class LaunchSource { centered, hotCorner };

// The application shell: builds the launcher panel on first use and keeps it, places it for every
// showing, fades it in and out and dismisses it on a click elsewhere or on Escape unless an editor inside
// the launcher holds that off. Views reach it only through the LauncherHost interface they are handed.
class AppDelegate : public QObject, public LauncherHost {
    Q_OBJECT

  public:
    static constexpr int fadeInMs = 180;
    static constexpr int fadeOutMs = 140;
    static constexpr int listChangeMoveMs = 50;

    // state: the store the launcher shows (not owned); nullptr means AppState::shared().
    explicit AppDelegate(AppState *state = nullptr, QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *shared();

    // While above zero, outside clicks and Escape do not dismiss the launcher (an editor is open).
    int autoDismissSuspenders() const { return m_autoDismissSuspenders; }
    void suspendAutoDismiss() { ++m_autoDismissSuspenders; }
    void resumeAutoDismiss();

    void showLauncher(LaunchSource source);
    void hideLauncher();
    void toggleLauncher();
    // A left click on the tray icon. The press of that click already dismissed a shown launcher when the
    // icon is drawn by the tray itself, so the toggle that follows it must not show it again.
    void toggleFromTray();
    // Escape: leaves an open group first, then hides the launcher.
    void dismissOrBack();
    void launcherPick(LauncherAddKind kind);

    // LauncherHost
    void dismiss() override { hideLauncher(); }
    void pick(LauncherAddKind kind) override { launcherPick(kind); }
    std::unique_ptr<LauncherHold> holdOpen() override;
    FaviconCache *faviconCache() override;
    void playSound() override;
    QWidget *createManagePanel(QWidget *parent, double width) override;
    // Moves a hot-corner launcher back inside its screen after the ring changed size.
    void adjustPanelForListChange();

    // Radius of the ring disc for the store's current content, computed from the store alone.
    double currentRingOuterRadius() const;
    // The origin that keeps a ring of outerRadius, centred in a panel of panelSize, inside visibleFrame;
    // the panel's transparent margin may reach past the edges.
    static QPointF clampedOrigin(QPointF origin, const QRectF &visibleFrame, QSizeF panelSize,
                                 double outerRadius);
    // The ceiling of the ring radius for a screen whose available height is availableHeight.
    static double maxRadiusFor(double availableHeight, double scale);
    // Where a panel of side panelSide goes when summoned from source: centred on the whole screen, or at
    // the hot corner with the ring (of outerRadius) touching the screen's right edge and the top of
    // the available area.
    static QPointF placement(LaunchSource source, const QRectF &screenFrame, const QRectF &visibleFrame,
                             double panelSide, double outerRadius);

    // Presence: the start-up sequence after the store exists, then the pieces it sets up.
    void setServices(const ShellServices &services);
    void applicationDidFinishLaunching();
    void registerHotkey();
    void startHotCorner();
    // The "hotCornerEnabled" preference changed: the corner arms and polls only while it is on.
    void setHotCornerEnabled(bool enabled);
    void setMenuBarVisible(bool visible);
    // The desktop entry's "Show in menu bar" action: flips "showInMenuBar" and the tray icon with it.
    void toggleMenuBarFromDock();
    void syncLoginItem();
    // Builds the launcher and warms what its first frame draws, so that the first showing only shows.
    void prepareLauncher();
    // The settings and About windows, each created on first use and reused (AppDelegateWindows.cpp).
    void openSettings();
    void openAbout();
    SettingsWindow *settingsWindow() const;
    AboutView *aboutWindow() const;
    // Updates: the checker (not owned) serves the tray menu's two items; its results show as alerts.
    void setUpdateChecker(UpdateChecker *checker);
    UpdateChecker *updateChecker() const;
    void checkForUpdates();
    // The alert of the last update check or offer, while it shows.
    QMessageBox *updateAlert() const;
    void sendFeedback();
    void quitApp();
    static QUrl feedbackUrl();
    // "Hide Dock icon": whether Ilvex's own windows appear in the taskbar and window switcher.
    bool showsInTaskbar() const { return m_showsInTaskbar; }
    StatusItem *statusItem() const { return m_statusItem; }
    HotCorner *hotCorner() const { return m_hotCorner; }

    bool isLauncherVisible() const;
    // Shown or fading in; false while it fades out.
    bool isLauncherShown() const { return m_shown; }
    IlvexPanel *panel() const;
    CircularLauncherView *launcherView() const { return m_view; }
    LaunchSource lastLaunchSource() const { return m_lastLaunchSource; }

  Q_SIGNALS:
    // Posted before every showing of the launcher.
    void launcherWillShow();
    // The launcher begins to hide.
    void launcherWillHide();
    // The panel is fully hidden again.
    void launcherHidden();
    // Alt+Z was pressed; the toggle follows.
    void hotkeyPressed();
    // The tray icon is in a tray.
    void trayReady();

  private:
    void buildPanel();
    QScreen *pointerScreen() const;
    // The part of the screen that panels and docks leave free.
    QRect visibleFrame(QScreen *screen) const;
    bool fadesWindows() const;
    void fadeTo(double opacity, int durationMs, std::function<void()> done);
    void followPreference(int key);
    void setShowsInTaskbar(bool shows);
    void applyLauncherScale();

    AppState *m_state;
    QPointer<IlvexPanel> m_panel;
    CircularLauncherView *m_view = nullptr;
    QPointer<QVariantAnimation> m_fade;
    QPointer<QVariantAnimation> m_move;
    int m_autoDismissSuspenders = 0;
    bool m_shown = false; // between showLauncher and hideLauncher (fading in counts, fading out not)
    LaunchSource m_lastLaunchSource = LaunchSource::centered;
    QElapsedTimer m_dismissedByPress; // since the last dismissal by a press outside the program

    ShellServices m_services;
    StatusItem *m_statusItem = nullptr;
    HotCorner *m_hotCorner = nullptr;
    bool m_showsInTaskbar = false;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<AboutView> m_aboutWindow;
    QPointer<UpdateChecker> m_updater;
    QPointer<QMessageBox> m_updateAlert;
};
