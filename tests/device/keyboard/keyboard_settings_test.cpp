// The settings record: what each lighting value and system setting becomes
// on the wire, what a read-back record becomes, and the frames of both against
// the virtual keyboard.
#include <gtest/gtest.h>

#include "keyboard_fixture.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;

// Mode codes of a lighting file: mode i has code 0x10 + i for modes 0 … 5.
const std::vector<uint8_t> kModeCodes = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15};

LightInfoRecord Light(uint8_t mode, uint8_t speed) {
    LightInfoRecord light;
    light.selectItem = mode;
    light.light = 3;
    light.speed = speed;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 0xC0, light.green = 0x80, light.blue = 0x40;
    light.zzccLedMode = 2;
    light.customGroup = 5;
    return light;
}

TEST(SettingsRecord, EncodedBytes) {
    struct Case {
        const char* what;
        uint8_t mode;
        uint8_t speed;
        uint8_t modeByte;
        uint8_t speedByte;
    };
    const Case cases[] = {
        {"mode 3 as its code, speed 0 sent as 4", 3, 0, 0x13, 4},
        {"speed 4 sent as 0", 0, 4, 0x10, 0},
        {"speed 2 sent as 2", 5, 2, 0x15, 2},
        {"a speed above 4 is sent as 0", 1, 9, 0x11, 0},
        {"mode 29 written as 0xFE", 29, 1, 0xFE, 3},
        {"mode 30 written as 0xFE", 30, 1, 0xFE, 3},
        {"mode 20 without a code is sent as 20", 20, 1, 20, 3},
    };
    SettingsRecord raw;
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(0xA0 + i);
    SystemSettings system{31, 2, 1, 5, 1, 0};  // "PollingRate" 5 goes out as 5
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsRecord r = EncodeSettingsRecord(raw, 0, Light(c.mode, c.speed), system, kModeCodes);
        EXPECT_EQ(r[1], c.modeByte);
        EXPECT_EQ(r[3], c.speedByte);
        Bytes expected = {0, c.modeByte, 3, c.speedByte, 1, 1, 0xC0, 0x80, 0x40};
        EXPECT_EQ(Bytes(r.begin(), r.begin() + 9), expected);
        EXPECT_EQ(r[16], 0);
        EXPECT_EQ(Bytes(r.begin() + 18, r.begin() + 23), Bytes({2, 1, 1, 0, 5}))
            << "ZZCC, WFlag, Key6Flag, WinFlag, PollingRate";
        EXPECT_EQ(r[25], 5) << "custom group";
        for (size_t b : {9, 12, 15, 17, 23, 24, 26, 33}) EXPECT_EQ(r[b], raw[b]) << "carried " << b;
    }
}

