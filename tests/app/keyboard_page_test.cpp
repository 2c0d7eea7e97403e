// The keyboard page end to end: what a user changes on the page reaches the
// virtual keyboard (read back from what it stored) and the profile file; a
// profile switch reprograms it; the keyboard's key reports light the picture;
// a keyboard that stops answering leaves the page and the file as they were
// and the user is told.
#include <QTest>

#include "device/lighting/lighting_tables.h"
#include "device/virtual/fault_plan.h"
#include "device/virtual/keyboard_firmware.h"
#include "device/virtual/virtual_hid_device.h"
#include "keyboard_fixture.h"
#include "ui/device_key_button.h"

namespace tirk {
namespace {

using namespace page_test;

class KeyboardPageTest : public KeyboardPageFixture {
protected:
    Bytes Memory(vbus::MemoryRegion region) {
        Bytes memory;
        WithFirmware([&](vbus::KeyboardFirmware& f) { memory = f.Memory(region); });
        return memory;
    }
    /// Waits until the keyboard's stored bytes satisfy `check`.
    bool WaitForKeyboard(const std::function<bool()>& check) {
        return QTest::qWaitFor(check, kWaitMs);
    }
    /// Runs a command of the keyboard's firmware ("key 4 down").
    void Control(const std::vector<std::string_view>& words) {
        vbus::VirtualHidDevice* device = bus_->Find("keyboard");
        ASSERT_TRUE(device);
        std::string answer;
        ASSERT_TRUE(device->FirmwareControl(words, &answer)) << answer;
    }
    void Fault(const std::vector<std::string_view>& words) {
        vbus::FaultPlan plan;
        std::string error;
        ASSERT_TRUE(vbus::ParseFaultPlan(words, &plan, &error)) << error;
        bus_->Find("keyboard")->SetFault(plan);
    }
    int KeyIndexOf(int position) { return keyboard_->Protocol().Tables().maps.key[position]; }
    int LedOf(int position) { return keyboard_->Protocol().Tables().maps.led[position]; }
    /// The colour of `position` in the keyboard's colour set `group`.
    Bytes SetColourOnKeyboard(int group, int position) {
        Bytes set;
        WithFirmware([&](vbus::KeyboardFirmware& f) { set = f.ColourGroup(group); });
        const size_t at = 3 * static_cast<size_t>(LedOf(position));
        return at + 3 <= set.size() ? Bytes(set.begin() + at, set.begin() + at + 3) : Bytes{};
    }
    /// The colour of `position` in the profile's colour set `group`.
    Fields SetColourOnDisk(int group, int position) {
        return FieldsOf(OnDisk()["CustomLightMode"]
                            .toObject()["LightColorInfo"]
                            .toArray()[group]
                            .toArray()[position]
                            .toObject());
    }
    /// Adds a macro of one key stroke as macro 0 and lists it on the page.
    void AddMacro() {
        MacroStore macros(DataFolder("keyboard"));
        ASSERT_TRUE(macros.AddMacro().Ok());
        Json::Value down;
        down["Type"] = 1;
        down["Button"] = 4;
        down["Action"] = "down";
        down["Delay"] = "10";
        Json::Value up = down;
        up["Action"] = "up";
        ASSERT_TRUE(macros.SaveEvents(0, {down, up}).Ok());
        keyboard_->LoadNameLists();
    }
    /// On the key tab, with nothing left to send, `position` gets the media
    /// function play/pause (not saved to the keyboard yet).
    void AssignPlayPause(int position) {
        ASSERT_TRUE(Press("key_Op_tab"));
        ASSERT_TRUE(AllSent());
        ASSERT_TRUE(ChooseKey(position));
        ChooseAssignment(kCategoryMedia, "keyset_media_combo",
                         FindFunctionRow(MediaList(), 0x30, 0xCD, 0x00));
    }
    /// The code the keyboard's key table holds for `position`.
    Bytes CodeOnKeyboard(int position) {
        const Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
        const size_t at = 3 * static_cast<size_t>(KeyIndexOf(position));
        return at + 3 <= table.size() ? Bytes(table.begin() + at, table.begin() + at + 3) : Bytes{};
    }
    /// Mode 20 with colour set `group` chosen and the lighting colour `rgb`.
    void ChooseColourSet(int group, const char* red, const char* green, const char* blue) {
        ASSERT_TRUE(Press("deng_Op_tab"));
        ASSERT_TRUE(Choose("light_combo_modeSelect", 20));
        ASSERT_TRUE(Choose("light_combo_custommodeSelect", group));
        ASSERT_TRUE(Type("deng_edit_R", red));
        ASSERT_TRUE(Type("deng_edit_G", green));
        ASSERT_TRUE(Type("deng_edit_B", blue));
    }
};

// Mode, brightness, speed and colour each reach the keyboard's settings
// record (speed inverted) and the profile.
TEST_F(KeyboardPageTest, LightingChangesReachTheKeyboardAndTheProfile) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 5));
    ASSERT_TRUE(Slide("deng_light_slider", 2));
    ASSERT_TRUE(Slide("deng_speed_slider", 1));
    ASSERT_TRUE(Type("deng_edit_R", "200"));
    ASSERT_TRUE(AllSent());
    const Bytes record = Record();
    ASSERT_EQ(record.size(), 34u);
    EXPECT_EQ(record[1], ModeCode(5));
    EXPECT_EQ(record[2], 2);
    EXPECT_EQ(record[3], 4 - 1) << "the keyboard counts speed down";
    EXPECT_EQ(record[6], 200);
    const Fields light = OnDisk("LightInfo");
    EXPECT_EQ(light.at("SelectItem"), 5);
    EXPECT_EQ(light.at("Light"), 2);
    EXPECT_EQ(light.at("Speed"), 1);
    EXPECT_EQ(light.at("Red"), 200);
}

