#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// An application the desktop offers in its menus.
struct InstalledApplication {
    QString path;     // the desktop entry's file
    QString name;     // its localised Name
    QString iconName; // an icon-theme name or an image path; may be empty
    QString bundleIdentifier;
};

// The desktop's view of installed applications, and the way to open things.
// On Linux an "application" is a desktop entry; its bundle identifier is the desktop-file id without
// ".desktop" (e.g. "org.gnome.Terminal") and its path the entry's file path.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // Path of the installed desktop entry "<bundleIdentifier>.desktop", or none.
    virtual std::optional<QString> applicationPath(const QString &bundleIdentifier) const = 0;
    // Localised Name of the desktop entry at path; empty when it is not a readable entry.
    virtual QString applicationName(const QString &path) const = 0;
    // Desktop-file id of the entry at path (without ".desktop"); empty when it has none.
    virtual QString bundleIdentifier(const QString &path) const = 0;
    // The Icon of the desktop entry at path: an icon-theme name or an absolute image path; empty when the
    // entry has none or cannot be read.
    virtual QString iconName(const QString &path) const {
        Q_UNUSED(path);
        return {};
    }

    // The bundle identifier of the application the desktop opens a content type with by default (a MIME
    // type such as "text/plain", "x-scheme-handler/https" for a URI scheme, or terminalType); none when it
    // names none.
    static constexpr const char *terminalType = "x-terminal-emulator"; // the system's preferred terminal
    virtual std::optional<QString> defaultApplication(const QString &contentType) const {
        Q_UNUSED(contentType);
        return std::nullopt;
    }

    // The applications the desktop's menus show (hidden and NoDisplay entries left out), sorted by name.
    virtual QList<InstalledApplication> installedApplications() const { return {}; }

    // Opens a link, folder or file with its default handler. Fire-and-forget: never waits for the handler.
    virtual void openUrl(const QUrl &url) = 0;
    // Launches the desktop entry at path, detached. Fire-and-forget.
    virtual void openApplication(const QString &path) = 0;
};
