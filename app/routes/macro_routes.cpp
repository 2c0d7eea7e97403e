// The macro page's commands: the macro list (add, delete, rename, import,
// export, choose), recording through the input hook, the row tools and the
// inserts, and the action menu's items. The page does the work
// (profile/panel/macro_control.h); here the questions are asked, the results
// told, the input hook started and stopped, and the key-binding page and the
// device kept up with the macro list (docs/macro-page.md).
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/macro_recorder.h"
#include "profile/macro_store.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/macro_control.h"

namespace tirk {
namespace {

using RowMove = CMacroControlUI::RowMove;

constexpr char kAskAdd[] = "message_text_28";
constexpr char kAskDelete[] = "message_text_4";
constexpr char kAskDeleteBound[] = "message_text_2";
constexpr char kFixedDelayRaised[] = "message_text_30";
constexpr char kEventsUnreadable[] = "message_macro_events_unreadable";

constexpr char kMacroFilter[] = "Macro Files(*.mac)";
constexpr char kMacroSuffix[] = "mac";
constexpr char kActionMenu[] = "XML/Menus/macro_action_menu.xml";

/// Shows the message a result names. A 51st macro is refused silently: the
/// page simply does not grow.
void Tell(IPageServices& services, const MacroResult& result) {
    if (result.status == MacroStatus::kLimit || result.textKey.empty()) return;
    services.ShowMessage(result.textKey, result.detail);
}

void TellUnreadable(IPageServices& services, const std::string& problem) {
    if (!problem.empty()) services.ShowMessage(kEventsUnreadable, problem);
}

/// The key-binding buttons show changes to send; the device and profile
/// selectors are left as they are.
void MarkBindingsPending(CTelvorinFamilyDevice& device) {
    if (CKeySetControlUI* keys = device.KeySetPanel()) keys->SetEditingEnabled(true);
}

/// The macro list changed: the key-binding chooser and the key list follow,
/// and the open key is shown again with its macro chosen in the new list.
void FollowMacroList(CTelvorinFamilyDevice& device) {
    device.LoadNameLists();
    device.RefreshKeyListText();
    if (device.SelectedKey() >= 0) device.SelectKey(device.SelectedKey());
}

void StartRecording(CTelvorinFamilyDevice& device, IPageServices& services, int kind,
                    MacroDelayMode mode) {
    CMacroControlUI* page = device.MacroPage();
    if (!page || page->IsRecording()) return;
    page->ShowCaptureScope(services.HookDesktopWide());
    if (page->StartRecording(kind, mode)) services.ShowMessage(kFixedDelayRaised);
    services.SetHook(kind, true);
}

/// Runs `action` on the page of the call's device, when it has one.
template <typename Action>
void OnPage(RouteCall& call, Action action) {
    if (CMacroControlUI* page = call.device.MacroPage()) action(*page);
}

// ---- the macro list ------------------------------------------------------------------------

void OnChooseMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) { TellUnreadable(call.services, page.SelectMacro()); });
}

void OnAddMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        if (!call.services.Ask(kAskAdd)) return;
        const MacroResult result = page.AddMacro();
        Tell(call.services, result);
        if (result) FollowMacroList(call.device);
    });
}

/// Removing a macro renumbers the bindings of every profile; when the active
/// profile's changed, the device gets its bindings and macros again.
void OnDeleteMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        CTelvorinFamilyDevice& device = call.device;
        if (!call.services.Ask(kAskDelete)) return;
        const int macro = page.SelectedMacro();
        if (macro < 0) return;
        if (UsesMacro(device.Profile().KeyList(), macro) && !call.services.Ask(kAskDeleteBound))
            return;
        auto* bar = dynamic_cast<CDeviceProfileUI*>(
            device.FindSubControl(CTelvorinFamilyDevice::kProfilePanelName));
        if (!bar) return;  // without the profile list the other profiles cannot follow
        const RenumberResult removal = page.DeleteMacro(bar->ProfileList(), device.Profile());
        Tell(call.services, removal.result);
        if (!removal.result) return;
        FollowMacroList(device);
        if (!removal.activeChanged) return;
        CKeySetControlUI* keys = device.KeySetPanel();
        const bool sent = ApplyKeysToDevice(device, call.services);
        if (keys) keys->SetEditingEnabled(!sent);
    });
}

void OnRenameMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        const MacroResult result = page.RenameMacro();
        Tell(call.services, result);
        if (result) FollowMacroList(call.device);
    });
}

void OnImportMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        if (int(page.MacroNames().size()) >= MacroStore::kMaxMacros) return;
        const std::string path =
            call.services.ChooseFile(FileDialogKind::kOpen, kMacroFilter, kMacroSuffix);
        if (path.empty()) return;
        const MacroResult result = page.ImportMacro(path, call.device.MacroMemory());
        Tell(call.services, result);
        if (result) FollowMacroList(call.device);
    });
}

void OnExportMacro(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        if (page.SelectedMacro() < 0) return;
        const std::string path =
            call.services.ChooseFile(FileDialogKind::kSave, kMacroFilter, kMacroSuffix);
        if (!path.empty()) Tell(call.services, page.ExportMacro(path));
    });
}

void OnSave(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) { Tell(call.services, page.SaveMacro()); });
}

/// Cancel shows the macro as its file has it.
void OnCancel(RouteCall& call) {
    OnChooseMacro(call);
}

// ---- recording --------------------------------------------------------------------------

void OnStartRecording(RouteCall& call) {
    OnPage(call, [&](CMacroControlUI& page) {
        StartRecording(call.device, call.services, macro_kind::kAppend, page.RecordTimeMode());
    });
}

void OnStopRecording(RouteCall& call) {
    EndMacroRecording(call.device, call.services);
}

// ---- the rows -----------------------------------------------------------------------------

/// A change of the rows is written at once.
template <typename Change>
void ChangeRows(RouteCall& call, Change change) {
    OnPage(call, [&](CMacroControlUI& page) {
        change(page);
        Tell(call.services, page.SaveMacro());
    });
}

template <RowMove Move>
void OnMoveRow(RouteCall& call) {
    ChangeRows(call, [](CMacroControlUI& page) { page.MoveRow(Move); });
    MarkBindingsPending(call.device);
}

void OnDeleteRow(RouteCall& call) {
    ChangeRows(call, [](CMacroControlUI& page) { page.DeleteRow(); });
    MarkBindingsPending(call.device);
}

void OnDeleteAllRows(RouteCall& call) {
    ChangeRows(call, [](CMacroControlUI& page) { page.DeleteAllRows(); });
    MarkBindingsPending(call.device);
}

template <MacroMove Move>
void OnInsertMovement(RouteCall& call) {
    ChangeRows(call, [](CMacroControlUI& page) { page.InsertMovement(Move); });
}

void OnRowMenu(RouteCall& call) {
    if (call.device.MacroPage()) call.services.OpenPopupMenu(kActionMenu);
}

// ---- the action menu -------------------------------------------------------------------

/// A recording item: its kind and its mode (none: the mode of the start
/// button, which the fixed-delay option decides).
struct RecordingItem {
    const char* item;
    int kind;
    std::optional<MacroDelayMode> mode;
};
constexpr MacroDelayMode kConstant = MacroDelayMode::kConstantTime;
constexpr MacroDelayMode kIgnore = MacroDelayMode::kIgnoreTime;
const RecordingItem kRecordingItems[] = {
    {"redio_previous_record_time", macro_kind::kInsertBefore, std::nullopt},
    {"redio_previous_constant_time", macro_kind::kInsertBefore, kConstant},
    {"redio_previous_ignore_time", macro_kind::kInsertBefore, kIgnore},
    {"redio_later_record_time", macro_kind::kInsertAfter, std::nullopt},
    {"redio_later_constant_time", macro_kind::kInsertAfter, kConstant},
    {"redio_later_ignore_time", macro_kind::kInsertAfter, kIgnore},
    {"macro_action_edit", macro_kind::kReplace, kIgnore},
};

