// The input hook: key and mouse-button events from anywhere on the desktop,
// for recording macros and capturing the key a button should send. While keys
// are captured the keyboard is taken from the rest of the desktop (no other
// window receives a keystroke; the lock keys keep toggling); mouse buttons are
// only observed and still reach the window they were meant for, so that the
// user can click our own stop button. One backend per window system; the
// program picks one at start (MakeInputHook). Plain C++.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "input/hook_events.h"

namespace tirk::input {

/// Where a hook hands its events. Called on the hook's own thread (the X
/// backend) or on the UI thread (the in-window backend); the receiver must
/// not block and must move the event to the UI thread itself.
struct HookSink {
    std::function<void(const KeyHookEvent&)> onKey;
    std::function<void(const MouseHookEvent&)> onMouse;
};

class IInputHook {
public:
    virtual ~IInputHook() = default;

    /// Starts (or changes) capture: with `keys` every key press and release
    /// goes to the sink and to no other window; with `mouse` every button
    /// press and release goes to the sink as well as to its window. A second
    /// Start replaces the first. False, with nothing captured, when the
    /// keyboard cannot be taken (another program holds it, no display).
    virtual bool Start(bool keys, bool mouse) = 0;
    /// Ends capture; the keyboard is the desktop's again. Harmless when
    /// nothing is captured.
    virtual void Stop() = 0;
    /// True while Start's capture is on.
    virtual bool Active() const = 0;
    /// True when events come from the whole desktop; false when only our own
    /// window's input can be seen (no X display: a Wayland session without
    /// XWayland). The pages say so to the user.
    virtual bool DesktopWide() const = 0;
    /// The program's own top-level window (X11: its window id; 0: none).
    /// While keys are captured the keyboard is held on it, so that capture
    /// does not take the focus from it: held anywhere else, the window loses
    /// its active state and its focused edit its focus. Used from the next
    /// Start on. Backends that need no window ignore it.
    virtual void SetOwnWindow(uint64_t nativeWindow) { (void)nativeWindow; }
};

/// The X11 backend on display `display` (empty: $DISPLAY). nullptr when the
/// display cannot be opened or lacks the input extension; `why` then says
/// what is missing (for the log).
std::unique_ptr<IInputHook> MakeX11InputHook(HookSink sink, const std::string& display = {},
                                             std::string* why = nullptr);

}  // namespace tirk::input
