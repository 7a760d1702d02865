#pragma once

#include "platform/LoginItem.h"

#include <QString>

// The login item as an XDG autostart entry, "$XDG_CONFIG_HOME/autostart/ilvex.desktop". Enabled means the
// file exists and does not say Hidden=true (the way desktops switch an entry off). It is written
// atomically and starts the binary that is running now, by its absolute path.
class XdgAutostart : public LoginItem {
  public:
    // path empty: the user's autostart entry. executable empty: the running binary.
    explicit XdgAutostart(QString path = {}, QString executable = {});

    bool isEnabled() const override;
    bool setEnabled(bool enabled) override;
    QString path() const { return m_path; }

    // The entry's text for a binary at executable (quoted for the Exec key).
    static QByteArray entryFor(const QString &executable);

  private:
    QString m_path;
    QString m_executable;
};
