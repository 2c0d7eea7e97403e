// Ctrl+C in a terminal and the session's SIGTERM end the program the same
// orderly way as the tray menu's "exit", so workers stop and the virtual
// devices of --emulate remove their files.
#pragma once

#include <functional>

namespace tirk {

/// Routes SIGINT and SIGTERM to `on_quit`, run on the UI thread from the event
/// loop (never inside the signal handler). Call once, after the QApplication
/// exists. Returns false when the handler cannot be installed (logged).
bool RouteQuitSignals(std::function<void()> on_quit);

}  // namespace tirk
