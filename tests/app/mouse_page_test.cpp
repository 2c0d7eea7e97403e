// The mouse's page end to end over the virtual mouse (cable and receiver),
// offscreen: what the user changes reaches the mouse's memory and the
// profile file, over whichever link the mouse is on.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <array>
#include <string>
#include <vector>

#include "device/family/mouse_device.h"
#include "device/virtual/command_firmware.h"
#include "device/virtual/fault_plan.h"
#include "device/virtual/mouse_firmware.h"
#include "page_fixture.h"
#include "profile/key_assignment.h"
#include "profile/macro_store.h"
#include "ui/device_key_button.h"
#include "ui/device_option.h"

namespace tirk {
namespace page_test {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kWaitMs = 5000;

class MousePageTest : public PageRoutesTest {
protected:
    void SetUp() override {
        PageRoutesTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start({"mouse", "mouse-receiver"}, "mouse"));
        mouse_ = dynamic_cast<CTelvorinMouseDevice*>(&Device());
        ASSERT_TRUE(mouse_);
        ASSERT_TRUE(Press("cursor_Op_tab"));
    }
    /// The settings record of slot 0 as the mouse keeps it.
    Bytes Record() {
        Bytes record;
        bus_->Find("mouse")->WithFirmware([&](vbus::VirtualFirmware& f, vbus::FirmwareIo&) {
            auto* firmware = dynamic_cast<vbus::CommandFirmware*>(&f);
            ASSERT_TRUE(firmware);
            const Bytes& memory = firmware->Memory(vbus::MemoryRegion::kSettings);
            record.assign(memory.begin(), memory.begin() + vbus::kMouseRecordSize);
        });
        return record;
    }
    /// Every exchange queued on the mouse's worker has run and `check` holds
    /// for the mouse's record.
    template <typename Check>
    bool WaitForMouse(Check check) {
        return QTest::qWaitFor([&] { return Device().ExchangesPending() == 0 && check(Record()); },
                               kWaitMs);
    }
    static int Word(const Bytes& record, size_t at) { return record[at] | record[at + 1] << 8; }
    QJsonObject Stage(int stage) {
        return OnDisk()["DPIStages"].toObject()["StageDPIs"].toArray()[stage].toObject();
    }
    /// Clicks an option: one of a group becomes selected, a check box toggles.
    bool Select(const std::string& option) {
        auto* control = Sub<COptionUI>(option);
        if (!control) return false;
        control->Selected(control->GetGroup().empty() ? !control->IsSelected() : true);
        return true;
    }

    /// A region of the mouse's memory as it holds it now.
    Bytes Memory(vbus::MemoryRegion region) {
        Bytes bytes;
        bus_->Find("mouse")->WithFirmware([&](vbus::VirtualFirmware& f, vbus::FirmwareIo&) {
            bytes = dynamic_cast<vbus::CommandFirmware&>(f).Memory(region);
        });
        return bytes;
    }
    /// The code the mouse's key table holds for standard function `key`.
    Bytes CodeOnMouse(int key) {
        const Bytes table = Memory(vbus::MemoryRegion::kKeyTable);
        const size_t at = 3 * size_t(mouse_->Protocol().Keys().map.at(size_t(key)));
        return at + 3 <= table.size() ? Bytes(table.begin() + at, table.begin() + at + 3) : Bytes{};
    }
    bool AllSent() {
        return QTest::qWaitFor([&] { return Device().ExchangesPending() == 0; }, kWaitMs);
    }

