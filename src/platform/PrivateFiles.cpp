#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {
namespace {
std::optional<mode_t> modeOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info.st_mode;
}

void dropGroupAndOther(const QString &path, mode_t mode) {
    if (mode & 077)
        ::chmod(QFile::encodeName(path).constData(), mode & 07700);
}
} // namespace

bool makeFolder(const QString &path) {
    if (!modeOf(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ::mkdir(QFile::encodeName(path).constData(), 0700);
    }
    const auto mode = modeOf(path);
    if (!mode || !S_ISDIR(*mode))
        return false;
    dropGroupAndOther(path, *mode);
    return true;
}

QFileDevice::Permissions fileMode(const QString &path) {
    const mode_t bits = modeOf(path).value_or(0600) & 0600;
    QFileDevice::Permissions permissions;
    if (bits & 0400)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (bits & 0200)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return permissions;
}

void restrict(const QString &path) {
    if (const auto mode = modeOf(path); mode && S_ISREG(*mode))
        dropGroupAndOther(path, *mode);
}

int tidy(const QString &path) {
    const QFileInfo target(path);
    static const QRegularExpression temporary(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QDir folder = target.absoluteDir();
    const QStringList candidates =
        folder.entryList({target.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : candidates) {
        const QFileInfo copy(folder.filePath(name));
        if (copy.isSymLink() || !temporary.match(name.mid(target.fileName().size())).hasMatch())
            continue;
        removed += QFile::remove(copy.filePath()) ? 1 : 0;
    }
    restrict(path);
    for (const QString &name : folder.entryList({target.fileName() + QStringLiteral(".bak*")}, QDir::Files))
        restrict(folder.filePath(name)); // backups made before files were private
    return removed;
}

void prepareFile(const QString &path) {
    if (!modeOf(path)) {
        makeFolder(QFileInfo(path).absolutePath());
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    restrict(path);
}

} // namespace PrivateFiles