// The picture's light marks show the engine's colours on the lighting tab,
// and nothing on the key tab.
TEST_F(KeyboardPageTest, ThePictureShowsTheEnginesColoursOnTheLightingTab) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 6));  // one colour on every key
    ASSERT_TRUE(Slide("deng_light_slider", 4));
    ASSERT_TRUE(Type("deng_edit_R", "0"));
    ASSERT_TRUE(Type("deng_edit_G", "0"));
    ASSERT_TRUE(Type("deng_edit_B", "255"));
    CDeviceKeyButtonUI* light = keyboard_->LightControl(64);
    ASSERT_TRUE(light);
    const auto shown = [&] { return std::make_pair(light->GetLightColor(), light->GetLightAlpha()); };
    const uint32_t blue = 0xFF00;  // red | blue << 8 | green << 16
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().first == blue && shown().second > 0; },
                                kWaitMs))
        << std::hex << shown().first << " alpha " << std::dec << shown().second << ", engine "
        << int(keyboard_->Lighting().Colours()[64].blue) << "/"
        << int(keyboard_->Lighting().Colours()[64].alpha) << ", tab "
        << keyboard_->GetFunctionSwitchType() << ", passes " << keyboard_->Lighting().PassCount();
    ASSERT_TRUE(Press("key_Op_tab"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().second == 0; }, kWaitMs));
}

// In the custom mode a key clicked on the lighting tab takes the lighting
// colour: on the picture, in the profile's colour set and in the keyboard's.
TEST_F(KeyboardPageTest, AKeyPaintedInTheCustomModeReachesTheColourSet) {
    ASSERT_NO_FATAL_FAILURE(ChooseColourSet(1, "10", "20", "30"));
    const int position = 64;  // A
    ASSERT_NE(LedOf(position), 255);
    ASSERT_TRUE(Press(("key_" + std::to_string(position)).c_str()));
    ASSERT_TRUE(AllSent());

    EXPECT_EQ(SetColourOnKeyboard(1, position), (Bytes{10, 20, 30}));
    EXPECT_EQ(SetColourOnDisk(1, position),
              (Fields{{"Red", 10}, {"Green", 20}, {"Blue", 30}, {"Alpha", 255}}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto colours = keyboard_->Lighting().Colours();
            return colours[position].red == 10 && colours[position].green == 20 &&
                   colours[position].blue == 30;
        },
        kWaitMs))
        << "the preview shows the painted key";
}

// "All keys lit" and "All keys off" fill the whole set.
TEST_F(KeyboardPageTest, AllKeysLitAndAllKeysOffFillTheColourSet) {
    ASSERT_NO_FATAL_FAILURE(ChooseColourSet(2, "0", "200", "100"));
    ASSERT_TRUE(Press("custom_bright_color_btn"));
    ASSERT_TRUE(AllSent());
    for (int position : {0, 64, 125}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(SetColourOnKeyboard(2, position), (Bytes{0, 200, 100}));
        EXPECT_EQ(SetColourOnDisk(2, position),
                  (Fields{{"Red", 0}, {"Green", 200}, {"Blue", 100}, {"Alpha", 255}}));
    }
    ASSERT_TRUE(Press("custom_off_color_btn"));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(SetColourOnKeyboard(2, 64), (Bytes{0, 0, 0}));
    EXPECT_EQ(SetColourOnDisk(2, 64).at("Green"), 0);
}

