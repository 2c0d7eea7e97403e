// Process-wide values that several parts of the program read: set once or
// rarely, read from any thread.
#pragma once

#include <atomic>

class CMainWnd;

namespace tirk {

struct AppGlobals {
    /// Number of the instance message (see messages.h), set at start-up.
    std::atomic<int> instance_message{0};
    /// The main window, set by its InitWindow, cleared when it is destroyed.
    std::atomic<CMainWnd*> main_window{nullptr};
    /// Size of the primary screen in pixels, read at window init.
    std::atomic<int> screen_width{0};
    std::atomic<int> screen_height{0};
    /// false between system suspend and resume; the main window then ignores
    /// almost everything (messages.h: HandledWhileAsleep).
    std::atomic<bool> awake{true};
};

/// The one instance of the process.
AppGlobals& Globals();

}  // namespace tirk
