// The lighting files: the mode lists of the lighting defaults file, the
// custom effects of the lighting configuration file, the effect step files,
// the shipped copies of all three, and what a broken or hostile file does.
#include "profile/lighting_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "core/log.h"
#include "profile/basic_profiledata.h"
#include "profile/json_file.h"
#include "test_folder.h"

namespace {

using tirk::EffectStep;
using tirk::LightingNameLists;
using tirk::test::Parse;
using tirk::test::ReadText;
using tirk::test::WriteText;

const std::string kShipped = std::string(TIRK_RESOURCE_DIR) + "/DefaultData/";
const std::string kTestData = std::string(TIRK_TEST_DATA_DIR) + "/profile/lighting/";

// ---- building the files the way the installed data holds them ----

Json::Value ModesOf(const LightingNameLists& lists, bool extras) {
    Json::Value modes(Json::arrayValue);
    for (size_t i = 0; i < lists.modeNames.size(); ++i) {
        Json::Value mode;
        mode["LightName"] = lists.modeNames[i];
        mode["visible"] = lists.modeVisible[i] != 0;
        mode["value"] = lists.modeCodes[i];
        if (extras) mode["Comment"] = "not read";
        modes.append(mode);
    }
    return modes;
}

Json::Value NamedEffects(const std::vector<std::string>& names, bool extras) {
    Json::Value effects(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value effect;
        effect["LightName"] = name;
        effect["Guid"] = "2024_01_02_03_04_05_006";
        if (extras) effect["Author"] = "not read";
        effects.append(effect);
    }
    return effects;
}

Json::Value StepFile(const std::vector<EffectStep>& steps, bool extras) {
    Json::Value root;
    Json::Value& list = root["LEDEffectList"] = Json::Value(Json::arrayValue);
    for (const EffectStep& step : steps) {
        Json::Value element;
        element["LEDREGMode"] = step.mode;
        element["LEDBrightness"] = step.brightness;
        element["LEDSpeed"] = step.speed;
        element["LEDDirection"] = step.direction;
        element["LEDMultiColor"] = step.multiColor;
        element["red"] = step.red;
        element["green"] = step.green;
        element["blue"] = step.blue;
        element["Time"] = step.time;
        element["Cyle"] = step.cycle;
        if (extras) element["Note"] = Json::Value(Json::objectValue);
        list.append(element);
    }
    if (extras) root["Version"] = 3;
    return root;
}

/// A lighting configuration whose first list names `guids` in order.
Json::Value ConfigNaming(const std::vector<Json::Value>& guids) {
    Json::Value root;
    Json::Value& first = root["LightInfo"][0] = Json::Value(Json::arrayValue);
    for (const Json::Value& guid : guids) {
        Json::Value effect;
        effect["LightName"] = "effect";
        effect["Guid"] = guid;
        first.append(effect);
    }
    return root;
}

LightingNameLists SomeLists() {
    LightingNameLists lists;
    lists.modeNames = {"light_mode_wave", "light_mode_reserved", "名前 \xF0\x9F\x8C\x88"};
    lists.modeVisible = {1, 0, 1};
    lists.modeCodes = {1, 19, -5};
    lists.customEffectNames = {"light_custom_aurora", "Mein Effekt"};
    return lists;
}

const std::vector<EffectStep> kSomeSteps = {
    {4, 4, 2, 1, 1, 0, 0, 0, 3000, 1},
    {0, 3, 0, 0, 0, 255, 128, 7, 250, 0},
    {5, 1, 4, 0, 1, 1, 2, 3, 2147483647, -1},
};

class LightingFilesTest : public tirk::test::TestFolder {
protected:
    void Write(const std::string& name, const Json::Value& root) {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        ASSERT_TRUE(tirk::WriteJson(Path(name), root)) << name;
    }
    void WriteRaw(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        WriteText(Path(name), text);
    }
    /// A profile object whose device document selects mode `mode`, with the
    /// user's configuration in "user/" and the installed data in "DefaultData/".
    void MakeProfile(tirk::CBasicProfiledata& profile, int mode) {
        WriteRaw("p.Json",
                 R"({"Device":[{"LightInfo":{"SelectItem":)" + std::to_string(mode) + "}}]}");
        profile.SetProfilePath(Path("p.Json"));
        profile.SetDefaultPath(Path("DefaultData/keyboard.Json"));
        profile.SetLightConfigPath(Path("user/zintu_light.config"));
        profile.LoadDocument(Path("p.Json"));
    }
    std::vector<EffectStep> StepsOfMode(int mode) {
        tirk::CBasicProfiledata profile;
        MakeProfile(profile, mode);
        profile.LoadLightConfig();
        return profile.LoadEffectSteps();
    }
};

// ---- round trips ----

TEST_F(LightingFilesTest, EachFileReadsBackWhatWasWrittenWithOrWithoutExtraMembers) {
    for (const bool extras : {false, true}) {
        SCOPED_TRACE(extras ? "with extra members" : "plain");
        const LightingNameLists written = SomeLists();
        Json::Value defaults;
        defaults["DefaultLightName"][2] = ModesOf(written, extras);
        Json::Value config;
        config["LightInfo"][2] = NamedEffects(written.customEffectNames, extras);
        if (extras) defaults["Vendor"] = config["Vendor"] = "extra";
        Write("DefaultData/default_light.json", defaults);
        Write("user/zintu_light.config", config);
        LightingNameLists read;
        tirk::LoadLightingNameLists(Path("DefaultData/"), Path("user/zintu_light.config"), 2, read);
        EXPECT_EQ(read, written);

        config["LightInfo"][0] = ConfigNaming({"2024_01_02_03_04_05_006"})["LightInfo"][0];
        Write("user/zintu_light.config", config);
        Write("user/2024_01_02_03_04_05_006.light", StepFile(kSomeSteps, extras));
        tirk::CBasicProfiledata profile;
        MakeProfile(profile, 0);
        profile.LoadLightConfig();
        EXPECT_EQ(profile.LoadEffectSteps(), kSomeSteps);
        EXPECT_EQ(profile.EffectSteps(), kSomeSteps) << "the object keeps the list it returned";
    }
}

// ---- the name lists: replaced whole or kept ----

TEST_F(LightingFilesTest, ModeListsAreReplacedOnlyByAnArrayEntry) {
    struct Case {
        const char* name;
        const char* defaults;  ///< JSON text; "" for no document
        bool replaced;
        size_t modes;
    };
    const std::vector<Case> cases = {
        {"no document", "", false, 0},
        {"root not an object", "[1,2]", false, 0},
        {"no list", R"({"Other":[]})", false, 0},
        {"list not an array", R"({"DefaultLightName":{"1":[]}})", false, 0},
        {"no entry for the family", R"({"DefaultLightName":[[]]})", false, 0},
        {"null entry", R"({"DefaultLightName":[[],null]})", false, 0},
        {"entry of another type", R"({"DefaultLightName":[[],"wave"]})", false, 0},
        {"entry an object", R"({"DefaultLightName":[[],{"LightName":"x"}]})", false, 0},
        {"empty entry", R"({"DefaultLightName":[[],[]]})", true, 0},
        {"entry", R"({"DefaultLightName":[[],[{"LightName":"a"},{"LightName":"b"}]]})", true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Json::Value root = *c.defaults ? Parse(c.defaults) : Json::Value();
        LightingNameLists lists = SomeLists();
        EXPECT_EQ(tirk::UpdateModeLists(root, 1, "test.json", lists), c.replaced);
        const LightingNameLists previous = SomeLists();
        if (!c.replaced) {
            EXPECT_EQ(lists, previous);
            continue;
        }
        EXPECT_EQ(lists.modeNames.size(), c.modes);
        EXPECT_EQ(lists.modeVisible.size(), c.modes);
        EXPECT_EQ(lists.modeCodes.size(), c.modes);
        EXPECT_EQ(lists.customEffectNames, previous.customEffectNames) << "another file's list";
    }
}

TEST_F(LightingFilesTest, CustomEffectNamesAreReplacedOnlyByAnArrayEntry) {
    struct Case {
        const char* name;
        const char* config;
        std::vector<std::string> names;  ///< empty: kept
    };
    const std::vector<Case> cases = {
        {"no list", R"({"DefaultLightName":[]})", {}},
        {"null entry", R"({"LightInfo":[null]})", {}},
        {"entry a string", R"({"LightInfo":["x"]})", {}},
        {"entry",
         R"({"LightInfo":[[{"LightName":"a","Guid":"g"},5,{"LightName":7}]]})",
         {"a", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LightingNameLists lists = SomeLists();
        tirk::UpdateCustomEffectNames(Parse(c.config), 0, "test.config", lists);
        EXPECT_EQ(lists.customEffectNames,
                  c.names.empty() ? SomeLists().customEffectNames : c.names);
        EXPECT_EQ(lists.modeNames, SomeLists().modeNames);
    }
}

TEST_F(LightingFilesTest, BadModeEntriesKeepTheirPlaceWithNeutralValues) {
    LightingNameLists lists = SomeLists();
    const Json::Value defaults = tirk::ReadJson(kTestData + "defaults_small.json");
    ASSERT_TRUE(tirk::UpdateModeLists(defaults, 2, "defaults_small.json", lists));
    EXPECT_EQ(lists.modeNames, (std::vector<std::string>{"light_mode_wave", "", ""}));
    EXPECT_EQ(lists.modeVisible, (std::vector<uint8_t>{1, 0, 0})) << "1 is visible, \"yes\" is not";
    EXPECT_EQ(lists.modeCodes, (std::vector<int32_t>{0, 0, 0})) << "\"2\" is not a code";

    for (const int family : {1, 3}) {
        LightingNameLists kept = SomeLists();
        EXPECT_FALSE(tirk::UpdateModeLists(defaults, family, "defaults_small.json", kept));
        EXPECT_EQ(kept, SomeLists()) << "family " << family;
    }

    const Json::Value odd = Parse(R"({"DefaultLightName":[[
        {"LightName":"\u00e9","visible":false,"value":4294967296},
        {"LightName":"ok","visible":true,"value":7.0}]]})");
    ASSERT_TRUE(tirk::UpdateModeLists(odd, 0, "odd.json", lists));
    EXPECT_EQ(lists.modeNames[0], "\xC3\xA9");
    EXPECT_EQ(lists.modeCodes, (std::vector<int32_t>{0, 7})) << "a code beyond 32 bits reads 0";
    EXPECT_EQ(lists.modeVisible, (std::vector<uint8_t>{0, 1}));
}

TEST_F(LightingFilesTest, NamesAreWellFormedUtf8) {
    // Bytes that are not UTF-8 become U+FFFD, as a wide text would have them.
    WriteRaw("DefaultData/default_light.json",
             "{\"DefaultLightName\":[[{\"LightName\":\"a\xFF"
             "b\",\"visible\":true,\"value\":1}]]}");
    LightingNameLists lists;
    tirk::LoadLightingNameLists(Path("DefaultData/"), Path("user/zintu_light.config"), 0, lists);
    ASSERT_EQ(lists.modeNames.size(), 1u);
    EXPECT_EQ(lists.modeNames[0],
              "a\xEF\xBF\xBD"
              "b");
}

TEST_F(LightingFilesTest, TheUsersConfigurationComesFirstThenTheInstalledOne) {
    Write("DefaultData/zintu_light.config",
          Parse(R"({"LightInfo":[[{"LightName":"installed"}]]})"));
    LightingNameLists lists;
    tirk::LoadLightingNameLists(Path("DefaultData/"), Path("user/zintu_light.config"), 0, lists);
    EXPECT_EQ(lists.customEffectNames, std::vector<std::string>{"installed"});

    Write("user/zintu_light.config", Parse(R"({"LightInfo":[[{"LightName":"mine"}]]})"));
    tirk::LoadLightingNameLists(Path("DefaultData/"), Path("user/zintu_light.config"), 0, lists);
    EXPECT_EQ(lists.customEffectNames, std::vector<std::string>{"mine"});

    // A user's file that does not parse is not replaced by the installed one.
    WriteRaw("user/zintu_light.config", "{ broken");
    std::string source;
    EXPECT_TRUE(tirk::ReadLightConfig(Path("user/zintu_light.config"),
                                      Path("DefaultData/zintu_light.config"), source)
                    .isNull());
    EXPECT_EQ(source, Path("user/zintu_light.config"));
    tirk::LoadLightingNameLists(Path("DefaultData/"), Path("user/zintu_light.config"), 0, lists);
    EXPECT_EQ(lists.customEffectNames, std::vector<std::string>{"mine"}) << "kept";
}

TEST(InstalledLightConfig, HasTheNameOfTheUsersFileInTheDefaultDataFolder) {
    struct Case {
        const char* folder;
        const char* user;
        const char* installed;
    };
    const std::vector<Case> cases = {
        {"/opt/tirk/DefaultData/", "/home/u/keyboard/zintu_light.config",
         "/opt/tirk/DefaultData/zintu_light.config"},
        {"/opt/tirk/DefaultData", "/home/u/mouse/other_light.config",
         "/opt/tirk/DefaultData/other_light.config"},
        {"/opt/tirk/DefaultData/", "", "/opt/tirk/DefaultData/zintu_light.config"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tirk::InstalledLightConfigPath(c.folder, c.user), c.installed) << c.user;
}

// ---- the custom effect of a profile ----

TEST_F(LightingFilesTest, EffectStepsComeOnlyFromASafeGuidBesideTheConfiguration) {
    // Every unsafe Guid names a file that exists, so only the check stops it.
    WriteRaw("outside.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/sub/x.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/a\\b.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/a..b.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/\xFF\xFE.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/5.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/good.light", ReadText(kTestData + "steps_mixed.light"));
    WriteRaw("user/broken.light", "{\"LEDEffectList\":[");
    WriteRaw("user/nolist.light", R"({"LEDEffectList":{"0":{}}})");
    struct Case {
        const char* name;
        Json::Value guid;
        size_t steps;
    };
    const std::vector<Case> cases = {
        {"safe", "good", 4},
        {"empty", "", 0},
        {"not a string", 5, 0},
        {"climbing out", "../outside", 0},
        {"absolute", Path("outside"), 0},
        {"into a subfolder", "sub/x", 0},
        {"backslash", "a\\b", 0},
        {"two dots", "a..b", 0},
        {"not UTF-8", "\xFF\xFE", 0},
        {"NUL inside", Json::Value(std::string("good.light\0x", 12)), 0},
        {"missing file", "absent", 0},
        {"file does not parse", "broken", 0},
        {"no list in the file", "nolist", 0},
    };
    std::vector<Json::Value> guids;
    for (const Case& c : cases) guids.push_back(c.guid);
    Write("user/zintu_light.config", ConfigNaming(guids));
    for (size_t mode = 0; mode < cases.size(); ++mode) {
        SCOPED_TRACE(cases[mode].name);
        EXPECT_EQ(StepsOfMode(int(mode)).size(), cases[mode].steps);
    }
}

TEST_F(LightingFilesTest, NoEffectWithoutAConfigurationEntry) {
    struct Case {
        const char* name;
        const char* config;  ///< "" for no file at all
        int mode;
    };
    const std::vector<Case> cases = {
        {"no configuration anywhere", "", 0},
        {"configuration not an object", "[[{\"Guid\":\"good\"}]]", 0},
        {"no first list", R"({"LightInfo":[]})", 0},
        {"first list not an array", R"({"LightInfo":[{"Guid":"good"}]})", 0},
        {"no entry at the mode index", R"({"LightInfo":[[{"Guid":"good"}]]})", 1},
        {"null entry", R"({"LightInfo":[[null]]})", 0},
        {"entry not an object", R"({"LightInfo":[["good"]]})", 0},
        {"entry without a Guid", R"({"LightInfo":[[{"LightName":"x"}]]})", 0},
    };
    WriteRaw("user/good.light", ReadText(kTestData + "steps_mixed.light"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(Path("user/zintu_light.config"));
        if (*c.config) WriteRaw("user/zintu_light.config", c.config);
        EXPECT_TRUE(StepsOfMode(c.mode).empty());
    }
}

TEST_F(LightingFilesTest, StepValuesAreIntegersCutToTheirFields) {
    WriteRaw("user/mixed.light", ReadText(kTestData + "steps_mixed.light"));
    Write("user/zintu_light.config", ConfigNaming({"mixed"}));
    const std::vector<EffectStep> expected = {
        {4, 4, 2, 1, 1, 0, 0, 0, 3000, 1},
        // 257 and -1 keep their low byte; 3.0 is an integer, true is 1;
        // "1", 3.5 and {} are not integers; 2^32 does not fit "Time".
        {1, 255, 3, 1, 0, 44, 0, 0, 0, -2},
        {},  // an element that is not an object
        {1, 0, 0, 0, 0, 255, 0, 0, 1500, 0},
    };
    EXPECT_EQ(StepsOfMode(0), expected);
}

TEST_F(LightingFilesTest, StepsFollowTheFileTheConfigurationCameFrom) {
    const std::vector<EffectStep> installed = {kSomeSteps[0]};
    const std::vector<EffectStep> mine = {kSomeSteps[1], kSomeSteps[2]};
    Write("DefaultData/zintu_light.config", ConfigNaming({"fx"}));
    Write("DefaultData/fx.light", StepFile(installed, false));
    Write("user/fx.light", StepFile(mine, false));

    tirk::CBasicProfiledata profile;
    MakeProfile(profile, 0);
    profile.LoadLightConfig();
    EXPECT_EQ(profile.LightConfigSource(), Path("DefaultData/zintu_light.config"));
    EXPECT_EQ(profile.LoadEffectSteps(), installed) << "a fresh user folder has no configuration";

    Write("user/zintu_light.config", ConfigNaming({"fx"}));
    profile.LoadLightConfig();
    EXPECT_EQ(profile.LightConfigSource(), Path("user/zintu_light.config"));
    EXPECT_EQ(profile.LoadEffectSteps(), mine);

    WriteRaw("user/zintu_light.config", "{ not json");
    profile.LoadLightConfig();
    EXPECT_TRUE(profile.LightConfig().isNull());
    EXPECT_TRUE(profile.LoadEffectSteps().empty()) << "the broken file is not silently replaced";
    EXPECT_TRUE(profile.EffectSteps().empty()) << "the old list is not kept either";
}

// ---- the log names the file and the problem ----

class LightingFilesLog : public LightingFilesTest {
protected:
    void SetUp() override {
        LightingFilesTest::SetUp();
        log_ = folder_.path() + "/debug.log";
        setenv("TIRK_LOG", log_.c_str(), 1);
        tirk::log::ReloadSettingsForTest();
    }
    void TearDown() override {
        unsetenv("TIRK_LOG");
        tirk::log::ReloadSettingsForTest();
    }
    std::string Log() const { return ReadText(log_); }
    std::string log_;
};

TEST_F(LightingFilesLog, ProblemsNameTheFileAndTheMember) {
    WriteRaw("user/mixed.light", ReadText(kTestData + "steps_mixed.light"));
    Write("user/zintu_light.config", ConfigNaming({"mixed", "../mixed", "gone"}));
    struct Case {
        int mode;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, Path("user/mixed.light") + ": LEDEffectList[1].LEDMultiColor: not an integer"},
        {0, Path("user/mixed.light") + ": LEDEffectList[1].Time: outside the 32-bit range"},
        {0, Path("user/mixed.light") + ": LEDEffectList[2]: not an object"},
        {1, Path("user/zintu_light.config") + ": LightInfo[0][1].Guid: the Guid holds a path"},
        {2, Path("user/gone.light") + ": cannot open"},
        {2, "(the effect step file of " + Path("user/zintu_light.config") + " LightInfo[0][2])"},
    };
    for (const Case& c : cases) {
        StepsOfMode(c.mode);
        EXPECT_NE(Log().find(c.expected), std::string::npos) << c.expected << "\n" << Log();
    }
}

// ---- the shipped files ----

/// The text of `key` in lan_<language>.xml, empty when there is none.
std::string LanguageText(const std::string& language, const std::string& key) {
    static std::map<std::string, std::string> files;
    std::string& text = files[language];
    if (text.empty())
        text = ReadText(std::string(TIRK_RESOURCE_DIR) + "/skin/lan_" + language + ".xml");
    const std::string open = "<Text key=\"" + key + "\">";
    const size_t at = text.find(open);
    if (at == std::string::npos) return {};
    const size_t start = at + open.size();
    return text.substr(start, text.find("</Text>", start) - start);
}

void ExpectTextsInEveryLanguage(const std::vector<std::string>& keys) {
    for (const std::string& key : keys)
        for (const char* language : {"en", "cn", "tw", "de", "es", "ru"})
            EXPECT_FALSE(LanguageText(language, key).empty()) << key << " in " << language;
}

TEST(ShippedLightingFiles, ModeListsOfEveryFamily) {
    struct Family {
        int index;
        size_t modes;
        std::set<int> hidden;  ///< reserved modes, kept in place but not listed
    };
    const std::vector<Family> families = {
        {tirk::kLightingIndexKeyboard, 31, {19}},
        {tirk::kLightingIndexMouse, 12, {9}},
        {tirk::kLightingIndexMousePad, 9, {5}},
        {tirk::kLightingIndexHeadset, 9, {5}},
    };
    for (const Family& family : families) {
        SCOPED_TRACE(family.index);
        LightingNameLists lists;
        tirk::LoadLightingNameLists(kShipped, kShipped + tirk::kLightConfigFileName, family.index,
                                    lists);
        ASSERT_EQ(lists.modeNames.size(), family.modes);
        for (size_t mode = 0; mode < family.modes; ++mode) {
            EXPECT_EQ(lists.modeVisible[mode], family.hidden.count(int(mode)) ? 0 : 1) << mode;
            // Codes are the mode indices: unique, so a code read back from a
            // device finds its mode, and never 0xFE, which tells the keyboard
            // to keep the host's mode.
            EXPECT_EQ(lists.modeCodes[mode], int32_t(mode));
        }
        ExpectTextsInEveryLanguage(lists.modeNames);
        ExpectTextsInEveryLanguage(lists.customEffectNames);
    }
}

TEST(ShippedLightingFiles, EveryCustomEffectHasAStepFileThatPlays) {
    const Json::Value config = tirk::ReadJson(kShipped + tirk::kLightConfigFileName);
    const Json::Value& keyboard = config["LightInfo"][0];
    ASSERT_GE(keyboard.size(), 2u);
    for (Json::ArrayIndex i = 0; i < keyboard.size(); ++i) {
        const std::string guid = keyboard[i]["Guid"].asString();
        SCOPED_TRACE(guid);
        EXPECT_EQ(tirk::EffectGuidProblem(guid), "");
        const auto steps =
            tirk::ReadEffectSteps(config, kShipped + tirk::kLightConfigFileName, int(i));
        ASSERT_FALSE(steps.empty());
        for (const EffectStep& step : steps) {
            EXPECT_TRUE(std::set<int>({0, 1, 2, 4, 5}).count(step.mode)) << int(step.mode);
            EXPECT_LE(step.brightness, 4);
            EXPECT_LE(step.speed, 4);
            EXPECT_GT(step.time, 0);
        }
    }
    for (Json::ArrayIndex family = 1; family < 4; ++family)
        EXPECT_TRUE(config["LightInfo"][family].isArray()) << "every family has its list";
}

TEST_F(LightingFilesTest, AFreshUserFolderPlaysTheInstalledEffect) {
    // The shipped default profile of the keyboard, in a fresh user folder
    // whose device data folder has no lighting configuration of its own.
    WriteRaw("user/p.Json", ReadText(kShipped + "keyboard.Json"));
    tirk::CBasicProfiledata profile;
    profile.SetProfilePath(Path("user/p.Json"));
    profile.SetDefaultPath(kShipped + "keyboard.Json");
    profile.SetLightConfigPath(Path("user/zintu_light.config"));
    profile.LoadDocument(Path("user/p.Json"));
    profile.LoadLightConfig();
    EXPECT_EQ(profile.LightConfigSource(), kShipped + tirk::kLightConfigFileName);
    const int mode = profile.GetLightInfo().selectItem;
    const Json::Value guid = profile.LightConfig()["LightInfo"][0][mode]["Guid"];
    const auto expected = tirk::EffectStepsOf(
        tirk::ReadJson(kShipped + guid.asString() + tirk::kEffectStepFileSuffix), "shipped");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(profile.LoadEffectSteps(), expected);
}

}  // namespace
