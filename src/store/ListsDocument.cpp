#include "store/ListsDocument.h"

#include "store/ListsCodec.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace ListsDocument {
namespace {
QString tooLarge(const QString &name) {
    return QStringLiteral("%1 is larger than 64 MiB").arg(name);
}

} // namespace

std::optional<QString> refusalToWrite(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("the lists could not be encoded");
    if (bytes.size() > ListsCodec::maxDocumentSize)
        return QStringLiteral("the lists would take more than 64 MiB"); // the next read would refuse it
    return std::nullopt;
}

Read readFile(const QByteArray &nativePath) {
    const QString name = QFile::decodeName(nativePath);
    const auto file = PrivateFiles::readRegularFile(nativePath, ListsCodec::maxDocumentSize);
    switch (file.status) {
    case PrivateFiles::ReadResult::read:
        return Read{file.bytes, {}};
    case PrivateFiles::ReadResult::tooLarge:
        return Read{std::nullopt, tooLarge(name)};
    case PrivateFiles::ReadResult::notRegular:
        return Read{std::nullopt, QFileInfo(name).isDir()
                                      ? QStringLiteral("cannot read %1: it is a folder").arg(name)
                                      : QStringLiteral("cannot read %1: not a regular file").arg(name)};
    case PrivateFiles::ReadResult::missing:
    case PrivateFiles::ReadResult::unreadable:
        break;
    }
    return Read{std::nullopt, QStringLiteral("cannot read %1: %2").arg(name, file.reason)};
}

Read readFile(const QString &path) {
    return readFile(QFile::encodeName(path));
}

Read readStandardInput() {
    QFile file;
    if (!file.open(stdin, QIODevice::ReadOnly))
        return Read{std::nullopt, QStringLiteral("cannot read standard input: %1").arg(file.errorString())};
    QByteArray data;
    constexpr qint64 chunk = 1 << 20;
    while (data.size() <= ListsCodec::maxDocumentSize) {
        const QByteArray piece = file.read(std::min(chunk, ListsCodec::maxDocumentSize + 1 - data.size()));
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError && !file.atEnd())
                return Read{std::nullopt,
                            QStringLiteral("cannot read standard input: %1").arg(file.errorString())};
            break;
        }
        data.append(piece);
    }
    if (data.size() > ListsCodec::maxDocumentSize)
        return Read{std::nullopt, tooLarge(QStringLiteral("-"))};
    return Read{data, {}};
}

Decoded decode(const QByteArray &bytes) {
    auto lists = ListsCodec::decodeLists(bytes);
    if (!lists || lists->isEmpty())
        return Decoded{std::nullopt, QStringLiteral("could not be read as an Ilvex configuration")};
    if (const auto reason = ListsCodec::overLimit(*lists))
        return Decoded{std::nullopt, QStringLiteral("was refused: %1").arg(*reason)};
    return Decoded{std::move(lists), {}};
}

bool write(const QByteArray &nativePath, const QByteArray &bytes, QString *reason,
           PrivateFiles::FileStamp *stamp, const std::function<bool()> &beforeReplace) {
    if (const auto refusal = refusalToWrite(bytes)) {
        if (reason)
            *reason = *refusal;
        return false;
    }
    return PrivateFiles::writeAtomically(nativePath, bytes, reason, stamp, beforeReplace);
}

bool write(const QString &path, const QByteArray &bytes, QString *reason, PrivateFiles::FileStamp *stamp,
           const std::function<bool()> &beforeReplace) {
    return write(QFile::encodeName(path), bytes, reason, stamp, beforeReplace);
}

} // namespace ListsDocument
