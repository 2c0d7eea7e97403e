// What a user's actions on the device pages do, in the real main window
// offscreen over the virtual devices: the feature tabs, the lighting page and
// the key list with its key-assignment panel. Every action is made on the
// page's own controls, so its notification goes through the main window and
// the page command router; the result is read back from the profile file.

#include "page_fixture.h"

namespace tirk {
namespace {

using namespace page_test;

// At start the page shows the lighting under the lighting tab, so a click on
// any other tab (the mouse's pointer tab too) shows that tab's page.
TEST_F(PageRoutesTest, AtStartTheMarkedTabIsTheLightingPageShown) {
    Start({"mouse"}, "mouse");
    EXPECT_TRUE(IsSelected("deng_Op_tab"));
    EXPECT_FALSE(IsSelected("cursor_Op_tab"));
    EXPECT_EQ(TabPage("device_function_switch"), 0);
    EXPECT_EQ(TabPage("device_key_function_switch"), 0);
    ASSERT_TRUE(Press("cursor_Op_tab"));
    EXPECT_EQ(TabPage("device_function_switch"), 2);
}

TEST_F(PageRoutesTest, AFeatureTabShowsItsPageSelectsItselfOnTheBarAndFoldsTheMenu) {
    Start({"keyboard"}, "keyboard");
    auto* bar = Sub<CDeviceProfileUI>(CTelvorinFamilyDevice::kProfilePanelName);
    ASSERT_TRUE(bar);
    struct Case {
        const char* tab;
        int functionPage;  // "device_function_switch"
        int keyPage;       // "device_key_function_switch", when the function page is 0
    } cases[] = {
        {"key_Op_tab", 0, 1},     {"deng_Op_tab", 0, 0}, {"macro_Op_tab", 1, -1},
        {"system_Op_tab", 3, -1}, {"key_Op_tab", 0, 1},
    };
    // The keyboard's tabs (it has no pointer settings).
    const char* const tabs[] = {"key_Op_tab", "deng_Op_tab", "macro_Op_tab", "system_Op_tab"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        ASSERT_TRUE(Press("profile_fun_spread_btn"));
        ASSERT_TRUE(bar->IsMenuVisible());
        ASSERT_TRUE(Press(c.tab));
        EXPECT_EQ(TabPage("device_function_switch"), c.functionPage);
        if (c.keyPage >= 0) {
            EXPECT_EQ(TabPage("device_key_function_switch"), c.keyPage);
        }
        for (const char* tab : tabs)
            EXPECT_EQ(IsSelected(tab), std::string_view(tab) == c.tab) << tab;
        EXPECT_FALSE(bar->IsMenuVisible());
    }
}

// ---- the lighting page ----------------------------------------------------------------------

// The steps every family's lighting page takes the same way.
struct FamilyCase {
    const char* plug;
    const char* folder;
};

class LightingStepsTest : public PageRoutesTest,
                          public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(LightingStepsTest, EachChangeIsStoredInTheProfileFile) {
    Start({GetParam().plug}, GetParam().folder);
    CLightControlUI& page = *Device().LightPage();
    Fields expected = OnDisk("LightInfo");
    ASSERT_FALSE(expected.empty());
    struct Step {
        const char* what;
        std::function<bool()> act;
        Fields changes;
    } steps[] = {
        {"brightness", [&] { return Slide("deng_light_slider", 1); }, {{"Light", 1}}},
        {"speed", [&] { return Slide("deng_speed_slider", 3); }, {{"Speed", 3}}},
        {"speed 0", [&] { return Slide("deng_speed_slider", 0); }, {{"Speed", 0}}},
        {"direction", [&] { return Press("deng_FXL_check"); }, {{"Fx", 1}}},
        {"other direction", [&] { return Press("deng_FXR_check"); }, {{"Fx", 0}}},
        {"colour slot 6",
         [&] { return Press("color_option_6"); },
         {{"Red", 128}, {"Green", 0}, {"Blue", 255}, {"MultiColor", 0}}},
        {"blue edit", [&] { return Type("deng_edit_B", "7"); }, {{"Blue", 7}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.act());
        expected = With(expected, step.changes);
        EXPECT_EQ(OnDisk("LightInfo"), expected);
    }
    EXPECT_EQ(page.GetBrightness(), 1);
    EXPECT_EQ(page.GetSpeed(), 0);
    EXPECT_TRUE(IsSelected("deng_FXR_check"));
    EXPECT_FALSE(IsSelected("deng_FXL_check"));
    EXPECT_EQ(EditText("deng_edit_R"), "128");
    EXPECT_EQ(EditText("deng_edit_B"), "7");
}

INSTANTIATE_TEST_SUITE_P(Families, LightingStepsTest,
                         ::testing::Values(FamilyCase{"keyboard", "keyboard"},
                                           FamilyCase{"mouse", "mouse"},
                                           FamilyCase{"mousepad", "MousePad"},
                                           FamilyCase{"headset", "HD"}),
                         [](const auto& info) { return std::string(info.param.plug); });

TEST_F(PageRoutesTest, KeyboardModesColoursAndMusicColoursAreStored) {
    Start({"keyboard"}, "keyboard");
    CLightControlUI& page = *Device().LightPage();
    auto* modes = Sub<CComboUI>("light_combo_modeSelect");
    ASSERT_TRUE(modes && modes->GetCount() > 17);
    ASSERT_TRUE(modes->GetItemAt(17)->IsVisible()) << "a mode the user can choose";
    Fields light = OnDisk("LightInfo");
    Fields music = OnDisk("AudioLightInfo");
    ASSERT_EQ(light["MultiColor"], 1) << "the default profile's";
    ASSERT_EQ(music["ColorTypeFlags"], 1) << "the default profile's";

    struct Step {
        const char* what;
        std::function<bool()> act;
        Fields lightChanges;
        Fields musicChanges;
        std::function<void()> page;  // what the page then shows
    } steps[] = {
        {"mode 17",
         [&] { return Choose("light_combo_modeSelect", 17); },
         {{"SelectItem", 17}},
         {},
         [&] {
             EXPECT_TRUE(Sub<CControlUI>("light_combo_ZZCCmodeSelectLayout")->IsVisible());
             EXPECT_FALSE(Sub<CControlUI>("deng_speed_layout")->IsVisible());
         }},
        {"mode 2",
         [&] { return Choose("light_combo_modeSelect", 2); },
         {{"SelectItem", 2}},
         {},
         [&] {
             EXPECT_FALSE(Sub<CControlUI>("light_combo_ZZCCmodeSelectLayout")->IsVisible());
             EXPECT_TRUE(Sub<CControlUI>("deng_speed_layout")->IsVisible());
         }},
        {"colour slot 5",
         [&] { return Press("color_option_5"); },
         {{"Red", 0}, {"Green", 0}, {"Blue", 255}, {"MultiColor", 0}},
         {},
         [&] {
             EXPECT_EQ(EditText("deng_edit_R"), "0");
             EXPECT_EQ(EditText("deng_edit_G"), "0");
             EXPECT_EQ(EditText("deng_edit_B"), "255");
             EXPECT_EQ(page.GetMultiColor(), 0);
             EXPECT_EQ(page.GetPaletteColor(), 0xFF0000FFu);
         }},
        {"green typed as 300",
         [&] { return Type("deng_edit_G", "300"); },
         {{"Green", 255}},
         {},
         [&] { EXPECT_EQ(EditText("deng_edit_G"), "255"); }},
        {"palette dragged",
         [&] { return Pick("deng_Color_Pallet", 0xFF336699, CPalletUI::kDragging); },
         {},
         {},
         [] {}},
        {"palette let go",
         [&] { return Pick("deng_Color_Pallet", 0xFF336699, CPalletUI::kFinal); },
         {{"Red", 0x33}, {"Green", 0x66}, {"Blue", 0x99}},
         {},
         [&] { EXPECT_EQ(EditText("deng_edit_G"), "102"); }},
        {"music background",
         [&] { return Press("audio_BkColor_check"); },
         {},
         {{"ColorTypeFlags", 0}},
         [&] { EXPECT_FALSE(IsSelected("audio_FgColor_check")); }},
        {"music slot 3 as the background",
         [&] { return Press("audiocolor_option_3"); },
         {},
         {{"BkColorR", 0}, {"BkColorG", 255}, {"BkColorB", 0}},
         [] {}},
        {"music foreground",
         [&] { return Press("audio_FgColor_check"); },
         {},
         {{"ColorTypeFlags", 1}},
         [&] { EXPECT_FALSE(IsSelected("audio_BkColor_check")); }},
        {"music slot 5 as the foreground",
         [&] { return Press("audiocolor_option_5"); },
         {},
         {{"FgColorR", 0}, {"FgColorG", 0}, {"FgColorB", 255}, {"7ColorFlags", 0}},
         [&] { EXPECT_EQ(EditText("deng_audioedit_B"), "255"); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.act());
        light = With(light, step.lightChanges);
        music = With(music, step.musicChanges);
        EXPECT_EQ(OnDisk("LightInfo"), light);
        EXPECT_EQ(OnDisk("AudioLightInfo"), music);
        step.page();
    }
}

// Only a keyboard's profile keeps music colours.
TEST_F(PageRoutesTest, MusicColourActionsOfAMouseStoreNothing) {
    Start({"mouse"}, "mouse");
    const QByteArray saved = ProfileBytes();
    ASSERT_TRUE(Press("audio_BkColor_check"));
    ASSERT_TRUE(Press("audiocolor_option_3"));
    ASSERT_TRUE(Type("deng_audioedit_R", "9"));
    ASSERT_TRUE(Pick("deng_audioColor_Pallet", 0xFF102030, CPalletUI::kFinal));
    ASSERT_TRUE(Press("Close_bkColor_btn"));
    EXPECT_EQ(ProfileBytes(), saved);
}

// Mode 20 shows the keyboard's own sets of key colours: as many as the
// profile keeps, not a fixed number.
TEST_F(PageRoutesTest, KeyboardMode20OffersTheColourSetsOfTheProfile) {
    Start({"keyboard"}, "keyboard");
    auto* sets = Sub<CComboUI>("light_combo_custommodeSelect");
    ASSERT_TRUE(sets);
    const auto setName = [](int number) {
        return FillMessage(Text("light_custom_group_text"), std::to_string(number));
    };
    ASSERT_TRUE(Choose("light_combo_modeSelect", 20));
    Fields light = With(OnDisk("LightInfo"), {{"SelectItem", 20}});
    EXPECT_EQ(OnDisk("LightInfo"), light);
    EXPECT_TRUE(Sub<CControlUI>("lightcustom_layout")->IsVisible());
    const qsizetype colourSets =
        OnDisk()["CustomLightMode"].toObject()["LightColorInfo"].toArray().size();
    ASSERT_EQ(colourSets, 4) << "the default keyboard profile's";
    ASSERT_EQ(sets->GetCount(), colourSets);
    EXPECT_EQ(sets->GetItemAt(0)->GetText(), setName(1));
    EXPECT_EQ(sets->GetItemAt(3)->GetText(), setName(4));
    EXPECT_EQ(sets->GetCurSel(), light["CustomGroup"]);

    LightInfoRecord values = Device().GetLightValues();
    values.customGroup = 3;
    Device().StoreLightValues(values);
    Device().RefreshPage();
    EXPECT_EQ(sets->GetCurSel(), 3) << "the stored set, after a refresh";

    ASSERT_TRUE(Choose("light_combo_custommodeSelect", 2));
    EXPECT_EQ(OnDisk("LightInfo"), With(light, {{"CustomGroup", 2}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Device().ExchangesPending() == 0; }, 5000))
        << "the keyboard has the set";

    // A profile with three sets, the third stored (the one the keyboard
    // holds since the choice above): a new start lists three.
    const std::string path = ProfilePath(Device());
    const int index = Device().Profile().GetDeviceIndex();
    Reopen([&] {
        EditProfileFile(path, index, [](QJsonObject& device) {
            QJsonObject mode = device["CustomLightMode"].toObject();
            QJsonArray groups = mode["LightColorInfo"].toArray();
            while (groups.size() > 3) groups.removeLast();
            mode["LightColorInfo"] = groups;
            device["CustomLightMode"] = mode;
        });
    });
    sets = Sub<CComboUI>("light_combo_custommodeSelect");
    ASSERT_TRUE(sets);
    ASSERT_EQ(sets->GetCount(), 3);
    EXPECT_EQ(sets->GetItemAt(2)->GetText(), setName(3));
    EXPECT_EQ(sets->GetCurSel(), 2);
}

// "deng_same_mode" (synchronised lighting) is offered in the modes that have
// a common effect, and only while more than one device is shown.
struct SyncCase {
    const char* name;
    std::vector<std::string> plugged;  // device folders as well
    bool offered;
};

class SyncOfferTest : public PageRoutesTest, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(SyncOfferTest, SynchronisedLightingIsOfferedInItsModesWithSeveralDevices) {
    Start(GetParam().plugged, "keyboard");
    for (const std::string& folder : GetParam().plugged) {
        CTelvorinFamilyDevice* device = DeviceOf(folder);
        ASSERT_TRUE(device);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsItsProfile(*device); }, 10000)) << folder;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return Device().SyncOffered() == GetParam().offered; }));
    auto* button = Sub<CControlUI>("deng_same_mode");
    ASSERT_TRUE(button);
    const bool offered = GetParam().offered;
    const struct {
        int mode;
        bool shown;
    } steps[] = {{5, offered}, {2, false}, {5, offered}};
    for (const auto& step : steps) {
        SCOPED_TRACE("mode " + std::to_string(step.mode));
        ASSERT_TRUE(Choose("light_combo_modeSelect", step.mode));
        EXPECT_EQ(button->IsVisible(), step.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, SyncOfferTest,
    ::testing::Values(SyncCase{"KeyboardAndMouse", {"keyboard", "mouse"}, true},
                      SyncCase{"KeyboardAlone", {"keyboard"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageRoutesTest, UnpluggingTheOtherDeviceWithdrawsSynchronisedLighting) {
    Start({"keyboard", "mouse"}, "keyboard");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Device().SyncOffered(); }));
    ASSERT_TRUE(Choose("light_combo_modeSelect", 5));
    auto* button = Sub<CControlUI>("deng_same_mode");
    ASSERT_TRUE(button && button->IsVisible());
    std::string error;
    ASSERT_TRUE(bus_->Unplug("mouse", &error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Device().SyncOffered(); }, 10000));
    EXPECT_FALSE(button->IsVisible());
    EXPECT_EQ(window_->CurrentDevice(), &Device()) << "the keyboard's page stays";
}

