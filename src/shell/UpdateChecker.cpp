#include "shell/UpdateChecker.h"

#include "BuildConfig.h"
#include "settings/Preferences.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace Appcast {
namespace {

// The attribute or, in newer feeds, the child element of that local name; any namespace.
QString attribute(const QXmlStreamAttributes &attributes, QLatin1String name) {
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name() == name)
            return a.value().toString().trimmed();
    }
    return {};
}

struct Part {
    qlonglong number;
    bool plain; // digits only
};

Part parsePart(QStringView text) {
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit())
        ++digits;
    bool ok = false;
    const qlonglong number = digits ? text.left(std::min<qsizetype>(digits, 18)).toLongLong(&ok) : 0;
    return {ok ? number : 0, digits == text.size()};
}

} // namespace

int compareVersions(const QString &a, const QString &b) {
    const QList<QStringView> left = QStringView(a).trimmed().split(u'.');
    const QList<QStringView> right = QStringView(b).trimmed().split(u'.');
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        // A missing part is a zero: 1.2 == 1.2.0.
        const Part l = i < left.size() ? parsePart(left[i]) : Part{0, true};
        const Part r = i < right.size() ? parsePart(right[i]) : Part{0, true};
        if (l.number != r.number)
            return l.number < r.number ? -1 : 1;
        if (l.plain != r.plain)
            return l.plain ? 1 : -1;
    }
    return 0;
}

bool isNewer(const AppcastRelease &release, const QString &version, const QString &build) {
    if (release.shortVersion.isEmpty())
        return compareVersions(release.version, version) > 0;
    const int byShort = compareVersions(release.shortVersion, version);
    return byShort > 0 || (byShort == 0 && compareVersions(release.version, build) > 0);
}

std::optional<AppcastRelease> newestRelease(const QByteArray &body) {
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.name() != u"rss")
        return std::nullopt;
    std::optional<AppcastRelease> newest;
    std::optional<AppcastRelease> item; // the item being read
    QUrl channelLink;
    QUrl enclosureUrl;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        const QStringView name = xml.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == u"item") {
                item = AppcastRelease{};
                enclosureUrl.clear();
            } else if (name == u"enclosure" && item) {
                const QXmlStreamAttributes attributes = xml.attributes();
                for (auto [field, key] :
                     {std::pair{&item->version, QLatin1String("version")},
                      std::pair{&item->shortVersion, QLatin1String("shortVersionString")}}) {
                    if (const QString value = attribute(attributes, key); !value.isEmpty())
                        *field = value;
                }
                enclosureUrl = QUrl(attribute(attributes, QLatin1String("url")));
            } else if (name == u"version" && item && item->version.isEmpty()) {
                item->version = xml.readElementText().trimmed();
            } else if (name == u"shortVersionString" && item && item->shortVersion.isEmpty()) {
                item->shortVersion = xml.readElementText().trimmed();
            } else if (name == u"link" && xml.namespaceUri().isEmpty()) {
                const QUrl link(xml.readElementText().trimmed());
                (item ? item->page : channelLink) = link;
            }
        } else if (token == QXmlStreamReader::EndElement && name == u"item" && item) {
            if (item->page.isEmpty())
                item->page = enclosureUrl;
            const AppcastRelease &r = *item;
            if (!r.version.isEmpty() &&
                (!newest || Appcast::compareVersions(r.displayVersion(), newest->displayVersion()) > 0 ||
                 (Appcast::compareVersions(r.displayVersion(), newest->displayVersion()) == 0 &&
                  Appcast::compareVersions(r.version, newest->version) > 0)))
                newest = r;
            item.reset();
        }
    }
    if (xml.hasError() || !newest)
        return std::nullopt;
    if (newest->page.isEmpty())
        newest->page = channelLink;
    // The feed comes from the network: only a web page is ever opened from it.
    const QString scheme = newest->page.scheme();
    if (!newest->page.isValid() || (scheme != u"https" && scheme != u"http"))
        newest->page.clear();
    return newest;
}

} // namespace Appcast

UpdateChecker::Config UpdateChecker::buildConfig() {
    const QString feed = QString::fromUtf8(BuildConfig::updateFeedUrl).trimmed();
    return {feed.isEmpty() ? QUrl() : QUrl(feed), QString::fromUtf8(BuildConfig::version),
            QString::fromUtf8(BuildConfig::buildNumber)};
}

