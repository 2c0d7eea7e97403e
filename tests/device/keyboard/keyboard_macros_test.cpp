// Macro download and key assignments: the block layout, the 1024-byte limit
// and its overflow count, the slot numbering shared by the block and the key
// table, assignments to macros that no longer exist.
#include <gtest/gtest.h>
#include <json/value.h>

#include "keyboard_fixture.h"
#include "support/temp_folder.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;

// Positions with keys on the virtual keyboard and their key indices.
struct Key {
    int position;
    int keyIndex;
};
constexpr Key kEsc{0, 7}, kA{64, 65}, kCaps{63, 64}, kF1{1, 8}, kSpace{108, 99};

Json::Value Event(int button, const char* action, int delay) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = std::to_string(delay);
    event["Type"] = 10;
    return event;
}

class KeyboardMacros : public KeyboardTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(KeyboardTest::SetUp());
        ASSERT_TRUE(folder_.valid());
        ASSERT_NO_FATAL_FAILURE(StartDevice());
    }

    // Adds one macro per entry of `eventCounts`; macro i's events press
    // usage 4 + i, each with delay 10 × (j + 1), so its bytes tell it apart.
    void AddMacros(const std::vector<int>& eventCounts) { AddMacrosTo(store_, eventCounts); }
    static void AddMacrosTo(MacroStore& store, const std::vector<int>& eventCounts) {
        for (size_t i = 0; i < eventCounts.size(); ++i) {
            MacroResult added = store.AddMacro();
            ASSERT_TRUE(added.Ok()) << added.detail;
            std::vector<Json::Value> events;
            for (int j = 0; j < eventCounts[i]; ++j)
                events.push_back(Event(int(4 + i), j % 2 ? "up" : "down", 10 * (j + 1)));
            ASSERT_TRUE(store.SaveEvents(added.index, events).Ok());
        }
    }

    tirk::test::TempFolder folder_;
    MacroStore store_{folder_.path()};
    std::vector<KeyListEntry> list_ = test::FactoryKeyList();
};

TEST(MacroBlock, LayoutOfTwoMacros) {
    std::vector<std::vector<PackedMacroEvent>> macros = {
        {{0x32, 0x00, 0x8A, 0x04}, {0x10, 0x01, 0x0A, 0x04}},
        {},
    };
    const Bytes expected = {
        0xAA, 0x55, 36, 0, 2,    0,    0,    0,    0,    0,    0,    0,     // header
        0,    0,    0,  0, 20,   0,    32,   0,                             // offsets 20, 32
        2,    0,    0,  0, 0x32, 0x00, 0x8A, 0x04, 0x10, 0x01, 0x0A, 0x04,  // macro 0
        0,    0,    0,  0,                                                  // macro 1
    };
    EXPECT_EQ(BuildMacroBlock(macros), expected);
}

// The limit counts 16 + 6 per macro + 4 per event against 1024 bytes; over
// it, nothing is sent and the overflow is ((size − 1024) >> 2) + 1.
TEST_F(KeyboardMacros, DownloadLimit) {
    struct Case {
        const char* what;
        std::vector<int> events;
        size_t size;
        int result;
        int overflow;
    };
    const Case cases[] = {
        {"exactly 1024 bytes", {125, 124}, 1024, link::kSuccess, 0},
        {"two bytes over", {251}, 1026, kMacroBlockTooLarge, 1},
        {"100, 100 and 56 events", {100, 100, 56}, 1058, kMacroBlockTooLarge, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tirk::test::TempFolder folder;
        MacroStore store(folder.path());
        ASSERT_NO_FATAL_FAILURE(AddMacrosTo(store, c.events));
        std::vector<int> used;
        for (size_t i = 0; i < c.events.size(); ++i) used.push_back(int(i));
        ClearFrames();
        MacroDownloadOutcome outcome = protocol_->DownloadMacros(store, used);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.overflow, c.overflow);
        EXPECT_EQ(outcome.size, c.size);
        EXPECT_EQ(FramesOf(0x15).size(), c.overflow == 0 ? (c.size + 55) / 56 : 0u);
        EXPECT_EQ(outcome.sent, c.overflow == 0);
    }
}

// A block too large ends the profile push before the key table: the keyboard
// never holds assignments to macros it does not have.
TEST_F(KeyboardMacros, OverflowSendsNoKeyTable) {
    ASSERT_NO_FATAL_FAILURE(AddMacros({100, 100, 56}));
    for (auto [key, macro] : {std::pair{kEsc, 0}, {kA, 1}, {kF1, 2}}) {
        list_[key.position].current.code = {0x70, uint8_t(macro), 0};
    }
    PushOutcome outcome = protocol_->PushProfile(list_, store_);
    EXPECT_EQ(outcome.failedStep, PushStep::kMacros);
    EXPECT_EQ(outcome.result, kMacroBlockTooLarge);
    EXPECT_EQ(outcome.overflow, 9);
    EXPECT_EQ(Commands(), Bytes({0x01, 0x06, 0x02})) << "the settings only";
}

