#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QLoggingCategory>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>

// Printed like the other "ilvex." categories (see platform/Log.h, which this layer may not include).
Q_LOGGING_CATEGORY(lcSettings, "ilvex.settings", QtInfoMsg)

namespace {

enum class Type { integer, string, strings, bytes, boolean, real };

struct Row {
    Preferences::Key key;
    const char *name;
    Type type;
    QVariant fallback;
};

// The keys and their defaults, in the order of Preferences::Key.
const std::array<Row, 13> &rows() {
    using K = Preferences::Key;
    static const std::array<Row, 13> table{{
        {K::activeListIndex, "activeListIndex", Type::integer, 0},
        {K::appLanguage, "appLanguage", Type::string, QStringLiteral("system")},
        {K::appleLanguages, "AppleLanguages", Type::strings, {}},
        {K::launcherApps, "launcherApps", Type::bytes, {}},
        {K::showInMenuBar, "showInMenuBar", Type::boolean, true},
        {K::hideDockIcon, "hideDockIcon", Type::boolean, true},
        {K::openAtLogin, "openAtLogin", Type::boolean, false},
        {K::launcherSoundsEnabled, "launcherSoundsEnabled", Type::boolean, true},
        {K::hotCornerEnabled, "hotCornerEnabled", Type::boolean, true},
        {K::launcherScale, "launcherScale", Type::real, 1.0},
        {K::checkForUpdatesAutomatically, "checkForUpdatesAutomatically", Type::boolean, true},
        {K::showSiteIcons, "showSiteIcons", Type::boolean, true},
        {K::trayHintShown, "trayHintShown", Type::boolean, false},
    }};
    return table;
}

const Row &row(Preferences::Key key) {
    return rows()[std::size_t(key)];
}

// The stored value in the key's type, or none when it has another type. The INI format hands every
// scalar back as a string, so booleans and numbers are parsed from their text.
std::optional<QVariant> typed(const QVariant &stored, Type type) {
    bool ok = false;
    switch (type) {
    case Type::integer: {
        const int n = stored.toInt(&ok);
        return ok ? std::optional<QVariant>(n) : std::nullopt;
    }
    case Type::real: {
        const double d = stored.toDouble(&ok);
        return ok ? std::optional<QVariant>(d) : std::nullopt;
    }
    case Type::boolean: {
        const QString text = stored.toString().trimmed().toLower();
        if (text == u"true" || text == u"1")
            return QVariant(true);
        if (text == u"false" || text == u"0")
            return QVariant(false);
        return std::nullopt;
    }
    case Type::string:
        return stored.canConvert<QString>() ? std::optional<QVariant>(stored.toString()) : std::nullopt;
    case Type::strings:
        return QVariant(stored.toStringList());
    case Type::bytes:
        return QVariant(stored.toByteArray());
    }
    return std::nullopt;
}

} // namespace

const QList<Preferences::Key> &Preferences::allKeys() {
    static const QList<Key> keys = [] {
        QList<Key> all;
        for (const Row &r : rows())
            all.append(r.key);
        return all;
    }();
    return keys;
}

QString Preferences::name(Key key) {
    return QLatin1String(row(key).name);
}

QVariant Preferences::defaultValue(Key key) {
    return row(key).fallback;
}

Preferences::Preferences(QObject *parent)
    : Preferences(std::make_unique<QSettings>(QStringLiteral("Ilvex"), QStringLiteral("Ilvex")), parent) {
    // Copies of a write cut short; one at work in another Ilvex is far younger than a minute.
    PrivateFiles::removeUnfinished(fileName(), 60);
}

Preferences::Preferences(std::unique_ptr<QSettings> settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)) {
    for (std::size_t i = 0; i < rows().size(); ++i)
        Q_ASSERT(rows()[i].key == Key(i));
    // Only the file's own keys: a system-wide file read as well would be copied into it by every write.
    m_settings->setFallbacksEnabled(false);
    m_held = readFile();
}

Preferences::~Preferences() = default;

