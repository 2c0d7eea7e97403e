// The macro page over its real layout and the program's skin, offscreen in a
// window: the macro list, recording from hook events (delays, repeats, the
// stop button, where each kind puts an event, the 4000-row limit), the row
// tools and inserts, renaming, saving and the page's lock while recording.
#include "support/macro_events.h"
#include "profile/panel/macro_control.h"

#include <gtest/gtest.h>
#include <json/writer.h>

#include <QCoreApplication>
#include <string>
#include <utility>
#include <vector>

#include "profile/macro_store.h"
#include "profile/test_folder.h"
#include "profile_panel_fixture.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/ui_test_support.h"

namespace tirk::test {
namespace {


using input::KeyHookEvent;
using input::MouseHookEvent;

constexpr char kPageLayout[] = "XML/CustomControlXML/MacroControl.xml";
constexpr int kAppend = macro_kind::kAppend;
constexpr int kBefore = macro_kind::kInsertBefore;
constexpr int kAfter = macro_kind::kInsertAfter;
constexpr int kReplace = macro_kind::kReplace;

// Scan codes of the keys pressed here.
constexpr uint8_t kA = 0x1E, kB = 0x30, kC = 0x2E, kLeftCtrl = 0x1D;

KeyHookEvent Key(uint8_t scanCode, bool press, int64_t timeMs = 0, uint32_t flags = 0) {
    KeyHookEvent event;
    event.message = press ? input::kKeyDown : input::kKeyUp;
    event.record.scanCode = scanCode;
    event.record.flags = flags;
    event.record.timeMs = timeMs;
    return event;
}

MouseHookEvent Mouse(uint32_t message, int x, int y, uint16_t extra = 0) {
    MouseHookEvent event;
    event.message = message;
    event.record.x = x;
    event.record.y = y;
    event.record.mouseData = uint32_t(extra) << 16;
    return event;
}

class MacroControlTest : public TestFolder {
protected:
    static void SetUpTestSuite() {
        UseProgramSkin();
        CControlFactory::GetInstance()->RegistControl("MacroControl",
                                                      [] { return new CMacroControlUI; });
        CControlFactory::GetInstance()->RegistControl("RedioMacroButton",
                                                      [] { return new CRedioMacroButtonUI; });
    }
    void SetUp() override {
        TestFolder::SetUp();
        ASSERT_NO_FATAL_FAILURE(Show(559, 290));
    }
    /// Shows the page alone in a window of the size of a device page's area.
    void Show(int width, int height) {
        const std::string window = Path("window.xml");
        WriteText(window, "<Window size=\"" + std::to_string(width) + "," + std::to_string(height) +
                              "\"><VerticalLayout><Include source=\"" + kPageLayout +
                              "\"/></VerticalLayout></Window>");
        host_ = std::make_unique<ui::test::RecordingWindow>(window);
        ASSERT_TRUE(host_->CreateShown()) << host_->GetLoadError();
        page_ = host_->Find<CMacroControlUI>("MacroControlItem");
        ASSERT_NE(page_, nullptr);
        page_->SetDeviceFolder(Folder());
        page_->SetClock([this] { return now_; });
    }
    std::string Folder() const { return folder_.path() + "/"; }

