// The 71-byte settings record: what each profile value becomes on the wire,
// what a record read back becomes, and the frames of both on the cable and
// on the receiver.
#include <gtest/gtest.h>

#include "mouse_fixture.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_paths.h"

namespace tirk::mouse {
namespace {

using test::Bytes;
using test::Link;
using test::MouseTest;

class MouseSettingsOnEachLink : public test::MouseOnEachLink {};

// Mode i of the lighting defaults has code 0x40 + i, modes 0 … 13.
std::vector<uint8_t> ModeCodes(size_t count = 14) {
    std::vector<uint8_t> codes;
    for (size_t i = 0; i < count; ++i) codes.push_back(static_cast<uint8_t>(0x40 + i));
    return codes;
}

DpiStage Stage(uint8_t enabled, uint8_t xy, uint16_t x, uint16_t y, uint8_t r, uint8_t g,
               uint8_t b) {
    DpiStage stage;
    stage.enabled = enabled;
    stage.xy = xy;
    stage.SetDpiX(x);
    stage.SetDpiY(y);
    stage.red = r, stage.green = g, stage.blue = b;
    return stage;
}

CorrectPreset Preset(uint8_t pixThresh, uint8_t minSq, uint8_t select) {
    CorrectPreset preset;
    preset.pixThresh = pixThresh;
    preset.minSq = minSq;
    preset.select = select;
    return preset;
}

TEST(MouseSettingsRecord, ModeCodeRule) {
    struct Case {
        const char* what;
        int mode;
        std::vector<uint8_t> codes;
        uint8_t code;
    };
    const Case cases[] = {
        {"a listed mode", 3, ModeCodes(), 0x43},
        {"mode 11 is the last with its own code", 11, ModeCodes(), 0x4B},
        {"mode 12 goes as mode 0", 12, ModeCodes(), 0x40},
        {"mode 13 too, though listed", 13, ModeCodes(), 0x40},
        {"a mode the list lacks goes as mode 0", 7, ModeCodes(5), 0x40},
        {"no list at all", 2, {}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ModeCodeOf(c.mode, c.codes), c.code) << c.what;
}

TEST(MouseSettingsRecord, EveryByte) {
    MouseSettings values;
    values.light.selectItem = 2;
    values.light.light = 3;
    values.light.speed = 1;
    values.light.fx = 1;
    values.light.red = 0x10, values.light.green = 0x20, values.light.blue = 0x30;
    values.reportRate = 4;
    values.activeStage = 1;
    values.stages = {Stage(1, 0, 400, 400, 255, 0, 0), Stage(1, 1, 800, 1600, 0, 255, 0)};
    values.corrections = {Preset(4, 8, 0), Preset(8, 16, 2), Preset(9, 9, 1)};
    const SettingsTarget target{3, 0, 1, 2560, 1440};

    Bytes expected(kSettingsRecordSize, 0);
    const Bytes head = {0, 0x42, 3, 3, 1, 0, 0x10, 0x20, 0x30, 0, 0, 4, 1, 0};
    const Bytes stage0 = {1, 0, 0x90, 0x01, 0x90, 0x01, 255, 0, 0};
    const Bytes stage1 = {1, 1, 0x20, 0x03, 0x40, 0x06, 0, 255, 0};
    const Bytes tail = {1, 0x00, 0x0A, 0xA0, 0x05, 16, 8};  // bytes 59 … 65
    std::copy(head.begin(), head.end(), expected.begin());
    std::copy(stage0.begin(), stage0.end(), expected.begin() + 14);
    std::copy(stage1.begin(), stage1.end(), expected.begin() + 23);
    std::copy(tail.begin(), tail.end(), expected.begin() + 59);

    SettingsRecord record = EncodeSettingsRecord(values, target, ModeCodes());
    EXPECT_EQ(Bytes(record.begin(), record.end()), expected);

    values.corrections = {Preset(4, 8, 0)};
    values.light.speed = 9;
    record = EncodeSettingsRecord(values, target, ModeCodes());
    EXPECT_EQ(record[64], 0) << "no chosen correction";
    EXPECT_EQ(record[65], 0);
    EXPECT_EQ(record[3], 0) << "a speed above 4 goes as speed 4";
}

// The shipped default profile, sent to slot 0 for a 1920 × 1080 screen with
// the mouse's mode codes (0 … 11), is the record the virtual mouse leaves the
// factory with: a first start finds mouse and profile in agreement.
TEST_F(MouseTest, DefaultProfileIsTheFactoryRecord) {
    CMouseProfiledata profile;
    ASSERT_TRUE(profile.LoadDocument(DefaultProfilePath(TIRK_RESOURCE_DIR, "mouse")).isObject());
    const MouseSettings values = MouseSettingsOf(profile);
    EXPECT_EQ(values.reportRate, 3);
    EXPECT_EQ(values.activeStage, 2);
    EXPECT_EQ(values.stages.size(), 5u);
    protocol_->SetModeCodes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    ASSERT_EQ(protocol_->WriteSettings(values, {0, 0, 1, 1920, 1080}), link::kSuccess);
    const Bytes factory = Memory(vbus::MemoryRegion::kSettings);
    EXPECT_EQ(DataOf(0x06), Bytes(factory.begin() + 128, factory.begin() + 128 + 71))
        << "slot 1 still holds the factory record";
}

// The edge case of the record: five active stages without X-Y link at
// 400 … 6400 DPI, X at 16, 25, 34, 43, 52 and Y at 18, 27, 36, 45, 54,
// written to slot 2 (offset 256) in 56-byte or 24-byte chunks.
TEST_P(MouseSettingsOnEachLink, FiveStagesOnTheWire) {
    MouseSettings values;
    for (uint16_t dpi : {400, 800, 1600, 3200, 6400})
        values.stages.push_back(Stage(1, 0, dpi, dpi, 1, 2, 3));
    values.activeStage = 4;
    ASSERT_EQ(protocol_->WriteSettings(values, {2, 0, 1, 1920, 1080}), link::kSuccess);

    const std::vector<int> chunks = Chunks(kSettingsRecordSize);
    Bytes expected = {0x01};
    expected.insert(expected.end(), chunks.size(), 0x06);
    expected.push_back(0x02);
    EXPECT_EQ(Commands(), Guarded(expected));
    EXPECT_EQ(LengthsOf(0x06), chunks);
    std::vector<int> offsets;
    for (int at = 256, i = 0; i < int(chunks.size()); at += chunks[i++]) offsets.push_back(at);
    EXPECT_EQ(OffsetsOf(0x06), offsets);

    const Bytes data = DataOf(0x06);
    ASSERT_EQ(data.size(), kSettingsRecordSize);
    struct At {
        size_t x, y;
        uint16_t dpi;
    };
    const At stages[] = {
        {16, 18, 400}, {25, 27, 800}, {34, 36, 1600}, {43, 45, 3200}, {52, 54, 6400}};
    for (const At& s : stages) {
        SCOPED_TRACE(s.dpi);
        const Bytes dpi = {uint8_t(s.dpi & 0xFF), uint8_t(s.dpi >> 8)};
        EXPECT_EQ(Bytes(data.begin() + s.x, data.begin() + s.x + 2), dpi);
        EXPECT_EQ(Bytes(data.begin() + s.y, data.begin() + s.y + 2), dpi);
        EXPECT_EQ(data[s.x - 2], 1) << "active";
        EXPECT_EQ(data[s.x - 1], 0) << "X and Y not linked";
    }
    EXPECT_EQ(data[12], 4);
    const Bytes memory = Memory(vbus::MemoryRegion::kSettings);
    EXPECT_EQ(Bytes(memory.begin() + 256, memory.begin() + 256 + 71), data)
        << "the mouse keeps the record in slot 2";
}

// The current slot (1 byte at 0), then its record at slot × 128; a stage
// list shorter than five leaves the other stages zero.
TEST_P(MouseSettingsOnEachLink, ReadBack) {
    struct Case {
        const char* what;
        uint8_t modeCode, speedByte;
        int mode, speed;
    };
    const Case cases[] = {
        {"a listed code becomes its mode index", 0x45, 1, 5, 3},
        {"a code the list lacks stays as it is", 0x20, 4, 0x20, 0},
        {"a speed byte above 4 reads as speed 0", 0x40, 9, 0, 0},
    };
    protocol_->SetModeCodes(ModeCodes());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditMemory(vbus::MemoryRegion::kSettings, [&](Bytes& s) {
            s[0] = 3;
            const Bytes record = {7,    c.modeCode, 2,    c.speedByte, 1, 1, 0xA1,
                                  0xA2, 0xA3,       0x99, 0,           2, 4};
            std::copy(record.begin(), record.end(), s.begin() + 384);
        });
        ClearFrames();
        ASSERT_EQ(protocol_->ReadSettings(), link::kSuccess);
        EXPECT_EQ(Commands(), Guarded(Bytes(1 + Chunks(71).size(), 0x05)));
        std::vector<int> offsets = {0};
        for (int at = 384; at < 384 + 71; at += channel_->ChunkSize()) offsets.push_back(at);
        EXPECT_EQ(OffsetsOf(0x05), offsets);
        EXPECT_EQ(LengthsOf(0x05)[0], 1);

        MouseSettingsState state = protocol_->Settings();
        EXPECT_EQ(state.slot, 3);
        EXPECT_EQ(state.light.selectItem, c.mode);
        EXPECT_EQ(state.light.speed, c.speed);
        EXPECT_EQ(state.light.light, 2);
        EXPECT_EQ(state.light.fx, 0) << "the direction is not read back";
        EXPECT_EQ(state.light.multiColor, 1);
        EXPECT_EQ(Bytes({state.light.red, state.light.green, state.light.blue}),
                  Bytes({0xA1, 0xA2, 0xA3}));
        EXPECT_EQ(state.activeStage, 4);
        EXPECT_EQ(state.raw[9], 0) << "byte 9 is cleared in the kept record";
        EXPECT_EQ(state.raw[1], c.modeCode);
        EXPECT_EQ(channel_->Pause(), 0);
    }
}

// The record written over one link is what the other reads: one mouse.
TEST_P(MouseSettingsOnEachLink, WrittenRecordReadsBackOverTheOtherLink) {
    MouseSettings values;
    values.light.selectItem = 3;
    values.light.light = 1;
    values.light.speed = 4;
    values.activeStage = 2;
    values.stages = {Stage(1, 0, 400, 400, 0, 0, 0)};
    protocol_->SetModeCodes(ModeCodes());
    ASSERT_EQ(protocol_->WriteSettings(values, {0, 0, 1, 800, 600}), link::kSuccess);
    ASSERT_NO_FATAL_FAILURE(Connect(GetParam() == Link::kCable));
    protocol_->SetModeCodes(ModeCodes());
    EditMemory(vbus::MemoryRegion::kSettings, [](Bytes& s) { s[0] = 0; });
    ASSERT_EQ(protocol_->ReadSettings(), link::kSuccess);
    MouseSettingsState state = protocol_->Settings();
    EXPECT_EQ(state.light.selectItem, 3);
    EXPECT_EQ(state.light.light, 1);
    EXPECT_EQ(state.light.speed, 4);
    EXPECT_EQ(state.activeStage, 2);
    EXPECT_EQ(state.raw[60] | state.raw[61] << 8, 800);
}

INSTANTIATE_TEST_SUITE_P(Links, MouseSettingsOnEachLink,
                         ::testing::Values(Link::kCable, Link::kReceiver), test::LinkLabel);

}  // namespace
}  // namespace tirk::mouse