// The record of profile 2, read at 2 × 33 after the active profile byte; the
// mode code read back as the table says.
TEST_F(KeyboardTest, ReadBackModeAndSpeed) {
    struct Case {
        const char* what;
        std::vector<uint8_t> codes;
        uint8_t modeByte;
        uint8_t speedByte;
        int modeBefore;
        int modeAfter;
        int speedAfter;
    };
    std::vector<uint8_t> codesWithFE = kModeCodes;
    codesWithFE.resize(31, 0x50);
    codesWithFE[29] = 0xFE;
    const Case cases[] = {
        {"0xFE keeps the mode index", kModeCodes, 0xFE, 4, 12, 12, 0},
        {"0xFE keeps mode 30 even when the list gives 0xFE to 29", codesWithFE, 0xFE, 0, 30, 30, 4},
        {"a listed code becomes its mode index", kModeCodes, 0x13, 2, 0, 3, 2},
        {"a code the list lacks stays as it is", kModeCodes, 0x42, 1, 0, 0x42, 3},
        {"a speed byte above 4 reads as speed 0", kModeCodes, 0x10, 7, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditMemory(vbus::MemoryRegion::kSettings, [&](Bytes& s) {
            s[0] = 2;
            s[2 * 33 + 1] = c.modeByte;
            s[2 * 33 + 3] = c.speedByte;
        });
        protocol_->SetModeCodes(c.codes);
        LightInfoRecord before = Light(static_cast<uint8_t>(c.modeBefore), 1);
        protocol_->SetLightValues(before);
        ClearFrames();
        ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
        EXPECT_EQ(OffsetsOf(0x05), (std::vector<int>{0, 66}));
        EXPECT_EQ(FramesOf(0x05)[1][4], 34);
        KeyboardSettingsState state = protocol_->Settings();
        EXPECT_EQ(state.activeProfile, 2);
        EXPECT_EQ(state.light.selectItem, c.modeAfter);
        EXPECT_EQ(state.light.speed, c.speedAfter);
        EXPECT_EQ(state.previousLight.selectItem, c.modeBefore);
        EXPECT_EQ(state.raw[0], 2);
        EXPECT_EQ(ModeRestartNeeded(state), c.modeAfter != c.modeBefore);
    }
}

// What was read decodes into the lighting values and the three key flags;
// "Repeat", "RepeatDelay" and "PollingRate" keep the profile's values, and
// byte 16 of the kept record is cleared.
TEST_F(KeyboardTest, ReadDecodesTheRecord) {
    Bytes record = vbus::test::Pattern(34, 0x31);
    record[1] = 0x14;  // mode 4
    record[3] = 1;     // speed 3
    EditMemory(vbus::MemoryRegion::kSettings, [&](Bytes& s) {
        std::copy(record.begin() + 1, record.end(), s.begin() + 5 * 33 + 1);
        s[0] = 5;
    });
    protocol_->SetModeCodes(kModeCodes);
    protocol_->SetSystemSettings({40, 3, 0, 2, 0, 0});
    ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
    KeyboardSettingsState s = protocol_->Settings();
    EXPECT_EQ(s.light.selectItem, 4);
    EXPECT_EQ(s.light.light, record[2]);
    EXPECT_EQ(s.light.speed, 3);
    EXPECT_EQ(s.light.fx, record[4]);
    EXPECT_EQ(s.light.multiColor, record[5]);
    EXPECT_EQ(s.light.red, record[6]);
    EXPECT_EQ(s.light.green, record[7]);
    EXPECT_EQ(s.light.blue, record[8]);
    EXPECT_EQ(s.light.zzccLedMode, record[18]);
    EXPECT_EQ(s.light.customGroup, record[25]);
    EXPECT_EQ(s.system, (SystemSettings{40, 3, record[20], 2, record[19], record[21]}));
    EXPECT_EQ(s.raw[16], 0);
    EXPECT_EQ(s.raw[17], record[17]);
}

// Written at slot × 33 in one wired frame inside a write session; the
// keyboard keeps it per profile slot and gives it back; the bytes the host
// does not interpret come from the record read before.
TEST_F(KeyboardTest, WriteKeepsCarriedBytesPerSlot) {
    Bytes carried = vbus::test::Pattern(34, 0x70);
    EditMemory(vbus::MemoryRegion::kSettings, [&](Bytes& s) {
        std::copy(carried.begin() + 1, carried.end(), s.begin() + 1);
        s[0] = 0;
    });
    protocol_->SetModeCodes(kModeCodes);
    ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
    protocol_->SetLightValues(Light(2, 0));
    protocol_->SetSystemSettings({10, 1, 1, 3, 0, 1});
    ClearFrames();

    for (uint8_t slot : {0, 3}) {
        ASSERT_EQ(protocol_->WriteDeviceSettings(slot, 0), link::kSuccess);
        SettingsRecord expected = EncodeSettingsRecord(protocol_->Settings().raw, 0, Light(2, 0),
                                                       {10, 1, 1, 3, 0, 1}, kModeCodes);
        WithKeyboard([&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) {
            EXPECT_EQ(f.ProfileRecord(slot), Bytes(expected.begin(), expected.end()));
        });
        EXPECT_EQ(expected[9], carried[9]);
        EXPECT_EQ(expected[3], 4) << "speed 0";
    }
    EXPECT_EQ(Commands(), Bytes({0x01, 0x06, 0x02, 0x01, 0x06, 0x02}));
    EXPECT_EQ(OffsetsOf(0x06), (std::vector<int>{0, 99}));
    EXPECT_EQ(FramesOf(0x06)[0][4], 34);
}

// What goes out for the mode and the speed, as the keyboard received it.
TEST_F(KeyboardTest, WrittenModeAndSpeedOnTheWire) {
    ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
    protocol_->SetModeCodes(kModeCodes);
    struct Case {
        uint8_t mode, speed, modeByte, speedByte;
    };
    const Case cases[] = {{3, 0, 0x13, 4}, {3, 4, 0x13, 0}, {29, 1, 0xFE, 3}, {30, 3, 0xFE, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.speed));
        protocol_->SetLightValues(Light(c.mode, c.speed));
        ClearFrames();
        ASSERT_EQ(protocol_->WriteDeviceSettings(0, 0), link::kSuccess);
        Bytes data = DataOf(0x06);
        ASSERT_EQ(data.size(), 34u);
        EXPECT_EQ(data[1], c.modeByte);
        EXPECT_EQ(data[2], 3) << "brightness as stored";
        EXPECT_EQ(data[3], c.speedByte);
    }
}

// Before any record was read, the bytes the host carries come from the slot
// itself (read first, here through the receiver: 24 + 10 bytes each way).
TEST_F(KeyboardTest, WriteBeforeAnyReadCarriesTheSlotsOwnBytes) {
    Bytes own = vbus::test::Pattern(34, 0x90);
    EditMemory(vbus::MemoryRegion::kSettings,
               [&](Bytes& s) { std::copy(own.begin() + 1, own.end(), s.begin() + 33 + 1); });
    ASSERT_NO_FATAL_FAILURE(Connect(true));
    ASSERT_EQ(protocol_->WriteDeviceSettings(1, 0), link::kSuccess);
    EXPECT_EQ(Commands(), Bytes({0x05, 0x05, 0x01, 0x06, 0x06, 0x02}));
    EXPECT_EQ(OffsetsOf(0x05), (std::vector<int>{33, 57}));
    EXPECT_EQ(OffsetsOf(0x06), (std::vector<int>{33, 57}));
    Bytes written = DataOf(0x06);
    for (size_t b : {9, 15, 17, 23, 24, 26, 33}) EXPECT_EQ(written[b], own[b]) << "byte " << b;
    EXPECT_EQ(written[16], 0);

    ClearFrames();
    vbus::FaultPlan fault;
    fault.kind = vbus::FaultKind::kStatus;
    fault.status = 0xFF;
    fault.remaining = 1;
    Device(test::kReceiver).SetFault(fault);
    EXPECT_EQ(protocol_->WriteDeviceSettings(1, 0), link::kDeviceStatusFF);
    EXPECT_EQ(Commands(), Bytes({0x05})) << "nothing written after a failed read";
}

TEST(SystemSettingsWords, AsTheProfileKeepsThem) {
    SystemSettings s{1, 2, 3, 4, 5, 6};
    KeyboardSettings words = WordsOf(s);
    EXPECT_EQ(words.words[0], 1u | 2u << 16);
    EXPECT_EQ(words.words[1], 3u | 4u << 16);
    EXPECT_EQ(words.words[2], 5u | 6u << 16);
    EXPECT_EQ(SystemSettingsOf(words), s);
}

}  // namespace
}  // namespace tirk::keyboard
