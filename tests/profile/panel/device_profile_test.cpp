// The profile bar: its layout, how it mirrors the profile list, what it
// shows after each operation, and its feature tabs.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <array>
#include <fstream>

#include "profile_panel_fixture.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/ui_test_support.h"

namespace tirk::test {
namespace {

TEST_F(ProfileBarTest, LayoutHasEveryNamedControl) {
    EXPECT_EQ(bar_->GetClass(), "DeviceProfile");
    EXPECT_NE(Sub<CComboUI>("device_profile_combo"), nullptr);
    EXPECT_NE(Sub<CEditUI>("device_profile_name_edit"), nullptr);
    EXPECT_NE(Sub<CContainerUI>("profile_menu_layout"), nullptr);
    for (const char* tab : kFeatureTabNames) EXPECT_NE(Sub<COptionUI>(tab), nullptr) << tab;
    for (const char* button :
         {"device_add_btn", "device_copy_btn", "device_sub_btn", "device_profile_edit_save_btn",
          "device_import_btn", "device_export_btn", "device_reset_btn", "profile_fun_spread_btn"})
        EXPECT_NE(Sub<CButtonUI>(button), nullptr) << button;
    EXPECT_FALSE(bar_->IsMenuVisible()) << "the menu starts folded";
}

TEST_F(ProfileBarTest, EveryTextOfTheLayoutIsAKeyThatEveryLanguageHas) {
    QFile layout(
        QString::fromStdString(std::string(TIRK_RESOURCE_DIR) + "/skin/" + kProfileBarLayout));
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(layout.readAll());
    EXPECT_FALSE(text.contains(QRegularExpression(R"((text|tooltip)="[^%])")))
        << "plain texts in the layout";
    QStringList keys;
    for (const auto& match : QRegularExpression(R"(%\[(\w+)\])").globalMatch(text))
        keys << match.captured(1);
    ASSERT_GE(keys.size(), 17);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(TIRK_RESOURCE_DIR) + "/skin")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("lan_", 0) != 0) continue;
        const std::string language = ReadText(entry.path().string());
        for (const QString& key : keys)
            EXPECT_NE(language.find("key=\"" + key.toStdString() + "\""), std::string::npos)
                << name << " lacks " << key.toStdString();
    }
}

TEST_F(ProfileBarTest, FirstStartShowsProfile1) {
    InitBar(2, "mouse");
    EXPECT_EQ(ComboTexts(), std::vector<std::string>{"Profile1"});
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
    EXPECT_EQ(bar_->GetNameEditText(), "Profile1");
    auto* item = Sub<CComboUI>("device_profile_combo")->GetItemAt(0);
    EXPECT_EQ(item->GetFixedHeight(), CDeviceProfileUI::kItemHeight);
    EXPECT_EQ(item->GetToolTip(), "Profile1");
    EXPECT_EQ(bar_->GetProfileCount(), 1);
    EXPECT_EQ(bar_->GetProfilePath(0), Data(bar_->GetActiveProfileId() + ".Json"));
    EXPECT_TRUE(std::filesystem::exists(bar_->GetProfilePath(0)));
}

TEST_F(ProfileBarTest, FeatureTabsShownByDeviceType) {
    // cursor, macro, system, key, deng, voice, magic, virtual 7.1
    const std::pair<int, std::array<bool, 8>> cases[] = {
        {2, {true, true, true, true, true, false, false, false}},
        {6, {true, true, true, true, true, false, false, false}},
        {1, {false, true, true, true, true, false, false, false}},
        {9, {false, true, true, true, true, false, false, false}},
        {3, {false, false, false, false, true, false, false, false}},
        {7, {false, false, false, false, true, true, true, true}},
    };
    for (const auto& [type, visible] : cases) {
        bar_ = BuildProfileBar();
        const char* folder = type == 7                ? "HD"
                             : type == 3              ? "MousePad"
                             : type == 1 || type == 9 ? "keyboard"
                                                      : "mouse";
        InitBar(type, folder);
        for (size_t i = 0; i < visible.size(); ++i)
            EXPECT_EQ(Sub<COptionUI>(kFeatureTabNames[i])->IsVisible(), visible[i])
                << "type " << type << " " << kFeatureTabNames[i];
    }
}

TEST_F(ProfileBarTest, SelectFeatureTabSelectsOneOrNoneSilently) {
    ui::test::RecordingWindow window(Path("window.xml"));
    auto* bar = ShowBarIn(window);
    ASSERT_NE(bar, nullptr);
    for (int n = 0; n <= 9; ++n) {
        bar->SelectFeatureTab(n);
        for (int k = 1; k <= 8; ++k) {
            auto* tab = window.Find<COptionUI>(kFeatureTabNames[k - 1]);
            EXPECT_EQ(tab->IsSelected(), k == n) << "n " << n << " tab " << k;
        }
    }
    EXPECT_TRUE(window.Of("selectchanged").empty());
}

TEST_F(ProfileBarTest, AfterAddTheComboStillShowsThePreviousProfile) {
    InitWithProfiles(2);
    ASSERT_TRUE(bar_->SelectProfile(1, false));
    ASSERT_TRUE(bar_->AddProfile());
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"Profile1", "profile2", "profile3"}));
    EXPECT_EQ(bar_->GetSelectedIndex(), 1);
    EXPECT_EQ(bar_->GetNameEditText(), "profile2");
    EXPECT_EQ(ListFile()["profileselect"], 2) << "the file names the new one";
    EXPECT_EQ(bar_->ProfileList().ActiveIndex(), 1);
}

