#include "device/virtual/virtual_hid_device.h"

#include <sys/socket.h>

#include "core/log.h"
#include "device/virtual/virtual_hid_bus.h"

namespace tirk::vbus {

VirtualHidDevice::VirtualHidDevice(VirtualHidBus& bus, VirtualDeviceSpec spec, int port)
    : bus_(bus), spec_(std::move(spec)), port_(port), firmware_(std::make_unique<EchoFirmware>()) {}

VirtualHidDevice::~VirtualHidDevice() = default;

bool VirtualHidDevice::IsPlugged() const {
    bool plugged = false;
    bus_.RunOnBusThread([&] { plugged = !nodes_.empty(); });
    return plugged;
}

std::vector<std::string> VirtualHidDevice::NodeNames() const {
    std::vector<std::string> names;
    bus_.RunOnBusThread([&] {
        for (const Node& node : nodes_)
            names.push_back("hidraw" + std::to_string(node.hidrawIndex));
    });
    return names;
}

int VirtualHidDevice::SendInputReport(uint8_t interfaceNumber, std::vector<uint8_t> report) {
    int reached = -1;
    bus_.RunOnBusThread([&] { reached = Deliver(interfaceNumber, report); });
    return reached;
}

void VirtualHidDevice::SetFirmware(std::unique_ptr<VirtualFirmware> firmware) {
    if (firmware == nullptr) {
        log::Bug("VirtualHidDevice::SetFirmware: null firmware for " + spec_.name);
        return;
    }
    bus_.RunOnBusThread([&] { firmware_ = std::move(firmware); });
}

void VirtualHidDevice::WithFirmware(
    const std::function<void(VirtualFirmware&, FirmwareIo&)>& task) {
    bus_.RunOnBusThread([&] { task(*firmware_, *io_); });
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
    bus_.RunOnBusThread([&] { copy.assign(received_.begin(), received_.end()); });
    return copy;
}

std::map<uint8_t, int> VirtualHidDevice::CommandCounts() const {
    std::map<uint8_t, int> copy;
    bus_.RunOnBusThread([&] { copy = commandCounts_; });
    return copy;
}

void VirtualHidDevice::ClearReceived() {
    bus_.RunOnBusThread([&] {
        received_.clear();
        commandCounts_.clear();
    });
}

void VirtualHidDevice::SetFault(const FaultPlan& plan) {
    bus_.RunOnBusThread([&] { fault_ = plan; });
}

FaultPlan VirtualHidDevice::Fault() const {
    FaultPlan plan;
    bus_.RunOnBusThread([&] { plan = fault_; });
    return plan;
}

void VirtualHidDevice::Record(uint8_t interfaceNumber, const std::vector<uint8_t>& report) {
    received_.push_back({interfaceNumber, report});
    if (received_.size() > kMaxRecorded) received_.pop_front();
    if (IsCommandFrame(report)) ++commandCounts_[report[CommandFrameLayout::kCommandOffset]];
}

VirtualHidDevice::Node* VirtualHidDevice::FindNode(uint8_t interfaceNumber) {
    for (Node& node : nodes_)
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
                        spec_.name.c_str(), node->hidrawIndex);
    }
    return reached;
}

}  // namespace tirk::vbus
