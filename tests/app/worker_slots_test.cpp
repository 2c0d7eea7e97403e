#include "app/worker_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "app/lighting_sync.h"

namespace tirk {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A worker that waits on its stop event, as every real worker does.
void WaitForStop(StopEvent& stop) {
    stop.WaitFor(std::chrono::hours(1));
}

// A worker that ignores its stop event until the test lets it go. Shared so
// that the detached thread never outlives what it waits on.
struct StuckWorker {
    StopEvent release;
    std::atomic<bool> returned{false};
    void operator()() {
        release.WaitFor(std::chrono::minutes(1));
        returned = true;
    }
};

TEST(WorkerSlotsTest, BlockedWorkerEndsAsSoonAsStopped) {
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(0, WaitForStop));
    const auto ends = slots.Stop(10s);
    EXPECT_EQ(ends[0], WorkerEnd::kEnded);
    for (int i = 1; i < WorkerSlots::kCount; ++i) EXPECT_EQ(ends[i], WorkerEnd::kNoThread) << i;
}

TEST(WorkerSlotsTest, WorkerIgnoringStopIsReportedAfterTheBoundAndDoesNotHang) {
    auto stuck = std::make_shared<StuckWorker>();
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(1, [stuck](StopEvent&) { (*stuck)(); }));
    ASSERT_TRUE(slots.Start(8, WaitForStop));

    const auto start = Clock::now();
    const auto ends = slots.Stop();
    const auto elapsed = Clock::now() - start;

    EXPECT_EQ(ends[1], WorkerEnd::kTimedOut);
    EXPECT_EQ(ends[8], WorkerEnd::kEnded);
    EXPECT_GE(elapsed, WorkerSlots::kStopBound - 50ms);
    EXPECT_LT(elapsed, 10s);  // not hung on the stuck thread

    // The detached thread finishes later without touching freed state.
    stuck->release.Set();
    for (int i = 0; i < 1000 && !stuck->returned; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(stuck->returned);
}

TEST(WorkerSlotsTest, SlotOfATimedOutWorkerStaysStoppedAndCanRunAgain) {
    auto stuck = std::make_shared<StuckWorker>();
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(2, [stuck](StopEvent&) { (*stuck)(); }));
    EXPECT_EQ(slots.Stop(20ms)[2], WorkerEnd::kTimedOut);
    EXPECT_TRUE(slots.Event(2).IsSet());

    slots.Event(2).Reset();
    ASSERT_TRUE(slots.Start(2, WaitForStop));
    EXPECT_EQ(slots.Stop(10s)[2], WorkerEnd::kEnded);
    stuck->release.Set();
}

TEST(WorkerSlotsTest, RejectsBadSlotsAndASecondThreadInOneSlot) {
    WorkerSlots slots;
    EXPECT_FALSE(slots.Start(-1, WaitForStop));
    EXPECT_FALSE(slots.Start(WorkerSlots::kCount, WaitForStop));
    ASSERT_TRUE(slots.Start(5, WaitForStop));
    EXPECT_FALSE(slots.Start(5, WaitForStop));
}

TEST(WorkerSlotsTest, DestructorStopsRunningWorkers) {
    std::atomic<bool> ended{false};
    {
        WorkerSlots slots;
        ASSERT_TRUE(slots.Start(0, [&](StopEvent& stop) {
            WaitForStop(stop);
            ended = true;
        }));
    }
    EXPECT_TRUE(ended);
}

TEST(StopEventTest, ManualResetWakesEveryWaiterAndStaysSet) {
    StopEvent event;
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_TRUE(event.WaitFor(0ms));
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}

TEST(LightingSyncTest, IdleWorkerWakesAtOnceOnStop) {
    WorkerSlots slots;
    std::atomic<int> checks{0};
    LightingSyncHooks hooks{[&] {
                                ++checks;
                                return -1;
                            },
                            [] {}};
    ASSERT_TRUE(slots.Start(8, [&](StopEvent& stop) { RunLightingSyncWorker(stop, hooks); }));
    while (checks == 0) std::this_thread::sleep_for(1ms);

    const auto start = Clock::now();
    EXPECT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded);
    // Idle, it sleeps a whole second between checks; a stop must cut that short.
    EXPECT_LT(Clock::now() - start, 900ms);
}

TEST(LightingSyncTest, RunsEffectStepsWhileADeviceIsSynchronised) {
    WorkerSlots slots;
    std::atomic<int> steps{0};
    LightingSyncHooks hooks{[] { return 4; }, [&] { ++steps; }};
    ASSERT_TRUE(slots.Start(8, [&](StopEvent& stop) { RunLightingSyncWorker(stop, hooks); }));
    for (int i = 0; i < 1000 && steps < 3; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded);
    EXPECT_GE(steps, 3);
}

TEST(LightingSyncTest, EffectPeriodsPerSpeed) {
    const int expected[][2] = {{0, 8}, {1, 6}, {2, 4}, {3, 2}, {4, 1}, {5, 8}, {-2, 8}};
    for (const auto& [speed, ticks] : expected)
        EXPECT_EQ(LightingSyncPeriodTicks(speed), ticks) << speed;
}

}  // namespace
}  // namespace tirk
