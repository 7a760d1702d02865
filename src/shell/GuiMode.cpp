#include "shell/GuiMode.h"

#include "favicons/FaviconCache.h"
#include "shell/LinuxStoreServices.h"
#include "ring/CircularLauncherView.h"
#include "shell/AppDelegate.h"
#include "shell/ListsTransfer.h"
#include "store/AppState.h"
#include "views/FileIcons.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

void printLine(const QString &line) {
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

void applyRequest(AppDelegate &shell, InstanceRequest request) {
    switch (request) {
    case InstanceRequest::toggle:
        shell.toggleLauncher();
        break;
    case InstanceRequest::show:
        if (!shell.isLauncherVisible())
            shell.showLauncher(LaunchSource::centered);
        break;
    case InstanceRequest::hide:
        shell.hideLauncher();
        break;
    case InstanceRequest::quit:
        QCoreApplication::quit();
        break;
    case InstanceRequest::openSettings:
    case InstanceRequest::settings:
    case InstanceRequest::about:
    case InstanceRequest::toggleMenuBar:
        // These windows and the tray icon are not part of this build yet.
        break;
    case InstanceRequest::exportLists:
    case InstanceRequest::importLists:
        break; // answered by the responder
    }
}

} // namespace

int runGui(int argc, char **argv, InstanceRequest request, bool wayland) {
    // X11 by default: the launcher's placement, stacking and focus need it. Launched programs do not
    // inherit this (the workspace strips it).
    if (!wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (instance.sendToRunning(request))
        return 0;
    if (!instance.becomePrimary()) {
        // Another instance holds the lock but did not answer yet: it may be starting.
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (instance.sendToRunning(request, 250))
                return 0;
        }
        std::fputs("ilvex: another Ilvex is running but does not answer\n", stderr);
        return 1;
    }

    FileIcons::ensureIconTheme();
    LinuxStoreServices services;
    FileIcons::setWorkspace(&services.workspace);
    services.preferences.watchFile();
    AppState state(services.store());
    AppState::setShared(&state);
    FaviconCache favicons(state.supportDirectory() + QStringLiteral("/favicons"), FaviconEndpoints::standard());
    FaviconCache::setShared(&favicons);
    AppDelegate shell(&state);
    // ILVEX_TRACE_SHOW: report the time from a show request to the launcher's first painted frame.
    const bool trace = qEnvironmentVariableIsSet("ILVEX_TRACE_SHOW");
    QElapsedTimer showClock;
    bool traceConnected = false;
    auto handle = [&](InstanceRequest received) {
        if (trace && received != InstanceRequest::hide)
            showClock.start();
        applyRequest(shell, received);
        // The view exists from the first showing on; connected once (lambdas cannot be unique connections).
        if (trace && shell.launcherView() && !traceConnected) {
            traceConnected = true;
            QObject::connect(shell.launcherView(), &CircularLauncherView::framePainted, &shell, [&showClock] {
                if (!showClock.isValid())
                    return;
                printLine(QStringLiteral("[Ilvex] first frame %1 ms after the show request")
                              .arg(showClock.nsecsElapsed() / 1e6, 0, 'f', 2));
                showClock.invalidate();
            });
        }
    };
    QObject::connect(&instance, &SingleInstance::requestReceived, &shell, handle);
    instance.setResponder([&state](const InstanceMessage &message) { return ListsTransfer::respond(state, message); });
    handle(request);
    const int result = app.exec();
    AppState::setShared(nullptr);
    FaviconCache::setShared(nullptr);
    FileIcons::setWorkspace(nullptr);
    return result;
}

int runScreenshot(int argc, char **argv, const QString &path) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FileIcons::ensureIconTheme();
    LinuxStoreServices services;
    FileIcons::setWorkspace(&services.workspace);
    AppState state(services.store());
    CircularLauncherView view(&state, {});
    view.finishAnimations();
    const QImage image = view.renderFrame(1.0);
    if (!image.save(path, "PNG")) {
        std::fputs(qPrintable(QStringLiteral("ilvex: could not write %1\n").arg(path)), stderr);
        return 1;
    }
    return 0;
}
