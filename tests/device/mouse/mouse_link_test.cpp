// The receiver's link: the guard in front of every operation, the link check,
// the power status per link; the recoil tables in 56-byte frames on either
// link; the notifications the mouse sends.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "mouse_fixture.h"
#include "support/temp_folder.h"

namespace tirk::mouse {
namespace {

using test::Bytes;
using test::Link;
using test::MouseTest;

class MouseLinkOnEachLink : public test::MouseOnEachLink {};

// While the mouse is away from its receiver (0xAA answers), every operation
// asks the receiver once and sends nothing else; nothing kept changes.
TEST_F(MouseTest, UnlinkedReceiverSendsNothingButTheLinkQuery) {
    ASSERT_NO_FATAL_FAILURE(Connect(true));
    ASSERT_NO_FATAL_FAILURE(StartDevice());
    const MouseKeys keys = protocol_->Keys();
    const MouseSettingsState settings = protocol_->Settings();
    tirk::test::TempFolder folder;
    ASSERT_TRUE(folder.valid());
    const MacroStore store(folder.path());
    SetLinked(false);

    struct Operation {
        const char* name;
        std::function<int()> run;
    };
    const Bytes block = BuildDownloadBlock({{}, {}, {}, {}});
    PowerStatus status{};
    const Operation operations[] = {
        {"ReadKeyTable", [&] { return protocol_->ReadKeyTable(); }},
        {"ReadSettings", [&] { return protocol_->ReadSettings(); }},
        {"WriteSettings", [&] { return protocol_->WriteSettings({}, {}); }},
        {"WriteKeyTable", [&] { return protocol_->WriteKeyTable(test::FactoryKeyList(), 0); }},
        {"DownloadMacros", [&] { return protocol_->DownloadMacros(store, {}).result; }},
        {"WriteRecoilBlock", [&] { return protocol_->WriteRecoilBlock(block); }},
        {"ReadPowerStatus", [&] { return protocol_->ReadPowerStatus(status); }},
        {"IsOnline", [&] { return protocol_->IsOnline() ? 1 : 0; }},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        ClearFrames();
        EXPECT_EQ(op.run(), link::kNoAnswer);
        EXPECT_EQ(Commands(), Bytes({0xAA}));
    }
    EXPECT_EQ(protocol_->Keys(), keys);
    EXPECT_EQ(protocol_->Settings(), settings);
    EXPECT_EQ(status, PowerStatus{});
    EXPECT_EQ(MacroDownloadResult(protocol_->DownloadMacros(store, {})), 0)
        << "the page's number for a mouse that is away";

    SetLinked(true);
    ClearFrames();
    EXPECT_TRUE(protocol_->IsOnline());
    EXPECT_EQ(Commands(), Bytes({0xAA}));
}

// The link check is the receiver's: a cable, or a channel not open, is not
// "online" and sends nothing.
TEST_F(MouseTest, LinkCheckOnTheCable) {
    EXPECT_FALSE(protocol_->IsOnline());
    channel_->SetOpen(false);
    EXPECT_FALSE(protocol_->IsOnline());
    ASSERT_NO_FATAL_FAILURE(Connect(true));
    channel_->SetOpen(false);
    EXPECT_FALSE(protocol_->IsOnline());
    EXPECT_TRUE(Frames().empty());
}

// Six bytes at 0; byte 3 says which link the host uses.
TEST_P(MouseLinkOnEachLink, PowerStatus) {
    WithFirmware([](vbus::CommandFirmware& f) { f.SetPowerStatus(64, 1, 0); });
    PowerStatus status{};
    ASSERT_EQ(protocol_->ReadPowerStatus(status), link::kSuccess);
    const uint8_t wireless = GetParam() == Link::kReceiver ? 1 : 0;
    EXPECT_EQ(status, (PowerStatus{64, 1, 0, wireless, 0, 0}));
    EXPECT_EQ(Commands(), Guarded({0x1A}));
    EXPECT_EQ(LengthsOf(0x1A), std::vector<int>{6});
}

// The four shipped tables: a block of 16 + 6 × 4 + 4 × 720 bytes, always in
// 56-byte frames (also through the receiver), kept by the mouse.
TEST_P(MouseLinkOnEachLink, RecoilTablesOnTheWire) {
    tirk::test::TempFolder folder;
    ASSERT_TRUE(folder.valid());
    RecoilTables tables(folder.path(), std::string(TIRK_RESOURCE_DIR) + "/DefaultData");
    for (int gun = 0; gun < kRecoilGuns; ++gun) ASSERT_TRUE(tables.Reset(gun).Ok());
    const RecoilBlock block = tables.BuildBlock();
    ASSERT_TRUE(block.result.Ok());
    ASSERT_EQ(block.bytes.size(), 2920u);

    ASSERT_EQ(protocol_->WriteRecoilTables(tables), link::kSuccess);
    std::vector<int> lengths(52, 56);
    lengths.push_back(2920 - 52 * 56);
    EXPECT_EQ(LengthsOf(0x17), lengths);
    EXPECT_EQ(DataOf(0x17), block.bytes);
    const Bytes memory = Memory(vbus::MemoryRegion::kRecoil);
    EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 2920), block.bytes);
    Bytes expected = {0x01};
    expected.insert(expected.end(), lengths.size(), 0x17);
    expected.push_back(0x02);
    EXPECT_EQ(Commands(), Guarded(expected));