// ---- the key list and the key-assignment panel --------------------------------------------

TEST_F(PageRoutesTest, AKeyboardKeyGetsAMediaFunctionAndSaveToDeviceWritesIt) {
    Start({"keyboard"}, "keyboard");
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_GT(Rows()->GetCount(), 5);
    const int key = std::atoi(Rows()->GetItemAt(5)->GetUserData().c_str());
    const KeyListEntry before = Device().Profile().KeyList().at(size_t(key));
    const std::string keyName = RowTexts(key).first;

    ASSERT_TRUE(ChooseKey(key));
    EXPECT_EQ(Device().SelectedKey(), key);
    EXPECT_TRUE(Panel().IsEditingAreaShown());
    EXPECT_EQ(Panel().GetRecord(), before);
    EXPECT_EQ(Rows()->GetCurSel(), 5);

    const int play = FindFunctionRow(MediaList(), 0x30, 0xCD, 0x00);
    ASSERT_GE(play, 0);
    ChooseAssignment(kCategoryMedia, "keyset_media_combo", play);
    const AssignmentCode code{0x30, 0xCD, 0x00};
    EXPECT_EQ(CurrentCode(key), code);
    EXPECT_EQ(RowTexts(key), std::make_pair(keyName, Text("media_play")));
    EXPECT_EQ(Rows()->GetCurSel(), 5) << "the open key's row stays chosen";

    ASSERT_TRUE(Press("key_butt_prosave"));
    EXPECT_EQ(KeyOnDisk(key),
              std::make_pair(int(code.Value()), int(before.defaultHalf.code.Value())));
    EXPECT_FALSE(Press("key_butt_prosave")) << "nothing left to save";

    // Default on a keyboard takes the default and sends it at once.
    ASSERT_TRUE(Press("key_butt_keydefalut"));
    EXPECT_EQ(CurrentCode(key), before.defaultHalf.code);
    const int defaultValue = int(before.defaultHalf.code.Value());
    EXPECT_EQ(KeyOnDisk(key), std::make_pair(defaultValue, defaultValue));
    EXPECT_EQ(RowTexts(key), std::make_pair(keyName, keyName));
}

