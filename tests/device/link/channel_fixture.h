// A command channel connected, through the real hidraw backend, to one virtual
// device on a private virtual bus whose firmware is a MemoryFirmware.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/link/command_channel.h"
#include "device/virtual/report_descriptors.h"
#include "device/virtual/virtual_hid_bus.h"
#include "memory_firmware.h"
#include "vbus_test_support.h"

namespace tirk::link::test {

using Frames = std::vector<CommandFrame::Bytes>;

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
        std::string path = CommandPath();
        ASSERT_FALSE(path.empty());
        {
            std::lock_guard exchange(channel_->ExchangeLock());
            CHidInterface& hid =
                wireless ? channel_->WirelessInterface() : channel_->WiredInterface();
            ASSERT_TRUE(hid.Open(path, true, true, true, false)) << hid.LastError();
        }
        channel_->SetOpen(true);
        channel_->SetLinkType(wireless ? CCommandChannel::kWirelessLinkType : 1);
    }

    /// Every command frame the device received, oldest first.
    Frames Received() const {
        Frames frames;
        for (const vbus::ReceivedReport& report : device_->Received()) {
            if (!vbus::IsCommandFrame(report.bytes)) continue;
            CommandFrame::Bytes bytes;
            std::copy(report.bytes.begin(), report.bytes.end(), bytes.begin());
            frames.push_back(bytes);
        }
        return frames;
    }

    /// The expected request, built by the test's own frame writer.
    static CommandFrame::Bytes Expected(uint8_t command, const std::vector<uint8_t>& data,
                                        uint16_t offset) {
        std::vector<uint8_t> frame = vbus::test::CommandFrame(command, data, offset);
        CommandFrame::Bytes bytes;
        std::copy(frame.begin(), frame.end(), bytes.begin());
        return bytes;
    }

    /// A read request of `length` bytes: length set, data zero.
    static CommandFrame::Bytes ExpectedRead(uint8_t command, uint8_t length, uint16_t offset) {
        CommandFrame::Bytes bytes = Expected(command, {}, offset);
        bytes[4] = length;
        uint16_t sum = 0;
        for (size_t i = 3; i < bytes.size(); ++i) sum = static_cast<uint16_t>(sum + bytes[i]);
        bytes[1] = sum & 0xFF;
        bytes[2] = sum >> 8;
        return bytes;
    }

    static std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
        return bytes;
    }

    vbus::test::TempRoot root_;
    std::unique_ptr<vbus::VirtualHidBus> bus_;
    vbus::VirtualHidDevice* device_ = nullptr;
    MemoryFirmware* firmware_ = nullptr;
    std::shared_ptr<hid::HidBackend> backend_;
    std::unique_ptr<CCommandChannel> channel_;
};

}  // namespace tirk::link::test
