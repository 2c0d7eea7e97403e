// The power indicator: status blocks as a table of cases (level text and
// bar, charging state, wireless mark, phone on the charger), the bytes that
// change nothing, blocks of odd lengths, a layout without its parts, and the
// click in the main window.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/device_option_fixture.h"

namespace tirk::ui::test {
namespace {

class PowerIndicator : public ProgramSkinTest {
protected:
    void SetUp() override {
        ProgramSkinTest::SetUp();
        Rebuild();
    }

    // A fresh power tile from the program's layout, with its parts looked up.
    void Rebuild() {
        std::string error;
        power.reset(
            CMpDevicePowerUI::CreateFromLayout(CMpDevicePowerUI::kLayoutFile, nullptr, &error));
        ASSERT_NE(power, nullptr) << error;
        value = power->FindSubControl("device_power_value");
        wireless = power->FindSubControl("device_wuxian_logo");
        progress = dynamic_cast<CProgressUI*>(power->FindSubControl("device_Power_progress"));
        state = power->FindSubControl("device_power_status");
        phone = power->FindSubControl("device_phone_type");
        for (CControlUI* part : {value, wireless, static_cast<CControlUI*>(progress), state, phone})
            ASSERT_NE(part, nullptr);
    }

    void Send(std::vector<uint8_t> block) { power->SetStatus(block.data(), block.size()); }

