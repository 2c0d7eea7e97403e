#include "app/task_gate.h"

#include "ui/window_impl.h"

namespace tirk {

void TaskGate::Post(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    if (m_window) m_window->PostTask(std::move(task));
}

bool TaskGate::Send(std::function<void()> task) {
    auto ran = std::make_shared<bool>(false);
    std::unique_lock lock(m_mutex);
    if (!m_window) return false;
    m_window->PostTask([this, ran, task = std::move(task)] {
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
