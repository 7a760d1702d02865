#pragma once

#include "platform/PrivateFiles.h"
#include "store/Types.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The one reader and writer of lists documents (the lists file, exports, imports), used by the store,
// the command line and the settings window alike. A document is at most ListsCodec::maxDocumentSize
// bytes; only a regular file is read, checked without blocking, so a FIFO or a device is refused at once.
namespace ListsDocument {

struct Read {
    std::optional<QByteArray> bytes; // none: refused, and error says why ("cannot read x: it is a folder")
    QString error;
};
// A named file, by the file system's own bytes (any name works) or by its name.
Read readFile(const QByteArray &nativePath);
Read readFile(const QString &path);
// Standard input, read to its end in pieces; refused past the limit without holding more than it.
Read readStandardInput();

// The lists of a document, or why it cannot be taken in (not a configuration, or over the limits).
struct Decoded {
    std::optional<QList<AppList>> lists;
    QString refusal; // "could not be read as an Ilvex configuration", "was refused: …"
};
Decoded decode(const QByteArray &bytes);

// Why bytes are not written as a document: empty (nothing encoded), or more than the reader takes.
std::optional<QString> refusalToWrite(const QByteArray &bytes);
// Replaces the file at path with bytes (PrivateFiles::writeAtomically, stamp as there), refusing what
// refusalToWrite refuses. False, with the reason, when the file was left as it was.
bool write(const QString &path, const QByteArray &bytes, QString *reason,
           PrivateFiles::FileStamp *stamp = nullptr, const std::function<bool()> &beforeReplace = {});
bool write(const QByteArray &nativePath, const QByteArray &bytes, QString *reason,
           PrivateFiles::FileStamp *stamp = nullptr, const std::function<bool()> &beforeReplace = {});

} // namespace ListsDocument
