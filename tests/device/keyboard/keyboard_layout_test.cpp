// The key tables read from the virtual keyboard and the position maps built
// from them: the exchange frame by frame, the maps for its ANSI layout, a key
// count too large for the table, placeholders, a failed read.
#include <gtest/gtest.h>

#include <set>

#include "keyboard_fixture.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;

TEST(KeyPositionTable, RowsAsListed) {
    struct Row {
        int position;
        AssignmentCode code;
    };
    const Row rows[] = {
        {0, {0x20, 0x00, 0x29}},   {9, {0x20, 0x00, 0x42}},   {15, {0x20, 0x00, 0x48}},
        {16, {0xA0, 0x1B, 0x00}},  {17, {0xA0, 0x11, 0x00}},  {18, {0x20, 0x00, 0x00}},
        {19, {0x20, 0x00, 0x00}},  {20, {0x20, 0x00, 0x00}},  {21, {0x20, 0x00, 0x35}},
        {62, {0x20, 0x00, 0x32}},  {79, {0x20, 0x00, 0x8A}},  {84, {0x20, 0x02, 0x00}},
        {95, {0x20, 0x20, 0x00}},  {100, {0x20, 0x00, 0x87}}, {104, {0x20, 0x00, 0x00}},
        {105, {0x20, 0x01, 0x00}}, {109, {0x20, 0x40, 0x00}}, {110, {0xA0, 0x01, 0x00}},
        {112, {0x20, 0x10, 0x00}}, {119, {0x20, 0x00, 0x57}}, {120, {0xD0, 0xA2, 0x01}},
        {124, {0xD0, 0xA2, 0x05}}, {125, {0x20, 0x80, 0x00}}, {126, {0x20, 0x00, 0x00}},
        {169, {0x20, 0x00, 0x00}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KeyPositionCodes()[row.position], row.code) << row.position;
    std::set<uint32_t> distinct;
    for (const AssignmentCode& code : KeyPositionCodes()) distinct.insert(code.Value());
    EXPECT_EQ(distinct.size(), 126u - 4u + 1u) << "every listed code once, one placeholder";
}

// BeginWrite, one information frame, six 56-byte key-code frames, two LED
// index frames, EndWrite.
TEST_F(KeyboardTest, ReadKeyTablesFrameByFrame) {
    ASSERT_EQ(protocol_->ReadKeyTables(), link::kSuccess);
    EXPECT_EQ(Commands(),
              Bytes({0x01, 0x03, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x1B, 0x1B, 0x02}));
    EXPECT_EQ(OffsetsOf(0x07), (std::vector<int>{0, 56, 112, 168, 224, 280}));
    EXPECT_EQ(FramesOf(0x07).back()[4], 56);
    EXPECT_EQ(OffsetsOf(0x1B), (std::vector<int>{0, 56}));
    EXPECT_EQ(channel_->TableSize(), test::kTableBytes);

    KeyTables tables = protocol_->Tables();
    EXPECT_TRUE(tables.read);
    EXPECT_EQ(tables.keyCount, test::kKeys);
    Bytes factory = Memory(vbus::MemoryRegion::kFactoryKeys);
    EXPECT_EQ(tables.defaultCodes, Bytes(factory.begin(), factory.begin() + test::kTableBytes));
    EXPECT_EQ(tables.ledIndices, Memory(vbus::MemoryRegion::kLightIndex));
}

// The virtual keyboard's own order starts with its media and lighting keys;
// its LED chain turns every 16 keys.
TEST_F(KeyboardTest, PositionMapsOfTheVirtualKeyboard) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    struct Case {
        const char* key;
        int position;
        int keyIndex;
        int led;
    };
    const Case cases[] = {
        {"Esc", 0, 7, 7},
        {"Scroll Lock (second LED run, reversed)", 14, 21, 26},
        {"lighting key A0 1B 00", 16, 5, 5},
        {"Caps Lock", 63, 64, 64},
        {"A", 64, 65, 65},
        {"left Shift", 84, 80, 95},
        {"Fn A0 01 00", 110, 101, 101},
        {"media key 1", 120, 0, 0},
        {"right Win", 125, 111, 111},
        {"ISO key 20 00 32: not on an ANSI board", 62, kNoKey, kNoKey},
        {"international key 20 00 87", 100, kNoKey, kNoKey},
        {"placeholder", 18, kNoKey, kNoKey},
        {"placeholder 104", 104, kNoKey, kNoKey},
        {"placeholder 169", 169, kNoKey, kNoKey},
    };
    KeyTables tables = protocol_->Tables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(tables.maps.key[c.position], c.keyIndex);
        EXPECT_EQ(tables.maps.led[c.position], c.led);
    }
    std::set<int> keys;
    for (uint8_t key : tables.maps.key)
        if (key != kNoKey) keys.insert(key);
    EXPECT_EQ(keys.size(), size_t(test::kKeys)) << "every key on one position";
    EXPECT_EQ(protocol_->PositionOfKey(65), 64);
    EXPECT_EQ(protocol_->PositionOfKey(200), -1);
}

