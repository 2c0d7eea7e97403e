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
#include "device/virtual/mouse_firmware.h"
#include "page_fixture.h"

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
        return QTest::qWaitFor(
            [&] { return Device().ExchangesPending() == 0 && check(Record()); }, kWaitMs);
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

    CTelvorinMouseDevice* mouse_ = nullptr;
};

TEST_F(MousePageTest, ADpiStageSetBySliderOrTypedReachesTheMouseAndTheFile) {
    ASSERT_TRUE(Slide("DPI_slider_1", 20));
    const int dpi = mouse_->DpiOfSlider(20);
    EXPECT_TRUE(WaitForMouse([&](const Bytes& r) { return Word(r, 25) == dpi && Word(r, 27) == dpi; }))
        << "stage 1's X and Y at 25 and 27";
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
