// Prints how long the store takes to load and to save 8 lists of 250 entries.
// Run: build/bench/store_bench [rounds]
#include "Bench.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeWorkspace.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QList<AppList> lists;
    for (int l = 0; l < 8; ++l) {
        QList<AppItem> items;
        for (int i = 0; i < 250; ++i) {
            AppItem item = entries::app(QStringLiteral("Application number %1").arg(i));
            item.bundleIdentifier = QStringLiteral("org.example.App%1").arg(i);
            item.appPath = QStringLiteral("/usr/share/applications/org.example.App%1.desktop").arg(i);
            item.bookmarkData = QByteArray(120, char('a' + i % 26));
            item.folderTint = i % 25 ? std::nullopt : std::optional<QString>("#22C55E");
            items.append(item);
        }
        lists.append(entries::list(QStringLiteral("List %1").arg(l), items, ListTheme(l % 6)));
    }
    QTemporaryDir dir;
    Preferences preferences(
        std::make_unique<QSettings>(dir.path() + QStringLiteral("/prefs.conf"), QSettings::IniFormat));
    FakeWorkspace workspace;
    const QByteArray document = ListsCodec::encodeLists(lists);
    if (QFile file(dir.path() + QStringLiteral("/lists.json")); file.open(QIODevice::WriteOnly))
        file.write(document);
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
    for (auto [what, figures] : {std::pair{"load (AppState start-up)", &load},
                                 {"save (encode + atomic write)", &save},
                                 {"  of which decode", &decode},
                                 {"  of which encode", &encode}})
        std::printf("%-34s min %7.2f ms   median %7.2f ms   max %7.2f ms   (%lld rounds)\n", what,
                    figures->min(), figures->median(), figures->max(),
                    static_cast<long long>(figures->count()));
    std::printf("goals: save under 10 ms, load under 20 ms\n");
    return 0;
}
