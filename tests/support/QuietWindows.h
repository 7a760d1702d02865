#pragma once

#include <QString>

// Offscreen windows cannot be raised, told their size hints or grab the keyboard for popups, and Qt says
// so each time: a test that shows windows holds one of these. Other messages reach the run's own handler.
class QuietWindows {
  public:
    QuietWindows() { previous = qInstallMessageHandler(&filter); }
    ~QuietWindows() { qInstallMessageHandler(previous); }

  private:
    static inline QtMessageHandler previous = nullptr;
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (!message.startsWith(u"This plugin does not support"))
            previous(type, context, message);
    }
};
