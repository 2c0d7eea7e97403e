// Loading, repairing and saving profile files, and the rules of the section
// readers and writers.
#include <gtest/gtest.h>

#include "profile/hs6533_profiledata.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "test_folder.h"

namespace {

using tirk::test::LoadDeviceDocument;
using tirk::test::Parse;
using tirk::test::ReadText;
using tirk::test::WriteText;

const std::string kDefaultMouse = TIRK_RESOURCE_DIR "/DefaultData/mouse.Json";

class ProfileFileTest : public tirk::test::TestFolder {
protected:
    Json::Value DefaultMouseDocument() { return tirk::ReadJson(kDefaultMouse)["Device"][0]; }
};

TEST_F(ProfileFileTest, NewProfileIsCreatedFromTheDefault) {
    tirk::CMouseProfiledata profile;
    profile.SetDefaultPath(kDefaultMouse);
    const std::string path = Path("2024_01_01_00_00_00_000.Json");
    const Json::Value document = profile.LoadDocument(path);

    ASSERT_TRUE(document.isObject());
    EXPECT_EQ(document, DefaultMouseDocument());
    const Json::Value root = tirk::ReadJson(path);
    EXPECT_EQ(root["Device"].size(), 1u);
    EXPECT_EQ(root["Device"][0], DefaultMouseDocument());
    EXPECT_EQ(ReadText(path), tirk::StyledJsonText(root)) << "written in the styled form";
    EXPECT_EQ(profile.GetKeyList().size(), 11u);
    EXPECT_EQ(profile.GetDpiStages().size(), 5u);
}

TEST_F(ProfileFileTest, FileWithoutDeviceDocumentIsRepairedKeepingItsOtherContent) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> kept;  // root members that must survive unchanged
    } cases[] = {
        {"no Device member",
         R"({"profilename":"P1","profileUUID":"id","Other":[1,{"a":2}]})",
         {"profilename", "profileUUID", "Other"}},
        {"null element, second element present",
         R"({"Device":[null,{"second":true}],"profilename":"P"})",
         {"profilename"}},
        {"empty Device array", R"({"Device":[],"profileUUID":"x"})", {"profileUUID"}},
    };
    for (const Case& c : cases) {
        const std::string path = Path("p.Json");
        WriteText(path, c.file);
        const Json::Value before = Parse(c.file);
        tirk::CMouseProfiledata profile;
        profile.SetDefaultPath(kDefaultMouse);
        EXPECT_EQ(profile.LoadDocument(path), DefaultMouseDocument()) << c.what;
        const Json::Value after = tirk::ReadJson(path);
        EXPECT_EQ(after["Device"][0], DefaultMouseDocument()) << c.what;
        for (const std::string& name : c.kept)
            EXPECT_EQ(after[name], before[name]) << c.what << ": " << name;
        if (before["Device"].size() > 1) {
            EXPECT_EQ(after["Device"][1], before["Device"][1]) << c.what;
        }
        EXPECT_EQ(Files(), std::vector<std::string>{"p.Json"})
            << c.what << ": nothing to keep aside";
    }
}

TEST_F(ProfileFileTest, UnusableFileIsKeptAsideBeforeTheRepair) {
    const char* texts[] = {"{ \"Device\" : [ { \"half", "[ 1, 2 ]", R"({"Device":"text"})",
                           R"({"Device":[7]})"};
    for (const char* text : texts) {
        const std::string path = Path("p.Json");
        std::filesystem::remove(path + ".broken");
        WriteText(path, text);
        tirk::CMouseProfiledata profile;
        profile.SetDefaultPath(kDefaultMouse);
        EXPECT_EQ(profile.LoadDocument(path), DefaultMouseDocument()) << text;
        EXPECT_EQ(ReadText(path + ".broken"), text);
        EXPECT_EQ(tirk::ReadJson(path)["Device"][0], DefaultMouseDocument()) << text;
    }
}

TEST_F(ProfileFileTest, EmptyDeviceObjectIsUsedAsIs) {
    const std::string path = Path("p.Json");
    const std::string text = R"({ "Device" : [ {} ] })";
    WriteText(path, text);
    tirk::CHs6533Profiledata profile;
    profile.SetDefaultPath(Path("no-such-default.Json"));
    EXPECT_EQ(profile.LoadDocument(path), Json::Value(Json::objectValue));
    EXPECT_EQ(ReadText(path), text) << "the file is not rewritten";
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_EQ(profile.GetLightInfo(), tirk::LightInfoRecord{});
    EXPECT_TRUE(profile.GetLightList().empty());
    EXPECT_EQ(profile.GetHeadsetSettings(), tirk::HeadsetSettings{});
    EXPECT_TRUE(profile.GetCustomEqNames().empty());
}

