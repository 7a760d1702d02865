#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <optional>

class Preferences;
class QNetworkAccessManager;
class QNetworkReply;

// One release offered by an update feed.
struct AppcastRelease {
    QString version;      // the enclosure's "version": the build it ships
    QString shortVersion; // its "shortVersionString", the version people see; may be empty
    QUrl page;            // where the user downloads it: the item's link, else the enclosure's address

    // The version shown to people: the short one when the feed gives it.
    QString displayVersion() const { return shortVersion.isEmpty() ? version : shortVersion; }
    bool operator==(const AppcastRelease &) const = default;
};

namespace Appcast {
// The newest release of an RSS appcast: items whose enclosure (or the item itself) carries a "version"
// and optionally a "shortVersionString" attribute or element, in whatever namespace the feed binds them
// to. None when the body is not XML, not RSS, or names no release at all: such a body is no appcast.
std::optional<AppcastRelease> newestRelease(const QByteArray &body);
// Dotted versions compared part by part as numbers: 1.10 > 1.9, 1.2 == 1.2.0. A part's leading digits
// count; a part with a suffix ("2rc1") sorts before the same number without one.
int compareVersions(const QString &a, const QString &b);
// Whether release is newer than the running version and build: the short versions decide, the build
// numbers break a tie. A release without a short version compares its version with ours.
bool isNewer(const AppcastRelease &release, const QString &version, const QString &build);
} // namespace Appcast

// The built-in updater: reads the appcast at the build's feed address, at start and then every 24 hours
// while "Check Automatically" is on, and on request. A check that could not read an appcast fails; only
// a check that read one and found nothing newer is "up to date". What the user sees of it is the
// shell's business (finished()).
class UpdateChecker : public QObject {
    Q_OBJECT

  public:
    static constexpr int intervalMs = 24 * 60 * 60 * 1000;
    static constexpr qint64 maxFeedBytes = 8 * 1024 * 1024;

    enum class Outcome { newer, upToDate, failed, cannotCheck };
    struct Result {
        Outcome outcome = Outcome::failed;
        AppcastRelease release; // for newer: the release offered
        QString reason;         // for failed: what went wrong, for the diagnostic line
    };
    struct Config {
        QUrl feed; // empty (or under .invalid, a name that never resolves): this build cannot check
        QString version;
        QString build;
        int timeoutMs = 30000;
    };
    // A text from the feed as the user sees it: one line of at most 40 characters, elided with "…".
    static QString shownFeedText(const QString &text);
    // The build's feed address, version and build number.
    static Config buildConfig();

    UpdateChecker(Config config, Preferences *preferences, QObject *parent = nullptr);
    ~UpdateChecker() override;

    const Config &config() const { return m_config; }
    bool automaticChecks() const;
    void setAutomaticChecks(bool on);
    // The first automatic check and the daily timer.
    void start();
    // A check asked for by the user; a check already running is reported as the user's.
    void checkNow() { check(true); }
    void check(bool userInitiated);
    bool isChecking() const;
    bool timerActive() const { return m_timer.isActive(); }
    // An http(s) feed address whose host can exist.
    bool hasFeed() const;

  Q_SIGNALS:
    void finished(const UpdateChecker::Result &result, bool userInitiated);

  private:
    void followPreference();
    void complete(QNetworkReply *reply);
    void finish(const Result &result);

    Config m_config;
    Preferences *m_preferences;
    // Made for each check and let go after it, so that the network's threads do not idle on for a day.
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    // What the feed sent so far, read as it comes so that no more than maxFeedBytes is ever held.
    QByteArray m_body;
    bool m_tooLarge = false;
    bool m_userInitiated = false;
    QTimer m_timer;
};
