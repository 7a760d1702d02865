#pragma once

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

// The name of the icon under the pointer, shared by the icons (which publish it), the hover label and
// the centre view (which show it). Owned by the ring view.
class HoverModel : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    std::optional<QString> name() const { return m_name; }
    std::optional<QUuid> hoveredID() const { return m_hoveredID; }

    // The pointer entered the icon of itemID (a name) or left it (no name). A "left" counts only for the
    // icon that published last: moving straight from one icon to the next may deliver the first icon's
    // "left" after the second's "entered", and that late message must not hide the second name.
    void publish(const QUuid &itemID, const std::optional<QString> &name);
    // Hides the name (a group opened or closed, another list shown) but keeps the hovered id.
    void clearName();

  Q_SIGNALS:
    void changed();

  private:
    std::optional<QString> m_name;
    std::optional<QUuid> m_hoveredID;
};
