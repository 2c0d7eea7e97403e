// The active profile's document of a family device: its paths, loading and
// saving. Problems with the file are told to the user with the file named.
#include "core/log.h"
#include "device/family/family_devices.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/profile_list.h"

void CTelvorinFamilyDevice::SetProfilePaths() {
    m_profile->SetProfilePath(ProfileDocumentPath());
    m_profile->SetDefaultPath(DefaultProfilePath());
    m_profile->SetLightConfigPath(ConfigDocumentPath());
}

int CTelvorinFamilyDevice::LoadActiveProfile() {
    SetProfilePaths();
    m_profile->LoadDocument(m_profile->GetProfilePath());
    const tirk::ProfileLoadResult& load = m_profile->LastLoad();
    if (!load.message.empty()) {
        tirk::log::Printf("%s", load.message.c_str());
        TellUser(tirk::profile_text::kFileError, load.message);
    }
    return load.outcome == tirk::ProfileLoad::kUnreadable ? 0 : 1;
}

void CTelvorinFamilyDevice::SaveProfile() {
    m_lastSave = m_profile->SaveProfile();
    if (!m_lastSave) TellUser(tirk::profile_text::kFileError, m_lastSave.error);
}

void CTelvorinFamilyDevice::RestoreDefaults() {
    tirk::JsonReadStatus status;
    std::string error;
    const std::string defaultPath = DefaultProfilePath();
    const Json::Value root = tirk::ReadJsonFile(defaultPath, status, error);
    const Json::Value* devices = tirk::json::FindArray(root, "Device");
    const Json::Value* device =
        devices ? tirk::json::FindElement(*devices, m_profile->GetDeviceIndex()) : nullptr;
    if (!device || !device->isObject()) {
        // Without the installed default the profile is left as it is.
        TellUser(tirk::profile_text::kFileError,
                 error.empty() ? defaultPath + ": holds no device document" : error);
        return;
    }
    SetProfilePaths();
    m_lastSave = m_profile->SaveDevice(m_profile->GetProfilePath(), *device);
    if (!m_lastSave) {
        TellUser(tirk::profile_text::kFileError, m_lastSave.error);
        return;
    }
    LoadActiveProfile();
    ApplyProfileToState();
    RefreshPage();
}
