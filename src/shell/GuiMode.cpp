#include "shell/GuiMode.h"

#include "BuildConfig.h"

#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "launcher/CircularLauncherView.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/PrivateFiles.h"
#include "settings/Preferences.h"
#include "shell/AppDelegate.h"
#include "shell/ListsTransfer.h"
#include "shell/StatusItem.h"
#include "shell/UpdateChecker.h"
#include "shell/UserStoreServices.h"
#include "store/AppState.h"
#include "views/FileIcons.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

void applyRequest(AppDelegate &shell, InstanceRequest request) {
    switch (request) {
    case InstanceRequest::toggle:
        shell.toggleLauncher();
        break;
    case InstanceRequest::show:
        // A launcher fading out is brought back.
        if (!shell.isLauncherShown())
            shell.showLauncher(LaunchSource::centered);
        break;
    case InstanceRequest::hide:
        shell.hideLauncher();
        break;
    case InstanceRequest::quit:
        QCoreApplication::quit();
        break;
    case InstanceRequest::openSettings: // starting Ilvex again while it runs
    case InstanceRequest::settings:
        shell.openSettings();
        break;
    case InstanceRequest::about:
        shell.openAbout();
        break;
    case InstanceRequest::toggleMenuBar:
        shell.toggleMenuBarFromDock();
        break;
    case InstanceRequest::exportLists:
    case InstanceRequest::importLists:
        break; // answered by the responder
    }
}

// Hands the request to the running Ilvex: the exit code when that settles it, none when none runs and
// the lock is now this process's.
std::optional<int> handToRunning(SingleInstance &instance, InstanceRequest request) {
    switch (instance.sendToRunning(request)) {
    case SingleInstance::Contact::delivered:
        return 0;
    case SingleInstance::Contact::unreachable:
        std::fputs(qPrintable(QStringLiteral("ilvex: ") + instance.unreachableReason() + u'\n'), stderr);
        return 1;
    case SingleInstance::Contact::lockTaken:
        break;
    }
    if (request == InstanceRequest::quit)
        return 0; // none runs: there is nothing to quit, and no launcher to start
    return std::nullopt;
}

// Without a display the request can still reach a running Ilvex (started on a display elsewhere, or
// under a virtual one). Qt would abort on a missing display, so this runs without a GUI.
int handOverWithoutDisplay(int argc, char **argv, InstanceRequest request) {
    QCoreApplication app(argc, argv);
    SingleInstance instance;
    if (const auto code = handToRunning(instance, request))
        return *code;
    std::fputs("ilvex: no display (DISPLAY or WAYLAND_DISPLAY) to start on, and no running Ilvex to take the "
               "request\n",
               stderr);
    return 1;
}

} // namespace

