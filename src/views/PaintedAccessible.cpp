#include "views/PaintedAccessible.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace {

PaintedItemsSource *sourceOf(QObject *object) {
    return object && object->isWidgetType() ? dynamic_cast<PaintedItemsSource *>(object) : nullptr;
}

class PaintedItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    PaintedItemAccessible(QWidget *widget, QString key) : m_widget(widget), m_key(std::move(key)) {}

    bool isValid() const override { return current().has_value(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_widget ? m_widget->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override {
        const auto item = current();
        PaintedItemsSource *source = sourceOf(m_widget);
        if (item && source && !item->parentKey.isEmpty())
            return source->itemInterface(m_widget, item->parentKey);
        return QAccessible::queryAccessibleInterface(m_widget);
    }
    QAccessibleInterface *child(int index) const override {
        const QList<PaintedItem> children = childItems();
        return index >= 0 && index < children.size()
                   ? sourceOf(m_widget)->itemInterface(m_widget, children[index].key)
                   : nullptr;
    }
    int childCount() const override { return int(childItems().size()); }
    int indexOfChild(const QAccessibleInterface *child) const override {
        const QList<PaintedItem> children = childItems();
        for (int i = 0; i < children.size(); ++i) {
            if (sourceOf(m_widget)->itemInterface(m_widget, children[i].key) == child)
                return i;
        }
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        const auto item = current();
        if (!item)
            return {};
        return t == QAccessible::Name          ? item->name
               : t == QAccessible::Description ? item->description
                                               : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override {
        const auto item = current();
        return item ? QRect(m_widget->mapToGlobal(item->rect.topLeft()), item->rect.size()) : QRect();
    }
    QAccessible::Role role() const override {
        const auto item = current();
        return item ? item->role : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        const auto item = current();
        if (!item) {
            state.invalid = true;
            return state;
        }
        const bool control = item->role != QAccessible::List;
        state.focusable = control;
        state.selectable = control;
        state.selected = item->selected;
        state.focused = item->selected && m_widget->hasFocus();
        state.checkable = item->checkable;
        state.checked = item->checked;
        state.invisible = !m_widget->isVisible();
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override {
        if (action == pressAction() && current())
            if (PaintedItemsSource *source = sourceOf(m_widget))
                source->pressAccessibleItem(m_key);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // The item now (as last seen while it is being retired), and its index among its siblings.
    std::optional<PaintedItem> current(int *index = nullptr) const {
        PaintedItemsSource *source = sourceOf(m_widget);
        if (!source)
            return std::nullopt;
        if (m_retiring)
            return m_lastSeen;
        const QList<PaintedItem> items = source->accessibleItems();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (items[i].key != m_key)
                continue;
            if (index)
                *index = int(std::count_if(items.cbegin(), items.cbegin() + i, [&](const PaintedItem &other) {
                    return other.parentKey == items[i].parentKey;
                }));
            m_lastSeen = items[i];
            return items[i];
        }
        return std::nullopt;
    }
    // Answers as it was last seen until it is deleted: a destroyed-notice needs a valid interface.
    void retire() {
        current();
        m_retiring = true;
    }
    QWidget *widget() const { return m_widget; }

  private:
    QList<PaintedItem> childItems() const {
        QList<PaintedItem> children;
        if (PaintedItemsSource *source = sourceOf(m_widget); source && !m_retiring)
            for (const PaintedItem &item : source->accessibleItems()) {
                if (item.parentKey == m_key)
                    children.append(item);
            }
        return children;
    }

    QPointer<QWidget> m_widget;
    QString m_key;
    mutable PaintedItem m_lastSeen;
    bool m_retiring = false;
};

// The widget's painted things of the top level (those without a parent item).
QList<PaintedItem> topItems(const PaintedItemsSource *source) {
    QList<PaintedItem> top;
    for (const PaintedItem &item : source->accessibleItems()) {
        if (item.parentKey.isEmpty())
            top.append(item);
    }
    return top;
}

class PaintedItemsAccessible : public QAccessibleWidget {
  public:
    PaintedItemsAccessible(QWidget *widget, PaintedItemsSource *source)
        : QAccessibleWidget(widget, QAccessible::List), m_source(source) {}

    int childCount() const override {
        return int(topItems(m_source).size()) + QAccessibleWidget::childCount();
    }
    QAccessibleInterface *child(int index) const override {
        const QList<PaintedItem> items = topItems(m_source);
        if (index < 0)
            return nullptr;
        if (index < items.size())
            return m_source->itemInterface(widget(), items[index].key);
        return QAccessibleWidget::child(index - int(items.size()));
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        int index = -1;
        if (auto *painted = dynamic_cast<const PaintedItemAccessible *>(child))
            return painted->widget() == widget() && painted->current(&index) && child->parent() == this
                       ? index
                       : -1;
        const int real = QAccessibleWidget::indexOfChild(child);
        return real < 0 ? -1 : real + int(topItems(m_source).size());
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        for (const PaintedItem &item : m_source->accessibleItems()) {
            if (item.role != QAccessible::List && item.rect.contains(local))
                return m_source->itemInterface(widget(), item.key);
        }
        return QAccessibleWidget::childAt(x, y);
    }
    QAccessibleInterface *focusChild() const override {
        for (const PaintedItem &item : m_source->accessibleItems()) {
            if (item.selected && widget()->hasFocus())
                return m_source->itemInterface(widget(), item.key);
        }
        return QAccessibleWidget::focusChild();
    }

  private:
    PaintedItemsSource *m_source;
};

QAccessibleInterface *factory(const QString &, QObject *object) {
    if (PaintedItemsSource *source = sourceOf(object))
        return new PaintedItemsAccessible(static_cast<QWidget *>(object), source);
    return nullptr;
}

} // namespace

PaintedItemsSource::~PaintedItemsSource() {
    if (QCoreApplication::instance())
        for (const QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *PaintedItemsSource::itemInterface(QWidget *widget, const QString &key) const {
    if (const auto found = m_ids.constFind(key); found != m_ids.cend())
        if (QAccessibleInterface *existing = QAccessible::accessibleInterface(*found))
            return existing;
    auto *created = new PaintedItemAccessible(widget, key);
    m_ids.insert(key, QAccessible::registerAccessibleInterface(created));
    return created;
}

void PaintedItemsSource::announceFocus(QWidget *widget, const QString &key) const {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *item = itemInterface(widget, key);
    QAccessibleEvent focus(item, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
    QAccessibleEvent selection(item, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
}

void PaintedItemsSource::retireGoneItems(QWidget *widget) {
    QSet<QString> shown;
    QStringList created;
    for (const PaintedItem &item : accessibleItems()) {
        shown.insert(item.key);
        if (!m_ids.contains(item.key))
            created.append(item.key);
    }
    for (auto it = m_ids.begin(); it != m_ids.end();) {
        if (shown.contains(it.key())) {
            ++it;
            continue;
        }
        if (auto *gone = static_cast<PaintedItemAccessible *>(QAccessible::accessibleInterface(*it))) {
            gone->retire();
            QAccessibleEvent destroyed(gone, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&destroyed);
            QAccessible::deleteAccessibleInterface(*it);
        }
        it = m_ids.erase(it);
    }
    if (!QAccessible::isActive())
        return;
    for (const QString &key : std::as_const(created)) {
        QAccessibleEvent added(itemInterface(widget, key), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&added);
    }
}

void installPaintedAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
