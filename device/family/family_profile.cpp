// The active profile's document of a family device: its paths, loading and
// saving. Problems with the file are told to the user with the file named.
#include "core/log.h"
#include "device/family/family_devices.h"
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
