// The installed default profiles and the folders profiles live in.
#include <gtest/gtest.h>

#include <cstdlib>

#include "profile/hs6533_profiledata.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_paths.h"
#include "test_folder.h"

namespace {

std::string DefaultFile(const char* folderName) {
    return tirk::DefaultProfilePath(TIRK_RESOURCE_DIR, folderName);
}

template <typename Profile>
void LoadDefault(Profile& profile, const char* folderName) {
    ASSERT_TRUE(profile.LoadDocument(DefaultFile(folderName)).isObject()) << folderName;
}

TEST(DefaultProfiles, AreInTheProgramsOwnStyledForm) {
    for (const char* name : {"mouse", "keyboard", "MousePad", "HD"}) {
        const std::string path = DefaultFile(name);
        tirk::JsonReadStatus status;
        std::string error;
        const Json::Value root = tirk::ReadJsonFile(path, status, error);
        ASSERT_EQ(status, tirk::JsonReadStatus::Ok) << error;
        EXPECT_EQ(root["Device"].size(), 1u) << name;
        EXPECT_EQ(tirk::test::ReadText(path), tirk::StyledJsonText(root))
            << name << ": a saved copy differs from the default only where values differ";
    }
}

TEST(DefaultProfiles, MouseHasElevenButtonsAndFiveStages) {
    tirk::CMouseProfiledata mouse;
    LoadDefault(mouse, "mouse");
    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 11u);
    EXPECT_EQ(keys[0].current.code, (tirk::AssignmentCode{0x10, 0x01, 0x00}))
        << "left button first";
    for (const auto& key : keys) EXPECT_EQ(key.current.code, key.defaultHalf.code);
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    const uint16_t dpis[] = {400, 800, 1600, 3200, 6400};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(stages[i].DpiX(), dpis[i]);
        EXPECT_EQ(stages[i].DpiY(), dpis[i]);
        EXPECT_EQ(stages[i].enabled, 1);
    }
    EXPECT_EQ(mouse.GetActiveDpiStage(), 2);
    EXPECT_EQ(mouse.GetLightList().size(), 15u);
    const auto presets = mouse.GetCorrectPresets();
    ASSERT_GE(presets.size(), 2u);
    EXPECT_EQ(std::count_if(presets.begin(), presets.end(), [](auto& p) { return p.select != 0; }),
              1);
    EXPECT_NE(mouse.GetPointerSettings().words[0], 0u);
}

TEST(DefaultProfiles, KeyboardHas170PositionsWithTheirFactoryCodes) {
    tirk::CKeyboardProfiledata keyboard;
    LoadDefault(keyboard, "keyboard");
    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    struct Position {
        size_t index;
        tirk::AssignmentCode code;
    } positions[] = {{0, {0x20, 0, 0x29}},   {16, {0xA0, 0x1B, 0}},  {18, {0x20, 0, 0}},
                     {64, {0x20, 0, 0x04}},  {84, {0x20, 0x02, 0}},  {110, {0xA0, 0x01, 0}},
                     {124, {0xD0, 0xA2, 5}}, {125, {0x20, 0x80, 0}}, {169, {0x20, 0, 0}}};
    for (const Position& p : positions)
        EXPECT_EQ(keys[p.index].defaultHalf.code, p.code) << p.index;
    EXPECT_EQ(keyboard.GetLightList().size(), 170u);
    EXPECT_GE(keyboard.GetCustomLightColors(keyboard.GetCustomLightGroup(), 170).size(), 170u);
    EXPECT_EQ(keyboard.Document()["CustomLightMode"]["LightColorInfo"][0].size(), 170u);
    EXPECT_NE(keyboard.GetKeyboardSettings().words[1], 0u);
}

TEST(DefaultProfiles, HeadsetHasTwelvePresetsAndMatchingCustomCurves) {
    tirk::CHs6533Profiledata headset;
    LoadDefault(headset, "HD");
    const Json::Value& presets = headset.Document()["EQHzValueInfo"];
    ASSERT_EQ(presets.size(), 13u);
    for (const Json::Value& row : presets) EXPECT_EQ(row.size(), 10u);
    const auto settings = headset.GetHeadsetSettings();
    EXPECT_EQ(headset.GetEqBands(settings.eqType), std::vector<int32_t>(10, 0)) << "ships flat";
    EXPECT_EQ(headset.GetCustomEqNames().size(), headset.Document()["CustomEQHzValueInfo"].size());
    EXPECT_EQ(headset.GetLightList().size(), 13u);
}

TEST(DefaultProfiles, MousePadHasFifteenZones) {
    tirk::CBasicProfiledata pad;
    LoadDefault(pad, "MousePad");
    EXPECT_EQ(pad.GetLightList().size(), 15u);
    EXPECT_NE(pad.GetLightInfo().light, 0);
}

class ProfilePaths : public tirk::test::TestFolder {};

TEST_F(ProfilePaths, DeviceFoldersFollowXdgDataHome) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    std::string folder;
    const tirk::FileResult made = tirk::MakeDeviceDataFolder(tirk::DeviceFolderName(6), folder);
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    const std::string fallback = tirk::UserDataRoot();
    if (saved)
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");

    EXPECT_TRUE(made.ok) << made.error;
    EXPECT_EQ(folder, dir_.string() + "/Vorpaline TIRK/mouse/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_NE(fallback.find("/.local/share/Vorpaline TIRK/"), std::string::npos) << fallback;
}

TEST_F(ProfilePaths, UnmakeableDeviceFolderIsReported) {
    tirk::test::WriteText(Path("file"), "x");
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", Path("file").c_str(), 1);
    std::string folder;
    const tirk::FileResult made = tirk::MakeDeviceDataFolder("HD", folder);
    if (saved)
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(made.ok);
    EXPECT_NE(made.error.find("Vorpaline TIRK/HD/"), std::string::npos) << made.error;
}

TEST(ProfilePathNames, FollowTheDeviceTypeCode) {
    const std::pair<int, const char*> table[] = {{1, "keyboard"}, {9, "keyboard"}, {2, "mouse"},
                                                 {6, "mouse"},    {3, "MousePad"}, {7, "HD"},
                                                 {0, ""},         {4, ""}};
    for (const auto& [code, name] : table) EXPECT_EQ(tirk::DeviceFolderName(code), name) << code;
    EXPECT_EQ(tirk::DefaultProfilePath("/opt/tirk", "HD"), "/opt/tirk/DefaultData/HD.Json");
    EXPECT_EQ(tirk::DefaultProfilePath("/opt/tirk/", "mouse"), "/opt/tirk/DefaultData/mouse.Json");
}

}  // namespace
