#include "shell/AppDelegate.h"

#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "launcher/CircularLauncherView.h"
#include "launcher/LauncherChrome.h"
#include "panels/ApplicationPicker.h"
#include "panels/ManagePanelView.h"
#include "platform/GlobalHotkey.h"
#include "platform/WindowSystem.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "shell/IlvexPanel.h"
#include "shell/LauncherSound.h"
#include "store/AppState.h"

#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVariantAnimation>

namespace {
QPointer<AppDelegate> sharedDelegate;
// A tray click this soon after a press outside dismissed the launcher belongs to that press.
constexpr int trayClickAfterPressMs = 600;
} // namespace

AppDelegate::AppDelegate(AppState *state, QObject *parent)
    : QObject(parent), m_state(state ? state : AppState::shared()) {
    sharedDelegate = this;
    if (m_state) {
        // Queued: the store finishes its change before the panel moves.
        connect(m_state, &AppState::activeListChanged, this, &AppDelegate::adjustPanelForListChange,
                Qt::QueuedConnection);
    }
}

AppDelegate::~AppDelegate() {
    if (m_services.hotkey)
        m_services.hotkey->unregisterHotkey();
    delete m_panel.data();
}

void AppDelegate::setServices(const ShellServices &services) {
    if (m_services.windows)
        disconnect(m_services.windows, nullptr, this, nullptr);
    m_services = services;
    if (WindowSystem *windows = m_services.windows) {
        connect(windows, &WindowSystem::pressedOutside, this, [this] {
            if (!m_shown || m_autoDismissSuspenders > 0)
                return;
            m_dismissedByPress.start();
            QTimer::singleShot(0, this, [this] {
                if (m_autoDismissSuspenders < 1)
                    hideLauncher();
            });
        });
    }
}

// Only some platforms can fade a window; the others would warn on every attempt.
bool AppDelegate::fadesWindows() const {
    return m_services.windows ? m_services.windows->fadesWindows()
                              : QGuiApplication::platformName() == u"xcb";
}

QRect AppDelegate::visibleFrame(QScreen *screen) const {
    return m_services.windows ? m_services.windows->workArea(screen->geometry(), screen->availableGeometry())
                              : screen->availableGeometry();
}

AppDelegate *AppDelegate::shared() {
    return sharedDelegate.data();
}

namespace {
// One count of autoDismissSuspenders, given back only to the shell it was taken from.
class ShellHold : public LauncherHold {
  public:
    explicit ShellHold(AppDelegate *shell) : m_shell(shell) { shell->suspendAutoDismiss(); }
    ~ShellHold() override {
        if (m_shell)
            m_shell->resumeAutoDismiss();
    }

  private:
    QPointer<AppDelegate> m_shell;
};
} // namespace

void AppDelegate::resumeAutoDismiss() {
    m_autoDismissSuspenders = std::max(0, m_autoDismissSuspenders - 1);
    // An editor's dialog took activation, or an outside click was ignored while held: the panel takes
    // activation back, so that the next click outside dismisses again and Escape reaches it.
    if (m_autoDismissSuspenders == 0 && m_shown && m_panel && m_panel->isVisible() &&
        !m_panel->isActiveWindow()) {
        m_panel->raise();
        m_panel->activateWindow();
    }
}

std::unique_ptr<LauncherHold> AppDelegate::holdOpen() {
    return std::make_unique<ShellHold>(this);
}

FaviconCache *AppDelegate::faviconCache() {
    // Without site icons links show a globe, and nothing asks the network.
    return m_state && m_state->preferences().showSiteIcons() ? m_services.favicons : nullptr;
}

void AppDelegate::playSound() {
    LauncherSound::play();
}

QWidget *AppDelegate::createManagePanel(QWidget *parent, double width) {
    return new ManagePanelView(m_state, this, width, parent);
}

double AppDelegate::currentRingOuterRadius() const {
    return m_state ? RingGeometry::forStore(*m_state, m_state->preferences().launcherScale()).outerRadius()
                   : 0;
}