UpdateChecker::UpdateChecker(Config config, Preferences *preferences, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_preferences(preferences) {
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { check(false); });
    if (m_preferences) {
        connect(m_preferences, &Preferences::changed, this, [this](Preferences::Key key) {
            if (key == Preferences::Key::checkForUpdatesAutomatically)
                followPreference();
        });
    }
}

UpdateChecker::~UpdateChecker() {
    if (m_reply)
        m_reply->abort();
}

bool UpdateChecker::isChecking() const {
    return !m_reply.isNull();
}

bool UpdateChecker::automaticChecks() const {
    return m_preferences && m_preferences->checkForUpdatesAutomatically();
}

void UpdateChecker::setAutomaticChecks(bool on) {
    if (m_preferences)
        m_preferences->setCheckForUpdatesAutomatically(on);
}

bool UpdateChecker::hasFeed() const {
    const QUrl &feed = m_config.feed;
    const QString scheme = feed.scheme();
    const QString host = feed.host().toLower();
    return feed.isValid() && (scheme == u"https" || scheme == u"http") && !host.isEmpty() &&
           host != u"invalid" && !host.endsWith(u".invalid");
}

void UpdateChecker::start() {
    followPreference();
    if (automaticChecks() && hasFeed())
        check(false);
}

void UpdateChecker::followPreference() {
    if (automaticChecks() && hasFeed()) {
        if (!m_timer.isActive())
            m_timer.start();
    } else {
        m_timer.stop();
    }
}

QString UpdateChecker::shownFeedText(const QString &text) {
    constexpr qsizetype longest = 40;
    QString line = text.simplified();
    if (line.size() > longest)
        line = line.left(longest - 1) + u'…';
    return line;
}

void UpdateChecker::check(bool userInitiated) {
    m_userInitiated = m_userInitiated || userInitiated;
    if (m_reply)
        return; // its answer serves this request too
    if (!hasFeed()) {
        finish({Outcome::cannotCheck, {}, QStringLiteral("no usable feed address")});
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(m_config.feed);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Ilvex/%1").arg(m_config.version));
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    m_body.clear();
    m_tooLarge = false;
    // The limit holds on the bytes received: the reply buffers little, and what it has is taken at once.
    reply->setReadBufferSize(64 * 1024);
    auto take = [this, reply] {
        if (m_tooLarge)
            return;
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        m_body += reply->read(maxFeedBytes + 1 - m_body.size());
        if (m_body.size() > maxFeedBytes || (announced.isValid() && announced.toLongLong() > maxFeedBytes)) {
            m_tooLarge = true;
            m_body.clear();
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, take);
    connect(reply, &QNetworkReply::readyRead, this, take);
    // The whole answer within the time-out: a feed that trickles forever fails too.
    QTimer::singleShot(m_config.timeoutMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { complete(reply); });
}

void UpdateChecker::complete(QNetworkReply *reply) {
    reply->deleteLater();
    m_reply = nullptr;
    m_network->deleteLater();
    m_network = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_tooLarge && reply->error() == QNetworkReply::NoError)
        m_body += reply->read(maxFeedBytes + 1 - m_body.size());
    m_tooLarge = m_tooLarge || m_body.size() > maxFeedBytes;
    const QByteArray body = std::exchange(m_body, {});
    if (m_tooLarge) {
        finish({Outcome::failed, {}, QStringLiteral("the feed is larger than 8 MiB")});
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const QString why = reply->error() == QNetworkReply::OperationCanceledError
                                ? QStringLiteral("no answer within %1 s").arg(m_config.timeoutMs / 1000.0)
                                : reply->errorString();
        finish({Outcome::failed, {}, why});
        return;
    }
    if (status != 200) {
        finish({Outcome::failed, {}, QStringLiteral("the feed answered HTTP %1").arg(status)});
        return;
    }
    const auto release = Appcast::newestRelease(body);
    if (!release) {
        finish({Outcome::failed, {}, QStringLiteral("the feed is not an appcast")});
        return;
    }
    if (Appcast::isNewer(*release, m_config.version, m_config.build))
        finish({Outcome::newer, *release, {}});
    else
        finish({Outcome::upToDate, *release, {}});
}

void UpdateChecker::finish(const Result &result) {
    const bool userInitiated = m_userInitiated;
    m_userInitiated = false;
    Q_EMIT finished(result, userInitiated);
}
