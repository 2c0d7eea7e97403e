// Keeps X errors on the input hook's own connection from ending the program.
// Xlib's answer to a protocol error (a window that went away) and to a broken
// connection (the X server ended) is exit(), through process-wide handlers.
// The guard installs handlers that take the errors of the displays it
// watches and hand every other display to the handlers installed before
// them. Private to the X11 backend.
#pragma once

#include <X11/Xlib.h>

#include <atomic>

namespace tirk::input {

/// What the handlers record for one watched display. Written on the thread
/// that uses the display (Xlib calls the handlers from within its calls).
struct XConnectionState {
    /// The connection broke; Xlib has turned later calls on it into no-ops.
    std::atomic<bool> lost{false};
    /// The last protocol error: its code and the serial number of the
    /// request that failed (compare with NextRequest() taken before it).
    int lastError = Success;
    unsigned long lastErrorSerial = 0;
};

/// Sends the errors of `display` to `state` (which must outlive the watch)
/// instead of ending the program. Installs the handlers on first use; later
/// handler changes by others are theirs to chain.
void WatchXConnection(Display* display, XConnectionState* state);
/// Ends the watch of `display` by `state` (after XCloseDisplay, whose last
/// round trip may still fail; a newer watch of a reused pointer stays).
void ForgetXConnection(Display* display, const XConnectionState* state);

}  // namespace tirk::input
