// The keyboard's macro page end to end: buttons pressed on the page go
// through the main window and the page command router; recorded events are
// handed to the page as the input hook delivers them; the results are read
// from the macro files, the profile and what the virtual keyboard stored.
// The commands that open a file dialog, start the hook or open the action
// menu run through a router with stand-in services that record those calls.
#include <json/writer.h>

#include <QFile>
#include <QTest>
#include <QXmlStreamReader>
#include <set>

#include "support/macro_events.h"
#include "app/page_router.h"
#include "device/virtual/keyboard_firmware.h"
#include "keyboard_fixture.h"
#include "profile/macro_recorder.h"
#include "profile/panel/macro_control.h"

namespace tirk {
namespace {

using test::CompactJson;


using namespace page_test;

constexpr uint8_t kScanA = 0x1E;

input::KeyHookEvent Key(uint8_t scanCode, bool press, int64_t timeMs) {
    input::KeyHookEvent event;
    event.message = press ? input::kKeyDown : input::kKeyUp;
    event.record.scanCode = scanCode;
    event.record.timeMs = timeMs;
    return event;
}

/// The main window's services, except the file dialog, the input hook and
/// the pop-up menu, whose calls are recorded instead.
class StandInServices : public IPageServices {
public:
    explicit StandInServices(IPageServices& window) : m_window(window) {}
    CTelvorinFamilyDevice* CurrentDevice() override { return device; }
    void ShowMessage(const std::string& key, const std::string& detail) override {
        m_window.ShowMessage(key, detail);
    }
    bool Ask(const std::string& key) override { return m_window.Ask(key); }
    std::string ChooseFile(FileDialogKind kind, const std::string& filter,
                           const std::string& suffix) override {
        dialogs.push_back({kind, filter, suffix});
        return chosen;
    }
    void SetHook(int kind, bool enable) override { hooks.emplace_back(kind, enable); }
    bool HookDesktopWide() const override { return desktopWide; }
    void OpenPopupMenu(const std::string& layoutFile) override { menus.push_back(layoutFile); }

    struct Dialog {
        FileDialogKind kind;
        std::string filter, suffix;
    };
    CTelvorinFamilyDevice* device = nullptr;
    std::string chosen;
    bool desktopWide = true;
    std::vector<Dialog> dialogs;
    std::vector<std::pair<int, bool>> hooks;
    std::vector<std::string> menus;

private:
    IPageServices& m_window;
};

class MacroPageTest : public KeyboardPageFixture {
protected:
    void SetUp() override {
        KeyboardPageFixture::SetUp();
        ASSERT_TRUE(Press("macro_Op_tab"));
        page_ = Device().MacroPage();
        ASSERT_TRUE(page_);
        page_->SetClock([this] { return now_; });
        services_.emplace(*window_);
        services_->device = &Device();
        router_.AddRoutes(MacroRoutes());
    }
    /// A notification of the page's control `name` through the stand-in router.
    bool Route(const char* type, CControlUI* sender) {
        TNotifyUI msg{type, sender};
        return router_.Route(msg, *services_);
    }
    bool RouteClick(const char* name) { return Route(notify_type::kClick, Sub<CControlUI>(name)); }
    /// Macros with these events, listed on the page and in the chooser.
    void WriteMacros(const std::vector<std::vector<Json::Value>>& macros) {
        MacroStore store(DataFolder("keyboard"));
        for (size_t i = 0; i < macros.size(); ++i) {
            ASSERT_TRUE(store.AddMacro());
            ASSERT_TRUE(store.SaveEvents(int(i), macros[i]));
        }
        keyboard_->LoadNameLists();
        page_->LoadMacroList();
    }
    std::vector<std::string> Saved(int macro) {
        MacroStore store(DataFolder("keyboard"));
        std::vector<std::string> events;
        for (const Json::Value& event : store.LoadEvents(store.LoadList().at(size_t(macro)).guid))
            events.push_back(CompactJson(event));
        return events;
    }
    int ChooserCount() {
        auto* chooser = Sub<CComboUI>("keyset_macro_combo");
        return chooser ? chooser->GetCount() : -1;
    }
    /// The code the keyboard's key table holds for key position `position`.
    Bytes CodeOnKeyboard(int position) {
        Bytes table;
        WithFirmware(
            [&](vbus::KeyboardFirmware& f) { table = f.Memory(vbus::MemoryRegion::kKeyTable); });
        const size_t at = 3 * size_t(keyboard_->Protocol().Tables().maps.key[position]);
        return at + 3 <= table.size() ? Bytes(table.begin() + at, table.begin() + at + 3) : Bytes{};
    }
    Bytes MacroBlock() {
        Bytes block;
        WithFirmware(
            [&](vbus::KeyboardFirmware& f) { block = f.Memory(vbus::MemoryRegion::kMacros); });
        return block;
    }
    void BindToMacro(int position, int macro) {
        ASSERT_TRUE(ChooseKey(position));
        ChooseAssignment(kCategoryMacro, "keyset_macro_combo", macro);
    }