double AppDelegate::maxRadiusFor(double availableHeight, double scale) {
    const double halfIcon = RingGeometry::iconSize(scale) / 2;
    return std::min(std::max(availableHeight / 2 - (26 * scale + halfIcon) - 8, 178 * scale), 434 * scale);
}

QPointF AppDelegate::clampedOrigin(QPointF origin, const QRectF &visibleFrame, QSizeF panelSize,
                                   double outerRadius) {
    auto clampAxis = [](double centre, double low, double high, double mid) {
        return low <= high ? std::min(std::max(centre, low), high) : mid;
    };
    const QPointF vfCentre = visibleFrame.center();
    const double cx = clampAxis(origin.x() + panelSize.width() / 2, visibleFrame.left() + outerRadius,
                                visibleFrame.right() - outerRadius, vfCentre.x());
    const double cy = clampAxis(origin.y() + panelSize.height() / 2, visibleFrame.top() + outerRadius,
                                visibleFrame.bottom() - outerRadius, vfCentre.y());
    return {cx - panelSize.width() / 2, cy - panelSize.height() / 2};
}

QPointF AppDelegate::placement(LaunchSource source, const QRectF &screenFrame, const QRectF &visibleFrame,
                               double panelSide, double outerRadius) {
    if (source == LaunchSource::hotCorner)
        return {screenFrame.x() + screenFrame.width() - outerRadius - panelSide / 2,
                visibleFrame.top() + outerRadius - panelSide / 2};
    return {screenFrame.x() + (screenFrame.width() - panelSide) / 2,
            screenFrame.y() + (screenFrame.height() - panelSide) / 2};
}

IlvexPanel *AppDelegate::panel() const {
    return m_panel.data();
}

bool AppDelegate::isLauncherVisible() const {
    return m_panel && m_panel->isVisible();
}

void AppDelegate::buildPanel() {
    if (m_panel || !m_state)
        return;
    m_panel = new IlvexPanel(m_services.windows && m_services.windows->bypassesWindowManager());
    QPointer<AppDelegate> self(this);
    m_view = new CircularLauncherView(m_state, this);
    m_panel->setContent(m_view);
    m_panel->ringOuterRadius = [self] { return self ? self->currentRingOuterRadius() : 0.0; };
    m_panel->onEscape = [self] {
        // Escape first clears the text typed to find entries, then closes the manage panel, then goes
        // back out of a group or dismisses the launcher.
        if (!self || !self->m_shown || self->m_view->clearSearch())
            return;
        if (LauncherChrome &chrome = self->m_view->chrome(); chrome.showsManage())
            chrome.setManage(false);
        else
            self->dismissOrBack();
    };
    // Where presses outside the program are reported, they alone dismiss: the focus also moves when
    // the pointer merely passes over another window (focus-follows-mouse managers).
    if (!m_services.windows || !m_services.windows->reportsOutsidePresses()) {
        m_panel->onDeactivated = [self] {
            if (self && self->m_shown && self->m_autoDismissSuspenders < 1)
                self->hideLauncher();
        };
    }
    connect(this, &AppDelegate::launcherWillShow, m_view, &CircularLauncherView::launcherWillShow);
    connect(this, &AppDelegate::launcherWillHide, m_view, &CircularLauncherView::launcherWillHide);
}

