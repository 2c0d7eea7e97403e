// A command channel connected, through the real hidraw backend, to one virtual
// device on a private virtual bus whose firmware is a MemoryFirmware.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "channel_connect.h"
#include "device/hid/hid_backend.h"
#include "device/link/command_channel.h"
#include "device/virtual/report_descriptors.h"
#include "device/virtual/virtual_hid_bus.h"
#include "memory_firmware.h"
#include "vbus_test_support.h"

namespace tirk::link::test {

using Frames = std::vector<CommandFrame::Bytes>;
using vbus::test::Pattern;

/// Answers come at once; these only bound a test that goes wrong.
constexpr ChannelTimeouts kGenerousTimeouts{5000, 5000, 5000, 10};
/// For the cases that wait for an answer that never comes.
constexpr ChannelTimeouts kShortTimeouts{150, 150, 150, 10};

inline constexpr const char* kDeviceName = "testdev";
inline constexpr bool kWireless = true, kWired = false;

class ChannelOnVirtualBus : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        bus_ = std::make_unique<vbus::VirtualHidBus>(root_.path());
        ASSERT_TRUE(bus_->Start(&error)) << error;
        vbus::VirtualDeviceSpec spec;
        spec.name = kDeviceName;
        spec.productName = "channel test device";
        spec.vendorId = 0x3a7d;
        spec.productId = 0x0c01;
        spec.interfaces = {{1, vbus::FourCollectionDescriptor()}};
        device_ = bus_->AddDevice(spec, &error);
        ASSERT_NE(device_, nullptr) << error;
        auto firmware = std::make_unique<MemoryFirmware>();
        firmware_ = firmware.get();
        device_->SetFirmware(std::move(firmware));
        ASSERT_TRUE(bus_->Plug(kDeviceName, &error)) << error;
        backend_ = hid::CreateLinuxHidBackend(root_.path());
    }

    void TearDown() override { channel_.reset(); }

    /// The vendor collection (command frames) of the device.
    std::string CommandPath() {
        CHidInterface scan(backend_);
        EXPECT_TRUE(scan.Enumerate());
        while (const char* path = scan.NextPath())
            if (std::string(path).find("&col04") != std::string::npos) return path;
        return {};
    }

    /// Makes the channel and connects it as the device object does: the link's
    /// interface opened under the exchange lock, then the open flag and link type.
    void Connect(bool wireless, ChannelTimeouts timeouts = kGenerousTimeouts) {
        channel_ = std::make_unique<CCommandChannel>(backend_, timeouts);
        ASSERT_NO_FATAL_FAILURE(ConnectChannel(*channel_, CommandPath(), wireless));
    }

    /// Every command frame the device received, oldest first.
    Frames Received() const {
        Frames frames;
        for (const vbus::ReceivedReport& report : device_->Received())
            if (vbus::IsCommandFrame(report.bytes)) frames.push_back(AsFrame(report.bytes));
        return frames;
    }

    /// The expected request, built by the test's own frame writer.
    static CommandFrame::Bytes Expected(uint8_t command, const std::vector<uint8_t>& data,
                                        uint16_t offset) {
        return AsFrame(vbus::test::CommandFrame(command, data, offset));
    }

    /// A read request of `length` bytes: length set, data zero.
    static CommandFrame::Bytes ExpectedRead(uint8_t command, uint8_t length, uint16_t offset) {
        std::vector<uint8_t> frame = vbus::test::CommandFrame(command, {}, offset);
        frame[4] = length;
        return AsFrame(vbus::test::Sealed(std::move(frame)));
    }

    /// The first 64 bytes of `bytes` (a whole command frame).
    static CommandFrame::Bytes AsFrame(const std::vector<uint8_t>& bytes) {
        CommandFrame::Bytes frame{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), frame.size()), frame.begin());
        return frame;
    }

    vbus::test::TempRoot root_;
    std::unique_ptr<vbus::VirtualHidBus> bus_;
    vbus::VirtualHidDevice* device_ = nullptr;
    MemoryFirmware* firmware_ = nullptr;
    std::shared_ptr<hid::HidBackend> backend_;
    std::unique_ptr<CCommandChannel> channel_;
};

}  // namespace tirk::link::test
