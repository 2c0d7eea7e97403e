// CDeviceWorker: order, coalescing, stopping while a job blocks (also in a
// real exchange that gets no answer), and no result once its owner is gone.
// Built and run under ThreadSanitizer too (scripts/tsan.sh).
#include "device/link/device_worker.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/watched.h"
#include "channel_fixture.h"
#include "device/virtual/fault_plan.h"

namespace tirk::link::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tirk::test::Watched;

/// A bound for waits that only a broken worker reaches.
constexpr auto kBound = 10s;

// Stands in for the owner's thread: the worker delivers results into this
// queue, and the test runs them when it chooses, on its own thread.
class ResultQueue {
public:
    CDeviceWorker::Deliver Deliver() {
        return [this](std::function<void()> apply) {
            m_queue.Update(
                [&](std::deque<std::function<void()>>& q) { q.push_back(std::move(apply)); });
        };
    }
    /// Waits for `count` delivered results and runs them in order.
    bool RunDelivered(size_t count) {
        if (!WaitDelivered(count)) return false;
        std::deque<std::function<void()>> ready;
        m_queue.Update([&](std::deque<std::function<void()>>& q) { ready.swap(q); });
        for (auto& apply : ready) apply();
        return true;
    }
    /// Waits until `count` results were delivered, without running them.
    bool WaitDelivered(size_t count) {
        return m_queue.WaitUntil([count](const auto& q) { return q.size() >= count; }, kBound);
    }
    size_t Delivered() const { return m_queue.Get().size(); }

private:
    Watched<std::deque<std::function<void()>>> m_queue;
};

// A gate a job waits at until the test (or the worker's interrupt) opens it;
// bounded, so a worker that never opens it fails the test instead of hanging it.
class Gate {
public:
    void Open() {
        m_open.Update([](bool& open) { open = true; });
    }
    bool WaitOpen() {
        return m_open.WaitUntil([](bool open) { return open; }, kBound);
    }

private:
    Watched<bool> m_open;
};

// A job that reports it started, then waits at `gate`; its result is `value`.
std::function<int()> BlockingJob(Watched<int>& started, Gate& gate, int value) {
    return [&started, &gate, value] {
        started.Update([](int& n) { ++n; });
        gate.WaitOpen();
        return value;
    };
}

TEST(DeviceWorker, RunsJobsInOrderAndDeliversEachResult) {
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), {});
    Watched<std::vector<int>> ran;  // on the worker thread, as the jobs run
    std::vector<int> applied;       // on this thread, as the results are applied
    const int kJobs = 20;
    for (int i = 0; i < kJobs; ++i) {
        ASSERT_TRUE(worker.Queue<int>(
            CDeviceWorker::kAlwaysQueue,
            [&ran, i] {
                ran.Update([i](std::vector<int>& v) { v.push_back(i); });
                return i * 10;
            },
            [&applied](int result) { applied.push_back(result); }));
    }
    ASSERT_TRUE(results.RunDelivered(kJobs));
    std::vector<int> order, expected;
    for (int i = 0; i < kJobs; ++i) {
        order.push_back(i);
        expected.push_back(i * 10);
    }
    EXPECT_EQ(ran.Get(), order);
    EXPECT_EQ(applied, expected);
}

