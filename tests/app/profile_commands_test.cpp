// The main window's profile commands over a real profile bar: questions,
// messages, the switch timer, the file dialogs and what the device is asked
// to do afterwards.
#include "app/profile_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <tuple>

#include "profile/panel/profile_panel_fixture.h"
#include "ui/combo.h"
#include "ui/edit.h"

namespace tirk::test {
namespace {

/// The message window: answers questions from a queue (OK when empty) and
/// records what was asked and shown; texts come from the English file.
class FakeMessages : public IProfileMessages {
public:
    bool Ask(const std::string& key) override {
        asked.push_back(key);
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Show(const std::string& key) override { shown.push_back(key); }
    void ShowText(const std::string& text) override { shown.push_back(text); }

    std::deque<bool> answers;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
};

class FakeTimer : public IProfileTimer {
public:
    void StartTimer(int id, int ms) override {
        calls.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
    }
    void StopTimer(int id) override { calls.push_back("stop " + std::to_string(id)); }
    std::vector<std::string> calls;
};

/// A device that records the calls it gets, in order.
class FakeDevice : public IProfileDeviceHooks {
public:
    explicit FakeDevice(int type) : type(type) {}
    int DeviceTypeCode() const override { return type; }
    void SetProfileBaseName(const std::string& id) override { calls.push_back("base " + id); }
    void LoadActiveProfile() override { calls.push_back("load"); }
    void RefreshPage() override { calls.push_back("refresh"); }
    void WriteDeviceSettings() override { calls.push_back("settings"); }
    int DownloadMacros() override {
        calls.push_back("macros");
        return macroResult;
    }
    void WriteCurrentKeyAssignments() override { calls.push_back("keys"); }
    void AfterProfileSwitch() override { calls.push_back("after switch"); }
    void RestoreCompanionSettings() override { calls.push_back("companion"); }

