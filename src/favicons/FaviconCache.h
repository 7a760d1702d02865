#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;

// Where favicons are fetched from. The build sets the public service; ILVEX_FAVICON_SERVICE_URL and
// ILVEX_FAVICON_SITE_URL override both (tests point them at a loopback server).
struct FaviconEndpoints {
    QUrl serviceBase;     // the service's "/s2/favicons" address; "?domain=<host>&sz=64" is appended
    QString siteTemplate; // the site's own icon, "{host}" replaced by the host
    static FaviconEndpoints standard();
};

// Site icons for link entries: fetched once per host, kept in memory for the run and on disk (the raw
// bytes as downloaded, in "<support>/favicons/<host>.png") for later runs. Everything is asynchronous:
// callers get the image later through a callback or imageReady(), never by waiting, so the ring is drawn
// at once with its placeholder. Failures give no image and are not remembered, so the next request
// tries the network again.
class FaviconCache : public QObject {
    Q_OBJECT

  public:
    static constexpr qint64 maxBodyBytes = 1024 * 1024;
    static constexpr int iconPixelSize = 64;

    using Completion = std::function<void(const std::optional<QImage> &)>;

    // Keeps its files in diskDirectory and fetches from endpoints; both are the assembler's choice.
    FaviconCache(const QString &diskDirectory, FaviconEndpoints endpoints, QObject *parent = nullptr);
    ~FaviconCache() override;

    // The host a link's favicon belongs to: its URL's host, lower case and ASCII; a link typed without a
    // scheme counts as https. None when there is no usable host.
    static std::optional<QString> hostForLink(const QString &linkText);
    // "<host>.png" for a plain host name, none for anything that could name a file elsewhere.
    static std::optional<QString> fileNameForHost(const QString &host);

    QString diskDirectory() const { return m_diskDirectory; }
    // The two addresses tried in order: the favicon service, then the site's "/favicon.ico".
    QList<QUrl> requestUrls(const QString &host) const;
    void setTimeouts(int requestMilliseconds, int resourceMilliseconds);

    // The image in memory for the link, without touching disk or network.
    std::optional<QImage> cachedImage(const QString &linkText) const;
    // Looks the link's icon up in memory, then on disk, then on the network. `done` runs later on this
    // thread, unless `receiver` has gone by then.
    void image(const QString &linkText, QObject *receiver, Completion done);

  Q_SIGNALS:
    // A host's icon arrived from disk or network.
    void imageReady(const QString &host, const QImage &image);

  private:
    struct Waiter {
        QPointer<QObject> receiver;
        Completion done;
    };

    void loadFromDisk(const QString &host);
    void fetch(const QString &host, int urlIndex);
    void acceptDownload(const QString &host, int urlIndex, const QByteArray &body);
    void finish(const QString &host, const std::optional<QImage> &image);
    void runInPool(std::function<void()> work);
    QString filePath(const QString &host) const;

    QString m_diskDirectory;
    FaviconEndpoints m_endpoints;
    int m_requestTimeout = 6000;
    int m_resourceTimeout = 10000;
    QHash<QString, QImage> m_memory;
    QHash<QString, QList<Waiter>> m_pending; // hosts being looked up, with everyone waiting for them
    QNetworkAccessManager *m_network;
    QThreadPool m_pool; // decoding and file access, off the main thread
    bool m_closing = false;
};
