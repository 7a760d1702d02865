#include "platform/linux/XdgAutostart.h"

#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

XdgAutostart::XdgAutostart(QString path, QString executable)
    : m_path(std::move(path)), m_executable(std::move(executable)) {
    if (m_path.isEmpty())
        m_path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/autostart/ilvex.desktop");
}

bool XdgAutostart::isEnabled() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Hidden=true in the [Desktop Entry] group switches an entry off; a file too large for an entry is
    // not read.
    if (file.size() > 1 << 20)
        return true;
    bool inEntry = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Hidden") && line.mid(6).trimmed().startsWith('='))
            return line.mid(line.indexOf('=') + 1).trimmed() != "true";
    }
    return true;
}

QByteArray XdgAutostart::entryFor(const QString &executable) {
    // Exec quoting: double quotes around the path, with ", `, $ and \ escaped by a backslash.
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // The desktop entry format escapes backslashes once more.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Ilvex\n"
                             "Comment=Launch applications, folders, files and links from a ring\n"
                             "Exec=\"") +
           quoted.toUtf8() +
           QByteArrayLiteral("\"\nIcon=ilvex\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
}

bool XdgAutostart::setEnabled(bool enabled) {
    if (!enabled) {
        if (!QFileInfo::exists(m_path) && !QFileInfo(m_path).isSymLink())
            return true;
        return QFile::remove(m_path);
    }
    QString executable = m_executable;
    if (executable.isEmpty())
        executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (executable.isEmpty())
        executable = QCoreApplication::applicationFilePath();
    if (executable.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    return PrivateFiles::writeAtomically(m_path, entryFor(executable));
}
