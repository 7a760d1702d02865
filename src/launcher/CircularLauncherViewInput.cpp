// The ring view's input: hit testing, clicks and drags, the back step, the context menu.
#include "launcher/CircularLauncherView.h"

#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "launcher/LauncherHost.h"
#include "launcher/ListSwitcher.h"
#include "launcher/RingNotice.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/MoveDestinations.h"
#include "views/AppIconPainter.h"
#include "views/EntryActions.h"
#include "views/NamePrompt.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

bool CircularLauncherView::onGroupCapsule(const RingSprite &sprite, QPointF widgetPoint) const {
    const QPointF inFrame = widgetPoint - ringCentre() - m_scene.entryFrame(sprite).topLeft();
    return GroupCapsuleClick::onGroupCapsule(sprite.item, m_scene.iconSize(), inFrame);
}

const RingSprite *CircularLauncherView::spriteAt(QPointF widgetPoint) const {
    return m_scene.spriteAt(widgetPoint - ringCentre(), m_drag.draggingID());
}

std::optional<QUuid> CircularLauncherView::itemAt(QPointF widgetPoint) const {
    const RingSprite *sprite = spriteAt(widgetPoint);
    return sprite ? std::optional<QUuid>(sprite->item.id) : std::nullopt;
}

std::optional<QPointF> CircularLauncherView::itemCentre(const QUuid &id) const {
    const RingSprite *sprite = m_scene.sprite(id);
    if (!sprite)
        return std::nullopt;
    return ringCentre() + m_scene.entryFrame(*sprite).topLeft() +
           AppIconPainter::imageRect(sprite->item, m_scene.iconSize()).center();
}

void CircularLauncherView::updateHover(QPointF widgetPoint) {
    const RingSprite *sprite = m_drag.isDragging() ? nullptr : spriteAt(widgetPoint);
    const auto previous = m_hover.hoveredID();
    if (sprite && (previous != sprite->item.id || !m_hover.name() || m_keySelection)) {
        // The pointer over an entry takes the selection from the keyboard.
        m_keySelection.reset();
        m_hover.publish(sprite->item.id, sprite->item.name);
        announceFocus(this, uuidString(sprite->item.id));
    } else if (!sprite && previous && !m_keySelection) {
        m_hover.publish(*previous, std::nullopt); // over empty space the keyboard's choice stays
    }
}

void CircularLauncherView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF p = event->position();
    m_emptyPress.reset();
    m_pressedID.reset();
    if (const RingSprite *sprite = spriteAt(p)) {
        m_pressedID = sprite->item.id;
        m_lastDragMoveTime = event->timestamp();
        m_drag.press(sprite->item.id, int(m_scene.layer().order.indexOf(sprite->item.id)), p - ringCentre());
    } else {
        m_emptyPress = event->globalPosition();
    }
}

void CircularLauncherView::mouseMoveEvent(QMouseEvent *event) {
    const QPointF p = event->position();
    if (event->buttons() & Qt::LeftButton) {
        if (m_pressedID) {
            m_lastDragMoveTime = event->timestamp();
            m_drag.pointerMoved(p - ringCentre());
        }
        // Measured on the screen: while the margin drags the panel, the window follows the pointer and
        // the pointer hardly moves within it.
        if (m_emptyPress &&
            QLineF(*m_emptyPress, event->globalPosition()).length() >= RingDrag::dragThreshold)
            m_emptyPress.reset(); // the margin is being dragged, not clicked
    }
    updateHover(p);
}

void CircularLauncherView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (m_pressedID) {
        m_pressedID.reset();
        // By the events' own clock: a rest the drag did not get to see under load still counts.
        const quint64 at = event->timestamp();
        const qint64 stillFor =
            m_lastDragMoveTime && at > m_lastDragMoveTime ? qint64(at - m_lastDragMoveTime) : 0;
        m_lastDragMoveTime = 0;
        handleRelease(m_drag.release(std::min<qint64>(stillFor, 10000)), event->position());
    } else if (m_emptyPress) {
        m_emptyPress.reset();
        if (m_gate.acceptsClick())
            backOrDismiss();
    }
    updateHover(event->position());
}

void CircularLauncherView::mouseDoubleClickEvent(QMouseEvent *event) {
    const RingSprite *sprite = event->button() == Qt::LeftButton ? spriteAt(event->position()) : nullptr;
    if (sprite && !m_drag.isDragging() &&
        m_capsuleClick.doubleClick(onGroupCapsule(*sprite, event->position()))) {
        // The first click's press and release have been handled; this second press starts nothing.
        m_pressedID.reset();
        m_emptyPress.reset();
        renameGroup(sprite->item);
        return;
    }
    mousePressEvent(event);
}

void CircularLauncherView::handleRelease(const RingRelease &release, QPointF widgetPoint) {
    switch (release.action) {
    case RingRelease::Action::nothing:
        break;
    case RingRelease::Action::click: {
        if (!m_gate.acceptsClick())
            break; // the second click of a double click, or the launcher is already going
        const RingSprite *sprite = m_scene.sprite(release.itemID);
        const bool onCapsule = sprite && onGroupCapsule(*sprite, widgetPoint);
        // The entry is looked up again when a held-back click comes due: the ring may have changed.
        m_capsuleClick.click(onCapsule, [this, id = release.itemID] { activateByID(id); });
        break;
    }
    case RingRelease::Action::movedIntoGroup:
    case RingRelease::Action::merged:
    case RingRelease::Action::reordered:
        // The drag logic already said no when sounds are off.
        if (release.playSound)
            playSound();
        break;
    }
    if (release.newGroupID) {
        // After this event returns: the prompt runs its own event loop.
        QTimer::singleShot(0, this, [this, id = *release.newGroupID] { askGroupName(id); });
    }
    sync();
}

