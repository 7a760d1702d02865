#pragma once

#include "platform/Workspace.h"
#include "platform/linux/LinuxOnly.h"

// Desktop entries and default handlers through GIO, which implements the freedesktop Desktop Entry
// and MIME-apps standards (field codes, TryExec, D-Bus activation, localised names).
class GioWorkspace : public Workspace {
  public:
    std::optional<QString> applicationPath(const QString &bundleIdentifier) const override;
    QString applicationName(const QString &path) const override;
    QString bundleIdentifier(const QString &path) const override;
    std::optional<QString> defaultApplication(const QString &contentType) const override;
    QString iconName(const QString &path) const override;
    QList<InstalledApplication> installedApplications() const override;
    void openUrl(const QUrl &url) override;
    void openApplication(const QString &path) override;

    // The first entry the menus show whose command runs program (a file name or path); none if no entry does.
    std::optional<QString> entryRunning(const QString &program) const;
    // Debian's choice of terminal: the program behind the x-terminal-emulator alternative.
    static constexpr const char *terminalAlternative = "/usr/bin/x-terminal-emulator";

    // Variables Ilvex sets for its own toolkit; launched programs must not inherit them.
    static const QStringList &privateEnvironment();
};
