// One virtual USB HID device on a VirtualHidBus: its identity, its interfaces
// (one hidraw node each), its firmware, its injected fault and the record of
// every output report the host sent it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/virtual/fault_plan.h"
#include "device/virtual/virtual_firmware.h"

namespace tirk::vbus {

class VirtualHidBus;

/// One USB interface: becomes one hidraw node.
struct VirtualInterfaceSpec {
    uint8_t number = 0;  ///< bInterfaceNumber
    std::vector<uint8_t> reportDescriptor;
};

/// What a virtual device is, fixed when it is added to a bus.
struct VirtualDeviceSpec {
    std::string name;         ///< bus-wide unique, e.g. "keyboard", "mouse-receiver"
    std::string productName;  ///< HID_NAME
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t bcdDevice = 0x0100;
    std::vector<VirtualInterfaceSpec> interfaces;
};

/// One output report the device received, exactly as the host wrote it.
/// The cable and the receiver of one physical device are two devices of the
/// bus, so each record belongs to the path it came in on.
struct ReceivedReport {
    uint8_t interfaceNumber = 0;
    std::vector<uint8_t> bytes;
    /// Counts the reports of the whole bus: of two records, on the same device
    /// or not, the one with the higher number arrived later.
    uint64_t sequence = 0;
};

/// A device of a bus. Owned by the bus and alive as long as it; every method
/// may be called from any thread (the work runs on the bus thread).
class VirtualHidDevice {
public:
    /// At most this many received reports are kept (the oldest are dropped);
    /// the command counts are never dropped.
    static constexpr size_t kMaxRecorded = 10000;

    ~VirtualHidDevice();
    VirtualHidDevice(const VirtualHidDevice&) = delete;
    VirtualHidDevice& operator=(const VirtualHidDevice&) = delete;

    const VirtualDeviceSpec& spec() const { return m_spec; }
    const std::string& name() const { return m_spec.name; }

    /// True while the device's nodes exist.
    bool IsPlugged() const;

    /// The hidraw node names ("hidraw3") of the interfaces, in interface order;
    /// empty while unplugged.
    std::vector<std::string> NodeNames() const;

    /// Sends an input report (hidraw form: id byte first when the interface uses
    /// ids) to every open connection of the interface's node. Returns how many
    /// connections got it, or -1 when unplugged or there is no such interface.
    int SendInputReport(uint8_t interfaceNumber, std::vector<uint8_t> report);

    /// Replaces the firmware (the device starts with EchoFirmware); null is
    /// refused. The firmware's FirmwareIo stays valid as long as the device. A
    /// firmware set while the device is plugged is told so (OnPlugChanged).
    void SetFirmware(std::unique_ptr<VirtualFirmware> firmware);

    /// Runs `task` on the bus thread with the device's firmware and the FirmwareIo
    /// it answers through, and returns when it has run. Both references are valid
    /// only during the call; tests use it to reach a family firmware's memory.
    void WithFirmware(const std::function<void(VirtualFirmware&, FirmwareIo&)>& task);

    /// Runs a firmware command of the control socket (VirtualFirmware::Control):
    /// true with the result lines in `answer`, false with the reason.
    bool FirmwareControl(const std::vector<std::string_view>& words, std::string* answer);

    /// The received output reports, oldest first (at most kMaxRecorded).
    std::vector<ReceivedReport> Received() const;

    /// How many command frames arrived per command code (byte 3 of the frame).
    std::map<uint8_t, int> CommandCounts() const;

    /// Forgets the received reports and the command counts.
    void ClearReceived();

    /// Applies `plan` to the next answers (replacing any earlier plan).
    void SetFault(const FaultPlan& plan);
    FaultPlan Fault() const;

private:
    friend class VirtualHidBus;
    friend class DeviceIo;

    // One plugged interface: its hidraw node and the open connections.
    struct Node {
        uint8_t interfaceNumber = 0;
        int hidrawIndex = -1;
        int listenFd = -1;
        std::vector<int> clients;
    };

    VirtualHidDevice(VirtualHidBus& bus, VirtualDeviceSpec spec, int port);

    // Bus-thread parts of the public calls.
    void Record(uint8_t interfaceNumber, const std::vector<uint8_t>& report, uint64_t sequence);
    Node* FindNode(uint8_t interfaceNumber);
    int Deliver(uint8_t interfaceNumber, const std::vector<uint8_t>& report);

    VirtualHidBus& m_bus;
    const VirtualDeviceSpec m_spec;
    const int m_port;               ///< the USB port: "1-<port>" in the sysfs tree
    std::vector<Node> m_nodes;      ///< empty while unplugged
    unsigned m_plugGeneration = 0;  ///< counts plug-ins; stale delayed answers are dropped
    std::unique_ptr<VirtualFirmware> m_firmware;
    std::unique_ptr<FirmwareIo> m_io;  ///< set by the bus when it adds the device
    FaultPlan m_fault;
    std::deque<ReceivedReport> m_received;
    std::map<uint8_t, int> m_commandCounts;
};

}  // namespace tirk::vbus
