#include "shell/SettingsWindow.h"

#include "l10n/L.h"
#include "store/AppState.h"
#include "views/LayoutTrace.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QTimer>

#include <QPainter>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace OwnWindows {

void setShowsInTaskbar(QWidget *window, bool shows) {
    const Qt::WindowFlags extra =
        window->windowFlags() & (Qt::WindowStaysOnTopHint | Qt::WindowMinimizeButtonHint);
    // A tool window is transient for the program and stays out of taskbars and switchers.
    const Qt::WindowFlags flags = (shows ? Qt::Window : Qt::Tool) | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | extra;
    if (window->windowFlags() == flags)
        return;
    const bool visible = window->isVisible();
    const QPoint position = window->pos();
    window->setWindowFlags(flags);
    if (visible) {
        window->move(position);
        window->show();
    }
}

QIcon applicationIcon() {
    static const QIcon icon = [] {
        QIcon result;
        QSvgRenderer renderer(QStringLiteral(":/ilvex/ilvex.svg"));
        if (!renderer.isValid())
            return QIcon::fromTheme(QStringLiteral("ilvex"));
        for (const int side : {16, 32, 64, 128, 256}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            result.addPixmap(pixmap);
        }
        return result;
    }();
    return icon;
}

void bringToFront(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace OwnWindows

SettingsWindow::SettingsWindow(AppState *state, SettingsView::Hooks hooks, bool showsInTaskbar,
                               QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("IlvexSettings"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(OwnWindows::applicationIcon());
    // A floating window, above the others, as the settings of a tray program are.
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowMinimizeButtonHint);
    OwnWindows::setShowsInTaskbar(this, showsInTaskbar);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor::fromRgbF(0.13f, 0.22f, 0.48f));
    setPalette(p);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_view = new SettingsView(state, std::move(hooks), this);
    layout->addWidget(m_view);
    setMinimumHeight(200);
    setWindowTitle(title());
    if (state)
        connect(state, &AppState::languageChanged, this, [this] { setWindowTitle(title()); });
}

QString SettingsWindow::title() {
    return QStringLiteral("Ilvex — ") + L::settings();
}

void SettingsWindow::present() {
    setWindowTitle(title());
    OwnWindows::bringToFront(this);
}

void SettingsWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    traceLayout();
}

void SettingsWindow::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    traceLayout();
}

void SettingsWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    traceLayout();
}

void SettingsWindow::traceLayout() {
    if (!LayoutTrace::enabled())
        return;
    // After the layout has settled.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            return;
        QList<QWidget *> controls;
        for (QAbstractButton *button : m_view->findChildren<QAbstractButton *>())
            controls.append(button);
        controls.append(m_view->sizeSlider());
        controls.append(m_view->languagePicker());
        for (QWidget *control : controls) {
            if (!control->objectName().isEmpty())
                LayoutTrace::report(QStringLiteral("settings:") + control->objectName(), control,
                                    QRectF(control->rect()));
        }
    });
}