    /// Writes macros with these events and lists them on the page.
    void WriteMacros(const std::vector<std::vector<Json::Value>>& macros) {
        MacroStore store(Folder());
        for (size_t i = 0; i < macros.size(); ++i) {
            ASSERT_TRUE(store.AddMacro());
            ASSERT_TRUE(store.SaveEvents(int(i), macros[i]));
        }
        page_->LoadMacroList();
    }
    /// One macro with `rows` key strokes (A down, A up, …), chosen.
    void ChooseMacroWithRows(int rows) {
        std::vector<Json::Value> events;
        for (int i = 0; i < rows; ++i)
            events.push_back(MacroEvent(i % 2 ? "up" : "down", 4, std::to_string(10 + i), 10));
        ASSERT_NO_FATAL_FAILURE(WriteMacros({events}));
        page_->ChooseMacro(0);
        ASSERT_EQ(page_->RowCount(), rows);
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < page_->RowCount(); ++i) rows.push_back(CompactJson(page_->RowEvent(i)));
        return rows;
    }
    std::vector<std::string> Saved(int macro = 0) const {
        MacroStore store(Folder());
        std::vector<std::string> events;
        for (const Json::Value& event : store.LoadEvents(store.LoadList().at(size_t(macro)).guid))
            events.push_back(CompactJson(event));
        return events;
    }
    template <typename T>
    T* Sub(const std::string& name) const {
        auto* control = dynamic_cast<T*>(page_->FindSubControl(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Record(int kind, MacroDelayMode mode = MacroDelayMode::kRecordTime) {
        page_->StartRecording(kind, mode);
        QCoreApplication::processEvents();  // the stop button is laid out
    }
    void Press(int kind, uint8_t scanCode) {
        page_->OnHookKey(kind, Key(scanCode, true));
        page_->OnHookKey(kind, Key(scanCode, false));
    }

    int64_t now_ = 1000;
    std::unique_ptr<ui::test::RecordingWindow> host_;
    CMacroControlUI* page_ = nullptr;
};

// ---- the layout ------------------------------------------------------------------------------

TEST_F(MacroControlTest, LayoutHasEveryNamedControlAndFitsTheDevicePages) {
    for (const char* list : {"macro_name_list", "macro_action_list"}) Sub<CListUI>(list);
    for (const char* edit : {"macro_edit_macroname", "macro_fixed_time_edit", "mouse_x_left_edit",
                             "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit"})
        Sub<CEditUI>(edit);
    for (const char* button :
         {"macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_save",
          "macro_btn_cancel", "macro_btn_import", "macro_btn_export", "macro_btn_up",
          "macro_btn_down", "macro_btn_uptop", "macro_btn_downbottom", "macro_btn_delete",
          "macro_btn_deleteall", "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
          "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"})
        Sub<CButtonUI>(button);
    for (const char* record : {"macro_btn_starredio", "macro_btn_stopredio"})
        Sub<CRedioMacroButtonUI>(record);
    Sub<COptionUI>("macro_check_time");
    for (const char* container : {"macro_action_layout", "mouse_move_layout", "macro_name_tab",
                                  "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"})
        Sub<CContainerUI>(container);
    EXPECT_TRUE(Sub<CControlUI>("macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(Sub<CControlUI>("macro_btn_stopredio")->IsVisible());
    EXPECT_EQ(Sub<CEditUI>("macro_fixed_time_edit")->GetText(), "50");

    for (const auto& [width, height] : {std::pair(559, 290), std::pair(559, 386)}) {
        SCOPED_TRACE(height);
        ASSERT_NO_FATAL_FAILURE(Show(width, height));
        QCoreApplication::processEvents();
        const TRectUI area = page_->GetPos();
        for (const char* name :
             {"macro_name_list", "macro_edit_macroname", "macro_btn_export", "macro_btn_starredio",
              "macro_fixed_time_edit", "macro_action_list", "macro_btn_deleteall",
              "mouse_y_down_edit", "macro_btn_cancel"}) {
            const TRectUI pos = Sub<CControlUI>(name)->GetPos();
            EXPECT_FALSE(pos.IsEmpty()) << name;
            EXPECT_TRUE(pos.left >= area.left && pos.right <= area.right && pos.top >= area.top &&
                        pos.bottom <= area.bottom)
                << name;
        }
        EXPECT_GE(Sub<CControlUI>("macro_action_list")->GetPos().Height(),
                  4 * CMacroControlUI::kRowHeight);
    }
}

TEST_F(MacroControlTest, RecordButtonsKeepTheirImageAttribute) {
    CRedioMacroButtonUI button;
    EXPECT_TRUE(button.SetAttribute("redioimage", "file='record.png'"));
    EXPECT_EQ(button.GetRedioImage(), "file='record.png'");
    EXPECT_EQ(button.GetClass(), "RedioMacroButton");
}

TEST_F(MacroControlTest, RowsTakeTheLayoutsStyles) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros(
        {{MacroEvent("down", 4, "7", 10), MacroEvent("up", 1, "8", 1), MacroEvent("down", 30, "9", 4)}}));
    page_->ChooseMacro(0);
    const auto labels = [&](int row) {
        auto* item = dynamic_cast<CContainerUI*>(Sub<CListUI>("macro_action_list")->GetItemAt(row));
        auto* line = item ? dynamic_cast<CContainerUI*>(item->GetItemAt(0)) : nullptr;
        EXPECT_TRUE(line && line->GetCount() == 3);
        return std::make_pair(line->GetItemAt(0), line->GetItemAt(1));
    };
    const auto [keyName, keyAction] = labels(0);
    const auto [mouseName, mouseAction] = labels(1);
    const auto [moveName, moveAction] = labels(2);
    EXPECT_EQ(keyName->GetTextKey(), "keyboard_key_A");
    EXPECT_EQ(mouseName->GetTextKey(), "mouse_key_left");
    EXPECT_EQ(moveName->GetTextKey(), "mouse_move_to_left_text");
    EXPECT_NE(keyName->GetTextColor(), mouseName->GetTextColor()) << "keyboard and mouse styles";
    EXPECT_EQ(keyAction->GetTextKey(), CMacroControlUI::kPressTextKey);
    EXPECT_EQ(mouseAction->GetTextKey(), CMacroControlUI::kReleaseTextKey);
    EXPECT_NE(keyAction->GetTextColor(), mouseAction->GetTextColor()) << "press and release styles";
    EXPECT_EQ(moveAction->GetText(), "30") << "a movement shows its distance";
    EXPECT_EQ(page_->RowDelayText(2), "9");
    EXPECT_EQ(Sub<CListUI>("macro_action_list")->GetItemAt(0)->GetName(),
              CMacroControlUI::kRowName);
}

// ---- the macro list --------------------------------------------------------------------------

TEST_F(MacroControlTest, ChoosingAMacroShowsItsEventsAndEnablesItsControls) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros(
        {{MacroEvent("down", 4, "5", 10)}, {MacroEvent("down", 1, 70000, 1), MacroEvent("up", 1, "3", 1)}}));
    EXPECT_EQ(page_->MacroNames(), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_EQ(page_->SelectedMacro(), -1);
    EXPECT_EQ(Sub<CEditUI>("macro_edit_macroname")->GetText(), " ");
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"})
        EXPECT_FALSE(Sub<CControlUI>(name)->IsEnabled()) << name;

    page_->ChooseMacro(1);
    EXPECT_EQ(page_->RowCount(), 2);
    EXPECT_EQ(page_->RowDelayText(0), "65535") << "a stored delay beyond the edit's range";
    EXPECT_EQ(Sub<CEditUI>("macro_edit_macroname")->GetText(), "macro_2");
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"})
        EXPECT_TRUE(Sub<CControlUI>(name)->IsEnabled()) << name;

    page_->LoadMacroList();
    EXPECT_EQ(page_->SelectedMacro(), 1) << "reloading keeps the chosen macro";
    page_->ChooseMacro(-1);
    EXPECT_EQ(page_->RowCount(), 0);
    EXPECT_EQ(Sub<CEditUI>("macro_edit_macroname")->GetText(), " ");
}

TEST_F(MacroControlTest, AnUnreadableMacroFileIsToldAndShowsNoEvents) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{MacroEvent("down", 4, "5", 10)}}));
    WriteText(Folder() + MacroStore(Folder()).LoadList()[0].guid + ".mac", "{ broken");
    page_->ChooseMacro(-1);
    Sub<CListUI>("macro_name_list")->SelectItem(0, false, false);
    const std::string problem = page_->SelectMacro();
    EXPECT_NE(problem.find(".mac"), std::string::npos) << problem;
    EXPECT_EQ(page_->RowCount(), 0);
}