TEST_F(PageRoutesTest, CancelShowsTheKeysCurrentAssignmentAgain) {
    Start({"mouse"}, "mouse");
    ASSERT_TRUE(Press("key_Op_tab"));
    const int key = 1;  // the right button
    const int play = FindFunctionRow(MediaList(), 0x30, 0xCD, 0x00);
    ASSERT_TRUE(ChooseKey(key));
    ChooseAssignment(kCategoryMedia, "keyset_media_combo", play);
    const AssignmentCode code{0x30, 0xCD, 0x00};
    ASSERT_EQ(CurrentCode(key), code);

    // Default on a mouse only shows the default; nothing is stored yet.
    ASSERT_TRUE(Press("key_butt_keydefalut"));
    auto* functions = Sub<CComboUI>("keyset_function_combo");
    EXPECT_EQ(Panel().CategoryOfItem(functions->GetCurSel()), kCategoryDefault);
    EXPECT_EQ(CurrentCode(key), code);

    ASSERT_TRUE(Press("key_butt_keycancel"));
    EXPECT_EQ(Panel().CategoryOfItem(functions->GetCurSel()), kCategoryMedia);
    EXPECT_EQ(TabPage("function_switch_tablayout"), kCategoryMedia);
    EXPECT_EQ(Sub<CComboUI>("keyset_media_combo")->GetCurSel(), play);
    EXPECT_EQ(CurrentCode(key), code);
    EXPECT_FALSE(Press("key_butt_keycancel")) << "nothing pending any more";
}

