// Prints how long the store takes to load and to save 8 lists of 250 entries.
// Run: build/bench/store_bench [rounds]
#include "Bench.h"
#include "platform/Bookmarks.h"
#include "platform/Workspace.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {
class NoWorkspace : public Workspace {
  public:
    std::optional<QString> applicationPath(const QString &) const override { return std::nullopt; }
    QString applicationName(const QString &) const override { return {}; }
    QString bundleIdentifier(const QString &) const override { return {}; }
    void openUrl(const QUrl &) override {}
    void openApplication(const QString &) override {}
};

QList<AppList> sampleLists() {
    QList<AppList> lists;
    for (int l = 0; l < 8; ++l) {
        AppList list{QUuid::createUuid(), QStringLiteral("List %1").arg(l), {}, ListTheme(l % 6), {}};
        for (int i = 0; i < 250; ++i) {
            AppItem item;
            item.id = QUuid::createUuid();
            item.name = QStringLiteral("Application number %1").arg(i);
            item.bundleIdentifier = QStringLiteral("org.example.App%1").arg(i);
            item.appPath = QStringLiteral("/usr/share/applications/org.example.App%1.desktop").arg(i);
            item.bookmarkData = QByteArray(120, char('a' + i % 26));
            if (i % 25 == 0)
                item.folderTint = QStringLiteral("#22C55E");
            list.items.append(item);
        }
        list.snapshot = list.items;
        lists.append(list);
    }
    return lists;
}

void print(const char *what, Timings &figures) {
    std::printf("%-34s min %7.2f ms   median %7.2f ms   max %7.2f ms   (%lld rounds)\n", what, figures.min(),
                figures.median(), figures.max(), static_cast<long long>(figures.count()));
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QTemporaryDir dir;
    Preferences preferences(
        std::make_unique<QSettings>(dir.path() + QStringLiteral("/prefs.conf"), QSettings::IniFormat));
    NoWorkspace workspace;

    const QByteArray document = ListsCodec::encodeLists(sampleLists());
    QFile file(dir.path() + QStringLiteral("/lists.json"));
    file.open(QIODevice::WriteOnly);
    file.write(document);
    file.close();
    std::printf("lists file: 8 lists x 250 entries (+ snapshots), %lld KiB\n",
                qint64(document.size() / 1024));

    // Without bookmark services the store start-up is the file read, decode and snapshot check.
    const StoreServices services{&workspace, nullptr, &preferences, dir.path(), false};
    Timings load, save, decode, encode;
    for (int r = 0; r < rounds; ++r) {
        std::optional<AppState> state;
        load.time([&] { state.emplace(services); });
        save.time([&] { state->save(); });
        std::optional<QList<AppList>> decoded;
        decode.time([&] { decoded = ListsCodec::decodeLists(document); });
        encode.time([&] { (void)ListsCodec::encodeLists(*decoded); });
    }
    print("load (AppState start-up)", load);
    print("save (encode + atomic write)", save);
    print("  of which decode", decode);
    print("  of which encode", encode);
    std::printf("goals: save under 10 ms, load under 20 ms\n");
    return 0;
}
