// The input hook's X connection: XInput2 raw key and button events selected
// on the root window, the keyboard grab that keeps keys from the rest of the
// desktop, and the hand-over of what it reads to the hook's sink. Private to
// the X11 backend (x11_input_hook.cpp), whose thread is its one user.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <memory>
#include <string>
#include <vector>

#include "input/input_hook.h"
#include "input/x11_error_guard.h"

namespace tirk::input {

/// What a Start asks for.
struct Capture {
    bool keys = false;
    bool mouse = false;

    bool Any() const { return keys || mouse; }
};

/// The hook thread's X connection: what it captures and the events it reads.
/// Used by one thread at a time (opened by the caller of MakeX11InputHook,
/// then handed to the hook thread for good).
class RawInputConnection {
public:
    /// nullptr, with `why` set, when the display cannot be opened or its
    /// server lacks XInput 2.1.
    static std::unique_ptr<RawInputConnection> Open(const std::string& name, std::string* why);
    ~RawInputConnection();
    RawInputConnection(const RawInputConnection&) = delete;
    RawInputConnection& operator=(const RawInputConnection&) = delete;

    int Fd() const { return ConnectionNumber(m_display); }
    bool Lost() const { return m_state.lost; }
    bool Capturing() const { return m_capture.Any(); }

    /// Switches to `capture`, holding the keyboard on `ownWindow` when it can
    /// (0: none). False, with nothing captured, when the keyboard cannot be
    /// held or the connection is lost.
    bool Apply(Capture capture, Window ownWindow);
    /// Hands every event Xlib has read or can read without blocking to the sink.
    void DeliverPending(const HookSink& sink);

private:
    RawInputConnection(Display* display, int xiOpcode);
    Window MakeHiddenWindow();
    bool GrabKeyboard(Window ownWindow);
    bool GrabKeyboardOn(Window window);
    void UngrabKeyboard();
    void WatchGrabWindow(bool watch);
    void OnGrabWindowGone();
    void SelectRawEvents(Capture capture);
    void ReadAltKeys();
    void ReadButtonMap();
    int LogicalButton(int rawButton) const;
    void Deliver(const XEvent& event, const HookSink& sink);
    void Deliver(const XIRawEvent& raw, const HookSink& sink);
    void DeliverKey(int keycode, bool press, const HookSink& sink);
    void DeliverButton(int button, bool press, const HookSink& sink);

    Display* m_display;
    Window m_root;
    Window m_hiddenWindow;
    int m_xiOpcode;
    XConnectionState m_state;
    Capture m_capture;
    Window m_grabWindow = 0;  ///< where the keyboard is held; 0: not held
    bool m_leftAltDown = false;
    bool m_rightAltDown = false;
    /// The core pointer's button map (index: device button - 1).
    std::vector<unsigned char> m_buttonMap;
};

}  // namespace tirk::input
