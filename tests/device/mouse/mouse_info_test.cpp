// The device information: the DPI scale both ways, the key count limit, the
// key table and the standard functions found in it, read over the cable and
// over the receiver.
#include <gtest/gtest.h>

#include "mouse_fixture.h"

namespace tirk::mouse {
namespace {

using test::Bytes;
using test::Link;

class MouseInfoOnEachLink : public test::MouseOnEachLink {};

// The sensor with the split scale, minimum 100, 50 DPI per step.
constexpr MouseInfo kSplit{11, 2048, kSplitScaleSensor, 50, 85, 100};
// Any other sensor with the same numbers.
constexpr MouseInfo kPlain{11, 2048, 3389, 50, 85, 100};

TEST(DpiScale, SliderToDpi) {
    struct Case {
        const char* what;
        MouseInfo info;
        int slider;
        int dpi;
    };
    const Case cases[] = {
        {"slider 0 is the minimum", kSplit, 0, 100},
        {"slider 48 is the last 50-DPI step", kSplit, 48, 2500},
        {"slider 49 adds 200", kSplit, 49, 2700},
        {"slider 50 adds 400", kSplit, 50, 2900},
        {"another sensor stays on its step", kPlain, 50, 2600},
        {"the virtual mouse's top", {11, 2048, kSplitScaleSensor, 50, 85, 200}, 85, 10000},
    };
    for (const Case& c : cases) EXPECT_EQ(DpiOfSlider(c.info, c.slider), c.dpi) << c.what;
}

// The typed DPI's slider value as the mouse page computes it: the split scale
// counts from slider 48's DPI, so a typed DPI comes back as the slider value
// that shows it (docs/mouse-protocol.md).
TEST(DpiScale, DpiTextToSlider) {
    struct Case {
        const char* what;
        MouseInfo info;
        const char* text;
        int slider;
    };
    const Case cases[] = {
        {"empty counts as 0, below the minimum", kSplit, "", 0},
        {"below the minimum counts as the minimum", kSplit, "60", 0},
        {"2500 is slider 48", kSplit, "2500", 48},
        {"integer division", kSplit, "2549", 48},
        {"2900 is slider 50", kSplit, "2900", 50},
        {"between two steps of 200, the lower", kSplit, "3099", 50},
        {"5300 in steps of 200 from 2500", kSplit, "5300", 62},
        {"another sensor never splits", kPlain, "5300", 104},
        {"leading digits only", kSplit, " 1600dpi", 30},
        {"no digits is 0", kSplit, "dpi", 0},
        {"a negative number is below the minimum", kSplit, "-400", 0},
        {"a step of 0 gives 0", {11, 0, 0, 0, 0, 100}, "800", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SliderOfDpiText(c.info, c.text), c.slider) << c.what;
}

// Every slider value's DPI, typed, comes back as that value on both scales.
TEST(DpiScale, TypedDpiRoundTrip) {
    for (const MouseInfo& info : {kSplit, kPlain})
        for (int v = 0; v <= 255; ++v)
            EXPECT_EQ(SliderOfDpiText(info, std::to_string(DpiOfSlider(info, v))), v) << v;
}

TEST(StandardFunctionMap, FirstMatchWinsAndMissingIs170) {
    Bytes table(3 * 12, 0);
    auto put = [&](int key, const AssignmentCode& code) {
        table[3 * key] = code.kind, table[3 * key + 1] = code.p1, table[3 * key + 2] = code.p2;
    };
    for (int f = 0; f < kStandardFunctions; ++f) put(10 - f, StandardFunctionEntries()[f]);
    put(11, StandardFunctionEntries()[0]);  // a second left button
    put(4, {0x20, 0x00, 0x04});             // function 6's key is an A key
    StandardFunctionMap map = BuildStandardFunctionMap(table);
    const StandardFunctionMap expected = {10, 9, 8, 7, 6, 5, kNoPosition, 3, 2, 1, 0};
    EXPECT_EQ(map, expected);
}

// Information and key table in one write session, the information in one
// 34-byte frame on the cable and 24 + 10 on the receiver; the key table
// 3 × 11 bytes. The virtual mouse has back and forward the other way round
// than the standard functions.
TEST_P(MouseInfoOnEachLink, KeyTableAndStandardFunctions) {
    ASSERT_EQ(protocol_->ReadKeyTable(), link::kSuccess);
    const std::vector<int> info = Chunks(34), table = Chunks(33);
    Bytes expected = {0x01};
    expected.insert(expected.end(), info.size(), 0x03);
    expected.insert(expected.end(), table.size(), 0x07);
    expected.push_back(0x02);
    EXPECT_EQ(Commands(), Guarded(expected));
    EXPECT_EQ(LengthsOf(0x03), info);
    EXPECT_EQ(LengthsOf(0x07), table);
    EXPECT_EQ(channel_->TableSize(), 33);

    MouseKeys keys = protocol_->Keys();
    EXPECT_TRUE(keys.read);
    Bytes factory = Memory(vbus::MemoryRegion::kFactoryKeys);
    EXPECT_EQ(keys.table, Bytes(factory.begin(), factory.begin() + 33));
    EXPECT_EQ(keys.map, (StandardFunctionMap{0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(keys.info, (MouseInfo{11, 2048, kSplitScaleSensor, 50, 85, 200}));
}

// The edge case of the split scale, with the numbers the mouse reports: the
// stage set to slider 50 goes out as 2900 DPI.
TEST_P(MouseInfoOnEachLink, SplitScaleOfTheMouseItReports) {
    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) {
        info[kInfoMinimumDpi] = 100, info[kInfoMinimumDpi + 1] = 0;
        info[kInfoDpiStep] = 50;
    });
    ASSERT_EQ(protocol_->ReadKeyTable(), link::kSuccess);
    const MouseInfo info = protocol_->Info();
    EXPECT_EQ(DpiOfSlider(info, 48), 2500);
    EXPECT_EQ(DpiOfSlider(info, 50), 2900);
    EXPECT_EQ(SliderOfDpiText(info, "2500"), 48);

    MouseSettings values;
    DpiStage stage;
    stage.enabled = 1;
    stage.SetDpiX(static_cast<uint16_t>(DpiOfSlider(info, 50)));
    stage.SetDpiY(static_cast<uint16_t>(DpiOfSlider(info, 48)));
    values.stages = {stage};
    ClearFrames();
    ASSERT_EQ(protocol_->WriteSettings(values, {}), link::kSuccess);
    Bytes data = DataOf(0x06);
    ASSERT_EQ(data.size(), kSettingsRecordSize);
    EXPECT_EQ(Bytes(data.begin() + 16, data.begin() + 20), Bytes({0x54, 0x0B, 0xC4, 0x09}))
        << "2900 and 2500, little-endian";
}

// N = 171 needs 513 bytes: refused after the information, nothing further
// read, the session closed, the table size and what was kept as they were.
TEST_P(MouseInfoOnEachLink, KeyCountOf171IsRefused) {
    ASSERT_EQ(protocol_->ReadKeyTable(), link::kSuccess);
    const MouseKeys before = protocol_->Keys();
    EditMemory(vbus::MemoryRegion::kDeviceInfo, [](Bytes& info) { info[kInfoKeyCount] = 171; });
    ClearFrames();
    EXPECT_EQ(protocol_->ReadKeyTable(), kKeyTableTooLarge);
    Bytes expected = {0x01};
    expected.insert(expected.end(), Chunks(34).size(), 0x03);
    expected.push_back(0x02);
    EXPECT_EQ(Commands(), Guarded(expected));
    EXPECT_EQ(channel_->TableSize(), 33);
    EXPECT_EQ(protocol_->Keys(), before);
    EXPECT_FALSE(InWriteSession());
}

INSTANTIATE_TEST_SUITE_P(Links, MouseInfoOnEachLink,
                         ::testing::Values(Link::kCable, Link::kReceiver), test::LinkLabel);

}  // namespace
}  // namespace tirk::mouse
