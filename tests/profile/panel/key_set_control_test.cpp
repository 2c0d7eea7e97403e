// The key-assignment panel over its real layout and the program's skin:
// the codes its pages build, what it shows for a code, the categories a
// device is offered, key capture (also of keys pressed in its key edit) and
// the panel's half of the main window's commands.
#include "profile/panel/key_set_control.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QShortcut>
#include <cstdlib>
#include <functional>

#include "profile/key_tables.h"
#include "profile_panel_fixture.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/ui_test_support.h"

namespace tirk::test {
namespace {

constexpr char kPanelLayout[] = "XML/CustomControlXML/KeySetControl.xml";
constexpr int kMouseType = 2;

AssignmentCode Code(uint8_t kind, uint8_t p1, uint8_t p2) {
    return {kind, p1, p2};
}

std::string Hex(const AssignmentCode& code) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", code.kind, code.p1, code.p2);
    return text;
}

KeyListEntry Entry(const AssignmentCode& current, const AssignmentCode& defaultCode) {
    KeyListEntry entry;
    entry.current.SetKeyIndex(7);
    entry.current.code = current;
    entry.defaultHalf.SetKeyIndex(7);
    entry.defaultHalf.code = defaultCode;
    return entry;
}

// A key whose factory function is the left button.
const AssignmentCode kDefault = Code(0x10, 0x01, 0x00);

// Scan codes of the keys the capture cases press.
struct Key {
    uint8_t scanCode;
    uint8_t extended;
};
constexpr Key kA{0x1E, 0}, kLeftCtrl{0x1D, 0}, kRightCtrl{0x1D, 1}, kLeftShift{0x2A, 0},
    kRightShift{0x36, 1}, kLeftAlt{0x38, 0}, kRightAlt{0x38, 1}, kLeftWin{0x5B, 1},
    kRightWin{0x5C, 1}, kUnknown{0xFF, 1};

// A window file in `folder` that holds only the panel.
std::string WritePanelWindow(const TempFolder& folder) {
    const std::string window = folder.path() + "/window.xml";
    WriteText(window, std::string(R"(<Window size="560,220"><VerticalLayout><Include source=")") +
                          kPanelLayout + R"("/></VerticalLayout></Window>)");
    return window;
}

std::unique_ptr<CKeySetControlUI> BuildPanel() {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(kPanelLayout));
    EXPECT_NE(root, nullptr) << builder.GetError();
    auto* panel = dynamic_cast<CKeySetControlUI*>(root.get());
    EXPECT_NE(panel, nullptr) << "the layout's root is the panel";
    if (panel) root.release();
    return std::unique_ptr<CKeySetControlUI>(panel);
}

class KeySetControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        UseProgramSkin();
        CControlFactory::GetInstance()->RegistControl("KeySetControl",
                                                      [] { return new CKeySetControlUI; });
    }
    void SetUp() override {
        panel_ = BuildPanel();
        ASSERT_NE(panel_, nullptr);
        panel_->SetDeviceTypeCode(kMouseType);
        panel_->SetMacroNames({"m0", "m1", "m2"});
        panel_->OpenForKey(Entry(kDefault, kDefault));
    }

