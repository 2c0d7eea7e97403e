// The device object as a page: binding the key buttons of a layout, showing
// the colour buffer on them, and the function-switch pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "device/page/indexed_name.h"
#include "page_fixture.h"
#include "ui/device_key_button.h"
#include "ui/select_panel.h"

namespace tirk::page::test {
namespace {

constexpr int kKeys = 4;
constexpr int kLeds = 6;

// Builds the test page; the root element becomes a TestDevice.
class PageBuilder : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const std::string& className) override {
        if (className == "TelvorinUSBDevice") return new TestDevice();
        if (className == "SelectPanel") return new CSelectPanelUI();
        if (className == "DeviceKeyButton") return new CDeviceKeyButtonUI();
        return nullptr;
    }
};

class DevicePage : public ::testing::Test {
protected:
    void SetUp() override {
        PageBuilder callback;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(
            std::string(TIRK_TEST_DATA_DIR) + "/device/page/device_page.xml", &callback);
        ASSERT_NE(root, nullptr) << builder.GetError();
        device_.reset(dynamic_cast<TestDevice*>(root));
        ASSERT_NE(device_, nullptr);
        device_->SetPageLayoutPath("XML\\DeviceXml\\testdevice.xml");
        device_->SetKeyCount(kKeys);
        device_->SetLedCount(kLeds);
        device_->AttachToPage();
    }

    CDeviceKeyButtonUI* Button(const std::string& name) {
        return dynamic_cast<CDeviceKeyButtonUI*>(device_->FindSubControl(name));
    }
    CTabLayoutUI* Tabs(const std::string& name) {
        return dynamic_cast<CTabLayoutUI*>(device_->FindSubControl(name));
    }

    std::unique_ptr<TestDevice> device_;
};

TEST_F(DevicePage, BindsTheKeysAndLightsOfTheFirstSelectPanel) {
    EXPECT_EQ(device_->SelectPanel(), device_->FindSubControl("select_panel"));
    const char* keys[kKeys] = {"key_0", "key_1", "key_2", "key_3"};
    for (int i = 0; i < kKeys; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(device_->KeyControl(i), nullptr);
        EXPECT_EQ(device_->KeyControl(i)->GetName(), keys[i]);
    }
    // The "key_2" outside the panel comes first in the layout and must not
    // win; the nested one inside (user data "lamp_2") is the key.
    EXPECT_NE(device_->KeyControl(2), Button("key_2"));
    EXPECT_EQ(device_->KeyControl(2)->GetUserData(), "lamp_2");

    const char* lights[kLeds] = {"key_0",        nullptr, "nested_key_2",
                                 "hidden_light", nullptr, "key_3"};
    for (int i = 0; i < kLeds; ++i) {
        SCOPED_TRACE(i);
        CDeviceKeyButtonUI* bound = device_->LightControl(i);
        if (!lights[i]) {
            EXPECT_EQ(bound, nullptr);
            continue;
        }
        ASSERT_NE(bound, nullptr);
        EXPECT_EQ(bound->GetName(), lights[i]);
        EXPECT_EQ(bound->GetLightColor(), 0xFFFFFFu);
        EXPECT_EQ(bound->GetLightAlpha(), 255);
        EXPECT_TRUE(bound->IsLightOn());
    }
    EXPECT_EQ(device_->KeyControl(-1), nullptr);
    EXPECT_EQ(device_->KeyControl(kKeys), nullptr);
    EXPECT_EQ(device_->LightControl(kLeds), nullptr);
}

TEST_F(DevicePage, IgnoresOtherPrefixesMalformedAndOutOfRangeNumbers) {
    for (const char* name : {"key_4", "keys_1", "key_", "key_2x", "key_-1", "second_key_2"}) {
        SCOPED_TRACE(name);
        CDeviceKeyButtonUI* button = Button(name);
        ASSERT_NE(button, nullptr);
        for (int i = 0; i < kKeys; ++i) EXPECT_NE(device_->KeyControl(i), button);
        for (int i = 0; i < kLeds; ++i) EXPECT_NE(device_->LightControl(i), button);
        EXPECT_FALSE(button->IsLightOn()) << "only bound lights are coloured";
    }
}

