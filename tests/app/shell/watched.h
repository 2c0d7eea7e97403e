// A value that a worker thread changes and a test waits on. The test blocks on
// a condition variable with a generous bound instead of polling, so a worker
// that never reports fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tirk::test {

template <typename T>
class Watched {
public:
    /// Applies `change` to the value under the lock and wakes every waiter.
    template <typename Change>
    void Update(Change change) {
        {
            std::lock_guard lock(mutex_);
            change(value_);
        }
        changed_.notify_all();
    }

    /// Blocks until `done(value)` holds or `bound` passed. Returns whether it holds.
    template <typename Done>
    bool WaitUntil(Done done, std::chrono::milliseconds bound = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, bound, [&] { return done(value_); });
    }

    /// A copy of the value.
    T Get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    T value_{};
};

}  // namespace tirk::test
