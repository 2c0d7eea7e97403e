#include "device/link/device_worker.h"

#include <algorithm>

#include "core/log.h"

CDeviceWorker::CDeviceWorker(Deliver deliver, Interrupt interrupt)
    : m_deliver(std::move(deliver)),
      m_interrupt(std::move(interrupt)),
      m_resultsOpen(std::make_shared<std::atomic<bool>>(true)) {}

CDeviceWorker::~CDeviceWorker() {
    Stop();
}

bool CDeviceWorker::QueueTask(int key, Task task) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return false;
        if (key != kAlwaysQueue && std::any_of(m_jobs.begin(), m_jobs.end(),
                                               [key](const Entry& e) { return e.key == key; }))
            return false;
        m_jobs.push_back({key, std::move(task)});
        if (!m_thread.joinable()) m_thread = std::thread(&CDeviceWorker::Run, this);
    }
    m_wake.notify_all();
    return true;
}

size_t CDeviceWorker::DropPending() {
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_jobs);
    }
    // The jobs' captures are released outside the lock.
    return dropped.size();
}

void CDeviceWorker::Stop() {
    std::deque<Entry> dropped;
    bool running = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping && !m_thread.joinable()) return;
        if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id()) {
            tirk::log::Bug("device worker: Stop called from one of its own jobs");
            return;
        }
        m_stopping = true;
        dropped.swap(m_jobs);
        running = m_running;
    }
    m_resultsOpen->store(false);
    m_wake.notify_all();
    // A job that ends between the check and the call meets an interrupt that
    // has nothing to cut; the owner's interrupt must allow that.
    if (running && m_interrupt) m_interrupt();
    if (m_thread.joinable()) m_thread.join();
}

bool CDeviceWorker::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, pause, [this] { return m_stopping; });
}

size_t CDeviceWorker::Waiting() const {
    std::lock_guard lock(m_mutex);
    return m_jobs.size();
}

// Sleeps on the condition variable while there is nothing to do. A job runs,
// and its result is delivered, outside the lock, so Queue and Stop never wait
// for an exchange. The delivered closure carries the open flag rather than
// the worker: it may run (and find the flag cleared) after the worker is gone.
void CDeviceWorker::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_stopping) return;
        Task task = std::move(m_jobs.front().task);
        m_jobs.pop_front();
        m_running = true;
        lock.unlock();
        std::function<void()> apply = task();
        task = nullptr;
        lock.lock();
        m_running = false;
        if (m_stopping) return;
        lock.unlock();
        m_deliver([open = m_resultsOpen, apply = std::move(apply)] {
            if (open->load()) apply();
        });
        lock.lock();
    }
}

CDeviceWorker::Interrupt ChannelInterrupt(CCommandChannel& channel) {
    return [&channel] {
        channel.SetStop(true);
        channel.SetOpen(false);
        // Not under the exchange lock: the running exchange holds it for as
        // long as it waits. Close is safe from any thread and ends that wait.
        channel.WiredInterface().Close();
        channel.WirelessInterface().Close();
    };
}
