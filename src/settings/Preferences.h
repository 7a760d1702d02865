#pragma once

#include "settings/PrivateFiles.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

class QFileSystemWatcher;
class QSettings;
class QTimer;

// The per-user preferences ("~/.config/Ilvex/Ilvex.conf"), typed. Every key is read with its default
// when it is absent or holds something of the wrong type. changed() fires once for every value that
// changes, whether through a setter here or, after reload(), because another writer changed the file.
// Every change is written to the file at once, all of it through a checked copy renamed into place
// (PrivateFiles::writeAtomically): a failed write leaves the file as it was.
class Preferences : public QObject {
    Q_OBJECT

  public:
    // In the order of the table in Preferences.cpp.
    enum class Key {
        activeListIndex,
        appLanguage,
        appleLanguages,
        launcherApps,
        showInMenuBar,
        hideDockIcon,
        openAtLogin,
        launcherSoundsEnabled,
        hotCornerEnabled,
        launcherScale,
        checkForUpdatesAutomatically,
        showSiteIcons,
        trayHintShown,
    };
    static const QList<Key> &allKeys();
    // The name stored in the file, e.g. "launcherScale".
    static QString name(Key key);
    // The value a key has when it is absent; invalid for keys that are absent by default.
    static QVariant defaultValue(Key key);

    // Over the user's own file.
    explicit Preferences(QObject *parent = nullptr);
    // Over a store of the caller's choosing (tests pass an IniFormat file of their own).
    explicit Preferences(std::unique_ptr<QSettings> settings, QObject *parent = nullptr);
    ~Preferences() override;

    // The value of the key in its type (int, QString, QStringList, QByteArray, bool or double), or the
    // default. Invalid only for an absent key without a default.
    QVariant value(Key key) const;

    int activeListIndex() const { return value(Key::activeListIndex).toInt(); }
    void setActiveListIndex(int index) { write(Key::activeListIndex, index); }
    // An AppLanguage raw value; "system" when absent. Unknown values are the reader's to judge.
    QString appLanguage() const { return value(Key::appLanguage).toString(); }
    void setAppLanguage(const QString &raw) { write(Key::appLanguage, raw); }
    // The framework-language override; empty when absent. Setting an empty list removes it.
    QStringList appleLanguages() const { return value(Key::appleLanguages).toStringList(); }
    void setAppleLanguages(const QStringList &codes);
    // The legacy entry array of the first versions, removed once migrated.
    std::optional<QByteArray> launcherApps() const;
    void setLauncherApps(const std::optional<QByteArray> &data);
    bool showInMenuBar() const { return value(Key::showInMenuBar).toBool(); }
    void setShowInMenuBar(bool on) { write(Key::showInMenuBar, on); }
    bool hideDockIcon() const { return value(Key::hideDockIcon).toBool(); }
    void setHideDockIcon(bool on) { write(Key::hideDockIcon, on); }
    bool openAtLogin() const { return value(Key::openAtLogin).toBool(); }
    void setOpenAtLogin(bool on) { write(Key::openAtLogin, on); }
    bool launcherSoundsEnabled() const { return value(Key::launcherSoundsEnabled).toBool(); }
    void setLauncherSoundsEnabled(bool on) { write(Key::launcherSoundsEnabled, on); }
    bool hotCornerEnabled() const { return value(Key::hotCornerEnabled).toBool(); }
    void setHotCornerEnabled(bool on) { write(Key::hotCornerEnabled, on); }
    // The raw size factor; RingGeometry clamps it.
    double launcherScale() const { return value(Key::launcherScale).toDouble(); }
    void setLauncherScale(double scale) { write(Key::launcherScale, scale); }
    // "Check Automatically": look for a newer Ilvex at start and once a day.
    bool checkForUpdatesAutomatically() const { return value(Key::checkForUpdatesAutomatically).toBool(); }
    void setCheckForUpdatesAutomatically(bool on) { write(Key::checkForUpdatesAutomatically, on); }
    // Links show their site's icon, fetched through the favicon service; off: a globe, and no requests.
    bool showSiteIcons() const { return value(Key::showSiteIcons).toBool(); }
    void setShowSiteIcons(bool on) { write(Key::showSiteIcons, on); }
    // The message that no tray exists has been shown once.
    bool trayHintShown() const { return value(Key::trayHintShown).toBool(); }
    void setTrayHintShown(bool on) { write(Key::trayHintShown, on); }

    // Reads the file again and announces what another writer changed; changes not written yet stay.
    void reload();
    // Reloads by itself whenever the file changes on disk (off by default: one watcher per object).
    void watchFile();
    QString fileName() const;
    // A copy of everything stored here, in an INI file of its own at path: a look at the preferences
    // that never writes to this file.
    std::unique_ptr<Preferences> copyTo(const QString &path) const;

    // Why the last change did not reach the file; empty once changes are written again.
    QString writeError() const { return m_writeError; }
    static constexpr int retryMs = 5000;

    // The INI text of values (keys "name" or "group/name") as QSettings' IniFormat reads it back.
    static QByteArray iniText(const QVariantMap &values);

  Q_SIGNALS:
    void changed(Preferences::Key key);
    // A change could not be written to the file (once until a write works again): the value holds in
    // memory, and the change is written again every retryMs and with every later change.
    void writeFailed(const QString &reason);

  private:
    // Stores value (an invalid one removes the key) and announces it when it differs from before.
    void write(Key key, const QVariant &value);
    // Writes everything held to the file now; on failure says so once and tries again later.
    void flush();
    // Everything the file holds, read through m_settings (which is never written to).
    QVariantMap readFile() const;

    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_held;
    std::optional<PrivateFiles::FileStamp> m_written; // the file as the last write left it
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_retry = nullptr;
    QList<Key> m_unwritten;
    QString m_writeError;
};
