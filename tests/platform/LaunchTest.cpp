#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "store/AppState.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Launches real programs through the desktop: desktop entries and default handlers in a private
// XDG_DATA_HOME and mimeapps.list, each of which runs a small script that records what it was given and
// the environment it got.
namespace {

Sandbox *sandbox = nullptr;
std::atomic<bool> suiteDone;
std::thread fifoWatch;

struct Launching : ::testing::Test {
    static QString markers() { return sandbox->home() + "/markers"; }
    static QString applications() { return sandbox->dataHome() + "/applications"; }
    // A data folder of the system's (XDG_DATA_DIRS), ahead of /usr/share. It holds a FIFO named as a
    // desktop entry, which nothing may open: an open would wait for a writer that never comes.
    static QString shared() { return sandbox->home() + "/shared/applications"; }
    static QString fifo() { return shared() + "/org.ilvex.Fifo.desktop"; }
    // Everything GIO will read is in place before its first use in this process.
    static void SetUpTestSuite() {
        sandbox = new Sandbox;
        // /usr/share stays: it holds the MIME database that tells a folder from a text file.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(sandbox->home()) + "/shared:/usr/local/share:/usr/share");
        QDir().mkpath(markers());
        QDir().mkpath(shared() + "/ilvex");
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo()), 0600), 0);
        // The FIFO's other end opens only while something reads it: that is a failure, and the reader is
        // let go (it reads an empty file) so that the test fails rather than hangs.
        suiteDone = false;
        fifoWatch = std::thread([path = QFile::encodeName(fifo())] {
            for (; !suiteDone; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
                if (const int end = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); end >= 0) {
                    ADD_FAILURE() << "the FIFO named as a desktop entry was opened";
                    ::close(end);
                }
            }
        });
        const QString recorder = sandbox->writeFile(
            "bin/record",
            "#!/bin/sh\nout='" + QFile::encodeName(markers()) +
                "'/\"$1\"\n{ printf '%s\\n' \"$2\"; env; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The handlers stay out of the menus (NoDisplay); the second entry's program is missing (TryExec).
        for (const auto &[id, exec, extra] : std::initializer_list<std::array<const char *, 3>>{
                 {"org.ilvex.TestApp", " app", ""},
                 {"org.ilvex.NotInstalled", " none", "TryExec=/nonexistent/ilvex-missing-binary\n"},
                 {"ilvex-test-folder", " folder %u", "MimeType=inode/directory;\nNoDisplay=true\n"},
                 {"ilvex-test-browser", " link %u", "MimeType=x-scheme-handler/https;\nNoDisplay=true\n"},
                 {"ilvex-test-text", " file %f", "MimeType=text/plain;\nNoDisplay=true\n"}})
            sandbox->writeFile(".local/share/applications/" + QLatin1String(id) + ".desktop",
                               "[Desktop Entry]\nType=Application\nName=Ilvex Test App\nExec=" +
                                   recorder.toUtf8() + exec + '\n' + extra);
        QFile::copy(applications() + "/org.ilvex.TestApp.desktop", shared() + "/ilvex/nested.desktop");
        sandbox->writeFile(".config/mimeapps.list",
                           "[Default Applications]\ninode/directory=ilvex-test-folder.desktop\n"
                           "x-scheme-handler/https=ilvex-test-browser.desktop\n"
                           "text/x-ilvex-fifo=org.ilvex.Fifo.desktop;ilvex-test-text.desktop\n");
    }
    static void TearDownTestSuite() {
        suiteDone = true;
        fifoWatch.join();
        delete sandbox;
        sandbox = nullptr;
    }

    GioWorkspace workspace;
};

