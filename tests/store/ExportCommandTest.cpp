// The real binary's store commands, run with a private HOME and XDG folders.
#include "store/ListsCodec.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class ExportCommand : public ::testing::Test {
  protected:
    Result ilvex(const QStringList &arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(QLatin1String(name), qEnvironmentVariable(name));
        // Only the sandbox's applications exist.
        environment.insert(QStringLiteral("XDG_DATA_DIRS"),
                           sandbox.home() + QStringLiteral("/system:/usr/share"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ILVEX_BINARY), arguments);
        process.waitForFinished(30000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QJsonArray exported() {
        const Result run = ilvex({QStringLiteral("--export-lists"), QStringLiteral("-")});
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        return QJsonDocument::fromJson(run.out).array();
    }

    Sandbox sandbox;
};

TEST_F(ExportCommand, FirstStartExportsTheDefaultListsWithTildePathsAndNoBookmarks) {
    sandbox.makeFolder(QStringLiteral("Documents"));
    sandbox.makeFolder(QStringLiteral("Music"));
    const QJsonArray lists = exported();
    ASSERT_EQ(lists.size(), 3);
    EXPECT_EQ(lists[0].toObject().value(QLatin1String("name")).toString(), QStringLiteral("Apps"));
    EXPECT_EQ(lists[0].toObject().value(QLatin1String("theme")).toString(), QStringLiteral("purple"));
    const QJsonArray folders = lists[1].toObject().value(QLatin1String("items")).toArray();
    ASSERT_EQ(folders.size(), 2);
    const QJsonObject documents = folders[0].toObject();
    EXPECT_EQ(documents.value(QLatin1String("appPath")).toString(), QStringLiteral("~/Documents"));
    EXPECT_EQ(documents.value(QLatin1String("folderTint")).toString(), QStringLiteral("#3B82F6"));
    EXPECT_FALSE(documents.contains(QLatin1String("bookmarkData")));
    EXPECT_EQ(lists[2].toObject().value(QLatin1String("theme")).toString(), QStringLiteral("blue"));

    // The start wrote the lists file (the folders got bookmarks); the next start reads it back, with the
    // empty snapshots filled in from the entries.
    const auto onDisk = ListsCodec::decodeLists(Sandbox::readFile(sandbox.listsFile()));
    ASSERT_TRUE(onDisk);
    EXPECT_TRUE(onDisk->at(1).items.first().bookmarkData);
    const QJsonArray again = exported();
    ASSERT_EQ(again.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject before = lists[i].toObject();
        const QJsonObject after = again[i].toObject();
        EXPECT_EQ(after.value(QLatin1String("id")), before.value(QLatin1String("id")));
        EXPECT_EQ(after.value(QLatin1String("items")), before.value(QLatin1String("items")));
        EXPECT_EQ(after.value(QLatin1String("snapshot")), before.value(QLatin1String("items")));
    }
}

TEST_F(ExportCommand, WritesToAFileAndReportsAnUnwritablePath) {
    const QString target = sandbox.home() + QStringLiteral("/out/ilvex-lists.json");
    QDir().mkpath(sandbox.home() + QStringLiteral("/out"));
    Result run = ilvex({QStringLiteral("--export-lists"), target});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(ListsCodec::decodeLists(Sandbox::readFile(target)));

    run =
        ilvex({QStringLiteral("--export-lists"), sandbox.home() + QStringLiteral("/missing/folder/x.json")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
}

// Standard output carries the document alone, so it can be imported again; the store's line goes to
// standard error.
TEST_F(ExportCommand, ABadListsFileIsMovedAsideBeforeTheExport) {
    sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), "{\"not\": \"a list\"}");
    const Result run = ilvex({QStringLiteral("--export-lists"), QStringLiteral("-")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(ListsCodec::decodeLists(run.out)) << run.out.constData();
    EXPECT_EQ(run.err, "[Ilvex] lists.json corrupt — backed up to lists.json.bak\n");
    EXPECT_EQ(Sandbox::readFile(sandbox.supportDirectory() + QStringLiteral("/lists.json.bak")),
              "{\"not\": \"a list\"}");
}

TEST_F(ExportCommand, VersionHelpAndUnknownOptions) {
    const struct {
        QStringList arguments;
        int exitCode;
        const char *expectInOut;
        const char *expectInErr;
    } cases[] = {
        {{QStringLiteral("--version")}, 0, "Ilvex ", ""},
        {{QStringLiteral("--help")}, 0, "--export-lists PATH", ""},
        {{QStringLiteral("--frobnicate")}, 2, "", "Usage: ilvex"},
        {{QStringLiteral("--export-lists")}, 2, "", "Usage: ilvex"},
        {{QStringLiteral("--export-lists"), QStringLiteral("a"), QStringLiteral("b")}, 2, "", "Usage: ilvex"},
    };
    for (const auto &c : cases) {
        const Result run = ilvex(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.contains(c.expectInOut)) << run.out.constData();
        EXPECT_TRUE(run.err.contains(c.expectInErr)) << run.err.constData();
    }
    EXPECT_FALSE(QFile::exists(sandbox.listsFile())) << "no option but the store commands touches the lists";
}

} // namespace
