#include "app/device_scan.h"

#include "core/log.h"
#include "device/hid/hid_interface.h"
#include "device/hid/hid_path.h"

namespace tirk {

bool PathMatchesCandidate(std::string_view path, const std::vector<DeviceCandidate>& candidates) {
    const hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
    for (const DeviceCandidate& c : candidates) {
        if (c.vendorId == id.vendorId && c.productId == id.productId &&
            c.interfaceNumber == id.interfaceNumber && c.collectionNumber == id.collectionNumber)
            return true;
    }
    return false;
}

DeviceScanner::DeviceScanner(std::vector<DeviceCandidate> candidates,
                             std::unique_ptr<CHidInterface> hid)
    : candidates_(std::move(candidates)), hid_(std::move(hid)) {}

DeviceScanner::~DeviceScanner() = default;

int DeviceScanner::ScanOnce() {
    if (!hid_->Enumerate()) return -1;
    int count = 0;
    while (const char* path = hid_->NextPath()) count += PathMatchesCandidate(path, candidates_);
    hid_->FreePaths();
    return count;
}

void RunDeviceScanWorker(StopEvent& stop, DeviceScanner& scanner, const DeviceScanHooks& hooks) {
    bool first_done = false;
    int last_count = -1;
    do {
        const int count = scanner.ScanOnce();
        if (count < 0) continue;
        if (!first_done) {
            first_done = true;
            if (hooks.first_scan_done) hooks.first_scan_done(count);
        } else if (count != last_count && hooks.count_changed) {
            hooks.count_changed(count);
        }
        last_count = count;
    } while (!stop.WaitFor(kScanPeriod));
    log::Line("抓取设备线程设定退出");
}

}  // namespace tirk
