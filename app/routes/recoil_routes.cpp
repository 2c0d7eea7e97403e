// The recoil page of the mice: choosing a gun and a shot, the direction
// checks, writing a shot when one of its edits is left, the gun's default,
// import and export of its table, and sending the four tables to the mouse.
// Devices without the page (every family but the mice) ignore all of it.
#include <string>

#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/panel/shoot_control.h"

namespace tirk {
namespace {

constexpr char kFileFilter[] = "Shoot Files(*.shoot)";
constexpr char kFileSuffix[] = "shoot";

/// Tells the user about a refusal or a failure; an ok or unchanged result says nothing.
void Report(RouteCall& call, const RecoilResult& result) {
    if (!result.textKey.empty()) call.services.ShowMessage(result.textKey, result.detail);
}

/// A value typed into an edit that still has the focus belongs to the shot
/// shown, so it is written before anything else is shown or sent.
bool KeepTypedValues(RouteCall& call, CShootControlUI& page) {
    const RecoilResult saved = page.SaveTypedValues();
    Report(call, saved);
    return saved.Ok();
}

void OnGunChosen(RouteCall& call) {
    CShootControlUI* page = call.device.ShootPage();
    if (!page) return;
    KeepTypedValues(call, *page);
    page->SelectGun(call.index);
    page->ShowShot();
}

void ChooseShot(RouteCall& call, int shot) {
    CShootControlUI* page = call.device.ShootPage();
    if (!page) return;
    KeepTypedValues(call, *page);
    page->SelectShot(shot);
}

void OnShotChosen(RouteCall& call) {
    ChooseShot(call, call.index);
}

void OnPreviousShot(RouteCall& call) {
    if (CShootControlUI* page = call.device.ShootPage()) ChooseShot(call, page->SelectedShot() - 1);
}

void OnNextShot(RouteCall& call) {
    if (CShootControlUI* page = call.device.ShootPage()) ChooseShot(call, page->SelectedShot() + 1);
}

void OnDirectionChecked(RouteCall& call) {
    if (CShootControlUI* page = call.device.ShootPage()) page->ShowDirectionTexts();
}

void OnEditLeft(RouteCall& call) {
    if (CShootControlUI* page = call.device.ShootPage()) Report(call, page->SaveShot());
}

void OnSend(RouteCall& call) {
    CShootControlUI* page = call.device.ShootPage();
    if (!page || !KeepTypedValues(call, *page)) return;
    RecoilBlock block = page->BuildRecoilBlock();
    if (!block.result) {
        Report(call, block.result);
        return;
    }
    call.device.SendRecoilTables(std::move(block.bytes));
}

void OnReset(RouteCall& call) {
    if (CShootControlUI* page = call.device.ShootPage())
        Report(call, page->ResetGun(page->SelectedGun()));
}

void OnImport(RouteCall& call) {
    CShootControlUI* page = call.device.ShootPage();
    if (!page) return;
    const std::string path =
        call.services.ChooseFile(FileDialogKind::kOpen, kFileFilter, kFileSuffix);
    if (path.empty()) return;
    Report(call, page->ImportGun(path));
}

void OnExport(RouteCall& call) {
    CShootControlUI* page = call.device.ShootPage();
    if (!page || !KeepTypedValues(call, *page)) return;
    const std::string path =
        call.services.ChooseFile(FileDialogKind::kSave, kFileFilter, kFileSuffix);
    if (path.empty()) return;
    Report(call, page->ExportGun(path));
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kSelectChanged, "shoot_gun_op_", true, OnGunChosen},
    {notify_type::kSelectChanged, "bullet_op_", true, OnShotChosen},
    {notify_type::kClick, "bullet_selected_prev", false, OnPreviousShot},
    {notify_type::kClick, "bullet_selected_next", false, OnNextShot},
    {notify_type::kSelectChanged, "bullet_x_check", false, OnDirectionChecked},
    {notify_type::kSelectChanged, "bullet_y_check", false, OnDirectionChecked},
    {notify_type::kKillFocus, "bullet_x_eidt", false, OnEditLeft},
    {notify_type::kKillFocus, "bullet_y_eidt", false, OnEditLeft},
    {notify_type::kKillFocus, "bullet_delay_eidt", false, OnEditLeft},
    {notify_type::kClick, "shootdate_save_btn", false, OnSend},
    {notify_type::kClick, "shootdate_reset_btn", false, OnReset},
    {notify_type::kClick, "shootdate_import_btn", false, OnImport},
    {notify_type::kClick, "shootdate_export_btn", false, OnExport},
};

}  // namespace

std::span<const PageRoute> RecoilRoutes() {
    return kRoutes;
}

}  // namespace tirk
