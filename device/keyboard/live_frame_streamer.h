// LiveFrameStreamer: in the host modes (29 music, 30 external colour) the
// keyboard shows what the host sends it, so the engine's colours go out as
// live frames on a thread of their own. A frame leaves as soon as the engine
// has made a new one and the last one is through, so the stream follows the
// link's rate when the colours change that fast; an unchanged picture is
// sent again every keep-alive period. The thread sleeps on a condition
// variable between frames and while streaming is off. Qt-free.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "device/keyboard/keyboard_protocol.h"
#include "device/lighting/lighting_runner.h"

namespace tirk::keyboard {

class LiveFrameStreamer {
public:
    using Clock = std::chrono::steady_clock;
    /// The preview's refresh period on the cable and over the receiver.
    static constexpr std::chrono::milliseconds kWiredKeepAlive{10};
    static constexpr std::chrono::milliseconds kWirelessKeepAlive{50};

    /// Sends through `protocol` what `lighting` computes. Both outlive the
    /// streamer. Installs `lighting`'s pass listener, so it is made before
    /// the lighting thread starts.
    LiveFrameStreamer(KeyboardProtocol& protocol, lighting::LightingRunner& lighting);
    /// Stop().
    ~LiveFrameStreamer();
    LiveFrameStreamer(const LiveFrameStreamer&) = delete;
    LiveFrameStreamer& operator=(const LiveFrameStreamer&) = delete;

    /// Streams while `on` (the first time starts the thread). The protocol
    /// itself sends nothing outside modes 29 and 30.
    void SetEnabled(bool on);
    bool Enabled() const;
    void SetKeepAlive(std::chrono::milliseconds period);
    /// Ends the thread; a frame under way finishes first.
    void Stop();

    /// Frames the keyboard took, and sends that failed (each followed by a
    /// pause of kPauseAfterFailedSend, so a silent keyboard is not hammered).
    uint64_t FramesSent() const;
    uint64_t FramesFailed() const;

private:
    void Run();
    void OnPass();
    /// Waits for a new pass or the keep-alive; false when streaming ended.
    bool WaitForFrame(std::unique_lock<std::mutex>& lock);

    KeyboardProtocol& m_protocol;
    lighting::LightingRunner& m_lighting;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_enabled = false;       ///< guarded by m_mutex
    bool m_stopping = false;      ///< guarded by m_mutex
    bool m_newPass = false;       ///< guarded by m_mutex
    std::chrono::milliseconds m_keepAlive = kWiredKeepAlive;  ///< guarded by m_mutex
    Clock::time_point m_lastSend{};                           ///< guarded by m_mutex
    uint64_t m_sent = 0;          ///< guarded by m_mutex
    uint64_t m_failed = 0;        ///< guarded by m_mutex
    std::thread m_thread;         ///< started by the first SetEnabled(true)
};

}  // namespace tirk::keyboard
