// The codes the keyboard sends on its own: decoded into events, applied to
// the settings state, and end to end from the virtual keyboard's reports
// through the notification collection.
#include <gtest/gtest.h>

#include "device/virtual/report_descriptors.h"
#include "keyboard_fixture.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;
using Kind = KeyboardEventKind;
constexpr ReportListener kCable = ReportListener::kCable;
constexpr ReportListener kReceiver = ReportListener::kReceiver;

KeyboardEvent Event(Kind kind, uint16_t code, int key = -1, int profile = -1, int byte17 = -1) {
    return {kind, code, key, profile, byte17};
}

TEST(KeyboardReports, Decoded) {
    struct Case {
        uint16_t code;
        ReportListener listener;
        KeyboardEvent event;
    };
    const Case cases[] = {
        {0x0400, kCable, Event(Kind::kNone, 0x0400)},
        {0x0401, kReceiver, Event(Kind::kResync, 0x0401)},
        {0x0402, kCable, Event(Kind::kResyncProfiles, 0x0402)},
        {0x0435, kCable, Event(Kind::kIgnored, 0x0435)},
        {0x0541, kCable, Event(Kind::kKeyDown, 0x0541, 0x41)},
        {0x0541, kReceiver, Event(Kind::kIgnored, 0x0541)},
        {0x06FF, kCable, Event(Kind::kKeyUp, 0x06FF, 0xFF)},
        {0x0600, kReceiver, Event(Kind::kIgnored, 0x0600)},
        {0x1003, kCable, Event(Kind::kActiveProfile, 0x1003, -1, 3)},
        {0x10A7, kReceiver, Event(Kind::kActiveProfile, 0x10A7, -1, 7)},
        {0x1103, kCable, Event(Kind::kProfileAndFlags, 0x1103, -1, 3, 0)},
        {0x11A5, kCable, Event(Kind::kProfileAndFlags, 0x11A5, -1, 5, 0xA)},
        {0x1200, kCable, Event(Kind::kIgnored, 0x1200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(DecodeKeyboardReport(c.code, c.listener), c.event);
    }
}

// From active profile 1 with record byte 17 = 9.
TEST(KeyboardReports, AppliedToTheSettingsState) {
    struct Case {
        uint16_t code;
        bool changed;
        int active;
        int byte17;
    };
    const Case cases[] = {
        {0x0435, false, 1, 9}, {0x0401, false, 1, 9}, {0x1103, true, 3, 0}, {0x10A7, true, 7, 9},
        {0x1001, false, 1, 9}, {0x1191, false, 1, 9}, {0x1121, true, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        KeyboardSettingsState state;
        state.activeProfile = 1;
        state.raw[0] = 1;
        state.raw[17] = 9;
        EXPECT_EQ(ApplyDeviceReport(DecodeKeyboardReport(c.code, kCable), state), c.changed);
        EXPECT_EQ(state.activeProfile, c.active);
        EXPECT_EQ(state.raw[0], c.active);
        EXPECT_EQ(state.raw[17], c.byte17);
    }
}

class KeyboardReportsEndToEnd : public KeyboardTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(KeyboardTest::SetUp());
        std::string path = CandidatePath(Candidate(kTypeKeyboard, kRoleNotification));
        ASSERT_TRUE(notifications_.Open(path, true, false, true, true))
            << notifications_.LastError();
    }

    // The code of the next input report of the notification collection.
    uint16_t NextCode() {
        uint8_t report[64] = {};
        uint32_t transferred = 0;
        EXPECT_TRUE(
            notifications_.Read(report, sizeof report, transferred, vbus::test::kPromptlyMs));
        EXPECT_EQ(report[0], vbus::kConsumerReportId);
        return static_cast<uint16_t>(report[1] | report[2] << 8);
    }

    CHidInterface notifications_{backend_};
};

// "report keyboard 0x1123": the keyboard switched to profile 3 and set its
// byte 17 to 2; the host applies the code, and the settings it reads next
// are profile 3's.
TEST_F(KeyboardReportsEndToEnd, ProfileSwitchOnTheKeyboard) {
    EditMemory(vbus::MemoryRegion::kSettings, [](Bytes& s) { s[3 * 33 + 2] = 1; });
    ASSERT_NO_FATAL_FAILURE(VdevOk("report keyboard 0x1123"));
    uint16_t code = NextCode();
    EXPECT_EQ(code, 0x1123);
    EXPECT_TRUE(protocol_->ApplyDeviceReport(code, kCable));
    EXPECT_EQ(protocol_->Settings().activeProfile, 3);
    EXPECT_EQ(protocol_->Settings().raw[17], 2);

    ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
    KeyboardSettingsState state = protocol_->Settings();
    EXPECT_EQ(state.activeProfile, 3);
    EXPECT_EQ(state.raw[17], 2) << "the keyboard keeps what its report said";
    EXPECT_EQ(state.light.light, 1) << "profile 3's brightness";
}

// A key pressed and released on the keyboard arrives as 0x05xx and 0x06xx
// with its key index; the position map turns it into the on-screen key.
TEST_F(KeyboardReportsEndToEnd, KeyPressFindsItsPosition) {
    ASSERT_NO_FATAL_FAILURE(ReadTables());
    ASSERT_NO_FATAL_FAILURE(VdevOk("key keyboard 65 down"));
    ASSERT_NO_FATAL_FAILURE(VdevOk("key keyboard 65 up"));
    KeyboardEvent down = DecodeKeyboardReport(NextCode(), kCable);
    KeyboardEvent up = DecodeKeyboardReport(NextCode(), kCable);
    EXPECT_EQ(down, Event(Kind::kKeyDown, 0x0541, 65));
    EXPECT_EQ(up, Event(Kind::kKeyUp, 0x0641, 65));
    EXPECT_EQ(protocol_->PositionOfKey(down.keyIndex), 64) << "A";
    EXPECT_FALSE(protocol_->ApplyDeviceReport(0x0541, kCable)) << "keys change no settings";
}

TEST_F(KeyboardTest, ReportsApplyOnlyWhileOpen) {
    channel_->SetOpen(false);
    EXPECT_FALSE(protocol_->ApplyDeviceReport(0x1103, ReportListener::kCable));
    EXPECT_EQ(protocol_->Settings().activeProfile, 0);
}

}  // namespace
}  // namespace tirk::keyboard