TEST_F(MacroControlTest, RenamingRefusesTakenAndUnusableNames) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}, {}}));
    page_->ChooseMacro(0);
    auto* edit = Sub<CEditUI>("macro_edit_macroname");
    struct Case {
        const char* typed;
        MacroStatus status;
        const char* message;
        const char* name;  // the chosen macro's name afterwards
    } cases[] = {
        {"MACRO_1", MacroStatus::kUnchanged, "message_text_5", "macro_1"},  // its own name
        {"Macro_2", MacroStatus::kUnchanged, "message_text_5", "macro_1"},
        {"a&b", MacroStatus::kUnchanged, "message_text_5_3", "macro_1"},
        {"   ", MacroStatus::kUnchanged, "", "macro_1"},
        {"  Jump shot  ", MacroStatus::kOk, "", "Jump shot"},
        {"JUMP SHOT", MacroStatus::kUnchanged, "message_text_5", "Jump shot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        edit->SetText(c.typed);
        const MacroResult result = page_->RenameMacro();
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.textKey, c.message);
        EXPECT_EQ(page_->MacroNames()[0], c.name);
        EXPECT_EQ(MacroStore(Folder()).ListNames()[0], c.name);
    }
    EXPECT_EQ(edit->GetText(), "JUMP SHOT") << "a refused name stays in the edit";
    page_->ChooseMacro(-1);
    edit->SetText("other");
    EXPECT_EQ(page_->RenameMacro().status, MacroStatus::kUnchanged) << "no macro chosen";
}

