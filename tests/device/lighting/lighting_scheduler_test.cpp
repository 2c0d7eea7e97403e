// The lighting thread: it sleeps until a pass is due, without any deadline in
// a static mode, and wakes at once for a change or a stop. A clock the test
// drives tells how long the thread meant to sleep; nothing here waits for time.
#include "device/lighting/lighting_scheduler.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/lighting/lighting_runner.h"
#include "engine_fixture.h"

namespace tirk::lighting {
namespace {

using TimePoint = ISchedulerClock::TimePoint;
using std::chrono::milliseconds;
constexpr TimePoint kNoDeadline = LightingScheduler::kNoDeadline;

// Time moves only when the test says so. A wait records its deadline and then
// sleeps until notified (a change, a stop, or the test moving the time).
class FakeClock final : public ISchedulerClock {
public:
    TimePoint Now() override {
        std::lock_guard guard(m_mutex);
        return m_now;
    }
    void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) override {
        {
            std::lock_guard guard(m_mutex);
            m_deadlines.push_back(deadline);
            m_wake = &wake;
            m_schedulerLock = lock.mutex();
        }
        m_waited.notify_all();
        wake.wait(lock);
    }
    /// Moves the time on and wakes the waiting scheduler to look at it.
    void Advance(milliseconds by) {
        std::mutex* schedulerLock = nullptr;
        std::condition_variable* wake = nullptr;
        {
            std::lock_guard guard(m_mutex);
            m_now += by;
            schedulerLock = m_schedulerLock;
            wake = m_wake;
        }
        if (wake == nullptr) return;
        // Taking the scheduler's lock means it is inside its wait: the
        // notification cannot be lost.
        { std::lock_guard guard(*schedulerLock); }
        wake->notify_all();
    }
    /// Blocks until the scheduler has gone to sleep `count` times; the
    /// deadline of that sleep.
    TimePoint Sleep(size_t count) {
        std::unique_lock lock(m_mutex);
        m_waited.wait(lock, [&] { return m_deadlines.size() >= count; });
        return m_deadlines[count - 1];
    }
    TimePoint start() const { return kStartTime; }

private:
    static constexpr TimePoint kStartTime{milliseconds(5'000'000)};
    std::mutex m_mutex;
    std::condition_variable m_waited;
    TimePoint m_now = kStartTime;
    std::vector<TimePoint> m_deadlines;
    std::condition_variable* m_wake = nullptr;
    std::mutex* m_schedulerLock = nullptr;
};

TEST(LightingScheduler, StaticModeSleepsWithoutDeadlineUntilAChange) {
    FakeClock clock;
    LightingRunner runner(clock);
    runner.SetLightValues(Values(6, 4));
    runner.Start();
    EXPECT_EQ(clock.Sleep(1), kNoDeadline);
    EXPECT_EQ(runner.PassCount(), 1u);
    clock.Advance(milliseconds(60'000));
    EXPECT_EQ(clock.Sleep(2), kNoDeadline);
    EXPECT_EQ(runner.PassCount(), 1u) << "a minute later: still no pass";
    runner.SetLightValues(Values(6, 2));
    EXPECT_EQ(clock.Sleep(3), kNoDeadline);
    EXPECT_EQ(runner.PassCount(), 2u);
    EXPECT_EQ(runner.Colours()[0], Colour(kRed, 135));
    runner.Stop();
}

TEST(LightingScheduler, AnimatedModeSleepsUntilItsNextStep) {
    FakeClock clock;
    LightingRunner runner(clock);
    runner.SetLightValues(Values(4, 4, 0));  // colour cycle, speed 0: 8 ticks
    runner.Start();
    EXPECT_EQ(clock.Sleep(1), clock.start() + 8 * kTick);
    clock.Advance(8 * kTick - milliseconds(1));
    EXPECT_EQ(clock.Sleep(2), clock.start() + 8 * kTick) << "woken early: sleeps on";
    EXPECT_EQ(runner.PassCount(), 1u);
    clock.Advance(milliseconds(1));
    EXPECT_EQ(clock.Sleep(3), clock.start() + 16 * kTick);
    EXPECT_EQ(runner.PassCount(), 2u);
    EXPECT_EQ(runner.Colours()[0], Colour(Wheel(2), 255));
}

TEST(LightingScheduler, KeyPressesWakeTheHeatMapOnlyWhileItMoves) {
    FakeClock clock;
    LightingRunner runner(clock);
    runner.SetLightValues(Values(25));
    runner.Start();
    EXPECT_EQ(clock.Sleep(1), kNoDeadline);
    runner.OnKeyEvent(51, kKeyPress);
    EXPECT_NE(clock.Sleep(2), kNoDeadline);
    runner.OnKeyEvent(7, 9);  // not a key event: no wake-up
    clock.Advance(milliseconds(1));
    clock.Sleep(3);
    EXPECT_EQ(runner.PassCount(), 2u);
}

TEST(LightingScheduler, PausedPassesDoNothingUntilResumed) {
    FakeClock clock;
    LightingRunner runner(clock);
    runner.SetPaused(true);
    runner.SetLightValues(Values(4));
    runner.Start();
    EXPECT_EQ(clock.Sleep(1), kNoDeadline);
    EXPECT_EQ(runner.PassCount(), 0u);
    runner.SetPaused(false);
    clock.Sleep(2);
    EXPECT_EQ(runner.PassCount(), 1u);
}

// With the real clock: a scheduler asleep with no deadline stops at once, and
// a wake runs a pass at once. Either failure would hang, not pass.
TEST(LightingScheduler, StopAndWakeReachASleepWithoutDeadline) {
    std::mutex mutex;
    std::condition_variable passed;
    int passes = 0;
    LightingScheduler scheduler([&](TimePoint) {
        {
            std::lock_guard guard(mutex);
            ++passes;
        }
        passed.notify_all();
        return kNoDeadline;
    });
    auto waitForPasses = [&](int n) {
        std::unique_lock lock(mutex);
        passed.wait(lock, [&] { return passes >= n; });
    };
    scheduler.Start();
    waitForPasses(1);
    scheduler.Wake();
    waitForPasses(2);
    EXPECT_TRUE(scheduler.Running());
    scheduler.Stop();
    EXPECT_FALSE(scheduler.Running());
    scheduler.Start();  // starts again after a stop
    waitForPasses(3);
    scheduler.Stop();
    scheduler.Stop();  // a second stop does nothing
}

}  // namespace
}  // namespace tirk::lighting
