// Key table writes and macros: the device macro numbering shared by the
// block and the key table, assignments to macros that no longer exist, the
// macro memory the mouse reports and the count over it, the bank rule.
#include <gtest/gtest.h>

#include "mouse_fixture.h"
#include "support/macro_events.h"
#include "support/temp_folder.h"

namespace tirk::mouse {
namespace {

using test::Bytes;
using test::Link;

// Standard functions and where the virtual mouse has their keys.
struct Button {
    int function;
    int position;
};
constexpr Button kRight{1, 1}, kBack{4, 3}, kExtra{8, 8}, kLast{9, 9};

class MouseMacros : public test::MouseOnEachLink {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(test::MouseOnEachLink::SetUp());
        ASSERT_TRUE(folder_.valid());
        ASSERT_NO_FATAL_FAILURE(StartDevice());
    }

    // One macro per entry of `eventCounts`; macro i's events press button
    // 1 << i with delays 5, 10, … so its bytes tell it apart.
    void AddMacros(const std::vector<int>& eventCounts) {
        for (size_t i = 0; i < eventCounts.size(); ++i) {
            MacroResult added = store_.AddMacro();
            ASSERT_TRUE(added.Ok()) << added.detail;
            std::vector<Json::Value> events;
            for (int j = 0; j < eventCounts[i]; ++j)
                events.push_back(tirk::test::MacroEvent(j % 2 ? "up" : "down", 1 << i,
                                                        std::to_string(5 * (j + 1)), 1));
            ASSERT_TRUE(store_.SaveEvents(added.index, events).Ok());
        }
    }

    void Assign(const Button& button, uint8_t kind, uint8_t macro) {
        list_[button.function].current.code = {kind, macro, 0};
    }

    /// Commands of the information read on this link.
    Bytes InfoRead() const { return Bytes(Chunks(34).size(), 0x03); }

    /// `a` followed by `b`.
    static Bytes Then(Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    tirk::test::TempFolder folder_;
    MacroStore store_{folder_.path()};
    std::vector<KeyListEntry> list_ = test::FactoryKeyList();
};

// The edge case: two buttons with the same macro give one entry in the block
// and the same device macro number in both key entries. Macros 2 (right and
// the extra key) and 0 (back, repeated) become device macros 0 and 1.
TEST_P(MouseMacros, SameMacroOnTwoButtons) {
    ASSERT_NO_FATAL_FAILURE(AddMacros({2, 3, 4}));
    Assign(kRight, 0x70, 2);
    Assign(kBack, 0x71, 0);
    Assign(kExtra, 0x70, 2);
    Assign(kLast, 0x70, 5);  // macro 5 does not exist: the function's default goes out

    const std::vector<int> used = protocol_->CollectUsedMacros(list_, 3);
    ASSERT_EQ(used, (std::vector<int>{2, 0}));

    MacroDownloadOutcome macros = protocol_->DownloadMacros(store_, used);
    EXPECT_EQ(macros.result, link::kSuccess);
    EXPECT_EQ(MacroDownloadResult(macros), 0);
    const size_t size = 16 + 6 * 2 + 4 * (4 + 2);
    EXPECT_EQ(macros.size, size);
    Bytes writes = {0x01};
    writes.insert(writes.end(), Chunks(int(size)).size(), 0x15);
    writes.push_back(0x02);
    EXPECT_EQ(Commands(), Then(Guarded(InfoRead()), Guarded(writes)));
    EXPECT_EQ(LengthsOf(0x15), Chunks(int(size)));

    const Bytes block = Memory(vbus::MemoryRegion::kMacros);
    EXPECT_EQ(DataOf(0x15), Bytes(block.begin(), block.begin() + size));
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), Bytes({0xAA, 0x55, uint8_t(size), 0, 2, 0}))
        << "one entry per macro, not per button";
    const int deviceMacros[] = {2, 0};
    for (int d = 0; d < 2; ++d) {
        SCOPED_TRACE("device macro " + std::to_string(d));
        const size_t at = block[16 + 2 * d] | block[17 + 2 * d] << 8;
        const int macro = deviceMacros[d];
        EXPECT_EQ(block[at], macro + 2) << "event count";
        EXPECT_EQ(Bytes(block.begin() + at + 4, block.begin() + at + 8),
                  Bytes({5, 0, 0x81, uint8_t(1 << macro)}))
            << "first event: 5 ms, button down";
    }

