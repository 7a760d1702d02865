#pragma once

#include "store/Types.h"
#include "views/AppIconMenu.h"
#include "views/GroupCapsuleClick.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppIconAnimator;
class FaviconCache;
class QMenu;
class TintPopover;
class ViewHost;
struct EntryActionPlace;
struct EntryEdits;

// What the ring hands an entry: every change goes out through these. Empty ones do nothing.
struct AppIconCallbacks {
    std::function<void()> action; // the primary click
    std::function<void()> onRemove;
    std::function<void(const std::optional<QString> &)> onHoverName;
    std::function<void(const std::optional<QString> &)> onSetTint;
    std::function<void(const QString &)> onRenameItem;
    std::function<void(const MoveDestination &)> onMoveTo;
};

// One launcher entry as a widget: AppIconPainter's picture with hover and drop-target motion, the
// context menu, the group rename prompt and the tint popover. The ring paints its entries itself and
// uses the same pieces; this widget puts them together for stand-alone use, tests and the gallery.
class AppIconView : public QWidget {
    Q_OBJECT

  public:
    AppIconView(const AppItem &item, qreal iconSize, const QColor &subListTint,
                AppIconCallbacks callbacks = {}, QWidget *parent = nullptr);
    ~AppIconView() override;

    const AppItem &item() const { return m_item; }
    void setItem(const AppItem &item);
    void setDropTarget(bool dropTarget);
    void setMoveDestinations(const QList<MoveDestination> &destinations) {
        m_moveDestinations = destinations;
    }
    // The cache links take their favicon from; without one they show the globe.
    void setFaviconCache(FaviconCache *cache);
    // The host its editors hold open; none by default.
    void setHost(ViewHost *host) { m_host = host; }

    bool isHovered() const;
    bool dropPulse() const;
    bool showsCapsule() const;
    const std::optional<QImage> &favicon() const { return m_favicon; }
    AppIconAnimator *animator() const { return m_animator; }

    QMenu *buildContextMenu();
    void setShowColorPopover(bool show);
    bool showColorPopover() const { return m_popover != nullptr; }
    TintPopover *colorPopover() const { return m_popover; }
    void showRenamePrompt();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    void loadFavicon();
    void setHovered(bool hovered);
    bool onGroupCapsule(const QPointF &position) const;
    EntryEdits edits() const;
    EntryActionPlace place();

    AppItem m_item;
    qreal m_iconSize;
    QColor m_subListTint;
    AppIconCallbacks m_callbacks;
    QList<MoveDestination> m_moveDestinations;
    std::optional<QImage> m_favicon;
    quint64 m_faviconRequest = 0; // a newer request makes older answers stale
    QPointer<FaviconCache> m_faviconCache;
    ViewHost *m_host = nullptr;
    AppIconAnimator *m_animator;
    QPointer<TintPopover> m_popover;
    bool m_pressed = false;
    GroupCapsuleClick m_capsuleClick;
};
