#include "shell/HotCorner.h"

#include "platform/Platform.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>

HotCorner::HotCorner(std::function<QPoint()> pointer, QObject *parent)
    : QObject(parent), m_pointer(std::move(pointer)) {
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

HotCorner::HotCorner(PointerWatch *pointer, QObject *parent)
    : HotCorner(pointer ? std::function<QPoint()>([pointer] {
                    QPoint at;
                    return pointer->position(&at) ? at : QCursor::pos();
                })
                        : std::function<QPoint()>(),
                parent) {
    if (pointer)
        watchMotion(pointer->motionSocket(), [pointer] { return pointer->takeMotion(); });
}

HotCorner::~HotCorner() = default;

void HotCorner::watchMotion(int socket, std::function<bool()> takeMotion) {
    if (socket < 0 || !takeMotion)
        return;
    m_takeMotion = std::move(takeMotion);
    m_motion = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    m_motion->setEnabled(false);
    connect(m_motion.get(), &QSocketNotifier::activated, this, [this] {
        if (m_takeMotion())
            wake();
    });
    // Motion inside Ilvex's own windows goes to Qt's connection, not to the root window.
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool HotCorner::resting() const {
    return m_motion && m_motion->isEnabled();
}

void HotCorner::wake() {
    m_still = 0;
    if (!resting())
        return;
    m_motion->setEnabled(false);
    m_timer.start(pollMs);
}

void HotCorner::pace(bool moved) {
    if (!m_motion)
        return;
    if (moved) {
        wake();
        return;
    }
    if (resting() || ++m_still < stillPolls)
        return;
    // Whatever arrived since the last reading is read now; anything later makes the socket readable.
    if (m_takeMotion()) {
        m_still = 0;
        return;
    }
    m_motion->setEnabled(true);
    m_timer.start(restingPollMs);
}

bool HotCorner::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (resting() && (type == QEvent::MouseMove || type == QEvent::Enter || type == QEvent::Leave))
        wake();
    return QObject::eventFilter(watched, event);
}

void HotCorner::followScreens() {
    m_frames.clear();
    for (QScreen *screen : QGuiApplication::screens())
        m_frames.append(screen->geometry());
    wake(); // the pointer may sit in a corner of the new frames
}

void HotCorner::setScreens(QList<QRect> frames) {
    m_ownScreens = false;
    m_frames = std::move(frames);
}

void HotCorner::setEnabled(bool enabled) {
    m_armed = enabled;
    m_still = 0;
    if (m_motion)
        m_motion->setEnabled(false);
    if (enabled)
        m_timer.start(pollMs);
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
    const QPoint at = m_pointer();
    // The pointer is read first: its reply may bring events along, which are read here too.
    const bool heard = m_takeMotion && m_takeMotion();
    pace(heard || at != m_last);
    m_last = at;
    const int screen = cornerAt(at, m_frames);
    if (screen < 0) {
        m_armed = true;
        return;
    }
    if (!m_armed)
        return; // still resting in the corner
    m_armed = false;
    Q_EMIT fired(m_frames[screen]);
}