    // A table that is no recoil file refuses the whole send.
    std::ofstream(tables.TablePath(1), std::ios::trunc) << "{ not json";
    ClearFrames();
    EXPECT_EQ(protocol_->WriteRecoilTables(tables), kRecoilTablesRefused);
    EXPECT_TRUE(Frames().empty());
}

TEST(MouseNotifications, Decoded) {
    using K = MouseEventKind;
    const MouseEvent cases[] = {
        {K::kNone, 0x0400, -1, -1},
        {K::kResync, 0x0401, -1, -1},
        {K::kResync, 0x0402, -1, -1},
        {K::kReactiveTrigger, 0x0403, -1, -1},
        {K::kIgnored, 0x0404, -1, -1},
        {K::kIgnored, 0x0502, -1, -1},
        {K::kSlot, 0x1003, 3, -1},
        {K::kSlot, 0x10F5, 5, -1},
        {K::kSlotAndActiveStage, 0x1123, 3, 2},
        {K::kSlotAndActiveStage, 0x11F7, 7, 15},
        {K::kIgnored, 0x1201, -1, -1},
        {K::kIgnored, 0xFFFF, -1, -1},
    };
    for (const MouseEvent& expected : cases)
        EXPECT_EQ(DecodeMouseNotification(expected.code), expected) << std::hex << expected.code;
}

// Slot and active stage follow the mouse's own switches, only while the
// channel is open; the answer says whether anything changed.
TEST_F(MouseTest, NotificationsChangeSlotAndStage) {
    ASSERT_NO_FATAL_FAILURE(StartDevice());
    const MouseSettingsState start = protocol_->Settings();
    ASSERT_EQ(start.slot, 0);
    ASSERT_EQ(start.activeStage, 2);
    struct Step {
        uint16_t code;
        bool changed;
        int slot, stage;
    };
    const Step steps[] = {
        {0x1003, true, 3, 2},  {0x1003, false, 3, 2}, {0x1143, true, 3, 4},
        {0x0401, false, 3, 4}, {0x0403, false, 3, 4}, {0x1201, false, 3, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.code);
        EXPECT_EQ(protocol_->ApplyNotification(s.code), s.changed);
        EXPECT_EQ(protocol_->Settings().slot, s.slot);
        EXPECT_EQ(protocol_->Settings().activeStage, s.stage);
    }
    channel_->SetOpen(false);
    EXPECT_FALSE(protocol_->ApplyNotification(0x1005));
    EXPECT_EQ(protocol_->Settings().slot, 3);
    EXPECT_TRUE(Frames().empty()) << "notifications are not answered";
}

// The page's worker and the status poll and listener may call one protocol
// at once: every exchange still succeeds and the kept state stays whole.
TEST_F(MouseTest, CallersOnSeveralThreads) {
    ASSERT_NO_FATAL_FAILURE(Connect(true));
    ASSERT_NO_FATAL_FAILURE(StartDevice());
    constexpr int kRounds = 20;
    int writes = 0, polls = 0;
    std::thread worker([&] {
        for (int i = 0; i < kRounds; ++i) {
            writes += protocol_->WriteKeyTable(test::FactoryKeyList(), 0) == link::kSuccess;
            writes += protocol_->ReadSettings() == link::kSuccess;
        }
    });
    std::thread poller([&] {
        for (int i = 0; i < kRounds; ++i) {
            PowerStatus status{};
            polls += protocol_->ReadPowerStatus(status) == link::kSuccess;
            protocol_->ApplyNotification(static_cast<uint16_t>(0x1100 | (i % 5) << 4));
            polls += protocol_->Keys().map[0] == 0;
        }
    });
    worker.join();
    poller.join();
    EXPECT_EQ(writes, 2 * kRounds);
    EXPECT_EQ(polls, 2 * kRounds);
    EXPECT_FALSE(InWriteSession());
}

INSTANTIATE_TEST_SUITE_P(Links, MouseLinkOnEachLink,
                         ::testing::Values(Link::kCable, Link::kReceiver), test::LinkLabel);

}  // namespace
}  // namespace tirk::mouse
