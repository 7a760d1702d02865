#include "ring/HoverModel.h"

void HoverModel::publish(const QUuid &itemID, const std::optional<QString> &name) {
    if (name) {
        if (m_name == name && m_hoveredID == itemID)
            return;
        m_name = name;
        m_hoveredID = itemID;
    } else {
        if (m_hoveredID != itemID)
            return;
        m_name.reset();
        m_hoveredID.reset();
    }
    Q_EMIT changed();
}

void HoverModel::clearName() {
    if (!m_name)
        return;
    m_name.reset();
    Q_EMIT changed();
}
