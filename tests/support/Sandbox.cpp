#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const char *const sandboxedVariables[] = {"HOME",           "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                                          "XDG_CACHE_HOME", "XDG_DATA_DIRS", "XDG_RUNTIME_DIR",
                                          "XDG_STATE_HOME"};
}

Sandbox::Sandbox() {
    for (const char *name : sandboxedVariables) {
        m_savedEnvironment.append({name, qEnvironmentVariableIsSet(name)
                                             ? std::optional<QByteArray>(qgetenv(name))
                                             : std::nullopt});
    }
    QDir().mkpath(dataHome());
    QDir().mkpath(configHome());
    QDir().mkpath(home() + QStringLiteral("/.cache"));
    QDir().mkpath(m_dir.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_CACHE_HOME", (home() + QStringLiteral("/.cache")).toUtf8());
    qputenv("XDG_STATE_HOME", (home() + QStringLiteral("/.local/state")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (m_dir.path() + QStringLiteral("/runtime")).toUtf8());
    m_preferences = std::make_unique<Preferences>(std::make_unique<QSettings>(
        configHome() + QStringLiteral("/Ilvex/Ilvex.conf"), QSettings::IniFormat));
}

Sandbox::~Sandbox() {
    for (const auto &[name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

QString Sandbox::writeFile(const QString &relativePath, const QByteArray &bytes) const {
    const QString path = home() + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
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
