#include "device/page/notification_listener.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "core/log.h"

namespace {

// A read that fails for a reason that may pass (a Reopen cut it short, an
// error of the node) is retried after this pause, so a broken device cannot
// make the thread spin.
constexpr auto kRetryPause = std::chrono::milliseconds(100);
constexpr uint32_t kMaxReport = 1024;

}  // namespace

CNotificationListener::~CNotificationListener() {
    Stop();
}

bool CNotificationListener::Start(CHidInterface& hid, Handler handler, std::string exitText) {
    if (thread_.joinable()) return false;
    hid_ = &hid;
    handler_ = std::move(handler);
    exitText_ = std::move(exitText);
    path_ = hid.Path();
    stop_.store(false);
    exited_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

bool CNotificationListener::Stop() {
    if (!thread_.joinable()) return true;
    {
        std::lock_guard lock(mutex_);
        stop_.store(true);
        hid_->Close();  // under the lock: no decode is running on the tables it frees
    }
    wake_.notify_all();
    bool inTime;
    {
        std::unique_lock lock(mutex_);
        inTime = exitedSignal_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs),
                                        [this] { return exited_; });
    }
    if (!inTime) tirk::log::Bug("notification listener did not end within its wait");
    thread_.join();
    return inTime;
}

void CNotificationListener::Run() {
    std::vector<uint8_t> report(kMaxReport);
    while (!stop_.load()) {
        switch (ReadOne(report.data(), kMaxReport)) {
            case ReadOutcome::kReport:
            case ReadOutcome::kStopped:
                break;
            case ReadOutcome::kRetry:
                RestAfterFailure();
                break;
            case ReadOutcome::kGone:
                SleepUntilStopped("the device is gone");
                break;
            case ReadOutcome::kNoInputReport:
                SleepUntilStopped("the collection has no input report");
                break;
        }
    }
    tirk::log::Line(exitText_);
    std::lock_guard lock(mutex_);
    exited_ = true;
    exitedSignal_.notify_all();
}

// One blocking read and, when it brings a report, its code to the handler.
CNotificationListener::ReadOutcome CNotificationListener::ReadOne(uint8_t* report, uint32_t size) {
    uint32_t length = 0;
    {
        std::lock_guard lock(mutex_);  // the layout is Close's to free
        if (stop_.load()) return ReadOutcome::kStopped;
        length = std::min(size, hid_->InputReportByteLength());
    }
    if (length == 0) return ReadOutcome::kNoInputReport;
    uint32_t transferred = 0;
    if (!hid_->Read(report, length, transferred, -1) || transferred == 0) {
        return hid_->LastReadResult() == tirk::hid::HidIoResult::Gone ? ReadOutcome::kGone
                                                                      : ReadOutcome::kRetry;
    }
    uint16_t code = 0;
    if (DecodeCode(report, transferred, code)) handler_(code);
    return ReadOutcome::kReport;
}

bool CNotificationListener::DecodeCode(const uint8_t* report, uint32_t length, uint16_t& code) {
    std::lock_guard lock(mutex_);
    if (stop_.load()) return false;
    hid_->ParseInputReport(report, length);
    const auto& items = hid_->DataItems(tirk::hid::ReportType::Input);
    if (items.empty()) return false;
    const tirk::hid::HidDataItem& first = items.front();
    if (first.isButton) {
        if (first.usageList.empty() || first.usageList.front() == 0) return false;
        code = first.usageList.front();
    } else {
        code = static_cast<uint16_t>(first.usage);
    }
    return true;
}

void CNotificationListener::RestAfterFailure() {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, kRetryPause, [this] { return stop_.load(); });
}

// Nothing will come from this interface again; only Stop ends the wait.
void CNotificationListener::SleepUntilStopped(const char* why) {
    std::unique_lock lock(mutex_);
    if (stop_.load()) return;
    tirk::log::Printf("notification listener on %s: %s; waiting to be stopped", path_.c_str(), why);
    wake_.wait(lock, [this] { return stop_.load(); });
}
