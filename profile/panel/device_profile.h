// CDeviceProfileUI: the profile bar of a device page (layout element
// "DeviceProfile", built from XML/CustomControlXML/DeviceProfile.xml). It owns
// the device type's profile list (CProfileList) and mirrors it: the combo box
// "device_profile_combo" shows the names, the edit "device_profile_name_edit"
// the selected one; it folds the command menu "profile_menu_layout" and shows
// the feature tabs the device type has. The main window's profile commands
// (app/profile_commands.h) ask the questions, show the messages and call the
// operations here.
#pragma once

#include <array>
#include <iterator>
#include <string>

#include "profile/profile_list.h"
#include "ui/container.h"

class CComboUI;
class CEditUI;
class COptionUI;

class CDeviceProfileUI : public CHorizontalLayoutUI {
public:
    /// Height of a combo box item, at 96 DPI.
    static constexpr int kItemHeight = 30;

    std::string GetClass() const override { return "DeviceProfile"; }

    // ---- set-up by the device object, in this order -----------------------------
    void SetDeviceTypeCode(int code) { m_list.SetDeviceTypeCode(code); }
    int GetDeviceTypeCode() const { return m_list.DeviceTypeCode(); }
    /// The device data folder and the installed default profile file.
    void SetProfileFolders(const std::string& folder, const std::string& defaultProfilePath) {
        m_list.SetFolders(folder, defaultProfilePath);
    }
    /// Reads (or makes, on first start) the list, fills the combo box, shows the
    /// recorded profile (no notification) and sets the feature tabs' visibility
    /// for the device type. The device then loads GetActiveProfileId().
    tirk::ProfileResult InitProfiles();
    /// Shows feature tab n (1 to 8, see tirk::kFeatureTabNames) as selected and
    /// the others not; any other n deselects all. Sends no notification: the
    /// page command routing calls this when a tab was chosen.
    void SelectFeatureTab(int n);

    // ---- state ----------------------------------------------------------------------
    /// The combo box's selection; −1 when none or without a combo box.
    int GetSelectedIndex() const;
    /// The base name of the active profile's file (empty before InitProfiles).
    std::string GetActiveProfileId() const { return m_list.ActiveId(); }
    std::string GetNameEditText() const;
    void SetNameEditText(const std::string& text);
    bool IsMenuVisible() const;
    void SetMenuVisible(bool visible);
    /// Re-reads the list file (mirroring it) and returns the number of profiles.
    int GetProfileCount();
    /// Device data folder + identifier + ".Json" of entry `index`; empty out of range.
    std::string GetProfilePath(int index) const { return m_list.ProfilePath(index); }

    // ---- operations: each mirrors the list into the combo box afterwards ----------
    /// Makes profile `index` active: selects it in the combo box (sending
    /// "itemselect" when `notify`), shows its name and records it. A failed
    /// write leaves the previous profile active and shown.
    tirk::ProfileResult SelectProfile(int index, bool notify);
    /// Appends a profile; the combo box keeps showing the active one.
    tirk::ProfileResult AddProfile();
    /// Appends a copy of the selected profile.
    tirk::ProfileResult CopyProfile();
    /// Deletes the selected profile; the combo box then shows the profile
    /// before it (the first when the first was deleted), which is now the
    /// active one: the device must load it.
    tirk::ProfileResult DeleteProfile();
    /// Renames the selected profile: 1 done, 0 the name is another profile's,
    /// 2 empty, 3 unusable character, −1 a file could not be written or no
    /// profile is selected (LastResult() tells which).
    int RenameProfile(const std::string& name);
    /// Adds the profile in the file at `path` (checked first).
    tirk::ProfileResult ImportProfile(const std::string& path);
    /// Writes the selected profile to `path`.
    tirk::ProfileResult ExportProfile(const std::string& path);
    /// Puts the defaults into the selected profile's file.
    tirk::ProfileResult ResetProfile();
    /// The result of the latest operation.
    const tirk::ProfileResult& LastResult() const { return m_last; }

    /// The list itself (tests set its file writer and clock).
    tirk::CProfileList& ProfileList() { return m_list; }

protected:
    /// Finds the sub-controls once the layout has built them.
    void DoInit() override;

private:
    /// Finds the sub-controls when they have not been found yet (the bar may
    /// be used before it is placed in a page, or filled in code).
    void BindSubControls() const;
    /// Makes the combo box's items the list's names, keeping its selection
    /// where it can.
    void MirrorNames();
    /// Selects item `index` without notification and shows its name.
    void ShowProfile(int index);
    void ApplyFeatureTabs();
    const tirk::ProfileResult& Remember(tirk::ProfileResult result);

    tirk::CProfileList m_list;
    // Found on first use; a lookup that finds nothing is repeated next time.
    mutable CComboUI* m_combo = nullptr;
    mutable CEditUI* m_nameEdit = nullptr;
    mutable CControlUI* m_menu = nullptr;
    mutable std::array<COptionUI*, std::size(tirk::kFeatureTabNames)> m_tabs{};
    tirk::ProfileResult m_last;
};