// Desktop entries run, folders and links go to their default handlers (a link typed without
// a scheme as https), and none of them inherits Ilvex's toolkit variables.
TEST_F(Launching, EntriesRunAndTheRestOpenWithDefaultHandlersWithoutIlvexsVariables) {
    ASSERT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArrayLiteral("offscreen")); // what must not leak
    FileBookmarks bookmarks;
    AppState state({&workspace, &bookmarks, &sandbox->preferences(), sandbox->supportDirectory(), false});
    const QString folder = sandbox->makeFolder("My Projects");
    // the handler that records it; the entry; what it is given
    const std::tuple<QString, AppItem, QString> cases[] = {
        {"app", {.appPath = applications() + "/org.ilvex.TestApp.desktop"}, {}},
        {"folder", {.appPath = folder, .isFolder = true}, folder},
        {"link", {.appPath = "example.com/news", .isURL = true}, "https://example.com/news"}};
    for (const auto &[handler, item, expected] : cases) {
        state.launch(item);
        // The recorder writes the first argument it was given, then its environment.
        const QString marker = markers() + u'/' + handler;
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 15000)) << qPrintable(handler);
        const QStringList lines = QString::fromUtf8(Sandbox::readFile(marker)).split(u'\n');
        // GIO hands a local folder over as a path or as a file URI.
        const QString given = lines[0].startsWith(u"file:") ? QUrl(lines[0]).toLocalFile() : lines[0];
        EXPECT_EQ(given, expected) << qPrintable(handler);
        EXPECT_TRUE(lines.contains("HOME=" + sandbox->home()));
        for (const QString &name : GioWorkspace::privateEnvironment())
            EXPECT_FALSE(lines.filter(QRegularExpression(u'^' + name + u'=')).size()) << qPrintable(name);
    }
}

TEST_F(Launching, TheWorkspaceFindsInstalledEntriesOnly) {
    const QString installed = applications() + "/org.ilvex.TestApp.desktop";
    EXPECT_EQ(workspace.applicationName(installed), "Ilvex Test App");
    // By id: an id with a dash may name an entry in a subfolder; an entry whose program is missing
    // (TryExec), a FIFO and a name no folder has are none.
    for (const auto &[id, path] : {std::pair{"org.ilvex.TestApp", installed},
                                   {"ilvex-nested", shared() + "/ilvex/nested.desktop"},
                                   {"org.ilvex.NotInstalled", {}},
                                   {"org.ilvex.Fifo", {}},
                                   {"", {}}})
        EXPECT_EQ(workspace.applicationPath(QLatin1String(id)).value_or(QString()), path) << id;
    EXPECT_EQ(workspace.applicationName(fifo()) + workspace.iconName(fifo()), QString());
    // The desktop-file id is the path below an applications folder; elsewhere an entry has none.
    for (const auto &[below, id] : {std::pair{"/org.ilvex.TestApp.desktop", "org.ilvex.TestApp"},
                                    {"/kde4/konsole.desktop", "kde4-konsole"},
                                    {"/../../Desktop/org.ilvex.TestApp.desktop", ""}})
        EXPECT_EQ(workspace.bundleIdentifier(applications() + QLatin1String(below)), QLatin1String(id));
    // The menus' entries, without the ones they hide (NoDisplay) and without the FIFO.
    QStringList listed;
    for (const InstalledApplication &app : workspace.installedApplications())
        listed << app.bundleIdentifier;
    listed.removeIf([](const QString &id) { return !id.contains(QLatin1String("ilvex")); });
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"ilvex-nested", "org.ilvex.TestApp"}));
    // The desktop's defaults (mimeapps.list) by MIME type and by URI scheme, none where it names none or
    // names the FIFO (which GIO would open); the terminal's entry by its program (entries the menus hide do
    // not count).
    for (const auto &[type, id] : {std::pair{"inode/directory", "ilvex-test-folder"},
                                   {"x-scheme-handler/ilvex-none", ""},
                                   {"text/x-ilvex-fifo", ""}})
        EXPECT_EQ(workspace.defaultApplication(QLatin1String(type)).value_or(QString()), QLatin1String(id));
    EXPECT_EQ(workspace.entryRunning(sandbox->home() + "/bin/record"), "org.ilvex.TestApp");
    EXPECT_FALSE(workspace.entryRunning("ilvex-no-such-program"));
}

} // namespace
