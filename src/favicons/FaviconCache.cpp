#include "favicons/FaviconCache.h"

#include "BuildConfig.h"
#include "platform/PrivateFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>

#include <atomic>

#include <memory>

// Printed like the other "ilvex." categories (platform/Log.h).
Q_LOGGING_CATEGORY(lcFavicons, "ilvex.favicons", QtInfoMsg)

namespace {
QString environmentOr(const char *name, const QString &fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

// Decodes whatever image format the server sent. The allocation limit keeps a small body that claims a
// huge picture from taking memory that the never-evicted memory cache would then hold for the whole run.
std::optional<QImage> decodeImage(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(16); // megabytes: 2048 × 2048 pixels, far more than any site icon
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

// Regular files only: a FIFO in the cache folder would hold a pool thread, and the quit that waits for it.
std::optional<QByteArray> readSmallFile(const QString &path) {
    auto file = PrivateFiles::readRegularFile(path, FaviconCache::maxBodyBytes);
    if (file.status != PrivateFiles::ReadResult::read)
        return std::nullopt;
    return std::move(file.bytes);
}
} // namespace

FaviconEndpoints FaviconEndpoints::standard() {
    return {
        QUrl(environmentOr("ILVEX_FAVICON_SERVICE_URL", QString::fromUtf8(BuildConfig::faviconServiceUrl))),
        environmentOr("ILVEX_FAVICON_SITE_URL", QStringLiteral("https://{host}/favicon.ico"))};
}

FaviconCache::FaviconCache(const QString &diskDirectory, FaviconEndpoints endpoints, QObject *parent)
    : QObject(parent), m_diskDirectory(diskDirectory), m_endpoints(std::move(endpoints)),
      m_network(new QNetworkAccessManager(this)) {
    PrivateFiles::makeFolder(m_diskDirectory); // without it the cache still works, in memory only
    m_pool.setMaxThreadCount(2);
}

FaviconCache::~FaviconCache() {
    // Replies report "finished" when aborted; nothing may run on half-destroyed members.
    m_closing = true;
    m_pool.waitForDone();
    delete m_network;
}

std::optional<QString> FaviconCache::hostForLink(const QString &linkText) {
    const QString text = linkText.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    // "example.com" has no scheme and so no host; it opens as https, and so is its icon looked up.
    // "example.com:8080" and "localhost:3000" parse as a scheme and a path, but were typed as host and
    // port: they open as https too.
    const QString path = url.path();
    const bool hostAndPort = url.host().isEmpty() && !path.isEmpty() && path.front().isDigit() &&
                             (url.scheme() == u"localhost" || url.scheme().contains(u'.'));
    if (url.isValid() && (url.scheme().isEmpty() || hostAndPort))
        url = QUrl(QStringLiteral("https://") + text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!fileNameForHost(host))
        return std::nullopt;
    return host;
}

std::optional<QString> FaviconCache::fileNameForHost(const QString &host) {
    // Host names (ASCII form), IPv4 and bare IPv6 addresses only: no separators, no "..", no hidden names.
    if (host.isEmpty() || host.size() > 253 || host.startsWith(u'.') || host.contains(QStringLiteral("..")))
        return std::nullopt;
    for (const QChar c : host) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' ||
                             c == u'_' || c == u':';
        if (!allowed)
            return std::nullopt;
    }
    return host + QStringLiteral(".png");
}

QList<QUrl> FaviconCache::requestUrls(const QString &host) const {
    QUrl service = m_endpoints.serviceBase;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("domain"), host);
    query.addQueryItem(QStringLiteral("sz"), QString::number(iconPixelSize));
    service.setQuery(query);

    const QString hostInUrl = host.contains(u':') ? u'[' + host + u']' : host;
    QString site = m_endpoints.siteTemplate;
    site.replace(QStringLiteral("{host}"), hostInUrl);

    QList<QUrl> urls;
    for (const QUrl &url : {service, QUrl(site, QUrl::StrictMode)}) {
        if (url.isValid() && !url.host().isEmpty())
            urls.append(url);
    }
    return urls;
}

void FaviconCache::setTimeouts(int requestMilliseconds, int resourceMilliseconds) {
    m_requestTimeout = requestMilliseconds;
    m_resourceTimeout = resourceMilliseconds;
}

QString FaviconCache::filePath(const QString &host) const {
    return m_diskDirectory + u'/' + fileNameForHost(host).value_or(QString());
}

