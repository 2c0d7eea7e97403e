// Hands work from worker threads to a window's UI thread, and stays safe when
// the window is gone: a worker that outlived its stop bound (see
// WorkerSlots::Stop) may still post, and such a late task must be dropped
// rather than reach a destroyed window.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class WindowImplBase;

namespace tirk {

class TaskGate {
public:
    /// Posts to `window` (not owned) until Close.
    explicit TaskGate(WindowImplBase* window) : m_window(window) {}

    /// Queues `task` on the window's UI thread; dropped once closed, even when
    /// it was queued before. Any thread.
    void Post(std::function<void()> task);
    /// Runs `task` on the UI thread and waits until it has run, as a sent
    /// window message does. Returns false, without waiting any longer, when
    /// the gate is or gets closed first (the task then does not run). Never
    /// call it on the UI thread.
    bool Send(std::function<void()> task);
    /// Stops posting and releases every Send that waits; call before the
    /// window's workers are stopped and before the window is destroyed. Any thread.
    void Close();

private:
    bool IsOpen();

    std::mutex m_mutex;
    std::condition_variable m_done;
    WindowImplBase* m_window;
};

/// Shared by the window and its workers, so it lives as long as either.
using TaskGatePtr = std::shared_ptr<TaskGate>;

}  // namespace tirk