TEST_F(MacroControlTest, AddedAndImportedMacrosAreChosen) {
    EXPECT_TRUE(page_->AddMacro());
    EXPECT_EQ(page_->SelectedMacro(), 0);
    EXPECT_EQ(Sub<CEditUI>("macro_edit_macroname")->GetText(), "macro_1");
    ASSERT_TRUE(page_->InsertMenuButton("right_click"));
    ASSERT_TRUE(page_->SaveMacro());
    const std::string exported = Path("Burst.mac");
    ASSERT_TRUE(page_->ExportMacro(exported));

    EXPECT_TRUE(page_->ImportMacro(exported, MacroStore::kKeyboardMemory));
    EXPECT_EQ(page_->MacroNames(), (std::vector<std::string>{"macro_1", "Burst"}));
    EXPECT_EQ(page_->SelectedMacro(), 1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{CompactJson(MacroEvent("down", 2, "50", 1)),
                                                CompactJson(MacroEvent("up", 2, "50", 1))}));
    EXPECT_EQ(page_->ImportMacro("", MacroStore::kKeyboardMemory).status, MacroStatus::kUnchanged);
    EXPECT_EQ(page_->ImportMacro(Path("missing.mac"), MacroStore::kKeyboardMemory).status,
              MacroStatus::kImportRefused);
    EXPECT_EQ(page_->MacroNames().size(), 2u);
}

// ---- recording --------------------------------------------------------------------------------

TEST_F(MacroControlTest, AKeyRecordedInRealTimeGivesTheExactEvents) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    Record(kAppend);
    now_ = 1300;
    page_->OnHookKey(kAppend, Key(kA, true));
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{R"({"Action":"down","Button":4,"Delay":0,"Type":10})"}));
    now_ = 1420;
    page_->OnHookKey(kAppend, Key(kA, false));
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{R"({"Action":"down","Button":4,"Delay":"120","Type":10})",
                                        R"({"Action":"up","Button":4,"Delay":"0","Type":10})"}));
    EXPECT_EQ(page_->RowDelayText(0), "120");
    EXPECT_EQ(page_->SelectedRow(), 1);
    EXPECT_TRUE(page_->StopRecording());
    EXPECT_EQ(Saved(),
              (std::vector<std::string>{R"({"Action":"down","Button":4,"Delay":"120","Type":10})",
                                        R"({"Action":"up","Button":4,"Delay":"0","Type":10})"}));
}

TEST_F(MacroControlTest, AnEventsOwnTimeIsItsTime) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    Record(kAppend);
    now_ = 5000;  // handled late: the time the event carries counts
    page_->OnHookKey(kAppend, Key(kA, true, 1100));
    page_->OnHookKey(kAppend, Key(kA, false, 1175));
    EXPECT_EQ(page_->RowDelayText(0), "75");
}

