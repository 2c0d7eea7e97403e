// The X11 backend of the input hook. One thread owns its own X connection
// (RawInputConnection) and sleeps in poll() on that connection and on an
// eventfd that carries Start, Stop and the end of the hook. Keys and buttons
// are read as XInput2 raw events on the root window: from version 2.1 on, the
// server sends them to every client that selected them, whoever holds a grab,
// and selecting them takes nothing from the windows the input is meant for.
// Keys are kept from the rest of the desktop by an active keyboard grab; the
// server's XKB still processes the lock keys under a grab, so Caps, Num and
// Scroll Lock keep toggling. See docs/input-hook.md.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "core/log.h"
#include "core/unique_fd.h"
#include "input/input_hook.h"
#include "input/x11_raw_input.h"

namespace tirk::input {
namespace {

// Start and Stop wait this long for the hook thread's answer; only an X
// server that no longer answers takes longer.
constexpr auto kAnswerTimeout = std::chrono::seconds(2);

/// The hook: its thread and the requests the callers hand it. Start and Stop
/// wait for the thread's answer, so the grab's result is known when they
/// return; called from the sink (on the hook thread) they act at once.
class X11InputHook final : public IInputHook {
public:
    /// Owns `wakeFd`, an eventfd, from here on.
    X11InputHook(std::unique_ptr<RawInputConnection> connection, int wakeFd, HookSink sink);
    ~X11InputHook() override;

    bool Start(bool keys, bool mouse) override { return Submit({keys, mouse}); }
    void Stop() override { Submit({}); }
    bool Active() const override { return m_active; }
    bool DesktopWide() const override { return true; }
    void SetOwnWindow(uint64_t nativeWindow) override { m_ownWindow = Window(nativeWindow); }

private:
    struct Request {
        Capture capture;
        Window ownWindow = 0;
        bool answered = false;
        bool granted = false;
        bool abandoned = false;  ///< the caller stopped waiting
    };

    bool Submit(Capture capture);
    bool ApplyOnHookThread(Capture capture);
    void Wake();
    void Run();
    bool WaitForInput();
    bool TakeRequests(std::deque<std::shared_ptr<Request>>& requests);
    void Answer(Request& request, bool granted);
    void End();

    std::unique_ptr<RawInputConnection> m_connection;  ///< the hook thread's only
    const HookSink m_sink;
    UniqueFd m_wake;
    std::atomic<Window> m_ownWindow{0};
    std::atomic<bool> m_active{false};
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::deque<std::shared_ptr<Request>> m_requests;
    bool m_ending = false;  ///< the destructor asks the thread to end
    bool m_ended = false;   ///< the thread ended (asked to, or connection lost)
    std::thread m_thread;
};

X11InputHook::X11InputHook(std::unique_ptr<RawInputConnection> connection, int wakeFd,
                           HookSink sink)
    : m_connection(std::move(connection)),
      m_sink(std::move(sink)),
      m_wake(wakeFd),
      m_thread([this] { Run(); }) {}

X11InputHook::~X11InputHook() {
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    Wake();
    m_thread.join();
}

bool X11InputHook::Submit(Capture capture) {
    if (std::this_thread::get_id() == m_thread.get_id()) return ApplyOnHookThread(capture);
    auto request = std::make_shared<Request>();
    request->capture = capture;
    request->ownWindow = m_ownWindow;
    std::unique_lock lock(m_mutex);
    if (m_ended) return false;
    m_requests.push_back(request);
    Wake();
    m_answered.wait_for(lock, kAnswerTimeout, [&] { return request->answered || m_ended; });
    if (request->answered) return request->granted;
    // The thread undoes the request when it gets to it: a Start that
    // reported false captures nothing.
    request->abandoned = true;
    if (!m_ended) log::Line("input hook: no answer from the hook thread");
    return false;
}

bool X11InputHook::ApplyOnHookThread(Capture capture) {
    const bool granted = m_connection->Apply(capture, m_ownWindow);
    m_active = m_connection->Capturing();
    return granted;
}

void X11InputHook::Wake() {
    const uint64_t one = 1;
    // Cannot fail short of a full counter, which already wakes the thread.
    [[maybe_unused]] const ssize_t written = ::write(m_wake.Get(), &one, sizeof one);
}

void X11InputHook::Run() {
    std::deque<std::shared_ptr<Request>> requests;
    for (;;) {
        m_connection->DeliverPending(m_sink);
        if (m_connection->Lost()) break;
        const bool hungUp = !WaitForInput();
        if (!TakeRequests(requests)) break;
        for (const std::shared_ptr<Request>& request : requests)
            Answer(*request, m_connection->Apply(request->capture, request->ownWindow));
        requests.clear();
        if (hungUp) {
            // Let Xlib see the broken connection; it then marks it lost.
            m_connection->DeliverPending(m_sink);
            break;
        }
    }
    End();
}

// Blocks until the X connection or the wake descriptor has something. False
// when the connection hung up.
bool X11InputHook::WaitForInput() {
    std::array<pollfd, 2> fds{};
    fds[0] = {m_connection->Fd(), POLLIN, 0};
    fds[1] = {m_wake.Get(), POLLIN, 0};
    if (::poll(fds.data(), fds.size(), -1) < 0) return true;  // EINTR: look again
    if (fds[1].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(m_wake.Get(), &count, sizeof count);
    }
    return !(fds[0].revents & (POLLHUP | POLLERR | POLLNVAL));
}

// False when the destructor asks the thread to end.
bool X11InputHook::TakeRequests(std::deque<std::shared_ptr<Request>>& requests) {
    std::lock_guard lock(m_mutex);
    requests.swap(m_requests);
    return !m_ending;
}

void X11InputHook::Answer(Request& request, bool granted) {
    bool undo = false;
    {
        std::lock_guard lock(m_mutex);
        undo = request.abandoned;
        request.answered = !undo;
        request.granted = granted;
        m_active = m_connection->Capturing();
    }
    if (undo) {
        m_connection->Apply({}, 0);
        m_active = false;
    }
    m_answered.notify_all();
}

void X11InputHook::End() {
    if (m_connection->Lost()) log::Line("input hook: the X connection is lost; capture ended");
    m_connection.reset();
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_active = false;
        m_requests.clear();
    }
    m_answered.notify_all();
}

}  // namespace

std::unique_ptr<IInputHook> MakeX11InputHook(HookSink sink, const std::string& display,
                                             std::string* why) {
    std::unique_ptr<RawInputConnection> connection = RawInputConnection::Open(display, why);
    if (!connection) return nullptr;
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        if (why) *why = std::string("no eventfd: ") + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<X11InputHook>(std::move(connection), wakeFd, std::move(sink));
}

}  // namespace tirk::input