// Paint time of one ring frame (24 entries at scale 1.4: at rest, during a drag, with the list switcher,
// with the manage panel sliding in) and the memory and frame time of a ring of 1,000 entries. Runs
// offscreen unless QT_QPA_PLATFORM says otherwise.
#include "Bench.h"
#include "launcher/CircularLauncherView.h"
#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "panels/ManagePanelView.h"
#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "views/FileIcons.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <malloc.h>

namespace {
QList<AppItem> sampleItems(int count) {
    static const char *paths[] = {"/usr/bin", "/etc/hostname", "/usr/share", "/etc/os-release", "/tmp"};
    QList<AppItem> items;
    for (int i = 0; i < count; ++i) {
        AppItem item = entries::app(QStringLiteral("Entry %1").arg(i + 1));
        item.isURL = i % 7 == 3;
        item.appPath = item.isURL ? QStringLiteral("example.com") : QString::fromLatin1(paths[i % 5]);
        item.isFolder = !item.isURL && QFileInfo(item.appPath).isDir();
        items.append(item);
    }
    return items;
}

// A support folder at dir whose lists file holds one list of count entries.
bool writeList(const QString &dir, int count) {
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/lists.json"));
    const AppList list{QUuid::createUuid(), QStringLiteral("Bench"), sampleItems(count), ListTheme::teal, {}};
    return file.open(QIODevice::WriteOnly) && file.write(ListsCodec::encodeLists({list})) >= 0;
}

// Bytes the program holds on the heap now (images and pixmaps included offscreen).
double heapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1048576.0;
}
} // namespace

int main(int argc, char **argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    const QString runtime = sandbox.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    QApplication app(argc, argv);
    FileIcons::ensureIconTheme();

    Preferences preferences(
        std::make_unique<QSettings>(sandbox.path() + QStringLiteral("/Ilvex.conf"), QSettings::IniFormat));
    preferences.setLauncherScale(1.4);
    preferences.setLauncherSoundsEnabled(false);
    const QString support = sandbox.path() + QStringLiteral("/support"),
                  big = support + QStringLiteral("-big");
    if (!writeList(support, 24) || !writeList(big, 1000))
        return 1;

    GioWorkspace workspace;
    FileIcons::setWorkspace(&workspace);
    FileBookmarks bookmarks;
    AppState state(StoreServices{&workspace, &bookmarks, &preferences, support, false});

    FakeLauncherHost host; // holds nothing open and makes no sound: only the manage panel is built
    host.managePanel = [&state, &host](QWidget *parent, double width) {
        return new ManagePanelView(&state, &host, width, parent);
    };
    CircularLauncherView view(&state, &host);
    view.finishAnimations();
    (void)view.renderFrame(1.0); // fills the caches: disc, entry images

    // Painting goes into one reused image, as into a window's backing store, which Qt clears to
    // transparent before each paint of a translucent window; that clear is timed on its own.
    const int frames = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    Timings clears;
    // Times `frames` frames of the ring with the widget `child` gives (if any) drawn over it, each after
    // beforeFrame.
    auto timeFrames = [&](const std::function<void()> &beforeFrame, const std::function<QWidget *()> &child) {
        Timings paints;
        for (int i = 0; i < frames; ++i) {
            beforeFrame();
            clears.time([&] { target.fill(Qt::transparent); });
            paints.time([&] {
                QPainter painter(&target);
                view.paintFrame(painter);
                if (QWidget *over = child ? child() : nullptr)
                    over->render(&painter, over->pos(), QRegion(), QWidget::DrawChildren);
            });
        }
        return paints;
    };
    auto print = [&view](const char *what, Timings paints) {
        std::printf(
            "ring frame %s, 24 entries, scale 1.4 (%dx%d px): median %.2f ms, p95 %.2f ms (goal < 4 ms)\n",
            what, view.width(), view.height(), paints.median(), paints.p95());
    };
    print("at rest", timeFrames([] {}, {}));
    std::printf("clearing the window before a frame: median %.2f ms\n", clears.median());

    // A frame during a drag: the dragged copy, the drop-slot marker and the entries' springs moving.
    const QPointF centre = view.ringCentre();
    const auto first = view.itemCentre(state.currentItems().first().id);
    auto send = [&view](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view.mapToGlobal(at), button, buttons, {});
        QCoreApplication::sendEvent(&view, &event);
    };
    send(QEvent::MouseButtonPress, *first, Qt::LeftButton, Qt::LeftButton);
    double angle = -M_PI;
    const double radius = QLineF(centre, *first).length();
    auto dragStep = [&] {
        angle += 0.02;
        send(QEvent::MouseMove, centre + radius * QPointF(std::cos(angle), std::sin(angle)), Qt::NoButton,
             Qt::LeftButton);
        view.advanceAnimations(1 / 60.0);
    };
    print("during a drag", timeFrames(dragStep, {}));
    send(QEvent::MouseButtonRelease, *first, Qt::LeftButton, Qt::NoButton);

    // A frame with the list switcher in the hole: the disc as before, and the centre view over it (the
    // active row's glow included).
    state.addList(QStringLiteral("Second list"), ListTheme::purple);
    state.switchToList(0);
    view.finishAnimations();
    print("with the list switcher", timeFrames([] {}, [&view] { return view.chrome().hole(); }));

    // A frame while the manage panel slides in: kept mid-way by reopening it whenever it has settled.
    view.setManage(true);
    auto slideStep = [&] {
        view.chrome().advance(1 / 120.0);
        if (view.chrome().managePanel()->graphicsEffect() == nullptr) {
            view.chrome().closeManageAtOnce();
            view.setManage(true);
        }
    };
    print("with the manage panel sliding in",
          timeFrames(slideStep, [&view] { return view.chrome().managePanel(); }));
    view.chrome().closeManageAtOnce();

    // A ring of 1,000 entries shown and painted at two pixel ratios: what it costs in memory, and what a
    // whole frame takes to paint once the first frame at each ratio has made its tiles.
    AppState bigState(StoreServices{&workspace, &bookmarks, &preferences, big, false});
    const double before = heapMegabytes();
    CircularLauncherView ring(&bigState, nullptr);
    ring.finishAnimations();
    double later[2] = {1e9, 1e9};
    for (int k = 0; k < 6; ++k) {
        const qreal dpr = k < 3 ? 1 : 2;
        QImage frame(ring.size() * dpr, QImage::Format_ARGB32_Premultiplied);
        frame.setDevicePixelRatio(dpr);
        frame.fill(Qt::transparent); // touched, as a reused backing store is
        QPainter painter(&frame);
        Timings paint;
        paint.time([&] { ring.paintFrame(painter); });
        if (k % 3)
            later[k / 3] = std::min(later[k / 3], paint.min());
    }
    std::printf(
        "ring of 1000 entries painted at pixel ratios 1, then 2: %.1f MB (%d tiles, %.1f MB); a later "
        "whole frame at ratio 1: %.1f ms, at ratio 2: %.1f ms\n",
        heapMegabytes() - before, int(ring.painter().tileCount()), ring.painter().tileBytes() / 1048576.0,
        later[0], later[1]);
    return 0;
}
