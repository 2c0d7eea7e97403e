#include "device/virtual/virtual_hid_device.h"

#include <sys/socket.h>

#include "core/log.h"
#include "device/virtual/virtual_hid_bus.h"

namespace tirk::vbus {

VirtualHidDevice::VirtualHidDevice(VirtualHidBus& bus, VirtualDeviceSpec spec, int port)
    : m_bus(bus),
      m_spec(std::move(spec)),
      m_port(port),
      m_firmware(std::make_unique<EchoFirmware>()) {}

VirtualHidDevice::~VirtualHidDevice() = default;

bool VirtualHidDevice::IsPlugged() const {
    bool plugged = false;
    m_bus.RunOnBusThread([&] { plugged = !m_nodes.empty(); });
    return plugged;
}

std::vector<std::string> VirtualHidDevice::NodeNames() const {
    std::vector<std::string> names;
    m_bus.RunOnBusThread([&] {
        for (const Node& node : m_nodes)
            names.push_back("hidraw" + std::to_string(node.hidrawIndex));
    });
    return names;
}

int VirtualHidDevice::SendInputReport(uint8_t interfaceNumber, std::vector<uint8_t> report) {
    int reached = -1;
    m_bus.RunOnBusThread([&] { reached = Deliver(interfaceNumber, report); });
    return reached;
}

void VirtualHidDevice::SetFirmware(std::unique_ptr<VirtualFirmware> firmware) {
    if (firmware == nullptr) {
        log::Bug("VirtualHidDevice::SetFirmware: null firmware for " + m_spec.name);
        return;
    }
    m_bus.RunOnBusThread([&] {
        m_firmware = std::move(firmware);
        if (!m_nodes.empty()) m_firmware->OnPlugChanged(true, *m_io);
    });
}

void VirtualHidDevice::WithFirmware(
    const std::function<void(VirtualFirmware&, FirmwareIo&)>& task) {
    m_bus.RunOnBusThread([&] { task(*m_firmware, *m_io); });
}

bool VirtualHidDevice::FirmwareControl(const std::vector<std::string_view>& words,
                                       std::string* answer) {
    bool ok = false;
    WithFirmware([&](VirtualFirmware& firmware, FirmwareIo& io) {
        ok = firmware.Control(words, io, answer);
    });
    return ok;
}

std::vector<ReceivedReport> VirtualHidDevice::Received() const {
    std::vector<ReceivedReport> copy;
    m_bus.RunOnBusThread([&] { copy.assign(m_received.begin(), m_received.end()); });
    return copy;
}

std::map<uint8_t, int> VirtualHidDevice::CommandCounts() const {
    std::map<uint8_t, int> copy;
    m_bus.RunOnBusThread([&] { copy = m_commandCounts; });
    return copy;
}

void VirtualHidDevice::ClearReceived() {
    m_bus.RunOnBusThread([&] {
        m_received.clear();
        m_commandCounts.clear();
    });
}

void VirtualHidDevice::SetFault(const FaultPlan& plan) {
    m_bus.RunOnBusThread([&] { m_fault = plan; });
}

FaultPlan VirtualHidDevice::Fault() const {
    FaultPlan plan;
    m_bus.RunOnBusThread([&] { plan = m_fault; });
    return plan;
}

void VirtualHidDevice::Record(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                              uint64_t sequence) {
    m_received.push_back({interfaceNumber, report, sequence});
    if (m_received.size() > kMaxRecorded) m_received.pop_front();
    if (IsCommandFrame(report)) ++m_commandCounts[report[CommandFrameLayout::kCommandOffset]];
}

VirtualHidDevice::Node* VirtualHidDevice::FindNode(uint8_t interfaceNumber) {
    for (Node& node : m_nodes)
        if (node.interfaceNumber == interfaceNumber) return &node;
    return nullptr;
}

int VirtualHidDevice::Deliver(uint8_t interfaceNumber, const std::vector<uint8_t>& report) {
    Node* node = FindNode(interfaceNumber);
    if (node == nullptr) return -1;
    int reached = 0;
    for (int fd : node->clients) {
        // A reader that does not keep up loses reports, as with a full hidraw queue.
        ssize_t sent = send(fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(report.size()))
            ++reached;
        else
            log::Printf("vbus: %s: input report not delivered to a reader of hidraw%d",
                        m_spec.name.c_str(), node->hidrawIndex);
    }
    return reached;
}

}  // namespace tirk::vbus
