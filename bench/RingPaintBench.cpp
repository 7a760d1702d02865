// Paint time of one ring frame (24 entries at scale 1.4) and the time from a show request to the
// launcher's first painted frame. Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "ring/CircularLauncherView.h"
#include "shell/AppDelegate.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/Preferences.h"
#include "views/FileIcons.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
QList<AppItem> sampleItems(int count) {
    static const char *paths[] = {"/usr/bin", "/etc/hostname", "/usr/share", "/etc/os-release", "/tmp"};
    QList<AppItem> items;
    for (int i = 0; i < count; ++i) {
        AppItem item;
        item.id = QUuid::createUuid();
        item.name = QStringLiteral("Entry %1").arg(i + 1);
        item.appPath = QString::fromLatin1(paths[i % 5]);
        item.isFolder = QFileInfo(item.appPath).isDir();
        if (i % 7 == 3) {
            item.isURL = true;
            item.appPath = QStringLiteral("example.com");
            item.isFolder = false;
        }
        items.append(item);
    }
    return items;
}
} // namespace

int main(int argc, char **argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    QDir().mkpath(sandbox.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(sandbox.path() + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (sandbox.path() + QStringLiteral("/runtime")).toUtf8());
    QApplication app(argc, argv);
    FileIcons::ensureIconTheme();

    QSettings preferences(sandbox.path() + QStringLiteral("/Ilvex.conf"), QSettings::IniFormat);
    preferences.setValue(QLatin1String(Preferences::launcherScale), 1.4);
    preferences.setValue(QLatin1String(Preferences::launcherSoundsEnabled), false);
    Preferences::install(&preferences);

    AppList list{QUuid::createUuid(), QStringLiteral("Bench"), sampleItems(24), ListTheme::teal, {}};
    QDir().mkpath(sandbox.path() + QStringLiteral("/support"));
    QFile file(sandbox.path() + QStringLiteral("/support/lists.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(ListsCodec::encodeLists({list})) < 0)
        return 1;
    file.close();

    GioWorkspace workspace;
    FileBookmarks bookmarks;
    AppState state(StoreServices{&workspace, &bookmarks, &preferences, sandbox.path() + QStringLiteral("/support"), false});
    AppState::setShared(&state);

    CircularLauncherView view(&state, {});
    view.finishAnimations();
    (void)view.renderFrame(1.0); // fills the caches: disc, entry images
    const int frames = 200;
    QList<double> times;
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < frames; ++i) {
        target.fill(Qt::transparent);
        QElapsedTimer clock;
        clock.start();
        (void)view.renderFrame(1.0);
        times.append(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("ring frame, 24 entries, scale 1.4 (%dx%d px): median %.2f ms, p95 %.2f ms (goal < 4 ms)\n",
                view.width(), view.height(), times[frames / 2], times[frames * 95 / 100]);

    AppDelegate shell(&state);
    QElapsedTimer showClock;
    bool painted = false;
    showClock.start();
    shell.showLauncher(LaunchSource::centered);
    QObject::connect(shell.launcherView(), &CircularLauncherView::framePainted, &app, [&] { painted = true; });
    while (!painted && showClock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("show request to first painted frame (panel built on first use): %.2f ms\n",
                showClock.nsecsElapsed() / 1e6);
    shell.hideLauncher();
    AppState::setShared(nullptr);
    Preferences::install(nullptr);
    return 0;
}
