#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

Sandbox::Sandbox() {
    const QString runtime = m_dir.path() + "/runtime";
    const std::pair<const char *, QString> variables[] = {{"HOME", home()},
                                                          {"XDG_DATA_HOME", dataHome()},
                                                          {"XDG_CONFIG_HOME", configHome()},
                                                          {"XDG_CACHE_HOME", home() + "/.cache"},
                                                          {"XDG_STATE_HOME", home() + "/.local/state"},
                                                          {"XDG_RUNTIME_DIR", runtime},
                                                          {"XDG_DATA_DIRS", {}}}; // restored, not set
    for (const auto &[name, path] : variables) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        if (!path.isEmpty() && QDir().mkpath(path))
            qputenv(name, path.toUtf8());
    }
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_preferences = std::make_unique<Preferences>(
        std::make_unique<QSettings>(configHome() + "/Ilvex/Ilvex.conf", QSettings::IniFormat));
}

Sandbox::~Sandbox() {
    for (const auto &[name, value] : m_saved)
        value ? qputenv(name.constData(), *value) : qunsetenv(name.constData());
}

QString Sandbox::writeFile(const QString &relativePath, const QByteArray &bytes) const {
    const QString path = home() + u'/' + relativePath;
    if (QFile file(path); QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QString Sandbox::makeFolder(const QString &relativePath) const {
    const QString path = home() + u'/' + relativePath;
    QDir().mkpath(path);
    return path;
}

QByteArray Sandbox::readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