TEST_F(ProfileFileTest, MissingDefaultGivesANullDocumentAndZeroReaders) {
    const std::string path = Path("p.Json");
    tirk::CMouseProfiledata profile;
    profile.SetDefaultPath(Path("no-such-default.Json"));
    EXPECT_TRUE(profile.LoadDocument(path).isNull());
    EXPECT_EQ(tirk::ReadJson(path), Parse(R"({"Device":[null]})"));
    EXPECT_TRUE(profile.GetDpiStages().empty());
    EXPECT_EQ(profile.GetPointerSettings(), tirk::PointerSettings{});
    EXPECT_TRUE(profile.GetCorrectPresets().empty());
}

TEST_F(ProfileFileTest, SaveKeepsUnknownMembersAndOtherDeviceElements) {
    const std::string path = Path("p.Json");
    WriteText(path, R"({
        "Device" : [ { "LightInfo" : { "Red" : 1 }, "Unknown" : { "a" : [ 1, "b" ] } },
                     { "second" : true } ],
        "profilename" : "Mine", "profileUUID" : "2024_1", "Extra" : [ 1, 2 ] })");
    const Json::Value before = tirk::ReadJson(path);
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath(path);
    profile.LoadDocument(path);
    tirk::LightInfoRecord light;
    light.red = 200;
    profile.SetLightInfo(light);
    ASSERT_TRUE(profile.SaveProfile());

    const Json::Value after = tirk::ReadJson(path);
    EXPECT_EQ(after["Device"][0]["LightInfo"]["Red"].asInt(), 200);
    EXPECT_EQ(after["Device"][0]["Unknown"], before["Device"][0]["Unknown"]);
    EXPECT_EQ(after["Device"][1], before["Device"][1]);
    for (const char* name : {"profilename", "profileUUID", "Extra"})
        EXPECT_EQ(after[name], before[name]) << name;
}

TEST_F(ProfileFileTest, SavedFileIsSortedStyledTextByteForByte) {
    const std::string path = Path("p.Json");
    WriteText(
        path,
        R"({"profilename":"Pad","profileUUID":"2024_01_02_03_04_05_006","Device":[{"Zeta":[1,2,3]}]})");
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath(path);
    profile.LoadDocument(path);
    tirk::LightInfoRecord light;
    light.selectItem = 5, light.light = 4, light.speed = 2, light.fx = 1, light.multiColor = 1;
    light.red = 1, light.green = 2, light.blue = 3, light.zzccLedMode = 8, light.customGroup = 9;
    light.oldLedmode = 7;
    profile.SetLightInfo(light);
    ASSERT_TRUE(profile.SaveProfile());
    EXPECT_EQ(ReadText(path), ReadText(TIRK_TEST_DATA_DIR "/profile/styled_golden.Json"));
}

TEST_F(ProfileFileTest, FailedSaveIsReportedAndTheDocumentStaysEdited) {
    WriteText(Path("folder"), "a file where the folder should be");
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath(Path("folder/p.Json"));
    tirk::LightInfoRecord light;
    light.red = 9;
    profile.SetLightInfo(light);
    const tirk::FileResult result = profile.SaveProfile();
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("folder/p.Json"), std::string::npos) << result.error;
    EXPECT_EQ(profile.GetLightInfo().red, 9);
    EXPECT_FALSE(tirk::CBasicProfiledata().SaveProfile().ok) << "no profile file set";
}

TEST_F(ProfileFileTest, ScratchDocumentIsSeparateFromTheDeviceDocument) {
    const std::string active = Path("active.Json"), other = Path("other.Json");
    WriteText(active, R"({"Device":[{"KeyList":[{"Assignment":1,"DefaultAssignment":1}]}]})");
    WriteText(
        other,
        R"({"Device":[{"KeyList":[{"Assignment":2,"DefaultAssignment":2}]}],"profilename":"O"})");
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath(active);
    profile.LoadDocument(active);
    profile.LoadScratchDocument(other);
    auto scratch = profile.GetScratchKeyList();
    ASSERT_EQ(scratch.size(), 1u);
    scratch[0].current.code = {0x10, 0x04, 0};
    profile.SetScratchKeyList(scratch);
    ASSERT_TRUE(profile.SaveScratch(other));
    EXPECT_EQ(tirk::ReadJson(other)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x100400);
    EXPECT_EQ(tirk::ReadJson(other)["profilename"].asString(), "O");
    EXPECT_EQ(profile.GetKeyList()[0].current.code.Value(), 1u);
}