public:
    template <typename T>
    T* Sub(const std::string& name) const {
        auto* control = dynamic_cast<T*>(panel_->FindSubControl(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    CComboUI* Combo(const std::string& name) const { return Sub<CComboUI>(name); }
    CEditUI* Edit(const std::string& name) const { return Sub<CEditUI>(name); }

    // What the user does; the main window hands the panel its notifications.
    void Choose(int category) {
        const int item = panel_->FindCategoryItem(category);
        ASSERT_GE(item, 0) << "category " << category;
        Combo("keyset_function_combo")->SelectItem(item);
        EXPECT_TRUE(panel_->OnControlNotify("itemselect", "keyset_function_combo"));
    }
    void Pick(const std::string& combo, int item) {
        ASSERT_TRUE(Combo(combo)->SelectItem(item)) << combo << " item " << item;
        EXPECT_TRUE(panel_->OnControlNotify("itemselect", combo));
    }
    void Type(const std::string& edit, const std::string& text) { Edit(edit)->SetText(text); }
    void Press(Key key) { panel_->CaptureKey(key.scanCode, key.extended); }

    int ShownCategory() const {
        return panel_->CategoryOfItem(Combo("keyset_function_combo")->GetCurSel());
    }
    AssignmentCode Build() { return panel_->BuildAssignment().current.code; }

    std::unique_ptr<CKeySetControlUI> panel_;
};

// ---- the layout --------------------------------------------------------------------------

TEST_F(KeySetControlTest, LayoutHasEveryNamedControl) {
    EXPECT_EQ(panel_->GetClass(), "KeySetControl");
    for (const char* combo :
         {"keyset_function_combo", "keyset_mousekey_combo", "keyset_mouseswing_combo",
          "keyset_mousewheel_combo", "keyset_mousedpi_combo", "keyset_media_combo",
          "keyset_system_combo", "keyset_macro_combo", "keyset_macro_over_combo",
          "keyset_gunkey_combo", "keyset_combokey_combo"})
        Sub<CComboUI>(combo);
    for (const char* edit : {"keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
                             "keyset_mouseswing_speed_edit", "keyset_mousewheel_num_edit",
                             "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
                             "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",
                             "keyset_keyboard_text_edit", "keyset_macro_cycle_edit"})
        Sub<CEditUI>(edit);
    for (const char* button :
         {"key_butt_keydefalut", "key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
        Sub<CButtonUI>(button);
    for (const char* container : {"keyset_layout", "keyset_macro_cycle_layout"})
        Sub<CContainerUI>(container);
    EXPECT_EQ(Sub<CTabLayoutUI>("function_switch_tablayout")->GetCount(), 12)
        << "one page per category";
    std::string group;
    for (int i = 0; i < CKeySetControlUI::kModifierOptions; ++i) {
        auto* option = Sub<COptionUI>("key_ComBox_check_" + std::to_string(i));
        if (i == 0) group = option->GetGroup();
        EXPECT_EQ(option->GetGroup(), group);
    }
    EXPECT_FALSE(group.empty()) << "the modifier options form one group";
}

TEST_F(KeySetControlTest, EditingAreaIsHiddenUntilAKeyIsOpened) {
    auto panel = BuildPanel();
    ASSERT_NE(panel, nullptr);
    panel->SetDeviceTypeCode(kMouseType);
    EXPECT_FALSE(panel->IsEditingAreaShown());
    panel->OpenForKey(Entry(Code(0x13, 0x01, 0x00), kDefault));
    EXPECT_TRUE(panel->IsEditingAreaShown());
}

TEST_F(KeySetControlTest, FunctionItemsCarryTheirCategory) {
    auto* combo = Combo("keyset_function_combo");
    ASSERT_EQ(combo->GetCount(), 12);
    for (int category = 0; category < 12; ++category) {
        EXPECT_EQ(panel_->FindCategoryItem(category), category);
        EXPECT_EQ(panel_->CategoryOfItem(category), category);
        EXPECT_EQ(combo->GetItemAt(category)->GetTextKey(),
                  "keyset_category_" + std::to_string(category));
    }
    EXPECT_EQ(panel_->FindCategoryItem(12), -1);
    EXPECT_EQ(panel_->FindCategoryItem(-1), -1);
    EXPECT_EQ(panel_->CategoryOfItem(12), -1);
    EXPECT_EQ(panel_->CategoryOfItem(-1), -1);
}

TEST_F(KeySetControlTest, ListsAreTheFunctionListsWithKeyedTexts) {
    const std::pair<const char*, std::span<const FunctionRow>> lists[] = {
        {"keyset_mousekey_combo", MouseButtonList()}, {"keyset_mousedpi_combo", DpiFunctionList()},
        {"keyset_media_combo", MediaList()},          {"keyset_system_combo", SystemList()},
        {"keyset_gunkey_combo", GunKeyList()},        {"keyset_combokey_combo", ShortcutList()}};
    for (const auto& [name, list] : lists) {
        auto* combo = Combo(name);
        ASSERT_EQ(combo->GetCount(), int(list.size())) << name;
        for (int i = 0; i < combo->GetCount(); ++i)
            EXPECT_EQ(combo->GetItemAt(i)->GetTextKey(), list[size_t(i)].nameKey)
                << name << " " << i;
    }
}

TEST_F(KeySetControlTest, EveryTextOfTheLayoutIsAKeyThatEveryLanguageHas) {
    QFile layout(QString::fromStdString(std::string(TIRK_RESOURCE_DIR) + "/skin/" + kPanelLayout));
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(layout.readAll());
    EXPECT_FALSE(text.contains(QRegularExpression(R"((text|tooltip)="[^%])")))
        << "plain texts in the layout";
    QStringList keys;
    for (const auto& match : QRegularExpression(R"(%\[(\w+)\])").globalMatch(text))
        keys << match.captured(1);
    // The lists' names come from the key tables.
    for (auto list : {MouseButtonList(), DpiFunctionList(), MediaList(), SystemList(), GunKeyList(),
                      ShortcutList()})
        for (const FunctionRow& row : list) keys << row.nameKey;
    keys << "keyset_hint_unavailable";
    ASSERT_GE(keys.size(), 80);
    for (const char* language : {"en", "cn", "tw", "de", "es", "ru"}) {
        const std::string file = std::string(TIRK_RESOURCE_DIR) + "/skin/lan_" + language + ".xml";
        const std::string content = ReadText(file);
        for (const QString& key : keys)
            EXPECT_NE(content.find("key=\"" + key.toStdString() + "\""), std::string::npos)
                << language << " lacks " << key.toStdString();
    }
}

// ---- building codes ------------------------------------------------------------------------

struct BuildCase {
    const char* what;
    int category;
    std::function<void(KeySetControlTest&)> fill;
    AssignmentCode expected;
};

class KeySetBuildTest : public KeySetControlTest {
public:
    // Every kind the panel builds; each case starts from a freshly opened key.
    static std::vector<BuildCase> Cases() {
        std::vector<BuildCase> cases;
        auto add = [&](const char* what, int category, std::function<void(KeySetControlTest&)> fill,
                       AssignmentCode expected) {
            cases.push_back({what, category, std::move(fill), expected});
        };
        auto pick = [](const char* combo, int item) {
            return [=](KeySetControlTest& t) { t.Pick(combo, item); };
        };
        const AssignmentCode mouseRows[] = {Code(0x10, 0x01, 0), Code(0x10, 0x04, 0),
                                            Code(0x10, 0x02, 0), Code(0x10, 0x10, 0),
                                            Code(0x10, 0x08, 0)};
        for (int i = 0; i < 5; ++i)
            add("mouse button row", 1, pick("keyset_mousekey_combo", i), mouseRows[i]);
        auto repeat = [](const char* prefix, int direction, const char* count, const char* delay,
                         const char* speed) {
            return [=](KeySetControlTest& t) {
                const std::string p = prefix;
                t.Pick(p + "_combo", direction);
                t.Type(p + "_num_edit", count);
                t.Type(p + "_delay_edit", delay);
                t.Type(p + "_speed_edit", speed);
            };
        };
        add("tilt left 5", 2, repeat("keyset_mouseswing", 0, "5", "3", "7"),
            Code(0x11, 0x37, 0x05));
        add("tilt right 5", 2, repeat("keyset_mouseswing", 1, "5", "3", "7"),
            Code(0x11, 0x37, 0x85));
        add("tilt right 127, delay and speed 15", 2,
            repeat("keyset_mouseswing", 1, "127", "15", "15"), Code(0x11, 0xFF, 0xFF));
        add("wheel up 3", 3, repeat("keyset_mousewheel", 0, "3", "1", "2"), Code(0x12, 0x12, 0x03));
        add("wheel down 3", 3, repeat("keyset_mousewheel", 1, "3", "1", "2"),
            Code(0x12, 0x12, 0xFD));
        add("wheel down 128", 3, repeat("keyset_mousewheel", 1, "128", "0", "0"),
            Code(0x12, 0x00, 0x80));
        for (int i = 0; i < 3; ++i)
            add("DPI row", 4, pick("keyset_mousedpi_combo", i), Code(0x13, uint8_t(i + 1), 0));
        auto fire = [](const char* interval, const char* count) {
            return [=](KeySetControlTest& t) {
                t.Type("keyset_mousefire_interval_edit", interval);
                t.Type("keyset_mousefire_num_edit", count);
            };
        };
        add("fire 100 ms, 0 times", 5, fire("100", "0"), Code(0x14, 100, 0));
        add("fire interval 1 becomes 2", 5, fire("1", "4"), Code(0x14, 2, 4));
        add("fire interval empty becomes 2", 5, fire("", "255"), Code(0x14, 2, 255));
        add("fire interval 257 is the byte 1, so 2", 5, fire("257", "3"), Code(0x14, 2, 3));
        add("fire interval 300 is the byte 44", 5, fire("300", "3"), Code(0x14, 44, 3));
        // Key capture: the option of a left or right modifier, then the key.
        auto keys = [](std::vector<Key> presses) {
            return [=](KeySetControlTest& t) {
                for (Key key : presses) t.Press(key);
            };
        };
        add("key alone", 6, keys({kA}), Code(0x20, 0x00, 0x04));
        add("left Ctrl + key", 6, keys({kLeftCtrl, kA}), Code(0x20, 0x01, 0x04));
        add("right Ctrl + key", 6, keys({kRightCtrl, kA}), Code(0x20, 0x01, 0x04));
        add("left Shift + key", 6, keys({kLeftShift, kA}), Code(0x20, 0x02, 0x04));
        add("right Shift + key", 6, keys({kRightShift, kA}), Code(0x20, 0x02, 0x04));
        add("left Alt + key", 6, keys({kLeftAlt, kA}), Code(0x20, 0x04, 0x04));
        add("right Alt + key", 6, keys({kRightAlt, kA}), Code(0x20, 0x04, 0x04));
        add("left Win + key", 6, keys({kLeftWin, kA}), Code(0x20, 0x08, 0x04));
        add("right Win + key", 6, keys({kRightWin, kA}), Code(0x20, 0x08, 0x04));
        add("right Ctrl alone", 6, keys({kRightCtrl}), Code(0x20, 0x01, 0x00));
        add("left Win alone", 6, keys({kLeftWin}), Code(0x20, 0x08, 0x00));
        add("key, then a modifier alone", 6, keys({kA, kLeftShift}), Code(0x20, 0x02, 0x00));
        add(
            "option chosen, then key", 6,
            [](KeySetControlTest& t) {
                t.panel_->SelectModifierCheck(3);
                t.Press(kA);
            },
            Code(0x20, 0x04, 0x04));
        // Nothing pressed or picked: the key keeps its code rather than
        // becoming a key that sends nothing.
        add(
            "nothing pressed", 6, [](KeySetControlTest&) {}, Code(0x13, 0x03, 0x00));
        add("a modifier picked alone", 6, [](KeySetControlTest& t) { t.panel_->SelectModifierCheck(1); },
            Code(0x20, 0x01, 0x00));
        add("media first row", 7, pick("keyset_media_combo", 0), Code(0x30, 0x83, 0x01));
        add("media mute", 7, pick("keyset_media_combo", 7), Code(0x30, 0xE2, 0x00));
        add("media last row", 7, pick("keyset_media_combo", 17), Code(0x30, 0x8A, 0x01));
        for (int i = 0; i < 3; ++i)
            add("system row", 8, pick("keyset_system_combo", i), Code(0x40, uint8_t(1 << i), 0));
        auto macro = [](int item, int mode, const char* repeat) {
            return [=](KeySetControlTest& t) {
                t.Pick("keyset_macro_combo", item);
                t.Type("keyset_macro_cycle_edit", repeat);
                t.Pick("keyset_macro_over_combo", mode);
            };
        };
        for (int mode = 0; mode < 4; ++mode)
            add("macro run mode", 9, macro(1, mode, "9"), Code(0x70, 1, uint8_t(mode)));
        add("macro repeated 9 times", 9, macro(2, 4, "9"), Code(0x71, 2, 9));
        for (int i = 0; i < 4; ++i)
            add("gun key", 10, pick("keyset_gunkey_combo", i), Code(0x72, uint8_t(i), 0));
        add("shortcut open", 11, pick("keyset_combokey_combo", 0), Code(0x20, 0x10, 0x12));
        add("shortcut magnify", 11, pick("keyset_combokey_combo", 10), Code(0x20, 0x10, 0x2E));
        add(
            "default", 0, [](KeySetControlTest&) {}, kDefault);
        return cases;
    }
};

TEST_F(KeySetBuildTest, EachPageBuildsItsCode) {
    const AssignmentCode start = Code(0x13, 0x03, 0x00);
    for (const BuildCase& c : Cases()) {
        panel_->OpenForKey(Entry(start, kDefault));
        Choose(c.category);
        c.fill(*this);
        const KeyListEntry built = panel_->BuildAssignment();
        EXPECT_EQ(Hex(built.current.code), Hex(c.expected)) << c.what;
        EXPECT_EQ(built.current.KeyIndex(), 7) << c.what;
        EXPECT_EQ(built.defaultHalf.code, kDefault) << c.what;
        EXPECT_EQ(panel_->GetRecord(), built) << c.what;
    }
}

TEST_F(KeySetControlTest, FireIntervalBelowTwoIsShownAsTwo) {
    Choose(5);
    Type("keyset_mousefire_interval_edit", "1");
    Build();
    EXPECT_EQ(Edit("keyset_mousefire_interval_edit")->GetText(), "2");
}

TEST_F(KeySetControlTest, CapturedModifierIsStoredWithItsOwnBitUntilSaved) {
    Choose(6);
    ASSERT_TRUE(panel_->CaptureKey(kRightCtrl.scanCode, kRightCtrl.extended));
    EXPECT_EQ(panel_->GetModifierCheck(), 1);
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetText(), "");
    EXPECT_EQ(Hex(panel_->GetRecord().current.code), Hex(Code(0x20, 0x10, 0x00)));
    EXPECT_EQ(Hex(Build()), Hex(Code(0x20, 0x01, 0x00))) << "saving takes the option's left bit";

    ASSERT_TRUE(panel_->CaptureKey(kA.scanCode, kA.extended));
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetText(), "A") << "the key's language text";
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetTextKey(), "keyboard_key_A");
    EXPECT_EQ(Hex(panel_->GetRecord().current.code), Hex(Code(0x20, 0x01, 0x04)));
}

TEST_F(KeySetControlTest, UnknownCapturedKeyChangesNothing) {
    Choose(6);
    Press(kLeftAlt);
    Press(kA);
    const KeyListEntry before = panel_->GetRecord();
    EXPECT_FALSE(panel_->CaptureKey(kUnknown.scanCode, kUnknown.extended));
    EXPECT_EQ(panel_->GetRecord(), before);
    EXPECT_EQ(panel_->GetModifierCheck(), 3);
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetText(), "A");
}

TEST_F(KeySetControlTest, ChoosingTheKeyboardPageStartsEmpty) {
    Choose(6);
    Press(kLeftShift);
    Press(kA);
    Choose(1);
    Choose(6);
    EXPECT_EQ(Sub<CTabLayoutUI>("function_switch_tablayout")->GetCurSel(), 6);
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetText(), "");
    EXPECT_EQ(panel_->GetModifierCheck(), -1);
    const AssignmentCode before = panel_->GetRecord().current.code;
    EXPECT_EQ(Hex(Build()), Hex(before)) << "nothing pressed yet: the code stays";
}

TEST_F(KeySetControlTest, MacroWithoutItemsLeavesTheCode) {
    const AssignmentCode current = Code(0x30, 0xCD, 0x00);
    panel_->SetMacroNames({});
    panel_->OpenForKey(Entry(current, kDefault));
    Choose(9);
    Pick("keyset_macro_over_combo", 4);
    EXPECT_EQ(Hex(Build()), Hex(current));
    // A list row that is not selected leaves the code as well.
    Choose(7);
    Combo("keyset_media_combo")->SelectItem(-1);
    EXPECT_EQ(Hex(Build()), Hex(current));
}

TEST_F(KeySetControlTest, MacroNamesFillTheMacroList) {
    auto* combo = Combo("keyset_macro_combo");
    combo->SelectItem(1);
    panel_->SetMacroNames({"fire", "reload"});
    EXPECT_EQ(combo->GetCount(), 2);
    EXPECT_EQ(combo->GetCurSel(), -1);
    panel_->AddMacroName("jump");
    ASSERT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetItemText(2), "jump");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(combo->GetItemAt(i)->GetFixedHeight(), CKeySetControlUI::kItemHeight);
}

