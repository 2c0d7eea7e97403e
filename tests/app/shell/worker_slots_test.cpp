#include "app/shell/worker_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "app/shell/lighting_sync.h"
#include "watched.h"

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
    StopEvent returned;
    void operator()() {
        release.WaitFor(std::chrono::minutes(1));
        returned.Set();
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
    EXPECT_TRUE(stuck->returned.WaitFor(10s));
}

TEST(WorkerSlotsTest, SlotOfATimedOutWorkerStaysStoppedAndCanRunAgain) {
    auto stuck = std::make_shared<StuckWorker>();
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(2, [stuck](StopEvent&) { (*stuck)(); }));
    EXPECT_EQ(slots.Stop(20ms)[2], WorkerEnd::kTimedOut);
    EXPECT_TRUE(slots.Event(2)->IsSet());

    // Start clears the event itself; the new worker must not see the old stop.
    ASSERT_TRUE(slots.Start(2, WaitForStop));
    EXPECT_FALSE(slots.Event(2)->IsSet());
    EXPECT_EQ(slots.Stop(10s)[2], WorkerEnd::kEnded);
    stuck->release.Set();
}

TEST(WorkerSlotsTest, EventTakenBeforeATimedOutStopOutlivesTheDetachedWorker) {
    auto stuck = std::make_shared<StuckWorker>();
    test::Watched<const StopEvent*> worker_event;
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(3, [stuck, &worker_event](StopEvent& stop) {
        worker_event.Update([&](const StopEvent*& seen) { seen = &stop; });
        (*stuck)();
    }));
    const std::shared_ptr<StopEvent> held = slots.Event(3);
    ASSERT_TRUE(worker_event.WaitUntil([](const StopEvent* seen) { return seen != nullptr; }));
    EXPECT_EQ(worker_event.Get(), held.get());

    EXPECT_EQ(slots.Stop(20ms)[3], WorkerEnd::kTimedOut);
    EXPECT_NE(slots.Event(3), held);  // the slot has a fresh event now
    stuck->release.Set();
    ASSERT_TRUE(stuck->returned.WaitFor(10s));
    EXPECT_TRUE(held->IsSet());  // still the detached worker's event, still alive
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
    test::Watched<int> checks;
    LightingSyncHooks hooks{[&] {
                                checks.Update([](int& n) { ++n; });
                                return -1;
                            },
                            [] {}};
    WorkerSlots slots;  // after what its worker uses: it stops the worker first
    ASSERT_TRUE(slots.Start(8, [&](StopEvent& stop) { RunLightingSyncWorker(stop, hooks); }));
    ASSERT_TRUE(checks.WaitUntil([](int n) { return n > 0; }));

    EXPECT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded);
    // Idle, it waits a whole second after each check. Had it sat that second
    // out instead of waking on the stop, it would have checked once more.
    EXPECT_EQ(checks.Get(), 1);
}

TEST(LightingSyncTest, StopRightAfterStartIsNeverLost) {
    const LightingSyncHooks hooks{[] { return -1; }, [] {}};
    WorkerSlots slots;
    // A thread that reaches its loop only after the stop was set.
    ASSERT_TRUE(slots.Start(8, [hooks](StopEvent& stop) {
        stop.WaitFor(std::chrono::hours(1));
        RunLightingSyncWorker(stop, hooks);
    }));
    EXPECT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded);
    // And whatever order the scheduler picks, in the same slot again and again.
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(
            slots.Start(8, [hooks](StopEvent& stop) { RunLightingSyncWorker(stop, hooks); }));
        ASSERT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded) << "round " << i;
    }
}

TEST(LightingSyncTest, RunsEffectStepsWhileADeviceIsSynchronised) {
    test::Watched<int> steps;
    LightingSyncHooks hooks{[] { return 4; }, [&] { steps.Update([](int& n) { ++n; }); }};
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(8, [&](StopEvent& stop) { RunLightingSyncWorker(stop, hooks); }));
    EXPECT_TRUE(steps.WaitUntil([](int n) { return n >= 3; }));
    EXPECT_EQ(slots.Stop(10s)[8], WorkerEnd::kEnded);
}

TEST(LightingSyncTest, EffectPeriodsPerSpeed) {
    const int expected[][2] = {{0, 8}, {1, 6}, {2, 4}, {3, 2}, {4, 1}, {5, 8}, {-2, 8}};
    for (const auto& [speed, ticks] : expected)
        EXPECT_EQ(LightingSyncPeriodTicks(speed), ticks) << speed;
}

}  // namespace
}  // namespace tirk
