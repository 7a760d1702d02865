#include "settings/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

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

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Where the bytes for path go: the file a symbolic link there names, so a lists file kept elsewhere
// through a link stays there.
QByteArray finalTarget(const QByteArray &nativePath) {
    QByteArray target = nativePath;
    for (int hops = 0; hops < 16; ++hops) {
        char buffer[4096];
        const ssize_t n = ::readlink(target.constData(), buffer, sizeof buffer);
        if (n <= 0 || size_t(n) >= sizeof buffer)
            break;
        QByteArray next(buffer, n);
        if (!next.startsWith('/')) {
            const qsizetype slash = target.lastIndexOf('/');
            next = (slash >= 0 ? target.left(slash + 1) : QByteArray()) + next;
        }
        target = next;
    }
    return target;
}

FileStamp stampFrom(const struct stat &info) {
    return FileStamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                     qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                     qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

mode_t ownerBits(QFileDevice::Permissions permissions) {
    return ((permissions & QFileDevice::ReadOwner) ? 0400 : 0) |
           ((permissions & QFileDevice::WriteOwner) ? 0200 : 0);
}
} // namespace

bool writeAll(int fd, const QByteArray &bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = ENOSPC; // a device that takes nothing and says nothing
            return false;
        }
        done += written;
    }
    return true;
}

QString unfinishedPrefix(const QString &fileName) {
    return u'.' + fileName + QStringLiteral(".ilvex-unfinished-");
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *reason, FileStamp *stamp,
                     const std::function<bool()> &beforeReplace) {
    return writeAtomically(QFile::encodeName(path), bytes, reason, stamp, beforeReplace);
}

bool writeAtomically(const QByteArray &nativePath, const QByteArray &bytes, QString *reason, FileStamp *stamp,
                     const std::function<bool()> &beforeReplace) {
    const QByteArray target = finalTarget(nativePath);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash >= 0 ? target.left(slash + 1) : QByteArray();
    QByteArray temporary =
        folder + QFile::encodeName(unfinishedPrefix(QFile::decodeName(target.mid(slash + 1)))) + "XXXXXX";
    auto fail = [&](int code) {
        if (reason)
            *reason = systemError(code);
        return false;
    };
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    int error = 0;
    if (::fchmod(fd, ownerBits(fileMode(QFile::decodeName(target)))) != 0 || !writeAll(fd, bytes) ||
        ::fsync(fd) != 0)
        error = errno;
    // A copy shorter than what was handed over is never renamed into place, whatever the writes said.
    struct stat info {};
    if (error == 0 && ::fstat(fd, &info) != 0)
        error = errno;
    if (error == 0 && info.st_size != bytes.size())
        error = EIO;
    if (error == 0 && stamp)
        *stamp = stampFrom(info);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && beforeReplace && !beforeReplace()) {
        ::unlink(temporary.constData());
        return false;
    }
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return fail(error);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir =
            ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

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

bool ownFolder(const QString &path, QString *reason) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ::mkdir(native.constData(), 0700);
        if (::lstat(native.constData(), &info) != 0) {
            if (reason)
                *reason = systemError(errno);
            return false;
        }
    }
    const char *problem = !S_ISDIR(info.st_mode)      ? "it is not a folder"
                          : info.st_uid != ::getuid() ? "it belongs to another user"
                          : (info.st_mode & 022) != 0 ? "others can write to it"
                                                      : nullptr;
    if (problem && reason)
        *reason = QString::fromLatin1(problem);
    return !problem;
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

int removeUnfinished(const QString &path, int olderThanSeconds) {
    const QFileInfo target(path);
    const QString prefix = unfinishedPrefix(target.fileName());
    static const QRegularExpression random(QStringLiteral("^[A-Za-z0-9]{6}$"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-olderThanSeconds);
    int removed = 0;
    const QDir folder = target.absoluteDir();
    const QStringList candidates =
        folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : candidates) {
        const QFileInfo copy(folder.filePath(name));
        if (copy.isSymLink() || !copy.isFile() || !random.match(name.mid(prefix.size())).hasMatch() ||
            (olderThanSeconds > 0 && copy.lastModified() > before))
            continue;
        removed += QFile::remove(copy.filePath()) ? 1 : 0;
    }
    return removed;
}

int tidy(const QString &path) {
    // The caller is the one writer and its own writes start after this, so a copy is a gone writer's.
    const int removed = removeUnfinished(path, 0);
    restrict(path);
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    for (const QString &name : folder.entryList({target.fileName() + QStringLiteral(".bak*")}, QDir::Files))
        restrict(folder.filePath(name)); // backups made before files were private
    return removed;
}

std::optional<FileStamp> stampOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampFrom(info);
}

ReadResult readRegularFile(const QString &path, qint64 limit) {
    return readRegularFile(QFile::encodeName(path), limit);
}

ReadResult readRegularFile(const QByteArray &native, qint64 limit) {
    ReadResult result;
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        result.status = errno == ENOENT || errno == ENOTDIR ? ReadResult::missing : ReadResult::unreadable;
        result.reason = systemError(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = ReadResult::notRegular;
        return result;
    }
    if (info.st_size > limit) {
        result.status = ReadResult::tooLarge;
        return result;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // Replaced by something else between the two looks.
        result.status = fd < 0 ? ReadResult::unreadable : ReadResult::notRegular;
        result.reason = systemError(errno);
        if (fd >= 0)
            ::close(fd);
        return result;
    }
    result.stamp = stampFrom(info);
    result.bytes.resize(qsizetype(std::min<qint64>(info.st_size, limit)) + 1);
    qsizetype done = 0;
    while (true) {
        if (done == result.bytes.size()) {
            if (done > limit)
                break;
            result.bytes.resize(std::min<qsizetype>(done * 2 + 4096, qsizetype(limit) + 1));
        }
        const ssize_t n = ::read(fd, result.bytes.data() + done, size_t(result.bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.status = ReadResult::unreadable;
            result.reason = systemError(errno);
            ::close(fd);
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    result.bytes.truncate(done);
    result.status = done > limit ? ReadResult::tooLarge : ReadResult::read;
    if (result.status != ReadResult::read)
        result.bytes.clear();
    return result;
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