// ---- showing codes -------------------------------------------------------------------------

TEST_F(KeySetControlTest, ShownCodesBuildTheSameCode) {
    const std::pair<AssignmentCode, int> cases[] = {
        {Code(0x10, 0x04, 0x00), 1}, {Code(0x11, 0x37, 0x85), 2},  {Code(0x11, 0x20, 0x05), 2},
        {Code(0x12, 0x12, 0xFD), 3}, {Code(0x12, 0xF0, 0x03), 3},  {Code(0x12, 0x00, 0x80), 3},
        {Code(0x13, 0x03, 0x00), 4}, {Code(0x14, 0x50, 0x02), 5},  {Code(0x20, 0x00, 0x04), 6},
        {Code(0x20, 0x01, 0x04), 6}, {Code(0x20, 0x02, 0x1E), 6},  {Code(0x20, 0x08, 0x00), 6},
        {Code(0x20, 0x04, 0x65), 6}, {Code(0x30, 0xCD, 0x00), 7},  {Code(0x30, 0x23, 0x02), 7},
        {Code(0x40, 0x04, 0x00), 8}, {Code(0x70, 0x02, 0x03), 9},  {Code(0x70, 0x00, 0x00), 9},
        {Code(0x71, 0x01, 0x09), 9}, {Code(0x72, 0x03, 0x00), 10}, {Code(0x20, 0x10, 0x1D), 11},
    };
    for (const auto& [code, category] : cases) {
        // Start from another page so that nothing is left from before.
        panel_->OpenForKey(Entry(Code(0x40, 0x01, 0x00), kDefault));
        panel_->OpenForKey(Entry(code, kDefault));
        EXPECT_TRUE(panel_->IsEditingAreaShown()) << Hex(code);
        EXPECT_EQ(ShownCategory(), category) << Hex(code);
        EXPECT_EQ(Sub<CTabLayoutUI>("function_switch_tablayout")->GetCurSel(), category)
            << Hex(code);
        EXPECT_EQ(Hex(Build()), Hex(code)) << "round trip";
    }
}