const RecordingItem* FindRecordingItem(const std::string& item) {
    const auto found = std::find_if(std::begin(kRecordingItems), std::end(kRecordingItems),
                                    [&](const RecordingItem& row) { return item == row.item; });
    return found == std::end(kRecordingItems) ? nullptr : &*found;
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kItemSelect, "macro_name_list", false, OnChooseMacro},
    {notify_type::kClick, "macro_btn_name_add", false, OnAddMacro},
    {notify_type::kClick, "macro_btn_name_sub", false, OnDeleteMacro},
    {notify_type::kClick, "macro_btn_name_edit", false, OnRenameMacro},
    {notify_type::kClick, "macro_btn_save", false, OnSave},
    {notify_type::kClick, "macro_btn_cancel", false, OnCancel},
    {notify_type::kClick, "macro_btn_import", false, OnImportMacro},
    {notify_type::kClick, "macro_btn_export", false, OnExportMacro},
    {notify_type::kClick, "macro_btn_starredio", false, OnStartRecording},
    {notify_type::kClick, "macro_btn_stopredio", false, OnStopRecording},
    {notify_type::kClick, "macro_btn_up", false, OnMoveRow<RowMove::kUp>},
    {notify_type::kClick, "macro_btn_down", false, OnMoveRow<RowMove::kDown>},
    {notify_type::kClick, "macro_btn_uptop", false, OnMoveRow<RowMove::kTop>},
    {notify_type::kClick, "macro_btn_downbottom", false, OnMoveRow<RowMove::kBottom>},
    {notify_type::kClick, "macro_btn_delete", false, OnDeleteRow},
    {notify_type::kClick, "macro_btn_deleteall", false, OnDeleteAllRows},
    {notify_type::kClick, "macro_inset_moveleftkey_btn", false, OnInsertMovement<MacroMove::kLeft>},
    {notify_type::kClick, "macro_inset_moverightkey_btn", false,
     OnInsertMovement<MacroMove::kRight>},
    {notify_type::kClick, "macro_inset_moveupkey_btn", false, OnInsertMovement<MacroMove::kUp>},
    {notify_type::kClick, "macro_inset_movedownkey_btn", false, OnInsertMovement<MacroMove::kDown>},
    {notify_type::kKillFocus, CMacroControlUI::kDelayEditName, false, OnSave},
    {notify_type::kMenu, CMacroControlUI::kRowName, false, OnRowMenu},
};

}  // namespace

std::span<const PageRoute> MacroRoutes() {
    return kRoutes;
}

void EndMacroRecording(CTelvorinFamilyDevice& device, IPageServices& services) {
    CMacroControlUI* page = device.MacroPage();
    if (!page) return;
    const MacroResult saved = page->StopRecording();
    services.SetHook(macro_kind::kAppend, false);
    Tell(services, saved);
    MarkBindingsPending(device);
}

bool RouteMacroMenuItem(const std::string& item, IPageServices& services) {
    const RecordingItem* recording = FindRecordingItem(item);
    const bool insert = !MenuButtonEvents(item, kDefaultFixedDelay).empty();
    if (!recording && !insert) return false;
    CTelvorinFamilyDevice* device = services.CurrentDevice();
    CMacroControlUI* page = device ? device->MacroPage() : nullptr;
    if (!page) return true;
    if (recording) {
        StartRecording(*device, services, recording->kind,
                       recording->mode.value_or(page->RecordTimeMode()));
    } else {
        page->InsertMenuButton(item);
        Tell(services, page->SaveMacro());
    }
    return true;
}

}  // namespace tirk