TEST_F(PageRoutesTest, TheMousesOnlyLeftButtonKeyIsNotOpenedUntilAnotherKeyHasTheLeftButton) {
    Start({"mouse"}, "mouse");
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_EQ(CurrentCode(0), kLeftButtonCode);
    ASSERT_TRUE(IsLastLeftButton(Device().Profile().KeyList(), 0));

    ASSERT_TRUE(ChooseKey(0));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{Text("message_text_6")});
    EXPECT_EQ(Device().SelectedKey(), -1);
    EXPECT_FALSE(Panel().IsEditingAreaShown());
    EXPECT_EQ(Rows()->GetCurSel(), -1) << "no key is open";
    ASSERT_TRUE(ChooseKey(0));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{Text("message_text_6")})
        << "a second try is told the same";

    ASSERT_TRUE(ChooseKey(2));
    EXPECT_EQ(Device().SelectedKey(), 2);
    ChooseAssignment(kCategoryMouseButton, "keyset_mousekey_combo",
                     FindFunctionRow(MouseButtonList(), 0x10, 0x01, 0x00));
    EXPECT_EQ(CurrentCode(2), kLeftButtonCode);

    ASSERT_TRUE(ChooseKey(0));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{});
    EXPECT_EQ(Device().SelectedKey(), 0);
    EXPECT_EQ(Panel().GetRecord(), Device().Profile().KeyList()[0]);

    // Key 2 now holds the only left button.
    ChooseAssignment(kCategoryMouseButton, "keyset_mousekey_combo",
                     FindFunctionRow(MouseButtonList(), 0x10, 0x08, 0x00));
    ASSERT_TRUE(ChooseKey(2));
    EXPECT_EQ(messages_->Take(), std::vector<std::string>{Text("message_text_6")});
    EXPECT_EQ(Device().SelectedKey(), 0);
    EXPECT_EQ(Rows()->GetCurSel(), RowOfKey(0)) << "the open key's row is chosen again";
}