TEST_F(ProfileBarTest, AfterDeletingTheSelectedProfileTheComboShowsTheNewActiveOne) {
    struct Case {
        int selected;
        int shown;
    } cases[] = {{2, 1}, {0, 0}, {1, 0}};
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir_ / "data");
        bar_ = BuildProfileBar();
        InitWithProfiles(3);
        ASSERT_TRUE(bar_->SelectProfile(c.selected, false));
        std::vector<std::string> names = ComboTexts();
        const std::string deletedId = bar_->GetActiveProfileId();
        names.erase(names.begin() + c.selected);

        ASSERT_TRUE(bar_->DeleteProfile());
        EXPECT_EQ(ComboTexts(), names);
        EXPECT_EQ(bar_->GetSelectedIndex(), c.shown);
        EXPECT_EQ(bar_->GetNameEditText(), names[size_t(c.shown)]);
        EXPECT_EQ(bar_->GetActiveProfileId(), bar_->ProfileList().Entries()[size_t(c.shown)].id);
        EXPECT_NE(bar_->GetActiveProfileId(), deletedId);
        EXPECT_EQ(ListFile()["profileselect"], c.shown);
    }
}

TEST_F(ProfileBarTest, RenameUpdatesItemTooltipAndEdit) {
    InitWithProfiles(2);
    ASSERT_TRUE(bar_->SelectProfile(1, false));
    EXPECT_EQ(bar_->RenameProfile("  Game  "), 1);
    auto* item = Sub<CComboUI>("device_profile_combo")->GetItemAt(1);
    EXPECT_EQ(item->GetText(), "Game");
    EXPECT_EQ(item->GetToolTip(), "Game");
    EXPECT_EQ(bar_->GetNameEditText(), "Game");
    EXPECT_EQ(bar_->RenameProfile("PROFILE1"), 0);
    EXPECT_EQ(bar_->RenameProfile("a&b"), 3);
    EXPECT_EQ(bar_->RenameProfile("   "), 2);
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"Profile1", "Game"}));
}

TEST_F(ProfileBarTest, SelectProfileNotifiesOnlyWhenAsked) {
    ui::test::RecordingWindow window(Path("window.xml"));
    auto* bar = ShowBarIn(window);
    ASSERT_NE(bar, nullptr);
    bar->SetDeviceTypeCode(2);
    bar->SetProfileFolders(Data(""), DefaultProfile("mouse"));
    ASSERT_TRUE(bar->InitProfiles());
    ASSERT_TRUE(bar->AddProfile());
    EXPECT_TRUE(window.Of("itemselect").empty()) << "start-up selects silently";

    ASSERT_TRUE(bar->SelectProfile(1, false));
    EXPECT_TRUE(window.Of("itemselect").empty());
    ASSERT_TRUE(bar->SelectProfile(0, true));
    ASSERT_EQ(window.Of("itemselect").size(), 1u);
    EXPECT_EQ(window.Of("itemselect")[0].sender, "device_profile_combo");
    EXPECT_EQ(window.Of("itemselect")[0].wParam, 0);
}

TEST_F(ProfileBarTest, FailedSelectKeepsThePreviousProfileShownAndActive) {
    InitWithProfiles(2);
    ASSERT_TRUE(bar_->SelectProfile(0, false));  // the file records 0, a pick must write
    const std::string active = bar_->GetActiveProfileId();
    bar_->ProfileList().SetFileWriter([](const std::string& path, std::string_view) {
        return FileResult{false, path + ": injected failure"};
    });
    Sub<CComboUI>("device_profile_combo")->SelectItem(1, false, false);  // the user's pick
    const ProfileResult result = bar_->SelectProfile(1, false);
    EXPECT_EQ(result.status, ProfileStatus::kFileError);
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
    EXPECT_EQ(bar_->GetNameEditText(), "Profile1");
    EXPECT_EQ(bar_->GetActiveProfileId(), active);
}

TEST_F(ProfileBarTest, RefusedImportLeavesTheComboAsItWas) {
    InitWithProfiles(2);
    WriteText(Path("x.json"), DefaultProfileText("keyboard"));
    const ProfileResult result = bar_->ImportProfile(Path("x.json"));
    EXPECT_EQ(result.status, ProfileStatus::kImportRefused);
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"Profile1", "profile2"}));
    ASSERT_TRUE(bar_->ImportProfile(ImportFile("mine.json")));
    EXPECT_EQ(ComboTexts().back(), "mine");
    EXPECT_EQ(bar_->GetSelectedIndex(), 0);
}

TEST_F(ProfileBarTest, MenuFoldsAndUnfolds) {
    bar_->SetMenuVisible(true);
    EXPECT_TRUE(bar_->IsMenuVisible());
    bar_->SetMenuVisible(false);
    EXPECT_FALSE(bar_->IsMenuVisible());
}

TEST_F(ProfileBarTest, ListChangedByAnotherBarIsMirroredAtTheNextOperation) {
    InitWithProfiles(2);
    auto other = BuildProfileBar();  // a second mouse shares the folder
    other->SetDeviceTypeCode(2);
    other->SetProfileFolders(Data(""), DefaultProfile("mouse"));
    ASSERT_TRUE(other->InitProfiles());
    ASSERT_TRUE(other->AddProfile());
    EXPECT_EQ(bar_->GetProfileCount(), 3);
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"Profile1", "profile2", "profile3"}));
}

}  // namespace
}  // namespace tirk::test
