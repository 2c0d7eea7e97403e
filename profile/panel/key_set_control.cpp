#include "profile/panel/key_set_control.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <span>

#include "input/key_codes.h"
#include "profile/key_tables.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/label.h"

using tirk::AssignmentCode;

namespace {

namespace kind = tirk::assign_kind;

// The hint shown while the editing area is hidden.
constexpr char kHintPickKey[] = "keyset_hint_pick";
constexpr char kHintUnavailable[] = "keyset_hint_unavailable";

// Panel defaults.
constexpr int kDefaultFireInterval = 50;
constexpr int kDefaultFireCount = 2;
constexpr int kDefaultRepeatCount = 1;
// What the tilt and wheel pages start with before any key was shown.
constexpr tirk::RepeatParams kInitialRepeat{0, 0, 1, false};

// The controls whose item selection saves the assignment.
constexpr const char* kSavingCombos[] = {
    "keyset_function_combo",   "keyset_mousekey_combo", "keyset_mouseswing_combo",
    "keyset_mousewheel_combo", "keyset_mousedpi_combo", "keyset_media_combo",
    "keyset_system_combo",     "keyset_macro_combo",    "keyset_macro_over_combo",
    "keyset_gunkey_combo",     "keyset_combokey_combo"};
// The edits whose loss of focus saves the assignment.
constexpr const char* kSavingEdits[] = {
    "keyset_mouseswing_num_edit",     "keyset_mouseswing_delay_edit",
    "keyset_mouseswing_speed_edit",   "keyset_mousewheel_num_edit",
    "keyset_mousewheel_delay_edit",   "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",
    "keyset_macro_cycle_edit"};

bool IsOneOf(const std::string& name, std::span<const char* const> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Keyed(const char* key) {
    return std::string("%[") + key + "]";
}

int Selection(const CComboUI* combo) {
    return combo ? combo->GetCurSel() : -1;
}

// Program-side selections send nothing: the main window saves on "itemselect".
void SelectSilently(CComboUI* combo, int index) {
    if (combo) combo->SelectItem(index, false, false);
}

// Selects item `index` when there is one, else nothing; true when it was there.
bool SelectIfItem(CComboUI* combo, int index) {
    const bool exists = combo && index < combo->GetCount();
    SelectSilently(combo, exists ? index : -1);
    return exists;
}

void SetNumber(CEditUI* edit, int value) {
    if (edit) edit->SetText(std::to_string(value));
}

uint8_t ReadByte(const CEditUI* edit) {
    return edit ? tirk::EditByte(edit->GetText()) : 0;
}

// Items of `list`, texts following the language.
void FillFromList(CComboUI* combo, std::span<const tirk::FunctionRow> list) {
    if (!combo) return;
    combo->RemoveAll();
    for (const tirk::FunctionRow& row : list) combo->AddItem(Keyed(row.nameKey));
}

void SelectRow(CComboUI* combo, std::span<const tirk::FunctionRow> list,
               const AssignmentCode& code) {
    SelectSilently(combo, tirk::FindFunctionRow(list, code.kind, code.p1, code.p2));
}

// The selected row's code; nullopt when no row is selected.
std::optional<AssignmentCode> RowCode(const CComboUI* combo,
                                      std::span<const tirk::FunctionRow> list) {
    const int row = Selection(combo);
    if (row < 0 || row >= int(list.size())) return std::nullopt;
    return list[size_t(row)].code;
}

// A function item's category: its user data as a number; −1 when it is not one.
int CategoryOfUserData(const std::string& data) {
    int category = -1;
    const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), category);
    return error == std::errc() && end == data.data() + data.size() ? category : -1;
}

template <typename T>
T* Find(const CContainerUI& root, const char* name) {
    return dynamic_cast<T*>(root.FindSubControl(name));
}

}  // namespace

// ---- binding --------------------------------------------------------------------

CKeySetControlUI::CKeySetControlUI()
    : m_keyEditCapture([this](uint32_t xKeycode) { CaptureKeyInEdit(xKeycode); }) {}

void CKeySetControlUI::DoInit() {
    Bind();
}

