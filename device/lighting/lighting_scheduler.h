// The lighting thread's loop: runs a pass when one is due and otherwise
// sleeps on a condition variable until the next pass is due, it is woken (a
// value changed) or stopped. When nothing is due (a static mode) it sleeps
// with no deadline at all; stopping wakes it at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tirk::lighting {

/// The time source and the wait of the scheduler, so tests can drive time.
class ISchedulerClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~ISchedulerClock() = default;
    virtual TimePoint Now() = 0;
    /// Waits on `wake` (`lock` is held on entry and on return, released while
    /// waiting) until it is notified or `deadline` is reached;
    /// TimePoint::max() is no deadline. May return early; the caller checks.
    virtual void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                           TimePoint deadline) = 0;
};

/// The steady clock and a plain condition-variable wait.
ISchedulerClock& SteadySchedulerClock();

class LightingScheduler {
public:
    using TimePoint = ISchedulerClock::TimePoint;
    static constexpr TimePoint kNoDeadline = TimePoint::max();

    /// Runs one pass at `now` and returns when the next one is due
    /// (kNoDeadline: only when woken). Called on the scheduler's thread,
    /// never while the scheduler holds its own lock, so it may take others.
    using PassFunction = std::function<TimePoint(TimePoint now)>;

    explicit LightingScheduler(PassFunction pass, ISchedulerClock& clock = SteadySchedulerClock());
    ~LightingScheduler();
    LightingScheduler(const LightingScheduler&) = delete;
    LightingScheduler& operator=(const LightingScheduler&) = delete;

    /// Starts the thread (stopping a running one first); the first pass runs at once.
    void Start();
    /// Wakes the thread and waits for it to end; a pass that is running
    /// finishes first. Nothing happens when it is not running.
    void Stop();
    /// Something changed: a pass runs now, whatever was due.
    void Wake();
    bool Running() const;

private:
    void Loop();

    PassFunction m_pass;
    ISchedulerClock& m_clock;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_woken = false;
    std::thread m_thread;
};

}  // namespace tirk::lighting
