#include "views/FileIcons.h"

#include "platform/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {
const Workspace *entryIcons = nullptr;

QIcon themed(const QStringList &names) {
    for (const QString &name : names) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return {};
}
} // namespace

void FileIcons::setWorkspace(const Workspace *workspace) {
    entryIcons = workspace;
}

void FileIcons::ensureIconTheme() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QStringList paths = QIcon::themeSearchPaths();
    QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    dataDirs.append(QStringLiteral("/usr/share"));
    for (const QString &dir : dataDirs) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons) && QDir(icons).exists())
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

bool FileIcons::isIconFile(const QString &path) {
    const QFileInfo info(path);
    return info.isAbsolute() && info.isFile() && info.size() <= maxIconFileSize;
}

QString FileIcons::iconNameForPath(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("folder");
    if (info.exists() && !info.isFile())
        return QStringLiteral("text-x-generic"); // a FIFO or a device: its content is never looked at
    if (path.endsWith(QStringLiteral(".desktop"))) {
        // An application without an icon of its own still looks like an application, not a document.
        const QString entryIcon = entryIcons ? entryIcons->iconName(path) : QString();
        return entryIcon.isEmpty() ? QStringLiteral("application-x-executable") : entryIcon;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    ensureIconTheme();
    for (const QString &name : {type.iconName(), type.genericIconName()}) {
        if (QIcon::hasThemeIcon(name))
            return name;
    }
    return QStringLiteral("text-x-generic");
}

QIcon FileIcons::iconForPath(const QString &path) {
    ensureIconTheme();
    const QString name = iconNameForPath(path);
    if (QDir::isAbsolutePath(name)) {
        // An entry's Icon= may name anything: only a regular file of an icon's size is read.
        QIcon icon = isIconFile(name) ? QIcon(name) : QIcon();
        if (!icon.isNull())
            return icon;
    }
    // A theme look-up of an absolute name would read that file whatever it is.
    const QIcon icon = themed({QDir::isAbsolutePath(name) ? QString() : name,
                               QStringLiteral("application-x-executable"), QStringLiteral("text-x-generic")});
    return icon.isNull() ? QIcon() : icon;
}
