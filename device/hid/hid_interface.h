// CHidInterface: one opened HID top-level collection (one interface path), the
// only place where the program touches HID hardware. It lists the interface
// paths, opens one with chosen access, exposes the collection's identity and
// report layout, reads and writes whole reports (report id in byte 0) with a
// time-out that Close or Reopen on another thread cuts short, and decodes input
// reports into its data item table.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_path.h"
#include "device/hid/hid_report_layout.h"

class CHidInterface {
public:
    /// Uses the hidraw backend over $TIRK_HID_ROOT (or "/").
    CHidInterface();
    /// Uses `backend` (shared; it must outlive nothing in particular).
    explicit CHidInterface(std::shared_ptr<tirk::hid::HidBackend> backend);
    /// Destroy: as Close, then frees the path list.
    ~CHidInterface();
    CHidInterface(const CHidInterface&) = delete;
    CHidInterface& operator=(const CHidInterface&) = delete;

    // --- enumeration (independent of the open state) ---

    /// Resets the cursor and collects one path per top-level collection of every
    /// present node. A node that cannot be read (a file missing or unreadable,
    /// a malformed descriptor) is skipped and logged once, until it disappears
    /// or reads well again; one that vanishes meanwhile is skipped silently.
    /// One bad node thus never hides the others. Always true.
    bool Enumerate();
    /// The path at the cursor, advancing it; null after the last one or with no
    /// list. The text stays owned by this object until Enumerate or FreePaths.
    const char* NextPath();
    /// Number of paths of the last Enumerate.
    size_t PathCount() const { return paths_.size(); }
    /// Releases the path list.
    void FreePaths();

    // --- open state ---

    /// Stores the options and the path, then Reopen(). `overlapped` and
    /// `shareReadOnly` are kept for callers; on Linux every transfer can time
    /// out and be cancelled, and hidraw has no share modes. With neither read
    /// nor write the open only proves the device is present.
    bool Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
              bool shareReadOnly);
    /// Cancels any waiting transfer, closes, and opens the stored path again,
    /// loading identity and layout. False (and closed) on any failure; LastError()
    /// then says why.
    bool Reopen();
    /// Cancels a waiting Read/Write (it returns false at once), waits until it
    /// has left, releases the report tables and closes the node. Safe from any thread.
    void Close();
    bool IsOpen() const;

    /// Waits up to `timeoutMs` (-1: forever) for one input report of this
    /// collection and copies it, report id in byte 0 (0 when the descriptor has
    /// no ids), zero-padded to the input report length, into `buffer`. Reports of
    /// other collections are dropped while the time-out runs. False with
    /// `transferred` 0 on time-out, cancel, a gone device or any error;
    /// LastReadResult() then says which.
    bool Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, int timeoutMs);
    /// How the last Read ended: Ok; Timeout; Cancelled (cut short by Close or
    /// Reopen, or the object was not open); Gone (the device went away); Error
    /// (bad arguments, another Read already waiting, a failing node). Meant for
    /// the thread that made that Read: one reader per object.
    tirk::hid::HidIoResult LastReadResult() const { return lastReadResult_.load(); }
    /// Length of the report the last Read delivered as the device sent it,
    /// counting the id byte as Windows does (also when the descriptor has no
    /// ids), before the zero padding; 0 after a failed Read. An answer shorter
    /// than the report it claims to be is thus told from one padded with zeros.
    uint32_t LastReceivedBytes() const { return lastReceivedBytes_.load(); }
    /// True from the moment a Read has taken the current connection until it
    /// returns: a Close or Reopen from now on cuts that Read short.
    bool IsReading() const;
    /// Sends one output report, report id in byte 0. `transferred` is `length`
    /// on success, else 0.
    bool Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, int timeoutMs);

    /// Decodes an input report into the input data items of its report id (see
    /// HidReportLayout::ParseInputReport); returns an HidP status value.
    uint32_t ParseInputReport(const uint8_t* report, uint32_t length);

    /// Loads identity-free layout of top-level collection `collectionIndex`
    /// (0-based) from descriptor bytes, without any device; for tests and
    /// fuzzing. Closes first. False with LastError() set on a bad descriptor.
    bool LoadLayoutFromDescriptor(const uint8_t* descriptor, size_t size, int collectionIndex);

    // --- identity after a successful open ---
    uint16_t VendorId() const { return vendorId_; }
    uint16_t ProductId() const { return productId_; }
    uint16_t Version() const { return version_; }
    uint16_t UsagePage() const { return layout_.UsagePage(); }
    uint16_t Usage() const { return layout_.Usage(); }
    /// Report byte lengths as Windows gives them (id byte included, +1 without ids).
    uint32_t InputReportByteLength() const {
        return layout_.ReportBytes(tirk::hid::ReportType::Input);
    }
    uint32_t OutputReportByteLength() const {
        return layout_.ReportBytes(tirk::hid::ReportType::Output);
    }
    uint32_t FeatureReportByteLength() const {
        return layout_.ReportBytes(tirk::hid::ReportType::Feature);
    }
    uint32_t InterfaceNumber() const { return interfaceNumber_; }
    uint32_t CollectionNumber() const { return collectionNumber_; }
    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return lastError_; }

    /// The data item table of `type`; valid until Close/Reopen. Not to be used
    /// while another thread closes the object.
    std::vector<tirk::hid::HidDataItem>& DataItems(tirk::hid::ReportType type) {
        return layout_.DataItems(type);
    }
    const tirk::hid::HidReportLayout& Layout() const { return layout_; }

private:
    bool AppendNodePaths(const std::string& name, std::vector<std::string>& paths,
                         std::string& problem);
    void ReportFaultyNode(const std::string& name, const std::string& problem);
    std::shared_ptr<tirk::hid::HidConnection> BeginTransfer(bool& flag,
                                                            tirk::hid::HidIoResult& refused);
    tirk::hid::HidIoResult ReadAccepted(uint8_t* buffer, uint32_t length, uint32_t& transferred,
                                        int timeoutMs);
    void EndTransfer(bool& flag);
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    bool CopyAcceptedReport(const uint8_t* wire, size_t received, uint8_t* buffer, uint32_t length,
                            uint32_t& transferred);

    std::shared_ptr<tirk::hid::HidBackend> backend_;
    std::vector<std::string> paths_;
    size_t cursor_ = 0;
    std::map<std::string, std::string> faultyNodes_;  // node name -> problem last logged

    bool wantRead_ = false, wantWrite_ = false, overlapped_ = false, shareReadOnly_ = false;
    std::string path_;
    tirk::hid::HidReportLayout layout_;
    uint16_t vendorId_ = 0, productId_ = 0, version_ = 0;
    uint32_t interfaceNumber_ = 0, collectionNumber_ = 0;
    std::string lastError_;

    mutable std::mutex mutex_;
    std::condition_variable transferEnded_;
    std::shared_ptr<tirk::hid::HidConnection> connection_;
    bool reading_ = false;
    bool writing_ = false;
    std::vector<uint8_t> wireBuffer_;  // one read at a time uses it
    std::atomic<tirk::hid::HidIoResult> lastReadResult_{tirk::hid::HidIoResult::Ok};
    std::atomic<uint32_t> lastReceivedBytes_{0};
};
