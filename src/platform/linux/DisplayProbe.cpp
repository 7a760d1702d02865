#include "platform/linux/DisplayProbe.h"

#include <QByteArray>
#include <QFileInfo>
#include <QtGlobal>

#include <xcb/xcb.h>

namespace {

bool waylandSocketExists() {
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString path = name.startsWith('/')
                             ? QString::fromLocal8Bit(name)
                             : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + QString::fromLocal8Bit(name);
    return QFileInfo(path).exists();
}

bool xDisplayConnects() {
    if (qgetenv("DISPLAY").isEmpty())
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

} // namespace

bool DisplayProbe::displayReachable() {
    // QT_QPA_PLATFORM may name several platforms ("wayland;xcb"), each with options after a colon.
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    bool wantsX = chosen.isEmpty(), wantsWayland = chosen.isEmpty();
    for (const QByteArray &entry : chosen.split(';')) {
        const QByteArray platform = entry.split(':').first().trimmed();
        if (platform == "xcb")
            wantsX = true;
        else if (platform.startsWith("wayland"))
            wantsWayland = true;
        else if (!platform.isEmpty())
            return true;
    }
    return (wantsWayland && waylandSocketExists()) || (wantsX && xDisplayConnects());
}