TEST_F(MacroControlTest, AHeldKeyIsOnePressAndUnknownInputIsDropped) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    Record(kAppend, MacroDelayMode::kIgnoreTime);
    for (int repeat = 0; repeat < 5; ++repeat) page_->OnHookKey(kAppend, Key(kA, true));
    page_->OnHookKey(kAppend, Key(0xFF, true, 0, 1));     // in no table
    page_->OnHookKey(kAppend, Key(0x1E, true, 0, 1));     // A's code with the E0 flag
    page_->OnHookMouse(kAppend, Mouse(0x0200, 0, 0));     // a move
    page_->OnHookMouse(kAppend, Mouse(0x020A, 0, 0));     // the wheel
    page_->OnHookMouse(kAppend, Mouse(0x020B, 0, 0, 3));  // an unknown extra button
    page_->OnHookKey(kAppend, Key(kA, false));
    page_->OnHookKey(kAppend, Key(kLeftCtrl, true, 0, 1));  // right Ctrl
    page_->OnHookMouse(kAppend, Mouse(0x020B, 0, 0, 1));    // back
    // Each row takes the time to the next one as text: 0 without time.
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{
                  CompactJson(MacroEvent("down", 4, "0", 10)), CompactJson(MacroEvent("up", 4, "0", 10)),
                  CompactJson(MacroEvent("down", 0x10, "0", 9)), CompactJson(MacroEvent("down", 8, "0", 1))}));
}

TEST_F(MacroControlTest, TheClickOnTheStopButtonIsNotRecorded) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    Record(kAppend, MacroDelayMode::kIgnoreTime);
    const TRectUI stop = Sub<CControlUI>("macro_btn_stopredio")->GetScreenRect();
    ASSERT_FALSE(stop.IsEmpty());
    const int x = (stop.left + stop.right) / 2, y = (stop.top + stop.bottom) / 2;
    page_->OnHookMouse(kAppend, Mouse(input::kLeftButtonDown, x, y));
    page_->OnHookMouse(kAppend, Mouse(input::kLeftButtonUp, x, y));
    page_->OnHookMouse(kAppend,
                       Mouse(input::kRightButtonDown, x, y));  // only the left button stops
    EXPECT_EQ(Rows(), (std::vector<std::string>{CompactJson(MacroEvent("down", 2, 0, 1))}));
    page_->OnHookMouse(kAppend, Mouse(input::kLeftButtonDown, stop.left - 1, y));
    page_->OnHookMouse(kAppend, Mouse(input::kLeftButtonUp, stop.right, y));
    EXPECT_EQ(Rows(), (std::vector<std::string>{CompactJson(MacroEvent("down", 2, "0", 1)),
                                                CompactJson(MacroEvent("down", 1, "0", 1)),
                                                CompactJson(MacroEvent("up", 1, "0", 1))}));
}

TEST_F(MacroControlTest, RecordingIntoAMacroWithRowsTimesTheFirstEventFromTheStart) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(2));
    now_ = 2000;
    Record(kAppend);
    now_ = 2345;
    page_->OnHookKey(kAppend, Key(kB, true));
    EXPECT_EQ(page_->RowDelayText(1), "345");
    EXPECT_EQ(page_->RowEvent(1)["Delay"], "345");
    EXPECT_EQ(page_->RowDelayText(0), "10") << "the rows before keep theirs";
    EXPECT_EQ(page_->RowEvent(2)["Delay"], "0");
}