    CTelvorinMouseDevice* mouse_ = nullptr;
};

TEST_F(MousePageTest, ADpiStageSetBySliderOrTypedReachesTheMouseAndTheFile) {
    ASSERT_TRUE(Slide("DPI_slider_1", 20));
    const int dpi = mouse_->DpiOfSlider(20);
    EXPECT_TRUE(WaitForMouse([&](const Bytes& r) {
        return Word(r, 25) == dpi && Word(r, 27) == dpi;
    })) << "stage 1's X and Y at 25 and 27";
    EXPECT_EQ(Stage(1)["StageDPIX"].toInt(), dpi);
    EXPECT_EQ(EditText("DPI_edit_1"), std::to_string(dpi));

    ASSERT_TRUE(Type("DPI_edit_2", "1000"));
    EXPECT_TRUE(WaitForMouse([](const Bytes& r) { return Word(r, 34) == 1000; }));
    EXPECT_EQ(Stage(2)["StageDPIY"].toInt(), 1000);
}

TEST_F(MousePageTest, TheActiveStageAndAStageSwitchedOffReachTheMouse) {
    ASSERT_TRUE(Select("DPI_select_check_3"));
    EXPECT_TRUE(WaitForMouse([](const Bytes& r) { return r[12] == 3; }));
    EXPECT_EQ(OnDisk()["DPIStages"].toObject()["StageActive"].toInt(), 3);

    ASSERT_TRUE(Select("DPI_enable_check_4"));  // it was on
    EXPECT_TRUE(WaitForMouse([](const Bytes& r) { return r[14 + 9 * 4] == 0; }));
    EXPECT_EQ(Stage(4)["StageActive"].toInt(), 0);

    // The active stage stays on.
    const Bytes before = Record();
    ASSERT_TRUE(Select("DPI_enable_check_3"));
    EXPECT_TRUE(Sub<COptionUI>("DPI_enable_check_3")->IsSelected()) << "the page shows it on again";
    EXPECT_EQ(Stage(3)["StageActive"].toInt(), 1);
    EXPECT_EQ(Record(), before);
}

TEST_F(MousePageTest, TheReportRateAndTheLightingReachTheMouse) {
    ASSERT_TRUE(Select("polling_rate_option_1"));
    EXPECT_TRUE(WaitForMouse([](const Bytes& r) { return r[11] == 1; }));
    EXPECT_EQ(OnDisk()["ReportStages"].toObject()["StageActive"].toInt(), 1);

    ASSERT_TRUE(Press("deng_Op_tab"));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 3));
    const int code = mouse_->LightingNames().modeCodes.at(3);
    EXPECT_TRUE(WaitForMouse([&](const Bytes& r) { return r[1] == code; }));
}

TEST_F(MousePageTest, WithTheCablePulledTheNextEditGoesOverTheReceiver) {
    std::string error;
    ASSERT_TRUE(bus_->Unplug("mouse", &error)) << error;
    CCommandChannel& channel = Device().Channel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.IsOpen() && channel.IsWireless(); }, 1000))
        << "the tile moves to the receiver within a second";
    vbus::VirtualHidDevice* receiver = bus_->Find("mouse-receiver");
    receiver->ClearReceived();
    ASSERT_TRUE(Select("polling_rate_option_2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Device().ExchangesPending() == 0; }, kWaitMs));
    bool settingsWritten = false;
    for (const vbus::ReceivedReport& report : receiver->Received())
        settingsWritten |= report.bytes.size() > 4 && report.bytes[3] == 0x06;
    EXPECT_TRUE(settingsWritten) << "the settings went over the receiver";
    Bytes record;
    receiver->WithFirmware([&](vbus::VirtualFirmware& f, vbus::FirmwareIo&) {
        record = dynamic_cast<vbus::CommandFirmware&>(f).Memory(vbus::MemoryRegion::kSettings);
    });
    EXPECT_EQ(record.at(11), 2);
}

// A button given a macro and one given a recoil table (gun key): the key
// table holds the macro kind with the mouse's own macro number and the gun
// key's code, and the macro block goes before it.
TEST_F(MousePageTest, ButtonsRemappedToAMacroAndARecoilTableReachTheMouse) {
    MacroStore store(DataFolder("mouse"));
    const MacroResult added = store.AddMacro();
    ASSERT_TRUE(added.Ok());
    Json::Value press;
    press["Action"] = "down", press["Button"] = 4, press["Delay"] = "30", press["Type"] = 10;
    ASSERT_TRUE(store.SaveEvents(0, {press}).Ok());
    Device().LoadNameLists();

    ASSERT_TRUE(Press("key_Op_tab"));
    constexpr int kRightButton = 1;
    ASSERT_TRUE(ChooseKey(kRightButton));
    ChooseAssignment(kCategoryMacro, "keyset_macro_combo", 0);
    constexpr int kMiddleButton = 2;
    ASSERT_TRUE(ChooseKey(kMiddleButton));
    ChooseAssignment(kCategoryGunKey, "keyset_gunkey_combo", 1);
    const AssignmentCode gun = CurrentCode(kMiddleButton);
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    const Bytes code = CodeOnMouse(kRightButton);
    ASSERT_EQ(code.size(), 3u);
    EXPECT_TRUE(code[0] == 0x70 || code[0] == 0x71) << int(code[0]);
    EXPECT_EQ(code[1], 0) << "the mouse's first macro";
    const Bytes block = Memory(vbus::MemoryRegion::kMacros);
    ASSERT_GE(block.size(), 16u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 2), (Bytes{0xAA, 0x55}));
    EXPECT_EQ(block[4], 1) << "one macro";
    EXPECT_EQ(KeyOnDisk(kRightButton).first >> 16, code[0]);
    EXPECT_EQ(CodeOnMouse(kMiddleButton), (Bytes{gun.kind, gun.p1, gun.p2}));
    EXPECT_EQ(KeyOnDisk(kMiddleButton).first, gun.kind << 16 | gun.p1 << 8 | gun.p2);

    // No button uses a macro any more: the mouse's macros are cleared.
    ASSERT_TRUE(ChooseKey(kRightButton));
    ChooseAssignment(kCategoryGunKey, "keyset_gunkey_combo", 2);
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    const Bytes cleared = Memory(vbus::MemoryRegion::kMacros);
    ASSERT_GE(cleared.size(), 16u);
    EXPECT_EQ(cleared[4], 0) << "an empty block";
    EXPECT_EQ(cleared[2] | cleared[3] << 8, 16) << "its length";
}