QScreen *AppDelegate::pointerScreen() const {
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

void AppDelegate::fadeTo(double opacity, int durationMs, std::function<void()> done) {
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

void AppDelegate::showLauncher(LaunchSource source) {
    buildPanel();
    if (!m_panel)
        return;
    m_lastLaunchSource = source;
    m_state->closeSubList();
    m_autoDismissSuspenders = 0;
    Q_EMIT launcherWillShow();

    const double scale = RingGeometry::effectiveScale(m_state->preferences().launcherScale());
    const int side = qRound(RingGeometry::panelSide(scale));
    if (QScreen *screen = pointerScreen()) {
        const QRect frame = screen->geometry();
        const QRect visible = visibleFrame(screen);
        m_state->setLauncherMaxRadius(maxRadiusFor(visible.height(), scale));
        m_panel->setFixedSize(side, side);
        const QPointF origin = placement(source, frame, visible, side, currentRingOuterRadius());
        m_panel->move(QPoint(qRound(origin.x()), qRound(origin.y())));
    }

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

void AppDelegate::hideLauncher() {
    m_autoDismissSuspenders = 0;
    if (!m_panel || !m_shown)
        return;
    m_shown = false;
    // The keyboard and the focus go back before the fade: what is typed now is for the window beneath.
    if (m_services.windows)
        m_services.windows->launcherHiding(m_panel->windowHandle());
    if (m_services.hotkey)
        m_services.hotkey->releaseHeldKeys();
    Q_EMIT launcherWillHide();
    QPointer<AppDelegate> self(this);
    fadeTo(0, fadeOutMs, [self] {
        if (!self)
            return;
        if (self->m_panel && !self->m_shown)
            self->m_panel->hide();
        if (self->m_state)
            self->m_state->closeSubList();
        Q_EMIT self->launcherHidden();
    });
}

void AppDelegate::toggleLauncher() {
    // While fading out the panel still counts as visible, so a second toggle hides rather than shows.
    if (isLauncherVisible())
        hideLauncher();
    else
        showLauncher(LaunchSource::centered);
}

void AppDelegate::toggleFromTray() {
    if (!isLauncherShown() && m_dismissedByPress.isValid() &&
        m_dismissedByPress.elapsed() < trayClickAfterPressMs) {
        m_dismissedByPress.invalidate();
        return;
    }
    toggleLauncher();
}

void AppDelegate::dismissOrBack() {
    // Escape is ignored while an icon is dragged, as it is by the ring itself.
    if (m_autoDismissSuspenders > 0 || !m_state || (m_view && m_view->drag().isDragging()))
        return;
    if (!m_state->openSubListID())
        hideLauncher();
    else
        m_state->closeSubList();
}

void AppDelegate::adjustPanelForListChange() {
    if (!m_shown || !isLauncherVisible() || m_lastLaunchSource != LaunchSource::hotCorner)
        return;
    QScreen *screen = m_panel->screen() ? m_panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint current = m_panel->pos();
    const QPoint target =
        clampedOrigin(current, visibleFrame(screen), m_panel->size(), currentRingOuterRadius()).toPoint();
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

void AppDelegate::launcherPick(LauncherAddKind kind) {
    if (!m_state)
        return;
    // The dialog takes activation from the panel; that must not dismiss the launcher.
    suspendAutoDismiss();
    QFileDialog dialog(m_panel);
    dialog.setLabelText(QFileDialog::Accept, L::add());
    const QString home = QDir::homePath();
    if (kind == LauncherAddKind::app) {
        ApplicationPicker picker(m_state->workspace() ? m_state->workspace()->installedApplications()
                                                      : QList<InstalledApplication>(),
                                 m_panel);
        const bool accepted = picker.exec() == QDialog::Accepted;
        resumeAutoDismiss();
        if (accepted) {
            for (const QString &path : picker.chosenPaths())
                m_state->add(path);
        }
        return;
    }
    switch (kind) {
    case LauncherAddKind::app:
    case LauncherAddKind::folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setDirectory(home);
        break;
    case LauncherAddKind::file:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setDirectory(home);
        break;
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    resumeAutoDismiss();
    if (!accepted)
        return;
    for (const QString &path : dialog.selectedFiles()) {
        // Applications are added with the "app" kind; the file picker leaves them out.
        if (kind == LauncherAddKind::file && path.endsWith(QStringLiteral(".desktop"), Qt::CaseInsensitive))
            continue;
        m_state->add(path);
    }
}