TEST_F(KeySetControlTest, ShowsWheelDownAsCountAndDirection) {
    panel_->OpenForKey(Entry(Code(0x12, 0x12, 0xFD), kDefault));
    EXPECT_EQ(Combo("keyset_mousewheel_combo")->GetCurSel(), 1);
    EXPECT_EQ(Edit("keyset_mousewheel_num_edit")->GetText(), "3");
    EXPECT_EQ(Edit("keyset_mousewheel_delay_edit")->GetText(), "1");
    EXPECT_EQ(Edit("keyset_mousewheel_speed_edit")->GetText(), "2");
    panel_->OpenForKey(Entry(Code(0x11, 0x37, 0x85), kDefault));
    EXPECT_EQ(Combo("keyset_mouseswing_combo")->GetCurSel(), 1);
    EXPECT_EQ(Edit("keyset_mouseswing_num_edit")->GetText(), "5");
}

TEST_F(KeySetControlTest, CodeEqualToTheDefaultShowsTheDefaultPage) {
    for (const AssignmentCode& code : {Code(0x13, 0x01, 0x00), Code(0x20, 0x01, 0x04),
                                       Code(0x70, 0x01, 0x00), Code(0x99, 1, 2)}) {
        panel_->OpenForKey(Entry(code, code));
        EXPECT_TRUE(panel_->IsEditingAreaShown()) << Hex(code);
        EXPECT_EQ(ShownCategory(), 0) << Hex(code);
        EXPECT_EQ(Sub<CTabLayoutUI>("function_switch_tablayout")->GetCurSel(), 0) << Hex(code);
    }
    panel_->OpenForKey(Entry(Code(0x00, 0, 0), kDefault));
    EXPECT_EQ(ShownCategory(), 0) << "disabled";
}

