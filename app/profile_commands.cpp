#include "app/profile_commands.h"

#include <QFile>
#include <QFileDialog>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/log.h"
#include "device/page/usb_device.h"
#include "profile/colour_file.h"
#include "profile/panel/device_profile.h"
#include "profile/profile_import.h"
#include "ui/msg_wnd.h"
#include "ui/resource_manager.h"
#include "ui/window_impl.h"

namespace tirk {
namespace {

/// A file name the save dialog can start with: the profile's name without
/// the folder separator, plus ".json".
std::string SuggestedFileName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '_');
    return name + ".json";
}

}  // namespace

// ---- adapters -------------------------------------------------------------------------

std::string IProfileMessages::Text(const std::string& key) {
    return CResourceManager::GetInstance()->GetText(key);
}

bool CMsgWndProfileMessages::Ask(const std::string& key) {
    return CMsgWnd::ShowMessage(&m_owner, "", key, m_dpi(), MsgButtons::kConfirmCancel) == 1;
}

void CMsgWndProfileMessages::Show(const std::string& key) {
    CMsgWnd::ShowMessage(&m_owner, "", key, m_dpi(), MsgButtons::kConfirm);
}

void CMsgWndProfileMessages::ShowText(const std::string& text) {
    CMsgWnd::ShowPlainMessage(&m_owner, "", text, m_dpi(), MsgButtons::kConfirm);
}

void CWindowProfileTimer::StartTimer(int id, int ms) {
    m_window.SetTimer(id, ms);
}

void CWindowProfileTimer::StopTimer(int id) {
    m_window.KillTimer(id);
}

