// CDeviceWorker: the thread on which a device object's exchanges run, one
// job after the other in the order they were queued, so that the UI thread
// never waits for a device. Each job's result goes back through the owner's
// Deliver callback, which hands it on to the owner's thread. Qt-free (built
// under ThreadSanitizer too); docs/device-worker.md tells where exchanges run
// and why.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "device/link/command_channel.h"

class CDeviceWorker {
public:
    /// Hands a job's result to the owner: called on the worker thread with
    /// the closure that applies the result; the owner queues it on its own
    /// thread (the device object posts it to the UI thread) and returns.
    using Deliver = std::function<void(std::function<void()> apply)>;
    /// Cuts a running job short. Called by Stop, on the stopping thread,
    /// while a job may be running on the worker thread.
    using Interrupt = std::function<void()>;

    /// The key of a job that is queued every time.
    static constexpr int kAlwaysQueue = 0;

    /// A worker that has no thread yet; the first Queue starts it.
    CDeviceWorker(Deliver deliver, Interrupt interrupt);
    /// Stop().
    ~CDeviceWorker();
    CDeviceWorker(const CDeviceWorker&) = delete;
    CDeviceWorker& operator=(const CDeviceWorker&) = delete;

    /// Queues `job` to run on the worker thread after every job queued before
    /// it; `apply` then gets its result wherever Deliver takes it. Returns
    /// false, and neither ever runs, when a job with the same non-zero `key`
    /// is still waiting (its result serves both callers) or once Stop was
    /// called. Any thread.
    ///
    /// `apply` does not run for a job that DropPending or Stop took out of
    /// the queue, nor for a running job that Stop cut short, nor — when the
    /// owner runs the delivered closures on the thread that calls Stop — for
    /// a result that was delivered but had not run when Stop was called: an
    /// owner that stops its worker in its destructor never sees a result
    /// after it is gone.
    template <typename Result>
    bool Queue(int key, std::function<Result()> job, std::function<void(Result)> apply) {
        return QueueTask(key, [job = std::move(job), apply = std::move(apply)]() mutable {
            return std::function<void()>(
                [apply = std::move(apply), result = job()]() mutable { apply(std::move(result)); });
        });
    }

    /// Takes the waiting jobs out of the queue; a running job finishes and
    /// delivers. Returns how many were taken out. Any thread.
    size_t DropPending();

    /// Takes the waiting jobs out, cuts the running one short through the
    /// interrupt, waits until the thread has ended, and cancels the results
    /// delivered but not yet run; nothing is queued any more afterwards.
    /// Returns promptly when the interrupt ends the running job promptly (a
    /// channel whose interfaces it closes does). Calling it again does
    /// nothing. From the owner's thread; never from a job (the worker cannot
    /// wait for itself).
    void Stop();

    /// For jobs: waits `pause`, or less when Stop comes. Returns false when
    /// stopped, so a job that repeats an exchange ends.
    bool Pause(std::chrono::milliseconds pause);

    /// Jobs waiting, not counting one that runs.
    size_t Waiting() const;

private:
    // Runs the job and returns what applies its result.
    using Task = std::function<std::function<void()>()>;
    struct Entry {
        int key;
        Task task;
    };

    bool QueueTask(int key, Task task);
    void Run();

    const Deliver m_deliver;
    const Interrupt m_interrupt;
    /// Cleared by Stop; a delivered result runs only while it is set.
    const std::shared_ptr<std::atomic<bool>> m_resultsOpen;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  ///< a job was queued, or Stop was called
    std::deque<Entry> m_jobs;        ///< guarded by m_mutex
    bool m_running = false;          ///< a job runs; guarded by m_mutex
    bool m_stopping = false;         ///< guarded by m_mutex
    std::thread m_thread;            ///< started by the first Queue, under m_mutex
};

/// The interrupt of a worker whose jobs exchange over `channel`: every further
/// exchange is refused at once (the channel's stop flag, open flag cleared)
/// and both interfaces are closed, which ends a read that waits for an answer
/// at once. The channel stays unusable: for a device object that goes away.
CDeviceWorker::Interrupt ChannelInterrupt(CCommandChannel& channel);
