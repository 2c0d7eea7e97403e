// The device scan (worker slot 0): lists the HID interfaces every 100 ms and
// reports how many of them belong to a device candidate. Qt-free; it talks to
// the window only through the callbacks it is given.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/worker_slots.h"
#include "device/device_table.h"

class CHidInterface;

namespace tirk {

/// Pause between two scans.
inline constexpr std::chrono::milliseconds kScanPeriod{100};

/// True when the vendor, product, interface number and collection number
/// carried by interface `path` are those of some candidate.
bool PathMatchesCandidate(std::string_view path, const std::vector<DeviceCandidate>& candidates);

class DeviceScanner {
public:
    /// Scans through `hid` (owned) for `candidates`.
    DeviceScanner(std::vector<DeviceCandidate> candidates, std::unique_ptr<CHidInterface> hid);
    ~DeviceScanner();

    /// Enumerates once. Returns the number of interface paths that match a
    /// candidate, or -1 when the enumeration was not complete (a present
    /// node could not be read).
    int ScanOnce();

private:
    std::vector<DeviceCandidate> candidates_;
    std::unique_ptr<CHidInterface> hid_;
};

/// What the scan worker tells the application, from the worker's thread.
struct DeviceScanHooks {
    /// Once, after the first complete enumeration, with its count.
    std::function<void(int candidate_interfaces)> first_scan_done;
    /// Whenever a complete enumeration's count differs from the last one.
    std::function<void(int candidate_interfaces)> count_changed;
};

/// The worker's body: scans, then waits kScanPeriod on `stop`, until `stop`
/// is set; logs "抓取设备线程设定退出" when it ends.
void RunDeviceScanWorker(StopEvent& stop, DeviceScanner& scanner, const DeviceScanHooks& hooks);

}  // namespace tirk