TEST_F(KeySetControlTest, DefaultAndCurrentAreShownOnRequest) {
    panel_->OpenForKey(Entry(Code(0x40, 0x02, 0x00), kDefault));
    panel_->ShowDefault();
    EXPECT_EQ(ShownCategory(), 0);
    EXPECT_EQ(Hex(Build()), Hex(kDefault)) << "the default page builds the default";
    panel_->SetCurrent(Entry(Code(0x72, 0x02, 0x00), kDefault).current);
    panel_->ShowCurrent();
    EXPECT_EQ(ShownCategory(), 10);
    EXPECT_EQ(Combo("keyset_gunkey_combo")->GetCurSel(), 2);
}

TEST_F(KeySetControlTest, UnmatchedKeyboardCodeIsShownEmptyAndCleared) {
    // No key has usage 0xF0: nothing to show, the record's code becomes 20 00 00.
    panel_->OpenForKey(Entry(Code(0x20, 0x00, 0xF0), kDefault));
    EXPECT_EQ(ShownCategory(), 6);
    EXPECT_EQ(panel_->GetModifierCheck(), -1);
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->GetText(), "");
    EXPECT_EQ(Hex(panel_->GetRecord().current.code), Hex(Code(0x20, 0, 0)));
}

TEST_F(KeySetControlTest, MacroToAMissingMacroSelectsNothing) {
    panel_->OpenForKey(Entry(Code(0x70, 0x05, 0x01), kDefault));
    EXPECT_EQ(ShownCategory(), 9);
    EXPECT_EQ(Combo("keyset_macro_combo")->GetCurSel(), -1);
    EXPECT_EQ(Combo("keyset_macro_over_combo")->GetCurSel(), -1);
    EXPECT_EQ(Hex(Build()), Hex(Code(0x70, 0x05, 0x01))) << "kept as it is";
    panel_->OpenForKey(Entry(Code(0x70, 0x03, 0x01), kDefault));
    EXPECT_EQ(Combo("keyset_macro_combo")->GetCurSel(), -1) << "3 macros: 0 to 2";
}

