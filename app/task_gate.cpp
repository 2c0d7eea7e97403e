#include "app/task_gate.h"

#include "ui/window_impl.h"

namespace tirk {

void TaskGate::Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (window_) window_->PostTask(std::move(task));
}

void TaskGate::Close() {
    std::lock_guard lock(mutex_);
    window_ = nullptr;
}

}  // namespace tirk
