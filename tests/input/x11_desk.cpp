#include "x11_desk.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace tirk::input::test {
namespace {

using Clock = std::chrono::steady_clock;

// Blocks until `fd` is readable or `end` passes; false at the deadline.
bool WaitReadable(int fd, Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0) return false;
    pollfd poll{fd, POLLIN, 0};
    return ::poll(&poll, 1, int(left.count()) + 1) > 0;
}

// xvfb-run starts its server without -noreset: when the last client of
// the previous test leaves, the server resets, and a connection attempt in
// that moment fails. There is nothing to wait on but time.
Display* OpenDisplay(const std::string& name) {
    const Clock::time_point end = Clock::now() + kEventDeadline;
    for (;;) {
        Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
        if (display || Clock::now() > end) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

OtherWindow::OtherWindow(const std::string& display) {
    m_display = OpenDisplay(display);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!m_display || !XTestQueryExtension(m_display, &event, &error, &major, &minor)) return;
    const Window root = DefaultRootWindow(m_display);
    const Window window =
        XCreateSimpleWindow(m_display, root, kOriginX, kOriginY, 200, 150, 0, 0, 0);
    XSelectInput(m_display, window,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     FocusChangeMask | StructureNotifyMask);
    XMapWindow(m_display, window);
    m_window = window;
    if (!WaitForEvent([](const XEvent& e) { return e.type == MapNotify; })) {
        m_window = 0;
        return;
    }
    XSetInputFocus(m_display, m_window, RevertToPointerRoot, CurrentTime);
    TakeEvents();
}

OtherWindow::~OtherWindow() {
    if (m_display) XCloseDisplay(m_display);
}

bool OtherWindow::Unmap() {
    XUnmapWindow(m_display, m_window);
    return WaitForEvent([](const XEvent& e) { return e.type == UnmapNotify; });
}

void OtherWindow::PressKey(int keycode, bool press) {
    XTestFakeKeyEvent(m_display, unsigned(keycode), press, CurrentTime);
    XFlush(m_display);
}

void OtherWindow::TypeKey(int keycode) {
    PressKey(keycode, true);
    PressKey(keycode, false);
}

void OtherWindow::MovePointer(int x, int y) {
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    XSync(m_display, False);
}

void OtherWindow::PressButton(int button, bool press) {
    XTestFakeButtonEvent(m_display, unsigned(button), press, CurrentTime);
    XFlush(m_display);
}

bool OtherWindow::WaitForEvent(const std::function<bool(const XEvent&)>& match,
                               std::chrono::milliseconds deadline) {
    const Clock::time_point end = Clock::now() + deadline;
    for (;;) {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (match(event)) return true;
        }
        if (!WaitReadable(ConnectionNumber(m_display), end)) return false;
    }
}

std::vector<XEvent> OtherWindow::TakeEvents() {
    XSync(m_display, False);
    std::vector<XEvent> events;
    while (XPending(m_display) > 0) {
        XNextEvent(m_display, &events.emplace_back());
    }
    return events;
}

bool OtherWindow::CapsLockOn() {
    XkbStateRec state{};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    return state.locked_mods & LockMask;
}

bool OtherWindow::SwapPrimaryButtons(bool swap) {
    unsigned char map[256];
    const int count = XGetPointerMapping(m_display, map, int(sizeof map));
    if (count < 3) return false;
    map[0] = swap ? 3 : 1;
    map[2] = swap ? 1 : 3;
    return XSetPointerMapping(m_display, map, count) == MappingSuccess;
}

bool OtherWindow::GrabKeyboard() {
    return XGrabKeyboard(m_display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
           GrabSuccess;
}

void OtherWindow::UngrabKeyboard() {
    XUngrabKeyboard(m_display, CurrentTime);
    XSync(m_display, False);
}

std::function<bool(const XEvent&)> OtherWindow::IsKeyPress(int keycode) {
    return
        [keycode](const XEvent& e) { return e.type == KeyPress && int(e.xkey.keycode) == keycode; };
}

std::function<bool(const XEvent&)> OtherWindow::IsFocus(int type, int mode) {
    return [type, mode](const XEvent& e) { return e.type == type && e.xfocus.mode == mode; };
}

int LastFocusChange(const std::vector<XEvent>& events) {
    int last = 0;
    for (const XEvent& event : events)
        if (event.type == FocusIn || event.type == FocusOut) last = event.type;
    return last;
}

bool HasKeyPress(const std::vector<XEvent>& events) {
    for (const XEvent& event : events)
        if (event.type == KeyPress) return true;
    return false;
}

PrivateXServer::PrivateXServer() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    // -displayfd: Xvfb picks a free display and writes its number there.
    constexpr int kDisplayFd = 9;
    const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(fds[1], kDisplayFd);
        if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "9", "-nolisten", "tcp", "-screen", "0",
                 "640x480x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (quiet >= 0) ::close(quiet);
    const std::string number = m_pid > 0 ? ReadLine(fds[0], std::chrono::seconds(20)) : "";
    ::close(fds[0]);
    if (!number.empty()) m_name = ":" + number;
}

PrivateXServer::~PrivateXServer() {
    Kill();
}

void PrivateXServer::Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string ReadLine(int fd, std::chrono::milliseconds deadline) {
    const Clock::time_point end = Clock::now() + deadline;
    std::string line;
    char c = 0;
    while (WaitReadable(fd, end) && ::read(fd, &c, 1) == 1) {
        if (c == '\n') return line;
        line += c;
    }
    return {};
}

DisplayLock::DisplayLock() {
    std::string name = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (char& c : name)
        if (c == '/' || c == ':') c = '_';
    m_fd = ::open(("/tmp/tirk-x11-input-tests" + name + ".lock").c_str(),
                  O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
}

DisplayLock::~DisplayLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace tirk::input::test