// A key pressed while the key edit has the focus becomes the key's
// assignment, and a modifier chosen afterwards joins it.
TEST_F(PageRoutesTest, AKeyCapturedInTheKeyEditReachesTheProfile) {
    Start({"keyboard"}, "keyboard");
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_GT(Rows()->GetCount(), 5);
    const int key = std::atoi(Rows()->GetItemAt(5)->GetUserData().c_str());
    ASSERT_TRUE(ChooseKey(key));
    ASSERT_TRUE(Choose("keyset_function_combo", Panel().FindCategoryItem(kCategoryKeyboardKey)));
    ASSERT_EQ(TabPage("function_switch_tablayout"), kCategoryKeyboardKey);

    QWidget* window = window_->GetWidget();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) GTEST_SKIP() << "no window activation";
    auto* edit = Sub<CEditUI>("keyset_keyboard_text_edit");
    ASSERT_TRUE(edit);
    edit->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->isAncestorOf(QApplication::focusWidget()); }));
    // X keycode 38: Linux KEY_A (30) + 8.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0, "a");
    QApplication::sendEvent(QApplication::focusWidget(), &press);

    // The input hook takes the key while the edit has the focus and hands it
    // on from the event loop.
    const AssignmentCode a{0x20, 0x00, 0x04};
    ASSERT_TRUE(QTest::qWaitFor([&] { return CurrentCode(key) == a; }));
    EXPECT_EQ(RowTexts(key).second, Text("keyboard_key_A"));
    ASSERT_TRUE(Press("key_butt_prosave"));
    EXPECT_EQ(KeyOnDisk(key).first, 0x200004);

    ASSERT_TRUE(Press("key_ComBox_check_1"));  // Ctrl
    const AssignmentCode ctrlA{0x20, 0x01, 0x04};
    EXPECT_EQ(CurrentCode(key), ctrlA);
    ASSERT_TRUE(Press("key_butt_prosave"));
    EXPECT_EQ(KeyOnDisk(key).first, 0x200104);
}

