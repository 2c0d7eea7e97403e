#include "app/shell/device_scan.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/log.h"
#include "device/hid/hid_change_watch.h"
#include "device/hid/hid_interface.h"
#include "device/hid/hid_path.h"

namespace tirk {
namespace {

bool SameFourValues(const DeviceCandidate& c, const hid::HidPathIdentity& id) {
    return c.vendorId == id.vendorId && c.productId == id.productId &&
           c.interfaceNumber == id.interfaceNumber && c.collectionNumber == id.collectionNumber;
}

bool SameSixValues(const DeviceCandidate& a, const DeviceCandidate& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId &&
           a.interfaceNumber == b.interfaceNumber && a.collectionNumber == b.collectionNumber &&
           a.typeCode == b.typeCode && a.secondaryCode == b.secondaryCode;
}

// A node that is unplugged and plugged again between two passes may come back
// under the same name; its inode and change time tell the two apart, so the
// old connection is reported gone instead of silently going dead.
std::string NodeSignature(const std::string& path) {
    struct stat st {};
    if (::stat(hid::DeviceNodeOfPath(path).c_str(), &st) != 0) return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
}

}  // namespace

bool PathMatchesCandidate(std::string_view path, const std::vector<DeviceCandidate>& candidates) {
    const hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
    return std::any_of(candidates.begin(), candidates.end(),
                       [&](const DeviceCandidate& c) { return SameFourValues(c, id); });
}

DeviceScanner::DeviceScanner(std::vector<DeviceCandidate> table, std::unique_ptr<CHidInterface> hid)
    : m_table(std::move(table)), m_hid(std::move(hid)) {
    m_entries.resize(m_table.size());
    for (size_t i = 0; i < m_table.size(); ++i) m_entries[i].candidate = m_table[i];
    m_signatures.resize(m_table.size());
}

DeviceScanner::~DeviceScanner() = default;

CandidateEntry DeviceScanner::Entry(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_entries.size())) return {};
    return m_entries[index];
}

bool DeviceScanner::HasFreeEntry() const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const CandidateEntry& e) { return !e.connected && e.path.empty(); });
}

int DeviceScanner::FirstFreeEntry(const DeviceCandidate& match) const {
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CandidateEntry& e = m_entries[i];
        if (!e.connected && e.path.empty() && SameSixValues(e.candidate, match))
            return static_cast<int>(i);
    }
    return -1;
}

// Opens `path` for reading and looks for the first table entry that all six
// identity values match (vendor and product from the opened interface, usage
// page and usage from its top-level collection). Returns the free list entry
// for it, or -1, and in `signature` the identity of the node it opened.
int DeviceScanner::MatchOpenedInterface(const std::string& path, Failures& failures,
                                        std::string& signature) {
    if (!m_hid->Open(path, true, false, true, false)) {
        failures[path] = m_hid->LastError();
        return -1;
    }
    const hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
    int entry = -1;
    for (const DeviceCandidate& c : m_table) {
        if (c.vendorId == m_hid->VendorId() && c.productId == m_hid->ProductId() &&
            c.collectionNumber == id.collectionNumber && c.interfaceNumber == id.interfaceNumber &&
            c.usagePage == m_hid->UsagePage() && c.usage == m_hid->Usage()) {
            entry = FirstFreeEntry(c);
            break;
        }
    }
    signature = NodeSignature(path);
    m_hid->Close();
    return entry;
}

bool DeviceScanner::EnumerateArrivals(std::vector<Found>& found, Failures& failures) {
    if (!m_hid->Enumerate()) return false;
    while (const char* raw = m_hid->NextPath()) {
        const std::string path = raw;
        const hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
        const bool wanted = std::any_of(m_table.begin(), m_table.end(), [&](const DeviceCandidate& c) {
            return SameFourValues(c, id);
        });
        if (!wanted) continue;
        bool free_for_it = false;
        {
            std::lock_guard lock(m_mutex);
            for (const CandidateEntry& e : m_entries)
                free_for_it |= !e.connected && e.path.empty() && SameFourValues(e.candidate, id);
        }
        if (!free_for_it) continue;
        std::string signature;
        const int entry = MatchOpenedInterface(path, failures, signature);
        const bool taken = std::any_of(found.begin(), found.end(),
                                       [entry](const Found& f) { return f.index == entry; });
        if (entry >= 0 && !taken) found.push_back({entry, path, std::move(signature)});
    }
    m_hid->FreePaths();
    return true;
}

