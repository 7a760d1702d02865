// The centre view for screen readers: the switcher's rows and the group header's back pill.
#include "views/CenterContentView.h"

#include "l10n/L.h"
#include "store/AppState.h"

QList<PaintedItem> CenterContentView::accessibleItems() const {
    QList<PaintedItem> items;
    if (layer() == Layer::groupHeader) {
        PaintedItem back;
        back.key = QStringLiteral("back");
        back.name = m_state->lists().isEmpty() ? L::back() : m_state->lists()[m_state->safeIndex()].name;
        back.description = L::back();
        back.rect = backPillRect().toAlignedRect();
        items.append(back);
    }
    const QList<AppList> &lists = m_state->lists();
    for (int i = 0; layer() == Layer::switcher && i < lists.size(); ++i) {
        PaintedItem row;
        row.key = uuidString(lists[i].id);
        row.name = lists[i].name;
        row.description = L::positionOf(i + 1, int(lists.size()));
        row.role = QAccessible::RadioButton;
        row.rect = rowRect(i).toAlignedRect();
        row.checkable = true;
        row.checked = row.selected = i == m_state->activeListIndex();
        items.append(row);
    }
    return items;
}

void CenterContentView::pressAccessibleItem(const QString &key) {
    if (key == QLatin1String("back")) {
        if (onCloseSubList)
            onCloseSubList();
        return;
    }
    const QList<AppList> &lists = m_state->lists();
    for (int i = 0; i < lists.size(); ++i) {
        if (uuidString(lists[i].id) == key && onSwitchList)
            onSwitchList(i);
    }
}
