#include "app/task_gate.h"

#include "ui/window_impl.h"

namespace tirk {

// A task still queued when the gate closes is dropped too: the workers are
// being stopped then, and a sender released by Close was told it did not run.
// The gate lives as long as the window whose queue holds the task.
bool TaskGate::IsOpen() {
    std::lock_guard lock(m_mutex);
    return m_window != nullptr;
}

void TaskGate::Post(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    if (!m_window) return;
    m_window->PostTask([this, task = std::move(task)] {
        if (IsOpen()) task();
    });
}

bool TaskGate::Send(std::function<void()> task) {
    auto ran = std::make_shared<bool>(false);
    std::unique_lock lock(m_mutex);
    if (!m_window) return false;
    m_window->PostTask([this, ran, task = std::move(task)] {
        if (!IsOpen()) return;
        task();
        {
            std::lock_guard done_lock(m_mutex);
            *ran = true;
        }
        m_done.notify_all();
    });
    m_done.wait(lock, [&] { return *ran || !m_window; });
    return *ran;
}

void TaskGate::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_window = nullptr;
    }
    m_done.notify_all();
}

}  // namespace tirk