int runGui(int argc, char **argv, InstanceRequest request, bool wayland, Platform &platform) {
    if (!platform.displayReachable())
        return handOverWithoutDisplay(argc, argv, request);
    platform.chooseDisplayPlatform(wayland);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (const auto code = handToRunning(instance, request))
        return *code;
    // Listening before the store loads: requests sent meanwhile wait for the load instead of failing.
    instance.listen();
    preparePrivateFiles();

    FileIcons::ensureIconTheme();
    UserStoreServices services(platform);
    FileIcons::setWorkspace(&platform.workspace());
    services.preferences.watchFile();
    AppState state(services.store());
    state.watchListsFile(); // a sync tool or an editor may change it while Ilvex runs
    FaviconCache favicons(state.supportDirectory() + QStringLiteral("/favicons"),
                          FaviconEndpoints::standard());
    // The hotkey's backend, the window system and the pointer fit the display platform Qt runs on; they
    // outlive the shell that uses them.
    const DesktopServices desktop = platform.connectDesktop();
    AppDelegate shell(&state);
    // A change the disk did not take is said once (the store keeps it and tries again), in the tray's
    // notification when there is a tray.
    QObject::connect(&state, &AppState::saveFailed, &shell, [&shell](const QString &reason) {
        const QString text = L::changesNotSavedMessage() + u'\n' + reason;
        QSystemTrayIcon *tray = shell.statusItem() ? shell.statusItem()->trayIcon() : nullptr;
        if (tray && tray->isVisible() && QSystemTrayIcon::supportsMessages()) {
            tray->showMessage(L::changesNotSaved(), text, QSystemTrayIcon::Warning);
            return;
        }
        auto *box = new QMessageBox(QMessageBox::Warning, L::changesNotSaved(), L::changesNotSaved());
        box->setInformativeText(text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    // ILVEX_TRACE_SHOW: report the time from a show request or the hotkey to the launcher's first painted
    // frame, and when the tray icon is in a tray; "at" is the monotonic clock in milliseconds.
    const bool trace = qEnvironmentVariableIsSet("ILVEX_TRACE_SHOW");
    QElapsedTimer showClock;
    bool traceConnected = false;
    auto now = [] { return QDeadlineTimer::current().deadlineNSecs() / 1e6; };
    if (trace) {
        QObject::connect(&shell, &AppDelegate::trayReady, &shell,
                         [now] { qCInfo(lcShell, "tray ready at %.2f", now()); });
        QObject::connect(&shell, &AppDelegate::hotkeyPressed, &shell, [&showClock] { showClock.start(); });
        // Which window Qt hands the keys to: a prompt types only once it has them.
        QObject::connect(&app, &QGuiApplication::focusWindowChanged, &shell, [](QWindow *window) {
            if (window)
                qCInfo(lcShell, "keys to %s", qUtf8Printable(window->title()));
        });
    }
    shell.setServices({desktop.hotkey.get(), &platform.loginItem(), &platform.workspace(),
                       desktop.windows.get(), desktop.pointer.get(), &platform.sound(), &platform.keyboard(),
                       BuildConfig::faviconsEnabled ? &favicons : nullptr});
    shell.applicationDidFinishLaunching();
    UpdateChecker updates(UpdateChecker::buildConfig(), &services.preferences);
    shell.setUpdateChecker(&updates);
    updates.start();
    // The view exists from the first showing (or the idle preparation) on; connected once.
    auto connectTrace = [&] {
        if (!trace || traceConnected || !shell.launcherView())
            return;
        traceConnected = true;
        QObject::connect(
            shell.launcherView(), &CircularLauncherView::framePainted, &shell, [&showClock, now] {
                if (!showClock.isValid())
                    return;
                const double ms = showClock.nsecsElapsed() / 1e6;
                qCInfo(lcShell, "first frame %.2f ms after the show request, at %.2f", ms, now());
                showClock.invalidate();
            });
    };
    auto handle = [&](InstanceRequest received) {
        if (trace && (received == InstanceRequest::show || received == InstanceRequest::toggle))
            showClock.start();
        applyRequest(shell, received);
        connectTrace();
    };
    QObject::connect(&instance, &SingleInstance::requestReceived, &shell, handle);
    instance.setResponder(
        [&state](const InstanceMessage &message) { return ListsTransfer::respond(state, message); });
    // A plain start brings up the tray icon only; starting Ilvex again opens the settings.
    if (request != InstanceRequest::openSettings)
        handle(request);
    // The launcher is built while the program is idle after start-up, not inside its first showing.
    QTimer::singleShot(0, &shell, [&shell, &connectTrace, trace, now] {
        shell.prepareLauncher();
        malloc_trim(0); // what start-up and the preparation freed goes back to the system
        connectTrace();
        if (trace)
            qCInfo(lcShell, "launcher prepared at %.2f", now());
    });
    const int result = app.exec();
    shell.setUpdateChecker(nullptr);
    shell.setServices({});
    FileIcons::setWorkspace(nullptr);
    return result;
}

void preparePrivateFiles() {
    PrivateFiles::prepareFile(Preferences().fileName());
}

int runScreenshot(int argc, char **argv, const QByteArray &nativePath, Platform &platform) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FileIcons::ensureIconTheme();
    UserStoreServices services(platform);
    FileIcons::setWorkspace(&platform.workspace());
    StoreServices storeServices = services.store();
    // Only the holder of the instance lock writes the lists file or the preferences. Beside a running
    // Ilvex (or a command at work on the lists) the launcher is drawn from copies of them.
    SingleInstance instance;
    QTemporaryDir copies;
    std::unique_ptr<Preferences> preferences;
    if (instance.tryLock()) {
        preparePrivateFiles();
    } else {
        for (const char *name : {"lists.json", "apps.json"})
            QFile::copy(AppState::defaultSupportDirectory() + u'/' + QLatin1String(name),
                        copies.filePath(QLatin1String(name)));
        preferences = services.preferences.copyTo(copies.filePath(QStringLiteral("preferences.ini")));
        storeServices.supportDirectory = copies.path();
        storeServices.preferences = preferences.get();
    }
    AppState state(storeServices);
    LauncherWindow host(&state); // never shown: it only serves the view (favicons)
    CircularLauncherView view(&state, &host);
    view.finishAnimations();
    const QImage image = view.renderFrame(1.0);
    QFile file;
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) ||
        !image.save(&file, "PNG")) {
        if (fd >= 0 && !file.isOpen())
            ::close(fd);
        std::fputs(
            qPrintable(QStringLiteral("ilvex: could not write %1\n").arg(QFile::decodeName(nativePath))),
            stderr);
        return 1;
    }
    return 0;
}
