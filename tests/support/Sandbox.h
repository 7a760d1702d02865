#pragma once

#include "settings/Preferences.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private HOME with its own XDG folders and preferences for one test. Restores the environment when it
// goes away, so nothing touches the developer's own files.
class Sandbox {
  public:
    Sandbox();
    ~Sandbox();

    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString dataHome() const { return home() + QStringLiteral("/.local/share"); }
    QString configHome() const { return home() + QStringLiteral("/.config"); }
    QString supportDirectory() const { return dataHome() + QStringLiteral("/Ilvex"); }
    QString listsFile() const { return supportDirectory() + QStringLiteral("/lists.json"); }
    Preferences &preferences() const { return *m_preferences; } // over the sandbox's Ilvex.conf
    // Under HOME, creating folders; return the absolute path.
    QString writeFile(const QString &relativePath, const QByteArray &bytes) const;
    QString makeFolder(const QString &relativePath) const;
    static QByteArray readFile(const QString &path);

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved;
};
