#include "input/x11_error_guard.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace tirk::input {
namespace {

std::mutex g_mutex;
std::map<Display*, XConnectionState*> g_watched;
XIOErrorHandler g_previousIoHandler = nullptr;
XErrorHandler g_previousErrorHandler = nullptr;

XConnectionState* WatchedState(Display* display) {
    std::lock_guard lock(g_mutex);
    const auto found = g_watched.find(display);
    return found == g_watched.end() ? nullptr : found->second;
}

// Returning lets Xlib go on to the display's exit handler.
int OnIoError(Display* display) {
    if (WatchedState(display)) return 0;
    if (g_previousIoHandler) return g_previousIoHandler(display);
    std::exit(1);  // what Xlib itself does
}

int OnProtocolError(Display* display, XErrorEvent* error) {
    if (XConnectionState* state = WatchedState(display)) {
        state->lastError = error->error_code;
        state->lastErrorSerial = error->serial;
        return 0;
    }
    return g_previousErrorHandler ? g_previousErrorHandler(display, error) : 0;
}

void OnConnectionLost(Display*, void* state) {
    static_cast<XConnectionState*>(state)->lost = true;
}

}  // namespace

void WatchXConnection(Display* display, XConnectionState* state) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_previousIoHandler = XSetIOErrorHandler(OnIoError);
        g_previousErrorHandler = XSetErrorHandler(OnProtocolError);
    });
    std::lock_guard lock(g_mutex);
    g_watched[display] = state;
    XSetIOErrorExitHandler(display, OnConnectionLost, state);
}

void ForgetXConnection(Display* display, const XConnectionState* state) {
    std::lock_guard lock(g_mutex);
    const auto found = g_watched.find(display);
    if (found != g_watched.end() && found->second == state) g_watched.erase(found);
}

}  // namespace tirk::input
