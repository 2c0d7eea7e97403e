// One end-to-end pass: the command channel over the hidraw backend against the
// mouse receiver's firmware, as the mouse object will drive it.
#include <gtest/gtest.h>

#include <array>

#include "channel_connect.h"
#include "device/link/command_channel.h"
#include "hid_bus_fixture.h"

namespace tirk::vbus {
namespace {

class FirmwareOverChannel : public test::HidOnStandardBusTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({"mouse-receiver"}));
        link::ChannelTimeouts timeouts;
        timeouts.wirelessMs = timeouts.wirelessQuietMs = test::kPromptlyMs;
        channel_ = std::make_unique<CCommandChannel>(backend_, timeouts);
        // The receiver's command collection, found as the scan finds it.
        std::string path = CandidatePath(Candidate(kTypeMouseReceiver, kRoleCommand));
        ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(*channel_, path, true));
    }

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

// The mouse written on its cable, then switched to its receiver: the channel
// reopened on the receiver reads back, in wireless chunks, what it wrote in
// wired ones, because both links reach one mouse.
class LinkSwitchOverChannel : public test::HidOnStandardBusTest {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartBus({"mouse"})); }
};

TEST_F(LinkSwitchOverChannel, WrittenOnTheCableReadOverTheReceiver) {
    link::ChannelTimeouts timeouts;
    timeouts.wiredMs = timeouts.wirelessMs = timeouts.wirelessQuietMs = test::kPromptlyMs;
    CCommandChannel channel(backend_, timeouts);
    ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(
        channel, CandidatePath(Candidate(kTypeMouse, kRoleCommand)), false));
    std::array<uint8_t, 71> record{};
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(5 * i + 2);
    ASSERT_EQ(channel.WriteSettings(record, 3 * 128), link::kSuccess);

    std::string error;
    ASSERT_TRUE(bus_->UseWireless("mouse", &error)) << error;
    EXPECT_TRUE(CandidatePath(Candidate(kTypeMouse, kRoleCommand)).empty()) << "cable gone";
    ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(
        channel, CandidatePath(Candidate(kTypeMouseReceiver, kRoleCommand)), true));
    std::array<uint8_t, 71> readBack{};
    ASSERT_EQ(channel.ReadSettings(readBack, 3 * 128), link::kSuccess);
    EXPECT_EQ(readBack, record);

    std::vector<ReceivedReport> overCable = bus_->Find("mouse")->Received();
    std::vector<ReceivedReport> overReceiver = bus_->Find("mouse-receiver")->Received();
    ASSERT_EQ(overCable.size(), 2u) << "56 + 15 bytes";
    ASSERT_EQ(overReceiver.size(), 3u) << "24 + 24 + 23 bytes";
    for (const ReceivedReport& frame : overCable) EXPECT_LE(frame.bytes[4], 56);
    for (const ReceivedReport& frame : overReceiver) EXPECT_LE(frame.bytes[4], 24);
    EXPECT_EQ(overCable[0].bytes[4], 56);
}

}  // namespace
}  // namespace tirk::vbus
