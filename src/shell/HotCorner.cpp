#include "shell/HotCorner.h"

#include "platform/linux/XcbPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

HotCorner::HotCorner(std::function<QPoint()> pointer, QObject *parent)
    : QObject(parent), m_pointer(std::move(pointer)) {
    if (!m_pointer && QGuiApplication::platformName() == u"xcb") {
        m_pointer = [display = std::make_shared<XcbPointer>()] {
            QPoint native;
            return display->position(&native) ? fromNativePixels(native) : QCursor::pos();
        };
    }
    if (!m_pointer)
        m_pointer = [] { return QCursor::pos(); };
    m_timer.setInterval(pollMs);
    m_timer.setTimerType(Qt::CoarseTimer);
    // Qt's menus and drags run nested event loops that serve timers too, so the poll keeps going while
    // one is tracked.
    connect(&m_timer, &QTimer::timeout, this, &HotCorner::check);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        auto refresh = [this] {
            if (m_ownScreens)
                followScreens();
        };
        auto watch = [this, refresh](QScreen *screen) {
            connect(screen, &QScreen::geometryChanged, this, refresh);
        };
        for (QScreen *screen : QGuiApplication::screens())
            watch(screen);
        connect(app, &QGuiApplication::screenAdded, this, [watch, refresh](QScreen *screen) {
            watch(screen);
            refresh();
        });
        connect(app, &QGuiApplication::screenRemoved, this, refresh);
        connect(app, &QGuiApplication::primaryScreenChanged, this, refresh);
        followScreens();
    }
}

void HotCorner::followScreens() {
    m_frames.clear();
    for (QScreen *screen : QGuiApplication::screens())
        m_frames.append(screen->geometry());
}

QPoint HotCorner::fromNativePixels(QPoint native) {
    // Qt keeps a screen's origin and scales its extent by the screen's pixel ratio.
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect frame = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        if (QRect(frame.topLeft(), frame.size() * ratio).contains(native))
            return frame.topLeft() + (native - frame.topLeft()) / ratio;
    }
    return native;
}

void HotCorner::setScreens(QList<QRect> frames) {
    m_ownScreens = false;
    m_frames = std::move(frames);
}

void HotCorner::setEnabled(bool enabled) {
    m_armed = enabled;
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

int HotCorner::cornerAt(QPoint point, const QList<QRect> &frames) {
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QRect &f = frames[i];
        if (f.contains(point) && point.x() >= f.x() + f.width() - zone && point.y() < f.y() + zone)
            return int(i);
    }
    return -1;
}

void HotCorner::check() {
    const int screen = cornerAt(m_pointer(), m_frames);
    if (screen < 0) {
        m_armed = true;
        return;
    }
    if (!m_armed)
        return; // still resting in the corner
    m_armed = false;
    Q_EMIT fired(m_frames[screen]);
}