    int64_t now_ = 10000;
    CMacroControlUI* page_ = nullptr;
    std::optional<StandInServices> services_;
    CPageRouter router_;
};

// Adding asks first; recording the A key through the page's own buttons
// writes the macro file with the key's press, its time and its release; the
// key-binding buttons then show changes to send.
TEST_F(MacroPageTest, ARecordedKeyReachesTheMacroFile) {
    ASSERT_TRUE(Press("macro_btn_name_add"));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{Text("message_text_28")});
    EXPECT_EQ(page_->MacroNames(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(page_->SelectedMacro(), 0);
    EXPECT_EQ(keyboard_->MacroNames(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(ChooserCount(), 1) << "the key-binding chooser lists the new macro";

    ASSERT_TRUE(Press("macro_btn_starredio"));
    ASSERT_TRUE(page_->IsRecording());
    page_->OnHookKey(macro_kind::kAppend, Key(kScanA, true, 10050));
    page_->OnHookKey(macro_kind::kAppend, Key(kScanA, true, 10080));  // auto-repeat
    page_->OnHookKey(macro_kind::kAppend, Key(kScanA, false, 10170));
    ASSERT_TRUE(Press("macro_btn_stopredio"));
    EXPECT_FALSE(page_->IsRecording());
    EXPECT_EQ(Saved(0),
              (std::vector<std::string>{R"({"Action":"down","Button":4,"Delay":"120","Type":10})",
                                        R"({"Action":"up","Button":4,"Delay":"0","Type":10})"}));
    EXPECT_TRUE(Sub<CButtonUI>("key_butt_keysave")->IsEnabled()) << "changes to send";

    // A name only differing in case is taken; the macro keeps its name.
    ASSERT_TRUE(Type("macro_edit_macroname", "MACRO_1"));
    ASSERT_TRUE(Press("macro_btn_name_edit"));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{Text("message_text_5")});
    EXPECT_EQ(MacroStore(DataFolder("keyboard")).ListNames(), std::vector<std::string>{"macro_1"});
    ASSERT_TRUE(Type("macro_edit_macroname", "Reload"));
    ASSERT_TRUE(Press("macro_btn_name_edit"));
    EXPECT_EQ(keyboard_->MacroNames(), std::vector<std::string>{"Reload"});
    EXPECT_EQ(Sub<CComboUI>("keyset_macro_combo")->GetItemText(0), "Reload");
}

// The row tools change the file at once and mark the bindings pending; the
// delay edits are saved when left.
TEST_F(MacroPageTest, RowToolsAndDelayEditsSaveTheMacro) {
    Json::Value down;
    down["Action"] = "down";
    down["Button"] = 1;
    down["Delay"] = "5";
    down["Type"] = 1;
    Json::Value up = down;
    up["Action"] = "up";
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{down, up}}));
    ASSERT_TRUE(Sub<CListUI>("macro_name_list")->SelectItem(0));  // the user's choice
    ASSERT_EQ(page_->RowCount(), 2);
    page_->ChooseRow(1);
    ASSERT_TRUE(Press("macro_btn_uptop"));
    EXPECT_EQ(Saved(0), (std::vector<std::string>{CompactJson(up), CompactJson(down)}));
    EXPECT_TRUE(Sub<CButtonUI>("key_butt_keysave")->IsEnabled());

