#include "app/shell/worker_slots.h"

#include "core/log.h"

namespace tirk {

void StopEvent::Set() {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        set_ = true;
        hook = wake_hook_;
    }
    changed_.notify_all();
    if (hook) hook();
}

void StopEvent::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    wake_hook_ = std::move(hook);
}

void StopEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool StopEvent::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool StopEvent::WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return set_; });
}

// Shared between the owner and the slot's thread, so that a detached thread
// never outlives the state it uses.
struct WorkerSlots::Slot {
    StopEvent stop;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable finished_changed;
    bool finished = false;
};

WorkerSlots::WorkerSlots() {
    for (auto& slot : slots_) slot = std::make_shared<Slot>();
}

WorkerSlots::~WorkerSlots() {
    Stop();
}

bool WorkerSlots::Start(int index, Body body) {
    if (index < 0 || index >= kCount) return false;
    std::shared_ptr<Slot> slot = slots_[index];
    if (slot->thread.joinable()) return false;
    // Cleared here, before the thread exists, and never by the worker: a Stop
    // that came before the new thread ran would otherwise be erased.
    slot->stop.Reset();
    slot->finished = false;
    slot->thread = std::thread([slot, body = std::move(body)] {
        body(slot->stop);
        {
            std::lock_guard lock(slot->mutex);
            slot->finished = true;
        }
        slot->finished_changed.notify_all();
    });
    return true;
}

std::array<WorkerEnd, WorkerSlots::kCount> WorkerSlots::Stop(std::chrono::milliseconds bound) {
    for (auto& slot : slots_) slot->stop.Set();
    std::array<WorkerEnd, kCount> ends{};
    for (int i = 0; i < kCount; ++i) {
        ends[i] = StopOne(*slots_[i], bound);
        if (ends[i] != WorkerEnd::kTimedOut) continue;
        // The detached thread keeps the old state; the slot gets a fresh one,
        // already stopped, so a later Start never shares it.
        slots_[i] = std::make_shared<Slot>();
        slots_[i]->stop.Set();
    }
    return ends;
}

WorkerEnd WorkerSlots::StopOne(Slot& slot, std::chrono::milliseconds bound) {
    if (!slot.thread.joinable()) return WorkerEnd::kNoThread;
    bool finished;
    {
        std::unique_lock lock(slot.mutex);
        finished = slot.finished_changed.wait_for(lock, bound, [&] { return slot.finished; });
    }
    if (finished) {
        slot.thread.join();
        log::Line("所有对象处于激发状态\n");
        return WorkerEnd::kEnded;
    }
    slot.thread.detach();
    log::Line("所有对象处于非激发状态，超时\n");
    return WorkerEnd::kTimedOut;
}

std::shared_ptr<StopEvent> WorkerSlots::Event(int index) {
    const std::shared_ptr<Slot>& slot = slots_.at(index);
    // Shares ownership of the whole slot, which holds the event.
    return std::shared_ptr<StopEvent>(slot, &slot->stop);
}

}  // namespace tirk
