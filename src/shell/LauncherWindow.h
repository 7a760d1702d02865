#pragma once

#include "launcher/LauncherHost.h"
#include "launcher/Placement.h"
#include "ring/RingGeometry.h"
#include "shell/ShellServices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class AppState;
class CircularLauncherView;
class IlvexPanel;
class QScreen;
class QVariantAnimation;

// The launcher's window: builds the panel on first use and keeps it, places it for every showing, fades
// it in and out and dismisses it on a click elsewhere or on Escape unless an editor inside the launcher
// holds that off. Views reach it only through the LauncherHost interface they are handed.
class LauncherWindow : public QObject, public LauncherHost {
    Q_OBJECT

  public:
    static constexpr int fadeInMs = 180;
    static constexpr int fadeOutMs = 140;
    static constexpr int listChangeMoveMs = 50;

    // state: the store the launcher shows (not owned; without one nothing is shown).
    explicit LauncherWindow(AppState *state, QObject *parent = nullptr);
    ~LauncherWindow() override;

    // The hotkey hands the keys typed since it was pressed to the shown launcher; the window system
    // stacks it and reports presses outside. Neither owned; either may be null.
    void setServices(const ShellServices &services);

    void show(LaunchSource source);
    void hide();
    // While fading out the launcher still counts as visible, so a second toggle hides rather than shows.
    void toggle(LaunchSource source = LaunchSource::centered);
    // A left click on the tray icon. The press of that click already dismissed a shown launcher when the
    // icon is drawn by the tray itself, so the toggle that follows it must not show it again.
    void toggleFromTray();
    // Escape: leaves an open group first, then hides the launcher.
    void dismissOrBack();
    // Builds the launcher and warms what its first frame draws, so that the first showing only shows.
    void prepare();

    // While above zero, outside clicks and Escape do not dismiss the launcher (an editor is open).
    int autoDismissSuspenders() const { return m_autoDismissSuspenders; }
    void suspendAutoDismiss() { ++m_autoDismissSuspenders; }
    void resumeAutoDismiss();

    // LauncherHost
    void dismiss() override { hide(); }
    void pick(LauncherAddKind kind) override;
    std::unique_ptr<LauncherHold> holdOpen() override;
    FaviconCache *faviconCache() override;
    QWidget *createManagePanel(QWidget *parent, double width) override;
    void playSound() override;
    const KeyboardLayout *keyboardLayout() const override { return m_services.keyboard; }

    bool isVisible() const;
    // Shown or fading in; false while it fades out.
    bool isShown() const { return m_shown; }
    IlvexPanel *panel() const;
    CircularLauncherView *view() const { return m_view; }
    // Radius of the ring disc for the store's current content, computed from the store alone.
    double ringOuterRadius() const;

  Q_SIGNALS:
    // Before every showing.
    void willShow();
    // The launcher begins to hide.
    void willHide();
    // The panel is fully hidden again.
    void hidden();

  private:
    void buildPanel();
    // Sizes and places the panel for source on screen, and sets the ring's ceiling for that screen.
    void place(LaunchSource source, QScreen *screen);
    // Moves a hot-corner launcher back inside its screen after the ring changed size.
    void followListChange();
    // A launcher on screen takes a new size at once; a hidden one at its next showing.
    void followScale();
    QScreen *panelScreen() const;
    Placement::Screen screenArea(QScreen *screen) const;
    bool fadesWindows() const;
    void fadeTo(double opacity, int durationMs, std::function<void()> done);

    AppState *m_state;
    ShellServices m_services;
    QPointer<IlvexPanel> m_panel;
    CircularLauncherView *m_view = nullptr;
    double m_maxRadius = RingGeometry::defaultMaxRadius; // the ring's ceiling on the screen last shown on
    QPointer<QVariantAnimation> m_fade;
    QPointer<QVariantAnimation> m_move;
    int m_autoDismissSuspenders = 0;
    bool m_shown = false; // between show and hide (fading in counts, fading out not)
    LaunchSource m_lastSource = LaunchSource::centered;
    QElapsedTimer m_dismissedByPress; // since the last dismissal by a press outside the program
};