TEST_F(KeySetControlTest, RepeatCountIsShownOnlyForTheRepeatItem) {
    auto* layout = Sub<CControlUI>("keyset_macro_cycle_layout");
    Choose(9);
    for (int item = 0; item < 5; ++item) {
        Pick("keyset_macro_over_combo", item);
        EXPECT_EQ(layout->IsVisible(), item == CKeySetControlUI::kRepeatModeItem) << item;
    }
    const std::pair<AssignmentCode, bool> shown[] = {{Code(0x71, 0x01, 0x05), true},
                                                     {Code(0x70, 0x01, 0x02), false},
                                                     {Code(0x71, 0x07, 0x05), false}};
    for (const auto& [code, visible] : shown) {
        panel_->OpenForKey(Entry(code, kDefault));
        EXPECT_EQ(layout->IsVisible(), visible) << Hex(code);
        if (code.kind == 0x71) {
            EXPECT_EQ(Combo("keyset_macro_over_combo")->GetCurSel(), 4);
            EXPECT_EQ(Edit("keyset_macro_cycle_edit")->GetText(), "5");
        }
    }
}

// ---- devices ---------------------------------------------------------------------------

TEST_F(KeySetControlTest, KeyboardsAreNotOfferedDpiAndGunKeys) {
    panel_->SetDeviceTypeCode(CKeySetControlUI::kKeyboardTypeCode);
    EXPECT_EQ(Combo("keyset_function_combo")->GetCount(), 10);
    for (int category = 0; category < 12; ++category) {
        const bool offered = category != 4 && category != 10;
        EXPECT_EQ(panel_->FindCategoryItem(category) >= 0, offered) << category;
    }
    for (const AssignmentCode& code : {Code(0x13, 0x01, 0x00), Code(0x72, 0x00, 0x00)}) {
        panel_->OpenForKey(Entry(code, Code(0x20, 0, 0x04)));
        EXPECT_FALSE(panel_->IsEditingAreaShown()) << Hex(code);
        EXPECT_EQ(Sub<CLabelUI>("keyset_hint_text")->GetTextKey(), "keyset_hint_unavailable");
        EXPECT_TRUE(Sub<CLabelUI>("keyset_hint_text")->IsVisible());
        EXPECT_EQ(Hex(Build()), Hex(code)) << "the key keeps its code";
    }
    panel_->OpenForKey(Entry(Code(0x20, 0x00, 0x05), Code(0x20, 0, 0x04)));
    EXPECT_TRUE(panel_->IsEditingAreaShown());
    EXPECT_FALSE(Sub<CLabelUI>("keyset_hint_text")->IsVisible());

    panel_->SetDeviceTypeCode(kMouseType);
    EXPECT_EQ(Combo("keyset_function_combo")->GetCount(), 12);
    EXPECT_EQ(ShownCategory(), 6) << "the shown category stays chosen";
}

TEST_F(KeySetControlTest, UnknownKindHidesTheEditingArea) {
    panel_->OpenForKey(Entry(Code(0xA0, 0x02, 0x00), kDefault));
    EXPECT_FALSE(panel_->IsEditingAreaShown());
    EXPECT_EQ(Hex(Build()), Hex(Code(0xA0, 0x02, 0x00)));
}

// ---- buttons, options and defaults --------------------------------------------------------

TEST_F(KeySetControlTest, EditingButtonsFollowTheFlagDefaultStaysEnabled) {
    for (bool enabled : {false, true, false}) {
        panel_->SetEditingEnabled(enabled);
        EXPECT_TRUE(Sub<CButtonUI>("key_butt_keydefalut")->IsEnabled());
        for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
            EXPECT_EQ(Sub<CButtonUI>(name)->IsEnabled(), enabled) << name;
    }
}

TEST_F(KeySetControlTest, ModifierOptionsAreExclusive) {
    for (int i = -1; i < CKeySetControlUI::kModifierOptions; ++i) {
        panel_->SelectModifierCheck(i);
        EXPECT_EQ(panel_->GetModifierCheck(), i);
    }
    // The user's click selects one and deselects the one before.
    panel_->SelectModifierCheck(1);
    ASSERT_TRUE(Sub<COptionUI>("key_ComBox_check_3")->Activate());
    EXPECT_EQ(panel_->GetModifierCheck(), 3);
    EXPECT_FALSE(Sub<COptionUI>("key_ComBox_check_1")->IsSelected());
}

TEST_F(KeySetControlTest, ResetPanelDefaults) {
    for (const char* combo :
         {"keyset_mousekey_combo", "keyset_mousedpi_combo", "keyset_media_combo",
          "keyset_system_combo", "keyset_macro_combo", "keyset_macro_over_combo",
          "keyset_gunkey_combo", "keyset_combokey_combo"})
        Combo(combo)->SelectItem(2);
    Type("keyset_mousefire_interval_edit", "9");
    Type("keyset_mousefire_num_edit", "9");
    Type("keyset_macro_cycle_edit", "9");
    Pick("keyset_macro_over_combo", 4);

    panel_->ResetPanelDefaults();
    for (const char* combo :
         {"keyset_mousekey_combo", "keyset_mousedpi_combo", "keyset_media_combo",
          "keyset_system_combo", "keyset_macro_combo", "keyset_macro_over_combo",
          "keyset_gunkey_combo", "keyset_combokey_combo"})
        EXPECT_EQ(Combo(combo)->GetCurSel(), 0) << combo;
    EXPECT_EQ(Edit("keyset_mousefire_interval_edit")->GetText(), "50");
    EXPECT_EQ(Edit("keyset_mousefire_num_edit")->GetText(), "2");
    EXPECT_EQ(Edit("keyset_macro_cycle_edit")->GetText(), "1");
    EXPECT_FALSE(Sub<CControlUI>("keyset_macro_cycle_layout")->IsVisible());
}