QVariantMap Preferences::readFile() const {
    m_settings->sync(); // reads the file again when it changed; never writes, as nothing is set on it
    QVariantMap all;
    for (const QString &key : m_settings->allKeys())
        all.insert(key, m_settings->value(key));
    return all;
}

std::unique_ptr<Preferences> Preferences::copyTo(const QString &path) const {
    PrivateFiles::writeAtomically(path, iniText(m_held));
    return std::make_unique<Preferences>(std::make_unique<QSettings>(path, QSettings::IniFormat));
}

QVariant Preferences::value(Key key) const {
    const Row &r = row(key);
    const QVariant stored = m_held.value(QLatin1String(r.name));
    if (!stored.isValid())
        return r.fallback;
    return typed(stored, r.type).value_or(r.fallback);
}

void Preferences::setAppleLanguages(const QStringList &codes) {
    write(Key::appleLanguages, codes.isEmpty() ? QVariant() : QVariant(codes));
}

std::optional<QByteArray> Preferences::launcherApps() const {
    const QVariant v = value(Key::launcherApps);
    return v.isValid() ? std::optional<QByteArray>(v.toByteArray()) : std::nullopt;
}

void Preferences::setLauncherApps(const std::optional<QByteArray> &data) {
    write(Key::launcherApps, data ? QVariant(*data) : QVariant());
}

void Preferences::write(Key key, const QVariant &newValue) {
    const QString keyName = name(key);
    const QVariant stored = m_held.value(keyName);
    // A stored value of the wrong type is replaced even by the default it reads as.
    if (newValue.isValid() ? stored.isValid() && typed(stored, row(key).type) == newValue : !stored.isValid())
        return;
    if (newValue.isValid())
        m_held.insert(keyName, newValue);
    else
        m_held.remove(keyName);
    if (!m_unwritten.contains(key))
        m_unwritten.append(key);
    flush();
    Q_EMIT changed(key);
}

void Preferences::flush() {
    const QString path = fileName();
    QString reason;
    PrivateFiles::FileStamp stamp;
    if (!PrivateFiles::makeFolder(QFileInfo(path).absolutePath()))
        reason = QStringLiteral("its folder cannot be made");
    else if (PrivateFiles::writeAtomically(path, iniText(m_held), &reason, &stamp)) {
        m_written = stamp;
        m_unwritten.clear();
        m_writeError.clear();
        if (m_retry)
            m_retry->stop();
        return;
    }
    if (!m_retry) {
        m_retry = new QTimer(this);
        m_retry->setInterval(retryMs);
        connect(m_retry, &QTimer::timeout, this, &Preferences::flush);
    }
    m_retry->start();
    if (!m_writeError.isEmpty())
        return; // said once
    m_writeError = QStringLiteral("could not write the preferences file %1: %2").arg(path, reason);
    qCWarning(lcSettings).noquote() << m_writeError;
    Q_EMIT writeFailed(m_writeError);
}

void Preferences::reload() {
    if (m_written && PrivateFiles::stampOf(fileName()) == m_written)
        return; // the file is as this object wrote it
    QHash<Key, QVariant> before;
    for (Key key : allKeys())
        before.insert(key, value(key));
    QVariantMap read = readFile();
    for (Key key : std::as_const(m_unwritten)) {
        // A change not written yet outlives the file's older value.
        if (const auto held = m_held.constFind(name(key)); held != m_held.cend())
            read.insert(name(key), *held);
        else
            read.remove(name(key));
    }
    m_held = std::move(read);
    for (Key key : allKeys()) {
        if (value(key) != before.value(key))
            Q_EMIT changed(key);
    }
}

void Preferences::watchFile() {
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    // The file is replaced on every write, so its folder is watched as well.
    const QFileInfo file(fileName());
    QDir().mkpath(file.absolutePath());
    m_watcher->addPath(file.absolutePath());
    if (file.exists())
        m_watcher->addPath(file.absoluteFilePath());
    auto follow = [this] {
        reload();
        if (QFileInfo::exists(fileName()) && !m_watcher->files().contains(fileName()))
            m_watcher->addPath(fileName());
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, follow);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, follow);
}

QString Preferences::fileName() const {
    return m_settings->fileName();
}
