#include "favicons/FaviconCache.h"
#include "LoopbackHttpServer.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Answer = LoopbackHttpServer::Answer;

QByteArray png(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes;
}

const QString service = QStringLiteral("/s2/favicons"),
              site = QStringLiteral("/site/example.test/favicon.ico");

struct Favicons : ::testing::Test {
    QTemporaryDir dir;
    LoopbackHttpServer server;
    QString cacheDir() const { return dir.path() + QStringLiteral("/favicons"); }
    FaviconEndpoints endpoints(const QString &base) const {
        return {QUrl(base + service), base + QStringLiteral("/site/{host}/favicon.ico")};
    }
    QStringList files() const { return QDir(cacheDir()).entryList(QDir::Files | QDir::Hidden); }
    // The width of the image one lookup answered with, 0 for none, -1 when it never answered.
    static int lookUp(FaviconCache &cache, const QString &link) {
        std::optional<int> width;
        QObject receiver;
        cache.image(link, &receiver,
                    [&](const std::optional<QImage> &image) { width = image ? image->width() : 0; });
        (void)QTest::qWaitFor([&] { return width.has_value(); }, 8000);
        return width.value_or(-1);
    }
};

TEST_F(Favicons, TriesServiceThenSiteAndKeepsOnlyRealIcons) {
    const QByteArray huge = png(64) + QByteArray(2 * 1024 * 1024, 'a');
    // what; the service's answer, the site's (none: not asked); the width of the icon kept, 0 for none
    const std::tuple<const char *, Answer, std::optional<Answer>, int> cases[] = {
        {"service icon", {200, png(64)}, {}, 64},
        {"placeholder", {200, png(1)}, Answer{200, png(32)}, 32},
        {"garbage", {200, "<html>no</html>"}, Answer{200, png(16)}, 16},
        {"huge declared body", {200, huge}, Answer{200, png(16)}, 16},
        {"huge undeclared body", {200, huge, false}, Answer{200, png(16)}, 16},
        {"errors", {500, png(64)}, Answer{403, png(64)}, 0},
    };
    for (const auto &[name, serviceAnswer, siteAnswer, width] : cases) {
        SCOPED_TRACE(name);
        QDir(cacheDir()).removeRecursively();
        LoopbackHttpServer local;
        local.answer(service, serviceAnswer);
        if (siteAnswer)
            local.answer(site, *siteAnswer);
        FaviconCache cache(cacheDir(), endpoints(local.base()));
        EXPECT_EQ(lookUp(cache, "https://example.test/some/page"), width);
        const QStringList asked{service + "?domain=example.test&sz=64", site};
        EXPECT_EQ(local.requests(), asked.mid(0, siteAnswer ? 2 : 1));
        EXPECT_EQ(files(), width ? QStringList{"example.test.png"} : QStringList{});
    }
}

// The service never answers, the site trickles bytes forever; the failure is not remembered, a receiver
// gone before the answer is not called, and a later run reads the file (loopback port 1 refuses all).
TEST_F(Favicons, SlowServersTimeOutFailureIsNotRememberedAndLaterRunsReadTheFile) {
    server.answer(service, {.silent = true});
    server.answer(site, {.body = {}, .trickleEveryMs = 20});
    FaviconCache cache(cacheDir(), endpoints(server.base()));
    cache.setTimeouts(300, 800);
    EXPECT_EQ(lookUp(cache, "https://example.test"), 0);
    server.answer(service, {200, png(64)});
    {
        QObject gone;
        cache.image("https://example.test", &gone, [](const auto &) { FAIL() << "called"; });
    }
    EXPECT_EQ(lookUp(cache, "http://EXAMPLE.test:8080/b?x=1"), 64);
    EXPECT_EQ(server.requests().size(), 3);
    FaviconCache later(cacheDir(), endpoints(QStringLiteral("http://127.0.0.1:1")));
    EXPECT_EQ(lookUp(later, "example.test"), 64);
}

TEST_F(Favicons, LinksGiveHostsAndOnlySafeFileNamesAndHostileLinksWriteNothing) {
    // link>host, no host after a refused link; typed without a scheme, a link opens as https
    for (const QString row :
         {"https://www.Example.com/p?q=1>www.example.com", "  example.com/page  >example.com",
          "localhost:3000>localhost", "https://bücher.de>xn--bcher-kva.de", "mailto:a@b.com>",
          "file:///etc/passwd>", "https://a%2Fb.com/>"})
        EXPECT_EQ(FaviconCache::hostForLink(row.section(u'>', 0, 0)).value_or(""), row.section(u'>', 1));
    for (const char *hostile : {"..", ".", "../../x", "a/b", "a\\b", ".hidden", "a..b", "", "a b", "x%2fy"})
        EXPECT_FALSE(FaviconCache::fileNameForHost(QString::fromUtf8(hostile))) << hostile;
    server.answer(service, {200, png(64)});
    FaviconCache cache(cacheDir(), endpoints(server.base()));
    for (const char *link : {"https://..%2F..%2Fevil/", "https://%2e%2e/", "https://../"})
        EXPECT_EQ(lookUp(cache, QString::fromUtf8(link)), 0) << link;
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"favicons"});
    EXPECT_TRUE(files().isEmpty());
    // The environment replaces the build's service.
    qputenv("ILVEX_FAVICON_SERVICE_URL", "http://127.0.0.1:9/s2/favicons");
    EXPECT_EQ(FaviconEndpoints::standard().serviceBase, QUrl("http://127.0.0.1:9/s2/favicons"));
    qunsetenv("ILVEX_FAVICON_SERVICE_URL");
}

} // namespace