TEST_F(MousePageTest, TheRecoilTablesReachTheMouse) {
    ASSERT_TRUE(Select("mouse_device_seting_option_2"));
    ASSERT_TRUE(Press("shootdate_save_btn"));
    ASSERT_TRUE(AllSent());
    const Bytes block = Memory(vbus::MemoryRegion::kRecoil);
    ASSERT_GE(block.size(), 16u + 4 * 6);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 2), (Bytes{0xAA, 0x55}));
    EXPECT_EQ(block[4], 4) << "four guns";
    EXPECT_EQ(block[2] | block[3] << 8, 16 + 6 * 4 + 4 * 4 * 180) << "4 × 180 events";
}

// The lighting preview runs the profile's mode on the picture's LEDs: the
// wave moves, a button press lights the reactive mode, the static mode is
// drawn once, and nothing runs while the window is hidden (polling paused).
TEST_F(MousePageTest, TheLightingPreviewFollowsTheModeAndRestsWhileHidden) {
    ASSERT_TRUE(Press("deng_Op_tab"));
    auto alphaOf = [&](int led) { return int(mouse_->GetLedColour(led) >> 24); };
    auto* mark = Sub<CDeviceKeyButtonUI>("mouse_led_0");
    ASSERT_TRUE(mark);

    ASSERT_TRUE(Choose("light_combo_modeSelect", 0));
    const uint32_t before = mouse_->GetLedColour(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mouse_->GetLedColour(0) != before; }, kWaitMs))
        << "the wave moves";
    EXPECT_TRUE(QTest::qWaitFor([&] { return mark->GetLightAlpha() == alphaOf(0); }, kWaitMs))
        << "the picture shows the buffer";
    auto* small = Sub<CDeviceKeyButtonUI>("mouse_light_led_0");
    ASSERT_TRUE(small) << "the lighting tab's own picture";
    EXPECT_TRUE(QTest::qWaitFor([&] { return small->GetLightAlpha() == alphaOf(0); }, kWaitMs));

    ASSERT_TRUE(Choose("light_combo_modeSelect", 6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return alphaOf(0) == 0 && alphaOf(14) == 0; }, kWaitMs))
        << "reactive: dark until a button is pressed";
    bus_->Find("mouse")->WithFirmware([](vbus::VirtualFirmware& f, vbus::FirmwareIo& io) {
        ASSERT_TRUE(dynamic_cast<vbus::CommandFirmware&>(f).Notify(0x0403, io));
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return alphaOf(0) > 0 && alphaOf(14) > 0; }, kWaitMs))
        << "a press lights every LED";

    ASSERT_TRUE(Choose("light_combo_modeSelect", 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return alphaOf(0) > 0 && alphaOf(14) > 0; }, kWaitMs))
        << "static: lit";
    QTest::qWait(50);  // the one step of the static mode ends
    const uint64_t stepsWhileStatic = mouse_->PreviewSteps();
    QTest::qWait(300);
    EXPECT_EQ(mouse_->PreviewSteps(), stepsWhileStatic) << "static: one step, then rest";

    ASSERT_TRUE(Choose("light_combo_modeSelect", 0));
    mouse_->SetPollingPaused(1);
    QTest::qWait(50);  // a step under way ends
    const uint64_t stepsWhileHidden = mouse_->PreviewSteps();
    QTest::qWait(300);
    EXPECT_EQ(mouse_->PreviewSteps(), stepsWhileHidden) << "hidden: no steps";
    mouse_->SetPollingPaused(0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return mouse_->PreviewSteps() > stepsWhileHidden; }, kWaitMs));
}

