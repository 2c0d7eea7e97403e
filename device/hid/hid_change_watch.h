// Tells a waiting thread that HID nodes came or went, so device discovery can
// sleep between changes instead of listing the nodes every 100 ms. One
// interface, one file per platform: hid_change_watch_linux.cpp.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace tirk::hid {

class HidChangeWatch {
public:
    enum class Wake {
        kChanged,      ///< a node came or went (or the watch cannot tell: scan anyway)
        kInterrupted,  ///< Interrupt was called
        kTimeout,
    };

    virtual ~HidChangeWatch() = default;
    /// Blocks until a change, an Interrupt or `timeout`. An Interrupt made
    /// while nobody waits is kept for the next Wait. One waiting thread.
    virtual Wake Wait(std::chrono::milliseconds timeout) = 0;
    /// Wakes the waiting thread. Any thread.
    virtual void Interrupt() = 0;
};

/// The watch for the HID root `root` (as the hidraw backend takes it): "/"
/// (or empty) watches the kernel's hidraw subsystem through a udev monitor;
/// any other root is a virtual bus, watched through its class folder
/// `<root>/sys/class/hidraw`. When neither can be set up (logged) the watch
/// only times out, and the caller's pace alone drives the scan.
std::shared_ptr<HidChangeWatch> CreateHidChangeWatch(const std::string& root);

/// The watch for the root CreateDefaultHidBackend uses ($TIRK_HID_ROOT, else "/").
std::shared_ptr<HidChangeWatch> CreateDefaultHidChangeWatch();

}  // namespace tirk::hid
