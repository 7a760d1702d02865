// The updater: version order, reading appcasts, and checks against a feed on loopback.
#include "shell/UpdateChecker.h"
#include "favicons/LoopbackHttpServer.h"
#include "l10n/L.h"
#include "shell/AppDelegate.h"
#include "store/AppState.h"
#include "support/FakeWorkspace.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Outcome = UpdateChecker::Outcome;

TEST(Appcast, VersionsCompareByNumberPartByPart) {
    const std::tuple<const char *, const char *, int> cases[] = {
        {"1.10", "1.9", 1},  {"1.2", "1.2.0", 0}, {"1.0rc1", "1.0", -1},
        {" 3.1 ", "3.1", 0}, {"", "0", 0},        {"x", "1", -1},
    };
    for (const auto &[a, b, order] : cases) {
        EXPECT_EQ(Appcast::compareVersions(QLatin1String(a), QLatin1String(b)), order) << a << " " << b;
        EXPECT_EQ(Appcast::compareVersions(QLatin1String(b), QLatin1String(a)), -order) << b << " " << a;
    }
    // The short version decides; the build breaks a tie.
    const std::pair<AppcastRelease, bool> releases[] = {
        {{"7", "1.10", {}}, true}, {{"41", "1.9", {}}, true}, {{"1.9", {}, {}}, false}};
    for (const auto &[release, newer] : releases)
        EXPECT_EQ(Appcast::isNewer(release, "1.9", "40"), newer) << release.version.toStdString();
}

QByteArray feed(const QByteArray &items) {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:u=\"urn:example:updates\">"
           "<channel><title>Ilvex</title><link>https://ilvex.invalid/</link>" +
           items + "</channel></rss>";
}

TEST(Appcast, TheNewestReleaseOfAFeedOrNoneForOtherBodies) {
    const std::tuple<const char *, QByteArray, std::optional<AppcastRelease>> cases[] = {
        // what, body, newest
        {"attributes in the feed's namespace; the newest of several items",
         feed("<item><link>https://ilvex.invalid/1.9</link><enclosure url=\"https://ilvex.invalid/a\" "
              "u:version=\"19\" u:shortVersionString=\"1.9\"/></item>"
              "<item><link>https://ilvex.invalid/1.10</link><enclosure url=\"https://ilvex.invalid/b\" "
              "u:version=\"20\" u:shortVersionString=\"1.10\"/></item>"),
         AppcastRelease{"20", "1.10", QUrl("https://ilvex.invalid/1.10")}},
        {"elements, no item link: the enclosure's address",
         feed("<item><u:version>5</u:version><u:shortVersionString>2.0</u:shortVersionString>"
              "<enclosure url=\"https://ilvex.invalid/2.0.deb\"/></item>"),
         AppcastRelease{"5", "2.0", QUrl("https://ilvex.invalid/2.0.deb")}},
        {"a page that is no web page is not offered",
         feed("<item><link>file:///etc/passwd</link><enclosure u:version=\"3.0\"/></item>"),
         AppcastRelease{"3.0", {}, {}}},
        {"RSS without releases", feed("<item><link>https://ilvex.invalid/n</link></item>"), {}},
        {"truncated after a whole item", feed("<item><enclosure u:version=\"2\"/></item>").chopped(16), {}},
    };
    for (const auto &[what, body, release] : cases)
        EXPECT_EQ(Appcast::newestRelease(body), release) << what;
}

struct UpdateCheckTest : ::testing::Test {
    QuietWindows quiet;
    Sandbox sandbox;
    LoopbackHttpServer server;
};

