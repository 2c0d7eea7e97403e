// CKeySetControlUI: the key-assignment panel of a device page (layout element
// "KeySetControl", built from XML/CustomControlXML/KeySetControl.xml). It
// edits the assignment of one key: a category chooser picks one page of
// controls, the page shows the key's code and builds it back. The codes, the
// lists and the packing are the Qt-free model (profile/key_assignment.h,
// profile/key_tables.h); the panel only moves values between it and its
// controls. It stores nothing: the main window's commands take what
// BuildAssignment returns to the device, which saves it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "profile/key_assignment.h"
#include "profile/profile_records.h"
#include "ui/container.h"

class CButtonUI;
class CComboUI;
class CEditUI;
class CLabelUI;
class COptionUI;

class CKeySetControlUI : public CContainerUI {
public:
    /// Height of a macro name item, at 96 DPI.
    static constexpr int kItemHeight = 30;
    /// The run-mode item that repeats the macro a number of times (kind 0x71).
    static constexpr int kRepeatModeItem = 4;
    static constexpr int kModifierOptions = 5;
    /// The type code of every keyboard; keyboards are offered no DPI and no
    /// gun-key category.
    static constexpr int kKeyboardTypeCode = 1;

    CKeySetControlUI();
    std::string GetClass() const override { return "KeySetControl"; }

    // ---- set-up by the device page ------------------------------------------------
    /// Stores the device type code and offers the categories of that device
    /// in the function chooser (keyboards: not DPI, not gun key).
    void SetDeviceTypeCode(int code);
    int GetDeviceTypeCode() const { return m_typeCode; }
    /// Makes the macro chooser's items these names, in order, with no selection.
    void SetMacroNames(const std::vector<std::string>& names);
    void AddMacroName(const std::string& name);

    // ---- the edited key -----------------------------------------------------------
    /// Takes `entry` as the edit record and shows its current code.
    void OpenForKey(const tirk::KeyListEntry& entry);
    const tirk::KeyListEntry& GetRecord() const { return m_record; }
    /// Shows `code`: its category's page filled from the code. A category the
    /// device does not offer hides the editing area.
    void ShowAssignment(const tirk::AssignmentCode& code);
    /// The code the panel shows becomes the record's current code; returns the
    /// record. A page that shows no complete choice (no row, no macro) leaves
    /// the code as it was, and so does a hidden editing area.
    tirk::KeyListEntry BuildAssignment();
    void ShowDefault() { ShowAssignment(m_record.defaultHalf.code); }
    void ShowCurrent() { ShowAssignment(m_record.current.code); }
    void SetCurrent(const tirk::AssignmentHalf& half) { m_record.current = half; }

    // ---- controls ------------------------------------------------------------------
    /// The function chooser's item of `category`; −1 when it is not offered.
    int FindCategoryItem(int category) const;
    /// The category of function item `item` (its user data); −1 when the item
    /// does not exist or carries no category.
    int CategoryOfItem(int item) const;
    /// Selects modifier option `option` (0 none, 1 Ctrl, 2 Shift, 3 Alt,
    /// 4 Win) and deselects the others; −1 deselects all. Sends nothing.
    void SelectModifierCheck(int option);
    /// The selected modifier option; −1 when none is.
    int GetModifierCheck() const;
    /// Enables or disables Apply, Cancel and Save to device; Default stays enabled.
    void SetEditingEnabled(bool enabled);
    /// The first row of every list, fire interval 50, fire count 2, repeat 1.
    void ResetPanelDefaults();
    bool IsEditingAreaShown() const;