void CKeySetControlUI::Bind() const {
    if (m_bound) return;
    m_functionCombo = Find<CComboUI>(*this, "keyset_function_combo");
    if (!m_functionCombo) return;  // the layout has not built the children yet
    m_bound = true;
    m_editingArea = Find<CContainerUI>(*this, "keyset_layout");
    m_hint = Find<CLabelUI>(*this, "keyset_hint_text");
    m_pages = Find<CTabLayoutUI>(*this, "function_switch_tablayout");
    m_editingButtons = {Find<CButtonUI>(*this, "key_butt_keysave"),
                        Find<CButtonUI>(*this, "key_butt_keycancel"),
                        Find<CButtonUI>(*this, "key_butt_prosave")};
    m_mouseKeyCombo = Find<CComboUI>(*this, "keyset_mousekey_combo");
    m_tilt = {Find<CComboUI>(*this, "keyset_mouseswing_combo"),
              Find<CEditUI>(*this, "keyset_mouseswing_num_edit"),
              Find<CEditUI>(*this, "keyset_mouseswing_delay_edit"),
              Find<CEditUI>(*this, "keyset_mouseswing_speed_edit")};
    m_wheel = {Find<CComboUI>(*this, "keyset_mousewheel_combo"),
               Find<CEditUI>(*this, "keyset_mousewheel_num_edit"),
               Find<CEditUI>(*this, "keyset_mousewheel_delay_edit"),
               Find<CEditUI>(*this, "keyset_mousewheel_speed_edit")};
    m_dpiCombo = Find<CComboUI>(*this, "keyset_mousedpi_combo");
    m_fireIntervalEdit = Find<CEditUI>(*this, "keyset_mousefire_interval_edit");
    m_fireCountEdit = Find<CEditUI>(*this, "keyset_mousefire_num_edit");
    m_keyEdit = Find<CEditUI>(*this, "keyset_keyboard_text_edit");
    if (m_keyEdit) m_keyEdit->SetKeyCapture(m_keyEditCapture);
    for (int i = 0; i < kModifierOptions; ++i)
        m_modifiers[size_t(i)] =
            Find<COptionUI>(*this, ("key_ComBox_check_" + std::to_string(i)).c_str());
    m_mediaCombo = Find<CComboUI>(*this, "keyset_media_combo");
    m_systemCombo = Find<CComboUI>(*this, "keyset_system_combo");
    m_macroCombo = Find<CComboUI>(*this, "keyset_macro_combo");
    m_runModeCombo = Find<CComboUI>(*this, "keyset_macro_over_combo");
    m_repeatLayout = FindSubControl("keyset_macro_cycle_layout");
    m_repeatEdit = Find<CEditUI>(*this, "keyset_macro_cycle_edit");
    m_gunKeyCombo = Find<CComboUI>(*this, "keyset_gunkey_combo");
    m_shortcutCombo = Find<CComboUI>(*this, "keyset_combokey_combo");

    // The layout lists the categories; the device type decides which are offered.
    for (int i = 0; i < m_functionCombo->GetCount(); ++i) {
        const CListLabelElementUI* item = m_functionCombo->GetItemAt(i);
        const std::string& key = item->GetTextKey();
        m_functionItems.push_back(
            {key.empty() ? item->GetText() : Keyed(key.c_str()), item->GetUserData()});
    }
    RebuildFunctionItems();
    FillFunctionLists();
    ApplyPanelDefaults();
    ShowRepeat(m_tilt, kInitialRepeat);
    ShowRepeat(m_wheel, kInitialRepeat);
}

void CKeySetControlUI::FillFunctionLists() const {
    FillFromList(m_mouseKeyCombo, tirk::MouseButtonList());
    FillFromList(m_dpiCombo, tirk::DpiFunctionList());
    FillFromList(m_mediaCombo, tirk::MediaList());
    FillFromList(m_systemCombo, tirk::SystemList());
    FillFromList(m_gunKeyCombo, tirk::GunKeyList());
    FillFromList(m_shortcutCombo, tirk::ShortcutList());
}

bool CKeySetControlUI::Offers(int category) const {
    return m_typeCode != kKeyboardTypeCode ||
           (category != tirk::kCategoryDpi && category != tirk::kCategoryGunKey);
}

// A category that is not offered has no item at all, so that a code of that
// category finds no item and hides the editing area.
void CKeySetControlUI::RebuildFunctionItems() const {
    if (!m_functionCombo) return;
    const int selected = CategoryOfItem(m_functionCombo->GetCurSel());
    m_functionCombo->RemoveAll();
    for (const FunctionItem& item : m_functionItems) {
        if (Offers(CategoryOfUserData(item.userData)))
            m_functionCombo->AddItem(item.text, item.userData);
    }
    SelectSilently(m_functionCombo, FindCategoryItem(selected));
}

