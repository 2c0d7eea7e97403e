#include "profile/panel/device_profile.h"

#include <algorithm>

#include "ui/button.h"
#include "ui/combo.h"
#include "ui/edit.h"

void CDeviceProfileUI::DoInit() {
    BindSubControls();
}

void CDeviceProfileUI::BindSubControls() const {
    if (m_combo && m_nameEdit && m_menu) return;
    m_combo = dynamic_cast<CComboUI*>(FindSubControl("device_profile_combo"));
    m_nameEdit = dynamic_cast<CEditUI*>(FindSubControl("device_profile_name_edit"));
    m_menu = FindSubControl("profile_menu_layout");
    for (size_t i = 0; i < m_tabs.size(); ++i)
        m_tabs[i] = dynamic_cast<COptionUI*>(FindSubControl(tirk::kFeatureTabNames[i]));
}

const tirk::ProfileResult& CDeviceProfileUI::Remember(tirk::ProfileResult result) {
    m_last = std::move(result);
    return m_last;
}

// ---- mirroring ---------------------------------------------------------------------

void CDeviceProfileUI::MirrorNames() {
    BindSubControls();
    if (!m_combo) return;
    const std::vector<std::string> names = m_list.Names();
    const int count = static_cast<int>(names.size());
    if (m_combo->GetCount() != count) {
        const int selected = m_combo->GetCurSel();
        m_combo->RemoveAll();
        for (const std::string& name : names) m_combo->AddItem(name);
        m_combo->SelectItem(std::min(selected, count - 1), false, false);
    }
    for (int i = 0; i < count; ++i) {
        CListLabelElementUI* item = m_combo->GetItemAt(i);
        item->SetFixedHeight(kItemHeight);
        if (item->GetText() != names[size_t(i)]) item->SetText(names[size_t(i)]);
        if (item->GetToolTip() != names[size_t(i)]) item->SetToolTip(names[size_t(i)]);
    }
}

void CDeviceProfileUI::ShowProfile(int index) {
    BindSubControls();
    if (!m_combo) return;
    m_combo->SelectItem(index, false, false);
    SetNameEditText(m_combo->GetItemText(index));
}

void CDeviceProfileUI::ApplyFeatureTabs() {
    for (const tirk::FeatureTabVisibility& tab : tirk::FeatureTabsOf(GetDeviceTypeCode())) {
        if (CControlUI* option = FindSubControl(tab.name)) option->SetVisible(tab.visible);
    }
}

// ---- set-up and state ------------------------------------------------------------------

tirk::ProfileResult CDeviceProfileUI::InitProfiles() {
    BindSubControls();
    tirk::ProfileResult result = m_list.Init();
    if (m_combo) m_combo->RemoveAll();
    MirrorNames();
    ShowProfile(m_list.ActiveIndex());
    ApplyFeatureTabs();
    return Remember(std::move(result));
}

void CDeviceProfileUI::SelectFeatureTab(int n) {
    BindSubControls();
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs[i]) m_tabs[i]->Selected(int(i) + 1 == n, false);
    }
}

int CDeviceProfileUI::GetSelectedIndex() const {
    BindSubControls();
    return m_combo ? m_combo->GetCurSel() : -1;
}

std::string CDeviceProfileUI::GetNameEditText() const {
    BindSubControls();
    return m_nameEdit ? m_nameEdit->GetText() : std::string();
}

void CDeviceProfileUI::SetNameEditText(const std::string& text) {
    BindSubControls();
    if (m_nameEdit) m_nameEdit->SetText(text);
}

bool CDeviceProfileUI::IsMenuVisible() const {
    BindSubControls();
    return m_menu && m_menu->IsVisible();
}

void CDeviceProfileUI::SetMenuVisible(bool visible) {
    BindSubControls();
    if (m_menu) m_menu->SetVisible(visible);
}

int CDeviceProfileUI::GetProfileCount() {
    const int count = m_list.Reload();
    MirrorNames();
    return count;
}

// ---- operations ----------------------------------------------------------------------

tirk::ProfileResult CDeviceProfileUI::SelectProfile(int index, bool notify) {
    tirk::ProfileResult result = m_list.Select(index);
    MirrorNames();
    if (!result) {
        ShowProfile(m_list.ActiveIndex());
    } else if (m_combo) {
        m_combo->SelectItem(index, false, notify);
        SetNameEditText(m_combo->GetItemText(index));
    }
    return Remember(std::move(result));
}

tirk::ProfileResult CDeviceProfileUI::AddProfile() {
    tirk::ProfileResult result = m_list.Add();
    MirrorNames();
    return Remember(std::move(result));
}

tirk::ProfileResult CDeviceProfileUI::CopyProfile() {
    tirk::ProfileResult result = m_list.Copy(GetSelectedIndex());
    MirrorNames();
    return Remember(std::move(result));
}

tirk::ProfileResult CDeviceProfileUI::DeleteProfile() {
    tirk::ProfileResult result = m_list.Delete(GetSelectedIndex());
    MirrorNames();
    if (result) ShowProfile(m_list.ActiveIndex());
    return Remember(std::move(result));
}

int CDeviceProfileUI::RenameProfile(const std::string& name) {
    const int selected = GetSelectedIndex();
    tirk::ProfileResult result = m_list.Rename(selected, name);
    MirrorNames();
    if (result) SetNameEditText(m_combo ? m_combo->GetItemText(selected) : std::string());
    return Remember(std::move(result)).RenameCode();
}

tirk::ProfileResult CDeviceProfileUI::ImportProfile(const std::string& path) {
    tirk::ProfileResult result = m_list.Import(path);
    MirrorNames();
    return Remember(std::move(result));
}

tirk::ProfileResult CDeviceProfileUI::ExportProfile(const std::string& path) {
    tirk::ProfileResult result = m_list.Export(GetSelectedIndex(), path);
    MirrorNames();
    return Remember(std::move(result));
}

tirk::ProfileResult CDeviceProfileUI::ResetProfile() {
    tirk::ProfileResult result = m_list.Reset(GetSelectedIndex());
    MirrorNames();
    return Remember(std::move(result));
}
