#include "views/AutoDismissGuard.h"

#include "shell/AppDelegate.h"

void AutoDismissGuard::setActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        m_holder = AppDelegate::shared();
        if (m_holder)
            m_holder->suspendAutoDismiss();
    } else if (m_holder) {
        m_holder->resumeAutoDismiss();
        m_holder = nullptr;
    }
}
