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
    : Preferences(std::make_unique<QSettings>(QStringLiteral("Ilvex"), QStringLiteral("Ilvex")), parent) {}

Preferences::Preferences(std::unique_ptr<QSettings> settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)) {
    for (std::size_t i = 0; i < rows().size(); ++i)
        Q_ASSERT(rows()[i].key == Key(i));
}

Preferences::~Preferences() = default;

std::unique_ptr<Preferences> Preferences::copyTo(const QString &path) const {
    auto copy = std::make_unique<QSettings>(path, QSettings::IniFormat);
    for (const QString &key : m_settings->allKeys())
        copy->setValue(key, m_settings->value(key));
    return std::make_unique<Preferences>(std::move(copy));
}

QVariant Preferences::value(Key key) const {
    const Row &r = row(key);
    const QVariant stored = m_settings->value(QLatin1String(r.name));
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
    const QVariant stored = m_settings->value(keyName);
    // A stored value of the wrong type is replaced even by the default it reads as.
    if (newValue.isValid() ? stored.isValid() && typed(stored, row(key).type) == newValue : !stored.isValid())
        return;
    if (newValue.isValid())
        m_settings->setValue(keyName, newValue);
    else
        m_settings->remove(keyName);
    if (!m_unwritten.contains(key))
        m_unwritten.append(key);
    flush();
    Q_EMIT changed(key);
}

// Why the changes not yet seen in the file are not there, or nothing. The file is read as text (another
// QSettings of this process would share the unwritten values): each key set is on a line of its own
// ("launcherScale=1.2", scalars compared by value), and each removed one is gone.
QString Preferences::missingFromFile(const QString &path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo(QFileInfo(path).absolutePath()).isDir()
                   ? QStringLiteral("the file cannot be written")
                   : QStringLiteral("its folder cannot be made");
    QHash<QString, QString> lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            lines.insert(QString::fromUtf8(line.left(equals)).trimmed(),
                         QString::fromUtf8(line.mid(equals + 1)).trimmed());
    }
    for (Key key : std::as_const(m_unwritten)) {
        const Row &r = row(key);
        const QVariant held = m_settings->value(name(key));
        const auto stored = lines.constFind(name(key));
        const bool scalar = r.type == Type::integer || r.type == Type::real || r.type == Type::boolean;
        const bool there = !held.isValid() ? stored == lines.cend()
                           : stored == lines.cend()
                               ? false
                               : !scalar || typed(*stored, r.type) == typed(held, r.type);
        if (!there)
            return QStringLiteral("what reached the disk is not what was written (is the disk full?)");
    }
    return {};
}

// QSettings writes later and keeps going when a write fails (or, on a full disk, renames a short copy
// into place), so each change is written here and looked for in the file.
void Preferences::flush() {
    const QString path = fileName();
    for (Key key : std::as_const(m_unwritten)) {
        // Set again: a write that reached the disk short is not repeated by QSettings otherwise.
        const QVariant held = m_settings->value(name(key));
        if (held.isValid())
            m_settings->setValue(name(key), held);
    }
    m_settings->sync();
    const QString reason = missingFromFile(path);
    if (reason.isEmpty()) {
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
    QHash<Key, QVariant> before;
    for (Key key : allKeys())
        before.insert(key, value(key));
    m_settings->sync();
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
