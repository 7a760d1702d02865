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
    buffer.open(QIODevice::WriteOnly);
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
    FaviconEndpoints endpoints() const { return endpoints(server.base()); }
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
    const struct {
        const char *name;
        Answer service;
        std::optional<Answer> site; // none: 404
        int width, requests;
    } cases[] = {
        {"service icon", {200, png(64)}, {}, 64, 1},
        {"placeholder", {200, png(1)}, Answer{200, png(32)}, 32, 2},
        {"404", {404, png(64)}, Answer{200, png(16)}, 16, 2},
        {"garbage", {200, "<html>no</html>"}, Answer{200, png(16)}, 16, 2},
        {"huge declared body", {200, huge}, Answer{200, png(16)}, 16, 2},
        {"huge undeclared body", {200, huge, false}, Answer{200, png(16)}, 16, 2},
        {"two placeholders", {200, png(1)}, Answer{200, png(1)}, 0, 2},
        {"errors", {500, png(64)}, Answer{403, png(64)}, 0, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(cacheDir()).removeRecursively();
        LoopbackHttpServer local;
        local.answer(service, c.service);
        if (c.site)
            local.answer(site, *c.site);
        FaviconCache cache(cacheDir(), endpoints(local.base()));
        EXPECT_EQ(lookUp(cache, QStringLiteral("https://example.test/some/page")), c.width);
        ASSERT_EQ(local.requests().size(), c.requests);
        EXPECT_EQ(local.requests().first(), service + QStringLiteral("?domain=example.test&sz=64"));
        EXPECT_EQ(local.requests().last(), c.requests > 1 ? site : local.requests().first());
        EXPECT_EQ(files(), c.width ? QStringList{QStringLiteral("example.test.png")} : QStringList{});
    }
}

TEST_F(Favicons, SlowServersTimeOut) {
    // The service never answers (request time-out); the site trickles bytes forever (whole-download limit).
    server.answer(service, {.silent = true});
    server.answer(site, {.body = {}, .trickleEveryMs = 20});
    FaviconCache cache(cacheDir(), endpoints());
    cache.setTimeouts(300, 800);
    EXPECT_EQ(lookUp(cache, QStringLiteral("https://example.test")), 0);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(Favicons, OneHostSharesOneEntryAndOneFileAndLaterRunsReadIt) {
    server.answer(service, {200, png(48)});
    {
        FaviconCache cache(cacheDir(), endpoints());
        // Both lookups overlap: the second waits for the first instead of going to the network again.
        int answers = 0;
        QObject receiver;
        for (const char *link : {"https://example.test/a", "http://EXAMPLE.test:8080/b?x=1"})
            cache.image(QString::fromUtf8(link), &receiver,
                        [&](const auto &image) { answers += image ? 1 : 0; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 2; }, 8000));
        EXPECT_EQ(files(), QStringList{QStringLiteral("example.test.png")});
    }
    // Port 1 on loopback refuses every connection: the file of the earlier run answers.
    FaviconCache later(cacheDir(), endpoints(QStringLiteral("http://127.0.0.1:1")));
    EXPECT_EQ(lookUp(later, QStringLiteral("example.test")), 48);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(Favicons, FailureIsNotRememberedAndGoneReceiverIsNotCalled) {
    FaviconCache cache(cacheDir(), endpoints());
    EXPECT_EQ(lookUp(cache, QStringLiteral("https://example.test")), 0);
    server.answer(service, {200, png(64)});
    {
        QObject gone;
        cache.image(QStringLiteral("https://example.test"), &gone, [](const auto &) { FAIL() << "called"; });
    }
    EXPECT_EQ(lookUp(cache, QStringLiteral("https://example.test")), 64);
    EXPECT_EQ(server.requests().size(), 3);
}

TEST_F(Favicons, LinksGiveHostsAndOnlySafeFileNamesAndHostileLinksWriteNothing) {
    const std::pair<const char *, const char *> links[] = {
        // "" for no host
        {"https://www.Example.com/path?q=1", "www.example.com"},
        {"  example.com/page  ", "example.com"}, // typed without a scheme: opens as https
        {"localhost:3000", "localhost"},
        {"http://127.0.0.1:8080/", "127.0.0.1"},
        {"https://bücher.de", "xn--bcher-kva.de"},
        {"mailto:someone@example.com", ""},
        {"file:///etc/passwd", ""},
        {"https://", ""},
        {"https://a%2Fb.com/", ""},
    };
    for (const auto &[link, host] : links)
        EXPECT_EQ(FaviconCache::hostForLink(QString::fromUtf8(link)).value_or(""), QString::fromUtf8(host))
            << link;
    for (const char *hostile : {"..", ".", "../../x", "a/b", "a\\b", ".hidden", "a..b", "", "a b", "x%2fy"})
        EXPECT_FALSE(FaviconCache::fileNameForHost(QString::fromUtf8(hostile))) << hostile;
    EXPECT_EQ(FaviconCache::fileNameForHost(QStringLiteral("sub.example.com")),
              QStringLiteral("sub.example.com.png"));

    server.answer(service, {200, png(64)});
    server.answer(QStringLiteral("/site/../../evil/favicon.ico"), {200, png(64)});
    FaviconCache cache(cacheDir(), endpoints());
    for (const char *link : {"https://..%2F..%2Fevil/", "https://%2e%2e/", "https://../"})
        EXPECT_EQ(lookUp(cache, QString::fromUtf8(link)), 0) << link;
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"favicons"});
    EXPECT_TRUE(files().isEmpty());
}

TEST(FaviconEndpoints, EnvironmentOverridesBuildDefault) {
    qputenv("ILVEX_FAVICON_SERVICE_URL", "http://127.0.0.1:9/s2/favicons");
    const FaviconEndpoints endpoints = FaviconEndpoints::standard();
    qunsetenv("ILVEX_FAVICON_SERVICE_URL");
    EXPECT_EQ(FaviconCache(QDir::tempPath() + "/ilvex-unused", endpoints).requestUrls("example.com"),
              (QList<QUrl>{QUrl("http://127.0.0.1:9/s2/favicons?domain=example.com&sz=64"),
                           QUrl("https://example.com/favicon.ico")}));
    EXPECT_EQ(FaviconEndpoints::standard().serviceBase.scheme(), QStringLiteral("https"));
}

} // namespace
