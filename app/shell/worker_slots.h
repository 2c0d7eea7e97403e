// The main window's 20 worker slots. Each slot has a manual-reset stop event
// and, for the few slots that run a worker, a thread. Workers block on their
// event (never poll), so setting it ends them at once; Stop() still bounds the
// wait per thread because a stuck worker must not hang the exit.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tirk {

/// A manual-reset event: once Set, every waiter wakes and stays awake until
/// Reset. Thread-safe.
class StopEvent {
public:
    /// Signals the event and wakes every waiter.
    void Set();
    /// Clears the event. WorkerSlots::Start does this before it creates the
    /// thread, so a stop set at any moment after Start is never lost.
    void Reset();
    /// True while the event is set.
    bool IsSet() const;
    /// Blocks until the event is set or `timeout` passed. Returns true when set.
    bool WaitFor(std::chrono::milliseconds timeout) const;
    /// A worker that blocks on something else (a file descriptor, say) gives
    /// here how to interrupt that wait; Set calls it (outside the event's
    /// lock). nullptr removes it. The worker checks IsSet after installing it.
    void SetWakeHook(std::function<void()> hook);

private:
    mutable std::mutex mutex_;
    std::function<void()> wake_hook_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

/// How a slot's thread ended in WorkerSlots::Stop.
enum class WorkerEnd {
    kNoThread,  ///< the slot runs no worker
    kEnded,     ///< the worker returned within the bound and was joined
    kTimedOut,  ///< the worker did not return in time; it was detached
};

class WorkerSlots {
public:
    static constexpr int kCount = 20;
    static constexpr std::chrono::milliseconds kStopBound{1000};

    /// A worker's body; it must return soon after `stop` is set.
    using Body = std::function<void(StopEvent& stop)>;

    WorkerSlots();
    /// Stops every worker (see Stop).
    ~WorkerSlots();
    WorkerSlots(const WorkerSlots&) = delete;
    WorkerSlots& operator=(const WorkerSlots&) = delete;

    /// Clears the event of `slot`, then starts `body` on a new thread there.
    /// Returns false when the slot is out of range or already has a thread.
    /// Bodies must not reset their event: a Stop may already have set it.
    bool Start(int slot, Body body);

    /// Sets every slot's event, then waits for each slot's thread at most
    /// `bound`. A thread that does not end in time is detached (threads cannot
    /// be killed safely); it keeps its slot state, event included, alive and
    /// frees it when it returns at last, and the slot gets a fresh event, set.
    /// Logs one line per thread. Returns how each slot ended. Calling it again
    /// only reports kNoThread.
    std::array<WorkerEnd, kCount> Stop(std::chrono::milliseconds bound = kStopBound);

    /// The current event of `slot` (0 ≤ slot < kCount), shared: it stays valid
    /// for as long as the caller holds it, even after a timed-out Stop gave the
    /// slot a fresh event. Call from the owner's thread, like Start and Stop.
    std::shared_ptr<StopEvent> Event(int slot);

private:
    struct Slot;
    WorkerEnd StopOne(Slot& slot, std::chrono::milliseconds bound);

    std::array<std::shared_ptr<Slot>, kCount> slots_;
};

}  // namespace tirk