std::optional<QImage> FaviconCache::cachedImage(const QString &linkText) const {
    const auto host = hostForLink(linkText);
    if (!host)
        return std::nullopt;
    const auto found = m_memory.constFind(*host);
    if (found == m_memory.constEnd())
        return std::nullopt;
    return *found;
}

void FaviconCache::image(const QString &linkText, QObject *receiver, Completion done) {
    const auto host = hostForLink(linkText);
    const std::optional<QImage> known = host ? cachedImage(linkText) : std::nullopt;
    if (!host || known) {
        QTimer::singleShot(0, receiver ? receiver : this, [done = std::move(done), known] {
            if (done)
                done(known);
        });
        return;
    }
    // One lookup per host at a time: later callers wait for the one under way.
    const bool underWay = m_pending.contains(*host);
    m_pending[*host].append({receiver ? receiver : this, std::move(done)});
    if (!underWay)
        loadFromDisk(*host);
}

void FaviconCache::runInPool(std::function<void()> work) {
    m_pool.start(std::move(work));
}

void FaviconCache::loadFromDisk(const QString &host) {
    runInPool([this, host, path = filePath(host)] {
        std::optional<QImage> image;
        if (const auto bytes = readSmallFile(path))
            image = decodeImage(*bytes);
        // Posted events die with this object, and the destructor waits for the pool.
        QMetaObject::invokeMethod(
            this,
            [this, host, image] {
                if (image)
                    finish(host, image);
                else
                    fetch(host, 0);
            },
            Qt::QueuedConnection);
    });
}

void FaviconCache::fetch(const QString &host, int urlIndex) {
    const QList<QUrl> urls = requestUrls(host);
    if (urlIndex >= urls.size()) {
        finish(host, std::nullopt);
        return;
    }
    QNetworkRequest request(urls[urlIndex]);
    request.setTransferTimeout(m_requestTimeout); // no byte for this long: give up
    QNetworkReply *reply = m_network->get(request);

    struct Download {
        QByteArray body;
        bool tooLarge = false;
    };
    auto download = std::make_shared<Download>();
    auto abortIfTooLarge = [reply, download](qint64 size) {
        if (size > maxBodyBytes && !download->tooLarge) {
            download->tooLarge = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, abortIfTooLarge] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            abortIfTooLarge(length.toLongLong());
    });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, download, abortIfTooLarge] {
        if (download->tooLarge)
            return;
        download->body += reply->readAll();
        abortIfTooLarge(download->body.size());
    });
    QTimer::singleShot(m_resourceTimeout, reply, [reply] { reply->abort(); }); // the whole download
    connect(reply, &QNetworkReply::finished, this, [this, reply, download, host, urlIndex] {
        reply->deleteLater();
        if (m_closing)
            return;
        if (!download->tooLarge && reply->error() == QNetworkReply::NoError)
            download->body += reply->readAll();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool rejected = download->tooLarge || download->body.size() > maxBodyBytes ||
                              reply->error() != QNetworkReply::NoError ||
                              (status.isValid() && status.toInt() != 200);
        if (rejected)
            fetch(host, urlIndex + 1);
        else
            acceptDownload(host, urlIndex, download->body);
    });
}

void FaviconCache::acceptDownload(const QString &host, int urlIndex, const QByteArray &body) {
    runInPool([this, host, urlIndex, body, path = filePath(host)] {
        std::optional<QImage> image = decodeImage(body);
        // Services answer sites they have no icon for with a 1×1 placeholder.
        if (image && image->width() <= 1)
            image.reset();
        // A failed write only costs a download next run; it is said once a run, the file left as it was.
        QString reason;
        if (image && !PrivateFiles::writeAtomically(path, body, &reason)) {
            static std::atomic_flag said;
            if (!said.test_and_set())
                qCWarning(lcFavicons).noquote()
                    << QStringLiteral("could not write the site icon %1: %2").arg(path, reason);
        }
        QMetaObject::invokeMethod(
            this,
            [this, host, urlIndex, image] {
                if (image)
                    finish(host, image);
                else
                    fetch(host, urlIndex + 1);
            },
            Qt::QueuedConnection);
    });
}

void FaviconCache::finish(const QString &host, const std::optional<QImage> &image) {
    if (image) {
        m_memory.insert(host, *image);
        Q_EMIT imageReady(host, *image);
    }
    const QList<Waiter> waiters = m_pending.take(host);
    for (const Waiter &waiter : waiters) {
        if (waiter.receiver && waiter.done)
            waiter.done(image);
    }
}
