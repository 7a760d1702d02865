#include "shell/IlvexPanel.h"

#include <QApplication>
#include <QBackingStore>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <malloc.h>

IlvexPanel::IlvexPanel(std::function<double()> ringOuterRadius, bool bypassWindowManager, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint |
                          (bypassWindowManager ? Qt::X11BypassWindowManagerHint : Qt::WindowFlags())),
      m_ringOuterRadius(std::move(ringOuterRadius)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setWindowTitle(QStringLiteral("Ilvex"));
    setObjectName(QStringLiteral("IlvexPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void IlvexPanel::setContent(QWidget *content) {
    if (m_content)
        m_content->removeEventFilter(this);
    m_content = content;
    layout()->addWidget(content);
    content->installEventFilter(this);
}

bool IlvexPanel::event(QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            // Consumed here so that no view also acts on it; the shell acts after this event.
            if (event->type() == QEvent::KeyPress)
                QTimer::singleShot(0, this, &IlvexPanel::escapePressed);
            event->accept();
            return true;
        }
        break;
    case QEvent::Hide:
        // A launcher left hidden for a while gives back its window's pixels (megabytes at the panel's size)
        // and the heap the showing left free. The next paint sizes the backing store again, which adds a few
        // milliseconds to that showing, so a launcher summoned again soon keeps them.
        QTimer::singleShot(releaseAfterMs, this, [this, hide = ++m_hides] {
            if (isVisible() || hide != m_hides)
                return;
            if (QBackingStore *store = backingStore(); store && store->size().width() > 1)
                store->resize(QSize(1, 1));
            malloc_trim(0);
        });
        break;
    case QEvent::WindowDeactivate:
        // Decided after the event loop settles: a dialog of our own may be taking activation.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !qApp->activeWindow())
                Q_EMIT deactivated();
        });
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

// The content sees every press first (the ring keeps its own clicks and drags); a press far enough from
// the centre also starts moving the window.
bool IlvexPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_content)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        // Escape goes to the shell; every other key to the ring.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return IlvexPanel::event(event);
        break;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QPointF local = mapFromGlobal(mouse->globalPosition());
        const QPointF centre(width() / 2.0, height() / 2.0);
        const double limit = (m_ringOuterRadius ? m_ringOuterRadius() : 0) + 16;
        const QPointF d = local - centre;
        if (std::hypot(d.x(), d.y()) > limit)
            m_dragStart = mouse->globalPosition();
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_dragStart && (mouse->buttons() & Qt::LeftButton)) {
            // Whole pixels only, keeping the remainder for the next step.
            const QPoint step = (mouse->globalPosition() - *m_dragStart).toPoint();
            *m_dragStart += QPointF(step);
            move(pos() + step);
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_dragStart.reset();
        break;
    default:
        break;
    }
    return false;
}
