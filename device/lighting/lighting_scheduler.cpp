#include "device/lighting/lighting_scheduler.h"

namespace tirk::lighting {
namespace {

class SteadyClock final : public ISchedulerClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    // No deadline is a plain wait: a far time point would overflow the
    // conversion to the system's time-out inside wait_until.
    void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) override {
        if (deadline == TimePoint::max())
            wake.wait(lock);
        else
            wake.wait_until(lock, deadline);
    }
};

}  // namespace

ISchedulerClock& SteadySchedulerClock() {
    static SteadyClock clock;
    return clock;
}

LightingScheduler::LightingScheduler(PassFunction pass, ISchedulerClock& clock)
    : m_pass(std::move(pass)), m_clock(clock) {}

LightingScheduler::~LightingScheduler() {
    Stop();
}

void LightingScheduler::Start() {
    Stop();
    {
        std::lock_guard guard(m_lock);
        m_stop = false;
        m_woken = false;
    }
    m_thread = std::thread([this] { Loop(); });
}

void LightingScheduler::Stop() {
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void LightingScheduler::Wake() {
    {
        std::lock_guard guard(m_lock);
        m_woken = true;
    }
    m_wake.notify_all();
}

bool LightingScheduler::Running() const {
    return m_thread.joinable();
}

void LightingScheduler::Loop() {
    std::unique_lock lock(m_lock);
    TimePoint due = TimePoint::min();
    while (!m_stop) {
        const TimePoint now = m_clock.Now();
        if (m_woken || now >= due) {
            m_woken = false;
            lock.unlock();
            due = m_pass(now);
            lock.lock();
            continue;
        }
        m_clock.WaitUntil(m_wake, lock, due);
    }
}

}  // namespace tirk::lighting
