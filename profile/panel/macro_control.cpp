#include "profile/panel/macro_control.h"

#include <json/reader.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "profile/json_file.h"
#include "profile/key_assignment.h"
#include "profile/profile_names.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/list.h"

using tirk::MacroResult;
using tirk::MacroStatus;

namespace {

// The controls a chosen macro enables.
constexpr const char* kMacroControlNames[] = {"macro_action_layout", "mouse_move_layout",
                                              "macro_btn_export", "macro_btn_name_sub",
                                              "macro_btn_name_edit"};
// The distance edits, in the order of tirk::MacroMove.
constexpr const char* kDistanceEditNames[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                              "mouse_y_up_edit", "mouse_y_down_edit"};
constexpr char kScopeHintName[] = "macro_capture_scope_text";

constexpr char kKeyboardStyle[] = "macro_label_keyboard_style";
constexpr char kMouseStyle[] = "macro_label_mouse_style";
constexpr char kDownStyle[] = "macro_label_down_style";
constexpr char kUpStyle[] = "macro_label_up_style";
constexpr char kTextStyle[] = "macro_label_text_style";

// A macro name's distance from the list's edges.
constexpr int kNameTextInset = 8;
// What an event row's parts look like beyond their style.
constexpr int kRowChildPadding = 4;
constexpr int kNameTextPadding = 3;
constexpr int kActionWidth = 84;
constexpr int kDelayWidth = 64;
constexpr int kDelayHeight = 25;
constexpr uint32_t kDelayBackground = 0xFF444444;
constexpr int kDelayMaxChars = 6;
constexpr int kMaxDelay = 65535;

// The messages of a refused rename.
constexpr char kNameTaken[] = "message_text_5";
constexpr char kNameUnusable[] = "message_text_5_3";

// The left button's messages, which the stop-button rule looks at.
constexpr uint32_t kLeftDown = tirk::input::kLeftButtonDown;
constexpr uint32_t kLeftUp = tirk::input::kLeftButtonUp;

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

template <typename T>
T* Find(const CContainerUI& root, const char* name) {
    return dynamic_cast<T*>(root.FindSubControl(name));
}

void Enable(CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
}

std::optional<Json::Value> ParseEvent(const std::string& text) {
    if (text.empty()) return std::nullopt;
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value event;
    std::string error;
    if (!reader->parse(text.data(), text.data() + text.size(), &event, &error)) return std::nullopt;
    return event;
}

MacroResult Unchanged(std::string textKey = {}) {
    MacroResult result;
    result.status = MacroStatus::kUnchanged;
    result.textKey = std::move(textKey);
    return result;
}

bool Inside(const TRectUI& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

// ---- set-up -------------------------------------------------------------------------------

CMacroControlUI::CMacroControlUI() : m_clock(SteadyMs) {}

bool CMacroControlUI::SetAttribute(const std::string& name, const std::string& value) {
    for (const char* style : kRowStyles) {
        if (name == style) {
            m_styles[name] = value;
            return true;
        }
    }
    return CHorizontalLayoutUI::SetAttribute(name, value);
}

void CMacroControlUI::DoInit() {
    Bind();
}

void CMacroControlUI::Bind() const {
    if (m_bound) return;
    m_nameList = Find<CListUI>(*this, "macro_name_list");
    if (!m_nameList) return;  // the layout has not built the children yet
    m_bound = true;
    m_nameEdit = Find<CEditUI>(*this, "macro_edit_macroname");
    m_rows = Find<CListUI>(*this, "macro_action_list");
    for (size_t i = 0; i < m_macroControls.size(); ++i)
        m_macroControls[i] = FindSubControl(kMacroControlNames[i]);
    m_nameTab = FindSubControl("macro_name_tab");
    m_actionTab = FindSubControl("macro_tab_macroaction_edit");
    m_delayTab = FindSubControl("macro_tab_macrodelay_edit");
    m_startButton = FindSubControl("macro_btn_starredio");
    m_stopButton = FindSubControl("macro_btn_stopredio");
    m_constantTime = Find<COptionUI>(*this, "macro_check_time");
    m_fixedDelayEdit = Find<CEditUI>(*this, "macro_fixed_time_edit");
    for (size_t i = 0; i < m_distanceEdits.size(); ++i)
        m_distanceEdits[i] = Find<CEditUI>(*this, kDistanceEditNames[i]);
    m_scopeHint = FindSubControl(kScopeHintName);
}

void CMacroControlUI::SetDeviceFolder(const std::string& folder) {
    m_folder = folder;
    m_store.emplace(folder);
}

void CMacroControlUI::SetClock(std::function<int64_t()> nowMs) {
    m_clock = nowMs ? std::move(nowMs) : std::function<int64_t()>(SteadyMs);
}

void CMacroControlUI::ShowCaptureScope(bool desktopWide) {
    Bind();
    if (m_scopeHint) m_scopeHint->SetVisible(!desktopWide);
}

// ---- the macros ---------------------------------------------------------------------------

void CMacroControlUI::LoadMacroList() {
    Bind();
    if (!m_nameList || !m_store) return;
    const std::string chosen = GuidOf(SelectedMacro());
    m_nameList->RemoveAll();
    int keep = -1;
    for (const tirk::MacroEntry& entry : m_store->LoadList()) {
        if (!chosen.empty() && entry.guid == chosen) keep = m_nameList->GetCount();
        AddMacroRow(entry);
    }
    m_nameList->SelectItem(keep, false, false);
    if (keep < 0) SelectMacro();
}

void CMacroControlUI::AddMacroRow(const tirk::MacroEntry& entry) {
    auto* item = new CListLabelElementUI;
    item->SetFixedHeight(kNameItemHeight);
    item->SetTextAlign(Qt::AlignLeft | Qt::AlignVCenter);
    item->SetTextPadding({kNameTextInset, 0, kNameTextInset, 0});
    item->SetEndEllipsis(true);
    item->SetText(entry.name);
    item->SetUserData(entry.guid);
    m_nameList->Add(item);
}

std::vector<std::string> CMacroControlUI::MacroNames() const {
    Bind();
    std::vector<std::string> names;
    for (int i = 0; m_nameList && i < m_nameList->GetCount(); ++i)
        names.push_back(m_nameList->GetItemAt(i)->GetText());
    return names;
}

int CMacroControlUI::SelectedMacro() const {
    Bind();
    return m_nameList ? m_nameList->GetCurSel() : -1;
}

std::string CMacroControlUI::GuidOf(int index) const {
    const CControlUI* item = m_nameList ? m_nameList->GetItemAt(index) : nullptr;
    return item ? item->GetUserData() : std::string();
}

void CMacroControlUI::ChooseMacro(int index) {
    Bind();
    if (m_nameList) m_nameList->SelectItem(index, false, false);
    SelectMacro();
}

std::string CMacroControlUI::SelectMacro() {
    Bind();
    const int index = SelectedMacro();
    const std::string guid = GuidOf(index);
    ClearRows();
    // A list entry without a usable file name has no events to show or save.
    ShowMacroControls(!guid.empty());
    if (index < 0) {
        ShowName(" ");
        return {};
    }
    ShowName(m_nameList->GetItemAt(index)->GetText());
    if (guid.empty() || !m_store || !m_rows) return {};
    std::string problem;
    const std::vector<Json::Value> events = m_store->LoadEvents(guid, &problem);
    m_rows->HoldLayout(true);
    for (const Json::Value& event : events) m_rows->Add(NewRow(tirk::StyledJsonText(event)));
    m_rows->HoldLayout(false);
    return problem;
}

void CMacroControlUI::ShowMacroControls(bool enabled) {
    for (CControlUI* control : m_macroControls) Enable(control, enabled);
}

void CMacroControlUI::ShowName(const std::string& name) {
    if (m_nameEdit) m_nameEdit->SetText(name);
}

void CMacroControlUI::ClearRows() {
    if (m_rows) m_rows->RemoveAll();
}

void CMacroControlUI::ChooseAddedMacro(const MacroResult& result) {
    if (!result || !m_nameList) return;
    AddMacroRow(result.entry);
    ChooseMacro(m_nameList->GetCount() - 1);
}

MacroResult CMacroControlUI::AddMacro() {
    Bind();
    if (!m_store) return Unchanged();
    MacroResult result = m_store->AddMacro();
    ChooseAddedMacro(result);
    return result;
}

tirk::RenumberResult CMacroControlUI::DeleteMacro(tirk::CProfileList& profiles,
                                                  tirk::CBasicProfiledata& data) {
    Bind();
    tirk::RenumberResult removal;
    const int index = SelectedMacro();
    if (index < 0 || !m_store) {
        removal.result = Unchanged();
        return removal;
    }
    removal = m_store->RemoveMacroEverywhere(index, profiles, data);
    if (!removal.result) return removal;
    m_nameList->RemoveAt(index);
    ChooseMacro(m_nameList->GetCount() > 0 ? 0 : -1);
    if (m_nameList->GetCount() == 0) ShowName("");
    return removal;
}

MacroResult CMacroControlUI::RenameMacro() {
    Bind();
    const int index = SelectedMacro();
    const std::string name = tirk::TrimProfileName(m_nameEdit ? m_nameEdit->GetText() : "");
    if (index < 0 || name.empty() || !m_store) return Unchanged();
    if (tirk::CheckProfileName(name) == tirk::ProfileNameProblem::kUnusableCharacter)
        return Unchanged(kNameUnusable);
    if (tirk::ProfileNameTaken(MacroNames(), name)) return Unchanged(kNameTaken);
    MacroResult result = m_store->RenameMacro(index, name);
    if (!result) return result;
    m_nameList->GetItemAt(index)->SetText(name);
    ShowName(name);
    return result;
}

MacroResult CMacroControlUI::ImportMacro(const std::string& path, std::size_t capacity) {
    Bind();
    if (path.empty() || !m_store) return Unchanged();
    MacroResult result = m_store->ImportMacro(path, capacity);
    ChooseAddedMacro(result);
    return result;
}

MacroResult CMacroControlUI::ExportMacro(const std::string& path) {
    Bind();
    const int index = SelectedMacro();
    if (index < 0 || path.empty() || !m_store) return Unchanged();
    return m_store->ExportMacro(index, path);
}

MacroResult CMacroControlUI::SaveMacro() {
    Bind();
    const int index = SelectedMacro();
    if (index < 0 || GuidOf(index).empty() || !m_store || !m_rows) return Unchanged();
    std::vector<Json::Value> events;
    for (int row = 0; row < m_rows->GetCount(); ++row) {
        CControlUI* item = m_rows->GetItemAt(row);
        if (item->GetUserData().empty()) break;
        CEditUI* delay = DelayEdit(row);
        if (delay && delay->GetText().empty()) delay->SetText("0");
        std::optional<Json::Value> event = ParseEvent(item->GetUserData());
        if (!event || !event->isObject()) continue;  // no event: nothing to play
        (*event)["Delay"] = tirk::SavedDelayText(delay ? delay->GetText() : "0");
        item->SetUserData(tirk::StyledJsonText(*event));
        events.push_back(std::move(*event));
    }
    return m_store->SaveEvents(index, events);
}

// ---- recording ------------------------------------------------------------------------------

tirk::MacroDelayMode CMacroControlUI::RecordTimeMode() const {
    Bind();
    return m_constantTime && m_constantTime->IsSelected() ? tirk::MacroDelayMode::kConstantTime
                                                          : tirk::MacroDelayMode::kRecordTime;
}

bool CMacroControlUI::StartRecording(int kind, tirk::MacroDelayMode mode) {
    Bind();
    if (!tirk::IsMacroRecordingKind(kind)) return false;
    m_recorder.Start(mode, Now());
    bool raised = false;
    if (mode == tirk::MacroDelayMode::kConstantTime && m_fixedDelayEdit) {
        const tirk::FixedDelayReading reading =
            m_recorder.TakeFixedDelay(m_fixedDelayEdit->GetText());
        if (reading.changed) {
            const std::string text = std::to_string(reading.value);
            m_fixedDelayEdit->SetText(text);
            m_fixedDelayEdit->SetSel(int(text.size()), int(text.size()));
        }
        raised = reading.raised;
    }
    m_recordingKind = kind;
    Lock(true);
    return raised;
}

MacroResult CMacroControlUI::StopRecording() {
    Bind();
    m_recordingKind = 0;
    Lock(false);
    return SaveMacro();
}

// While recording the user may only stop: a click on the list or a row would
// change what the recorded events are placed against.
void CMacroControlUI::Lock(bool recording) {
    if (m_nameTab) m_nameTab->SetMouseEnabled(!recording);
    if (m_rows) m_rows->SetMouseEnabled(!recording);
    Enable(m_actionTab, !recording);
    Enable(m_delayTab, !recording);
    if (m_startButton) m_startButton->SetVisible(!recording);
    if (m_stopButton) m_stopButton->SetVisible(recording);
}

void CMacroControlUI::OnHookKey(int kind, const tirk::input::KeyHookEvent& event) {
    // No scan table row has a code beyond one byte.
    if (!IsRecording() || event.record.scanCode > 0xFF) return;
    const auto scanCode = uint8_t(event.record.scanCode);
    const auto extended = uint8_t(event.record.flags & 1u);
    const bool press = tirk::input::IsKeyPress(event.message);
    if (!m_recorder.PassKey(kind, scanCode, extended, press)) return;
    const std::optional<Json::Value> captured = tirk::RecordedKeyEvent(scanCode, extended, press);
    if (captured) Place(kind, *captured, event.record.timeMs);
}

void CMacroControlUI::OnHookMouse(int kind, const tirk::input::MouseHookEvent& event) {
    if (!IsRecording()) return;
    const std::optional<Json::Value> captured =
        tirk::RecordedMouseEvent(event.message, event.record.ExtraButton());
    if (!captured || !m_recorder.PassMouse(kind, event.message)) return;
    if (OnStopButton(event)) return;  // the click that ends the recording
    Place(kind, *captured, event.record.timeMs);
}

bool CMacroControlUI::OnStopButton(const tirk::input::MouseHookEvent& event) const {
    if (event.message != kLeftDown && event.message != kLeftUp) return false;
    Bind();
    return m_stopButton && Inside(m_stopButton->GetScreenRect(), event.record.x, event.record.y);
}

// An event's own time is when it happened; the hook hands it to us later.
void CMacroControlUI::Place(int kind, const Json::Value& captured, int64_t eventMs) {
    if (!m_rows) return;
    const tirk::MacroPlacement place = tirk::PlaceRecordedEvent(
        kind, RowCount(), SelectedRow(), m_recorder.Mode(), m_recorder.FixedDelay());
    if (place.op == tirk::MacroPlacement::Op::kDrop) return;
    const int delay = m_recorder.TakeDelay(eventMs != 0 ? eventMs : Now());
    if (place.op == tirk::MacroPlacement::Op::kReplace) {
        const Json::Value event = tirk::ReplacedMacroEvent(RowEvent(place.row), captured);
        ReplaceRow(place.row, tirk::StyledJsonText(event));
    } else {
        Json::Value event = captured;
        event["Delay"] = place.delay;
        InsertRow(place.row, event);
        if (place.previousRow >= 0) SetRowDelay(place.previousRow, std::to_string(delay));
    }
    ChooseRow(place.select);
    SetTimer(kScrollTimer, kScrollDelayMs);
}

void CMacroControlUI::OnTimer(int id) {
    if (id != kScrollTimer) {
        CHorizontalLayoutUI::OnTimer(id);
        return;
    }
    KillTimer(kScrollTimer);
    if (m_rows) m_rows->EnsureVisible(m_rows->GetCurSel());
}

// ---- the event rows ------------------------------------------------------------------------

int CMacroControlUI::RowCount() const {
    Bind();
    return m_rows ? m_rows->GetCount() : 0;
}

int CMacroControlUI::SelectedRow() const {
    Bind();
    return m_rows ? m_rows->GetCurSel() : -1;
}

void CMacroControlUI::ChooseRow(int row) {
    Bind();
    if (m_rows) m_rows->SelectItem(row, false, false);
}

Json::Value CMacroControlUI::RowEvent(int row) const {
    Bind();
    const CControlUI* item = m_rows ? m_rows->GetItemAt(row) : nullptr;
    if (!item) return {};
    return ParseEvent(item->GetUserData()).value_or(Json::Value());
}

std::string CMacroControlUI::RowDelayText(int row) const {
    const CEditUI* edit = DelayEdit(row);
    return edit ? edit->GetText() : std::string();
}

CEditUI* CMacroControlUI::DelayEdit(int row) const {
    Bind();
    auto* item = m_rows ? dynamic_cast<CContainerUI*>(m_rows->GetItemAt(row)) : nullptr;
    return item ? Find<CEditUI>(*item, kDelayEditName) : nullptr;
}

void CMacroControlUI::ApplyStyle(CControlUI& control, const char* style) const {
    const auto found = m_styles.find(style);
    if (found != m_styles.end()) control.ApplyAttributeList(found->second);
}

// A row: the event's name, its press or release (or a movement's distance)
// and its delay; the event's JSON text is the row's user data.
CListContainerElementUI* CMacroControlUI::NewRow(const std::string& userData) const {
    const tirk::MacroRowView view =
        tirk::ViewOfMacroEvent(ParseEvent(userData).value_or(Json::Value()));
    auto* row = new CListContainerElementUI;
    row->SetName(kRowName);
    row->SetFixedHeight(kRowHeight);
    row->SetContextMenuUsed(true);
    row->SetUserData(userData);
    auto* line = new CHorizontalLayoutUI;
    line->SetChildPadding(kRowChildPadding);

    auto* name = new CLabelUI;
    ApplyStyle(*name, view.mouse ? kMouseStyle : kKeyboardStyle);
    name->SetMouseEnabled(false);
    name->SetTextPadding({kNameTextPadding, 0, 0, 0});
    if (*view.nameKey) name->SetTextKey(view.nameKey);

    auto* action = new CLabelUI;
    action->SetMouseEnabled(false);
    action->SetFixedWidth(kActionWidth);
    if (view.movement) {
        ApplyStyle(*action, kTextStyle);
        action->SetText(std::to_string(view.distance));
    } else {
        ApplyStyle(*action, view.press ? kDownStyle : kUpStyle);
        action->SetTextKey(view.press ? kPressTextKey : kReleaseTextKey);
    }

    auto* delay = new CEditUI;
    delay->SetName(kDelayEditName);
    ApplyStyle(*delay, kTextStyle);
    delay->SetBkColor(kDelayBackground);
    delay->SetFixedWidth(kDelayWidth);
    delay->SetFixedHeight(kDelayHeight);
    delay->SetPadding({0, (kRowHeight - kDelayHeight) / 2, 0, 0});
    delay->SetMaxChar(kDelayMaxChars);
    delay->SetNumberOnly(true);
    delay->SetMinValue(0);
    delay->SetMaxValue(kMaxDelay);
    delay->SetText(view.delayText);

    line->Add(name);
    line->Add(action);
    line->Add(delay);
    row->Add(line);
    return row;
}

void CMacroControlUI::InsertRow(int row, const Json::Value& event) {
    if (m_rows) m_rows->AddAt(NewRow(tirk::StyledJsonText(event)), row);
}

void CMacroControlUI::ReplaceRow(int row, const std::string& userData) {
    if (!m_rows || !m_rows->GetItemAt(row)) return;
    const bool chosen = m_rows->GetCurSel() == row;
    m_rows->RemoveAt(row);
    m_rows->AddAt(NewRow(userData), row);
    if (chosen) ChooseRow(row);
}

void CMacroControlUI::SetRowDelay(int row, const std::string& delay) {
    CControlUI* item = m_rows ? m_rows->GetItemAt(row) : nullptr;
    if (!item) return;
    if (std::optional<Json::Value> event = ParseEvent(item->GetUserData());
        event && event->isObject()) {
        (*event)["Delay"] = delay;
        item->SetUserData(tirk::StyledJsonText(*event));
    }
    if (CEditUI* edit = DelayEdit(row)) edit->SetText(delay);
}

bool CMacroControlUI::MoveRow(RowMove move) {
    Bind();
    const int from = SelectedRow();
    const int last = RowCount() - 1;
    if (from < 0) return false;
    int to = from;
    switch (move) {
        case RowMove::kUp:
            to = from - 1;
            break;
        case RowMove::kDown:
            to = from + 1;
            break;
        case RowMove::kTop:
            to = 0;
            break;
        case RowMove::kBottom:
            to = last;
            break;
    }
    if (to < 0 || to > last || to == from) return false;
    // The row is made again from its event, as the event's own delay shows it.
    const std::string userData = m_rows->GetItemAt(from)->GetUserData();
    m_rows->RemoveAt(from);
    m_rows->AddAt(NewRow(userData), to);
    ChooseRow(to);
    if (move == RowMove::kTop)
        m_rows->SetScrollPos(0);
    else
        m_rows->EnsureVisible(to);
    return true;
}

bool CMacroControlUI::DeleteRow() {
    const int row = SelectedRow();
    if (row < 0) return false;
    m_rows->RemoveAt(row);
    return true;
}

void CMacroControlUI::DeleteAllRows() {
    Bind();
    ClearRows();
}

void CMacroControlUI::InsertByHand(const Json::Value& event) {
    const tirk::ManualPlacement place = tirk::PlaceManualEvent(RowCount(), SelectedRow());
    InsertRow(place.row, event);
    ChooseRow(place.select);
}

bool CMacroControlUI::InsertMenuButton(const std::string& item) {
    Bind();
    const std::vector<Json::Value> events = tirk::MenuButtonEvents(item, FixedDelay());
    for (const Json::Value& event : events) InsertByHand(event);
    return !events.empty();
}

void CMacroControlUI::InsertMovement(tirk::MacroMove move) {
    Bind();
    const CEditUI* edit = m_distanceEdits[size_t(move)];
    const uint8_t distance = edit ? tirk::EditByte(edit->GetText()) : 0;
    InsertByHand(tirk::MovementEvent(move, distance, FixedDelay()));
}

// ---- the record buttons ----------------------------------------------------------------------

bool CRedioMacroButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "redioimage") {
        m_redioImage = value;
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}