    int type;
    int macroResult = 0;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class ProfileCommandsTest : public ProfileBarTest {
protected:
    void SetUp() override {
        ProfileBarTest::SetUp();
        InitWithProfiles(2);
        dialog_ = [this](ProfileFileDialogKind kind, const std::string& suggested) {
            dialogCalls_.push_back({kind, suggested});
            return dialogAnswer_;
        };
    }
    bool Click(const std::string& control) { return commands_.OnClick(control, *bar_, device_); }
    /// The switch sequence of the device for profile `index`.
    Calls SwitchCalls(int index) const {
        return {"base " + bar_->ProfileList().Entries()[size_t(index)].id,
                "load",
                "refresh",
                "settings",
                "macros",
                "keys",
                "after switch"};
    }
    std::string English(const std::string& key) const {
        return CResourceManager::GetInstance()->GetText(key);
    }

    FakeMessages messages_;
    FakeTimer timer_;
    FakeDevice device_{2};
    std::string dialogAnswer_;
    std::vector<std::pair<ProfileFileDialogKind, std::string>> dialogCalls_;
    ProfileFileDialog dialog_;
    CProfileCommands commands_{
        messages_, timer_,
        [this](ProfileFileDialogKind kind, const std::string& name) { return dialog_(kind, name); },
        Path("appdata")};
};

TEST_F(ProfileCommandsTest, QuestionsGuardAddCopyAndDelete) {
    struct Case {
        const char* button;
        const char* question;
        int countAfterOk;
    } cases[] = {
        {"device_add_btn", "message_text_27", 3},
        {"device_copy_btn", "message_text_26", 3},
        {"device_sub_btn", "message_text_29", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        std::filesystem::remove_all(dir_ / "data");
        bar_ = BuildProfileBar();
        InitWithProfiles(2);
        messages_ = {};
        const auto before = Snapshot();
        messages_.answers = {false};
        EXPECT_TRUE(Click(c.button));
        EXPECT_EQ(messages_.asked, std::vector<std::string>{c.question});
        EXPECT_EQ(Snapshot(), before) << "Cancel changes nothing";

        EXPECT_TRUE(Click(c.button));
        EXPECT_EQ(bar_->GetProfileCount(), c.countAfterOk);
        EXPECT_TRUE(messages_.shown.empty());
    }
}

TEST_F(ProfileCommandsTest, AddCopyAndImportAtTheLimitShowTheLimitMessage) {
    while (bar_->GetProfileCount() < CProfileList::kMaxProfiles) ASSERT_TRUE(bar_->AddProfile());
    dialogAnswer_ = ImportFile("x.json");
    for (const char* button : {"device_add_btn", "device_copy_btn", "device_import_btn"}) {
        messages_.shown.clear();
        EXPECT_TRUE(Click(button));
        EXPECT_EQ(messages_.shown, std::vector<std::string>{"message_text_32"}) << button;
    }
    EXPECT_EQ(bar_->GetProfileCount(), 50);
}

TEST_F(ProfileCommandsTest, DeleteSwitchesTheDeviceToTheNewSelection) {
    ASSERT_TRUE(bar_->SelectProfile(1, false));
    EXPECT_TRUE(Click("device_sub_btn"));
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
    EXPECT_EQ(device_.calls, SwitchCalls(0));
}

TEST_F(ProfileCommandsTest, RenameShowsTheMessageOfItsResult) {
    struct Case {
        const char* text;
        std::vector<std::string> shown;
    } cases[] = {
        {"", {}},  // nothing at all
        {"R&D", {"message_text_5_3"}},
        {"   ", {"message_text_25"}},
        {"profile2", {"message_text_5"}},
        {"Game", {}},
    };
    for (const Case& c : cases) {
        messages_.shown.clear();
        bar_->SetNameEditText(c.text);
        EXPECT_TRUE(Click("device_profile_edit_save_btn"));
        EXPECT_EQ(messages_.shown, c.shown) << c.text;
    }
    EXPECT_EQ(ComboTexts()[0], "Game");
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(ProfileCommandsTest, ImportAsksForAFileAndReportsARefusalWithItsDetail) {
    dialogAnswer_ = "";
    EXPECT_TRUE(Click("device_import_btn"));
    ASSERT_EQ(dialogCalls_.size(), 1u);
    EXPECT_EQ(dialogCalls_[0].first, ProfileFileDialogKind::kOpen);
    EXPECT_EQ(bar_->GetProfileCount(), 2) << "cancelled";

    WriteText(Path("pad.json"), DefaultProfileText("MousePad"));
    dialogAnswer_ = Path("pad.json");
    EXPECT_TRUE(Click("device_import_btn"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    const std::string& text = messages_.shown[0];
    EXPECT_EQ(text.rfind("This file cannot be imported as a profile: " + Path("pad.json"), 0), 0u)
        << text;
    EXPECT_NE(text.find("is a mouse pad profile, not a mouse profile"), std::string::npos) << text;

    dialogAnswer_ = ImportFile("Game.json");
    EXPECT_TRUE(Click("device_import_btn"));
    EXPECT_EQ(ComboTexts().back(), "Game");
}

TEST_F(ProfileCommandsTest, ImportAndExportDoNothingWithoutASelection) {
    Sub<CComboUI>("device_profile_combo")->SelectItem(-1, false, false);
    dialogAnswer_ = ImportFile("x.json");
    EXPECT_TRUE(Click("device_import_btn"));
    EXPECT_TRUE(Click("device_export_btn"));
    EXPECT_TRUE(dialogCalls_.empty());
    EXPECT_EQ(bar_->GetProfileCount(), 2);
}

TEST_F(ProfileCommandsTest, ExportSuggestsTheProfileNameAndWritesTheFile) {
    ASSERT_EQ(bar_->RenameProfile("My/Game"), 1);
    dialogAnswer_ = Path("export/out.json");
    EXPECT_TRUE(Click("device_export_btn"));
    ASSERT_EQ(dialogCalls_.size(), 1u);
    EXPECT_EQ(dialogCalls_[0].first, ProfileFileDialogKind::kSave);
    EXPECT_EQ(dialogCalls_[0].second, "My_Game.json");
    EXPECT_EQ(ReadText(Path("export/out.json")), StyledJsonText(ReadJson(bar_->GetProfilePath(0))));
}

TEST_F(ProfileCommandsTest, ResetAsksThenRemovesThePaletteAndReprogramsTheDevice) {
    struct Case {
        int type;
        const char* folder;
        int macroResult;
        Calls calls;
        std::vector<std::string> shown;
    } cases[] = {
        {2, "mouse", 0, {"load", "refresh", "settings", "companion", "macros", "keys"}, {}},
        {1,
         "keyboard",
         -1,
         {"load", "refresh", "settings", "companion", "macros", "keys"},
         {"message_text_7"}},
        {2,
         "mouse",
         3,
         {"load", "refresh", "settings", "companion", "macros"},
         {FillMessage(English("message_text_16"), "3")}},
        {7, "HD", 0, {"load", "refresh", "settings", "companion"}, {}},
        {3, "MousePad", 0, {"load", "refresh", "settings", "companion"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + std::string(" ") + std::to_string(c.macroResult));
        std::filesystem::remove_all(dir_ / "data");
        bar_ = BuildProfileBar();
        InitBar(c.type, c.folder);
        device_ = FakeDevice(c.type);
        device_.macroResult = c.macroResult;
        messages_ = {};
        std::filesystem::create_directories(dir_ / "appdata");
        WriteText(Path("appdata/color_option_info.config"), "{}");

        messages_.answers = {false};
        EXPECT_TRUE(Click("device_reset_btn"));
        EXPECT_TRUE(std::filesystem::exists(Path("appdata/color_option_info.config")))
            << "a cancelled reset keeps the user's colours";
        EXPECT_EQ(messages_.asked, std::vector<std::string>{"message_text_22"});
        EXPECT_TRUE(device_.calls.empty());

        EXPECT_TRUE(Click("device_reset_btn"));
        EXPECT_FALSE(std::filesystem::exists(Path("appdata/color_option_info.config")));
        EXPECT_EQ(device_.calls, c.calls);
        EXPECT_EQ(messages_.shown, c.shown);
    }
}

TEST_F(ProfileCommandsTest, PickingStartsTheTimerAndItsExpirySwitchesTheDevice) {
    EXPECT_FALSE(commands_.OnItemSelect("light_combo_modeSelect"));
    auto* combo = Sub<CComboUI>("device_profile_combo");
    combo->SelectItem(1, false, false);
    EXPECT_TRUE(commands_.OnItemSelect("device_profile_combo"));
    combo->SelectItem(0, false, false);
    EXPECT_TRUE(commands_.OnItemSelect("device_profile_combo"));
    combo->SelectItem(1, false, false);
    EXPECT_TRUE(commands_.OnItemSelect("device_profile_combo"));
    EXPECT_EQ(timer_.calls, Calls(3, "start 1055 400")) << "each pick restarts it";
    EXPECT_TRUE(device_.calls.empty());
    EXPECT_TRUE(commands_.IsSwitchPending());

    EXPECT_FALSE(commands_.OnTimer(1032, *bar_, device_));
    EXPECT_TRUE(commands_.OnTimer(1055, *bar_, device_));
    EXPECT_EQ(timer_.calls.back(), "stop 1055");
    EXPECT_EQ(device_.calls, SwitchCalls(1));
    EXPECT_EQ(bar_->ProfileList().ActiveIndex(), 1);
    EXPECT_EQ(ListFile()["profileselect"], 1);
    EXPECT_FALSE(commands_.IsSwitchPending());
}

TEST_F(ProfileCommandsTest, MacroOverflowStopsTheSwitchBeforeTheKeyTable) {
    device_.macroResult = 12;
    Sub<CComboUI>("device_profile_combo")->SelectItem(1, false, false);
    commands_.OnItemSelect("device_profile_combo");
    commands_.OnTimer(1055, *bar_, device_);
    Calls expected = SwitchCalls(1);
    expected.erase(std::find(expected.begin(), expected.end(), "keys"));
    EXPECT_EQ(device_.calls, expected);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].find("12 events too many"), std::string::npos);
}

TEST_F(ProfileCommandsTest, ACommandRunsAPendingSwitchFirst) {
    Sub<CComboUI>("device_profile_combo")->SelectItem(1, false, false);
    commands_.OnItemSelect("device_profile_combo");
    messages_.answers = {false};
    EXPECT_TRUE(Click("device_copy_btn"));
    EXPECT_EQ(device_.calls, SwitchCalls(1));
    EXPECT_EQ(timer_.calls.back(), "stop 1055");
    EXPECT_FALSE(commands_.IsSwitchPending());
    EXPECT_FALSE(commands_.OnTimer(0, *bar_, device_));
}

TEST_F(ProfileCommandsTest, FailedWritesAreReportedWithTheirFile) {
    ASSERT_TRUE(bar_->SelectProfile(0, false));  // the file records 0, a pick must write
    bar_->ProfileList().SetFileWriter([](const std::string& path, std::string_view) {
        return FileResult{false, path + ": disk full"};
    });
    EXPECT_TRUE(Click("device_add_btn"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].rfind(English("message_profile_file_error").substr(0, 20), 0), 0u);
    EXPECT_NE(messages_.shown[0].find(": disk full"), std::string::npos) << messages_.shown[0];
    EXPECT_EQ(bar_->GetProfileCount(), 2);

    Sub<CComboUI>("device_profile_combo")->SelectItem(1, false, false);
    commands_.OnItemSelect("device_profile_combo");
    commands_.OnTimer(1055, *bar_, device_);
    EXPECT_TRUE(device_.calls.empty()) << "the device keeps its profile";
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
}

TEST_F(ProfileCommandsTest, SpreadButtonFoldsTheMenuAndOtherControlsAreNotOurs) {
    EXPECT_TRUE(Click("profile_fun_spread_btn"));
    EXPECT_TRUE(bar_->IsMenuVisible());
    EXPECT_TRUE(Click("profile_fun_spread_btn"));
    EXPECT_FALSE(bar_->IsMenuVisible());
    EXPECT_FALSE(Click("default_btn"));
    EXPECT_FALSE(Click("device_profile_combo"));
}

TEST(FillMessage, FillsTheFirstConversionOnly) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"%d events too many", "3", "3 events too many"},
        {"Cannot import: %s", "a.json: bad", "Cannot import: a.json: bad"},
        {"100%% full, %d left", "7", "100% full, 7 left"},
        {"%d and %d", "1", "1 and %d"},
        {"%ld", "5", "5"},
        {"%n%x %s", "v", "%n%x v"},
        {"no conversion", "9", "no conversion 9"},
        {"ends with %", "2", "ends with % 2"},
        {"", "x", " x"},
    };
    for (const auto& [text, value, expected] : cases)
        EXPECT_EQ(FillMessage(text, value), expected) << text;
}

}  // namespace
}  // namespace tirk::test
