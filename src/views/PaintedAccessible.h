#pragma once

#include <QAccessible>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// One thing a custom-painted widget draws that a screen reader should see as its own control: a ring
// entry, a switcher row.
struct PaintedItem {
    QString key;       // stable while the thing is shown (an entry's or a list's id)
    QString parentKey; // the item holding this one (the ring's entries sit in a list named after it), or none
    QString name;
    QString description;
    QAccessible::Role role = QAccessible::Button;
    QRect rect; // widget coordinates
    bool selected = false;
    bool checked = false;
    bool checkable = false;
};

// A widget that paints such things inherits this; the accessibility factory (installed by
// installPaintedAccessibility) then exposes each as a child of the widget's accessible interface (or of
// its parent item), before the widget's real children, with a press action.
class PaintedItemsSource {
  public:
    virtual ~PaintedItemsSource();
    virtual QList<PaintedItem> accessibleItems() const = 0;
    virtual void pressAccessibleItem(const QString &key) = 0;

    // The interface of one item, made once per key.
    QAccessibleInterface *itemInterface(QWidget *widget, const QString &key) const;
    // Tells a screen reader that the item now has the focus (the keyboard selection moved to it).
    void announceFocus(QWidget *widget, const QString &key) const;
    // After the painted things changed: the interfaces of those gone are retired (a screen reader is told
    // they are destroyed while they still answer, then they go), and those new are announced.
    void retireGoneItems(QWidget *widget);

  private:
    mutable QHash<QString, QAccessible::Id> m_ids;
};

// Installs the factory once; every widget that is a PaintedItemsSource gets its children.
void installPaintedAccessibility();
