#pragma once

// Whether Ilvex starts when the user logs in.
class LoginItem {
  public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() const = 0;
    // True when the system now starts Ilvex at login (enabled) or no longer does (disabled).
    virtual bool setEnabled(bool enabled) = 0;
};