// ---- the main window's commands --------------------------------------------------------------

TEST_F(KeySetControlTest, NotificationsThatSaveTheAssignment) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"itemselect", "keyset_function_combo", true},
        {"itemselect", "keyset_mousekey_combo", true},
        {"itemselect", "keyset_mouseswing_combo", true},
        {"itemselect", "keyset_mousewheel_combo", true},
        {"itemselect", "keyset_mousedpi_combo", true},
        {"itemselect", "keyset_media_combo", true},
        {"itemselect", "keyset_system_combo", true},
        {"itemselect", "keyset_macro_combo", true},
        {"itemselect", "keyset_macro_over_combo", true},
        {"itemselect", "keyset_gunkey_combo", true},
        {"itemselect", "keyset_combokey_combo", true},
        {"killfocus", "keyset_mouseswing_num_edit", true},
        {"killfocus", "keyset_mouseswing_delay_edit", true},
        {"killfocus", "keyset_mouseswing_speed_edit", true},
        {"killfocus", "keyset_mousewheel_num_edit", true},
        {"killfocus", "keyset_mousewheel_delay_edit", true},
        {"killfocus", "keyset_mousewheel_speed_edit", true},
        {"killfocus", "keyset_mousefire_interval_edit", true},
        {"killfocus", "keyset_mousefire_num_edit", true},
        {"killfocus", "keyset_macro_cycle_edit", true},
        {"click", "key_butt_keysave", true},
        {"keycapture", "keyset_keyboard_text_edit", true},
        {"keycapture", "keyset_mousefire_num_edit", false},
        {"textchanged", "keyset_mousefire_num_edit", false},
        {"killfocus", "keyset_keyboard_text_edit", false},
        {"click", "key_butt_keycancel", false},
        {"click", "key_butt_keydefalut", false},
        {"click", "key_butt_prosave", false},
        {"selectchanged", "key_ComBox_check_1", false},
        {"itemselect", "device_profile_combo", false},
    };
    for (const auto& [type, sender, saves] : cases)
        EXPECT_EQ(panel_->OnControlNotify(type, sender), saves) << type << " " << sender;
}

// The panel in a window: showing a code sends no "itemselect" (which would
// make the main window save), the user's choices send the ordinary ones.
TEST_F(KeySetControlTest, ShowingACodeSendsNoSelection) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    ui::test::RecordingWindow host(WritePanelWindow(folder));
    ASSERT_TRUE(host.CreateShown()) << host.GetLoadError();
    auto* panel = host.Find<CKeySetControlUI>("KeySetControlItem");
    ASSERT_NE(panel, nullptr);
    panel->SetDeviceTypeCode(kMouseType);
    panel->SetMacroNames({"m0", "m1"});
    for (const AssignmentCode& code : {Code(0x12, 0x12, 0xFD), Code(0x20, 0x01, 0x04),
                                       Code(0x71, 0x01, 0x02), Code(0x30, 0xCD, 0)}) {
        panel->OpenForKey(Entry(code, kDefault));
        panel->ShowDefault();
    }
    panel->ResetPanelDefaults();
    panel->SelectModifierCheck(2);
    EXPECT_TRUE(host.Of("itemselect").empty());
    EXPECT_TRUE(host.Of("selectchanged").empty());

    host.Find<CComboUI>("keyset_media_combo")->SelectItem(3);
    ASSERT_EQ(host.Of("itemselect").size(), 1u);
    EXPECT_EQ(host.Of("itemselect")[0].sender, "keyset_media_combo");
}

// Counts the key presses that reach the object it watches.
class KeyPressCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return QObject::eventFilter(watched, event);
    }
};