TEST_F(ProfileFileTest, SetKeyListWritesOnlyTheGivenCurrentCodes) {
    tirk::CBasicProfiledata profile;
    LoadDeviceDocument(profile, Path("p.Json"), R"({"KeyList":[
        {"Assignment":1048832,"DefaultAssignment":1048832},
        {"Assignment":1049088,"DefaultAssignment":1049088},
        {"Assignment":1049600,"DefaultAssignment":1049600}]})");
    auto list = profile.GetKeyList();
    list.resize(2);
    list[0].current.code = {0x70, 3, 1};
    list[0].defaultHalf.code = {0x99, 9, 9};
    list[1].current.code = {0x20, 0x02, 0x04};
    profile.SetKeyList(list);
    const Json::Value& keys = profile.Document()["KeyList"];
    EXPECT_EQ(keys[0]["Assignment"].asInt(), 0x700301);
    EXPECT_EQ(keys[0]["DefaultAssignment"].asInt(), 1048832) << "defaults are never written";
    EXPECT_EQ(keys[1]["Assignment"].asInt(), 0x200204);
    EXPECT_EQ(keys[2]["Assignment"].asInt(), 1049600) << "elements beyond the list are left";
}

TEST_F(ProfileFileTest, DpiStagesMergeIntoTheMemberList) {
    auto stages = [](int count, int base) {
        std::string list;
        for (int i = 0; i < count; ++i)
            list += std::string(i ? "," : "") + R"({"StageActive":1,"StageDPIX":)" +
                    std::to_string(base + i) + "}";
        return R"({"DPIStages":{"StageActive":)" + std::to_string(count - 1) + R"(,"StageDPIs":[)" +
               list + "]}}";
    };
    tirk::CMouseProfiledata profile;
    LoadDeviceDocument(profile, Path("seven.Json"), stages(7, 100));
    ASSERT_EQ(profile.GetDpiStages().size(), 7u);
    LoadDeviceDocument(profile, Path("five.Json"), stages(5, 200));
    const auto merged = profile.GetDpiStages();
    ASSERT_EQ(merged.size(), 7u);
    EXPECT_EQ(merged[4].DpiX(), 204);
    EXPECT_EQ(merged[5].DpiX(), 105) << "stages beyond the read count keep their values";
    EXPECT_EQ(profile.GetActiveDpiStage(), 4);
    profile.SetActiveDpiStage(2);
    EXPECT_EQ(profile.Document()["DPIStages"]["StageActive"].asInt(), 2);
}

