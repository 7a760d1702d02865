#include "shell/LauncherWindow.h"

#include "favicons/FaviconCache.h"
#include "launcher/CircularLauncherView.h"
#include "launcher/LauncherChrome.h"
#include "panels/AddItemsDialog.h"
#include "panels/ManagePanelView.h"
#include "platform/GlobalHotkey.h"
#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "shell/IlvexPanel.h"
#include "store/AppState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

namespace {
// A tray click this soon after a press outside dismissed the launcher belongs to that press.
constexpr int trayClickAfterPressMs = 600;

// One count of autoDismissSuspenders, given back only to the window it was taken from.
class WindowHold : public LauncherHold {
  public:
    explicit WindowHold(LauncherWindow *window) : m_window(window) { window->suspendAutoDismiss(); }
    ~WindowHold() override {
        if (m_window)
            m_window->resumeAutoDismiss();
    }

  private:
    QPointer<LauncherWindow> m_window;
};
} // namespace

LauncherWindow::LauncherWindow(AppState *state, QObject *parent) : QObject(parent), m_state(state) {
    if (!m_state)
        return;
    // Queued: the store finishes its change before the panel moves.
    connect(m_state, &AppState::activeListChanged, this, &LauncherWindow::followListChange,
            Qt::QueuedConnection);
    connect(&m_state->preferences(), &Preferences::changed, this, [this](Preferences::Key key) {
        if (key == Preferences::Key::launcherScale)
            followScale();
    });
}

LauncherWindow::~LauncherWindow() {
    m_shown = false; // an add dialog going with the panel gives its hold back to no window on screen
    delete m_panel.data();
}

void LauncherWindow::setServices(const ShellServices &services) {
    if (m_services.windows)
        disconnect(m_services.windows, nullptr, this, nullptr);
    m_services = services;
    WindowSystem *windows = services.windows;
    if (!windows)
        return;
    connect(windows, &WindowSystem::pressedOutside, this, [this] {
        if (!m_shown || m_autoDismissSuspenders > 0)
            return;
        m_dismissedByPress.start();
        QTimer::singleShot(0, this, [this] {
            if (m_autoDismissSuspenders < 1)
                hide();
        });
    });
}

// Only some platforms can fade a window; the others would warn on every attempt.
bool LauncherWindow::fadesWindows() const {
    return m_services.windows ? m_services.windows->fadesWindows()
                              : QGuiApplication::platformName() == u"xcb";
}

Placement::Screen LauncherWindow::screenArea(QScreen *screen) const {
    const QRect frame = screen->geometry();
    return {frame, m_services.windows ? m_services.windows->workArea(frame, screen->availableGeometry())
                                      : screen->availableGeometry()};
}

QScreen *LauncherWindow::panelScreen() const {
    return m_panel && m_panel->screen() ? m_panel->screen() : QGuiApplication::primaryScreen();
}

void LauncherWindow::resumeAutoDismiss() {
    m_autoDismissSuspenders = std::max(0, m_autoDismissSuspenders - 1);
    // An editor's dialog took activation, or an outside click was ignored while held: the panel takes
    // activation back, so that the next click outside dismisses again and Escape reaches it.
    if (m_autoDismissSuspenders == 0 && m_shown && m_panel && m_panel->isVisible() &&
        !m_panel->isActiveWindow()) {
        m_panel->raise();
        m_panel->activateWindow();
    }
}

std::unique_ptr<LauncherHold> LauncherWindow::holdOpen() {
    return std::make_unique<WindowHold>(this);
}

FaviconCache *LauncherWindow::faviconCache() {
    // Without site icons links show a globe, and nothing asks the network.
    return m_state && m_state->preferences().showSiteIcons() ? m_services.favicons : nullptr;
}

QWidget *LauncherWindow::createManagePanel(QWidget *parent, double width) {
    return new ManagePanelView(m_state, this, width, parent);
}

