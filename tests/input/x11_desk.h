// The rest of the desktop, as the input hook's tests see it: another X
// client with a mapped window that holds the keyboard focus and records what
// X gives it, XTest to type and click as a user would, and a private X server
// for the tests that end one. Waits block on the X connection up to a
// deadline; nothing sleeps.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tirk::input::test {

/// X keycodes (evdev code + 8) the tests type.
inline constexpr int kKeycodeA = 38;
inline constexpr int kKeycodeTab = 23;
inline constexpr int kKeycodeLeftAlt = 64;
inline constexpr int kKeycodeCapsLock = 66;
inline constexpr int kKeycodeKeypadEnter = 104;
inline constexpr int kKeycodeRightCtrl = 105;
inline constexpr int kKeycodeUp = 111;
inline constexpr int kKeycodeInsert = 118;

inline constexpr std::chrono::milliseconds kEventDeadline{5000};

/// Another client on $DISPLAY (or `display`) with a window at Origin(),
/// mapped and focused, that selects key, button and focus events.
class OtherWindow {
public:
    explicit OtherWindow(const std::string& display = {});
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    /// False when the display could not be opened or lacks XTest.
    bool IsOpen() const { return m_window != 0; }
    Display* GetDisplay() const { return m_display; }
    Window Id() const { return m_window; }
    int OriginX() const { return kOriginX; }
    int OriginY() const { return kOriginY; }

    /// Unmaps the window (as minimising does) and waits until it is.
    bool Unmap();

    /// XTest input, sent at once.
    void PressKey(int keycode, bool press);
    void TypeKey(int keycode);
    void MovePointer(int x, int y);
    void PressButton(int button, bool press);

    /// Blocks until an event for which `match` is true arrives (earlier
    /// events are dropped); false at the deadline.
    bool WaitForEvent(const std::function<bool(const XEvent&)>& match,
                      std::chrono::milliseconds deadline = kEventDeadline);
    bool WaitForKeyPress(int keycode) { return WaitForEvent(IsKeyPress(keycode)); }
    /// Every event the server sent before this call's round trip.
    std::vector<XEvent> TakeEvents();
    /// The Lock modifier as XKB holds it (Caps Lock's state).
    bool CapsLockOn();
    /// Swaps buttons 1 and 3 in the pointer's button map (a left-handed
    /// mouse), or puts them back.
    bool SwapPrimaryButtons(bool swap);
    /// XGrabKeyboard on this client's window (True: granted).
    bool GrabKeyboard();
    void UngrabKeyboard();

    static std::function<bool(const XEvent&)> IsKeyPress(int keycode);
    /// A FocusIn or FocusOut (`type`) with `mode` (NotifyGrab, NotifyUngrab).
    static std::function<bool(const XEvent&)> IsFocus(int type, int mode);

private:
    static constexpr int kOriginX = 40;
    static constexpr int kOriginY = 30;

    Display* m_display = nullptr;
    Window m_window = 0;
};

/// True when `events` hold a KeyPress.
bool HasKeyPress(const std::vector<XEvent>& events);
/// The type of the last FocusIn or FocusOut in `events`; 0 when none.
int LastFocusChange(const std::vector<XEvent>& events);

/// An X server of the test's own (Xvfb), for tests that end it.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    /// Empty when Xvfb could not be started.
    const std::string& Name() const { return m_name; }
    /// Ends the server and waits for it.
    void Kill();

private:
    pid_t m_pid = -1;
    std::string m_name;
};

/// Reads one line from `fd` (blocking up to the deadline); empty at the
/// deadline or end of file.
std::string ReadLine(int fd, std::chrono::milliseconds deadline = kEventDeadline);

/// Serialises the tests that use the shared display: two of them grabbing
/// the same keyboard at once (ctest -j) would fail each other.
class DisplayLock {
public:
    DisplayLock();
    ~DisplayLock();
    DisplayLock(const DisplayLock&) = delete;
    DisplayLock& operator=(const DisplayLock&) = delete;

private:
    int m_fd = -1;
};

}  // namespace tirk::input::test
