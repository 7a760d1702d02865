#pragma once

#include <QLoggingCategory>

// Ilvex's diagnostics, one category per area. Log::install() prints them on standard output as
// "[Ilvex] message", a line at a time, which is where the tests and people's scripts read them; Qt's own
// messages keep going to standard error. QT_LOGGING_RULES turns categories off ("ilvex.store.info=false").
Q_DECLARE_LOGGING_CATEGORY(lcStore)  // ilvex.store: the lists file
Q_DECLARE_LOGGING_CATEGORY(lcShell)  // ilvex.shell: tray, login item, updates, instance socket, start-up
Q_DECLARE_LOGGING_CATEGORY(lcHotkey) // ilvex.hotkey: binding Alt+Z
Q_DECLARE_LOGGING_CATEGORY(lcLayout) // ilvex.layout: where the clickable parts are (debug, off by default)

namespace Log {
// Installs the handler in front of the one in place (Qt's, or a test's). ILVEX_TRACE_LAYOUT turns the
// layout category's debug lines on.
void install();
} // namespace Log
