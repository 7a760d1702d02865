#pragma once

#include "platform/LoginItem.h"
#include "platform/linux/LinuxOnly.h"

#include <QString>

// The login item as an XDG autostart entry, "$XDG_CONFIG_HOME/autostart/ilvex.desktop". Enabled means the
// file exists, does not say Hidden=true (the way desktops switch an entry off) and starts this Ilvex: an
// entry left by another installation or an old build tree counts as off, so switching on rewrites it. It
// is written atomically.
class XdgAutostart : public LoginItem {
  public:
    // path empty: the user's autostart entry. command empty: startCommand().
    explicit XdgAutostart(QString path = {}, QString command = {});

    bool isEnabled() const override;
    bool setEnabled(bool enabled) override;
    QString path() const { return m_path; }

    // What starts this Ilvex: "ilvex" when the command found on PATH is the one installed beside this
    // program, else the absolute path of the `ilvex` front beside it (a build tree), else this program.
    static QString startCommand();
    // The entry's text for a command (a name looked up on PATH, or an absolute path).
    static QByteArray entryFor(const QString &command);
    // The Exec value that starts command: a path is quoted, with % doubled.
    static QString execFor(const QString &command);

  private:
    QString m_path;
    QString m_command;
};
