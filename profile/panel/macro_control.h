// CMacroControlUI: the macro page of a keyboard or mouse page (layout element
// "MacroControl", built from XML/CustomControlXML/MacroControl.xml). On the
// left the device type's macros, on the right the events of the chosen one as
// rows (name, press or release, an editable delay); it records events from
// the input hook, inserts mouse buttons and movements by hand, moves and
// deletes rows, and writes every change to the macro's file through
// tirk::MacroStore. The rules live in profile/macro_recorder.h; the page
// applies them to its controls. It asks no questions and shows no messages:
// the page command routes (app/routes/macro_routes.cpp) do, from the results
// returned here (docs/macro-page.md).
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "input/hook_events.h"
#include "profile/macro_recorder.h"
#include "profile/macro_store.h"
#include "ui/button.h"
#include "ui/container.h"

class CEditUI;
class CLabelUI;
class CListContainerElementUI;
class CListUI;
class COptionUI;

namespace tirk {
class CBasicProfiledata;
class CProfileList;
}  // namespace tirk

class CMacroControlUI : public CHorizontalLayoutUI {
public:
    /// The timer that scrolls the chosen row into view after a recorded event.
    static constexpr int kScrollTimer = 4101;
    static constexpr int kScrollDelayMs = 50;
    /// Heights of a macro list item and of an event row, at 96 DPI.
    static constexpr int kNameItemHeight = 30;
    static constexpr int kRowHeight = 30;
    /// The name of every event row (its "menu" opens the action menu) and of
    /// its delay edit (its "killfocus" saves the macro).
    static constexpr char kRowName[] = "macro_action";
    static constexpr char kDelayEditName[] = "macro_delay";
    /// The row styles: layout attributes of the page's root element, each an
    /// attribute list applied to the labels of the rows.
    static constexpr const char* kRowStyles[] = {
        "macro_label_keyboard_style", "macro_label_mouse_style", "macro_label_down_style",
        "macro_label_up_style", "macro_label_text_style"};
    /// The texts of a row's action label for a press and a release.
    static constexpr char kPressTextKey[] = "macro_action_down_text";
    static constexpr char kReleaseTextKey[] = "macro_action_up_text";

    enum class RowMove { kUp, kDown, kTop, kBottom };

    CMacroControlUI();
    std::string GetClass() const override { return "MacroControl"; }
    /// Also takes the row styles (kRowStyles).
    bool SetAttribute(const std::string& name, const std::string& value) override;

    // ---- set-up by the device page, and for tests ---------------------------------
    /// The device data folder whose macros the page shows.
    void SetDeviceFolder(const std::string& folder);
    const std::string& DeviceFolder() const { return m_folder; }
    /// Reads the macro list into "macro_name_list", keeping the chosen macro
    /// when it is still there; without one the event rows are emptied.
    void LoadMacroList();
    /// The clock recorded delays are measured with when an event carries no
    /// time of its own (milliseconds; default: std::chrono::steady_clock).
    void SetClock(std::function<int64_t()> nowMs);
    /// Shows the hint that only our own window's keys and clicks are seen
    /// when the input hook does not see the whole desktop.
    void ShowCaptureScope(bool desktopWide);
    /// The store of the device folder (tests set its writer); nullptr before
    /// SetDeviceFolder.
    tirk::MacroStore* Store() { return m_store ? &*m_store : nullptr; }

    // ---- the macros ---------------------------------------------------------------------
    /// The names in list order.
    std::vector<std::string> MacroNames() const;
    /// The chosen macro's index, −1 when none.
    int SelectedMacro() const;
    /// Chooses macro `index` (−1 none) without a notification and shows it.
    void ChooseMacro(int index);
    /// Shows the chosen macro: its events as rows and its name, with the
    /// macro's controls enabled; without one an empty page. Returns what could
    /// not be read of its file ("<file>: <problem>"), empty when nothing.
    std::string SelectMacro();
    /// Adds "macro_<n>" and chooses it. kLimit with 50 macros.
    tirk::MacroResult AddMacro();
    /// Removes the chosen macro with its file and renumbers the bindings of
    /// every profile of `profiles` (the active one in `data` too); then
    /// chooses the first macro left, if any.
    tirk::RenumberResult DeleteMacro(tirk::CProfileList& profiles, tirk::CBasicProfiledata& data);
    /// Renames the chosen macro to the trimmed text of "macro_edit_macroname".
    /// kUnchanged without a message for no macro or a blank name; kUnchanged
    /// with "message_text_5_3" for a name with "&" (or of the form "%[…]"),
    /// with "message_text_5" for a name some macro has (any case).
    tirk::MacroResult RenameMacro();
    /// Adds the macro file at `path` (checked for a device with `capacity`
    /// bytes of macro memory) and chooses it.
    tirk::MacroResult ImportMacro(const std::string& path, std::size_t capacity);
    /// Writes the chosen macro's file to `path`.
    tirk::MacroResult ExportMacro(const std::string& path);
    /// Writes the rows to the chosen macro's file, each with the delay its
    /// edit shows. kUnchanged (nothing written) without a chosen macro.
    tirk::MacroResult SaveMacro();