void DeviceScanner::CheckRemovals(DeviceScanEvents& events) {
    for (int i = 0; i < Size(); ++i) {
        const CandidateEntry entry = Entry(i);
        if (!entry.connected) continue;
        const bool present = m_hid->Open(entry.path, false, false, true, false) &&
                             NodeSignature(entry.path) == m_signatures[i];
        m_hid->Close();
        if (present) continue;
        {
            std::lock_guard lock(m_mutex);
            m_entries[i].connected = false;
            m_entries[i].path.clear();
        }
        m_signatures[i].clear();
        events.OnCandidateRemoved(i);
    }
}

// An interface that keeps failing is told once, until it opens or goes.
void DeviceScanner::ReportNewFailures(Failures failures, DeviceScanEvents& events) {
    std::map<std::string, Failing> failing;
    for (auto& [path, error] : failures) {
        const auto before = m_failing.find(path);
        const int passes = before == m_failing.end() ? 1 : before->second.passes + 1;
        if (passes == kFailedPassesBeforeNotice) {
            log::Printf("%s cannot be opened, tried again on the next passes: %s", path.c_str(),
                        error.c_str());
            events.OnCandidateUnopenable(path, error);
        }
        failing[path] = {std::move(error), passes};
    }
    m_failing = std::move(failing);
}

bool DeviceScanner::ScanOnce(DeviceScanEvents& events) {
    bool retry = false;
    if (HasFreeEntry()) {
        std::vector<Found> found;
        Failures failures;
        const bool complete = EnumerateArrivals(found, failures);
        retry = !failures.empty();
        // Reported in candidate order, so a device's command interface arrives
        // before its notification interface whatever order the nodes list in.
        std::sort(found.begin(), found.end(),
                  [](const Found& a, const Found& b) { return a.index < b.index; });
        for (const Found& f : found) {
            {
                std::lock_guard lock(m_mutex);
                m_entries[f.index].connected = true;
                m_entries[f.index].path = f.path;
            }
            // The node as matched: reports wait for the application, and a
            // node name taken over meanwhile by another device must show as gone.
            m_signatures[f.index] = f.signature;
            events.OnCandidateArrived(f.index, f.path);
        }
        if (complete && !m_firstDone) {
            m_firstDone = true;
            events.OnFirstScanDone();
        }
        if (complete) ReportNewFailures(std::move(failures), events);
    }
    CheckRemovals(events);
    return retry;
}

void RunDeviceScanWorker(StopEvent& stop, DeviceScanner& scanner, DeviceScanEvents& events,
                         std::shared_ptr<hid::HidChangeWatch> watch) {
    // The hook holds the watch, so a Set racing with the end of this worker
    // never interrupts a destroyed watch.
    if (watch) stop.SetWakeHook([watch] { watch->Interrupt(); });
    int burst = kScanBurstPasses;  // the first passes run at the quick pace too
    while (!stop.IsSet()) {
        if (scanner.ScanOnce(events)) burst = kScanBurstPasses;
        if (!watch) {
            if (stop.WaitFor(kScanPeriod)) break;
            continue;
        }
        const auto pause = burst > 0 ? kScanPeriod : kScanSafetyPeriod;
        burst = std::max(burst - 1, 0);
        if (watch->Wait(pause) == hid::HidChangeWatch::Wake::kChanged) burst = kScanBurstPasses;
    }
    if (watch) stop.SetWakeHook(nullptr);
    log::Line("抓取设备线程设定退出");
}

}  // namespace tirk
