#include "views/AutoDismissGuard.h"

void AutoDismissGuard::setActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    if (active && m_host)
        m_hold = m_host->holdOpen();
    else
        m_hold.reset();
}
