// The notification listener: one thread per open notification interface that
// blocks in a read of the interface, decodes each input report and hands the
// notification code (the first usage of the first data item) to a handler.
// Stopping closes the interface, which cuts the blocking read short. When there
// is nothing left to read (the device is gone, the collection has no input
// report) the thread says so once in the log and sleeps until Stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "device/hid/hid_interface.h"

class CNotificationListener {
public:
    /// Runs on the listener thread with each notification code; it must not
    /// touch widgets (post to the UI thread instead).
    using Handler = std::function<void(uint16_t code)>;

    /// How long Stop waits for the thread before it says so in the log.
    static constexpr int kStopWaitMs = 1000;

    CNotificationListener() = default;
    /// Stops the thread (see Stop).
    ~CNotificationListener();
    CNotificationListener(const CNotificationListener&) = delete;
    CNotificationListener& operator=(const CNotificationListener&) = delete;

    /// Starts reading `hid` (not owned; it must outlive the listener or Stop)
    /// on a new thread. `exitText` is logged when the thread ends. Returns
    /// false when a thread already runs.
    bool Start(CHidInterface& hid, Handler handler, std::string exitText);

    /// Closes the interface, which ends a read that is waiting, and joins the
    /// thread. Returns true when the thread ended within kStopWaitMs (it is
    /// joined either way: the read is cancelled, so the join cannot hang on
    /// the device). Safe to call when not running. Not from the handler.
    bool Stop();

    bool IsRunning() const { return thread_.joinable(); }

private:
    enum class ReadOutcome { kReport, kStopped, kRetry, kGone, kNoInputReport };

    void Run();
    ReadOutcome ReadOne(uint8_t* report, uint32_t size);
    bool DecodeCode(const uint8_t* report, uint32_t length, uint16_t& code);
    void RestAfterFailure();
    void SleepUntilStopped(const char* why);

    CHidInterface* hid_ = nullptr;
    Handler handler_;
    std::string exitText_;
    std::string path_;  ///< the interface's, for the log
    std::thread thread_;
    std::atomic<bool> stop_{false};
    // Guards the decode against Close releasing the report tables, and lets
    // the thread sleep after a failed read until the retry or Stop wakes it.
    std::mutex mutex_;
    std::condition_variable wake_;
    bool exited_ = false;
    std::condition_variable exitedSignal_;
};