    ASSERT_TRUE(Type("mouse_x_right_edit", "40"));
    ASSERT_TRUE(Press("macro_inset_moverightkey_btn"));
    EXPECT_EQ(Saved(0).at(1), R"({"Action":"up","Button":40,"Delay":"50","Type":4})");

    auto* row = dynamic_cast<CContainerUI*>(Sub<CListUI>("macro_action_list")->GetItemAt(0));
    ASSERT_TRUE(row);
    auto* delay = dynamic_cast<CEditUI*>(row->FindSubControl(CMacroControlUI::kDelayEditName));
    ASSERT_TRUE(delay);
    delay->SetText("777");
    delay->SendNotify(notify_type::kKillFocus);
    EXPECT_EQ(Saved(0).at(0), R"({"Action":"up","Button":1,"Delay":"777","Type":1})");

    ASSERT_TRUE(Press("macro_btn_deleteall"));
    EXPECT_TRUE(Saved(0).empty());
    page_->InsertMenuButton("left_click");  // not saved: cancel shows the file again
    ASSERT_TRUE(Press("macro_btn_cancel"));
    EXPECT_EQ(page_->RowCount(), 0);
}

// Deleting a macro a key is bound to asks twice, renumbers the bindings, and
// sends the key table and the macros again: the key of the deleted macro
// gets its own function back, the key of the later macro keeps its macro.
TEST_F(MacroPageTest, DeletingABoundMacroRenumbersTheBindingsOnTheKeyboard) {
    Json::Value stroke;
    stroke["Action"] = "down";
    stroke["Button"] = 4;
    stroke["Delay"] = "10";
    stroke["Type"] = 10;
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{stroke}, {stroke, stroke}}));
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_TRUE(AllSent());
    const int first = 65, second = 66;  // S bound to macro 0, D to macro 1
    ASSERT_NO_FATAL_FAILURE(BindToMacro(first, 0));
    ASSERT_NO_FATAL_FAILURE(BindToMacro(second, 1));
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_TRUE(AllSent());
    ASSERT_EQ(CodeOnKeyboard(first)[0] & 0xFE, 0x70);
    ASSERT_EQ(CodeOnKeyboard(second)[0] & 0xFE, 0x70);
    ASSERT_EQ(MacroBlock().at(4), 2) << "two macros on the keyboard";

    ASSERT_TRUE(Press("macro_Op_tab"));
    ASSERT_TRUE(Sub<CListUI>("macro_name_list")->SelectItem(0));
    ASSERT_TRUE(Press("macro_btn_name_sub"));
    EXPECT_EQ(messages_->Take(),
              (std::vector<std::string>{Text("message_text_4"), Text("message_text_2")}));
    ASSERT_TRUE(AllSent());

    EXPECT_EQ(page_->MacroNames(), std::vector<std::string>{"macro_2"});
    EXPECT_EQ(page_->SelectedMacro(), 0) << "the first macro left is shown";
    EXPECT_EQ(page_->RowCount(), 2);
    EXPECT_EQ(keyboard_->MacroNames(), std::vector<std::string>{"macro_2"});
    EXPECT_EQ(ChooserCount(), 1);
    EXPECT_EQ(CurrentCode(first), Device().Profile().KeyList()[first].defaultHalf.code);
    EXPECT_EQ(CurrentCode(second).p1, 0) << "macro 1 is macro 0 now";
    const AssignmentCode own = CurrentCode(first);
    EXPECT_EQ(CodeOnKeyboard(first), (Bytes{own.kind, own.p1, own.p2}));
    EXPECT_EQ(CodeOnKeyboard(second)[0] & 0xFE, 0x70);
    EXPECT_EQ(MacroBlock().at(4), 1) << "one macro left on the keyboard";
    EXPECT_EQ(KeyOnDisk(first).first, KeyOnDisk(first).second) << "the profile file too";
    EXPECT_FALSE(Sub<CButtonUI>("key_butt_prosave")->IsEnabled()) << "nothing left to send";
}

