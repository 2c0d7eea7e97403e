// Per-key colours on the keyboard: live frames (only in modes 29 and 30),
// custom colour groups at group × 512, and the power status.
#include <gtest/gtest.h>

#include "keyboard_fixture.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;

// Esc (position 0, LED 7), A (64, LED 65), left Shift (84, LED 95).
struct Lit {
    int position;
    int led;
    CustomLightColor colour;
};
const Lit kLit[] = {
    {0, 7, {200, 100, 50, 128}},
    {64, 65, {255, 255, 255, 255}},
    {84, 95, {10, 20, 30, 0}},
};

std::vector<CustomLightColor> Colours() {
    std::vector<CustomLightColor> colours(kPositionCount);
    for (const Lit& lit : kLit) colours[lit.position] = lit.colour;
    colours[62] = {1, 2, 3, 255};  // an ISO key the keyboard does not have
    return colours;
}

TEST(AlphaScaling, HighByteOfTheProduct) {
    struct Case {
        uint8_t channel, alpha, scaled;
    };
    const Case cases[] = {
        {200, 128, 100}, {255, 255, 254}, {255, 0, 0}, {1, 255, 0}, {100, 200, 78}};
    for (const Case& c : cases)
        EXPECT_EQ(ScaleByAlpha(c.channel, c.alpha), c.scaled)
            << int(c.channel) << " " << int(c.alpha);
}

// Modes other than 29 and 30 send nothing; those two stream N × 3 bytes, LED
// index l at l × 3, each channel scaled by the key's alpha.
TEST_F(KeyboardTest, LiveFramesOnlyInModes29And30) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    Bytes expected(test::kTableBytes, 0);
    for (const Lit& lit : kLit) {
        expected[3 * lit.led] = ScaleByAlpha(lit.colour.red, lit.colour.alpha);
        expected[3 * lit.led + 1] = ScaleByAlpha(lit.colour.green, lit.colour.alpha);
        expected[3 * lit.led + 2] = ScaleByAlpha(lit.colour.blue, lit.colour.alpha);
    }
    ASSERT_EQ(Bytes(expected.begin() + 21, expected.begin() + 24), Bytes({100, 50, 25}));
    struct Case {
        int mode;
        bool streams;
    };
    const Case cases[] = {{0, false}, {20, false}, {28, false},
                          {29, true}, {30, true},  {31, false}};
    size_t framesBefore = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        LightInfoRecord light;
        light.selectItem = static_cast<uint8_t>(c.mode);
        protocol_->SetLightValues(light);
        ClearFrames();
        EXPECT_EQ(protocol_->SendLightFrame(Colours()), link::kSuccess);
        EXPECT_EQ(FramesOf(0x12).size(), c.streams ? 6u : 0u);
        EXPECT_EQ(Frames().size(), FramesOf(0x12).size()) << "nothing else";
        std::vector<Bytes> frames;
        WithKeyboard(
            [&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { frames = f.LiveFrames(); });
        ASSERT_EQ(frames.size(), framesBefore + (c.streams ? 1 : 0));
        framesBefore = frames.size();
        if (c.streams) {
            EXPECT_EQ(frames.back(), expected);
        }
    }
}

// A group is written at group × 512 without alpha (or with it, for a
// profile's re-application) and read back into the per-position colours;
// alpha and positions without an LED are left alone.
TEST_F(KeyboardTest, CustomColourGroupRoundTrip) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    ASSERT_EQ(protocol_->WriteCustomColours(2, Colours(), AlphaScaling::kNone), link::kSuccess);
    EXPECT_EQ(OffsetsOf(0x0B), (std::vector<int>{1024, 1080, 1136, 1192, 1248, 1304}));
    Bytes group;
    WithKeyboard([&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { group = f.ColourGroup(2); });
    for (const Lit& lit : kLit)
        EXPECT_EQ(Bytes(group.begin() + 3 * lit.led, group.begin() + 3 * lit.led + 3),
                  Bytes({lit.colour.red, lit.colour.green, lit.colour.blue}));

    std::vector<CustomLightColor> read(kPositionCount, CustomLightColor{9, 9, 9, 77});
    ClearFrames();
    ASSERT_EQ(protocol_->ReadCustomColours(2, read), link::kSuccess);
    EXPECT_EQ(OffsetsOf(0x0A), (std::vector<int>{1024, 1080, 1136, 1192, 1248, 1304}));
    for (const Lit& lit : kLit)
        EXPECT_EQ(read[lit.position],
                  (CustomLightColor{lit.colour.red, lit.colour.green, lit.colour.blue, 77}));
    EXPECT_EQ(read[62], (CustomLightColor{9, 9, 9, 77})) << "no LED: untouched";
    EXPECT_EQ(read[1].alpha, 77);

    ASSERT_EQ(protocol_->WriteCustomColours(0, Colours(), AlphaScaling::kByAlpha), link::kSuccess);
    WithKeyboard([&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { group = f.ColourGroup(0); });
    EXPECT_EQ(Bytes(group.begin() + 21, group.begin() + 24), Bytes({100, 50, 25}));
    EXPECT_EQ(Bytes(group.begin() + 285, group.begin() + 288), Bytes({0, 0, 0})) << "alpha 0";

    EXPECT_EQ(protocol_->ReadCustomColours(8, read), link::kDeviceStatusFE) << "8 groups";
}

TEST_F(KeyboardTest, ColoursNeedTheKeyTables) {
    std::vector<CustomLightColor> colours = Colours();
    EXPECT_EQ(protocol_->WriteCustomColours(0, colours, AlphaScaling::kNone), kKeyTablesUnknown);
    EXPECT_EQ(protocol_->ReadCustomColours(0, colours), kKeyTablesUnknown);
    LightInfoRecord light;
    light.selectItem = 29;
    protocol_->SetLightValues(light);
    EXPECT_EQ(protocol_->SendLightFrame(colours), kKeyTablesUnknown);
    EXPECT_EQ(protocol_->WriteKeyAssignments(test::FactoryKeyList(), 0), kKeyTablesUnknown);
    EXPECT_TRUE(Frames().empty());
}

// Byte 3 of the power status says which link the host uses; an unlinked
// receiver is not asked at all.
TEST_F(KeyboardTest, PowerStatusPerLink) {
    ASSERT_EQ(Vdev("status keyboard 64 1").exitCode, 0);
    PowerStatus status{};
    ASSERT_EQ(protocol_->ReadPowerStatus(status), link::kSuccess);
    EXPECT_EQ(status, (PowerStatus{64, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Commands(), Bytes({0x1A})) << "a cable needs no link query";

    ASSERT_NO_FATAL_FAILURE(Connect(true));
    ASSERT_EQ(protocol_->ReadPowerStatus(status), link::kSuccess);
    EXPECT_EQ(status, (PowerStatus{64, 1, 0, 1, 0, 0}));
    ASSERT_EQ(Vdev("link keyboard-receiver off").exitCode, 0);
    ClearFrames();
    status = {};
    EXPECT_EQ(protocol_->ReadPowerStatus(status), link::kNoAnswer);
    EXPECT_EQ(Commands(), Bytes({0xAA}));
    EXPECT_EQ(status, PowerStatus{});
}

}  // namespace
}  // namespace tirk::keyboard
