// The device scan (worker slot 0): keeps the candidate list — which of the
// interfaces in the device table are present, and at which path — and tells
// the application when a candidate arrives or leaves. Qt-free; it talks to
// the window only through DeviceScanEvents.
//
// The scan is woken by the bus's change notifications rather than polling
// every 100 ms (docs/discovery.md): after a change it scans at the 100 ms pace
// for a short burst, so that a node that cannot be opened yet is tried again
// soon, then sleeps until the next change or a slow safety pass.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/worker_slots.h"
#include "device/device_table.h"

class CHidInterface;

namespace tirk {

namespace hid {
class HidChangeWatch;
}

/// Pause between two scans while changes are expected.
inline constexpr std::chrono::milliseconds kScanPeriod{100};
/// Scans at kScanPeriod after a change notification (or while a present
/// candidate interface could not be opened) before the scan sleeps again.
inline constexpr int kScanBurstPasses = 10;
/// A present interface that cannot be opened is told to the application
/// only once it failed this many passes in a row: a node that goes while it
/// is being opened (a device pulled out again at once) is no fault to tell.
inline constexpr int kFailedPassesBeforeNotice = 3;
/// The pass that runs when no change was notified, in case a notification was
/// lost (or the bus offers none).
inline constexpr std::chrono::milliseconds kScanSafetyPeriod{2000};

/// True when the vendor, product, interface number and collection number
/// carried by interface `path` are those of some candidate.
bool PathMatchesCandidate(std::string_view path, const std::vector<DeviceCandidate>& candidates);

/// One entry of the candidate list: a table entry and whether it is present.
struct CandidateEntry {
    DeviceCandidate candidate;
    bool connected = false;
    std::string path;  ///< the interface path while connected, else empty
};

/// What the scan tells the application. Called on the scan thread, one call at
/// a time; each call returns only once the application has handled the event
/// (the application's state is consistent with the list when the scan goes on).
class DeviceScanEvents {
public:
    virtual ~DeviceScanEvents() = default;
    /// Candidate `index` is present at `path`.
    virtual void OnCandidateArrived(int index, const std::string& path) = 0;
    /// Candidate `index` is gone.
    virtual void OnCandidateRemoved(int index) = 0;
    /// Once, after the first complete enumeration (its arrivals are delivered).
    virtual void OnFirstScanDone() = 0;
    /// An interface of the device table is present at `path` but cannot be
    /// opened (`error`; on Linux most often the node's permissions), pass
    /// after pass (kFailedPassesBeforeNotice). Told once until it opens or
    /// goes; the scan keeps trying it.
    virtual void OnCandidateUnopenable(const std::string& /*path*/, const std::string& /*error*/) {}
};

class DeviceScanner {
public:
    /// Scans through `hid` (owned) for the table's candidates, in table order.
    DeviceScanner(std::vector<DeviceCandidate> table, std::unique_ptr<CHidInterface> hid);
    ~DeviceScanner();

    /// One pass: enumerates when some candidate is free, matches every present
    /// interface (identity from its path, then vendor, product, usage page and
    /// usage of the opened interface) and reports arrivals in candidate order;
    /// then checks every connected candidate's path and reports removals in
    /// candidate order. Returns true when some matching interface could not be
    /// opened (it stays free and is tried on the next pass).
    bool ScanOnce(DeviceScanEvents& events);

    /// A copy of entry `index` (any thread); an empty entry out of range.
    CandidateEntry Entry(int index) const;
    /// Number of list entries (the table's size).
    int Size() const { return static_cast<int>(m_table.size()); }
    /// True once the first complete enumeration ran.
    bool FirstScanDone() const { return m_firstDone; }

private:
    struct Found {
        int index;
        std::string path;
        std::string signature;  // the matched node's identity, taken while it was open
    };
    bool HasFreeEntry() const;
    using Failures = std::map<std::string, std::string>;  // path → why it cannot be opened
    bool EnumerateArrivals(std::vector<Found>& found, Failures& failures);
    int MatchOpenedInterface(const std::string& path, Failures& failures, std::string& signature);
    void ReportNewFailures(Failures failures, DeviceScanEvents& events);
    int FirstFreeEntry(const DeviceCandidate& match) const;
    void CheckRemovals(DeviceScanEvents& events);

    const std::vector<DeviceCandidate> m_table;
    std::unique_ptr<CHidInterface> m_hid;
    mutable std::mutex m_mutex;           // guards m_entries against readers on other threads
    std::vector<CandidateEntry> m_entries;
    std::vector<std::string> m_signatures;  // the scan thread's own: node identity at arrival
    bool m_firstDone = false;
    struct Failing {
        std::string error;
        int passes = 0;  // failed passes in a row
    };
    std::map<std::string, Failing> m_failing;  // the scan thread's own, by path
};

/// The worker's body: scans, then waits for a change of the bus (`watch`,
/// may be null: then every kScanPeriod), a burst pass or the safety pass,
/// until `stop` is set; logs "抓取设备线程设定退出" when it ends. Setting
/// `stop` interrupts the wait at once.
void RunDeviceScanWorker(StopEvent& stop, DeviceScanner& scanner, DeviceScanEvents& events,
                         std::shared_ptr<hid::HidChangeWatch> watch);

}  // namespace tirk
