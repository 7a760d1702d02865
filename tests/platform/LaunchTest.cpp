#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "store/AppState.h"
#include "support/Entries.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

// Launches real programs through the desktop: desktop entries and default handlers in a private
// XDG_DATA_HOME and mimeapps.list, each of which runs a small script that records what it was given and
// the environment it got.
namespace {

Sandbox *sandbox = nullptr;

QString markers() {
    return sandbox->home() + QStringLiteral("/markers");
}
QString applications() {
    return sandbox->dataHome() + QStringLiteral("/applications");
}

void writeEntry(const QString &id, const QString &name, const QString &exec, const QString &extra = {}) {
    sandbox->writeFile(QStringLiteral(".local/share/applications/") + id + QStringLiteral(".desktop"),
                       QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n%3")
                           .arg(name, exec, extra)
                           .toUtf8());
}

class Launching : public ::testing::Test {
  protected:
    // Everything GIO will read is in place before its first use in this process.
    static void SetUpTestSuite() {
        sandbox = new Sandbox;
        // /usr/share stays: it holds the MIME database that tells a folder from a text file.
        qputenv("XDG_DATA_DIRS", QByteArrayLiteral("/usr/local/share:/usr/share"));
        QDir().mkpath(markers());
        const QString recorder = sandbox->writeFile(
            QStringLiteral("bin/record"),
            QStringLiteral("#!/bin/sh\n"
                           "out='%1'/\"$1\"\n"
                           "{ printf '%s\\n' \"$2\"; env; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n")
                .arg(markers())
                .toUtf8());
        QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeEntry(QStringLiteral("org.ilvex.TestApp"), QStringLiteral("Ilvex Test App"),
                   recorder + QStringLiteral(" app"));
        writeEntry(QStringLiteral("org.ilvex.NotInstalled"), QStringLiteral("Missing"),
                   QStringLiteral("true"), QStringLiteral("TryExec=/nonexistent/ilvex-missing-binary\n"));
        writeEntry(QStringLiteral("ilvex-test-folder"), QStringLiteral("Folders"),
                   recorder + QStringLiteral(" folder %u"),
                   QStringLiteral("MimeType=inode/directory;\nNoDisplay=true\n"));
        writeEntry(QStringLiteral("ilvex-test-browser"), QStringLiteral("Browser"),
                   recorder + QStringLiteral(" link %u"),
                   QStringLiteral("MimeType=x-scheme-handler/https;\nNoDisplay=true\n"));
        writeEntry(QStringLiteral("ilvex-test-text"), QStringLiteral("Text"),
                   recorder + QStringLiteral(" file %f"),
                   QStringLiteral("MimeType=text/plain;\nNoDisplay=true\n"));
        sandbox->writeFile(QStringLiteral(".config/mimeapps.list"),
                           "[Default Applications]\n"
                           "inode/directory=ilvex-test-folder.desktop\n"
                           "x-scheme-handler/https=ilvex-test-browser.desktop\n"
                           "text/plain=ilvex-test-text.desktop\n");
    }
    static void TearDownTestSuite() {
        delete sandbox;
        sandbox = nullptr;
    }

    void SetUp() override {
        ASSERT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArrayLiteral("offscreen")); // what must not leak
        state = std::make_unique<AppState>(StoreServices{&workspace, &bookmarks, &sandbox->preferences(),
                                                         sandbox->supportDirectory(), false});
    }

    // The first line the launched program was given, then its environment; empty if it never ran.
    static QStringList waitForMarker(const QString &name) {
        const QString path = markers() + u'/' + name;
        if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 15000))
            return {};
        return QString::fromUtf8(Sandbox::readFile(path)).split(u'\n');
    }

    static AppItem application(const QString &path, const QString &bundleIdentifier = {}) {
        AppItem item = entries::app(QStringLiteral("App"));
        item.bundleIdentifier = bundleIdentifier;
        item.appPath = path;
        return item;
    }

    GioWorkspace workspace;
    FileBookmarks bookmarks;
    std::unique_ptr<AppState> state;
};