// With no macro used nothing goes to the macro memory, and the key table is
// still written.
TEST_F(KeyboardMacros, NoMacrosUsedStillWritesTheKeys) {
    ASSERT_NO_FATAL_FAILURE(AddMacros({3, 3}));
    MacroDownloadOutcome outcome = protocol_->DownloadMacros(store_, {});
    EXPECT_EQ(outcome.result, link::kSuccess);
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(Frames().empty());

    list_[kA.position].current.code = {0x20, 0x00, 0x05};  // A sends B
    PushOutcome pushed = protocol_->PushProfile(list_, store_);
    EXPECT_TRUE(pushed.Ok()) << int(pushed.failedStep) << " " << pushed.result;
    EXPECT_EQ(Commands(),
              Bytes({0x01, 0x06, 0x02, 0x03, 0x01, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x02}));
    Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
    EXPECT_EQ(test::KeyCodeAt(table, kA.keyIndex), Bytes({0x20, 0x00, 0x05}));
    EXPECT_EQ(test::KeyCodeAt(table, kEsc.keyIndex), Bytes({0x20, 0x00, 0x29}));
    Bytes expected = Memory(vbus::MemoryRegion::kFactoryKeys);
    expected.resize(test::kTableBytes);
    expected[3 * kA.keyIndex + 2] = 0x05;
    EXPECT_EQ(Bytes(table.begin(), table.begin() + test::kTableBytes), expected)
        << "keys without an assignment keep their factory code";
}

// Five macros; keys in position order assigned to macros 4, 1, 4, 2: the
// block holds macros 4, 1, 2 as slots 0, 1, 2 and the keys carry 0, 1, 0, 2.
TEST_F(KeyboardMacros, SlotNumbering) {
    ASSERT_NO_FATAL_FAILURE(AddMacros({1, 2, 3, 4, 5}));
    const std::pair<Key, int> assigned[] = {{kEsc, 4}, {kF1, 1}, {kCaps, 4}, {kA, 2}};
    for (auto [key, macro] : assigned) list_[key.position].current.code = {0x71, uint8_t(macro), 0};
    list_[kSpace.position].current.code = {0x70, 7, 0};  // macro 7 does not exist

    EXPECT_EQ(protocol_->CollectUsedMacros(list_, 5), (std::vector<int>{4, 1, 2}));
    PushOutcome outcome = protocol_->PushProfile(list_, store_);
    ASSERT_TRUE(outcome.Ok()) << int(outcome.failedStep) << " " << outcome.result;

    Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
    const std::pair<Key, int> slots[] = {{kEsc, 0}, {kF1, 1}, {kCaps, 0}, {kA, 2}};
    for (auto [key, slot] : slots)
        EXPECT_EQ(test::KeyCodeAt(table, key.keyIndex), Bytes({0x71, uint8_t(slot), 0}))
            << "position " << key.position;
    EXPECT_EQ(test::KeyCodeAt(table, kSpace.keyIndex), Bytes({0x20, 0x00, 0x2C}))
        << "a missing macro's key gets its default";
    EXPECT_EQ(list_[kSpace.position].current.code, (AssignmentCode{0x70, 7, 0}))
        << "the profile's list is not changed";

    // Macro m has m + 1 events pressing usage 4 + m: slot s holds macro 4, 1, 2.
    Bytes block = Memory(vbus::MemoryRegion::kMacros);
    const size_t size = 16 + 6 * 3 + 4 * (5 + 2 + 3);
    EXPECT_EQ(DataOf(0x15), Bytes(block.begin(), block.begin() + size));
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), Bytes({0xAA, 0x55, uint8_t(size), 0, 3, 0}));
    const int slotMacros[] = {4, 1, 2};
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        size_t at = block[16 + 2 * s] | block[17 + 2 * s] << 8;
        int macro = slotMacros[s];
        EXPECT_EQ(block[at], macro + 1) << "event count";
        EXPECT_EQ(Bytes(block.begin() + at + 4, block.begin() + at + 8),
                  Bytes({10, 0, 0x8A, uint8_t(4 + macro)}))
            << "first event: 10 ms, key down, usage";
    }
}

}  // namespace
}  // namespace tirk::keyboard
