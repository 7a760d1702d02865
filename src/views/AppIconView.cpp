#include "views/AppIconView.h"

#include "favicons/FaviconCache.h"
#include "views/AppIconAnimator.h"
#include "views/AppIconPainter.h"
#include "views/EntryActions.h"
#include "views/TintPopover.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

AppIconView::AppIconView(const AppItem &item, qreal iconSize, const QColor &subListTint,
                         AppIconCallbacks callbacks, QWidget *parent)
    : QWidget(parent), m_item(item), m_iconSize(iconSize), m_subListTint(subListTint),
      m_callbacks(std::move(callbacks)), m_animator(new AppIconAnimator(this)),
      m_capsuleClick([this](int delayMs, std::function<void()> task) {
          QTimer::singleShot(delayMs, this, std::move(task));
      }) {
    setAttribute(Qt::WA_Hover);
    setFixedSize(sizeHint());
    connect(m_animator, &AppIconAnimator::changed, this, qOverload<>(&QWidget::update));
    loadFavicon();
}

AppIconView::~AppIconView() {
    if (m_popover)
        m_popover->close();
}

void AppIconView::setItem(const AppItem &item) {
    const bool pathChanged = item.appPath != m_item.appPath || item.isURL != m_item.isURL;
    m_item = item;
    setFixedSize(sizeHint());
    if (pathChanged) {
        m_favicon.reset();
        loadFavicon();
    }
    update();
}

void AppIconView::setFaviconCache(FaviconCache *cache) {
    m_faviconCache = cache;
    m_favicon.reset();
    loadFavicon();
}

void AppIconView::loadFavicon() {
    const quint64 request = ++m_faviconRequest;
    FaviconCache *cache = m_faviconCache.data();
    if (!m_item.isURL || !cache)
        return;
    if (const auto known = cache->cachedImage(m_item.appPath)) {
        m_favicon = known;
        return;
    }
    cache->image(m_item.appPath, this, [this, request](const std::optional<QImage> &image) {
        if (request != m_faviconRequest)
            return; // the entry's link changed meanwhile
        m_favicon = image;
        update();
    });
}

void AppIconView::setDropTarget(bool dropTarget) {
    m_animator->setDropTarget(dropTarget);
}
bool AppIconView::isHovered() const {
    return m_animator->isHovered();
}
bool AppIconView::dropPulse() const {
    return m_animator->dropPulse();
}
bool AppIconView::showsCapsule() const {
    return AppIconPainter::showsCapsule(m_item);
}

QSize AppIconView::sizeHint() const {
    return AppIconPainter::frameSize(m_item, m_iconSize).toSize();
}

void AppIconView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    AppIconPainter::paintEntry(painter, QRectF(rect()), m_item, m_iconSize, m_subListTint, m_favicon,
                               m_animator->motion(), devicePixelRatioF());
}

void AppIconView::setHovered(bool hovered) {
    if (hovered == m_animator->isHovered())
        return;
    m_animator->setHovered(hovered);
    if (m_callbacks.onHoverName)
        m_callbacks.onHoverName(hovered ? std::optional<QString>(m_item.name) : std::nullopt);
}

void AppIconView::enterEvent(QEnterEvent *event) {
    setHovered(true);
    QWidget::enterEvent(event);
}

void AppIconView::leaveEvent(QEvent *event) {
    setHovered(false);
    QWidget::leaveEvent(event);
}

void AppIconView::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

bool AppIconView::onGroupCapsule(const QPointF &position) const {
    return GroupCapsuleClick::onGroupCapsule(m_item, m_iconSize, position);
}

void AppIconView::mouseReleaseEvent(QMouseEvent *event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (!click)
        return;
    m_capsuleClick.click(onGroupCapsule(event->position()), [this] {
        if (m_callbacks.action)
            m_callbacks.action();
    });
}

void AppIconView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (m_capsuleClick.doubleClick(onGroupCapsule(event->position()))) {
        m_pressed = false;
        showRenamePrompt();
        return;
    }
    mousePressEvent(event);
}

EntryEdits AppIconView::edits() const {
    return {m_callbacks.action, m_callbacks.onRenameItem, m_callbacks.onSetTint, m_callbacks.onMoveTo,
            m_callbacks.onRemove};
}

EntryActionPlace AppIconView::place() {
    return {this, window(), m_host, m_subListTint, QRect(mapToGlobal(QPoint(0, 0)), size())};
}

QMenu *AppIconView::buildContextMenu() {
    return EntryActions::buildMenu(m_item, m_moveDestinations, edits(), place(),
                                   [this] { setShowColorPopover(true); });
}

void AppIconView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void AppIconView::showRenamePrompt() {
    EntryActions::openRenamePrompt(m_item, edits(), place());
}

void AppIconView::setShowColorPopover(bool show) {
    if (show == showColorPopover())
        return;
    if (!show) {
        m_popover->close();
        return;
    }
    // Closed by a choice, by a click outside or by Escape: the popover deletes itself later.
    m_popover = EntryActions::openTintPopover(m_item, edits(), place());
    connect(m_popover, &TintPopover::closed, this, [this, popover = m_popover.data()] {
        if (m_popover == popover)
            m_popover = nullptr;
    });
}