// Cancelling the second question changes nothing anywhere.
TEST_F(MacroPageTest, ABoundMacroStaysWhenTheSecondQuestionIsCancelled) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_NO_FATAL_FAILURE(BindToMacro(65, 0));
    ASSERT_TRUE(Press("macro_Op_tab"));
    page_->ChooseMacro(0);
    const QByteArray profile = ProfileBytes();
    // This test answers the questions itself: OK to the first, Cancel to the second.
    messages_.reset();
    std::vector<std::string> asked;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        CMsgWnd* message = CMsgWnd::GetShown();
        CControlUI* text =
            message ? message->GetPaintManager().FindControl("MessageText") : nullptr;
        if (!text) return;
        const std::string shown = TrimEnd(text->GetText());
        if (asked.empty() || asked.back() != shown) asked.push_back(shown);
        message->Close(shown == Text("message_text_2") ? 0 : 1);
    });
    answer.start(5);
    ASSERT_TRUE(Press("macro_btn_name_sub"));
    answer.stop();
    messages_.emplace();
    EXPECT_EQ(asked, (std::vector<std::string>{Text("message_text_4"), Text("message_text_2")}));
    EXPECT_EQ(MacroStore(DataFolder("keyboard")).ListNames(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(page_->MacroNames(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(CurrentCode(65).kind & 0xFE, 0x70);
    EXPECT_EQ(ProfileBytes(), profile);
}

// Recording starts the hook of its kind with its mode; stopping ends it.
TEST_F(MacroPageTest, RecordingStartsAndEndsTheHookOfItsKind) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    page_->InsertMenuButton("left_click");
    page_->ChooseRow(0);

    services_->desktopWide = false;
    ASSERT_TRUE(RouteClick("macro_btn_starredio"));
    EXPECT_EQ(page_->RecordingKind(), macro_kind::kAppend);
    EXPECT_TRUE(Sub<CControlUI>("macro_capture_scope_text")->IsVisible());
    ASSERT_TRUE(RouteClick("macro_btn_stopredio"));
    struct Case {
        const char* item;
        int kind;
        MacroDelayMode mode;
    } cases[] = {
        {"redio_previous_record_time", 8, MacroDelayMode::kRecordTime},
        {"redio_previous_constant_time", 8, MacroDelayMode::kConstantTime},
        {"redio_previous_ignore_time", 8, MacroDelayMode::kIgnoreTime},
        {"redio_later_record_time", 16, MacroDelayMode::kRecordTime},
        {"redio_later_constant_time", 16, MacroDelayMode::kConstantTime},
        {"redio_later_ignore_time", 16, MacroDelayMode::kIgnoreTime},
        {"macro_action_edit", 32, MacroDelayMode::kIgnoreTime},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        services_->hooks.clear();
        ASSERT_TRUE(RouteMacroMenuItem(c.item, *services_));
        EXPECT_EQ(page_->RecordingKind(), c.kind);
        // Each recording measures its own way: a key pressed 30 ms after the start.
        now_ += 30;
        page_->OnHookKey(c.kind, Key(0x30, true, 0));
        page_->OnHookKey(c.kind, Key(0x30, false, 0));
        ASSERT_TRUE(RouteClick("macro_btn_stopredio"));
        EXPECT_EQ(services_->hooks,
                  (std::vector<std::pair<int, bool>>{{c.kind, true}, {4, false}}));
    }
    EXPECT_TRUE(messages_->Take().empty());

    // The constant delay below 2 is told before the hook starts.
    Sub<CEditUI>("macro_fixed_time_edit")->SetText("1");
    services_->hooks.clear();
    ASSERT_TRUE(RouteMacroMenuItem("redio_later_constant_time", *services_));
    EXPECT_EQ(messages_->WaitAndTake(), std::vector<std::string>{Text("message_text_30")});
    EXPECT_EQ(page_->FixedDelay(), 2);
    ASSERT_TRUE(RouteClick("macro_btn_stopredio"));
}

// The action menu opens from a row; its items insert mouse buttons.
TEST_F(MacroPageTest, TheActionMenuOpensFromARowAndInsertsButtons) {
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{}}));
    page_->ChooseMacro(0);
    ASSERT_TRUE(RouteMacroMenuItem("middle_click", *services_));
    EXPECT_EQ(Saved(0),
              (std::vector<std::string>{R"({"Action":"down","Button":4,"Delay":"50","Type":1})",
                                        R"({"Action":"up","Button":4,"Delay":"50","Type":1})"}));
    ASSERT_TRUE(Route(notify_type::kMenu, Sub<CListUI>("macro_action_list")->GetItemAt(1)));
    EXPECT_EQ(services_->menus, std::vector<std::string>{"XML/Menus/macro_action_menu.xml"});
    EXPECT_FALSE(RouteMacroMenuItem("exit", *services_)) << "not a macro page item";
}

