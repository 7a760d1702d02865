#include "platform/linux/XdgAutostart.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The desktop entry format's escapes for a string value.
QString escaped(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\n', QStringLiteral("\\n"));
    value.replace(u'\t', QStringLiteral("\\t"));
    value.replace(u'\r', QStringLiteral("\\r"));
    return value;
}

// The values of the [Desktop Entry] group's keys Hidden and Exec, as written (escapes kept).
struct EntryKeys {
    QByteArray hidden;
    QByteArray exec;
};
EntryKeys readKeys(const QByteArray &text) {
    EntryKeys keys;
    bool inEntry = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inEntry || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed(), value = line.mid(equals + 1).trimmed();
        if (key == "Hidden")
            keys.hidden = value;
        else if (key == "Exec")
            keys.exec = value;
    }
    return keys;
}

QString canonical(const QString &path) {
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

} // namespace

XdgAutostart::XdgAutostart(QString path, QString command)
    : m_path(std::move(path)), m_command(std::move(command)) {
    if (m_path.isEmpty())
        m_path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/autostart/ilvex.desktop");
    if (m_command.isEmpty())
        m_command = startCommand();
}

bool XdgAutostart::isEnabled() const {
    QFile file(m_path);
    // A file too large for an entry is not read; it is not ours.
    if (file.size() > 1 << 20 || !file.open(QIODevice::ReadOnly))
        return false;
    const EntryKeys keys = readKeys(file.readAll());
    return keys.hidden != "true" && QString::fromUtf8(keys.exec) == escaped(execFor(m_command));
}

QString XdgAutostart::startCommand() {
    QString program = canonical(QStringLiteral("/proc/self/exe"));
    if (program.isEmpty())
        program = QCoreApplication::applicationFilePath();
    const QString folder = QFileInfo(program).absolutePath();
    // The front is beside the program in a build tree, in the binaries folder when installed.
    const QString besides = folder + QStringLiteral("/ilvex");
    const QString installed = QDir::cleanPath(folder + QStringLiteral("/" ILVEX_FRONT_RELATIVE));
    for (const QString &front : {besides, installed}) {
        if (front == program || !QFileInfo(front).isExecutable() || QFileInfo(front).isDir())
            continue;
        if (canonical(QStandardPaths::findExecutable(QStringLiteral("ilvex"))) == canonical(front))
            return QStringLiteral("ilvex");
        return front;
    }
    return program;
}

QString XdgAutostart::execFor(const QString &command) {
    if (!command.startsWith(u'/'))
        return command;
    // Exec quoting: double quotes around the path, with ", `, $ and \ escaped by a backslash; a % stands
    // for itself only when doubled.
    QString quoted;
    for (const QChar c : command) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += c;
    }
    return u'"' + quoted + u'"';
}

QByteArray XdgAutostart::entryFor(const QString &command) {
    return QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Ilvex\n"
                             "Comment=Launch applications, folders, files and links from a ring\n"
                             "Exec=") +
           escaped(execFor(command)).toUtf8() + QByteArrayLiteral("\nTryExec=") + escaped(command).toUtf8() +
           QByteArrayLiteral("\nIcon=ilvex\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
}

bool XdgAutostart::setEnabled(bool enabled) {
    if (!enabled) {
        if (!QFileInfo::exists(m_path) && !QFileInfo(m_path).isSymLink())
            return true;
        return QFile::remove(m_path);
    }
    if (m_command.isEmpty())
        return false;
    // Said here with the system's reason: the entry written at start has no one else to tell.
    QString reason = QStringLiteral("its folder cannot be made");
    if (QDir().mkpath(QFileInfo(m_path).absolutePath()) &&
        PrivateFiles::writeAtomically(m_path, entryFor(m_command), &reason))
        return true;
    qCWarning(lcShell).noquote()
        << QStringLiteral("could not write the login entry %1: %2").arg(m_path, reason);
    return false;
}