// ---- set-up --------------------------------------------------------------------------

void CKeySetControlUI::SetDeviceTypeCode(int code) {
    Bind();
    m_typeCode = code;
    RebuildFunctionItems();
}

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
    Bind();
    if (!m_macroCombo) return;
    m_macroCombo->RemoveAll();
    for (const std::string& name : names) AddMacroName(name);
}

void CKeySetControlUI::AddMacroName(const std::string& name) {
    Bind();
    if (!m_macroCombo) return;
    const int index = m_macroCombo->AddItem(name);
    m_macroCombo->GetItemAt(index)->SetFixedHeight(kItemHeight);
}

// ---- showing a code ----------------------------------------------------------------

void CKeySetControlUI::OpenForKey(const tirk::KeyListEntry& entry) {
    m_record = entry;
    ShowAssignment(m_record.current.code);
}

void CKeySetControlUI::ShowAssignment(const AssignmentCode& code) {
    Bind();
    const int category = tirk::CategoryOfCode(code, m_record.defaultHalf.code);
    switch (category) {
        case tirk::kCategoryMouseButton:
            SelectRow(m_mouseKeyCombo, tirk::MouseButtonList(), code);
            break;
        case tirk::kCategoryTilt:
            ShowRepeat(m_tilt, tirk::DecodeTilt(code));
            break;
        case tirk::kCategoryWheel:
            ShowRepeat(m_wheel, tirk::DecodeWheel(code));
            break;
        case tirk::kCategoryDpi:
            SelectRow(m_dpiCombo, tirk::DpiFunctionList(), code);
            break;
        case tirk::kCategoryFireKey:
            SetNumber(m_fireIntervalEdit, code.p1);
            SetNumber(m_fireCountEdit, code.p2);
            break;
        case tirk::kCategoryKeyboardKey:
            ShowKeyboardKey(code);
            break;
        case tirk::kCategoryMedia:
            SelectRow(m_mediaCombo, tirk::MediaList(), code);
            break;
        case tirk::kCategorySystem:
            SelectRow(m_systemCombo, tirk::SystemList(), code);
            break;
        case tirk::kCategoryMacro:
            ShowMacro(code);
            break;
        case tirk::kCategoryGunKey:
            SelectIfItem(m_gunKeyCombo, code.p1);
            break;
        case tirk::kCategoryShortcut:
            SelectRow(m_shortcutCombo, tirk::ShortcutList(), code);
            break;
        default:
            break;
    }
    ShowCategoryPage(category);
}

void CKeySetControlUI::ShowCategoryPage(int category) {
    const int item = FindCategoryItem(category);
    if (item < 0) {
        ShowEditingArea(false, kHintUnavailable);
        return;
    }
    ShowEditingArea(true, kHintPickKey);
    SelectSilently(m_functionCombo, item);
    if (m_pages) m_pages->SelectItem(category);
}

void CKeySetControlUI::ShowEditingArea(bool shown, const char* hintKey) {
    if (m_editingArea) m_editingArea->SetVisible(shown);
    if (m_hint) {
        m_hint->SetTextKey(hintKey);
        m_hint->SetVisible(!shown);
    }
}

bool CKeySetControlUI::IsEditingAreaShown() const {
    Bind();
    return m_editingArea && m_editingArea->IsVisible();
}

void CKeySetControlUI::ShowRepeat(const RepeatControls& page,
                                  const tirk::RepeatParams& params) const {
    SetNumber(page.delay, params.delay);
    SetNumber(page.speed, params.speed);
    SetNumber(page.count, params.count);
    SelectSilently(page.direction, params.second ? 1 : 0);
}

tirk::RepeatParams CKeySetControlUI::ReadRepeat(const RepeatControls& page) const {
    return {ReadByte(page.delay), ReadByte(page.speed), ReadByte(page.count),
            Selection(page.direction) == 1};
}

void CKeySetControlUI::ShowKeyboardKey(const AssignmentCode& code) {
    const tirk::KeyboardKeyView view = tirk::DescribeKeyboardKey(code.p1, code.p2);
    SelectModifierCheck(view.option);
    ShowKeyName(view.nameKey, code.p2);
    if (view.clearCode) m_record.current.code.p1 = m_record.current.code.p2 = 0;
}

