#pragma once

#include "platform/GlobalHotkey.h"

// A hotkey that always registers and is never pressed.
class FakeHotkey : public GlobalHotkey {
  public:
    bool registerHotkey(std::function<void()> pressed) override {
        m_pressed = std::move(pressed);
        return true;
    }
    void unregisterHotkey() override { m_pressed = nullptr; }
    bool isRegistered() const override { return bool(m_pressed); }

  private:
    std::function<void()> m_pressed;
};
