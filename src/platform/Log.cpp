#include "platform/Log.h"

#include <cstdio>
#include <cstring>

Q_LOGGING_CATEGORY(lcStore, "ilvex.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcShell, "ilvex.shell", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkey, "ilvex.hotkey", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayout, "ilvex.layout", QtInfoMsg)

namespace {
QtMessageHandler next = nullptr;

void handle(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (!context.category || std::strncmp(context.category, "ilvex.", 6) != 0) {
        next(type, context, message);
        return;
    }
    // One write per line, flushed at once: a reader waiting for the line sees it now, and lines from
    // two threads never interleave.
    const QByteArray line = "[Ilvex] " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}
} // namespace

void Log::install() {
    if (qEnvironmentVariableIsSet("ILVEX_TRACE_LAYOUT"))
        QLoggingCategory::setFilterRules(QStringLiteral("ilvex.layout.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(handle);
    if (previous != handle)
        next = previous;
}
