// The panels of a family device's page: the lighting page and the
// key-assignment panel with the key list beside it. They show the active
// profile; what the user changes is stored in the profile document (the page
// command routes save it and send it to the device).
#include <algorithm>

#include "device/family/family_devices.h"
#include "profile/audio_light.h"
#include "profile/key_assignment.h"
#include "profile/macro_store.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/light_control.h"
#include "ui/container.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/resource_manager.h"

namespace {

/// The slider maxima of every family: five brightness levels, five speeds.
constexpr int kMaxBrightness = 4;
constexpr int kMaxSpeed = 4;

bool HasMacros(int32_t familyCode) {
    return familyCode == CTelvorinUSBDevice::kFamilyKeyboard ||
           familyCode == CTelvorinUSBDevice::kFamilyMouse;
}

/// A key list row: the key's name and its assignment, side by side.
CListContainerElementUI* NewKeyRow(int key, const std::string& name, const std::string& text) {
    auto* row = new CListContainerElementUI;
    row->SetFixedHeight(26);
    row->SetUserData(std::to_string(key));
    auto* line = new CHorizontalLayoutUI;
    line->SetMouseEnabled(false);
    line->SetInset({10, 0, 10, 0});
    for (const std::string* part : {&name, &text}) {
        auto* label = new CLabelUI;
        label->SetMouseEnabled(false);
        label->SetText(*part);
        label->SetFont(8);
        label->SetTextColor(part == &name ? 0xFF8A909CU : 0xFFE8E8ECU);
        label->SetTextAlign(Qt::AlignLeft | Qt::AlignVCenter);
        line->Add(label);
    }
    row->Add(line);
    return row;
}

}  // namespace

CLightControlUI* CTelvorinFamilyDevice::LightPage() const {
    return dynamic_cast<CLightControlUI*>(FindSubControl(kLightPageName));
}

CKeySetControlUI* CTelvorinFamilyDevice::KeySetPanel() const {
    return dynamic_cast<CKeySetControlUI*>(FindSubControl(kKeySetPanelName));
}

void CTelvorinFamilyDevice::AttachToPage() {
    CTelvorinUSBDevice::AttachToPage();
    if (CLightControlUI* light = LightPage()) {
        light->SetDeviceTypeCode(FamilyCode());
        LoadNameLists();
        light->SetModeList(m_lightingNames.modeNames, m_lightingNames.modeVisible, kMaxBrightness,
                           kMaxSpeed);
        light->SetCustomModeList(m_lightingNames.customEffectNames);
    } else {
        LoadNameLists();
    }
    if (CKeySetControlUI* keys = KeySetPanel()) {
        keys->SetDeviceTypeCode(FamilyCode());
        keys->SetMacroNames(m_macroNames);
    }
}

void CTelvorinFamilyDevice::LoadNameLists() {
    tirk::LoadLightingNameLists(DefaultDataFolder(), ConfigDocumentPath(),
                                GetLightingDefaultsIndex(), m_lightingNames);
    if (HasMacros(FamilyCode())) m_macroNames = tirk::MacroStore(UserFolder()).ListNames();
    if (CKeySetControlUI* keys = KeySetPanel()) keys->SetMacroNames(m_macroNames);
}

void CTelvorinFamilyDevice::RefreshPage() {
    LoadNameLists();
    if (CLightControlUI* light = LightPage()) {
        light->SetCustomModeList(m_lightingNames.customEffectNames);
        light->SetLightValues(m_profile->GetLightInfo());
        if (FamilyCode() == kFamilyKeyboard) light->SetAudioLightInfo(m_profile->GetAudioLightInfo());
    }
    m_profile->GetKeyList();
    RefreshKeyListText();
    if (CKeySetControlUI* keys = KeySetPanel()) {
        const int key = SelectedKey();
        if (key >= 0 && key < static_cast<int>(m_profile->KeyList().size()))
            keys->OpenForKey(m_profile->KeyList()[key]);
    }
}

void CTelvorinFamilyDevice::ValidateMacroRefs() {
    std::vector<tirk::KeyListEntry> list = m_profile->GetKeyList();
    if (!tirk::RepairMacroReferences(list, static_cast<int>(m_macroNames.size()))) return;
    m_profile->SetKeyList(list);
    RefreshKeyListText();
}

// ---- lighting ----------------------------------------------------------------------

void CTelvorinFamilyDevice::StoreLightValues(const tirk::LightInfoRecord& values) {
    m_profile->SetLightInfo(values);
    m_profile->GetLightInfo();  // the kept record follows the document
}

void CTelvorinFamilyDevice::StoreAudioLight(const tirk::AudioLightRecord& values) {
    m_profile->SetAudioLightInfo(values);
    if (CLightControlUI* light = LightPage()) light->SetAudioLightInfo(values);
}

tirk::AudioLightRecord CTelvorinFamilyDevice::ReadAudioLight(bool takeColour) const {
    if (CLightControlUI* light = LightPage()) return light->GetAudioLightInfo(takeColour);
    return m_profile->GetAudioLightInfo();
}

// ---- key assignments -------------------------------------------------------------------

void CTelvorinFamilyDevice::SelectKey(int key) {
    const auto& list = m_profile->KeyList();
    if (key < 0 || key >= static_cast<int>(list.size())) return;
    CTelvorinUSBDevice::SelectKey(key);
    if (CKeySetControlUI* keys = KeySetPanel()) {
        keys->OpenForKey(list[key]);
        keys->SetEditingEnabled(false);
    }
}

void CTelvorinFamilyDevice::StoreAtSelectedKey(const tirk::KeyListEntry& entry) {
    std::vector<tirk::KeyListEntry> list = m_profile->KeyList();
    const int key = SelectedKey();
    if (key < 0 || key >= static_cast<int>(list.size())) return;
    list[key] = entry;
    m_profile->SetKeyList(list);
    m_profile->GetKeyList();
}

std::string CTelvorinFamilyDevice::AssignmentTextOf(const tirk::AssignmentCode& code) const {
    tirk::AssignmentTextContext context;
    context.keyboard = FamilyCode() == kFamilyKeyboard;
    context.macroNames = m_macroNames;
    context.translate = [](const char* key) { return CResourceManager::GetInstance()->GetText(key); };
    return tirk::AssignmentText(code, context);
}

void CTelvorinFamilyDevice::RefreshKeyListText() {
    auto* rows = dynamic_cast<CListUI*>(FindSubControl(kKeyListName));
    if (!rows) return;
    rows->RemoveAll();
    const auto& list = m_profile->KeyList();
    for (int key = 0; key < static_cast<int>(list.size()); ++key) {
        const tirk::AssignmentCode& fallback = list[key].defaultHalf.code;
        if (fallback == tirk::AssignmentCode{}) continue;  // no key at this position
        rows->Add(NewKeyRow(key, AssignmentTextOf(fallback), AssignmentTextOf(list[key].current.code)));
        if (key == SelectedKey()) rows->SelectItem(rows->GetCount() - 1, false, false);
    }
}