// Every item of the menu file is one the router acts on, and the file has
// them all.
TEST_F(MacroPageTest, TheMenuFileHoldsEveryItemOfThePage) {
    QFile file(QString(TIRK_RESOURCE_DIR) + "/skin/XML/Menus/macro_action_menu.xml");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::set<std::string> leaves;
    std::string open;  // an element not yet known to have children
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("MenuElement")) {
            open = xml.attributes().value("name").toString().toStdString();
        } else if (token == QXmlStreamReader::StartElement) {
            open.clear();
        } else if (token == QXmlStreamReader::EndElement &&
                   xml.name() == QLatin1String("MenuElement")) {
            if (!open.empty()) leaves.insert(open);
            open.clear();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const std::set<std::string> items = {"redio_previous_record_time",
                                         "redio_previous_constant_time",
                                         "redio_previous_ignore_time",
                                         "redio_later_record_time",
                                         "redio_later_constant_time",
                                         "redio_later_ignore_time",
                                         "macro_action_edit",
                                         "left_down",
                                         "left_up",
                                         "left_click",
                                         "middle_down",
                                         "middle_up",
                                         "middle_click",
                                         "right_down",
                                         "right_up",
                                         "right_click",
                                         "forward_down",
                                         "forward_up",
                                         "forward_click",
                                         "back_down",
                                         "back_up",
                                         "back_click"};
    EXPECT_EQ(leaves, items);
    services_->device = nullptr;  // only whether the router takes the item
    for (const std::string& item : items) EXPECT_TRUE(RouteMacroMenuItem(item, *services_)) << item;
}

// Export writes the chosen macro's file where the user says; import adds a
// file under its name and lists it for key bindings; a cancelled dialog does
// nothing.
TEST_F(MacroPageTest, ExportAndImportGoThroughTheFileDialog) {
    Json::Value stroke;
    stroke["Action"] = "up";
    stroke["Button"] = 0x10;
    stroke["Delay"] = "3";
    stroke["Type"] = 1;
    ASSERT_NO_FATAL_FAILURE(WriteMacros({{stroke}}));
    page_->ChooseMacro(0);
    const std::string exported = hid_root_.path().toStdString() + "/Combo.mac";
    services_->chosen = exported;
    ASSERT_TRUE(RouteClick("macro_btn_export"));
    ASSERT_EQ(services_->dialogs.size(), 1u);
    EXPECT_EQ(services_->dialogs[0].kind, FileDialogKind::kSave);
    EXPECT_EQ(services_->dialogs[0].filter, "Macro Files(*.mac)");
    EXPECT_EQ(services_->dialogs[0].suffix, "mac");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(exported)));

    ASSERT_TRUE(RouteClick("macro_btn_import"));
    EXPECT_EQ(services_->dialogs.at(1).kind, FileDialogKind::kOpen);
    EXPECT_EQ(page_->MacroNames(), (std::vector<std::string>{"macro_1", "Combo"}));
    EXPECT_EQ(page_->SelectedMacro(), 1);
    EXPECT_EQ(Saved(1), Saved(0));
    EXPECT_EQ(keyboard_->MacroNames(), (std::vector<std::string>{"macro_1", "Combo"}));
    EXPECT_EQ(ChooserCount(), 2);

    services_->chosen.clear();
    ASSERT_TRUE(RouteClick("macro_btn_import"));
    EXPECT_EQ(page_->MacroNames().size(), 2u);

    // A file that is no macro is refused with its name and the problem.
    const std::string broken = hid_root_.path().toStdString() + "/Broken.mac";
    WriteBytes(broken, "{ \"Events\": 3 }");
    services_->chosen = broken;
    ASSERT_TRUE(RouteClick("macro_btn_import"));
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Broken.mac"), std::string::npos) << told[0];
    EXPECT_EQ(page_->MacroNames().size(), 2u);
}

}  // namespace
}  // namespace tirk