void CircularLauncherView::askGroupName(const QUuid &groupID) {
    std::optional<QString> name;
    {
        const std::unique_ptr<LauncherHold> hold = m_host ? m_host->holdOpen() : nullptr;
        name = m_promptGroupName ? m_promptGroupName(groupID) : std::nullopt;
    }
    if (name)
        m_state->renameItem(groupID, *name);
}

void CircularLauncherView::activateByID(const QUuid &id) {
    for (const AppItem &item : m_state->currentItems()) {
        if (item.id == id) {
            activate(item);
            return;
        }
    }
}

void CircularLauncherView::renameGroup(const AppItem &group) {
    EntryEdits edits;
    edits.rename = [this, id = group.id](const QString &name) { m_state->renameItem(id, name); };
    EntryActions::openRenamePrompt(group, edits, {this, this, m_host, tint(group), {}});
}

void CircularLauncherView::activate(const AppItem &item) {
    if (m_drag.isDragging() || !m_gate.mayActivate())
        return;
    playSoundIfEnabled();
    if (item.isSubList) {
        m_state->openSubList(item.id);
        m_hover.clearName();
        m_gate.groupOpened();
        return;
    }
    m_gate.dismissalBegan();
    if (m_host)
        m_host->dismiss();
    // The launch follows the start of the fade, and happens even if the view is gone by then.
    QPointer<CircularLauncherView> self(this);
    m_clock.schedule(launchDelayMs, m_state, [state = m_state, item, self] {
        if (self)
            Q_EMIT self->launching(item.id);
        state->launch(item);
    });
}

void CircularLauncherView::backOrDismiss() {
    if (m_drag.isDragging() || !m_gate.mayActivate())
        return;
    m_capsuleClick.cancel(); // a step back overrides a click still waiting
    if (m_chrome->showsManage()) {
        m_chrome->setManage(false);
    } else if (m_state->openSubListID()) {
        m_state->closeSubList();
        m_hover.clearName();
    } else if (m_host) {
        m_gate.dismissalBegan();
        m_host->dismiss();
    }
}

void CircularLauncherView::setManage(bool show) {
    m_chrome->setManage(show);
}

void CircularLauncherView::switchList(int index) {
    m_drag.cancel();
    m_capsuleClick.cancel();
    m_state->switchToList(index);
    m_hover.clearName();
    sync();
}

void CircularLauncherView::leaveEvent(QEvent *event) {
    if (const auto hovered = m_hover.hoveredID(); hovered && !m_keySelection)
        m_hover.publish(*hovered, std::nullopt);
    QWidget::leaveEvent(event);
}

void CircularLauncherView::launcherWillShow() {
    m_gate.reset();
    m_chrome->closeManageAtOnce();
    m_drag.cancel();
    m_pressedID.reset();
    m_chrome->hole()->switcher().endDrag(); // a row dragged when the launcher went is not carried over
    m_capsuleClick.cancel();
    m_keySelection.reset();
    m_search.clear();
    m_hits.clear();
    m_dimmed.clear();
    m_chrome->hole()->setSearchText(QString(), true);
    m_hover.clearName();
    sync();
    finishAnimations();
    setFocus(Qt::ActiveWindowFocusReason);
}

void CircularLauncherView::launcherWillHide() {
    m_gate.dismissalBegan();
    m_notice->hide();
    // The button's release will not come to a hidden window.
    m_chrome->hole()->switcher().endDrag();
    // A prompt does not outstay the ring it belongs to: it goes as Cancel does (a new group keeps its
    // default name, a rename changes nothing).
    for (NamePrompt *prompt : window()->findChildren<NamePrompt *>())
        prompt->reject();
}

// Context menu and moves.

void CircularLauncherView::removeItem(const AppItem &item) {
    if (m_state->lists().isEmpty())
        return;
    m_state->remove(item); // also drops an emptied open group, and saves
    m_drag.itemRemoved(item.id);
    sync();
}

void CircularLauncherView::contextMenuEvent(QContextMenuEvent *event) {
    const RingSprite *sprite = spriteAt(event->pos());
    if (!sprite || m_drag.isDragging())
        return;
    const AppItem item = sprite->item;
    // The popover sits beside the entry's whole frame, which grows with the launcher's scale.
    const QRectF frame = m_scene.entryFrame(*sprite).translated(ringCentre());
    const QRect anchor = QRectF(mapToGlobal(frame.topLeft()), frame.size()).toRect();
    EntryEdits edits;
    edits.open = [this, item] { activate(item); };
    edits.rename = [this, id = item.id](const QString &name) { m_state->renameItem(id, name); };
    edits.setTint = [this, id = item.id](const std::optional<QString> &tint) {
        if (!m_state->lists().isEmpty())
            m_state->setFolderTint(id, tint);
    };
    edits.moveTo = [this, item](const MoveDestination &destination) {
        MoveDestinations::move(*m_state, item, destination);
    };
    edits.remove = [this, item] { removeItem(item); };
    const EntryActionPlace place{this, this, m_host, ::colors(m_state->currentTheme()).primary, anchor};
    QMenu *menu = EntryActions::buildMenu(item, MoveDestinations::forRingEntry(*m_state, item), edits, place);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CircularLauncherView::playSound() {
    if (m_host)
        m_host->playSound();
}

void CircularLauncherView::playSoundIfEnabled() {
    if (m_state->preferences().launcherSoundsEnabled())
        playSound();
}