TEST(DeviceWorker, AJobWaitingWithTheSameKeyIsNotQueuedAgain) {
    constexpr int kStatus = 1, kLink = 2;
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), {});
    Watched<int> started;
    Gate gate;
    std::vector<std::string> applied;
    auto record = [&applied](std::string what) {
        return [&applied, what](int) { applied.push_back(what); };
    };
    auto quick = [] { return 0; };
    // The first status poll runs (and blocks): a running job does not
    // count, so the next status poll is queued behind it.
    ASSERT_TRUE(worker.Queue<int>(kStatus, BlockingJob(started, gate, 0), record("status 1")));
    ASSERT_TRUE(started.WaitUntil([](int n) { return n == 1; }, kBound));

    struct Step {
        int key;
        const char* what;
        bool queued;
    };
    const Step steps[] = {
        {kStatus, "status 2", true},
        {kStatus, "status 3", false},  // status 2 still waits
        {kLink, "link 1", true},
        {kLink, "link 2", false},
        {kStatus, "status 4", false},
        {CDeviceWorker::kAlwaysQueue, "other 1", true},
        {CDeviceWorker::kAlwaysQueue, "other 2", true},
    };
    for (const Step& step : steps)
        EXPECT_EQ(worker.Queue<int>(step.key, quick, record(step.what)), step.queued) << step.what;
    EXPECT_EQ(worker.Waiting(), 4u);

    gate.Open();
    ASSERT_TRUE(results.RunDelivered(5));
    EXPECT_EQ(applied,
              (std::vector<std::string>{"status 1", "status 2", "link 1", "other 1", "other 2"}));
    // Once run, a key is free again.
    EXPECT_TRUE(worker.Queue<int>(kStatus, quick, record("status 5")));
    ASSERT_TRUE(results.RunDelivered(1));
    EXPECT_EQ(applied.back(), "status 5");
}

TEST(DeviceWorker, IdleItSleepsAndWakesForTheNextJob) {
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), {});
    int applied = 0;
    for (int round = 1; round <= 3; ++round) {
        // Between rounds the worker has nothing to do and waits on its
        // condition variable; a new job must wake it.
        ASSERT_TRUE(worker.Queue<int>(
            1, [round] { return round; }, [&applied](int r) { applied = r; }));
        ASSERT_TRUE(results.RunDelivered(1));
        EXPECT_EQ(applied, round);
    }
}

TEST(DeviceWorker, StopCutsTheBlockedJobShortAndDropsTheRest) {
    ResultQueue results;
    Gate gate;
    Watched<int> interrupts;
    CDeviceWorker worker(results.Deliver(), [&] {
        interrupts.Update([](int& n) { ++n; });
        gate.Open();  // as closing the channel ends a waiting read
    });
    Watched<int> started;
    int applied = 0;
    Watched<int> laterJobsRan;
    ASSERT_TRUE(worker.Queue<int>(1, BlockingJob(started, gate, 1), [&](int) { ++applied; }));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(worker.Queue<int>(
            CDeviceWorker::kAlwaysQueue,
            [&laterJobsRan] {
                laterJobsRan.Update([](int& n) { ++n; });
                return 0;
            },
            [&](int) { ++applied; }));
    ASSERT_TRUE(started.WaitUntil([](int n) { return n == 1; }, kBound));

    worker.Stop();  // returns only once the thread has ended
    EXPECT_EQ(interrupts.Get(), 1) << "the running job was interrupted";
    EXPECT_EQ(laterJobsRan.Get(), 0) << "the waiting jobs were dropped";
    EXPECT_EQ(results.Delivered(), 0u) << "the interrupted job delivers nothing";
    EXPECT_EQ(applied, 0);
    EXPECT_FALSE(worker.Queue<int>(
        CDeviceWorker::kAlwaysQueue, [] { return 0; }, [](int) {}))
        << "nothing is queued after Stop";
    worker.Stop();  // again: nothing happens
    EXPECT_EQ(interrupts.Get(), 1);
}

TEST(DeviceWorker, StopWithNothingRunningNeedsNoInterrupt) {
    ResultQueue results;
    int interrupts = 0;
    {
        CDeviceWorker never(results.Deliver(), [&] { ++interrupts; });  // no thread started
    }
    CDeviceWorker idle(results.Deliver(), [&] { ++interrupts; });
    ASSERT_TRUE(idle.Queue<int>(
        1, [] { return 1; }, [](int) {}));
    ASSERT_TRUE(results.RunDelivered(1));
    idle.Stop();
    EXPECT_EQ(interrupts, 0);
}

TEST(DeviceWorker, PauseInAJobEndsAtStop) {
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), {});
    Watched<int> pausing;
    Watched<int> pauseResult;
    pauseResult.Update([](int& r) { r = -1; });
    ASSERT_TRUE(worker.Queue<int>(
        1,
        [&] {
            pausing.Update([](int& n) { n = 1; });
            const bool kept = worker.Pause(std::chrono::hours(1));
            pauseResult.Update([kept](int& r) { r = kept ? 1 : 0; });
            return 0;
        },
        [](int) {}));
    ASSERT_TRUE(pausing.WaitUntil([](int n) { return n == 1; }, kBound));
    worker.Stop();
    EXPECT_EQ(pauseResult.Get(), 0) << "the pause tells the job it was stopped";
}