TEST_F(Launching, ADesktopEntryRunsWithoutIlvexsToolkitVariables) {
    state->launch(application(applications() + QStringLiteral("/org.ilvex.TestApp.desktop"),
                              QStringLiteral("org.ilvex.TestApp")));
    const QStringList lines = waitForMarker(QStringLiteral("app"));
    ASSERT_FALSE(lines.isEmpty()) << "the desktop entry was not launched";
    EXPECT_TRUE(lines.contains(QStringLiteral("HOME=") + sandbox->home()));
    for (const QString &name : GioWorkspace::privateEnvironment())
        EXPECT_FALSE(lines.filter(QRegularExpression(u'^' + name + u'=')).size()) << qPrintable(name);
}

// Folders, documents and links go to their default handlers; a link typed without a scheme as https.
TEST_F(Launching, FoldersDocumentsAndLinksOpenWithTheirDefaultHandlers) {
    const QString folder = sandbox->makeFolder(QStringLiteral("My Projects"));
    const QString document = sandbox->writeFile(QStringLiteral("notes.txt"), "plain text\n");
    const struct {
        const char *handler;
        QString path;
        bool isFolder, isURL;
        QString expected;
    } cases[] = {{"folder", folder, true, false, folder},
                 {"file", document, false, false, document},
                 {"link", QStringLiteral("example.com/news"), false, true,
                  QStringLiteral("https://example.com/news")}};
    for (const auto &c : cases) {
        AppItem item = application(c.path);
        item.isFolder = c.isFolder;
        item.isURL = c.isURL;
        state->launch(item);
        const QStringList lines = waitForMarker(QLatin1String(c.handler));
        ASSERT_FALSE(lines.isEmpty()) << "the " << c.handler << " handler was not started";
        // GIO hands a local folder over as a path or as a file URI.
        const QString given =
            lines[0].startsWith(QLatin1String("file:")) ? QUrl(lines[0]).toLocalFile() : lines[0];
        EXPECT_EQ(given, c.expected) << c.handler;
    }
}

TEST_F(Launching, TheWorkspaceFindsInstalledEntriesOnly) {
    const QString installed = applications() + QStringLiteral("/org.ilvex.TestApp.desktop");
    EXPECT_EQ(workspace.applicationPath(QStringLiteral("org.ilvex.TestApp")), installed);
    EXPECT_EQ(workspace.applicationName(installed), QStringLiteral("Ilvex Test App"));
    EXPECT_EQ(workspace.bundleIdentifier(installed), QStringLiteral("org.ilvex.TestApp"));
    // The desktop-file id is the path below an applications folder; elsewhere an entry has none.
    EXPECT_EQ(workspace.bundleIdentifier(applications() + QStringLiteral("/kde4/konsole.desktop")),
              QStringLiteral("kde4-konsole"));
    EXPECT_EQ(
        workspace.bundleIdentifier(sandbox->home() + QStringLiteral("/Desktop/org.ilvex.TestApp.desktop")),
        QString());
    EXPECT_EQ(workspace.bundleIdentifier(applications() + QStringLiteral("/../org.ilvex.TestApp.desktop")),
              QString());
    EXPECT_FALSE(workspace.applicationPath(QStringLiteral("org.ilvex.NotInstalled"))); // TryExec is missing
    EXPECT_FALSE(workspace.applicationPath(QStringLiteral("org.ilvex.Nowhere")));
    EXPECT_FALSE(workspace.applicationPath(QString()));
    // The desktop's defaults (mimeapps.list) by MIME type and by URI scheme; none where it names none.
    EXPECT_EQ(workspace.defaultApplication(QStringLiteral("inode/directory")),
              QStringLiteral("ilvex-test-folder"));
    EXPECT_EQ(workspace.defaultApplication(QStringLiteral("x-scheme-handler/https")),
              QStringLiteral("ilvex-test-browser"));
    EXPECT_FALSE(workspace.defaultApplication(QStringLiteral("x-scheme-handler/ilvex-none")));
    // The terminal's entry is found by its program; entries the menus hide do not count.
    EXPECT_EQ(workspace.entryRunning(sandbox->home() + QStringLiteral("/bin/record")),
              QStringLiteral("org.ilvex.TestApp"));
    EXPECT_FALSE(workspace.entryRunning(QStringLiteral("ilvex-no-such-program")));
}

} // namespace