void LauncherWindow::playSound() {
    if (m_services.sound)
        m_services.sound->playDone();
}

void LauncherWindow::pick(LauncherAddKind kind) {
    // The dialog takes activation from the panel; that must not dismiss the launcher.
    if (m_state)
        AddItemsDialog::open(*m_state, kind, m_panel, holdOpen());
}

double LauncherWindow::ringOuterRadius() const {
    return m_state ? RingGeometry::forStore(*m_state, m_state->preferences().launcherScale(), m_maxRadius)
                         .outerRadius()
                   : 0;
}

IlvexPanel *LauncherWindow::panel() const {
    return m_panel.data();
}

bool LauncherWindow::isVisible() const {
    return m_panel && m_panel->isVisible();
}

void LauncherWindow::buildPanel() {
    if (m_panel || !m_state)
        return;
    QPointer<LauncherWindow> self(this);
    m_panel = new IlvexPanel([self] { return self ? self->ringOuterRadius() : 0.0; },
                             m_services.windows && m_services.windows->bypassesWindowManager());
    m_view = new CircularLauncherView(m_state, this);
    m_panel->setContent(m_view);
    connect(m_panel, &IlvexPanel::escapePressed, this, [this] {
        // Escape first clears the text typed to find entries, then closes the manage panel, then goes
        // back out of a group or dismisses the launcher.
        if (!m_shown || m_view->clearSearch())
            return;
        if (LauncherChrome &chrome = m_view->chrome(); chrome.showsManage())
            chrome.setManage(false);
        else
            dismissOrBack();
    });
    // Where presses outside the program are reported, they alone dismiss: the focus also moves when
    // the pointer merely passes over another window (focus-follows-mouse managers).
    if (!m_services.windows || !m_services.windows->reportsOutsidePresses()) {
        connect(m_panel, &IlvexPanel::deactivated, this, [this] {
            if (m_shown && m_autoDismissSuspenders < 1)
                hide();
        });
    }
    connect(this, &LauncherWindow::willShow, m_view, &CircularLauncherView::launcherWillShow);
    connect(this, &LauncherWindow::willHide, m_view, &CircularLauncherView::launcherWillHide);
}

void LauncherWindow::prepare() {
    if (m_panel)
        return; // already shown once
    buildPanel();
    if (!m_panel)
        return;
    // The native window, the layout and the view's cached layers exist before the first request.
    const int side =
        qRound(RingGeometry::panelSide(RingGeometry::effectiveScale(m_state->preferences().launcherScale())));
    m_panel->setFixedSize(side, side);
    m_panel->winId();
    m_view->resize(side, side);
    m_view->renderFrame(m_panel->devicePixelRatioF());
}

void LauncherWindow::place(LaunchSource source, QScreen *screen) {
    const double scale = RingGeometry::effectiveScale(m_state->preferences().launcherScale());
    const int side = qRound(RingGeometry::panelSide(scale));
    const Placement::Screen area = screenArea(screen);
    m_maxRadius = Placement::maxRadiusFor(area.workArea.height(), scale);
    m_view->setMaxRadius(m_maxRadius);
    m_panel->setFixedSize(side, side);
    m_panel->move(Placement::launcherRect(source, area, side, ringOuterRadius()).topLeft());
}