    ClearFrames();
    ASSERT_EQ(protocol_->WriteKeyTable(list_, 3), link::kSuccess);
    const std::vector<int> table = Chunks(33);
    Bytes keyWrites = {0x01};
    keyWrites.insert(keyWrites.end(), table.size(), 0x09);
    keyWrites.push_back(0x02);
    EXPECT_EQ(Commands(), Guarded(Then(InfoRead(), keyWrites)));
    EXPECT_EQ(LengthsOf(0x09), table);

    const Bytes keys = Memory(vbus::MemoryRegion::kKeyTable);
    Bytes expected = Memory(vbus::MemoryRegion::kFactoryKeys);
    expected.resize(33);
    const std::pair<Button, Bytes> entries[] = {
        {kRight, {0x70, 0, 0}}, {kExtra, {0x70, 0, 0}}, {kBack, {0x71, 1, 0}}};
    for (const auto& [button, entry] : entries)
        std::copy(entry.begin(), entry.end(), expected.begin() + 3 * button.position);
    EXPECT_EQ(Bytes(keys.begin(), keys.begin() + 33), expected) << "the other keys as read";
    EXPECT_EQ(test::EntryAt(keys, kLast.position), Bytes({0x16, 0x90, 0x01}));
    EXPECT_EQ(list_[kLast.function].current.code, (AssignmentCode{0x70, 5, 0}))
        << "the profile's list is not changed";
}

// The block against the macro memory the mouse reports (here one unit, 128
// bytes): 16 + 6 + 4 × 30 = 142 bytes is ((142 − 128) >> 2) + 1 = 4 events
// too many. Only the information is read; nothing is written.
TEST_P(MouseMacros, BlockOverTheMemoryIsNotSent) {
    ASSERT_NO_FATAL_FAILURE(AddMacros({30}));
    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) { info[kInfoMacroUnits] = 1; });
    MacroDownloadOutcome outcome = protocol_->DownloadMacros(store_, {0});
    EXPECT_EQ(outcome.result, kMacroBlockTooLarge);
    EXPECT_EQ(outcome.overflow, 4);
    EXPECT_EQ(MacroDownloadResult(outcome), 4);
    EXPECT_EQ(Commands(), Guarded(InfoRead()));

    ClearFrames();
    ASSERT_NO_FATAL_FAILURE(AddMacros({26}));  // 16 + 6 + 104 = 126 bytes fit
    outcome = protocol_->DownloadMacros(store_, {1});
    EXPECT_EQ(outcome.result, link::kSuccess);
    EXPECT_EQ(FramesOf(0x15).size(), Chunks(126).size());
}

// With no macro in use the mouse still gets a block, one without entries.
TEST_P(MouseMacros, NoMacrosSendAnEmptyBlock) {
    MacroDownloadOutcome outcome = protocol_->DownloadMacros(store_, {});
    EXPECT_EQ(outcome.result, link::kSuccess);
    EXPECT_EQ(DataOf(0x15), Bytes({0xAA, 0x55, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Refused before anything is sent: a bank other than 0, a key table never
// read, a mouse that now reports another key count.
TEST_P(MouseMacros, KeyTableRefusals) {
    EXPECT_EQ(protocol_->WriteKeyTable(list_, 0, 1), link::kBankNotZero);
    EXPECT_TRUE(Frames().empty());

    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) { info[kInfoKeyCount] = 10; });
    EXPECT_EQ(protocol_->WriteKeyTable(list_, 0), kKeyTableUnknown);
    EXPECT_EQ(Commands(), Guarded(InfoRead()));

    ClearFrames();
    MouseProtocol fresh(*channel_);
    EXPECT_EQ(fresh.WriteKeyTable(list_, 0), kKeyTableUnknown);
    EXPECT_TRUE(Frames().empty());
}

TEST(MacroDownloadResult, ThePagesNumber) {
    struct Case {
        const char* what;
        MacroDownloadOutcome outcome;
        int number;
    };
    const Case cases[] = {
        {"sent", {link::kSuccess, 0, 40, true}, 0},
        {"too large: the overflow", {kMacroBlockTooLarge, 7, 200, false}, 7},
        {"link or information failed first", {link::kNoAnswer, 0, 0, false}, 0},
        {"the write step's link check failed", {link::kNoAnswer, 0, 40, true}, -1},
        {"a write failed", {link::kDeviceStatusFF, 0, 40, true}, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(MacroDownloadResult(c.outcome), c.number) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Links, MouseMacros, ::testing::Values(Link::kCable, Link::kReceiver),
                         test::LinkLabel);

}  // namespace
}  // namespace tirk::mouse