void CKeySetControlUI::ShowKeyName(const char* nameKey, uint8_t usage) {
    const bool named = nameKey && *nameKey;
    m_keyUsage = named ? usage : 0;
    if (!m_keyEdit) return;
    if (named)
        m_keyEdit->SetTextKey(nameKey);
    else
        m_keyEdit->SetText({});
}

void CKeySetControlUI::ShowMacro(const AssignmentCode& code) {
    const bool known = SelectIfItem(m_macroCombo, code.p1);
    if (code.kind == kind::kMacroRepeat) {
        SetNumber(m_repeatEdit, code.p2);
        SelectSilently(m_runModeCombo, kRepeatModeItem);
    } else {
        SelectSilently(m_runModeCombo, known && code.p2 < kRepeatModeItem ? code.p2 : -1);
    }
    if (m_repeatLayout) m_repeatLayout->SetVisible(known && code.kind == kind::kMacroRepeat);
}

// ---- building a code ---------------------------------------------------------------

tirk::KeyListEntry CKeySetControlUI::BuildAssignment() {
    Bind();
    // A hidden editing area shows nothing of the key: it keeps its code.
    if (!IsEditingAreaShown()) return m_record;
    const int category = CategoryOfItem(Selection(m_functionCombo));
    if (const std::optional<AssignmentCode> code = CodeOfPage(category))
        m_record.current.code = *code;
    return m_record;
}

std::optional<AssignmentCode> CKeySetControlUI::CodeOfPage(int category) {
    switch (category) {
        case tirk::kCategoryMouseButton:
            return RowCode(m_mouseKeyCombo, tirk::MouseButtonList());
        case tirk::kCategoryTilt:
            return tirk::EncodeTilt(ReadRepeat(m_tilt));
        case tirk::kCategoryWheel:
            return tirk::EncodeWheel(ReadRepeat(m_wheel));
        case tirk::kCategoryDpi:
            return RowCode(m_dpiCombo, tirk::DpiFunctionList());
        case tirk::kCategoryFireKey:
            return FireKeyCode();
        case tirk::kCategoryKeyboardKey:
            return KeyboardKeyCode();
        case tirk::kCategoryMedia:
            return RowCode(m_mediaCombo, tirk::MediaList());
        case tirk::kCategorySystem:
            return RowCode(m_systemCombo, tirk::SystemList());
        case tirk::kCategoryMacro:
            return MacroCode();
        case tirk::kCategoryGunKey: {
            const int row = Selection(m_gunKeyCombo);
            if (row < 0) return std::nullopt;
            return AssignmentCode{kind::kGunKey, uint8_t(row), 0};
        }
        case tirk::kCategoryShortcut:
            return RowCode(m_shortcutCombo, tirk::ShortcutList());
        default:
            return m_record.defaultHalf.code;
    }
}

std::optional<AssignmentCode> CKeySetControlUI::FireKeyCode() {
    int interval = ReadByte(m_fireIntervalEdit);
    if (interval < tirk::kMinFireInterval) {
        interval = tirk::kMinFireInterval;
        SetNumber(m_fireIntervalEdit, interval);
    }
    return tirk::EncodeFireKey(interval, ReadByte(m_fireCountEdit));
}

std::optional<AssignmentCode> CKeySetControlUI::KeyboardKeyCode() const {
    const bool noKey = !m_keyEdit || m_keyEdit->GetText().empty();
    // Just chosen, nothing pressed or picked yet: the key keeps what it does
    // rather than becoming a key that sends nothing.
    if (noKey && GetModifierCheck() < 0) return std::nullopt;
    return AssignmentCode{kind::kKeyboardKey, tirk::ModifierBitOfOption(GetModifierCheck()),
                          noKey ? uint8_t(0) : m_keyUsage};
}

std::optional<AssignmentCode> CKeySetControlUI::MacroCode() const {
    const int macro = Selection(m_macroCombo);
    const int mode = Selection(m_runModeCombo);
    if (macro < 0 || macro > 0xFF || mode < 0) return std::nullopt;
    if (mode == kRepeatModeItem)
        return AssignmentCode{kind::kMacroRepeat, uint8_t(macro), ReadByte(m_repeatEdit)};
    return AssignmentCode{kind::kMacro, uint8_t(macro), uint8_t(mode)};
}

// ---- controls -----------------------------------------------------------------------

