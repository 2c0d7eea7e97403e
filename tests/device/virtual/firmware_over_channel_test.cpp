// One end-to-end pass: the command channel over the hidraw backend against the
// mouse receiver's firmware, as the mouse object will drive it.
#include <gtest/gtest.h>

#include <array>

#include "device/device_table.h"
#include "device/hid/hid_backend.h"
#include "device/hid/hid_path.h"
#include "device/link/command_channel.h"
#include "device/virtual/command_firmware.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/standard_devices.h"
#include "vbus_test_support.h"

namespace tirk::vbus {
namespace {

class FirmwareOverChannel : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(
            LoadDeviceTables(std::string(TIRK_RESOURCE_DIR) + "/devices.json", &tables_, &error))
            << error;
        bus_ = StartStandardBus(tables_, root_.path(), {"mouse-receiver"}, &error);
        ASSERT_NE(bus_, nullptr) << error;
        auto backend = hid::CreateLinuxHidBackend(root_.path());
        link::ChannelTimeouts timeouts;
        timeouts.wirelessMs = timeouts.wirelessQuietMs = test::kPromptlyMs;
        channel_ = std::make_unique<CCommandChannel>(backend, timeouts);
        std::string path = CommandPath(backend);
        ASSERT_FALSE(path.empty());
        std::lock_guard<std::mutex> lock(channel_->ExchangeLock());
        ASSERT_TRUE(channel_->WirelessInterface().Open(path, true, true, true, false));
        channel_->SetLinkType(CCommandChannel::kWirelessLinkType);
        channel_->SetOpen(true);
    }

    // The receiver's command collection, found as the scan finds it.
    std::string CommandPath(const std::shared_ptr<hid::HidBackend>& backend) {
        const DeviceCandidate& c =
            tables_.candidates[FindCandidate(tables_, kTypeMouseReceiver, kRoleCommand)];
        CHidInterface scan(backend);
        EXPECT_TRUE(scan.Enumerate());
        while (const char* path = scan.NextPath()) {
            hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
            if (id.productId == c.productId && id.interfaceNumber == c.interfaceNumber &&
                id.collectionNumber == c.collectionNumber)
                return path;
        }
        return {};
    }

    test::TempRoot root_;
    DeviceTables tables_;
    std::unique_ptr<VirtualHidBus> bus_;
    std::unique_ptr<CCommandChannel> channel_;
};

TEST_F(FirmwareOverChannel, MouseSynchronisationAndSettingsWrite) {
    EXPECT_EQ(channel_->QueryOnline(), link::kSuccess);
    std::array<uint8_t, 34> info{};
    ASSERT_EQ(channel_->ReadDeviceInfo(info), link::kSuccess);
    EXPECT_EQ(info[5], 11) << "keys";
    ASSERT_EQ(channel_->SetTableSize(3 * info[5]), 1);
    std::array<uint8_t, 512> keys{};
    ASSERT_EQ(channel_->ReadKeyTable(keys), link::kSuccess);
    EXPECT_EQ((std::array<uint8_t, 3>{keys[30], keys[31], keys[32]}),
              (std::array<uint8_t, 3>{0x14, 0x78, 0x02}));

    std::array<uint8_t, 71> record{};
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(3 * i + 1);
    ASSERT_EQ(channel_->BeginWrite(), link::kSuccess);
    ASSERT_EQ(channel_->WriteSettings(record, 2 * 128), link::kSuccess);
    ASSERT_EQ(channel_->EndWrite(), link::kSuccess);
    std::array<uint8_t, 71> readBack{};
    ASSERT_EQ(channel_->ReadSettings(readBack, 2 * 128), link::kSuccess);
    EXPECT_EQ(readBack, record);
    EXPECT_EQ(bus_->Find("mouse-receiver")->CommandCounts()[0x06], 3) << "24-byte chunks";

    std::string answer;
    ASSERT_TRUE(bus_->Find("mouse-receiver")->FirmwareControl({"link", "off"}, &answer));
    EXPECT_EQ(channel_->QueryOnline(), 0);
    EXPECT_EQ(channel_->ReadSettings(readBack, 0), link::kReceiverNotLinked);
    ASSERT_TRUE(bus_->Find("mouse-receiver")->FirmwareControl({"link", "on"}, &answer));
    std::array<uint8_t, 1> beyond{};
    EXPECT_EQ(channel_->ReadSettings(beyond, 1024), link::kDeviceStatusFE);
}

}  // namespace
}  // namespace tirk::vbus