std::string RunFileDialog(QWidget* parent, bool open, const std::string& filter,
                          const std::string& suffix, const std::string& suggestedName) {
    QFileDialog dialog(parent);
    dialog.setNameFilter(QString::fromStdString(filter));
    if (open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString::fromStdString(suffix));
        dialog.selectFile(QString::fromStdString(suggestedName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

ProfileFileDialog QtProfileFileDialog(QWidget* parent) {
    return [parent](ProfileFileDialogKind kind, const std::string& suggestedName) {
        return RunFileDialog(parent, kind == ProfileFileDialogKind::kOpen, kProfileFileFilter,
                             "json", suggestedName);
    };
}

CUsbDeviceProfileHooks::CUsbDeviceProfileHooks(CTelvorinUSBDevice& device, int screenWidth,
                                               int screenHeight)
    : m_device(device), m_screenWidth(screenWidth), m_screenHeight(screenHeight) {}

int CUsbDeviceProfileHooks::DeviceTypeCode() const {
    return m_device.TypeCode();
}

void CUsbDeviceProfileHooks::SetProfileBaseName(const std::string& id) {
    m_device.SetProfileBaseName(id);
}

void CUsbDeviceProfileHooks::LoadActiveProfile() {
    m_device.LoadActiveProfile();
    m_device.LoadNameLists();
    m_device.ValidateMacroRefs();
}

void CUsbDeviceProfileHooks::RefreshPage() {
    m_device.RefreshPage();
}

void CUsbDeviceProfileHooks::WriteDeviceSettings() {
    m_device.WriteDeviceSettings(0, 0, 1, m_screenWidth, m_screenHeight);
}

int CUsbDeviceProfileHooks::DownloadMacros() {
    return m_device.DownloadMacros(m_device.CollectUsedMacros());
}

void CUsbDeviceProfileHooks::WriteCurrentKeyAssignments() {
    m_device.WriteCurrentKeyAssignments(0);
}

// ---- commands ---------------------------------------------------------------------------

CProfileCommands::CProfileCommands(IProfileMessages& messages, IProfileTimer& timer,
                                   ProfileFileDialog dialog, std::string appDataFolder)
    : m_messages(messages),
      m_timer(timer),
      m_dialog(std::move(dialog)),
      m_appDataFolder(std::move(appDataFolder)) {}

bool CProfileCommands::OnClick(const std::string& control, CDeviceProfileUI& panel,
                               IProfileDeviceHooks& device) {
    using Command = void (CProfileCommands::*)(CDeviceProfileUI&, IProfileDeviceHooks&);
    static constexpr std::pair<std::string_view, Command> kCommands[] = {
        {"device_add_btn", &CProfileCommands::Add},
        {"device_copy_btn", &CProfileCommands::Copy},
        {"device_sub_btn", &CProfileCommands::Delete},
        {"device_profile_edit_save_btn", &CProfileCommands::Rename},
        {"device_import_btn", &CProfileCommands::Import},
        {"device_export_btn", &CProfileCommands::Export},
        {"device_reset_btn", &CProfileCommands::Reset},
    };
    if (control == "profile_fun_spread_btn") {
        panel.SetMenuVisible(!panel.IsMenuVisible());
        return true;
    }
    for (const auto& [name, command] : kCommands) {
        if (name != control) continue;
        FlushPendingSwitch(panel, device);
        (this->*command)(panel, device);
        return true;
    }
    return false;
}

bool CProfileCommands::OnItemSelect(const std::string& control) {
    if (control != "device_profile_combo") return false;
    m_timer.StartTimer(kSwitchTimer, kSwitchDelayMs);
    m_switchPending = true;
    return true;
}

bool CProfileCommands::OnTimer(int id, CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    if (id != kSwitchTimer) return false;
    Switch(panel, device);
    return true;
}

void CProfileCommands::FlushPendingSwitch(CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    if (m_switchPending) Switch(panel, device);
}

void CProfileCommands::Switch(CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    m_timer.StopTimer(kSwitchTimer);
    m_switchPending = false;
    if (Report(panel.SelectProfile(panel.GetSelectedIndex(), false)))
        ApplyActiveProfile(panel, device);
}

void CProfileCommands::ApplyActiveProfile(CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    device.SetProfileBaseName(panel.GetActiveProfileId());
    device.LoadActiveProfile();
    device.RefreshPage();
    device.WriteDeviceSettings();
    WriteMacrosThenKeys(device);
    device.AfterProfileSwitch();
}

void CProfileCommands::WriteMacrosThenKeys(IProfileDeviceHooks& device) {
    const int overflow = device.DownloadMacros();
    if (overflow > 0) {
        // The keys would point at macros the device does not have.
        m_messages.ShowText(FillMessage(m_messages.Text(profile_question::kMacrosTooLong),
                                        std::to_string(overflow)));
        return;
    }
    if (overflow == -1) m_messages.Show(profile_question::kMacrosNoMemory);
    device.WriteCurrentKeyAssignments();
}

void CProfileCommands::Add(CDeviceProfileUI& panel, IProfileDeviceHooks&) {
    if (m_messages.Ask(profile_question::kAdd)) Report(panel.AddProfile());
}

void CProfileCommands::Copy(CDeviceProfileUI& panel, IProfileDeviceHooks&) {
    if (m_messages.Ask(profile_question::kCopy)) Report(panel.CopyProfile());
}

void CProfileCommands::Delete(CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    if (!m_messages.Ask(profile_question::kDelete)) return;
    // The deleted profile was the one in use: the device takes the one the
    // list now records as selected, which the combo box shows.
    if (Report(panel.DeleteProfile())) ApplyActiveProfile(panel, device);
}

void CProfileCommands::Rename(CDeviceProfileUI& panel, IProfileDeviceHooks&) {
    const std::string name = panel.GetNameEditText();
    if (name.empty()) return;
    panel.RenameProfile(name);
    Report(panel.LastResult());
}

void CProfileCommands::Import(CDeviceProfileUI& panel, IProfileDeviceHooks&) {
    if (panel.GetSelectedIndex() < 0) return;
    const std::string path = m_dialog(ProfileFileDialogKind::kOpen, {});
    if (!path.empty()) Report(panel.ImportProfile(path));
}

void CProfileCommands::Export(CDeviceProfileUI& panel, IProfileDeviceHooks&) {
    const int selected = panel.GetSelectedIndex();
    const std::vector<std::string> names = panel.ProfileList().Names();
    if (selected < 0 || selected >= int(names.size())) return;
    const std::string path =
        m_dialog(ProfileFileDialogKind::kSave, SuggestedFileName(names[size_t(selected)]));
    if (!path.empty()) Report(panel.ExportProfile(path));
}

void CProfileCommands::Reset(CDeviceProfileUI& panel, IProfileDeviceHooks& device) {
    // The palette goes with the reset, and only once the user said yes: a
    // cancelled reset must not cost the user's collected colours.
    if (!m_messages.Ask(profile_question::kReset)) return;
    RemoveColourPalette();
    if (!Report(panel.ResetProfile())) return;
    device.LoadActiveProfile();
    device.RefreshPage();
    device.WriteDeviceSettings();
    device.RestoreCompanionSettings();
    const ProfileFamily family = FamilyOfDeviceType(device.DeviceTypeCode());
    if (family == ProfileFamily::kKeyboard || family == ProfileFamily::kMouse)
        WriteMacrosThenKeys(device);
}

void CProfileCommands::RemoveColourPalette() {
    const std::filesystem::path palette = std::filesystem::path(m_appDataFolder) / kColourFileName;
    std::error_code ec;
    std::filesystem::remove(palette, ec);
    if (ec) log::FileFault(palette.string(), "could not be removed: " + ec.message());
}

bool CProfileCommands::Report(const ProfileResult& result) {
    if (result.Ok()) return true;
    if (result.textKey.empty()) return false;
    if (result.detail.empty())
        m_messages.Show(result.textKey);
    else
        m_messages.ShowText(FillMessage(m_messages.Text(result.textKey), result.detail));
    return false;
}

}  // namespace tirk
