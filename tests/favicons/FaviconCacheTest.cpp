#include "favicons/FaviconCache.h"
#include "LoopbackHttpServer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QByteArray png(int side, QColor color = Qt::red) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QString servicePath = QStringLiteral("/s2/favicons");
const QString sitePath = QStringLiteral("/site/example.test/favicon.ico");

FaviconEndpoints endpointsFor(const QString &base) {
    return {QUrl(base + servicePath), base + QStringLiteral("/site/{host}/favicon.ico")};
}

// Waits for one lookup; nullopt inside the optional means "answered with no image".
std::optional<std::optional<QImage>> lookUp(FaviconCache &cache, const QString &link, int timeoutMs = 8000) {
    std::optional<std::optional<QImage>> result;
    QObject receiver;
    cache.image(link, &receiver, [&](const std::optional<QImage> &image) { result = image; });
    (void)QTest::qWaitFor([&] { return result.has_value(); }, timeoutMs);
    return result;
}

QStringList filesIn(const QString &dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

struct Fixture : ::testing::Test {
    QTemporaryDir dir;
    LoopbackHttpServer server;
    QString cacheDir() const { return dir.path() + QStringLiteral("/favicons"); }
};
} // namespace

struct AnswerRow {
    const char *name;
    LoopbackHttpServer::Answer service;
    std::optional<LoopbackHttpServer::Answer> site; // none: 404
    int expectedWidth;                              // 0: no image
    int expectedRequests;
};

void PrintTo(const AnswerRow &row, std::ostream *out) {
    *out << row.name;
}

class FaviconAnswers : public Fixture, public ::testing::WithParamInterface<AnswerRow> {};