TEST_F(MacroControlTest, AConstantDelayBelowTwoBecomesTwo) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    auto* edit = Sub<CEditUI>("macro_fixed_time_edit");
    edit->SetText("1");
    EXPECT_TRUE(page_->StartRecording(kAppend, MacroDelayMode::kConstantTime))
        << "the user is told";
    EXPECT_EQ(edit->GetText(), "2");
    EXPECT_EQ(page_->FixedDelay(), 2);
    Press(kAppend, kA);
    EXPECT_EQ(Rows(), (std::vector<std::string>{CompactJson(MacroEvent("down", 4, "2", 10)),
                                                CompactJson(MacroEvent("up", 4, 2, 10))}));
    page_->StopRecording();
    edit->SetText("70000");
    EXPECT_FALSE(page_->StartRecording(kAppend, MacroDelayMode::kConstantTime));
    EXPECT_EQ(edit->GetText(), "65535");
    page_->StopRecording();
    edit->SetText("1");
    EXPECT_FALSE(page_->StartRecording(kAppend, MacroDelayMode::kRecordTime))
        << "only a constant-time recording reads the edit";
    EXPECT_EQ(page_->FixedDelay(), 65535);
}

TEST_F(MacroControlTest, TheCheckBoxChoosesTheStartButtonsMode) {
    auto* check = Sub<COptionUI>("macro_check_time");
    EXPECT_EQ(page_->RecordTimeMode(), MacroDelayMode::kRecordTime);
    check->Selected(true, false);
    EXPECT_EQ(page_->RecordTimeMode(), MacroDelayMode::kConstantTime);
}

TEST_F(MacroControlTest, EachKindPlacesItsEvents) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(2));  // A down "10", A up "11"
    const auto keyRow = [](uint8_t usage, const char* action, Json::Value delay) {
        return CompactJson(MacroEvent(action, usage, std::move(delay), 10));
    };

    // Before the first row: the new row waits 0 and no other delay changes.
    page_->ChooseRow(0);
    Record(kBefore, MacroDelayMode::kIgnoreTime);
    page_->OnHookKey(kBefore, Key(kB, true));
    EXPECT_EQ(Rows(), (std::vector<std::string>{keyRow(5, "down", 0), keyRow(4, "down", "10"),
                                                keyRow(4, "up", "11")}));
    EXPECT_EQ(page_->SelectedRow(), 1) << "the chosen row moved down and stays chosen";
    page_->StopRecording();
    EXPECT_EQ(page_->RowEvent(0)["Delay"], "0") << "saved as text";

    // After row 1: events follow each other in order.
    Record(kAfter, MacroDelayMode::kIgnoreTime);
    Press(kAfter, kC);
    page_->StopRecording();
    EXPECT_EQ(Rows(), (std::vector<std::string>{keyRow(5, "down", "0"), keyRow(4, "down", "0"),
                                                keyRow(6, "down", "0"), keyRow(6, "up", "0"),
                                                keyRow(4, "up", "11")}));
    EXPECT_EQ(page_->SelectedRow(), 3);

    // Replacing: the chosen row keeps its release and delay.
    page_->ChooseRow(4);
    Record(kReplace, MacroDelayMode::kIgnoreTime);
    page_->OnHookMouse(kReplace, Mouse(input::kMiddleButtonDown, 0, 0));
    EXPECT_EQ(page_->RowEvent(4), MacroEvent("up", 4, "11", 1));
    EXPECT_EQ(page_->RowCount(), 5);

    // Nothing chosen: the inserts and the replacement drop what they hear.
    page_->StopRecording();
    page_->ChooseRow(-1);
    for (int kind : {kBefore, kAfter, kReplace}) {
        Record(kind, MacroDelayMode::kIgnoreTime);
        Press(kind, kB);
        page_->StopRecording();
    }
    EXPECT_EQ(page_->RowCount(), 5);
    EXPECT_EQ(Saved().size(), 5u) << "stopping saved the rows";
}

TEST_F(MacroControlTest, RecordingStopsAt4000Rows) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(kMaxRecordedRows));
    for (int kind : {kAppend, kAfter}) {
        page_->ChooseRow(0);
        Record(kind, MacroDelayMode::kIgnoreTime);
        Press(kind, kB);
        page_->StopRecording();
        EXPECT_EQ(page_->RowCount(), kMaxRecordedRows) << kind;
    }
    page_->ChooseRow(0);
    Record(kReplace, MacroDelayMode::kIgnoreTime);
    page_->OnHookKey(kReplace, Key(kB, true));
    page_->StopRecording();
    EXPECT_EQ(page_->RowEvent(0)["Button"], 5) << "a replacement adds no row";
    ASSERT_TRUE(page_->InsertMenuButton("left_click"));
    EXPECT_EQ(page_->RowCount(), kMaxRecordedRows + 2) << "inserts by hand have no limit";
}