    std::unique_ptr<CMpDevicePowerUI> power;
    CControlUI* value = nullptr;
    CControlUI* wireless = nullptr;
    CProgressUI* progress = nullptr;
    CControlUI* state = nullptr;
    CControlUI* phone = nullptr;
};

std::string Text(const char* key) {
    return CResourceManager::GetInstance()->GetText(key);
}

struct StatusCase {
    const char* what;
    int kind;
    std::vector<uint8_t> block;
    const char* text;
    int progressValue;
    bool progressVisible;
    const char* stateImage;
    bool wirelessVisible;
    const char* phoneImage;  // "" = untouched
    const char* phoneTip;    // language key; nullptr = untouched
};

const StatusCase kStatusCases[] = {
    {"wired mouse pad, charging, Samsung",
     3,
     {55, 1, 0, 0, 0, 2},
     "55%",
     45,
     true,
     "file='power/powering.png'",
     false,
     "file='power/Phone_type_samsung.png'",
     "Phone_type_samsung"},
    {"wireless keyboard, charging",
     1,
     {55, 1, 0, 1, 0, 2},
     "55%",
     45,
     false,
     "file='power/powering.png'",
     true,
     "",
     nullptr},
    {"wired keyboard, charging",
     1,
     {55, 1, 0, 0, 0, 2},
     "55%",
     45,
     true,
     "file='power/powering.png'",
     false,
     "",
     nullptr},
    {"wireless mouse, full",
     2,
     {100, 0, 0, 1, 0, 0},
     "100%",
     0,
     true,
     "file='power/powered.png'",
     true,
     "",
     nullptr},
    {"wireless mouse, on battery",
     2,
     {7, 2, 0, 1, 0, 0},
     "7%",
     93,
     true,
     "file='power/power.png'",
     true,
     "",
     nullptr},
    {"empty headset",
     7,
     {0, 2, 0, 1, 0, 1},
     "0%",
     100,
     true,
     "file='power/power.png'",
     false,
     "",
     nullptr},
    {"mouse pad, iPhone",
     3,
     {80, 0, 0, 0, 0, 1},
     "80%",
     20,
     true,
     "file='power/powered.png'",
     false,
     "file='power/Phone_type_iphone.png'",
     "Phone_type_iphone"},
    {"mouse pad, other phone",
     3,
     {80, 0, 0, 0, 0, 3},
     "80%",
     20,
     true,
     "file='power/powered.png'",
     false,
     "file='power/Phone_type_other.png'",
     "Phone_type_other"},
    {"mouse pad, no phone",
     3,
     {80, 0, 0, 0, 0, 0},
     "80%",
     20,
     true,
     "file='power/powered.png'",
     false,
     "file='power/Phone_type_no_device.png'",
     "Phone_type_no_device"},
    {"mouse pad, unknown phone code",
     3,
     {80, 0, 0, 1, 0, 4},
     "80%",
     20,
     true,
     "file='power/powered.png'",
     false,
     "file='power/Phone_type_no_device.png'",
     "Phone_type_no_device"},
    // A level above 100 is shown as sent; the bar cannot go below empty.
    {"level out of range",
     2,
     {180, 2, 0, 0, 0, 0},
     "180%",
     0,
     true,
     "file='power/power.png'",
     false,
     "",
     nullptr},
};

TEST_F(PowerIndicator, ShowsEachStatusBlock) {
    for (const StatusCase& c : kStatusCases) {
        ASSERT_NO_FATAL_FAILURE(Rebuild());
        power->SetKind(c.kind, 0);
        Send(c.block);
        EXPECT_EQ(value->GetText(), c.text) << c.what;
        EXPECT_EQ(progress->GetValue(), c.progressValue) << c.what;
        EXPECT_EQ(progress->IsVisible(), c.progressVisible) << c.what;
        EXPECT_EQ(state->GetBkImage(), c.stateImage) << c.what;
        EXPECT_EQ(wireless->IsVisible(), c.wirelessVisible) << c.what;
        EXPECT_EQ(phone->GetBkImage(), c.phoneImage) << c.what;
        EXPECT_EQ(phone->GetToolTip(), c.phoneTip ? Text(c.phoneTip) : "") << c.what;
    }
}

TEST_F(PowerIndicator, PhoneTooltipsAreTranslated) {
    power->SetKind(3, 0);
    Send({55, 1, 0, 0, 0, 2});
    EXPECT_EQ(phone->GetToolTip(), "Samsung phone on the charger");
}

TEST_F(PowerIndicator, AnUnknownChargingStateKeepsPictureAndBar) {
    power->SetKind(1, 0);
    Send({55, 1, 0, 1, 0, 0});
    ASSERT_FALSE(progress->IsVisible());
    Send({40, 3, 0, 1, 0, 0});
    EXPECT_EQ(state->GetBkImage(), "file='power/powering.png'");
    EXPECT_FALSE(progress->IsVisible());
    EXPECT_EQ(value->GetText(), "40%");
    EXPECT_EQ(progress->GetValue(), 60);

    Send({40, 2, 0, 1, 0, 0});
    ASSERT_TRUE(progress->IsVisible());
    Send({41, 255, 0, 1, 0, 0});
    EXPECT_EQ(state->GetBkImage(), "file='power/power.png'");
    EXPECT_TRUE(progress->IsVisible());
}

TEST_F(PowerIndicator, TheWirelessFlagFollowsEachBlockOfAKeyboardOrMouse) {
    power->SetKind(2, 0);
    Send({50, 2, 0, 1, 0, 0});
    EXPECT_TRUE(power->IsWireless());
    Send({50, 1, 0, 0, 0, 0});
    EXPECT_FALSE(power->IsWireless());
    EXPECT_TRUE(progress->IsVisible());
}

TEST_F(PowerIndicator, KeepsSixtyFourBytesZeroFilled) {
    power->SetKind(3, 0);
    std::vector<uint8_t> longBlock(100, 0xEE);
    longBlock[0] = 30;
    longBlock[1] = 2;
    longBlock[5] = 1;
    Send(longBlock);
    EXPECT_EQ(value->GetText(), "30%");
    EXPECT_EQ(phone->GetBkImage(), "file='power/Phone_type_iphone.png'");
    for (size_t i = 6; i < kPowerStatusSize; ++i) ASSERT_EQ(power->GetStatus()[i], 0xEE) << i;

    // A short block does not keep the bytes of the last one.
    Send({77, 2});
    EXPECT_EQ(value->GetText(), "77%");
    EXPECT_EQ(phone->GetBkImage(), "file='power/Phone_type_no_device.png'");
    for (size_t i = 2; i < kPowerStatusSize; ++i) ASSERT_EQ(power->GetStatus()[i], 0) << i;

    // No bytes at all read as an all-zero block, also with a length.
    power->SetStatus(nullptr, 10);
    EXPECT_EQ(value->GetText(), "0%");
    EXPECT_EQ(progress->GetValue(), 100);
    EXPECT_EQ(state->GetBkImage(), "file='power/powered.png'");
    Send({});
    EXPECT_EQ(value->GetText(), "0%");
}

TEST_F(PowerIndicator, ShowPowerLayoutShowsAndHidesTheContent) {
    CControlUI* layout = power->FindSubControl("device_power_Layout");
    ASSERT_NE(layout, nullptr);
    power->ShowPowerLayout(false);
    EXPECT_FALSE(layout->IsVisible());
    power->ShowPowerLayout(true);
    EXPECT_TRUE(layout->IsVisible());
}

TEST_F(PowerIndicator, KindAndValueAreKept) {
    power->SetKind(7, 42);
    EXPECT_EQ(power->GetKind(), 7);
    EXPECT_EQ(power->GetKindValue(), 42);
}

// A layout that lacks one part: the indicator changes nothing at all.
using PowerIndicatorParts = ProgramSkinTest;

TEST_F(PowerIndicatorParts, AMissingPartLeavesEverythingAsItWas) {
    const char* parts[] = {"device_power_value", "device_wuxian_logo", "device_Power_progress",
                           "device_power_status", "device_phone_type"};
    for (const char* missing : parts) {
        std::string xml = "<MpDevicePower><HorizontalLayout name=\"device_power_Layout\">";
        for (const char* part : parts) {
            if (part == missing) continue;
            const bool bar = std::string(part) == "device_Power_progress";
            xml += std::string("<") + (bar ? "Progress" : "Label") + " name=\"" + part +
                   "\" visible=\"false\" text=\"x\" tooltip=\"t\" bkimage=\"b.png\"" +
                   (bar ? " value=\"7\"" : "") + "/>";
        }
        xml += "</HorizontalLayout></MpDevicePower>";
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root(builder.CreateFromText(xml, "part.xml"));
        auto* power = dynamic_cast<CMpDevicePowerUI*>(root.get());
        ASSERT_NE(power, nullptr) << builder.GetError();
        power->SetKind(3, 0);
        const uint8_t block[] = {55, 1, 0, 1, 0, 2};
        power->SetStatus(block, sizeof block);
        EXPECT_EQ(power->GetStatus()[0], 55) << missing << ": the block is still kept";
        for (const char* part : parts) {
            if (part == missing) continue;
            CControlUI* control = power->FindSubControl(part);
            EXPECT_EQ(control->GetText(), "x") << missing << " missing, " << part;
            EXPECT_FALSE(control->IsVisible()) << missing << " missing, " << part;
            EXPECT_EQ(control->GetBkImage(), "b.png") << missing << " missing, " << part;
            EXPECT_EQ(control->GetToolTip(), "t") << missing << " missing, " << part;
            if (auto* bar = dynamic_cast<CProgressUI*>(control)) {
                EXPECT_EQ(bar->GetValue(), 7);
            }
        }
    }
}

// ----------------------------------------------------------- in the main window

using PowerIndicatorInMainWindow = MainWindowWithTiles;

TEST_F(PowerIndicatorInMainWindow, AClickAnywhereSendsSelectChanged) {
    power->SetKind(3, 0);
    const uint8_t block[] = {55, 1, 0, 0, 0, 2};
    power->SetStatus(block, sizeof block);
    ClickOn(power->FindSubControl("device_phone_type"));
    ClickOn(power, {4, 4});
    auto changes = window.Of("selectchanged");
    ASSERT_EQ(changes.size(), 2u);
    for (const Recorded& change : changes) EXPECT_EQ(change.sender, "");
    EXPECT_EQ(window.Of("click").size(), 0u);
}

TEST_F(PowerIndicatorInMainWindow, PartsFitTheArea) {
    auto inside = [this](const char* name) {
        CControlUI* part = power->FindSubControl(name);
        const QRect area(power->mapTo(window.GetWidget(), QPoint()), power->size());
        const TRectUI at = part->GetPos();
        return area.contains(QRect(at.left, at.top, at.Width(), at.Height()));
    };
    const uint8_t block[] = {100, 0, 0, 1, 0, 1};
    power->SetKind(2, 0);
    power->SetStatus(block, sizeof block);
    ASSERT_TRUE(
        WaitUntil([this] { return power->FindSubControl("device_wuxian_logo")->width() > 0; }));
    for (const char* name : {"device_power_value", "device_wuxian_logo", "device_Power_progress",
                             "device_power_status", "device_phone_type"})
        EXPECT_TRUE(inside(name)) << name;
    EXPECT_EQ(power->FindSubControl("device_Power_progress")->size(), QSize(140, 18));
}

}  // namespace
}  // namespace tirk::ui::test