    // ---- recording --------------------------------------------------------------------------
    /// The mode of the start button and the "record_time" items: constant
    /// time when "macro_check_time" is selected.
    tirk::MacroDelayMode RecordTimeMode() const;
    /// Starts recording with hook kind `kind` (4, 8, 16 or 32) in `mode`:
    /// mode 2 reads the fixed-delay edit first; the list and the row tools
    /// are locked and the stop button replaces the start button. True when
    /// the fixed delay was below 2 and became 2 (the user is told). The
    /// caller starts the input hook.
    bool StartRecording(int kind, tirk::MacroDelayMode mode);
    /// Unlocks the page and saves the rows (SaveMacro's result). The caller
    /// stops the input hook.
    tirk::MacroResult StopRecording();
    bool IsRecording() const { return m_recordingKind != 0; }
    int RecordingKind() const { return m_recordingKind; }
    int FixedDelay() const { return m_recorder.FixedDelay(); }
    /// The capture handlers: a key or mouse-button event the input hook
    /// reported for `kind` while recording. Repeats, keys and messages the
    /// tables lack and the click on the stop button are dropped; the rest
    /// becomes a row where the kind puts it. Ignored while not recording.
    void OnHookKey(int kind, const tirk::input::KeyHookEvent& event);
    void OnHookMouse(int kind, const tirk::input::MouseHookEvent& event);

    // ---- the event rows --------------------------------------------------------------------
    int RowCount() const;
    /// The chosen row, −1 when none.
    int SelectedRow() const;
    /// Chooses row `row` (−1 none) without a notification.
    void ChooseRow(int row);
    /// A row's event (its user data); null when there is no such row.
    Json::Value RowEvent(int row) const;
    /// The text of a row's delay edit.
    std::string RowDelayText(int row) const;
    /// Moves the chosen row up, down, to the top or to the bottom; false when
    /// none is chosen or it cannot move that way.
    bool MoveRow(RowMove move);
    /// Deletes the chosen row; false when none is chosen.
    bool DeleteRow();
    void DeleteAllRows();
    /// Inserts the events of a mouse-button item of the action menu
    /// ("left_down", "right_click", …); false for any other name.
    bool InsertMenuButton(const std::string& item);
    /// Inserts a movement with the distance of its edit.
    void InsertMovement(tirk::MacroMove move);

protected:
    void DoInit() override;
    void OnTimer(int id) override;

private:
    void Bind() const;
    void Lock(bool recording);
    void ShowMacroControls(bool enabled);
    void ShowName(const std::string& name);
    void ClearRows();
    void AddMacroRow(const tirk::MacroEntry& entry);
    void ChooseAddedMacro(const tirk::MacroResult& result);
    std::string GuidOf(int index) const;

    CListContainerElementUI* NewRow(const std::string& userData) const;
    void ApplyStyle(CControlUI& control, const char* style) const;
    void InsertRow(int row, const Json::Value& event);
    void ReplaceRow(int row, const std::string& userData);
    void SetRowDelay(int row, const std::string& delay);
    CEditUI* DelayEdit(int row) const;
    void InsertByHand(const Json::Value& event);
    void Place(int kind, const Json::Value& captured, int64_t eventMs);
    int64_t Now() const { return m_clock(); }
    bool OnStopButton(const tirk::input::MouseHookEvent& event) const;

    std::string m_folder;
    std::optional<tirk::MacroStore> m_store;
    tirk::MacroRecorder m_recorder;
    std::function<int64_t()> m_clock;
    int m_recordingKind = 0;
    std::map<std::string, std::string> m_styles;

    // Found on first use; a lookup that finds nothing is repeated next time.
    mutable bool m_bound = false;
    mutable CListUI* m_nameList = nullptr;
    mutable CEditUI* m_nameEdit = nullptr;
    mutable CListUI* m_rows = nullptr;
    mutable std::array<CControlUI*, 5> m_macroControls{};
    mutable CControlUI* m_nameTab = nullptr;
    mutable CControlUI* m_actionTab = nullptr;
    mutable CControlUI* m_delayTab = nullptr;
    mutable CControlUI* m_startButton = nullptr;
    mutable CControlUI* m_stopButton = nullptr;
    mutable COptionUI* m_constantTime = nullptr;
    mutable CEditUI* m_fixedDelayEdit = nullptr;
    mutable std::array<CEditUI*, 4> m_distanceEdits{};
    mutable CControlUI* m_scopeHint = nullptr;
};

/// The record buttons of the macro page: plain buttons that keep the layout
/// attribute "redioimage" without using it.
class CRedioMacroButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "RedioMacroButton"; }
    bool SetAttribute(const std::string& name, const std::string& value) override;
    const std::string& GetRedioImage() const { return m_redioImage; }

private:
    std::string m_redioImage;
};
