#include "device/keyboard/live_frame_streamer.h"

namespace tirk::keyboard {

LiveFrameStreamer::LiveFrameStreamer(KeyboardProtocol& protocol,
                                     lighting::LightingRunner& lighting)
    : m_protocol(protocol), m_lighting(lighting) {
    m_lighting.SetPassListener([this] { OnPass(); });
}

LiveFrameStreamer::~LiveFrameStreamer() {
    Stop();
}

void LiveFrameStreamer::SetEnabled(bool on) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || on == m_enabled) return;
        m_enabled = on;
        m_newPass = on;  // the picture of the moment goes out at once
        if (on && !m_thread.joinable()) m_thread = std::thread([this] { Run(); });
    }
    m_wake.notify_all();
}

bool LiveFrameStreamer::Enabled() const {
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void LiveFrameStreamer::SetKeepAlive(std::chrono::milliseconds period) {
    std::lock_guard lock(m_mutex);
    m_keepAlive = period;
}

void LiveFrameStreamer::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

uint64_t LiveFrameStreamer::FramesSent() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

uint64_t LiveFrameStreamer::FramesFailed() const {
    std::lock_guard lock(m_mutex);
    return m_failed;
}

// Lighting thread.
void LiveFrameStreamer::OnPass() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_enabled) return;
        m_newPass = true;
    }
    m_wake.notify_all();
}

bool LiveFrameStreamer::WaitForFrame(std::unique_lock<std::mutex>& lock) {
    m_wake.wait(lock, [this] { return m_stopping || m_enabled; });
    m_wake.wait_until(lock, m_lastSend + m_keepAlive,
                      [this] { return m_stopping || !m_enabled || m_newPass; });
    return !m_stopping && m_enabled;
}

void LiveFrameStreamer::Run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!WaitForFrame(lock)) continue;
        m_newPass = false;
        lock.unlock();
        const auto colours = m_lighting.Colours();
        const int result = m_protocol.SendLightFrame(colours);
        lock.lock();
        m_lastSend = Clock::now();
        if (result == link::kSuccess) {
            ++m_sent;
            continue;
        }
        ++m_failed;
        m_wake.wait_for(lock, kPauseAfterFailedSend, [this] { return m_stopping; });
    }
}

}  // namespace tirk::keyboard
