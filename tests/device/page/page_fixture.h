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

#include "channel_connect.h"
#include "device/device_table.h"
#include "device/hid/hid_backend.h"
#include "device/page/usb_device.h"
#include "device/virtual/virtual_firmware.h"
#include "hid_bus_fixture.h"
#include "ui/ui.h"

namespace tirk::page::test {

/// Answers come at once; these only bound a test that goes wrong.
constexpr link::ChannelTimeouts kGenerousTimeouts{5000, 5000, 5000, 10};

/// Runs the event loop until `done` holds or `ms` pass; true when it held.
template <typename Predicate>
bool WaitUntil(Predicate done, int ms = vbus::test::kPromptlyMs) {
    return QTest::qWaitFor(done, ms);
}

/// Runs the event loop until every exchange `device` queued has had its
/// result applied on this thread.
inline bool ExchangesSettle(const CTelvorinUSBDevice& device) {
    return WaitUntil([&] { return device.ExchangesPending() == 0; });
}

/// A family as the real ones will be: the link check asks the receiver.
class TestDevice : public CTelvorinUSBDevice {
public:
    explicit TestDevice(std::shared_ptr<hid::HidBackend> backend = hid::CreateDefaultHidBackend(),
                        link::ChannelTimeouts timeouts = kGenerousTimeouts)
        : CTelvorinUSBDevice(std::move(backend), timeouts) {}

    LinkCheck LinkCheckExchange() const override {
        return [](CCommandChannel& channel) { return channel.QueryOnline(); };
    }
    void StartDevice() override { ++startDeviceRuns; }
    void PollPowerStatus() override { ++statusPolls; }
    void OnNotification(uint16_t code, bool) override {
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

/// The standard virtual devices on a private bus (every one, unless the
/// fixture's SetUp plugs fewer with StartBus), and the device object's
/// channels connected to them.
class DeviceOnVirtualBus : public vbus::test::HidOnStandardBusTest {
protected:
    /// The interface path of the candidate (type, role); empty when absent.
    std::string PathOf(uint16_t type, uint16_t role) {
        return CandidatePath(Candidate(type, role));
    }

    /// Connects the device object as device discovery does: the command
    /// interface opened under the exchange lock, open flag, link type, identity.
    void Connect(CTelvorinUSBDevice& device, uint16_t type) {
        const bool wireless = type == kTypeKeyboardReceiver || type == kTypeMouseReceiver;
        std::string path = PathOf(type, kRoleCommand);
        ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(device.Channel(), path, wireless));
        device.SetIdentity(Candidate(type, kRoleCommand));
        device.SetInterfacePath(path);
    }

    /// How many command frames with `command` the device received.
    int CountOf(const std::string& name, uint8_t command) {
        return Device(name).CommandCounts()[command];
    }

    void Firmware(const std::string& name, std::vector<std::string_view> words) {
        std::string answer;
        ASSERT_TRUE(Device(name).FirmwareControl(words, &answer)) << answer;
    }
};

}  // namespace tirk::page::test
