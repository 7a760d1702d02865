#include "views/AppIconView.h"

#include "favicons/FaviconCache.h"
#include "views/AppIconAnimator.h"
#include "views/AppIconPainter.h"
#include "views/GroupRenamePrompt.h"
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
    if (!m_item.isURL)
        return;
    FaviconCache *cache = m_faviconCache ? m_faviconCache.data() : FaviconCache::shared();
    if (!cache)
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

QMenu *AppIconView::buildContextMenu() {
    AppIconMenuHandlers handlers;
    handlers.open = [this] {
        if (m_callbacks.action)
            m_callbacks.action();
    };
    handlers.rename = [this] { showRenamePrompt(); };
    handlers.pickColor = [this] { setShowColorPopover(true); };
    handlers.moveTo = m_callbacks.onMoveTo;
    handlers.remove = m_callbacks.onRemove;
    return AppIconMenu::build(m_item, m_moveDestinations, handlers, this);
}

void AppIconView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void AppIconView::showRenamePrompt() {
    GroupRenamePrompt::open(m_item.name, m_callbacks.onRenameItem, window());
}

void AppIconView::setShowColorPopover(bool show) {
    if (show == showColorPopover())
        return;
    if (!show) {
        m_popover->close();
        return;
    }
    m_popover =
        new TintPopover(m_item.folderTint, m_item.isSubList, m_subListTint, m_callbacks.onSetTint, this);
    // Closed by a choice, by a click outside or by Escape: the popover deletes itself later.
    connect(m_popover, &TintPopover::closed, this, [this, popover = m_popover.data()] {
        if (m_popover == popover)
            m_popover = nullptr;
    });
    m_popover->popup(QRect(mapToGlobal(QPoint(0, 0)), size()));
}