TEST_F(MacroControlTest, ThePageIsLockedWhileRecordingAndIgnoresTheHookOtherwise) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    page_->OnHookKey(kAppend, Key(kA, true));
    EXPECT_EQ(page_->RowCount(), 0) << "not recording";

    const auto locked = [&] {
        return std::vector<bool>{!Sub<CControlUI>("macro_name_tab")->IsMouseEnabled(),
                                 !Sub<CControlUI>("macro_action_list")->IsMouseEnabled(),
                                 !Sub<CControlUI>("macro_tab_macroaction_edit")->IsEnabled(),
                                 !Sub<CControlUI>("macro_tab_macrodelay_edit")->IsEnabled(),
                                 !Sub<CControlUI>("macro_btn_starredio")->IsVisible(),
                                 Sub<CControlUI>("macro_btn_stopredio")->IsVisible()};
    };
    Record(kAppend);
    EXPECT_TRUE(page_->IsRecording());
    EXPECT_EQ(page_->RecordingKind(), kAppend);
    EXPECT_EQ(locked(), std::vector<bool>(6, true));
    page_->StopRecording();
    EXPECT_FALSE(page_->IsRecording());
    EXPECT_EQ(locked(), std::vector<bool>(6, false));
    EXPECT_FALSE(page_->StartRecording(2, MacroDelayMode::kRecordTime)) << "not a recording kind";
    EXPECT_FALSE(page_->IsRecording());
}

TEST_F(MacroControlTest, TheCaptureScopeHintShowsWhenOnlyOurWindowIsSeen) {
    auto* hint = Sub<CControlUI>("macro_capture_scope_text");
    EXPECT_FALSE(hint->IsVisible());
    page_->ShowCaptureScope(false);
    EXPECT_TRUE(hint->IsVisible());
    EXPECT_EQ(hint->GetTextKey(), "macro_capture_window_only_text");
    page_->ShowCaptureScope(true);
    EXPECT_FALSE(hint->IsVisible());
}

// ---- rows by hand ------------------------------------------------------------------------------

TEST_F(MacroControlTest, AClickFromTheMenuGoesAfterTheFirstRowWhenNoneIsChosen) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(2));
    page_->ChooseRow(-1);
    ASSERT_TRUE(page_->InsertMenuButton("left_click"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          CompactJson(MacroEvent("down", 4, "10", 10)), CompactJson(MacroEvent("down", 1, "50", 1)),
                          CompactJson(MacroEvent("up", 1, "50", 1)), CompactJson(MacroEvent("up", 4, "11", 10))}));
    EXPECT_EQ(page_->SelectedRow(), 2);
    EXPECT_FALSE(page_->InsertMenuButton("macro_action_edit"));
}

TEST_F(MacroControlTest, InsertsIntoAnEmptyListChooseNothing) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    ASSERT_TRUE(page_->InsertMenuButton("back_down"));
    EXPECT_EQ(page_->SelectedRow(), -1);
    Sub<CEditUI>("mouse_y_up_edit")->SetText("25");
    page_->InsertMovement(MacroMove::kUp);
    EXPECT_EQ(Rows(), (std::vector<std::string>{CompactJson(MacroEvent("down", 8, "50", 1)),
                                                CompactJson(MacroEvent("down", 25, "50", 5))}));
    EXPECT_EQ(page_->SelectedRow(), 1);
}