TEST_F(UpdateCheckTest, OnlyAReadAppcastIsUpToDateEveryOtherAnswerFails) {
    const QByteArray newer = feed("<item><link>https://ilvex.invalid/dl</link><enclosure u:version=\"41\" "
                                  "u:shortVersionString=\"1.10\"/></item>");
    const QByteArray equal =
        feed("<item><enclosure u:version=\"40\" u:shortVersionString=\"1.9.0\"/></item>");
    // Valid, newer and over 8 MiB, sent in one write with and without its length.
    const QByteArray huge =
        feed("<!--" + QByteArray(8 * 1024 * 1024, 'x') + "-->" + newer.mid(newer.indexOf("<item>")));
    // A path is answered by the loopback server; anything else is the feed's address itself.
    // path or address, answer, outcome, what the reason says (a huge feed gets the time to arrive)
    const std::tuple<QString, LoopbackHttpServer::Answer, Outcome, const char *> cases[] = {
        {"/newer.xml", {200, newer}, Outcome::newer, ""},
        {"/equal.xml", {200, equal}, Outcome::upToDate, ""},
        {"/error.xml", {500, equal}, Outcome::failed, ""},
        {"/html.xml", {200, "<html><body>Welcome</body></html>"}, Outcome::failed, ""},
        {"/huge.xml", {200, huge}, Outcome::failed, "larger than 8 MiB"},
        {"/huge-unannounced.xml", {200, huge, false}, Outcome::failed, "larger than 8 MiB"},
        // The whole answer within the time-out, not just its start (so a silent server fails too).
        {"/trickle.xml", {200, {}, true, false, 20}, Outcome::failed, ""},
        {"file:///etc/hosts", {}, Outcome::cannotCheck, ""},
        {"https://updates.ilvex.invalid/appcast.xml", {}, Outcome::cannotCheck, ""}, // never resolves
    };
    for (const auto &[path, answer, outcome, reason] : cases) {
        server.answer(path, answer);
        const QString url = path.startsWith(u'/') ? server.base() + path : path;
        UpdateChecker checker({QUrl(url), "1.9", "40", *reason ? 8000 : 300}, &sandbox.preferences());
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        checker.checkNow();
        ASSERT_TRUE(finished.size() == 1 || finished.wait(10000)) << url.toStdString();
        const auto result = finished[0][0].value<UpdateChecker::Result>();
        EXPECT_EQ(result.outcome, outcome) << url.toStdString() << " " << result.reason.toStdString();
        EXPECT_TRUE(result.reason.contains(QLatin1String(reason))) << result.reason.toStdString();
    }
}

// The first automatic check runs at start and offers a newer release unasked; the daily timer runs while
// the checks are on.
TEST_F(UpdateCheckTest, AtStartTheShellHidesTheLauncherAndOffersTheDownloadPage) {
    server.answer(
        QStringLiteral("/feed.xml"),
        {200, feed("<item><link>https://ilvex.invalid/dl</link><enclosure u:version=\"41\" "
                   "u:shortVersionString=\"2.0 &lt;a href='file:///etc/passwd'&gt;&lt;b&gt;CLICK TO "
                   "UPDATE&lt;/b&gt;&lt;/a&gt; and more than forty\"/></item>")});
    FakeWorkspace workspace;
    AppState state({&workspace, nullptr, &sandbox.preferences(), sandbox.supportDirectory(), false});
    AppDelegate shell(&state);
    shell.setServices({nullptr, nullptr, &workspace});
    UpdateChecker checker({QUrl(server.base() + "/feed.xml"), "1.9", "40"}, &sandbox.preferences());
    shell.setUpdateChecker(&checker);
    const auto alert = [&shell] { return shell.updateAlerts().alert(); };
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    shell.showLauncher(LaunchSource::centered);
    checker.start();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(checker.timerActive());
    EXPECT_FALSE(shell.isLauncherShown()) << "the offer is not hidden behind the ring";
    ASSERT_NE(alert(), nullptr) << "an offer speaks even unasked";
    // The feed's text as plain text, elided to one short line.
    const QString shown = "2.0 <a href='file:///etc/passwd'><b>CLI…";
    EXPECT_EQ(alert()->informativeText(), L::updateAvailableMessage(shown, "1.9"));
    const auto *label = alert()->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    alert()->findChild<QPushButton *>(QStringLiteral("download"))->click();
    EXPECT_EQ(workspace.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://ilvex.invalid/dl"))});

    // A failed check of its own accord stays silent; the user's says it failed.
    server.answer(QStringLiteral("/feed.xml"), {404, "gone"});
    delete alert();
    checker.check(false);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(alert(), nullptr);
    shell.checkForUpdates();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(alert() ? alert()->text() : QString(), L::updateCheckFailed());
    delete alert();
    shell.setUpdateChecker(nullptr);
    checker.setAutomaticChecks(false);
    EXPECT_FALSE(checker.timerActive());
    UpdateChecker next({QUrl(server.base() + "/feed.xml"), {}, {}}, &sandbox.preferences());
    next.start();
    EXPECT_FALSE(next.isChecking()) << "switched off in the preferences: no check at start";
}

} // namespace
