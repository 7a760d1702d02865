// The ring view by keyboard and for screen readers: the selection, type to find, digits for slots, list
// switching, and the entries as accessible children.
#include "launcher/CircularLauncherView.h"

#include "l10n/L.h"
#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "launcher/LauncherHost.h"
#include "platform/KeyboardLayout.h"
#include "store/AppState.h"
#include "views/AppIconPainter.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

// The digit 1-9 of a key: what it types, else (for a key typing no letter) its place on the digit row.
std::optional<int> slotDigit(const QKeyEvent &event, const KeyboardLayout *layout) {
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    const quint32 keycode = event.nativeScanCode();
    std::optional<int> row;
    if (!keypad)
        row = layout ? layout->digitRowKey(keycode) : evdevDigitRowKey(keycode);
    return slotDigitOf(event.text(), keypad, row);
}

bool isMenuKey(const QKeyEvent &event) {
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

// Opens a widget's context menu at a point of it, as the keyboard does.
void sendContextMenu(QWidget *widget, QPoint local) {
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, local, widget->mapToGlobal(local));
    QCoreApplication::sendEvent(widget, &menu);
}

bool isPrintable(const QString &text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isPrint() && !c.isSurrogate())
            return false;
    }
    return true;
}

QString kindOf(const AppItem &item) {
    if (item.isSubList)
        return L::kindGroup();
    if (item.isURL)
        return L::kindLink();
    if (item.isFolder)
        return L::kindFolder();
    return AppIconPainter::isApplication(item) ? L::kindApplication() : L::kindFile();
}

} // namespace

std::optional<QUuid> CircularLauncherView::selectedID() const {
    return m_hover.name() ? m_hover.hoveredID() : std::nullopt;
}

std::optional<AppItem> CircularLauncherView::enterTarget() const {
    const auto selected = selectedID();
    if (!selected)
        return std::nullopt;
    if (m_keySelection && m_keySelection->ringID == *selected)
        return m_keySelection->target;
    for (const AppItem &item : displayedItems()) {
        if (item.id == *selected)
            return item;
    }
    return std::nullopt;
}

void CircularLauncherView::select(const AppItem &ringItem, const AppItem &target) {
    m_keySelection = KeySelection{ringItem.id, target};
    m_hover.publish(ringItem.id, target.name);
    announceFocus(this, uuidString(ringItem.id));
}

void CircularLauncherView::moveSelection(int step) {
    if (!m_search.isEmpty()) {
        // Through the matches, best first.
        if (m_hits.isEmpty())
            return;
        const qsizetype n = m_hits.size();
        qsizetype at = -1;
        for (qsizetype i = 0; m_keySelection && i < n; ++i) {
            if (m_hits[i].item.id == m_keySelection->target.id)
                at = i;
        }
        at = at < 0 ? (step > 0 ? 0 : n - 1) : (at + step + n) % n;
        select(displayedItems()[m_hits[at].slot], m_hits[at].item);
        return;
    }
    const QList<AppItem> items = displayedItems();
    const qsizetype n = items.size();
    if (n == 0)
        return;
    qsizetype at = -1;
    if (const auto selected = selectedID())
        for (qsizetype i = 0; i < n; ++i) {
            if (items[i].id == *selected)
                at = i;
        }
    at = at < 0 ? (step > 0 ? 0 : n - 1) : (at + step + n) % n;
    select(items[at], items[at]);
}

void CircularLauncherView::selectEnd(bool last) {
    if (!m_search.isEmpty()) {
        if (!m_hits.isEmpty()) {
            const RingSearch::Hit &hit = last ? m_hits.last() : m_hits.first();
            select(displayedItems()[hit.slot], hit.item);
        }
        return;
    }
    const QList<AppItem> items = displayedItems();
    if (!items.isEmpty())
        select(last ? items.last() : items.first(), last ? items.last() : items.first());
}

void CircularLauncherView::setSearch(const QString &text) {
    m_search = text;
    m_searchIdentity = ringIdentity();
    const QList<AppItem> items = displayedItems();
    m_hits = RingSearch::find(items, text, !m_state->openSubListID());
    m_dimmed.clear();
    if (!text.isEmpty()) {
        for (const AppItem &item : items)
            m_dimmed.insert(item.id);
        for (const RingSearch::Hit &hit : std::as_const(m_hits))
            m_dimmed.remove(items[hit.slot].id);
    }
    showSearchText();
    if (!m_hits.isEmpty()) {
        select(items[m_hits.first().slot], m_hits.first().item);
    } else if (!text.isEmpty() && selectedID()) {
        m_keySelection.reset();
        m_hover.publish(*m_hover.hoveredID(), std::nullopt); // nothing for Enter to open
    }
    sync();
}