TEST_P(FaviconAnswers, TriesServiceThenSiteAndKeepsOnlyRealIcons) {
    const AnswerRow &row = GetParam();
    server.answer(servicePath, row.service);
    if (row.site)
        server.answer(sitePath, *row.site);
    FaviconCache cache(cacheDir(), endpointsFor(server.base()));

    const auto result = lookUp(cache, QStringLiteral("https://example.test/some/page"));
    ASSERT_TRUE(result.has_value()) << "no answer";
    EXPECT_EQ(result->has_value() ? (*result)->width() : 0, row.expectedWidth);
    ASSERT_EQ(server.requests().size(), row.expectedRequests);
    EXPECT_EQ(server.requests().first(), servicePath + QStringLiteral("?domain=example.test&sz=64"));
    if (row.expectedRequests > 1) {
        EXPECT_EQ(server.requests()[1], sitePath);
    }
    EXPECT_EQ(filesIn(cacheDir()),
              row.expectedWidth ? QStringList{QStringLiteral("example.test.png")} : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FaviconAnswers,
    ::testing::Values(
        AnswerRow{"ServiceIcon", {200, png(64)}, std::nullopt, 64, 1},
        AnswerRow{"ServicePlaceholderFallsBackToSite",
                  {200, png(1)},
                  LoopbackHttpServer::Answer{200, png(32)},
                  32,
                  2},
        AnswerRow{
            "Service404FallsBackToSite", {404, png(64)}, LoopbackHttpServer::Answer{200, png(16)}, 16, 2},
        AnswerRow{"ServiceGarbageFallsBackToSite",
                  {200, "<html>no</html>"},
                  LoopbackHttpServer::Answer{200, png(16)},
                  16,
                  2},
        AnswerRow{"HugeDeclaredBodyRejected",
                  {200, png(64) + QByteArray(2 * 1024 * 1024, 'a')},
                  LoopbackHttpServer::Answer{200, png(16)},
                  16,
                  2},
        AnswerRow{"HugeUndeclaredBodyRejected",
                  {200, png(64) + QByteArray(2 * 1024 * 1024, 'a'), false},
                  LoopbackHttpServer::Answer{200, png(16)},
                  16,
                  2},
        AnswerRow{
            "BothPlaceholdersGiveNothing", {200, png(1)}, LoopbackHttpServer::Answer{200, png(1)}, 0, 2},
        AnswerRow{"SiteErrorGivesNothing", {500, png(64)}, LoopbackHttpServer::Answer{403, png(64)}, 0, 2}),
    [](const auto &test) { return std::string(test.param.name); });

TEST_F(Fixture, SlowServersTimeOut) {
    // The service never answers (request time-out); the site trickles bytes forever (whole-download limit).
    server.answer(servicePath, {.silent = true});
    server.answer(sitePath, {.body = {}, .trickleEveryMs = 20});
    FaviconCache cache(cacheDir(), endpointsFor(server.base()));
    cache.setTimeouts(300, 800);

    // Without the limits the lookup would still be waiting when lookUp gives up.
    const auto result = lookUp(cache, QStringLiteral("https://example.test"));
    ASSERT_TRUE(result.has_value()) << "the lookup never finished";
    EXPECT_FALSE(result->has_value());
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(Fixture, EarlierRunServesFromDiskWithoutNetwork) {
    server.answer(servicePath, {200, png(48)});
    {
        FaviconCache first(cacheDir(), endpointsFor(server.base()));
        ASSERT_TRUE(lookUp(first, QStringLiteral("https://example.test/")).value_or(std::nullopt));
    }
    // Port 1 on loopback refuses every connection.
    FaviconCache second(cacheDir(), endpointsFor(QStringLiteral("http://127.0.0.1:1")));
    const auto result = lookUp(second, QStringLiteral("example.test"));
    ASSERT_TRUE(result && result->has_value());
    EXPECT_EQ((*result)->width(), 48);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(Fixture, OneHostSharesOneEntryAndOneFile) {
    server.answer(servicePath, {200, png(64)});
    FaviconCache cache(cacheDir(), endpointsFor(server.base()));
    QSignalSpy ready(&cache, &FaviconCache::imageReady);

    // Both lookups overlap: the second waits for the first instead of going to the network again.
    int answers = 0;
    QObject receiver;
    for (const char *link : {"https://example.test/a", "http://EXAMPLE.test:8080/b?x=1"})
        cache.image(QString::fromUtf8(link), &receiver,
                    [&](const std::optional<QImage> &image) { answers += image ? 1 : 0; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 2; }, 8000));
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(filesIn(cacheDir()), QStringList{QStringLiteral("example.test.png")});
    EXPECT_TRUE(cache.cachedImage(QStringLiteral("example.test/other")).has_value());
}

TEST_F(Fixture, FailureIsNotRememberedAndGoneReceiverIsNotCalled) {
    FaviconCache cache(cacheDir(), endpointsFor(server.base()));
    EXPECT_FALSE(lookUp(cache, QStringLiteral("https://example.test")).value());
    server.answer(servicePath, {200, png(64)});
    {
        QObject gone;
        cache.image(QStringLiteral("https://example.test"), &gone, [](const auto &) { FAIL() << "called"; });
    }
    EXPECT_TRUE(lookUp(cache, QStringLiteral("https://example.test")).value());
    EXPECT_EQ(server.requests().size(), 3);
}

TEST(FaviconHost, LinksGiveHostsAndOnlySafeFileNames) {
    const std::vector<std::pair<const char *, std::optional<QString>>> links = {
        {"https://www.Example.com/path?q=1", QStringLiteral("www.example.com")},
        {"example.com", QStringLiteral("example.com")}, // typed without a scheme: opens as https
        {"  example.com/page  ", QStringLiteral("example.com")},
        {"example.com:8080/page", QStringLiteral("example.com")}, // host and port, no scheme
        {"localhost:3000", QStringLiteral("localhost")},
        {"mailto:someone@example.com", std::nullopt},
        {"http://127.0.0.1:8080/", QStringLiteral("127.0.0.1")},
        {"https://bücher.de", QStringLiteral("xn--bcher-kva.de")},
        {"", std::nullopt},
        {"file:///etc/passwd", std::nullopt},
        {"https://", std::nullopt},
        {"https://..%2F..%2Fescape/", std::nullopt},
        {"https://a%2Fb.com/", std::nullopt},
    };
    for (const auto &[link, host] : links)
        EXPECT_EQ(FaviconCache::hostForLink(QString::fromUtf8(link)), host) << link;

    for (const char *hostile : {"..", ".", "../../x", "a/b", "a\\b", ".hidden", "a..b", "", "a b", "x%2fy"})
        EXPECT_FALSE(FaviconCache::fileNameForHost(QString::fromUtf8(hostile))) << hostile;
    EXPECT_EQ(FaviconCache::fileNameForHost(QStringLiteral("sub.example.com")),
              QStringLiteral("sub.example.com.png"));
}

TEST_F(Fixture, HostileLinkWritesNothing) {
    server.answer(servicePath, {200, png(64)});
    server.answer(QStringLiteral("/site/../../evil/favicon.ico"), {200, png(64)});
    FaviconCache cache(cacheDir(), endpointsFor(server.base()));
    for (const char *link : {"https://..%2F..%2Fevil/", "https://%2e%2e/", "https://../"})
        EXPECT_FALSE(lookUp(cache, QString::fromUtf8(link)).value()) << link;
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("favicons")});
    EXPECT_TRUE(filesIn(cacheDir()).isEmpty());
}

TEST(FaviconEndpointsTest, EnvironmentOverridesBuildDefault) {
    qputenv("ILVEX_FAVICON_SERVICE_URL", "http://127.0.0.1:9/s2/favicons");
    const FaviconEndpoints endpoints = FaviconEndpoints::standard();
    qunsetenv("ILVEX_FAVICON_SERVICE_URL");
    FaviconCache cache(QDir::tempPath() + QStringLiteral("/ilvex-unused"), endpoints);
    const QList<QUrl> urls = cache.requestUrls(QStringLiteral("example.com"));
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0].toString(), QStringLiteral("http://127.0.0.1:9/s2/favicons?domain=example.com&sz=64"));
    EXPECT_EQ(urls[1].toString(), QStringLiteral("https://example.com/favicon.ico"));
    EXPECT_EQ(FaviconEndpoints::standard().serviceBase.scheme(), QStringLiteral("https"));
}
