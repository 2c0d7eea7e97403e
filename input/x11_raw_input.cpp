#include "input/x11_raw_input.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <optional>

#include "core/log.h"
#include "input/key_codes.h"

namespace tirk::input {
namespace {

// The Alt keys (evdev KEY_LEFTALT and KEY_RIGHTALT as X keycodes).
constexpr int kLeftAltKeycode = 56 + kXKeycodeOffset;
constexpr int kRightAltKeycode = 100 + kXKeycodeOffset;

// XInput 2.1 is the first version whose raw events reach a client while
// another client, or the client itself, holds a grab.
constexpr int kXiMajor = 2;
constexpr int kXiMinorNeeded = 1;
constexpr int kXiMinorAsked = 2;

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<RawInputConnection> RawInputConnection::Open(const std::string& name,
                                                             std::string* why) {
    auto fail = [why](std::string text) {
        if (why) *why = std::move(text);
        return nullptr;
    };
    if (name.empty() && !std::getenv("DISPLAY")) return fail("no X display: DISPLAY is not set");
    const char* wanted = name.empty() ? nullptr : name.c_str();
    Display* display = XOpenDisplay(wanted);
    if (!display)
        return fail(std::string("cannot open the X display \"") + XDisplayName(wanted) + "\"");
    int opcode = 0, firstEvent = 0, firstError = 0;
    int major = kXiMajor, minor = kXiMinorAsked;
    const bool hasXi =
        XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError);
    // On a 2.0 server the query fails and `minor` holds the server's version.
    if (hasXi) XIQueryVersion(display, &major, &minor);
    if (!hasXi || major < kXiMajor || (major == kXiMajor && minor < kXiMinorNeeded)) {
        XCloseDisplay(display);
        return fail(hasXi ? "the X server has XInput " + std::to_string(major) + "." +
                                std::to_string(minor) + "; 2.1 or later is needed"
                          : "the X server lacks the XInput extension");
    }
    return std::unique_ptr<RawInputConnection>(new RawInputConnection(display, opcode));
}

RawInputConnection::RawInputConnection(Display* display, int xiOpcode)
    : m_display(display),
      m_root(DefaultRootWindow(display)),
      m_hiddenWindow(MakeHiddenWindow()),
      m_xiOpcode(xiOpcode) {
    WatchXConnection(m_display, &m_state);
}

RawInputConnection::~RawInputConnection() {
    Apply({}, 0);
    // Closing also ends any grab; on a lost connection Xlib only frees memory.
    XCloseDisplay(m_display);
    ForgetXConnection(m_display, &m_state);
}

// The keyboard's place when the program names no window of its own. Not the
// root: the server hands a client that grabs on the root its raw events only
// through the grab, and a core grab carries none, so the hook would go deaf
// the moment it grabs. A 1x1 input-only window, off the screen and outside
// the window manager's care, is viewable (as a grab window must be) and is
// never seen or clicked.
Window RawInputConnection::MakeHiddenWindow() {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window window = XCreateWindow(m_display, m_root, -1, -1, 1, 1, 0, 0, InputOnly,
                                        CopyFromParent, CWOverrideRedirect, &attributes);
    XMapWindow(m_display, window);
    return window;
}

bool RawInputConnection::Apply(Capture capture, Window ownWindow) {
    if (Lost()) capture = {};
    const bool held = !capture.keys || GrabKeyboard(ownWindow);
    if (!held) capture = {};
    if (!capture.keys) UngrabKeyboard();
    if (capture.keys && !m_capture.keys) ReadAltKeys();
    if (capture.mouse && !m_capture.mouse) ReadButtonMap();
    SelectRawEvents(capture);
    // A round trip: when Start or Stop returns, the server has taken the
    // change, so the next key anyone types already goes where it now should.
    XSync(m_display, False);
    m_capture = capture;
    return held && !Lost();
}

// On the own window when it is viewable; on the hidden window when it is
// not (minimised) or no longer exists.
bool RawInputConnection::GrabKeyboard(Window ownWindow) {
    const Window wanted = ownWindow ? ownWindow : m_hiddenWindow;
    if (m_grabWindow == wanted) return true;
    if (ownWindow && GrabKeyboardOn(ownWindow)) return true;
    return GrabKeyboardOn(m_hiddenWindow);
}

bool RawInputConnection::GrabKeyboardOn(Window window) {
    const unsigned long serial = NextRequest(m_display);
    // owner_events False: every key goes to the grab window as this client's
    // event, and this client selects no core key events, so no window sees it.
    const int result =
        XGrabKeyboard(m_display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    // Xlib reports a grab on a window that no longer exists as granted; the
    // error tells. (Errors of earlier requests may arrive here too.)
    const bool failed = m_state.lastErrorSerial == serial;
    if (result != GrabSuccess || failed) {
        if (!Lost()) log::Printf("input hook: keyboard grab refused (%d)", result);
        return false;  // an earlier grab of ours stays until Apply lets it go
    }
    // A grab on another window of this client moves the grab there.
    WatchGrabWindow(false);
    m_grabWindow = window;
    WatchGrabWindow(true);
    return true;
}

void RawInputConnection::UngrabKeyboard() {
    if (!m_grabWindow) return;
    WatchGrabWindow(false);
    XUngrabKeyboard(m_display, CurrentTime);
    m_grabWindow = 0;
}

// The server lets go of a grab whose window is unmapped or destroyed: the
// program's own window is watched so that the grab moves to the hidden
// window then.
void RawInputConnection::WatchGrabWindow(bool watch) {
    if (m_grabWindow == 0 || m_grabWindow == m_hiddenWindow) return;
    XSelectInput(m_display, m_grabWindow, watch ? StructureNotifyMask : NoEventMask);
}

void RawInputConnection::OnGrabWindowGone() {
    WatchGrabWindow(false);
    m_grabWindow = 0;
    if (m_capture.keys && !GrabKeyboardOn(m_hiddenWindow))
        log::Line("input hook: the keyboard is no longer held; keys reach other windows");
}

void RawInputConnection::SelectRawEvents(Capture capture) {
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    if (capture.keys) {
        XISetMask(bits.data(), XI_RawKeyPress);
        XISetMask(bits.data(), XI_RawKeyRelease);
    }
    if (capture.mouse) {
        XISetMask(bits.data(), XI_RawButtonPress);
        XISetMask(bits.data(), XI_RawButtonRelease);
    }
    // Master devices only: each slave's event reaches its master too, and
    // selecting both would report every key twice.
    XIEventMask mask{XIAllMasterDevices, int(bits.size()), bits.data()};
    XISelectEvents(m_display, m_root, &mask, 1);
}

// An Alt key already held when capture starts still makes the next keys
// "system" keys.
void RawInputConnection::ReadAltKeys() {
    std::array<char, 32> keys{};
    XQueryKeymap(m_display, keys.data());
    auto down = [&keys](int keycode) {
        return (static_cast<unsigned char>(keys[size_t(keycode / 8)]) >> (keycode % 8)) & 1;
    };
    m_leftAltDown = down(kLeftAltKeycode);
    m_rightAltDown = down(kRightAltKeycode);
}

// Raw events number a button as the device does, before the pointer's
// button map: a left-handed map must still make the left button "right".
void RawInputConnection::ReadButtonMap() {
    constexpr int kMostButtons = 256;
    m_buttonMap.assign(kMostButtons, 0);
    const int count = XGetPointerMapping(m_display, m_buttonMap.data(), kMostButtons);
    m_buttonMap.resize(size_t(std::max(count, 0)));
}

// 0 for a button the map turns off.
int RawInputConnection::LogicalButton(int rawButton) const {
    if (rawButton < 1 || size_t(rawButton) > m_buttonMap.size()) return rawButton;
    return m_buttonMap[size_t(rawButton - 1)];
}

void RawInputConnection::DeliverPending(const HookSink& sink) {
    while (!Lost() && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        Deliver(event, sink);
    }
}

void RawInputConnection::Deliver(const XEvent& event, const HookSink& sink) {
    if (event.type == UnmapNotify || event.type == DestroyNotify) {
        const Window gone =
            event.type == UnmapNotify ? event.xunmap.window : event.xdestroywindow.window;
        if (gone == m_grabWindow) OnGrabWindowGone();
        return;
    }
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingPointer && m_capture.mouse) ReadButtonMap();
        return;
    }
    XGenericEventCookie cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != m_xiOpcode) return;
    if (!XGetEventData(m_display, &cookie)) return;
    Deliver(*static_cast<const XIRawEvent*>(cookie.data), sink);
    XFreeEventData(m_display, &cookie);
}

