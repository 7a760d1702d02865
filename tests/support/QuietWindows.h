#pragma once

#include <QtGlobal>

// Offscreen windows cannot be raised or told their size hints, and Qt says so each time; a test that
// shows windows holds one of these. Every other message still reaches the run's own handler.
class QuietWindows {
  public:
    QuietWindows() { previous() = qInstallMessageHandler(&filter); }
    ~QuietWindows() { qInstallMessageHandler(previous()); }

  private:
    static QtMessageHandler &previous() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (message != u"This plugin does not support raise()" &&
            message != u"This plugin does not support propagateSizeHints()")
            previous()(type, context, message);
    }
};