// A mouse that never said how its slider maps to DPI (its first reads
// failed: it answers every command with an error status, at once rather
// than by time-out): a slider move or a typed DPI leaves the stage as it
// was, instead of storing and sending DPI 0.
TEST_F(MousePageTest, WithoutTheMousesDpiScaleAStageKeepsItsDpi) {
    ASSERT_NO_FATAL_FAILURE(Reopen([&] {
        vbus::FaultPlan plan;
        std::string error;
        ASSERT_TRUE(vbus::ParseFaultPlan({"status", "FF"}, &plan, &error)) << error;
        bus_->Find("mouse")->SetFault(plan);
    }));
    mouse_ = dynamic_cast<CTelvorinMouseDevice*>(&Device());
    ASSERT_TRUE(mouse_);
    ASSERT_TRUE(AllSent());
    const QJsonObject before = Stage(1);
    EXPECT_FALSE(mouse_->SetDpiStageSlider(1, 40));
    EXPECT_FALSE(mouse_->SetDpiStageText(1, "1600"));
    EXPECT_EQ(Stage(1), before);
}

// A macro import is checked against the memory the mouse reported (the
// virtual mouse: 16 units of 128 bytes), not the keyboard's 1024 bytes.
TEST_F(MousePageTest, MacroImportsAreCheckedAgainstTheMousesOwnMemory) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return mouse_->MacroMemory() == 2048u; }, kWaitMs));
}

TEST_F(MousePageTest, TheMousesOwnStageChangeIsShown) {
    bus_->Find("mouse")->WithFirmware([](vbus::VirtualFirmware& f, vbus::FirmwareIo& io) {
        ASSERT_TRUE(dynamic_cast<vbus::CommandFirmware&>(f).Notify(0x1130, io));
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return IsSelected("DPI_select_check_3"); }, kWaitMs));
    EXPECT_FALSE(IsSelected("DPI_select_check_2"));
}

}  // namespace
}  // namespace page_test
}  // namespace tirk

namespace tirk {
namespace page_test {
namespace {

// A mouse that fails while its settings are written: the profile file holds
// the change, the page shows it, the user is told once; after the fault the
// next change goes through.
struct FaultCase {
    const char* name;
    std::vector<std::string_view> fault;
};

class MouseFaultTest : public MousePageTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    void Fault(const std::vector<std::string_view>& words) {
        vbus::FaultPlan plan;
        std::string error;
        ASSERT_TRUE(vbus::ParseFaultPlan(words, &plan, &error)) << error;
        bus_->Find("mouse")->SetFault(plan);
    }
};

TEST_P(MouseFaultTest, AFailedSettingsWriteKeepsPageAndFileAndTellsTheUser) {
    ASSERT_NO_FATAL_FAILURE(Fault(GetParam().fault));
    ASSERT_TRUE(Select("polling_rate_option_0"));
    // A mouse that does not answer keeps the status poll waiting too: the
    // message is what to wait for.
    EXPECT_EQ(OnDisk()["ReportStages"].toObject()["StageActive"].toInt(), 0) << "the file";
    EXPECT_TRUE(IsSelected("polling_rate_option_0")) << "the page";
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Text("device_part_settings")), std::string::npos) << told[0];

