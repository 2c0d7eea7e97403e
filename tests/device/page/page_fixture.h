// Fixtures of the device object tests: a device object of a test family whose
// operations record what ran, a tile that records what it was told, and the
// standard virtual devices with the device object's channels opened on them.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/device_table.h"
#include "device/hid/hid_backend.h"
#include "device/hid/hid_path.h"
#include "device/page/usb_device.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/virtual_firmware.h"
#include "ui/ui.h"
#include "vbus_test_support.h"

namespace tirk::page::test {

/// Answers come at once; these only bound a test that goes wrong.
constexpr link::ChannelTimeouts kGenerousTimeouts{5000, 5000, 5000, 10};

/// Runs the event loop until `done` holds or `ms` pass; true when it held.
template <typename Predicate>
bool WaitUntil(Predicate done, int ms = vbus::test::kPromptlyMs) {
    return QTest::qWaitFor(done, ms);
}

/// A family as the real ones will be: the link check asks the receiver.
class TestDevice : public CTelvorinUSBDevice {
public:
    explicit TestDevice(std::shared_ptr<hid::HidBackend> backend = hid::CreateDefaultHidBackend())
        : CTelvorinUSBDevice(std::move(backend), kGenerousTimeouts) {}

    int IsOnline() override { return Channel().QueryOnline(); }
    void StartDevice() override { ++startDeviceRuns; }
    void PollPowerStatus() override { ++statusPolls; }
    void OnNotification(uint16_t code) override {
        codes.push_back(code);
        threads.push_back(std::this_thread::get_id());
    }

    int startDeviceRuns = 0;
    int statusPolls = 0;
    std::vector<uint16_t> codes;
    std::vector<std::thread::id> threads;
};

class FakeTile : public IDeviceTile {
public:
    bool IsShown() const override { return shown; }
    void SetOnline(bool online) override {
        shown = online;
        calls.push_back(online);
    }
    bool IsSelected() const override { return selected; }
    void RepaintIcon() override { ++repaints; }

    bool shown = false;
    bool selected = false;
    int repaints = 0;
    std::vector<bool> calls;  ///< every SetOnline, in order
};

/// The standard virtual devices `names` on a private bus, and the paths of
/// their candidates' collections as the scan finds them.
class DeviceOnVirtualBus : public ::testing::Test {
protected:
    void StartBus(const std::vector<std::string>& names) {
        std::string error;
        ASSERT_TRUE(
            LoadDeviceTables(std::string(TIRK_RESOURCE_DIR) + "/devices.json", &tables_, &error))
            << error;
        bus_ = vbus::StartStandardBus(tables_, root_.path(), names, &error);
        ASSERT_NE(bus_, nullptr) << error;
        backend_ = hid::CreateLinuxHidBackend(root_.path());
    }

    const DeviceCandidate& Candidate(uint16_t type, uint16_t role) {
        int index = FindCandidate(tables_, type, role);
        EXPECT_GE(index, 0);
        return tables_.candidates[index];
    }

    /// The interface path of the candidate (type, role); empty when absent.
    std::string PathOf(uint16_t type, uint16_t role) {
        const DeviceCandidate& c = Candidate(type, role);
        CHidInterface scan(backend_);
        EXPECT_TRUE(scan.Enumerate());
        while (const char* path = scan.NextPath()) {
            hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
            if (id.vendorId == c.vendorId && id.productId == c.productId &&
                id.interfaceNumber == c.interfaceNumber &&
                id.collectionNumber == c.collectionNumber)
                return path;
        }
        return {};
    }

    /// Connects the device object as device discovery does: the command
    /// interface opened under the exchange lock, open flag, link type, identity.
    void Connect(CTelvorinUSBDevice& device, uint16_t type) {
        const bool wireless = type == kTypeKeyboardReceiver || type == kTypeMouseReceiver;
        std::string path = PathOf(type, kRoleCommand);
        ASSERT_FALSE(path.empty());
        CCommandChannel& channel = device.Channel();
        {
            std::lock_guard lock(channel.ExchangeLock());
            CHidInterface& hid = wireless ? channel.WirelessInterface() : channel.WiredInterface();
            ASSERT_TRUE(hid.Open(path, true, true, true, true)) << hid.LastError();
        }
        channel.SetOpen(true);
        channel.SetLinkType(wireless ? CCommandChannel::kWirelessLinkType : 1);
        device.SetIdentity(Candidate(type, kRoleCommand));
        device.SetInterfacePath(path);
    }

    vbus::VirtualHidDevice& Device(const std::string& name) { return *bus_->Find(name); }

    /// How many command frames with `command` the device received.
    int CountOf(const std::string& name, uint8_t command) {
        return Device(name).CommandCounts()[command];
    }

    void Firmware(const std::string& name, std::vector<std::string_view> words) {
        std::string answer;
        ASSERT_TRUE(Device(name).FirmwareControl(words, &answer)) << answer;
    }

    vbus::test::TempRoot root_;
    DeviceTables tables_;
    std::unique_ptr<vbus::VirtualHidBus> bus_;
    std::shared_ptr<hid::HidBackend> backend_;
};

}  // namespace tirk::page::test