TEST_F(DevicePage, WithoutAPageLayoutBothCountsBecomeZero) {
    device_->SetPageLayoutPath("");
    device_->AttachToPage();
    EXPECT_EQ(device_->KeyCount(), 0);
    EXPECT_EQ(device_->LedCount(), 0);
    EXPECT_EQ(device_->KeyControl(0), nullptr);
}

TEST_F(DevicePage, LedCountClearsTheColoursAndRecords) {
    device_->SetLedColour(1, 1, 2, 3, 4);
    EXPECT_EQ(device_->GetLedColour(1), 0x04030201u);
    device_->SetLedColour(kLeds, 9, 9, 9, 9);  // outside: ignored
    EXPECT_EQ(device_->GetLedColour(kLeds), 0u);
    EXPECT_EQ(device_->GetLedColour(-1), 0u);
    device_->SetLedCount(3);
    EXPECT_EQ(device_->GetLedColour(1), 0u);
    EXPECT_EQ(device_->GetLedRecord(2), CTelvorinUSBDevice::LedRecord{});
    EXPECT_EQ(device_->LightControl(0), nullptr) << "the lists are cleared too";
}

TEST_F(DevicePage, RenderPacksTheColourBufferOntoTheVisibleLights) {
    device_->SetLedColour(0, 0x11, 0x22, 0x33, 0x44);
    device_->SetLedColour(2, 0xA0, 0xB0, 0xC0, 0xD0);
    device_->SetLedColour(3, 0x01, 0x02, 0x03, 0x04);
    device_->SetLedColour(5, 0xFF, 0x00, 0x00, 0x80);

    device_->SetLightControl(0);
    device_->RenderLightFrame();
    EXPECT_EQ(device_->LightControl(0)->GetLightColor(), 0xFFFFFFu)
        << "without the light-control flag the marks stay";

    device_->SetLightControl(1);
    device_->RenderLightFrame();
    struct Expected {
        int led;
        uint32_t colour;  // red | blue << 8 | green << 16
        int alpha;
    };
    const Expected expected[] = {
        {0, 0x223311, 0x44},
        {2, 0xB0C0A0, 0xD0},
        {3, 0xFFFFFF, 255},  // hidden: left as it was
        {5, 0x0000FF, 0x80},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.led);
        EXPECT_EQ(device_->LightControl(e.led)->GetLightColor(), e.colour);
        EXPECT_EQ(device_->LightControl(e.led)->GetLightAlpha(), e.alpha);
    }
}

TEST_F(DevicePage, PreviewStepsFillEveryLed) {
    preview::LightingParams params;
    params.mode = preview::kEffectStatic;
    params.level = 3;
    params.red = 0x10;
    params.green = 0x20;
    params.blue = 0x30;
    device_->SetLightingParams(params);
    device_->RunPreviewStep();
    for (int i = 0; i < kLeds; ++i) EXPECT_EQ(device_->GetLedColour(i), 0xC3302010u) << i;

    params.mode = preview::kEffectBlink;
    params.speed = 4;  // 200 ms
    device_->SetLightingParams(params);
    uint32_t now = 1000;
    device_->SetTickSource([&now] { return now; });
    device_->RunPreviewStep();
    EXPECT_EQ(device_->GetLedColour(4), 0xC3302010u) << "blink on";
    now += 199;
    device_->RunPreviewStep();
    EXPECT_EQ(device_->GetLedColour(4), 0xC3302010u);
    now += 1;
    device_->RunPreviewStep();
    EXPECT_EQ(device_->GetLedColour(4), 0u) << "blink off";

    params.mode = preview::kEffectOff;
    device_->SetLightingParams(params);
    device_->SetLedColour(0, 1, 1, 1, 1);
    device_->RunPreviewStep();
    EXPECT_EQ(device_->GetLedColour(0), 0u);
}

TEST_F(DevicePage, ReactiveOperationsWorkOnTheObjectsState) {
    std::array<uint8_t, preview::kRingLength> ring{};
    ring[0] = ring[4] = 1;
    device_->SetReactiveRing(ring);
    device_->ReactiveStart();
    EXPECT_EQ(device_->ReactiveState().fade[4], 255);
    device_->ReactiveFadeStep(4, 29);
    EXPECT_EQ(device_->ReactiveState().fade[4], 210);
    device_->RotateReactiveRing(1);
    EXPECT_EQ(device_->ReactiveState().ring[1], 1);
    EXPECT_EQ(device_->ReactiveState().ring[5], 1);
    device_->ClearReactiveState();
    EXPECT_EQ(device_->ReactiveState().fade[4], 0);
    EXPECT_EQ(device_->ReactiveState().ring[5], 0);
}

