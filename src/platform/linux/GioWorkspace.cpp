// GIO first: Qt's keyword macros clash with its headers.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/linux/GioWorkspace.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>

#include <atomic>

namespace {

template <typename T> struct GObjectPtr {
    T *ptr = nullptr;
    explicit GObjectPtr(T *p) : ptr(p) {}
    ~GObjectPtr() {
        if (ptr)
            g_object_unref(ptr);
    }
    GObjectPtr(const GObjectPtr &) = delete;
    GObjectPtr &operator=(const GObjectPtr &) = delete;
    explicit operator bool() const { return ptr != nullptr; }
};

GAppLaunchContext *cleanLaunchContext() {
    GAppLaunchContext *context = g_app_launch_context_new();
    for (const QString &name : GioWorkspace::privateEnvironment())
        g_app_launch_context_unsetenv(context, name.toUtf8().constData());
    return context;
}

// The files GIO reads for its table of applications before any desktop entry is made or looked up (each
// mimeapps.list, defaults.list and mimeinfo.cache), by opening them.
QStringList applicationTables() {
    QStringList lists;
    QStringList names;
    for (const QString &desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        names << desktop.toLower() + QStringLiteral("-mimeapps.list");
    names << QStringLiteral("mimeapps.list");
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        for (const QString &name : std::as_const(names))
            lists << folder + u'/' + name;
    names << QStringLiteral("defaults.list") << QStringLiteral("mimeinfo.cache");
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        for (const QString &name : std::as_const(names))
            lists << folder + u'/' + name;
    return lists;
}

// Whether GIO may be asked anything now: a FIFO among its tables would block it, and every later call
// waiting for its lock, for good. Looked at without opening anything, before each use (GIO reads the tables
// again when they change); said once.
bool gioUsable() {
    for (const QString &table : applicationTables()) {
        const QFileInfo file(table);
        if (file.exists() && !file.isFile()) {
            static std::atomic_flag said;
            if (!said.test_and_set())
                qCInfo(lcShell).noquote()
                    << QStringLiteral(
                           "%1 is not a regular file: desktop entries are not read while it is there")
                           .arg(table);
            return false;
        }
    }
    return true;
}

// Desktop entries are small; anything larger is not one.
constexpr qint64 maxEntrySize = 1024 * 1024;

// The desktop entry at path, or null when path is not a readable entry. Only a regular file is opened
// (looked at without opening it): a FIFO or a device named in a lists file would block the caller.
GObjectPtr<GDesktopAppInfo> loadEntry(const QByteArray &path) {
    const QFileInfo file(QFile::decodeName(path));
    if (!file.isFile() || file.size() > maxEntrySize || !gioUsable())
        return GObjectPtr<GDesktopAppInfo>(nullptr);
    return GObjectPtr<GDesktopAppInfo>(g_desktop_app_info_new_from_filename(path.constData()));
}

// GIO opens the file of an id it looks up, and a FIFO or a device would block it there: ids are resolved
// here, looking at files without opening them, and GIO reads only the regular file found.
//
// The file of a desktop-file id below one applications folder: "a-b.desktop" may be "a-b.desktop" or
// "a/b.desktop" there. Only regular files count, and a folder is entered only where there is one.
QString entryBelow(const QString &folder, const QString &id) {
    const QString direct = folder + u'/' + id;
    if (QFileInfo(direct).isFile())
        return direct;
    for (qsizetype dash = id.indexOf(u'-'); dash > 0; dash = id.indexOf(u'-', dash + 1)) {
        const QString below = folder + u'/' + id.left(dash);
        if (!QFileInfo(below).isDir())
            continue;
        if (QString found = entryBelow(below, id.mid(dash + 1)); !found.isEmpty())
            return found;
    }
    return {};
}

// Every desktop entry of the applications folders, by precedence (the user's folder first): the first
// file of an id hides the others of that id, and an entry that says Hidden=true hides it for good.
// Only regular files are read; anything else is no entry.
template <typename Visit> void forEachEntry(Visit visit) {
    QSet<QString> seen;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString root = QDir::cleanPath(folder) + u'/';
        QDirIterator files(root, {QStringLiteral("*.desktop")}, QDir::Files,
                           QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (files.hasNext()) {
            const QString path = files.next();
            QString id = path.mid(root.size());
            id.replace(u'/', u'-');
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto info = loadEntry(QFile::encodeName(path));
            if (info && !g_desktop_app_info_get_is_hidden(info.ptr))
                visit(path, id, info.ptr);
        }
    }
}

// GIO answers a default handler from its tables and loads the entries they name for the type (and its
// parents) by id, opening each: whether any of these is something other than a regular file.
bool defaultLookupMayBlock(const QString &contentType) {
    QStringList types{contentType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(contentType);
    if (type.isValid())
        types << type.name() << type.aliases() << type.allAncestors();
    QSet<QString> named;
    for (const QString &list : applicationTables()) {
        const auto file =
            PrivateFiles::readRegularFile(list, 16 * maxEntrySize); // a system's cache is larger
        if (file.status == PrivateFiles::ReadResult::notRegular)
            return true;
        for (const QByteArray &line : file.bytes.split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0 && types.contains(QString::fromUtf8(line.left(equals)).trimmed()))
                for (const QByteArray &id : line.mid(equals + 1).split(';'))
                    named.insert(QString::fromUtf8(id).trimmed());
        }
    }
    named.remove(QString());
    if (named.isEmpty())
        return false;
    // An id is the path below an applications folder with "/" written "-".
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString root = QDir::cleanPath(folder) + u'/';
        QDirIterator files(root, {QStringLiteral("*.desktop")}, QDir::Files | QDir::System,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo entry(files.next());
            if (entry.exists() && !entry.isFile() &&
                named.contains(entry.filePath().mid(root.size()).replace(u'/', u'-')))
                return true;
        }
    }
    return false;
}

// Launching may touch the disk or D-Bus; it runs off the UI thread and nobody waits for it.
void runDetached(std::function<void()> work) {
    QThreadPool::globalInstance()->start(std::move(work));
}

} // namespace