// A key assignment and a macro binding saved to the device arrive in the
// keyboard's key table; the macro block holds the one macro used, in slot 0.
TEST_F(KeyboardPageTest, AssignmentsAndMacroBindingsReachTheKeyTable) {
    ASSERT_NO_FATAL_FAILURE(AddMacro());

    ASSERT_TRUE(Press("key_Op_tab"));
    const int media = 64, macro = 65;  // A, S
    ASSERT_TRUE(ChooseKey(media));
    ChooseAssignment(kCategoryMedia, "keyset_media_combo",
                     FindFunctionRow(MediaList(), 0x30, 0xCD, 0x00));
    ASSERT_TRUE(ChooseKey(macro));
    ChooseAssignment(kCategoryMacro, "keyset_macro_combo", 0);
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());

    const Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
    const auto codeAt = [&](int position) {
        const size_t at = 3 * static_cast<size_t>(KeyIndexOf(position));
        return at + 3 <= table.size() ? Bytes(table.begin() + at, table.begin() + at + 3) : Bytes{};
    };
    EXPECT_EQ(codeAt(media), (Bytes{0x30, 0xCD, 0x00}));
    const Bytes macroCode = codeAt(macro);
    ASSERT_EQ(macroCode.size(), 3u);
    EXPECT_EQ(macroCode[0] & 0xFE, 0x70) << "a macro kind";
    EXPECT_EQ(macroCode[1], 0) << "slot 0 of the block";
    const Bytes block = Memory(vbus::MemoryRegion::kMacros);
    ASSERT_GE(block.size(), 6u);
    EXPECT_EQ(block[0], 0xAA);
    EXPECT_EQ(block[1], 0x55);
    EXPECT_EQ(block[4], 1) << "one macro";
    EXPECT_EQ(KeyOnDisk(media).first, 0x30CD00);

    // The picture marks the changed keys and frames the one being edited.
    const auto flags = [&](int position) {
        CDeviceKeyButtonUI* button = keyboard_->KeyControl(position);
        return button ? std::make_pair(button->GetSetFlag(), button->GetUnsetFlag())
                      : std::make_pair(-1, -1);
    };
    EXPECT_EQ(flags(media), std::make_pair(0, 1));
    EXPECT_EQ(flags(macro), std::make_pair(0, 0));
    EXPECT_EQ(flags(66), std::make_pair(1, 1));
}

// A key table that uses a macro is not sent while the macro's download
// failed: the keyboard never holds a binding to a macro it lacks.
TEST_F(KeyboardPageTest, AKeyTableWaitsUntilItsMacrosAreOnTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(AddMacro());
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_TRUE(AllSent());
    const int first = 65, second = 66;  // S, D
    const Bytes before = CodeOnKeyboard(first);
    ASSERT_TRUE(ChooseKey(first));
    ChooseAssignment(kCategoryMacro, "keyset_macro_combo", 0);
    ASSERT_NO_FATAL_FAILURE(Fault({"noanswer", "1"}));
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(CodeOnKeyboard(first), before) << "no binding without its macro";
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Text("device_part_macros")), std::string::npos) << told[0];

    ASSERT_TRUE(ChooseKey(second));
    ChooseAssignment(kCategoryMacro, "keyset_macro_combo", 0);
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(CodeOnKeyboard(first)[0] & 0xFE, 0x70) << "sent with the next good download";
    EXPECT_EQ(CodeOnKeyboard(second)[0] & 0xFE, 0x70);
}

// A change made while a reading of the keyboard is under way wins: the
// reading does not put the keyboard's older values back.
TEST_F(KeyboardPageTest, AChangeDuringAReadingIsKept) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Slide("deng_light_slider", 3));
    ASSERT_TRUE(AllSent());
    ASSERT_NO_FATAL_FAILURE(Fault({"delay", "200", "3"}));
    ASSERT_NO_FATAL_FAILURE(Control({"report", "0x0401"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Device().ExchangesPending() > 0; }, kWaitMs))
        << "the keyboard's request queues a reading";
    ASSERT_TRUE(Slide("deng_light_slider", 1));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(Record()[2], 1) << "the keyboard has the change";
    EXPECT_EQ(OnDisk("LightInfo").at("Light"), 1) << "the profile keeps it";
    EXPECT_EQ(Device().LightPage()->GetBrightness(), 1) << "the page shows it";
}

// In mode 30 the live frames stream; an unplugged keyboard stops them.
TEST_F(KeyboardPageTest, LiveFramesStreamInMode30AndStopWhenTheKeyboardGoes) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 30));
    ASSERT_TRUE(AllSent());
    EXPECT_TRUE(keyboard_->Streamer().Enabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return keyboard_->Streamer().FramesSent() > 2; }, kWaitMs));
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !keyboard_->Streamer().Enabled(); }, kWaitMs));
}