TEST_F(ProfileFileTest, EqPresetRowsFollowTheEqType) {
    tirk::CHs6533Profiledata profile;
    profile.SetDefaultPath(TIRK_RESOURCE_DIR "/DefaultData/HD.Json");
    profile.SetProfilePath(Path("hd.Json"));
    profile.LoadDocument(Path("hd.Json"));
    const auto row1 = profile.GetEqBands(1);
    ASSERT_EQ(row1.size(), 10u);
    EXPECT_EQ(row1, (std::vector<int32_t>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_TRUE(profile.GetEqBands(13).empty());
    EXPECT_EQ(profile.GetEqBands(0), row1);
    EXPECT_EQ(profile.GetEqBands(20), row1);
    EXPECT_EQ(profile.GetEqBands(-4), row1);
    EXPECT_EQ(profile.GetEqBands(12), (std::vector<int32_t>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));

    const tirk::CHs6533Profiledata::Bands levels{1, 2, 3, 4, 5, 6, 7, 8, 9, -10};
    const Json::Value before = profile.Document();
    profile.SetEqBands(13, levels);
    EXPECT_EQ(profile.Document(), before) << "type 13 has no preset row";
    profile.SetEqBands(3, levels);
    EXPECT_EQ(profile.GetEqBands(3), std::vector<int32_t>(levels.begin(), levels.end()));
    profile.SetCustomEqBands(1, levels);
    EXPECT_EQ(profile.GetCustomEqBands(1), std::vector<int32_t>(levels.begin(), levels.end()));
    EXPECT_TRUE(profile.GetCustomEqBands(-1).empty());
    EXPECT_TRUE(profile.GetCustomEqBands(tirk::CHs6533Profiledata::kMaxCustomCurves).empty());
}

TEST_F(ProfileFileTest, MissingEqBandsReadAsZeroAndAreWrittenOnSave) {
    tirk::CHs6533Profiledata profile;
    LoadDeviceDocument(profile, Path("hd.Json"), "{}");
    EXPECT_EQ(profile.GetEqBands(4), std::vector<int32_t>(10, 0));
    ASSERT_TRUE(profile.SaveProfile());
    const Json::Value saved = tirk::ReadJson(Path("hd.Json"))["Device"][0]["EQHzValueInfo"][4];
    ASSERT_EQ(saved.size(), 10u);
    for (const Json::Value& band : saved) EXPECT_EQ(band, Parse(R"({"value":0})"));
}

TEST_F(ProfileFileTest, HeadsetSettingsAndCustomCurveNamesRoundTrip) {
    tirk::CHs6533Profiledata profile;
    LoadDeviceDocument(profile, Path("hd.Json"), "{}");
    const tirk::HeadsetSettings settings{1, 2, 13, 4, 1, 80, 0, 50};
    profile.SetHeadsetSettings(settings);
    profile.SetCustomEqNames({L"Bass", L"\u4EBA\u58F0", L""});
    ASSERT_TRUE(profile.SaveProfile());
    tirk::CHs6533Profiledata reloaded;
    reloaded.LoadDocument(Path("hd.Json"));
    EXPECT_EQ(reloaded.GetHeadsetSettings(), settings);
    EXPECT_EQ(reloaded.GetCustomEqNames(),
              (std::vector<std::wstring>{L"Bass", L"\u4EBA\u58F0", L""}));
    EXPECT_EQ(reloaded.Document()["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 4);
}

TEST_F(ProfileFileTest, CustomLightColorsAreCreatedWhenMissing) {
    tirk::CKeyboardProfiledata profile;
    LoadDeviceDocument(profile, Path("kb.Json"),
                       R"({"CustomLightMode":{"CustomLightModeGroupIndex":2,
                           "LightColorInfo":[[],[{"Red":1,"Green":2,"Blue":3,"Alpha":4}]]}})");
    EXPECT_EQ(profile.GetCustomLightGroup(), 2);
    const auto colors = profile.GetCustomLightColors(1, 3);
    EXPECT_EQ(colors, (std::vector<tirk::CustomLightColor>{{1, 2, 3, 4}, {}, {}}));
    const Json::Value& group = profile.Document()["CustomLightMode"]["LightColorInfo"][1];
    ASSERT_EQ(group.size(), 3u);
    EXPECT_EQ(group[2], Parse(R"({"Red":0,"Green":0,"Blue":0,"Alpha":0})"));

    profile.SetCustomLightColors(3, {{9, 8, 7, 255}});
    profile.SetCustomLightGroup(3);
    EXPECT_EQ(profile.GetCustomLightColors(3, 1),
              (std::vector<tirk::CustomLightColor>{{9, 8, 7, 255}}));
    EXPECT_EQ(profile.GetCustomLightGroup(), 3);
    EXPECT_TRUE(profile.GetCustomLightColors(-1, 3).empty());
    EXPECT_TRUE(profile.GetCustomLightColors(0, tirk::CKeyboardProfiledata::kMaxLeds + 1).empty());
}

TEST_F(ProfileFileTest, CorrectPresetsCarryTheirNames) {
    tirk::CMouseProfiledata profile;
    LoadDeviceDocument(profile, Path("m.Json"),
                       R"({"CorrectInfo":[{"CorrectPixThresh":4,"CorrectMinSq":8,"CorrectSelect":0,
                           "CorrectName":"Light"},{"CorrectSelect":1,"CorrectName":"\u76f4\u7ebf"}]})");
    EXPECT_EQ(profile.GetCorrectPresets(),
              (std::vector<tirk::CorrectPreset>{{4, 8, 0, L"Light"}, {0, 0, 1, L"\u76F4\u7EBF"}}));
}

TEST_F(ProfileFileTest, EmptyPathArgumentsKeepTheOldPaths) {
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath("/a.Json");
    profile.SetDefaultPath("/d.Json");
    profile.SetProfilePath("");
    profile.SetDefaultPath("");
    EXPECT_EQ(profile.GetProfilePath(), "/a.Json");
    EXPECT_EQ(profile.GetDefaultPath(), "/d.Json");
}

}  // namespace
