#pragma once

#include "platform/GlobalHotkey.h"

// A hotkey that tests press by hand. With taken set, registering fails as when another client holds
// the key.
class FakeHotkey : public GlobalHotkey {
  public:
    bool taken = false;
    int registrations = 0;

    bool registerHotkey(std::function<void()> pressed) override {
        unregisterHotkey();
        if (taken)
            return false;
        ++registrations;
        m_pressed = std::move(pressed);
        return true;
    }
    void unregisterHotkey() override { m_pressed = nullptr; }
    bool isRegistered() const override { return bool(m_pressed); }
    // Returns false when the key is not registered, so nothing could have reacted.
    bool press() {
        if (!m_pressed)
            return false;
        m_pressed();
        return true;
    }

  private:
    std::function<void()> m_pressed;
};