void CircularLauncherView::showSearchText() {
    m_chrome->hole()->setSearchText(m_search + m_preedit, !m_hits.isEmpty() || m_search.isEmpty());
}

void CircularLauncherView::inputMethodEvent(QInputMethodEvent *event) {
    m_preedit = m_drag.isDragging() ? QString() : event->preeditString();
    const QString commit = event->commitString();
    if (!m_drag.isDragging() && isPrintable(commit) && !(m_search.isEmpty() && commit.trimmed().isEmpty()))
        setSearch(m_search + commit);
    else
        showSearchText();
    event->accept();
}

QVariant CircularLauncherView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return !m_drag.isDragging();
    case Qt::ImCursorRectangle: {
        // The line of typed text in the hole: the candidate window opens just below it.
        const double s = scale();
        QRectF line(0, 0, geometry().holeDiameter() * 0.6, 34 * s);
        line.moveCenter(ringCentre());
        return line.toAlignedRect();
    }
    case Qt::ImFont:
        return HoleOverlay::uiFont(22 * scale(), QFont::DemiBold);
    case Qt::ImSurroundingText:
        return m_search;
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return int(m_search.size());
    case Qt::ImHints:
        return int(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
    default:
        return QWidget::inputMethodQuery(query);
    }
}

bool CircularLauncherView::clearSearch() {
    if (m_search.isEmpty())
        return false;
    setSearch(QString());
    return true;
}

void CircularLauncherView::ringContentChanged() {
    // Screen readers drop the entries gone; the hole's items are settled once the centre has synced.
    retireGoneItems(this);
    QTimer::singleShot(0, m_chrome->hole(), [centre = m_chrome->hole()] { centre->retireGoneItems(centre); });
    // Another list or group: the text typed for the old ring goes, and the keyboard (and a screen
    // reader's focus, which then reads the new list's or group's name) starts at its first entry. The
    // same ring changed (an entry renamed or removed): the text finds again.
    if (ringIdentity() != m_searchIdentity) {
        m_keySelection.reset();
        if (!m_search.isEmpty())
            setSearch(QString());
        m_searchIdentity = ringIdentity();
        // After the step that changed the ring is done (opening a group clears the hover after).
        if (hasFocus() && (m_byKeyboard || QAccessible::isActive()))
            QTimer::singleShot(0, this, [this, ring = ringIdentity()] {
                if (ringIdentity() == ring && !selectedID() && m_search.isEmpty())
                    selectEnd(false);
            });
    } else if (!m_search.isEmpty()) {
        setSearch(m_search);
    }
}

void CircularLauncherView::openSlot(int slot) {
    const QList<AppItem> items = displayedItems();
    if (slot < 0 || slot >= items.size() || m_drag.isDragging())
        return;
    select(items[slot], items[slot]);
    activate(items[slot]);
}

void CircularLauncherView::switchListBy(int step) {
    const qsizetype n = m_state->lists().size();
    if (n < 2 || m_drag.isDragging() || !m_gate.mayActivate())
        return;
    switchList(int((m_state->safeIndex() + step + n) % n));
}