// A macro list that cannot be read says nothing about which macros exist, so
// no binding to a macro is dropped for it; a list that is known to hold no
// macros returns such a binding to the key's default.
TEST_F(PageRoutesTest, ADamagedMacroListNeverCostsTheKeyBindings) {
    Start({"keyboard"}, "keyboard");
    ASSERT_GT(Rows()->GetCount(), 5);
    const int key = std::atoi(Rows()->GetItemAt(5)->GetUserData().c_str());
    const int fallback = KeyOnDisk(key).second;
    const int macro0 = 0x70 << 16 | 0 << 8 | 0;
    ASSERT_NE(fallback, macro0);
    const std::string path = ProfilePath(Device());
    const int index = Device().Profile().GetDeviceIndex();
    const std::string macroList = DataFolder("keyboard") + MacroStore::kListFileName;
    const struct {
        const char* what;
        const char* list;
        int brightness;  // the lighting change that saves the profile
        int kept;
    } cases[] = {
        {"a list that does not parse", R"({ "MacroInfo": [ broken)", 1, macro0},
        {"a list of no macros", R"({ "MacroInfo": [] })", 2, fallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reopen([&] {
            EditProfileFile(path, index, [&](QJsonObject& device) {
                SetInArray(device, "KeyList", key, "Assignment", macro0);
            });
            WriteBytes(macroList, c.list);
        });
        EXPECT_EQ(int(CurrentCode(key).Value()), c.kept) << "in memory";
        ASSERT_TRUE(Slide("deng_light_slider", c.brightness));
        EXPECT_EQ(OnDisk("LightInfo")["Light"], c.brightness);
        EXPECT_EQ(KeyOnDisk(key), std::make_pair(c.kept, fallback));
    }
}

// Save to device whose profile cannot be written: the user is told, and the
// changes stay pending, so Save to device can be pressed again.
enum class WriteBlock { kReadOnlyFolder, kFolderInPlace };

class ProfileWriteBlockedTest : public PageRoutesTest,
                                public ::testing::WithParamInterface<WriteBlock> {};

TEST_P(ProfileWriteBlockedTest, SaveToDeviceStaysEnabledAndTheUserIsTold) {
    const bool readOnly = GetParam() == WriteBlock::kReadOnlyFolder;
    if (readOnly && geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    Start({"keyboard"}, "keyboard");
    ASSERT_TRUE(Press("key_Op_tab"));
    ASSERT_GT(Rows()->GetCount(), 5);
    const int key = std::atoi(Rows()->GetItemAt(5)->GetUserData().c_str());
    ASSERT_TRUE(ChooseKey(key));
    ChooseAssignment(kCategoryMedia, "keyset_media_combo",
                     FindFunctionRow(MediaList(), 0x30, 0xCD, 0x00));
    const AssignmentCode code{0x30, 0xCD, 0x00};
    ASSERT_EQ(CurrentCode(key), code);
    auto* save = Sub<CButtonUI>("key_butt_prosave");
    ASSERT_TRUE(save && save->IsEnabled());

    const QString file = QString::fromStdString(ProfilePath(Device()));
    const QString folder = QFileInfo(file).absolutePath();
    const QByteArray saved = ProfileBytes();
    const QFile::Permissions permissions = QFile::permissions(folder);
    Restore unblock([&] {
        if (readOnly) {
            QFile::setPermissions(folder, permissions);
        } else if (QFileInfo(file).isDir()) {
            QDir().rmdir(file);
        }
    });
    if (readOnly) {
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        ASSERT_TRUE(QFile::remove(file));
        ASSERT_TRUE(QDir().mkdir(file));
    }

    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_FALSE(Device().LastSave().ok);
    EXPECT_EQ(messages_->WaitAndTake(),
              std::vector<std::string>{
                  FillMessage(Text("message_profile_file_error"), Device().LastSave().error)});
    EXPECT_TRUE(save->IsEnabled()) << "the changes are still to be saved";
    EXPECT_EQ(CurrentCode(key), code) << "the change is kept";
    if (readOnly) {
        EXPECT_EQ(ProfileBytes(), saved);
    } else {
        EXPECT_TRUE(QFileInfo(file).isDir());
    }

    // Once the file can be written, pressing again saves.
    unblock.Now();
    ASSERT_TRUE(Press("key_butt_prosave"));
    EXPECT_TRUE(Device().LastSave().ok);
    EXPECT_EQ(KeyOnDisk(key).first, int(code.Value()));
    EXPECT_FALSE(save->IsEnabled());
}

INSTANTIATE_TEST_SUITE_P(Blocks, ProfileWriteBlockedTest,
                         ::testing::Values(WriteBlock::kReadOnlyFolder, WriteBlock::kFolderInPlace),
                         [](const auto& info) {
                             return std::string(info.param == WriteBlock::kReadOnlyFolder
                                                    ? "ReadOnlyFolder"
                                                    : "FolderInPlace");
                         });

// ---- without a shown page ----------------------------------------------------------------------

TEST_F(PageRoutesTest, PageActionsWithoutASelectedTileDoNothing) {
    Start({"keyboard"}, "keyboard");
    const QByteArray saved = ProfileBytes();
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Discovery()->SelectedTile() < 0; }, 10000));
    ASSERT_EQ(window_->CurrentDevice(), nullptr);

    Choose("light_combo_modeSelect", 3);
    Slide("deng_light_slider", 0);
    Press("deng_FXL_check");
    Press("color_option_2");
    Type("deng_edit_R", "12");
    Press("audio_BkColor_check");
    Press("audiocolor_option_1");
    Press("key_Op_tab");
    Rows()->SelectItem(3);
    Choose("keyset_function_combo", 2);
    Press("key_butt_prosave");
    Press("key_butt_keydefalut");

    EXPECT_EQ(ProfileBytes(), saved);
    EXPECT_EQ(Device().SelectedKey(), -1);
    EXPECT_EQ(TabPage("device_key_function_switch"), 0);
}

