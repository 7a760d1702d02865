// GIO first: its headers use "signals" as a field name.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "views/FileIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {
// Icon key of a desktop entry (a theme name or an absolute file path); empty when GIO cannot load it.
QString desktopEntryIcon(const QString &path) {
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info)
        return {};
    QString name;
    if (GIcon *icon = g_app_info_get_icon(G_APP_INFO(info))) {
        if (G_IS_THEMED_ICON(icon)) {
            const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
            if (names && names[0])
                name = QString::fromUtf8(names[0]);
        } else if (G_IS_FILE_ICON(icon)) {
            if (char *file = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)))) {
                name = QFile::decodeName(file);
                g_free(file);
            }
        }
    }
    g_object_unref(info);
    return name;
}

QIcon themed(const QStringList &names) {
    for (const QString &name : names) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return {};
}
} // namespace

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

QString FileIcons::iconNameForPath(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("folder");
    if (path.endsWith(QStringLiteral(".desktop"))) {
        const QString entryIcon = desktopEntryIcon(path);
        if (!entryIcon.isEmpty())
            return entryIcon;
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
        QIcon icon(name);
        if (!icon.isNull())
            return icon;
    }
    const QIcon icon =
        themed({name, QStringLiteral("application-x-executable"), QStringLiteral("text-x-generic")});
    return icon.isNull() ? QIcon() : icon;
}