// Switching to another profile sends its lighting to the keyboard.
TEST_F(KeyboardPageTest, SwitchingProfilesReprogramsTheKeyboard) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 5));
    ASSERT_TRUE(AllSent());
    ASSERT_TRUE(Press("device_add_btn"));
    EXPECT_EQ(messages_->WaitAndTake().size(), 1u) << "the question";
    auto* profiles = Sub<CComboUI>("device_profile_combo");
    ASSERT_TRUE(QTest::qWaitFor([&] { return profiles->GetCount() == 2; }, kWaitMs));
    if (profiles->GetCurSel() != 1) {
        ASSERT_TRUE(Choose("device_profile_combo", 1));
    }
    // The new profile is the default one: its mode is not 5.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Record()[1] != ModeCode(5); }, kWaitMs));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 6));
    ASSERT_TRUE(WaitForKeyboard([&] { return Record()[1] == ModeCode(6); }));

    ASSERT_TRUE(Choose("device_profile_combo", 0));
    EXPECT_TRUE(WaitForKeyboard([&] { return Record()[1] == ModeCode(5); }))
        << "the first profile's mode is back on the keyboard";
    EXPECT_EQ(keyboard_->Lighting().LightValues().selectItem, 5) << "and on the picture";
}

// A key pressed on the keyboard lights its key on the picture in a
// key-press mode.
TEST_F(KeyboardPageTest, KeyReportsDriveTheReactivePreview) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    const int heatMap = 25;  // a pressed key glows up, a released one fades
    ASSERT_TRUE(Choose("light_combo_modeSelect", heatMap));
    ASSERT_TRUE(Slide("deng_light_slider", 4));
    ASSERT_TRUE(AllSent());
    const int position = 64;
    const int key = KeyIndexOf(position);
    ASSERT_NE(key, 255);
    const auto before = keyboard_->Lighting().Colours()[position];
    const uint64_t passes = keyboard_->Lighting().PassCount();
    const std::string index = std::to_string(key);
    ASSERT_NO_FATAL_FAILURE(Control({"key", index, "down"}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !(keyboard_->Lighting().Colours()[position] == before); }, kWaitMs))
        << "the pressed key's colour changes; passes " << passes << " → "
        << keyboard_->Lighting().PassCount();
    ASSERT_NO_FATAL_FAILURE(Control({"key", index, "up"}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return keyboard_->Lighting().Colours()[position].alpha == before.alpha; }, kWaitMs))
        << "the released key fades back";
}

// A keyboard that fails while a profile is written (the key assignments
// saved to it): the profile file holds the change, the page shows it, the
// user is told once; after the fault the next save goes through.
struct FaultCase {
    const char* name;
    std::vector<std::string_view> fault;
};

class KeyboardFaultTest : public KeyboardPageTest,
                          public ::testing::WithParamInterface<FaultCase> {};

TEST_P(KeyboardFaultTest, AFailedProfileWriteKeepsPageAndFileAndTellsTheUser) {
    const int key = 64;
    ASSERT_NO_FATAL_FAILURE(AssignPlayPause(key));
    const Bytes tableBefore = Memory(vbus::MemoryRegion::kKeyTable);
    ASSERT_NO_FATAL_FAILURE(Fault(GetParam().fault));
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(KeyOnDisk(key).first, 0x30CD00) << "the file holds the change";
    EXPECT_EQ(CurrentCode(key), (AssignmentCode{0x30, 0xCD, 0x00})) << "the page shows it";
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Text("device_part_keys")), std::string::npos) << told[0];

    ASSERT_NO_FATAL_FAILURE(Fault({"none"}));
    ASSERT_TRUE(ChooseKey(key));
    ChooseAssignment(kCategoryMedia, "keyset_media_combo",
                     FindFunctionRow(MediaList(), 0x30, 0xE9, 0x00));
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    const Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
    const size_t at = 3 * static_cast<size_t>(KeyIndexOf(key));
    ASSERT_GE(table.size(), at + 3);
    EXPECT_EQ(Bytes(table.begin() + at, table.begin() + at + 3), (Bytes{0x30, 0xE9, 0x00}))
        << "the keyboard takes the next save";
    QTest::qWait(100);
    EXPECT_TRUE(messages_->Take().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KeyboardFaultTest,
    ::testing::Values(FaultCase{"NoAnswer", {"noanswer"}},
                      FaultCase{"WrongEcho", {"wrongecho"}},
                      FaultCase{"StatusFF", {"status", "FF"}},
                      FaultCase{"StatusFE", {"status", "FE"}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

// Unplugged in the middle of the key table's frames: nothing breaks, the
// file holds the change.
TEST_F(KeyboardPageTest, UnpluggedMidTransferTheFileKeepsTheChange) {
    const int key = 64;
    ASSERT_NO_FATAL_FAILURE(AssignPlayPause(key));
    ASSERT_NO_FATAL_FAILURE(Fault({"unplug", "after", "3"}));
    ASSERT_TRUE(Press("key_butt_prosave"));
    QTest::qWait(300);
    EXPECT_EQ(KeyOnDisk(key).first, 0x30CD00);
    messages_->Take();  // told or not: the keyboard is gone
}

}  // namespace
}  // namespace tirk
