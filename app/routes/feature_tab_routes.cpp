// The feature tabs of the profile bar: each shows one function page of the
// device (lighting, keys, macros, …) and folds the profile command menu.
#include <array>
#include <string_view>

#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/panel/device_profile.h"
#include "ui/button.h"

namespace tirk {
namespace {

/// A tab's function-switch type (what OnTabSelected shows) and its number on
/// the profile bar (SelectFeatureTab). docs/page-routing.md explains the types.
struct FeatureTab {
    const char* name;
    int switchType;
    int barNumber;
};

constexpr FeatureTab kFeatureTabs[] = {
    {"deng_Op_tab", 1, 5},       {"key_Op_tab", 2, 4},  {"macro_Op_tab", 3, 2},
    {"system_Op_tab", 4, 3},     {"cursor_Op_tab", 5, 1}, {"6533_voice_Op_tab", 6, 6},
    {"magic_Op_tab", 7, 7},      {"Virtual7.1_Op_tab", 8, 8},
};

void SelectFeatureTab(RouteCall& call) {
    // Deselecting the previous tab sends "selectchanged" too; only the
    // selected one switches.
    auto* option = dynamic_cast<COptionUI*>(call.msg.pSender);
    if (!option || !option->IsSelected()) return;
    const std::string& name = option->GetName();
    for (const FeatureTab& tab : kFeatureTabs) {
        if (name != tab.name) continue;
        call.device.OnTabSelected(tab.switchType);
        if (auto* panel = dynamic_cast<CDeviceProfileUI*>(
                call.device.FindSubControl(CTelvorinFamilyDevice::kProfilePanelName))) {
            panel->SelectFeatureTab(tab.barNumber);
            panel->SetMenuVisible(false);
        }
        return;
    }
}

constexpr auto kRoutes = [] {
    std::array<PageRoute, std::size(kFeatureTabs)> routes{};
    for (size_t i = 0; i < routes.size(); ++i)
        routes[i] = {"selectchanged", kFeatureTabs[i].name, false, SelectFeatureTab};
    return routes;
}();

}  // namespace

std::span<const PageRoute> FeatureTabRoutes() {
    return kRoutes;
}

}  // namespace tirk
