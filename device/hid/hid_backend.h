// The raw HID access that CHidInterface sits on: list the nodes below a root,
// read a node's identity and report descriptor, open it, move whole reports.
// One implementation per platform (hid_backend_linux.cpp: hidraw and the
// virtual bus, which has the same shape).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tirk::hid {

/// What the system knows about one node (one USB interface) without opening it.
struct HidNodeInfo {
    std::string name;        ///< e.g. "hidraw3"
    std::string deviceNode;  ///< absolute, root included, e.g. "/dev/hidraw3"
    uint16_t bus = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;             ///< bcdDevice; 0 when unknown
    int interfaceNumber = -1;         ///< USB interface number; -1 when unknown
    std::string hidName;              ///< HID_NAME from uevent
    std::vector<uint8_t> descriptor;  ///< raw report descriptor
};

/// Outcome of one transfer.
enum class HidIoResult { Ok, Timeout, Cancelled, Gone, Error };

/// One open file on a node. Destroying it closes the file. Read and Write may run
/// on two threads at once; Cancel may be called from any thread at any time.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    /// Waits up to `timeoutMs` (-1: forever) for one report and copies it (as the
    /// node delivers it: no id byte when the descriptor has no ids) into `buffer`,
    /// truncated to `capacity`. `received` is the copied length (0 unless Ok).
    virtual HidIoResult Read(uint8_t* buffer, size_t capacity, size_t& received, int timeoutMs) = 0;
    /// Sends one output report, `data[0]` being the report id (0 without ids),
    /// waiting up to `timeoutMs` for the node to accept it. `written` counts
    /// `data` bytes (the id byte included) on Ok, else 0.
    virtual HidIoResult Write(const uint8_t* data, size_t length, size_t& written,
                              int timeoutMs) = 0;
    /// Ends every current and later Read/Write with Cancelled, at once. Sticky.
    virtual void Cancel() = 0;
};

/// Access to the nodes below one root.
class HidBackend {
public:
    virtual ~HidBackend() = default;
    /// Names of the present nodes ("hidraw0", ...) in name order; empty when none.
    virtual std::vector<std::string> ListNodes() = 0;
    /// Reads identity and descriptor of node `name`. False with `error` set when
    /// the node is gone or unreadable; `gone` tells the first case (the node is
    /// no longer listed), so a node that is still listed but broken is not gone.
    virtual bool ReadNodeInfo(const std::string& name, HidNodeInfo& info, bool& gone,
                              std::string& error) = 0;
    /// Opens `deviceNode` (as in HidNodeInfo::deviceNode). With neither read nor
    /// write access the node is only checked to be present and the connection
    /// refuses transfers. `hasReportIds` tells the connection whether an id byte
    /// travels on the wire. Null with `error` set on failure.
    virtual std::unique_ptr<HidConnection> Open(const std::string& deviceNode, bool wantRead,
                                                bool wantWrite, bool hasReportIds,
                                                std::string& error) = 0;
    /// The node name of an absolute device node path ("/r/dev/hidraw3" -> "hidraw3").
    static std::string NodeName(const std::string& deviceNode);
};

/// The hidraw backend over root `root` ("/" for the real system).
std::shared_ptr<HidBackend> CreateLinuxHidBackend(const std::string& root);
/// The hidraw backend over $TIRK_HID_ROOT when set, else over "/".
std::shared_ptr<HidBackend> CreateDefaultHidBackend();

}  // namespace tirk::hid
