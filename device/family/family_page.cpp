// The panels of a family device's page: the lighting page and the
// key-assignment panel with the key list beside it. They show the active
// profile; what the user changes is stored in the profile document (the page
// command routes save it and send it to the device).
#include "core/log.h"
#include "device/family/family_devices.h"
#include "profile/audio_light.h"
#include "profile/json_access.h"
#include "profile/key_assignment.h"
#include "profile/macro_store.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/light_control.h"
#include "profile/panel/macro_control.h"
#include "profile/panel/shoot_control.h"
#include "ui/container.h"
#include "ui/device_key_button.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/msg_wnd.h"
#include "ui/resource_manager.h"

namespace {

/// The slider maxima of every family: five brightness levels, five speeds.
constexpr int kMaxBrightness = 4;
constexpr int kMaxSpeed = 4;
/// "Colour set %d": a set of the keyboard's own key colours (mode 20).
constexpr char kCustomGroupText[] = "light_custom_group_text";

bool HasMacros(int32_t familyCode) {
    return familyCode == CTelvorinUSBDevice::kFamilyKeyboard ||
           familyCode == CTelvorinUSBDevice::kFamilyMouse;
}

/// What a key list row shows: the key's name and its assignment.
struct KeyRowText {
    int key = 0;
    std::string name;
    std::string assignment;
};

/// A key list row: the key's name and its assignment, side by side.
CListContainerElementUI* NewKeyRow(const KeyRowText& text) {
    auto* row = new CListContainerElementUI;
    row->SetFixedHeight(26);
    row->SetUserData(std::to_string(text.key));
    auto* line = new CHorizontalLayoutUI;
    line->SetMouseEnabled(false);
    line->SetInset({10, 0, 10, 0});
    for (const std::string* part : {&text.name, &text.assignment}) {
        auto* label = new CLabelUI;
        label->SetMouseEnabled(false);
        label->SetText(*part);
        label->SetFont(8);
        label->SetTextColor(part == &text.name ? 0xFF8A909CU : 0xFFE8E8ECU);
        label->SetTextAlign(Qt::AlignLeft | Qt::AlignVCenter);
        line->Add(label);
    }
    row->Add(line);
    return row;
}

/// Gives the rows of `rows` the texts when they are the rows of the same
/// keys; false (nothing changed) when they are not.
bool UpdateKeyRows(CListUI& rows, const std::vector<KeyRowText>& texts) {
    if (rows.GetCount() != static_cast<int>(texts.size())) return false;
    for (int i = 0; i < rows.GetCount(); ++i) {
        if (rows.GetItemAt(i)->GetUserData() != std::to_string(texts[i].key)) return false;
    }
    for (int i = 0; i < rows.GetCount(); ++i) {
        auto* row = dynamic_cast<CContainerUI*>(rows.GetItemAt(i));
        auto* line = row ? dynamic_cast<CContainerUI*>(row->GetItemAt(0)) : nullptr;
        if (!line || line->GetCount() != 2) return false;
        line->GetItemAt(0)->SetText(texts[i].name);
        line->GetItemAt(1)->SetText(texts[i].assignment);
    }
    return true;
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
    } else {
        LoadNameLists();
    }
    if (CKeySetControlUI* keys = KeySetPanel()) {
        keys->SetDeviceTypeCode(FamilyCode());
        keys->SetMacroNames(m_macroNames);
    }
    if (CMacroControlUI* macros = MacroPage()) {
        macros->SetDeviceFolder(UserFolder());
        macros->LoadMacroList();
    }
    if (CShootControlUI* recoil = ShootPage())
        recoil->InitShootPage(UserFolder(), DefaultDataFolder());
}

std::size_t CTelvorinFamilyDevice::MacroMemory() const {
    return tirk::MacroStore::kKeyboardMemory;
}

void CTelvorinFamilyDevice::SendRecoilTables(std::vector<uint8_t> block) {
    tirk::log::Printf("recoil tables (%zu bytes) not sent: %s carries none", block.size(),
                      DeviceFolderName().c_str());
}

CMacroControlUI* CTelvorinFamilyDevice::MacroPage() const {
    return dynamic_cast<CMacroControlUI*>(FindSubControl(kMacroPageName));
}

CShootControlUI* CTelvorinFamilyDevice::ShootPage() const {
    return dynamic_cast<CShootControlUI*>(FindSubControl(kShootPageName));
}

void CTelvorinFamilyDevice::LoadNameLists() {
    tirk::LoadLightingNameLists(DefaultDataFolder(), ConfigDocumentPath(),
                                GetLightingDefaultsIndex(), m_lightingNames);
    if (HasMacros(FamilyCode())) {
        const tirk::MacroStore macros(UserFolder());
        m_macroNames = macros.ListNames();
        m_macroListUsable = macros.ListUsable();
    }
    if (CKeySetControlUI* keys = KeySetPanel()) keys->SetMacroNames(m_macroNames);
}