int CKeySetControlUI::FindCategoryItem(int category) const {
    Bind();
    if (category < 0 || !m_functionCombo) return -1;
    for (int i = 0; i < m_functionCombo->GetCount(); ++i) {
        if (CategoryOfItem(i) == category) return i;
    }
    return -1;
}

int CKeySetControlUI::CategoryOfItem(int item) const {
    Bind();
    const CListLabelElementUI* element =
        m_functionCombo ? m_functionCombo->GetItemAt(item) : nullptr;
    return element ? CategoryOfUserData(element->GetUserData()) : -1;
}

void CKeySetControlUI::SelectModifierCheck(int option) {
    Bind();
    for (int i = 0; i < kModifierOptions; ++i) {
        if (COptionUI* check = m_modifiers[size_t(i)]) check->Selected(i == option, false);
    }
}

int CKeySetControlUI::GetModifierCheck() const {
    Bind();
    for (int i = 0; i < kModifierOptions; ++i) {
        if (m_modifiers[size_t(i)] && m_modifiers[size_t(i)]->IsSelected()) return i;
    }
    return -1;
}

void CKeySetControlUI::SetEditingEnabled(bool enabled) {
    Bind();
    for (CButtonUI* button : m_editingButtons) {
        if (button) button->SetEnabled(enabled);
    }
}

void CKeySetControlUI::ResetPanelDefaults() {
    Bind();
    ApplyPanelDefaults();
}

void CKeySetControlUI::ApplyPanelDefaults() const {
    for (CComboUI* combo : {m_mouseKeyCombo, m_dpiCombo, m_mediaCombo, m_systemCombo, m_macroCombo,
                            m_runModeCombo, m_gunKeyCombo, m_shortcutCombo})
        SelectIfItem(combo, 0);
    SetNumber(m_fireIntervalEdit, kDefaultFireInterval);
    SetNumber(m_fireCountEdit, kDefaultFireCount);
    SetNumber(m_repeatEdit, kDefaultRepeatCount);
    if (m_repeatLayout) m_repeatLayout->SetVisible(false);
}

// ---- the main window's commands ----------------------------------------------------

void CKeySetControlUI::ShowChosenCategory() {
    Bind();
    const int category = CategoryOfItem(Selection(m_functionCombo));
    if (category < 0) return;
    if (m_pages) m_pages->SelectItem(category);
    if (category == tirk::kCategoryKeyboardKey) {
        ShowKeyName(nullptr, 0);
        SelectModifierCheck(-1);
    }
}

void CKeySetControlUI::ShowChosenRunMode() {
    Bind();
    if (m_repeatLayout) m_repeatLayout->SetVisible(Selection(m_runModeCombo) == kRepeatModeItem);
}

bool CKeySetControlUI::CaptureKey(uint8_t scanCode, uint8_t extended) {
    Bind();
    const tirk::KeyCapture capture = tirk::CaptureKey(scanCode, extended, GetModifierCheck());
    if (!capture.accepted) return false;
    SelectModifierCheck(capture.option);
    ShowKeyName(capture.clearEdit ? nullptr : capture.nameKey, capture.code.p2);
    m_record.current.code = capture.code;
    return true;
}

void CKeySetControlUI::CaptureKeyInEdit(uint32_t xKeycode) {
    // Too large for an int is no key either.
    const int keycode = xKeycode <= uint32_t(std::numeric_limits<int>::max()) ? int(xKeycode) : -1;
    if (const std::optional<tirk::input::ScanCode> scan = tirk::input::ScanCodeOfXKeycode(keycode))
        TakeHookKey(scan->code, scan->extended);
}

void CKeySetControlUI::TakeHookKey(uint8_t scanCode, uint8_t extended) {
    if (CaptureKey(scanCode, extended) && m_keyEdit) m_keyEdit->SendNotify(notify_type::kKeyCapture);
}

bool CKeySetControlUI::OnControlNotify(const std::string& type, const std::string& sender) {
    if (type == notify_type::kItemSelect && IsOneOf(sender, kSavingCombos)) {
        if (sender == "keyset_function_combo") ShowChosenCategory();
        if (sender == "keyset_macro_over_combo") ShowChosenRunMode();
        return true;
    }
    if (type == notify_type::kKillFocus) return IsOneOf(sender, kSavingEdits);
    if (type == notify_type::kKeyCapture) return sender == "keyset_keyboard_text_edit";
    return type == notify_type::kClick && sender == "key_butt_keysave";
}