// The owner's results that were delivered but had not run when the owner
// stopped its worker (its destructor does) must never run.
TEST(DeviceWorker, NoResultRunsOnceItsOwnerIsGone) {
    struct Owner {
        explicit Owner(CDeviceWorker::Deliver deliver) : worker(std::move(deliver), {}) {}
        ~Owner() { worker.Stop(); }
        CDeviceWorker worker;
    };
    ResultQueue results;
    int applied = 0;  // outlives the owner, so a result that runs late is seen
    auto owner = std::make_unique<Owner>(results.Deliver());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(owner->worker.Queue<int>(
            CDeviceWorker::kAlwaysQueue, [] { return 1; }, [&applied](int r) { applied += r; }));
    // All three reach the owner's queue; the owner goes before it runs them.
    ASSERT_TRUE(results.WaitDelivered(3));
    owner.reset();
    ASSERT_TRUE(results.RunDelivered(3));
    EXPECT_EQ(applied, 0);
}

// The worker over a real channel: exchanges go out in the order they were
// queued, and one that waits for an answer that never comes is cut short by
// Stop through the channel (its interfaces closed), long before its time-outs.
class DeviceWorkerOnChannel : public ChannelOnVirtualBus {};

TEST_F(DeviceWorkerOnChannel, ExchangesGoOutInTheOrderTheyWereQueued) {
    ASSERT_NO_FATAL_FAILURE(Connect(kWired));
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), ChannelInterrupt(*channel_));
    CCommandChannel& channel = *channel_;
    std::vector<int> applied;
    auto keep = [&applied](int result) { applied.push_back(result); };
    ASSERT_TRUE(worker.Queue<int>(
        1,
        [&channel] {
            std::array<uint8_t, 6> status{};
            return channel.ReadStatus(status, 0);
        },
        keep));
    ASSERT_TRUE(worker.Queue<int>(
        2, [&channel] { return channel.ResumeLighting(); }, keep));
    ASSERT_TRUE(worker.Queue<int>(
        3, [&channel] { return channel.BeginWrite(); }, keep));
    ASSERT_TRUE(results.RunDelivered(3));
    EXPECT_EQ(applied, (std::vector<int>{kSuccess, kSuccess, kSuccess}));
    EXPECT_EQ(Received(), (Frames{ExpectedRead(kReadStatus, 6, 0), Expected(kResumeLighting, {}, 0),
                                  Expected(kBeginWrite, {}, 0)}));
}

TEST_F(DeviceWorkerOnChannel, StopEndsAnExchangeThatWaitsForAnAnswerAtOnce) {
    ASSERT_NO_FATAL_FAILURE(Connect(kWireless));  // 5 s per read: 10 s without an answer
    vbus::FaultPlan silent;
    silent.kind = vbus::FaultKind::kNoAnswer;
    device_->SetFault(silent);
    ResultQueue results;
    CDeviceWorker worker(results.Deliver(), ChannelInterrupt(*channel_));
    CCommandChannel& channel = *channel_;
    ASSERT_TRUE(worker.Queue<int>(
        1, [&channel] { return channel.QueryOnline(); }, [](int) {}));
    ASSERT_TRUE(worker.Queue<int>(
        2, [&channel] { return channel.ResumeLighting(); }, [](int) {}));
    ASSERT_TRUE(firmware_->WaitForFrames(kQueryOnline, 1, kBound));

    const auto start = Clock::now();
    worker.Stop();
    const auto took = Clock::now() - start;
    EXPECT_LT(took, 2s) << "Stop waited for the exchange's time-outs";
    EXPECT_EQ(results.Delivered(), 0u);
    EXPECT_TRUE(channel.IsStopped());
    std::map<uint8_t, int> counts = device_->CommandCounts();
    EXPECT_EQ(counts[kResumeLighting], 0) << "the waiting job was dropped";
}

}  // namespace
}  // namespace tirk::link::test