TEST_F(PageRoutesTest, PageActionsBeforeAnyDeviceArrivedDoNothing) {
    Start({}, "");
    device_ = DeviceOf("keyboard");  // built in advance, never started
    ASSERT_TRUE(device_);
    Choose("light_combo_modeSelect", 1);
    Slide("deng_speed_slider", 1);
    Press("color_option_2");
    Type("deng_edit_G", "300");
    Press("key_Op_tab");
    Rows()->SendNotify(notify_type::kItemSelect);
    Press("key_butt_prosave");
    const QString folder = hid_root_.path() + "/data/Vorpaline TIRK/keyboard";
    EXPECT_TRUE(QDir(folder).entryList({"*.Json"}, QDir::Files).isEmpty());
    EXPECT_EQ(TabPage("device_key_function_switch"), 0);
}

// ---- two pages in one window --------------------------------------------------------------

// Every page includes the same lighting layout; an option chosen on one page
// must leave the options of another page as they are.
TEST_F(PageRoutesTest, TheDirectionOptionsOfTwoPagesAreIndependent) {
    Start({"keyboard", "mouse"}, "mouse");
    CTelvorinFamilyDevice* keyboard = DeviceOf("keyboard");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsItsProfile(*keyboard); }, 10000));
    auto selected = [](CTelvorinFamilyDevice* device, const char* option) {
        auto* control = dynamic_cast<COptionUI*>(device->FindSubControl(option));
        return control && control->IsSelected();
    };
    EXPECT_TRUE(selected(keyboard, "deng_FXR_check")) << "the keyboard's profile: Fx 0";
    EXPECT_TRUE(selected(device_, "deng_FXR_check")) << "the mouse's profile: Fx 0";

    ASSERT_TRUE(Press("deng_FXL_check"));  // on the mouse's page
    EXPECT_EQ(OnDisk("LightInfo")["Fx"], 1);
    EXPECT_TRUE(selected(keyboard, "deng_FXR_check")) << "the keyboard's page is unchanged";
    EXPECT_FALSE(selected(keyboard, "deng_FXL_check"));
}