const QStringList &GioWorkspace::privateEnvironment() {
    // The startup-notification tokens were handed to Ilvex's own start; a launched program that inherited
    // them would complete Ilvex's notification instead of its own.
    static const QStringList names{
        QStringLiteral("QT_QPA_PLATFORM"),    QStringLiteral("QT_QPA_FONTDIR"),
        QStringLiteral("QT_PLUGIN_PATH"),     QStringLiteral("QT_QPA_PLATFORM_PLUGIN_PATH"),
        QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("XDG_ACTIVATION_TOKEN")};
    return names;
}

std::optional<QString> GioWorkspace::applicationPath(const QString &bundleIdentifier) const {
    if (bundleIdentifier.isEmpty())
        return std::nullopt;
    const QString id = bundleIdentifier + QStringLiteral(".desktop");
    if (id.contains(u'/'))
        return std::nullopt;
    // As GIO looks an id up: the first folder whose file of the id is an entry (its TryExec present).
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString path = entryBelow(QDir::cleanPath(folder), id);
        if (!path.isEmpty() && loadEntry(QFile::encodeName(path)))
            return path;
    }
    return std::nullopt;
}

std::optional<QString> GioWorkspace::entryRunning(const QString &program) const {
    const QString wanted = QFileInfo(program).fileName();
    std::optional<QString> found;
    forEachEntry([&](const QString &, QString id, GDesktopAppInfo *entry) {
        GAppInfo *info = G_APP_INFO(entry);
        const char *executable = g_app_info_get_executable(info);
        if (!found && executable && g_app_info_should_show(info) &&
            QFileInfo(QFile::decodeName(executable)).fileName() == wanted) {
            id.chop(8);
            found = id;
        }
    });
    return found;
}

