#include "app/control_table.h"

#include <cctype>

#include "ui/circle_progress.h"
#include "ui/combo_edit_element.h"
#include "ui/control_factory.h"
#include "device/family/keyboard_device.h"
#include "device/family/mouse_device.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/light_control.h"
#include "profile/panel/macro_control.h"
#include "profile/panel/shoot_control.h"
#include "ui/device_key_button.h"
#include "ui/device_option.h"
#include "ui/hand_img_button.h"
#include "ui/mp_device_power.h"
#include "ui/pallet.h"
#include "ui/placeholder_controls.h"
#include "ui/select_panel.h"

namespace tirk {
namespace {

template <typename Control>
CControlUI* New() {
    return new Control;
}

// Device objects, profile, lighting, key, recoil and sound panels and the
// sub-layout rows join these tables when their classes exist.
constexpr ControlClassRow kLayoutElements[] = {
    {"TelvorinMouseDevice", New<CTelvorinMouseDevice>},
    {"TelvorinKeyboardDevice", New<CTelvorinKeyboardDevice>},
    {"TelvorinMousePadDevice", New<CTelvorinMousePadDevice>},
    {"TelvorinHS6533Device", New<CTelvorinHS6533Device>},
    {"CircleProgress", New<CCircleProgressUI>},
    {"SelectPanel", New<CSelectPanelUI>},
    {"DeviceKeyButton", New<CDeviceKeyButtonUI>},
    {"HandImgButton", New<CHandImgButtonUI>},
    {"HandImgSelectButton", New<CHandImgSelectButtonUI>},
    {"ComboEditContainerElement", New<CComboEditContainerElementUI>},
    {"DeviceProfile", New<CDeviceProfileUI>},
    {"LightControl", New<CLightControlUI>},
    {"KeySetControl", New<CKeySetControlUI>},
    {"MacroControl", New<CMacroControlUI>},
    {"ShootControl", New<CShootControlUI>},
    {"RedioMacroButton", New<CRedioMacroButtonUI>},
    {"Pallet", New<CPalletUI>},
};

constexpr ControlClassRow kFactoryClasses[] = {
    {"CCircleProgressUI", New<CCircleProgressUI>},
    {"CChartViewUI", New<CChartViewUI>},
    {"CWndUI", New<CWndUI>},
    {"CSelectPanelUI", New<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", New<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", New<CCloudShareListItemUI>},
    {"CComboEditContainerElementUI", New<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", New<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", New<CHandImgSelectButtonUI>},
    // Device discovery builds these from their own layouts, without a
    // window callback: <DeviceOption> and <MpDevicePower> reach them here.
    {"CDeviceOptionUI", New<CDeviceOptionUI>},
    {"CMpDevicePowerUI", New<CMpDevicePowerUI>},
    // The lighting page, the key-assignment panel and the profile bar are
    // include files of the device pages; the lighting page holds a palette.
    {"CRedioMacroButtonUI", New<CRedioMacroButtonUI>},
    {"CLightControlUI", New<CLightControlUI>},
    {"CMacroControlUI", New<CMacroControlUI>},
    {"CKeySetControlUI", New<CKeySetControlUI>},
    {"CDeviceProfileUI", New<CDeviceProfileUI>},
    {"CShootControlUI", New<CShootControlUI>},
    {"CPalletUI", New<CPalletUI>},
};

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

std::span<const ControlClassRow> LayoutElementRows() {
    return kLayoutElements;
}

CControlUI* CreateLayoutElement(const std::string& name) {
    for (const ControlClassRow& row : kLayoutElements) {
        if (EqualsNoCase(name, row.name)) return row.create();
    }
    return nullptr;
}

std::span<const ControlClassRow> FactoryClassRows() {
    return kFactoryClasses;
}

void RegisterCustomControls(CControlFactory& factory) {
    for (const ControlClassRow& row : kFactoryClasses) factory.RegistControl(row.name, row.create);
}

}  // namespace tirk