// Restoring the defaults makes the active profile the family's installed
// default again, in the file and on the page.
TEST_F(PageRoutesTest, RestoringTheDefaultsBringsBackTheInstalledProfile) {
    Start({"keyboard"}, "keyboard");
    const Fields installed = OnDisk("LightInfo");
    ASSERT_TRUE(Slide("deng_light_slider", 1));
    ASSERT_TRUE(Press("key_Op_tab"));
    const int key = std::atoi(Rows()->GetItemAt(5)->GetUserData().c_str());
    ASSERT_TRUE(ChooseKey(key));
    ChooseAssignment(kCategoryMedia, "keyset_media_combo", 1);
    ASSERT_TRUE(Press("key_butt_prosave"));
    ASSERT_NE(CurrentCode(key), Device().Profile().KeyList().at(size_t(key)).defaultHalf.code);
    ASSERT_NE(OnDisk("LightInfo"), installed);

    Device().RestoreDefaults();
    EXPECT_EQ(OnDisk("LightInfo"), installed);
    EXPECT_EQ(Device().LightPage()->GetBrightness(), installed.at("Light"));
    for (const KeyListEntry& entry : Device().Profile().KeyList())
        EXPECT_EQ(entry.current.code, entry.defaultHalf.code);
}

}  // namespace
}  // namespace tirk