// The same read against a keyboard that lets one report per 1 ms interval
// through each way: eleven requests, each answered in a later interval.
TEST_F(KeyboardTest, ReadKeyTablesOverUsbTiming) {
    ASSERT_NO_FATAL_FAILURE(VdevOk("timing keyboard usb"));
    ASSERT_EQ(protocol_->ReadKeyTables(), link::kSuccess);
    EXPECT_EQ(protocol_->Tables().keyCount, test::kKeys);
    WithKeyboard([&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) {
        const std::vector<int64_t>& out = f.Intervals().OutIntervals();
        const std::vector<int64_t>& in = f.Intervals().InIntervals();
        ASSERT_EQ(out.size(), 11u);
        ASSERT_EQ(in.size(), 11u);
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_GT(in[i], out[i]) << i;
            if (i > 0) {
                EXPECT_GT(out[i], out[i - 1]) << i;
            }
        }
    });
}

// A keyboard reporting 171 keys (a 513-byte table): the session is closed,
// the tables, the maps and the channel's table size stay as they were.
TEST_F(KeyboardTest, KeyCountTooLargeKeepsTheTables) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    const KeyTables before = protocol_->Tables();
    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) { info[5] = 171; });

    EXPECT_EQ(protocol_->ReadKeyTables(), kKeyTableTooLarge);
    EXPECT_EQ(Commands(), Bytes({0x01, 0x03, 0x02}));
    KeyTables after = protocol_->Tables();
    EXPECT_EQ(after.keyCount, before.keyCount);
    EXPECT_EQ(after.defaultCodes, before.defaultCodes);
    EXPECT_EQ(after.maps, before.maps);
    EXPECT_EQ(channel_->TableSize(), test::kTableBytes);
    bool sessionOpen = true;
    WithKeyboard(
        [&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { sessionOpen = f.InWriteSession(); });
    EXPECT_FALSE(sessionOpen);

    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) { info[5] = 170; });
    EditMemory(vbus::MemoryRegion::kLightIndex, [](Bytes& leds) { leds.resize(170, 0); });
    EXPECT_EQ(protocol_->ReadKeyTables(), link::kSuccess) << "170 keys fill 510 bytes";
    EXPECT_EQ(protocol_->Tables().keyCount, 170);
}

// Two keys of the keyboard carry 20 00 00: every placeholder position maps to
// the first of them.
TEST_F(KeyboardTest, PlaceholderPositionsShareTheFirstSuchKey) {
    EditMemory(vbus::MemoryRegion::kFactoryKeys, [](Bytes& keys) {
        for (int key : {3, 9}) keys[3 * key] = 0x20, keys[3 * key + 1] = 0, keys[3 * key + 2] = 0;
    });
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    KeyTables tables = protocol_->Tables();
    const uint8_t led3 = tables.ledIndices[3];
    std::vector<int> placeholders = {18, 19, 20, 104};
    for (int p = 126; p < kPositionCount; ++p) placeholders.push_back(p);
    for (int p : placeholders) {
        EXPECT_EQ(tables.maps.key[p], 3) << p;
        EXPECT_EQ(tables.maps.led[p], led3) << p;
    }
    EXPECT_EQ(tables.maps.key[123], kNoKey) << "media key 4 (key 3) was replaced";
    EXPECT_EQ(tables.maps.key[0], 7) << "other keys unchanged";
}

// A read that fails half-way keeps the tables and still closes the session.
TEST_F(KeyboardTest, FailedReadKeepsTheTables) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    const KeyTables before = protocol_->Tables();
    EditMemory(vbus::MemoryRegion::kLightIndex, [](Bytes& leds) { leds[0] = 99; });
    vbus::FaultPlan fault;
    fault.kind = vbus::FaultKind::kStatus;
    fault.status = 0xFE;
    fault.remaining = 1;
    fault.after = 8;  // BeginWrite, info, six key frames; the first LED frame fails
    Device(test::kCable).SetFault(fault);

    EXPECT_EQ(protocol_->ReadKeyTables(), link::kDeviceStatusFE);
    EXPECT_EQ(Commands(), Bytes({0x01, 0x03, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x1B, 0x02}));
    EXPECT_EQ(protocol_->Tables().ledIndices, before.ledIndices);
    EXPECT_EQ(protocol_->Tables().maps, before.maps);
}

}  // namespace
}  // namespace tirk::keyboard
