// Synchronised lighting across devices ("deng_same_mode") in the real main
// window offscreen, over a virtual keyboard and mouse: what the click stores
// in both profiles, who leaves the synchronised lighting, and the previews
// the lighting synchronisation worker animates.

#include "app/shell/sync_effects.h"
#include "page_fixture.h"

namespace tirk {
namespace {

using namespace page_test;

constexpr const char* kSameMode = "deng_same_mode";
constexpr int kKeyboardFlash = 23;
constexpr int kMouseFlash = 4;
constexpr int kKeyboardColourCycle = 4;

class SyncLightingRoutesTest : public PageRoutesTest {
protected:
    /// A keyboard and a mouse, both showing their profiles; the keyboard's
    /// page is shown.
    void StartBoth() {
        Start({"keyboard", "mouse"}, "keyboard");
        keyboard_ = &Device();
        mouse_ = DeviceOf("mouse");
        ASSERT_TRUE(mouse_);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsItsProfile(*mouse_); }, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return mouse_->ExchangesPending() == 0; }, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard_->SyncOffered(); }));
    }
    /// The keyboard's page in lighting mode `mode`, then its "deng_same_mode".
    void SynchroniseFromKeyboard(int mode) {
        ShowPage("keyboard");
        ASSERT_TRUE(Choose("light_combo_modeSelect", mode));
        ASSERT_TRUE(Press(kSameMode)) << "the button is offered in mode " << mode;
    }
    void ShowPage(const char* folder) {
        device_ = DeviceOf(folder);
        SelectPage(folder);
    }
    /// Waits until the device's preview colour differs from `than`; returns the new one.
    static uint32_t NextPreviewColour(CTelvorinFamilyDevice& device, uint32_t than) {
        uint32_t colour = than;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return (colour = device.GetLedColour(0)) != than; }, 5000))
            << "the preview stands still";
        return colour;
    }
    /// True when every LED of `device` shows `colour`.
    static bool AllLedsShow(const CTelvorinFamilyDevice& device, uint32_t colour) {
        for (int led = 0; led < device.LedCount(); ++led)
            if (device.GetLedColour(led) != colour) return false;
        return true;
    }

    CTelvorinFamilyDevice* keyboard_ = nullptr;
    CTelvorinFamilyDevice* mouse_ = nullptr;
};

TEST_F(SyncLightingRoutesTest, AFlashingKeyboardPutsTheMouseIntoItsFlash) {
    StartBoth();
    const Fields mouseBefore = OnDisk(*mouse_, "LightInfo");
    SynchroniseFromKeyboard(kKeyboardFlash);

    const Fields keyboard = OnDisk(*keyboard_, "LightInfo");
    EXPECT_EQ(keyboard.at("SelectItem"), kKeyboardFlash);
    Fields expected = mouseBefore;
    expected["SelectItem"] = kMouseFlash;
    for (const char* byte : {"Light", "Speed", "Fx", "MultiColor", "Red", "Green", "Blue"})
        expected[byte] = keyboard.at(byte);
    EXPECT_EQ(OnDisk(*mouse_, "LightInfo"), expected)
        << "the keyboard's values in the mouse's mode";
    EXPECT_EQ(mouse_->LightPage()->GetMode(), kMouseFlash) << "the mouse's page shows it";
    EXPECT_TRUE(keyboard_->SyncOn());
    EXPECT_TRUE(mouse_->SyncOn());
    EXPECT_EQ(SharedSyncLighting().Load().effect, uint8_t(SyncEffect::kFlash));
}

TEST_F(SyncLightingRoutesTest, AModeWithoutACommonEffectChangesNothing) {
    StartBoth();
    ASSERT_TRUE(Choose("light_combo_modeSelect", 17));
    const Fields mouseBefore = OnDisk(*mouse_, "LightInfo");
    const QByteArray keyboardBefore = ProfileBytes(*keyboard_);
    // The button is hidden in this mode; its notification still must not act.
    Sub<CControlUI>(kSameMode)->SendNotify(notify_type::kClick);
    EXPECT_EQ(OnDisk(*mouse_, "LightInfo"), mouseBefore);
    EXPECT_EQ(ProfileBytes(*keyboard_), keyboardBefore);
    EXPECT_FALSE(keyboard_->SyncOn());
    EXPECT_FALSE(mouse_->SyncOn());
}

TEST_F(SyncLightingRoutesTest, ALightingChangeOnOneDeviceTakesOnlyThatOneOut) {
    StartBoth();
    SynchroniseFromKeyboard(kKeyboardFlash);
    ASSERT_TRUE(mouse_->SyncOn());
    ShowPage("mouse");
    ASSERT_TRUE(Slide("deng_light_slider", 2));
    EXPECT_FALSE(mouse_->SyncOn());
    EXPECT_TRUE(keyboard_->SyncOn()) << "the keyboard keeps following";
    EXPECT_EQ(OnDisk(*mouse_, "LightInfo").at("Light"), 2);
    EXPECT_EQ(OnDisk(*mouse_, "LightInfo").at("SelectItem"), kMouseFlash);
}

TEST_F(SyncLightingRoutesTest, ThePreviewsFollowTheEffectUntilTheirDeviceLeaves) {
    StartBoth();
    ASSERT_GT(keyboard_->LedCount(), 0);
    ASSERT_GT(mouse_->LedCount(), 0);
    SynchroniseFromKeyboard(kKeyboardColourCycle);
    ASSERT_EQ(SharedSyncLighting().Load().effect, uint8_t(SyncEffect::kColourCycle));

    // The cycle moves one hue per step; both previews show it on every LED.
    uint32_t colour = NextPreviewColour(*mouse_, 0);
    colour = NextPreviewColour(*mouse_, colour);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const uint32_t now = mouse_->GetLedColour(0);
            return AllLedsShow(*mouse_, now) && AllLedsShow(*keyboard_, now);
        },
        5000))
        << "one colour on every LED of both devices";

    // The keyboard leaves; once a step that may have begun before has ended,
    // its preview is no longer written.
    ASSERT_TRUE(Slide("deng_speed_slider", 1));
    ASSERT_FALSE(keyboard_->SyncOn());
    colour = NextPreviewColour(*mouse_, colour);
    colour = NextPreviewColour(*mouse_, colour);
    constexpr uint32_t kMark = 0x01020304;
    keyboard_->SetLedColour(0, 0x04, 0x03, 0x02, 0x01);
    ASSERT_EQ(keyboard_->GetLedColour(0), kMark);
    colour = NextPreviewColour(*mouse_, colour);
    NextPreviewColour(*mouse_, colour);
    EXPECT_EQ(keyboard_->GetLedColour(0), kMark);
}

}  // namespace
}  // namespace tirk