void LauncherWindow::fadeTo(double opacity, int durationMs, std::function<void()> done) {
    if (m_fade)
        m_fade->stop();
    delete m_fade.data();
    if (!fadesWindows()) {
        // No fading here: the same timing, without the animation.
        QTimer::singleShot(durationMs, this, std::move(done));
        return;
    }
    auto *fade = new QVariantAnimation(this);
    fade->setStartValue(m_panel->windowOpacity());
    fade->setEndValue(opacity);
    fade->setDuration(durationMs);
    QPointer<IlvexPanel> panel = m_panel;
    connect(fade, &QVariantAnimation::valueChanged, this, [panel](const QVariant &value) {
        if (panel)
            panel->setWindowOpacity(value.toDouble());
    });
    connect(fade, &QVariantAnimation::finished, this, std::move(done));
    m_fade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void LauncherWindow::show(LaunchSource source) {
    buildPanel();
    if (!m_panel)
        return;
    m_lastSource = source;
    m_state->closeSubList();
    m_autoDismissSuspenders = 0;
    Q_EMIT willShow();

    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> frames;
    for (const QScreen *screen : screens)
        frames.append(screen->geometry());
    if (const int at = Placement::screenAt(QCursor::pos(), frames); at >= 0)
        place(source, screens[at]);

    if (m_move)
        m_move->stop();
    // Shown again while it fades out: it fades back in from where it is.
    if (fadesWindows() && !m_panel->isVisible())
        m_panel->setWindowOpacity(0);
    m_shown = true;
    m_panel->show();
    if (fadesWindows())
        m_panel->raise();
    m_panel->activateWindow();
    // What was typed since the hotkey goes to the ring's search.
    if (m_services.hotkey)
        m_services.hotkey->deliverHeldKeys(m_panel->winId());
    if (m_services.windows)
        m_services.windows->launcherShown(m_panel->windowHandle());
    fadeTo(1, fadeInMs, [] {});
}

void LauncherWindow::hide() {
    m_autoDismissSuspenders = 0;
    if (!m_panel || !m_shown)
        return;
    m_shown = false;
    // The keyboard and the focus go back before the fade: what is typed now is for the window beneath.
    if (m_services.windows)
        m_services.windows->launcherHiding(m_panel->windowHandle());
    if (m_services.hotkey)
        m_services.hotkey->releaseHeldKeys();
    Q_EMIT willHide();
    QPointer<LauncherWindow> self(this);
    fadeTo(0, fadeOutMs, [self] {
        if (!self)
            return;
        if (self->m_panel && !self->m_shown)
            self->m_panel->hide();
        if (self->m_state)
            self->m_state->closeSubList();
        Q_EMIT self->hidden();
    });
}

void LauncherWindow::toggle(LaunchSource source) {
    if (isVisible())
        hide();
    else
        show(source);
}

void LauncherWindow::toggleFromTray() {
    if (!m_shown && m_dismissedByPress.isValid() && m_dismissedByPress.elapsed() < trayClickAfterPressMs) {
        m_dismissedByPress.invalidate();
        return;
    }
    toggle();
}

void LauncherWindow::dismissOrBack() {
    // Escape is ignored while an icon is dragged, as it is by the ring itself.
    if (m_autoDismissSuspenders > 0 || !m_state || (m_view && m_view->drag().isDragging()))
        return;
    if (!m_state->openSubListID())
        hide();
    else
        m_state->closeSubList();
}

void LauncherWindow::followScale() {
    if (m_shown && m_panel && m_state) {
        if (QScreen *screen = panelScreen())
            place(m_lastSource, screen);
    }
}

void LauncherWindow::followListChange() {
    if (!m_shown || !isVisible() || m_lastSource != LaunchSource::hotCorner)
        return;
    QScreen *screen = panelScreen();
    if (!screen)
        return;
    const QPoint current = m_panel->pos();
    const QPoint target =
        Placement::clampedOrigin(current, screenArea(screen).workArea, m_panel->size(), ringOuterRadius());
    if (target == current)
        return;
    if (m_move)
        m_move->stop();
    auto *move = new QVariantAnimation(this);
    move->setStartValue(QPointF(current));
    move->setEndValue(QPointF(target));
    move->setDuration(listChangeMoveMs);
    move->setEasingCurve(QEasingCurve::InOutQuad);
    QPointer<IlvexPanel> panel = m_panel;
    connect(move, &QVariantAnimation::valueChanged, this, [panel](const QVariant &value) {
        if (panel)
            panel->move(value.toPointF().toPoint());
    });
    m_move = move;
    move->start(QAbstractAnimation::DeleteWhenStopped);
}