// Events selected before a Stop may still be on their way: only what the
// current capture asks for is reported.
void RawInputConnection::Deliver(const XIRawEvent& raw, const HookSink& sink) {
    switch (raw.evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            if (m_capture.keys) DeliverKey(raw.detail, raw.evtype == XI_RawKeyPress, sink);
            break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            if (m_capture.mouse)
                DeliverButton(LogicalButton(raw.detail), raw.evtype == XI_RawButtonPress, sink);
            break;
        default:
            break;
    }
}

// An Alt key's own press and release count as Alt held, as the other keys
// pressed or released while it is down do.
void RawInputConnection::DeliverKey(int keycode, bool press, const HookSink& sink) {
    const int64_t timeMs = NowMs();
    if (keycode == kLeftAltKeycode) m_leftAltDown = press;
    if (keycode == kRightAltKeycode) m_rightAltDown = press;
    const bool isAlt = keycode == kLeftAltKeycode || keycode == kRightAltKeycode;
    const bool altHeld = isAlt || m_leftAltDown || m_rightAltDown;
    const std::optional<KeyHookEvent> event = KeyEventOfXKeycode(keycode, press, altHeld, timeMs);
    if (event && sink.onKey) sink.onKey(*event);
}

void RawInputConnection::DeliverButton(int button, bool press, const HookSink& sink) {
    const int64_t timeMs = NowMs();
    const std::optional<ButtonMessage> message = ButtonMessageOfXButton(button, press);
    if (!message || !sink.onMouse) return;
    // Raw events carry no position: the pointer's, read now, is the nearest.
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, m_root, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    MouseHookEvent event;
    event.message = message->message;
    event.record.x = rootX;
    event.record.y = rootY;
    event.record.mouseData = uint32_t(message->extraButton) << 16;
    event.record.timeMs = timeMs;
    sink.onMouse(event);
}

}  // namespace tirk::input
