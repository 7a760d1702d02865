#include "views/PaintedAccessible.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

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
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_widget); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
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
        state.focusable = true;
        state.selectable = true;
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

    // The item now, and its index among the painted ones.
    std::optional<PaintedItem> current(int *index = nullptr) const {
        PaintedItemsSource *source = sourceOf(m_widget);
        if (!source)
            return std::nullopt;
        const QList<PaintedItem> items = source->accessibleItems();
        for (int i = 0; i < items.size(); ++i) {
            if (items[i].key == m_key) {
                if (index)
                    *index = i;
                return items[i];
            }
        }
        return std::nullopt;
    }
    QWidget *widget() const { return m_widget; }

  private:
    QPointer<QWidget> m_widget;
    QString m_key;
};

class PaintedItemsAccessible : public QAccessibleWidget {
  public:
    PaintedItemsAccessible(QWidget *widget, PaintedItemsSource *source)
        : QAccessibleWidget(widget, QAccessible::List), m_source(source) {}

    int childCount() const override {
        return int(m_source->accessibleItems().size()) + QAccessibleWidget::childCount();
    }
    QAccessibleInterface *child(int index) const override {
        const QList<PaintedItem> items = m_source->accessibleItems();
        if (index < 0)
            return nullptr;
        if (index < items.size())
            return m_source->itemInterface(widget(), items[index].key);
        return QAccessibleWidget::child(index - int(items.size()));
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        int index = -1;
        if (auto *painted = dynamic_cast<const PaintedItemAccessible *>(child))
            return painted->widget() == widget() && painted->current(&index) ? index : -1;
        const int real = QAccessibleWidget::indexOfChild(child);
        return real < 0 ? -1 : real + int(m_source->accessibleItems().size());
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        for (const PaintedItem &item : m_source->accessibleItems()) {
            if (item.rect.contains(local))
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

void installPaintedAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