TEST_F(MacroControlTest, RowsMoveAndAreDeleted) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(4));  // delays 10, 11, 12, 13
    const auto delays = [&] {
        std::vector<std::string> shown;
        for (int i = 0; i < page_->RowCount(); ++i) shown.push_back(page_->RowDelayText(i));
        return shown;
    };
    using Move = CMacroControlUI::RowMove;
    EXPECT_FALSE(page_->MoveRow(Move::kUp)) << "nothing chosen";
    page_->ChooseRow(1);
    EXPECT_TRUE(page_->MoveRow(Move::kTop));
    EXPECT_EQ(delays(), (std::vector<std::string>{"11", "10", "12", "13"}));
    EXPECT_EQ(page_->SelectedRow(), 0);
    EXPECT_FALSE(page_->MoveRow(Move::kUp)) << "the first row";
    EXPECT_TRUE(page_->MoveRow(Move::kBottom));
    EXPECT_EQ(delays(), (std::vector<std::string>{"10", "12", "13", "11"}));
    EXPECT_FALSE(page_->MoveRow(Move::kDown)) << "the last row";
    EXPECT_TRUE(page_->MoveRow(Move::kUp));
    EXPECT_EQ(delays(), (std::vector<std::string>{"10", "12", "11", "13"}));
    EXPECT_EQ(page_->SelectedRow(), 2);

    // A moved row is made again from its event: an edit not yet saved is lost.
    page_->ChooseRow(0);
    auto* row = dynamic_cast<CContainerUI*>(Sub<CListUI>("macro_action_list")->GetItemAt(0));
    ASSERT_NE(row, nullptr);
    dynamic_cast<CEditUI*>(row->FindSubControl(CMacroControlUI::kDelayEditName))->SetText("999");
    EXPECT_TRUE(page_->MoveRow(Move::kDown));
    EXPECT_EQ(delays(), (std::vector<std::string>{"12", "10", "11", "13"}));
    EXPECT_EQ(page_->SelectedRow(), 1);

    EXPECT_TRUE(page_->DeleteRow());
    EXPECT_EQ(delays(), (std::vector<std::string>{"12", "11", "13"}));
    EXPECT_FALSE(page_->DeleteRow()) << "nothing chosen after a deletion";
    page_->DeleteAllRows();
    EXPECT_EQ(page_->RowCount(), 0);
    EXPECT_EQ(page_->SelectedRow(), -1);
}

TEST_F(MacroControlTest, SavingWritesTheDelaysTheEditsShow) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(3));
    const auto edit = [&](int row) {
        auto* item = dynamic_cast<CContainerUI*>(Sub<CListUI>("macro_action_list")->GetItemAt(row));
        return item ? dynamic_cast<CEditUI*>(item->FindSubControl(CMacroControlUI::kDelayEditName))
                    : nullptr;
    };
    edit(0)->SetText("");
    edit(1)->SetText("0042");
    edit(2)->SetText("65535");
    ASSERT_TRUE(page_->SaveMacro());
    EXPECT_EQ(edit(0)->GetText(), "0") << "an empty edit shows 0";
    EXPECT_EQ(page_->RowEvent(1)["Delay"], "42") << "the rows hold what was saved";
    EXPECT_EQ(Saved(), (std::vector<std::string>{CompactJson(MacroEvent("down", 4, "0", 10)),
                                                 CompactJson(MacroEvent("up", 4, "42", 10)),
                                                 CompactJson(MacroEvent("down", 4, "65535", 10))}));
    page_->ChooseMacro(-1);
    EXPECT_EQ(page_->SaveMacro().status, MacroStatus::kUnchanged) << "no macro chosen";
}

TEST_F(MacroControlTest, AFailedSaveIsReportedAndKeepsTheFile) {
    ASSERT_NO_FATAL_FAILURE(ChooseMacroWithRows(1));
    const std::vector<std::string> before = Saved();
    page_->Store()->SetFileWriter([](const std::string& path, std::string_view) {
        return FileResult{false, path + ": disk full"};
    });
    page_->DeleteAllRows();
    const MacroResult result = page_->SaveMacro();
    EXPECT_EQ(result.status, MacroStatus::kFileError);
    EXPECT_EQ(result.textKey, macro_text::kFileError);
    EXPECT_NE(result.detail.find("disk full"), std::string::npos);
    EXPECT_EQ(Saved(), before);
}

}  // namespace
}  // namespace tirk::test