void CTelvorinFamilyDevice::RefreshPage() {
    LoadNameLists();
    if (CLightControlUI* light = LightPage()) {
        const tirk::LightInfoRecord values = m_profile->GetLightInfo();
        light->SetLightValues(values);
        if (FamilyCode() == kFamilyKeyboard) {
            light->SetCustomModeList(CustomGroupNames());
            light->SetCustomMode(values.customGroup);
            light->SetAudioLightInfo(m_profile->GetAudioLightInfo());
        }
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
    // A macro list that cannot be read says nothing about which macros exist.
    if (!m_macroListUsable) return;
    std::vector<tirk::KeyListEntry> list = m_profile->GetKeyList();
    if (!tirk::RepairMacroReferences(list, static_cast<int>(m_macroNames.size()))) return;
    m_profile->SetKeyList(list);
    RefreshKeyListText();
}

// ---- lighting ----------------------------------------------------------------------

std::vector<std::string> CTelvorinFamilyDevice::CustomGroupNames() const {
    // The keyboard keeps its own key colours in numbered sets; the profile
    // tells how many.
    const Json::Value* mode = tirk::json::FindMember(m_profile->Document(), "CustomLightMode");
    const Json::Value* groups = mode ? tirk::json::FindArray(*mode, "LightColorInfo") : nullptr;
    const int count = groups ? static_cast<int>(groups->size()) : 0;
    const std::string format = CResourceManager::GetInstance()->GetText(kCustomGroupText);
    std::vector<std::string> names;
    for (int group = 0; group < count; ++group)
        names.push_back(tirk::FillMessage(format, std::to_string(group + 1)));
    return names;
}

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
    MarkKeyButtons();
    if (CKeySetControlUI* keys = KeySetPanel()) keys->OpenForKey(list[key]);
    if (auto* rows = dynamic_cast<CListUI*>(FindSubControl(kKeyListName))) ChooseKeyRow(*rows);
}

// On the picture a key whose assignment is not its default carries the
// key-set mark (set flag 0) and the key being edited the key-unset frame
// (unset flag 0).
void CTelvorinFamilyDevice::MarkKeyButtons() {
    const auto& list = m_profile->KeyList();
    for (int key = 0; key < KeyCount(); ++key) {
        CDeviceKeyButtonUI* button = KeyControl(key);
        if (!button) continue;
        const bool changed = key < static_cast<int>(list.size()) &&
                             !(list[key].current.code == list[key].defaultHalf.code);
        button->SetSetFlag(changed ? 0 : 1);
        button->SetUnsetFlag(key == SelectedKey() ? 0 : 1);
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
    context.translate = [](const char* key) {
        return CResourceManager::GetInstance()->GetText(key);
    };
    return tirk::AssignmentText(code, context);
}

void CTelvorinFamilyDevice::RefreshKeyListText() {
    auto* rows = dynamic_cast<CListUI*>(FindSubControl(kKeyListName));
    if (!rows) return;
    std::vector<KeyRowText> texts;
    const auto& list = m_profile->KeyList();
    for (int key = 0; key < static_cast<int>(list.size()); ++key) {
        const tirk::AssignmentCode& fallback = list[key].defaultHalf.code;
        if (fallback == tirk::AssignmentCode{}) continue;  // no key at this position
        texts.push_back(
            {key, AssignmentTextOf(fallback), AssignmentTextOf(list[key].current.code)});
    }
    // An assignment changed: the rows stay, their texts follow. Another key
    // set (a profile of another layout): the rows are made again, laid out once.
    if (!UpdateKeyRows(*rows, texts)) {
        rows->HoldLayout(true);
        rows->RemoveAll();
        for (const KeyRowText& text : texts) rows->Add(NewKeyRow(text));
        rows->HoldLayout(false);
    }
    ChooseKeyRow(*rows);
    MarkKeyButtons();
    OnKeyTextsChanged();
}

void CTelvorinFamilyDevice::ChooseKeyRow(CListUI& rows) const {
    // The open key's row is the chosen one (scrolled into view, also when
    // the key was opened on the picture); with no key open, none is (a row
    // chosen but refused must be choosable again).
    const std::string key = std::to_string(SelectedKey());
    int chosen = -1;
    for (int i = 0; i < rows.GetCount(); ++i) {
        if (rows.GetItemAt(i)->GetUserData() == key) chosen = i;
    }
    rows.SelectItem(chosen, false, false);
}