// Keys pressed in our own window while the key edit has the focus are
// captured by their X keycode; "keycapture" is sent for each key taken. No
// press goes anywhere else: nothing reaches the edit's parents, Tab and Esc
// (keys a button can be given) leave the focus in the edit, and a held key is
// taken once.
TEST_F(KeySetControlTest, KeysPressedInTheKeyEditAreCaptured) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    ui::test::RecordingWindow host(WritePanelWindow(folder));
    ASSERT_TRUE(host.CreateShown()) << host.GetLoadError();
    auto* panel = host.Find<CKeySetControlUI>("KeySetControlItem");
    ASSERT_NE(panel, nullptr);
    panel->SetDeviceTypeCode(kMouseType);
    panel->OpenForKey(Entry(Code(0x20, 0x00, 0x05), kDefault));  // B: the key page is shown
    auto* edit = host.Find<CEditUI>("keyset_keyboard_text_edit");
    ASSERT_NE(edit, nullptr);
    host.GetWidget()->activateWindow();
    if (!QTest::qWaitForWindowActive(host.GetWidget())) GTEST_SKIP() << "no window activation";
    edit->SetFocus();
    ASSERT_TRUE(
        ui::test::WaitUntil([&] { return edit->isAncestorOf(QApplication::focusWidget()); }));
    QWidget* const editor = QApplication::focusWidget();
    KeyPressCounter beyond;  // a press the editor does not take goes on to its parent
    edit->installEventFilter(&beyond);

    struct Case {
        const char* what;
        uint32_t xKeycode;  // Linux key code + 8
        int key;
        const char* text;
        bool held;
        bool taken;
        AssignmentCode code;
        const char* shownKey;
    };
    const Case cases[] = {
        {"A", 38, Qt::Key_A, "a", false, true, Code(0x20, 0x00, 0x04), "keyboard_key_A"},
        {"A held", 38, Qt::Key_A, "a", true, false, Code(0x20, 0x00, 0x04), "keyboard_key_A"},
        {"right Ctrl", 105, Qt::Key_Control, "", false, true, Code(0x20, 0x10, 0x00), ""},
        {"Num Enter", 104, Qt::Key_Enter, "\r", false, true, Code(0x20, 0x01, 0x58),
         "keyboard_key_Num Enter"},
        {"Tab", 23, Qt::Key_Tab, "\t", false, true, Code(0x20, 0x01, 0x2B), "keyboard_key_Tab"},
        {"Esc", 9, Qt::Key_Escape, "\x1b", false, true, Code(0x20, 0x01, 0x29), "keyboard_key_Esc"},
        {"Japanese keypad comma", 103, Qt::Key_Comma, ",", false, false, Code(0x20, 0x01, 0x29),
         "keyboard_key_Esc"},
        {"no keycode", 0, Qt::Key_X, "x", false, false, Code(0x20, 0x01, 0x29), "keyboard_key_Esc"},
    };
    size_t captures = 0;
    for (const Case& c : cases) {
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, c.xKeycode, 0, 0,
                        QString::fromLatin1(c.text), c.held);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        if (c.taken) ++captures;
        const std::vector<ui::test::Recorded> sent = host.Of("keycapture");
        ASSERT_EQ(sent.size(), captures) << c.what;
        if (c.taken) {
            EXPECT_EQ(sent.back().sender, "keyset_keyboard_text_edit") << c.what;
        }
        EXPECT_EQ(Hex(panel->GetRecord().current.code), Hex(c.code)) << c.what;
        EXPECT_EQ(edit->GetTextKey(), c.shownKey) << c.what;
        EXPECT_EQ(edit->GetText(),
                  *c.shownKey ? CResourceManager::GetInstance()->GetText(c.shownKey) : "")
            << c.what << ": nothing is typed";
        EXPECT_EQ(QApplication::focusWidget(), editor) << c.what;
        EXPECT_EQ(beyond.presses, 0) << c.what;
    }

    // A shortcut of the window does not take its key from the edit.
    int escapes = 0;
    QShortcut escape(QKeySequence(Qt::Key_Escape), host.GetWidget());
    QObject::connect(&escape, &QShortcut::activated, [&] { ++escapes; });
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(escapes, 0);
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

// Not a check: with TIRK_KEYSET_SHOTS=<folder> it saves pictures of the pages
// in every language (fonts as the main window has them), to look at.
TEST_F(KeySetControlTest, Screenshots) {
    const char* folder = std::getenv("TIRK_KEYSET_SHOTS");
    if (!folder) GTEST_SKIP() << "set TIRK_KEYSET_SHOTS to a folder to get pictures";
    TempFolder temp;
    const std::string window = temp.path() + "/window.xml";
    WriteText(window, std::string(R"(<Window size="560,220">
        <Font id="7" name="Noto Sans CJK SC" size="14"/>
        <Font id="8" name="Noto Sans CJK SC" size="12"/>
        <Font name="Noto Sans CJK SC" size="14" default="true"/>
        <VerticalLayout bkcolor="#FF14161B"><Include source=")") +
                          kPanelLayout + R"("/></VerticalLayout></Window>)");
    ui::test::RecordingWindow host(window);
    ASSERT_TRUE(host.CreateShown()) << host.GetLoadError();
    auto* panel = host.Find<CKeySetControlUI>("KeySetControlItem");
    ASSERT_NE(panel, nullptr);
    const auto save = [&](const std::string& name) {
        QCoreApplication::processEvents();
        host.GetWidget()->grab().save(
            QString::fromStdString(std::string(folder) + "/" + name + ".png"));
    };
    save("en-hint");
    panel->SetDeviceTypeCode(kMouseType);
    panel->SetMacroNames({"Reload", "Jump"});
    panel->SetEditingEnabled(true);
    const std::pair<const char*, AssignmentCode> shown[] = {{"default", kDefault},
                                                            {"mouse", Code(0x10, 0x04, 0)},
                                                            {"tilt", Code(0x11, 0x37, 0x85)},
                                                            {"wheel", Code(0x12, 0x12, 0xFD)},
                                                            {"dpi", Code(0x13, 0x03, 0)},
                                                            {"fire", Code(0x14, 50, 2)},
                                                            {"key", Code(0x20, 0x01, 0x04)},
                                                            {"media", Code(0x30, 0xCD, 0)},
                                                            {"system", Code(0x40, 0x02, 0)},
                                                            {"macro", Code(0x71, 0x01, 0x05)},
                                                            {"gun", Code(0x72, 0x01, 0)},
                                                            {"shortcut", Code(0x20, 0x10, 0x06)}};
    for (const char* language : {"en", "cn", "tw", "de", "es", "ru"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lan_") + language + ".xml");
        for (const auto& [name, code] : shown) {
            panel->OpenForKey(Entry(code, kDefault));
            save(std::string(language) + "-" + name);
        }
    }
    panel->SetEditingEnabled(false);
    panel->OpenForKey(Entry(Code(0x20, 0x08, 0x2C), kDefault));
    CResourceManager::GetInstance()->LoadLanguage("lan_en.xml");
    QCoreApplication::processEvents();
    host.GetWidget()->grab().save("/tmp/keyset.png");
}

}  // namespace
}  // namespace tirk::test