    // ---- the panel's half of the main window's commands -----------------------------
    /// After an item was chosen in "keyset_function_combo": shows the chosen
    /// category's page; the keyboard-key page starts empty (no key, no modifier).
    void ShowChosenCategory();
    /// After an item was chosen in "keyset_macro_over_combo": the repeat count
    /// is shown only for the repeat item.
    void ShowChosenRunMode();
    /// A key press reported by the input hook while the key edit has the
    /// focus. Returns false (nothing changes) for a key that is not in the
    /// scan table or not a keyboard key; true when the key was taken — the
    /// router then saves the assignment.
    bool CaptureKey(uint8_t scanCode, uint8_t extended);
    /// A key pressed in our own window while the key edit has the focus, by
    /// its X keycode: captured as by CaptureKey and, when taken, reported
    /// with "keycapture" from the key edit (the router then saves). Unknown
    /// keys change nothing. The key edit hands every press here; nothing is
    /// typed into it and no key moves the focus out of it.
    void CaptureKeyInEdit(uint32_t xKeycode);
    /// A key press the input hook captured while the key edit has the focus:
    /// captured as by CaptureKey and, when taken, reported with "keycapture"
    /// from the key edit, as a key pressed in the edit is.
    void TakeHookKey(uint8_t scanCode, uint8_t extended);
    /// Does the panel's part of a notification sent by one of its controls
    /// (`type` from notify_type, `sender` the control's name) and tells whether
    /// the main window must now save the assignment (BuildAssignment, store it
    /// at the selected key, refresh the key list, enable editing).
    bool OnControlNotify(const std::string& type, const std::string& sender);

protected:
    void DoInit() override;

private:
    /// The tilt or wheel page's controls.
    struct RepeatControls {
        CComboUI* direction = nullptr;
        CEditUI* count = nullptr;
        CEditUI* delay = nullptr;
        CEditUI* speed = nullptr;
    };
    /// A function item of the layout: its text ("%[key]" when keyed) and category.
    struct FunctionItem {
        std::string text;
        std::string userData;
    };

    /// Finds the controls and fills the lists, once the layout has built them.
    void Bind() const;
    void FillFunctionLists() const;
    void RebuildFunctionItems() const;
    bool Offers(int category) const;
    void ShowCategoryPage(int category);
    void ShowEditingArea(bool shown, const char* hintKey);

    void ApplyPanelDefaults() const;
    void ShowRepeat(const RepeatControls& page, const tirk::RepeatParams& params) const;
    tirk::RepeatParams ReadRepeat(const RepeatControls& page) const;
    void ShowKeyboardKey(const tirk::AssignmentCode& code);
    void ShowKeyName(const char* nameKey, uint8_t usage);
    void ShowMacro(const tirk::AssignmentCode& code);
    /// The code category `category`'s page shows; nullopt when it shows no
    /// complete choice.
    std::optional<tirk::AssignmentCode> CodeOfPage(int category);
    std::optional<tirk::AssignmentCode> FireKeyCode();
    std::optional<tirk::AssignmentCode> KeyboardKeyCode() const;
    std::optional<tirk::AssignmentCode> MacroCode() const;

    tirk::KeyListEntry m_record;
    int m_typeCode = 0;
    /// Calls CaptureKeyInEdit; handed to the key edit when it is found.
    std::function<void(uint32_t)> m_keyEditCapture;
    /// The usage of the key the key edit shows (captured or shown).
    uint8_t m_keyUsage = 0;

    // Found on first use; a lookup that finds nothing is repeated next time.
    mutable bool m_bound = false;
    mutable std::vector<FunctionItem> m_functionItems;
    mutable CContainerUI* m_editingArea = nullptr;
    mutable CLabelUI* m_hint = nullptr;
    mutable CComboUI* m_functionCombo = nullptr;
    mutable CTabLayoutUI* m_pages = nullptr;
    mutable std::array<CButtonUI*, 3> m_editingButtons{};
    mutable CComboUI* m_mouseKeyCombo = nullptr;
    mutable RepeatControls m_tilt;
    mutable RepeatControls m_wheel;
    mutable CComboUI* m_dpiCombo = nullptr;
    mutable CEditUI* m_fireIntervalEdit = nullptr;
    mutable CEditUI* m_fireCountEdit = nullptr;
    mutable CEditUI* m_keyEdit = nullptr;
    mutable std::array<COptionUI*, kModifierOptions> m_modifiers{};
    mutable CComboUI* m_mediaCombo = nullptr;
    mutable CComboUI* m_systemCombo = nullptr;
    mutable CComboUI* m_macroCombo = nullptr;
    mutable CComboUI* m_runModeCombo = nullptr;
    mutable CControlUI* m_repeatLayout = nullptr;
    mutable CEditUI* m_repeatEdit = nullptr;
    mutable CComboUI* m_gunKeyCombo = nullptr;
    mutable CComboUI* m_shortcutCombo = nullptr;
};
