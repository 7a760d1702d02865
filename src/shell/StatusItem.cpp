#include "shell/StatusItem.h"

#include "l10n/L.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSystemTrayIcon>

#include <cmath>
#include <numbers>

namespace {
// The dots in drawing order, the first at the bottom of the ring, the others counter-clockwise.
constexpr double dotColors[6][3] = {
    {1.00, 0.28, 0.20}, {1.00, 0.63, 0.08}, {0.18, 0.80, 0.38},
    {0.18, 0.70, 1.00}, {0.60, 0.28, 1.00}, {1.00, 0.80, 0.14},
};
} // namespace

StatusItem::StatusItem(std::function<bool()> automaticChecks, QObject *parent)
    : QObject(parent), m_automaticChecks(std::move(automaticChecks)) {
    m_menu = new QMenu;
    m_icon = new QSystemTrayIcon(icon(), this);
    m_icon->setToolTip(QStringLiteral("Ilvex"));
    // Qt opens the context menu itself on a right click (or the tray host asks for it); it is filled
    // just before it shows.
    m_icon->setContextMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &StatusItem::rebuildMenu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A second click soon after the first arrives as a double click; each click toggles.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT clicked();
    });
    rebuildMenu();
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &StatusItem::tryShow);
    m_retriesLeft = retryForMs / retryMs;
    tryShow();
}

StatusItem::~StatusItem() {
    if (m_icon)
        m_icon->hide();
    delete m_menu;
}

bool StatusItem::isInTray() const {
    return m_icon->isVisible() && !m_retry.isActive();
}

void StatusItem::tryShow() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_retry.stop();
        m_icon->setIcon(icon()); // the tray's icon size is known only now
        m_icon->show();
        Q_EMIT shownInTray();
        return;
    }
    if (!m_missingSent && (retryForMs / retryMs - m_retriesLeft) * retryMs >= missingAfterMs) {
        m_missingSent = true;
        Q_EMIT trayMissing();
    }
    if (m_retriesLeft-- > 0) {
        if (!m_retry.isActive())
            m_retry.start();
    } else {
        m_retry.stop();
    }
}

void StatusItem::rebuildMenu() {
    m_menu->clear();
    auto add = [this](const QString &title, void (StatusItem::*chosen)()) {
        QAction *item = m_menu->addAction(title);
        connect(item, &QAction::triggered, this, chosen);
        return item;
    };
    add(L::aboutIlvex(), &StatusItem::aboutChosen);
    add(L::checkForUpdates(), &StatusItem::checkForUpdatesChosen);
    QAction *automatic = add(L::checkAutomatically(), &StatusItem::automaticChecksToggled);
    automatic->setCheckable(true);
    automatic->setChecked(m_automaticChecks && m_automaticChecks());
    add(L::sendFeedback(), &StatusItem::feedbackChosen);
    m_menu->addSeparator();
    add(L::settings(), &StatusItem::settingsChosen);
    m_menu->addSeparator();
    add(L::quit(), &StatusItem::quitChosen)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

QIcon StatusItem::icon() const {
    // One pixmap per size a tray may ask for, each at the screen's pixel ratio.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    QIcon result;
    for (const int side : {16, 22, 24, 32, 48, 64})
        result.addPixmap(makeMenuBarIcon(side, ratio));
    return result;
}

QPixmap StatusItem::makeMenuBarIcon(int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in the 22-point design, scaled to the size asked for.
    painter.scale(side / 22.0, side / 22.0);
    const QPointF centre(11, 11);
    constexpr double radius = 9.24;
    QColor label = QGuiApplication::palette().color(QPalette::WindowText);
    label.setAlphaF(0.82f);
    painter.setPen(QPen(label, 2.42));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        // Angles of the unflipped design, turned for y growing downwards: the first dot at the bottom.
        const double a = i * std::numbers::pi / 3 - std::numbers::pi / 2;
        const QPointF dot(centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a));
        painter.setBrush(
            QColor::fromRgbF(float(dotColors[i][0]), float(dotColors[i][1]), float(dotColors[i][2])));
        painter.drawEllipse(dot, 5.72 / 2, 5.72 / 2);
    }
    return pixmap;
}
