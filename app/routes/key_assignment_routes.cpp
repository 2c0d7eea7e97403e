// The key-assignment panel's commands and the key list beside it: opening a
// key, saving what the panel shows at that key, default, cancel, and applying
// the key assignments (with the macros they use) to the device.
#include <cstdlib>
#include <string>

#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/key_assignment.h"
#include "profile/panel/key_set_control.h"
#include "ui/button.h"
#include "ui/list.h"

namespace tirk {
namespace {

constexpr char kLeftButtonKept[] = "message_text_6";
constexpr char kMacrosTooLong[] = "message_text_16";
constexpr char kMacrosNoMemory[] = "message_text_7";

void SaveAssignment(CTelvorinFamilyDevice& device, CKeySetControlUI& panel) {
    device.StoreAtSelectedKey(panel.BuildAssignment());
    device.RefreshKeyListText();
    panel.SetEditingEnabled(true);
}

/// The panel does its own part of the notification (a chosen category shows
/// its page); what it reports as a change of the assignment is saved.
void OnPanelControl(RouteCall& call) {
    CKeySetControlUI* panel = call.device.KeySetPanel();
    if (!panel || call.device.SelectedKey() < 0) return;
    if (panel->OnControlNotify(call.msg.sType, call.msg.pSender->GetName()))
        SaveAssignment(call.device, *panel);
}


void OnApply(RouteCall& call) {
    CKeySetControlUI* panel = call.device.KeySetPanel();
    if (panel && ApplyKeysToDevice(call.device, call.services)) panel->SetEditingEnabled(false);
}

void OnDefault(RouteCall& call) {
    CKeySetControlUI* panel = call.device.KeySetPanel();
    if (!panel || call.device.SelectedKey() < 0) return;
    panel->ShowDefault();
    if (call.device.FamilyCode() == CTelvorinUSBDevice::kFamilyKeyboard) {
        SaveAssignment(call.device, *panel);
        ApplyKeysToDevice(call.device, call.services);
    }
    panel->SetEditingEnabled(true);
}

void OnCancel(RouteCall& call) {
    if (CKeySetControlUI* panel = call.device.KeySetPanel()) {
        panel->ShowCurrent();
        panel->SetEditingEnabled(false);
    }
}

/// A modifier option of the keyboard-key page was chosen: the key's
/// combination changes with it.
void OnModifierChosen(RouteCall& call) {
    auto* option = dynamic_cast<COptionUI*>(call.msg.pSender);
    CKeySetControlUI* panel = call.device.KeySetPanel();
    if (!option || !option->IsSelected() || !panel || call.device.SelectedKey() < 0) return;
    SaveAssignment(call.device, *panel);
}

/// A row of the key list was chosen: its key is opened in the panel, except
/// a mouse's last left button, which must stay as it is.
void OnKeyRowChosen(RouteCall& call) {
    auto* rows = dynamic_cast<CListUI*>(call.msg.pSender);
    if (!rows) return;
    CControlUI* row = rows->GetItemAt(rows->GetCurSel());
    if (!row) return;
    const int key = std::atoi(row->GetUserData().c_str());
    CTelvorinFamilyDevice& device = call.device;
    if (device.FamilyCode() == CTelvorinUSBDevice::kFamilyMouse &&
        IsLastLeftButton(device.Profile().KeyList(), key)) {
        call.services.ShowMessage(kLeftButtonKept);
        device.RefreshKeyListText();  // the row of the key still open stays chosen
        return;
    }
    device.SelectKey(key);
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kItemSelect, "keyset_function_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_mousekey_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_mouseswing_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_mousewheel_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_mousedpi_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_media_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_system_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_macro_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_macro_over_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_gunkey_combo", false, OnPanelControl},
    {notify_type::kItemSelect, "keyset_combokey_combo", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mouseswing_num_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mouseswing_delay_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mouseswing_speed_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mousewheel_num_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mousewheel_delay_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mousewheel_speed_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mousefire_interval_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_mousefire_num_edit", false, OnPanelControl},
    {notify_type::kKillFocus, "keyset_macro_cycle_edit", false, OnPanelControl},
    {notify_type::kKeyCapture, "keyset_keyboard_text_edit", false, OnPanelControl},
    {notify_type::kClick, "key_butt_keysave", false, OnPanelControl},
    {notify_type::kClick, "key_butt_keydefalut", false, OnDefault},
    {notify_type::kClick, "key_butt_keycancel", false, OnCancel},
    {notify_type::kClick, "key_butt_prosave", false, OnApply},
    {notify_type::kSelectChanged, "key_ComBox_check_", true, OnModifierChosen},
    {notify_type::kItemSelect, CTelvorinFamilyDevice::kKeyListName, false, OnKeyRowChosen},
};

}  // namespace

bool ApplyKeysToDevice(CTelvorinFamilyDevice& device, IPageServices& services) {
    const int result = device.DownloadMacros(device.CollectUsedMacros());
    if (result > 0) {
        services.ShowMessage(kMacrosTooLong, std::to_string(result));
        return false;
    }
    if (result == -1) services.ShowMessage(kMacrosNoMemory);
    device.WriteCurrentKeyAssignments(0);
    device.SaveProfile();
    return device.LastSave().ok;
}

std::span<const PageRoute> KeyAssignmentRoutes() {
    return kRoutes;
}

}  // namespace tirk
