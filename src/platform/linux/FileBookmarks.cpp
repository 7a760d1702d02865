#include "platform/linux/FileBookmarks.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
constexpr quint32 magic = 0x494C4246; // "ILBF"
constexpr quint8 currentVersion = 1;

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<Identity> identityOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity{quint64(info.st_dev), quint64(info.st_ino)};
}
} // namespace

std::optional<QByteArray> FileBookmarks::create(const QString &path, bool) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const auto identity = identityOf(absolute);
    if (!identity)
        return std::nullopt;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << magic << currentVersion << identity->device << identity->inode << absolute;
    return data;
}

std::optional<ResolvedBookmark> FileBookmarks::resolve(const QByteArray &data, bool) {
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 readMagic = 0;
    quint8 version = 0;
    Identity recorded;
    QString path;
    in >> readMagic >> version;
    if (in.status() != QDataStream::Ok || readMagic != magic || version != currentVersion)
        return std::nullopt;
    in >> recorded.device >> recorded.inode >> path;
    if (in.status() != QDataStream::Ok || path.isEmpty())
        return std::nullopt;
    const auto now = identityOf(path);
    if (!now)
        return std::nullopt;
    return ResolvedBookmark{path, now->device != recorded.device || now->inode != recorded.inode};
}

bool FileBookmarks::startAccess(const QString &path) {
    return QFileInfo::exists(path);
}
