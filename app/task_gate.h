// Hands work from worker threads to a window's UI thread, and stays safe when
// the window is gone: a worker that outlived its stop bound (see
// WorkerSlots::Stop) may still post, and such a late task must be dropped
// rather than reach a destroyed window.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

class WindowImplBase;

namespace tirk {

class TaskGate {
public:
    /// Posts to `window` (not owned) until Close.
    explicit TaskGate(WindowImplBase* window) : window_(window) {}

    /// Queues `task` on the window's UI thread; dropped once closed. Any thread.
    void Post(std::function<void()> task);
    /// Stops posting; call before the window is destroyed. Any thread.
    void Close();

private:
    std::mutex mutex_;
    WindowImplBase* window_;
};

/// Shared by the window and its workers, so it lives as long as either.
using TaskGatePtr = std::shared_ptr<TaskGate>;

}  // namespace tirk