void CircularLauncherView::keyPressEvent(QKeyEvent *event) {
    const QScopedValueRollback<bool> byKeyboard(m_byKeyboard, true);
    if (handleKey(*event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CircularLauncherView::setUpKeyboardFocus() {
    m_chrome->hole()->installEventFilter(this);
    m_chrome->manageButton()->installEventFilter(this);
    m_chrome->manageButton()->setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
}

bool CircularLauncherView::focusNextPrevChild(bool next) {
    // The hole is a stop while it has something to act on: the switcher's rows or the group's back pill.
    const HoleOverlay::Layer layer = m_chrome->hole()->layer();
    const bool centreActs = layer == HoleOverlay::Layer::switcher || layer == HoleOverlay::Layer::groupHeader;
    m_chrome->hole()->setFocusPolicy(centreActs ? Qt::TabFocus : Qt::NoFocus);
    return QWidget::focusNextPrevChild(next);
}

bool CircularLauncherView::eventFilter(QObject *watched, QEvent *event) {
    HoleOverlay *centre = m_chrome->hole();
    if (watched == centre && event->type() == QEvent::FocusIn) {
        const QList<PaintedItem> items = centre->accessibleItems();
        for (const PaintedItem &item : items) {
            if (item.selected || items.size() == 1)
                centre->announceFocus(centre, item.key);
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (watched == centre)
            return handleCentreKey(key);
        // The pencil: Enter presses it too.
        if (watched == m_chrome->manageButton() &&
            (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
            static_cast<QAbstractButton *>(watched)->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CircularLauncherView::handleCentreKey(const QKeyEvent &event) {
    // The switcher's rows are radio buttons: the arrows switch lists; Menu opens the active row's menu.
    // The group header's pill goes back with Enter or Space. Any other key goes on to the ring.
    HoleOverlay *centre = m_chrome->hole();
    const bool switcher = centre->layer() == HoleOverlay::Layer::switcher;
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right:
        if (!switcher)
            return false;
        switchListBy(event.key() == Qt::Key_Down || event.key() == Qt::Key_Right ? 1 : -1);
        centre->announceFocus(centre, uuidString(m_state->lists()[m_state->safeIndex()].id));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (centre->layer() != HoleOverlay::Layer::groupHeader)
            return false;
        backOrDismiss();
        return true;
    default:
        if (!isMenuKey(event) || !switcher)
            return false;
        sendContextMenu(centre, centre->rowRect(m_state->safeIndex()).center().toPoint());
        return true;
    }
}

void CircularLauncherView::openSelectedEntryMenu() {
    if (m_drag.isDragging())
        return;
    if (!selectedID())
        moveSelection(1);
    if (const auto selected = selectedID())
        if (const auto centre = itemCentre(*selected))
            sendContextMenu(this, centre->toPoint());
}

bool CircularLauncherView::handleKey(const QKeyEvent &event) {
    if (isMenuKey(event)) {
        openSelectedEntryMenu();
        return true;
    }
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier | Qt::ShiftModifier);
    const bool control = modifiers == Qt::ControlModifier;
    switch (event.key()) {
    case Qt::Key_Escape:
        if (!clearSearch())
            backOrDismiss();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!control)
            return false;
        switchListBy(event.key() == Qt::Key_Backtab || (event.modifiers() & Qt::ShiftModifier) ? -1 : 1);
        return true;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        switchListBy(event.key() == Qt::Key_PageDown ? 1 : -1);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (!m_drag.isDragging())
            moveSelection(event.key() == Qt::Key_Right || event.key() == Qt::Key_Down ? 1 : -1);
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!m_drag.isDragging())
            selectEnd(event.key() == Qt::Key_End);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const auto target = enterTarget())
            activate(*target);
        return true;
    case Qt::Key_Backspace:
        if (!m_search.isEmpty()) {
            const qsizetype cut = m_search.size() >= 2 && m_search.back().isLowSurrogate() ? 2 : 1;
            setSearch(m_search.chopped(cut));
        }
        return true;
    default:
        break;
    }
    if (modifiers != Qt::NoModifier || m_drag.isDragging())
        return false;
    // Digits open a slot until a search has begun; after that they are part of the text.
    if (m_search.isEmpty())
        if (const auto digit = slotDigit(event, m_host ? m_host->keyboardLayout() : nullptr)) {
            openSlot(*digit - 1);
            return true;
        }
    const QString text = event.text();
    if (!isPrintable(text) || (m_search.isEmpty() && text.trimmed().isEmpty()))
        return false;
    setSearch(m_search + text);
    return true;
}

QList<PaintedItem> CircularLauncherView::accessibleItems() const {
    const QList<AppItem> items = displayedItems();
    const auto selected = selectedID();
    // The entries sit in a list named after the ring's list or group: a new one for every other ring,
    // so that a screen reader moving into it reads its name.
    PaintedItem ring;
    ring.key = QStringLiteral("ring-") + ringIdentity();
    ring.role = QAccessible::List;
    if (const auto group = m_state->openSubList()) {
        ring.name = group->name;
        ring.description = L::kindGroup();
    } else if (!m_state->lists().isEmpty()) {
        ring.name = m_state->lists()[m_state->safeIndex()].name;
        if (m_state->lists().size() > 1)
            ring.description = L::positionOf(m_state->safeIndex() + 1, int(m_state->lists().size()));
    }
    ring.rect = rect();
    QList<PaintedItem> painted{ring};
    for (qsizetype i = 0; i < items.size(); ++i) {
        const AppItem &item = items[i];
        PaintedItem entry;
        entry.key = uuidString(item.id);
        entry.parentKey = ring.key;
        entry.name = item.name;
        entry.description =
            kindOf(item) + QStringLiteral(", ") + L::positionOf(int(i) + 1, int(items.size()));
        entry.role = QAccessible::Button;
        if (const RingSprite *sprite = m_scene.sprite(item.id))
            entry.rect = m_scene.entryFrame(*sprite).translated(ringCentre()).toAlignedRect();
        entry.selected = selected == item.id;
        painted.append(entry);
    }
    return painted;
}

void CircularLauncherView::pressAccessibleItem(const QString &key) {
    activateByID(QUuid::fromString(key));
}
