// The page control classes by name: the main window's layout element table
// and the factory registration of start-up.
#include "app/control_table.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cctype>
#include <memory>

#include "test_application.h"
#include "ui/control.h"
#include "ui/control_factory.h"
#include "ui/list.h"

namespace tirk {
namespace {

bool EqualsIgnoringCase(std::string a, std::string b) {
    for (auto* text : {&a, &b})
        for (char& c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == b;
}

class ControlTableTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApplication<QApplication>("control_table_test"); }
    void TearDown() override { CControlFactory::GetInstance()->RemoveAll(); }
};

// The class text of what `create` makes for `name`; "" for nothing.
template <typename Create>
std::string ClassMadeFor(Create create, const std::string& name) {
    std::unique_ptr<CControlUI> control(create(name));
    return control ? control->GetClass() : std::string();
}

TEST_F(ControlTableTest, LayoutElementsAreAnsweredByNameWithoutRegardToCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"CircleProgress", "CircleProgress"},
        {"circleprogress", "CircleProgress"},
        {"SelectPanel", "SelectPanel"},
        {"SELECTPANEL", "SelectPanel"},
        {"DeviceKeyButton", "DeviceKeyButton"},
        {"deviceKeyButton", "DeviceKeyButton"},
        {"HandImgButton", "HandImgButton"},
        {"HandImgSelectButton", "HandImgSelectButton"},
        {"handimgselectbutton", "HandImgSelectButton"},
        {"ComboEditContainerElement", "ComboEditContainerElement"},
        {"DeviceProfile", "DeviceProfile"},
        {"deviceprofile", "DeviceProfile"},
        {"LightControl", "LightControl"},
        {"KeySetControl", "KeySetControl"},
        {"Pallet", "Pallet"},
    };
    for (const auto& [name, made] : cases)
        EXPECT_EQ(ClassMadeFor(CreateLayoutElement, name), made) << name;
}

TEST_F(ControlTableTest, DevicePageRootsAreTheFamilyObjects) {
    for (const char* name : {"TelvorinMouseDevice", "TelvorinKeyboardDevice",
                             "telvorinmousepaddevice", "TelvorinHS6533Device"}) {
        std::unique_ptr<CControlUI> device(CreateLayoutElement(name));
        ASSERT_NE(device, nullptr) << name;
        EXPECT_TRUE(EqualsIgnoringCase(device->GetClass(), name)) << device->GetClass();
    }
}

TEST_F(ControlTableTest, OtherNamesGetNothing) {
    for (const char* name :
         {"", "Select", "SelectPanelX", "CSelectPanelUI", "Button", "DeviceProfileX", "LightControlX",
          "TelvorinDevice", "DeviceProfileUI", "ChartView", "HandImg"}) {
        EXPECT_EQ(CreateLayoutElement(name), nullptr) << name;
    }
}

TEST_F(ControlTableTest, StartUpRegistersTheClassesInOrder) {
    const std::pair<const char*, const char*> expected[] = {
        {"CCircleProgressUI", "CircleProgress"},
        {"CChartViewUI", "ChartView"},
        {"CWndUI", "Wnd"},
        {"CSelectPanelUI", "SelectPanel"},
        {"CDeviceKeyButtonUI", "DeviceKeyButton"},
        {"CCloudShareListItemUI", "CloudShareListItem"},
        {"CComboEditContainerElementUI", "ComboEditContainerElement"},
        {"CHandImgButtonUI", "HandImgButton"},
        {"CHandImgSelectButtonUI", "HandImgSelectButton"},
        {"CDeviceOptionUI", "DeviceOption"},
        {"CMpDevicePowerUI", "MpDevicePower"},
        {"CRedioMacroButtonUI", "RedioMacroButton"},
        {"CLightControlUI", "LightControl"},
        {"CMacroControlUI", "MacroControl"},
        {"CKeySetControlUI", "KeySetControl"},
        {"CDeviceProfileUI", "DeviceProfile"},
        {"CShootControlUI", "ShootControl"},
        {"CPalletUI", "Pallet"},
    };
    ASSERT_EQ(FactoryClassRows().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_STREQ(FactoryClassRows()[i].name, expected[i].first) << i;

    CControlFactory& factory = *CControlFactory::GetInstance();
    RegisterCustomControls(factory);
    auto create = [&factory](const std::string& name) { return factory.CreateControl(name); };
    for (const auto& [name, made] : expected) {
        EXPECT_EQ(ClassMadeFor(create, name), made) << name;
        // A layout element <SelectPanel> finds the class through the factory.
        std::string element = std::string(name).substr(1, std::string(name).size() - 3);
        EXPECT_EQ(ClassMadeFor(create, element), made) << element;
    }
    std::unique_ptr<CControlUI> item(factory.CreateControl("CloudShareListItem"));
    EXPECT_NE(dynamic_cast<IListItemUI*>(item.get()), nullptr);
}

}  // namespace
}  // namespace tirk