// The second tab layout has a page 3 that no tab type selects, so a type that
// leaves it alone is seen as such.
TEST_F(DevicePage, FunctionSwitchPagesForEveryTabType) {
    struct Case {
        int typeCode;
        int tabType;
        int functions, keyFunctions;  // the selected pages after the call
    };
    const Case cases[] = {
        {1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 0, 1}, {1, 3, 1, 3}, {1, 4, 3, 3},  {1, 5, 2, 3},
        {1, 6, 0, 1}, {1, 7, 0, 2}, {1, 8, 1, 3}, {1, 9, 0, 0}, {1, -1, 0, 0}, {2, 4, 3, 3},
        {3, 4, 0, 2}, {7, 4, 0, 2}, {6, 4, 0, 2}, {3, 2, 0, 1}, {3, 3, 1, 3},  {7, 5, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "type code " << c.typeCode << " tab type " << c.tabType);
        device_->SetTypeCodes(c.typeCode, 0);
        Tabs("device_function_switch")->SelectItem(1);
        Tabs("device_key_function_switch")->SelectItem(3);
        device_->OnTabSelected(c.tabType);
        EXPECT_EQ(device_->GetFunctionSwitchType(), c.tabType);
        EXPECT_EQ(Tabs("device_function_switch")->GetCurSel(), c.functions);
        EXPECT_EQ(Tabs("device_key_function_switch")->GetCurSel(), c.keyFunctions);
    }
}

TEST(DeviceObject, InitialValuesAndPaths) {
    TestDevice device;
    EXPECT_EQ(device.GetClass(), "TelvorinUSBDevice");
    EXPECT_EQ(device.FamilyCode(), CTelvorinUSBDevice::kFamilyBase);
    EXPECT_EQ(device.GetFunctionSwitchType(), 1);
    EXPECT_EQ(device.SelectedKey(), -1);
    EXPECT_EQ(device.SecondSelection(), -1);
    EXPECT_EQ(device.ModelSelection(), -1);
    EXPECT_EQ(device.GetLightingDefaultsIndex(), 0);
    EXPECT_EQ(device.CTelvorinUSBDevice::IsOnline(), 1);

    vbus::test::TempRoot home;
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    device.SetDeviceFolderName("keyboard");
    device.SetProfileBaseName("1700000000");
    device.SetConfigBaseName("zintu_light");
    device.SetInstallFolder("/opt/tirk");
    const std::string folder = home.path() + "/Vorpaline TIRK/keyboard/";
    FileResult made;
    EXPECT_EQ(device.UserFolder(&made), folder);
    EXPECT_TRUE(made.ok) << made.error;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(device.ProfileDocumentPath(), folder + "1700000000.Json");
    EXPECT_EQ(device.ConfigDocumentPath(), folder + "zintu_light.config");
    EXPECT_EQ(device.DefaultDataFolder(), "/opt/tirk/DefaultData/");
    EXPECT_EQ(device.DefaultProfilePath(), "/opt/tirk/DefaultData/keyboard.Json");
    unsetenv("XDG_DATA_HOME");
}

TEST(IndexedNames, SplitAtTheLastUnderscore) {
    struct Case {
        const char* text;
        const char* prefix;
        int number;
    };
    const Case cases[] = {
        {"key_12", "key_", 12}, {"light_0", "light_", 0},
        {"a_b_7", "a_b_", 7},   {"key_", "key_", -1},
        {"key_1a", "key_", -1}, {"key_-1", "key_", -1},
        {"key", "key", -1},     {"", "", -1},
        {"key_+1", "key_", -1}, {"key_99999999999", "key_", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        IndexedName name = SplitIndexedName(c.text);
        EXPECT_EQ(name.prefix, c.prefix);
        EXPECT_EQ(name.number, c.number);
    }
}

}  // namespace
}  // namespace tirk::page::test