std::optional<QString> GioWorkspace::defaultApplication(const QString &contentType) const {
    if (contentType == QLatin1String(terminalType)) {
        // The alternative points at the terminal's program, or at a wrapper named after it.
        QString program = QFileInfo(QLatin1String(terminalAlternative)).canonicalFilePath();
        if (program.endsWith(QLatin1String(".wrapper")))
            program.chop(8);
        return program.isEmpty() ? std::nullopt : entryRunning(program);
    }
    // The user's and the system's mimeapps.list, as xdg-mime reads them; none while a file GIO would
    // read for the type could block it.
    if (defaultLookupMayBlock(contentType))
        return std::nullopt;
    const QByteArray type = contentType.toUtf8();
    GObjectPtr<GAppInfo> info(type.startsWith("x-scheme-handler/")
                                  ? g_app_info_get_default_for_uri_scheme(type.constData() + 17)
                                  : g_app_info_get_default_for_type(type.constData(), FALSE));
    const char *id = info ? g_app_info_get_id(info.ptr) : nullptr;
    QString name = id ? QString::fromUtf8(id) : QString();
    if (!name.endsWith(QLatin1String(".desktop")))
        return std::nullopt;
    name.chop(8);
    return name;
}

QString GioWorkspace::applicationName(const QString &path) const {
    if (!path.endsWith(QLatin1String(".desktop")))
        return {};
    const auto info = loadEntry(QFile::encodeName(path));
    if (!info)
        return {};
    const char *name = g_app_info_get_name(G_APP_INFO(info.ptr));
    return name ? QString::fromUtf8(name) : QString();
}

// The desktop-file id: the entry's path below an applications folder of the data directories, with "/"
// written "-" ("kde4/konsole.desktop" is "kde4-konsole"). An entry anywhere else has none.
QString GioWorkspace::bundleIdentifier(const QString &path) const {
    if (!path.endsWith(QLatin1String(".desktop")))
        return {};
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString prefix = QDir::cleanPath(folder) + u'/';
        if (file.startsWith(prefix)) {
            QString id = file.mid(prefix.size());
            id.chop(8);
            return id.replace(u'/', u'-');
        }
    }
    return {};
}

namespace {
// An icon-theme name or an image path, as the views load them.
QString iconText(GIcon *icon) {
    if (!icon)
        return {};
    if (G_IS_THEMED_ICON(icon)) {
        const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        return names && names[0] ? QString::fromUtf8(names[0]) : QString();
    }
    if (G_IS_FILE_ICON(icon)) {
        char *file = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
        const QString result = file ? QFile::decodeName(file) : QString();
        g_free(file);
        return result;
    }
    return {};
}
} // namespace

QString GioWorkspace::iconName(const QString &path) const {
    if (!path.endsWith(QLatin1String(".desktop")))
        return {};
    const auto info = loadEntry(QFile::encodeName(path));
    return info ? iconText(g_app_info_get_icon(G_APP_INFO(info.ptr))) : QString(); // the icon is the entry's
}

QList<InstalledApplication> GioWorkspace::installedApplications() const {
    QList<InstalledApplication> result;
    forEachEntry([&](const QString &path, QString id, GDesktopAppInfo *entry) {
        GAppInfo *info = G_APP_INFO(entry);
        if (!g_app_info_should_show(info))
            return;
        id.chop(8);
        result.append(
            {path, QString::fromUtf8(g_app_info_get_name(info)), iconText(g_app_info_get_icon(info)), id});
    });
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(result.begin(), result.end(),
              [&](const InstalledApplication &a, const InstalledApplication &b) {
                  return collator.compare(a.name, b.name) < 0;
              });
    return result;
}

void GioWorkspace::openUrl(const QUrl &url) {
    if (!url.isValid())
        return;
    const QByteArray uri = url.toEncoded();
    if (!gioUsable())
        return;
    runDetached([uri] {
        GAppLaunchContext *context = cleanLaunchContext();
        GError *error = nullptr;
        if (!g_app_info_launch_default_for_uri(uri.constData(), context, &error))
            g_clear_error(&error);
        g_object_unref(context);
    });
}

void GioWorkspace::openApplication(const QString &path) {
    const QByteArray file = QFile::encodeName(path);
    runDetached([file] {
        const auto info = loadEntry(file);
        if (!info)
            return;
        GAppLaunchContext *context = cleanLaunchContext();
        GError *error = nullptr;
        if (!g_app_info_launch(G_APP_INFO(info.ptr), nullptr, context, &error))
            g_clear_error(&error);
        g_object_unref(context);
    });
}