    ASSERT_NO_FATAL_FAILURE(Fault({"none"}));
    ASSERT_TRUE(Select("polling_rate_option_4"));
    EXPECT_TRUE(WaitForMouse([](const Bytes& r) { return r[11] == 4; }))
        << "the mouse takes the next change";
    QTest::qWait(100);
    EXPECT_TRUE(messages_->Take().empty());
}

// The same for a button remap: the profile keeps it, the user is told the
// buttons were not written, and saving again writes them.
TEST_P(MouseFaultTest, AFailedKeyTableWriteKeepsTheRemapAndTellsTheUser) {
    ASSERT_TRUE(Press("key_Op_tab"));
    constexpr int kMiddleButton = 2;
    ASSERT_TRUE(ChooseKey(kMiddleButton));
    ChooseAssignment(kCategoryGunKey, "keyset_gunkey_combo", 1);
    const AssignmentCode gun = CurrentCode(kMiddleButton);
    ASSERT_NO_FATAL_FAILURE(Fault(GetParam().fault));
    ASSERT_TRUE(Press("key_butt_prosave"));
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Text("device_part_keys")), std::string::npos) << told[0];
    EXPECT_EQ(KeyOnDisk(kMiddleButton).first, gun.kind << 16 | gun.p1 << 8 | gun.p2) << "the file";
    EXPECT_EQ(CurrentCode(kMiddleButton), gun) << "the page";

    ASSERT_NO_FATAL_FAILURE(Fault({"none"}));
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(CodeOnMouse(kMiddleButton), (Bytes{gun.kind, gun.p1, gun.p2}));
}

INSTANTIATE_TEST_SUITE_P(Faults, MouseFaultTest,
                         ::testing::Values(FaultCase{"NoAnswer", {"noanswer"}},
                                           FaultCase{"WrongEcho", {"wrongecho"}},
                                           FaultCase{"StatusFF", {"status", "FF"}},
                                           FaultCase{"StatusFE", {"status", "FE"}}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return info.param.name;
                         });

// On the receiver alone: the mouse's link lost hides its tile, its return
// shows it again; back on the cable the link is no longer watched.
TEST_F(MousePageTest, TheReceiversLinkLostHidesTheTileAndItsReturnShowsIt) {
    std::string error;
    ASSERT_TRUE(bus_->Unplug("mouse", &error)) << error;
    CCommandChannel& channel = Device().Channel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.IsOpen() && channel.IsWireless(); }, kWaitMs));
    const auto tileShown = [&] {
        for (const DeviceDiscovery::FamilySet& set : window_->Discovery()->Sets())
            if (set.device == &Device()) return set.tile->IsShown();
        return false;
    };
    ASSERT_TRUE(tileShown());
    std::string answer;
    ASSERT_TRUE(bus_->Find("mouse-receiver")->FirmwareControl({"link", "off"}, &answer)) << answer;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tileShown(); }, 10000)) << "hidden by the link watch";
    ASSERT_TRUE(bus_->Find("mouse-receiver")->FirmwareControl({"link", "on"}, &answer)) << answer;
    EXPECT_TRUE(QTest::qWaitFor(tileShown, 10000)) << "shown again";

    // The cable back in: the watch of the receiver's link ends with the move
    // (on the cable there is no wireless link to lose), and the tile stays.
    ASSERT_TRUE(bus_->Plug("mouse", &error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.IsOpen() && !channel.IsWireless(); }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Device().TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch) == 0 &&
                   Device().ExchangesPending() == 0;
        },
        10000))
        << "the link watch ended";
    EXPECT_TRUE(tileShown());
}

}  // namespace
}  // namespace page_test
}  // namespace tirk
