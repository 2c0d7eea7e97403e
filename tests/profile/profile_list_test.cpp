// The profile list: first start and repair of the list file, the operations
// and their naming rules, the 50-profile limit and the feature tabs.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <tuple>

#include "profile/profile_names.h"
#include "profile_list_fixture.h"

namespace tirk::test {
namespace {

TEST_F(ProfileListTest, FirstStartMakesProfile1FromTheDefaultOfEachDeviceType) {
    const std::pair<int, const char*> cases[] = {{1, "keyboard"}, {2, "mouse"}, {3, "MousePad"},
                                                 {7, "HD"},       {6, "mouse"}, {9, "keyboard"}};
    for (const auto& [type, folder] : cases) {
        SCOPED_TRACE(folder);
        std::filesystem::remove_all(dir_ / "data");
        Use(type, folder);
        ASSERT_TRUE(list_.Init());

        EXPECT_EQ(list_.Names(), std::vector<std::string>{"Profile1"});
        const Json::Value file = ListFile();
        EXPECT_EQ(file["profileselect"], 0);
        ASSERT_EQ(file["profilelist"].size(), 1u);
        const Json::Value& entry = file["profilelist"][0];
        EXPECT_EQ(entry["profilename"], "Profile1");
        EXPECT_EQ(entry["profileislink"], 0);
        EXPECT_EQ(entry["profilelinkmame"], "");
        EXPECT_EQ(list_.ActiveId(), entry["profileUUID"].asString());
        EXPECT_EQ(ReadText(Data("ProfileList.ini")), StyledJsonText(file));

        Json::Value expected = ReadJson(DefaultProfile(folder));
        expected["profilename"] = "Profile1";
        expected["profileUUID"] = list_.ActiveId();
        EXPECT_EQ(ReadText(Data(list_.ActiveId() + ".Json")), StyledJsonText(expected));
    }
}

TEST_F(ProfileListTest, UnusableListFileIsReplacedByProfile1) {
    struct Case {
        const char* what;
        const char* text;
        bool keptAsBroken;  // content that a replacement would lose
    } cases[] = {
        {"empty file", "", false},
        {"not JSON", "{ \"profilelist\": [", true},
        {"empty object", "{}", true},
        {"empty list", R"({"profilelist": [], "profileselect": 0})", false},
        {"list of the wrong type", R"({"profilelist": 5})", true},
        {"root an array", "[1, 2]", true},
        {"only unusable entries",
         R"({"profilelist": [{"profilename": 1, "profileUUID": "a"},
                             {"profilename": "x", "profileUUID": "../../escape"}]})",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir_ / "data");
        std::filesystem::create_directories(dir_ / "data");
        WriteText(Data("ProfileList.ini"), c.text);
        ASSERT_TRUE(list_.Init());
        EXPECT_EQ(list_.Names(), std::vector<std::string>{"Profile1"});
        EXPECT_EQ(NamesInFile(), std::vector<std::string>{"Profile1"});
        EXPECT_TRUE(std::filesystem::exists(Data(list_.ActiveId() + ".Json")));
        EXPECT_EQ(std::filesystem::exists(Data("ProfileList.ini.broken")), c.keptAsBroken);
        if (c.keptAsBroken) {
            EXPECT_EQ(ReadText(Data("ProfileList.ini.broken")), c.text);
        }
    }
}

// A list that exists but cannot be read may name every profile the user has:
// the session works from Profile1 in memory and nothing in the folder changes.
TEST_F(ProfileListTest, AnUnreadableListFileIsLeftAloneAndNothingIsWritten) {
    std::filesystem::create_directories(Data("ProfileList.ini"));  // unreadable as a file
    WriteText(Data("ProfileList.ini") + "/inside", "kept");
    WriteText(Data("1_2_3.Json"), "{\"profilename\": \"mine\"}");
    const auto before = Snapshot();
    const ProfileResult result = list_.Init();
    EXPECT_FALSE(result);
    EXPECT_NE(result.detail.find("ProfileList.ini"), std::string::npos) << result.detail;
    EXPECT_EQ(list_.Names(), std::vector<std::string>{"Profile1"});
    EXPECT_FALSE(list_.Add()) << "no command writes over the unreadable list";
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(ProfileListTest, SelectionOutsideTheListReadsAsZeroAndIsRepairedInTheFile) {
    const std::pair<const char*, int> cases[] = {
        {"1", 1},     {"0", 0},   {"-1", 0},   {"2", 0},    {"99999999999", 0},
        {"\"1\"", 0}, {"1.5", 0}, {"true", 0}, {"null", 0}, {"[1]", 0},
    };
    for (const auto& [select, expected] : cases) {
        SCOPED_TRACE(select);
        WriteText(Data("ProfileList.ini"),
                  std::string(R"({"profilelist": [{"profilename": "A", "profileUUID": "a"},
                                                  {"profilename": "B", "profileUUID": "b"}],
                                  "profileselect": )") +
                      select + "}");
        ASSERT_TRUE(list_.Init());
        EXPECT_EQ(list_.RecordedSelection(), expected);
        EXPECT_EQ(list_.ActiveId(), expected == 1 ? "b" : "a");
        EXPECT_EQ(ListFile()["profileselect"], expected) << "repaired in the file";
    }
}

TEST_F(ProfileListTest, EntriesThatCannotNameAFileAreDroppedOthersKept) {
    WriteText(Data("ProfileList.ini"), R"({"profilelist": [
        {"profilename": "ok", "profileUUID": "good", "Extra": [1]},
        {"profilename": "escape", "profileUUID": "../outside"},
        {"profilename": "dot", "profileUUID": ".."},
        {"profilename": "empty", "profileUUID": ""},
        {"profilename": null, "profileUUID": "x"},
        "not an object",
        {"profilename": "ok2", "profileUUID": "good2"}], "profileselect": 1, "Other": true})");
    ASSERT_TRUE(list_.Init());
    EXPECT_EQ(list_.Names(), (std::vector<std::string>{"ok", "ok2"}));
    EXPECT_GE(list_.ActiveIndex(), 0);
    const Json::Value file = ListFile();
    EXPECT_EQ(file["Other"], true) << "other members survive";
    EXPECT_EQ(file["profilelist"][0]["Extra"][0], 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "outside.Json"));
}

TEST_F(ProfileListTest, AddTakesTheFirstFreeProfileNumberWithoutRegardToCase) {
    struct Case {
        std::vector<std::string> existing;
        const char* added;
    } cases[] = {
        {{"Profile1"}, "profile2"},
        {{"profile1", "Profile2"}, "profile3"},
        {{"PROFILE1", "x", "profile3"}, "profile2"},
        {{"profile10", "Profile1"}, "profile2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added);
        EXPECT_EQ(AddedProfileName(c.existing), c.added);
    }
    // And through the list itself: Profile1 exists, rename the new one, add again.
    ASSERT_TRUE(list_.Init());
    ASSERT_TRUE(list_.Add());
    ASSERT_TRUE(list_.Rename(1, "Profile2"));
    ASSERT_TRUE(list_.Rename(0, "profile1"));
    ASSERT_TRUE(list_.Add());
    EXPECT_EQ(list_.Names().back(), "profile3");
}

TEST_F(ProfileListTest, AddRecordsTheNewProfileAsSelectedButKeepsTheActiveOne) {
    ASSERT_TRUE(list_.Init());
    const std::string active = list_.ActiveId();
    ASSERT_TRUE(list_.Add());

    EXPECT_EQ(list_.Names(), (std::vector<std::string>{"Profile1", "profile2"}));
    EXPECT_EQ(ListFile()["profileselect"], 1);
    EXPECT_EQ(list_.ActiveId(), active);
    EXPECT_EQ(list_.ActiveIndex(), 0);
    Json::Value expected = ReadJson(DefaultProfile("mouse"));
    expected["profilename"] = "profile2";
    expected["profileUUID"] = list_.Entries()[1].id;
    EXPECT_EQ(ReadJson(list_.ProfilePath(1)), expected);

    CProfileList again;  // the next start takes the recorded profile
    again.SetDeviceTypeCode(2);
    again.SetFolders(Data(""), DefaultProfile("mouse"));
    ASSERT_TRUE(again.Init());
    EXPECT_EQ(again.ActiveIndex(), 1);
}

TEST_F(ProfileListTest, CopyingATwiceGivesACopyThenACopyCopy) {
    ASSERT_TRUE(list_.Init());
    ASSERT_TRUE(list_.Rename(0, "A"));
    Json::Value source = ReadJson(list_.ProfilePath(0));
    source["Device"][0]["DPIStages"]["StageActive"] = 4;  // an edit the copy must carry
    WriteText(list_.ProfilePath(0), StyledJsonText(source));

    ASSERT_TRUE(list_.Copy(0));
    ASSERT_TRUE(list_.Copy(0));
    EXPECT_EQ(list_.Names(), (std::vector<std::string>{"A", "A copy", "A copy copy"}));
    EXPECT_EQ(ListFile()["profileselect"], 0) << "a copy leaves the recorded selection";
    EXPECT_EQ(CopiedProfileName({"a", "A COPY"}, "a"), "a copy copy");

    Json::Value expected = source;
    expected["profilename"] = "A copy copy";
    expected["profileUUID"] = list_.Entries()[2].id;
    EXPECT_EQ(ReadJson(list_.ProfilePath(2)), expected);
}

TEST_F(ProfileListTest, CopyOfAProfileWhoseFileDoesNotReadIsRefused) {
    MakeProfiles(2);
    WriteText(list_.ProfilePath(1), "{ \"Device\": [");
    const auto before = Snapshot();
    const ProfileResult result = list_.Copy(1);
    EXPECT_EQ(result.status, ProfileStatus::kFileError);
    EXPECT_EQ(result.detail.rfind(list_.ProfilePath(1) + ": ", 0), 0u) << result.detail;
    EXPECT_EQ(Snapshot(), before);

    std::filesystem::remove(list_.ProfilePath(1));  // never saved: copies as a new profile
    ASSERT_TRUE(list_.Copy(1));
    const Json::Value copy = ReadJson(list_.ProfilePath(2));
    EXPECT_EQ(copy["profilename"], "profile2 copy");
    EXPECT_FALSE(copy.isMember("Device")) << "loads as the default on first use";
}

TEST_F(ProfileListTest, ImportingXThreeTimesGivesXThenX1ThenX12) {
    ASSERT_TRUE(list_.Init());
    const std::string path = ImportFile("x.json");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(list_.Import(path)) << list_.Import(path).detail;
    EXPECT_EQ(list_.Names(), (std::vector<std::string>{"Profile1", "x", "x(1)", "x(1)(2)"}));
    EXPECT_EQ(ListFile()["profileselect"], 0);

    Json::Value expected = ReadJson(path);
    expected["profilename"] = "x(1)(2)";
    expected["profileUUID"] = list_.Entries()[3].id;
    EXPECT_EQ(ReadJson(list_.ProfilePath(3)), expected) << "everything else taken over";
}

TEST_F(ProfileListTest, ImportNameIsTheTrimmedFileNameWithoutFolderAndExtension) {
    ASSERT_TRUE(list_.Init());
    const std::pair<const char*, const char*> cases[] = {
        {"Game.Json", "Game"},         {"my.game.json", "my.game"},
        {"  spaced  .json", "spaced"}, {"noextension", "noextension"},
        {"Игра.json", "Игра"},         {"PROFILE1.json", "PROFILE1(1)"},
    };
    for (const auto& [file, name] : cases) {
        ASSERT_TRUE(list_.Import(ImportFile(file))) << file;
        EXPECT_EQ(list_.Names().back(), name);
    }
}

TEST_F(ProfileListTest, DeleteRecordsTheProfileBeforeOrZeroAndRemovesTheFile) {
    struct Case {
        int count;
        int deleted;
        int selection;
    } cases[] = {{3, 0, 0}, {4, 3, 2}, {2, 1, 0}, {5, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "delete " << c.deleted << " of " << c.count);
        std::filesystem::remove_all(dir_ / "data");
        MakeProfiles(c.count);
        const std::string gone = list_.ProfilePath(c.deleted);
        std::vector<ProfileEntry> expected = list_.Entries();
        expected.erase(expected.begin() + c.deleted);

        ASSERT_TRUE(list_.Delete(c.deleted));
        EXPECT_EQ(list_.Entries(), expected);
        EXPECT_EQ(ListFile()["profileselect"], c.selection);
        EXPECT_EQ(list_.ActiveIndex(), c.selection) << "the device switches to it";
        EXPECT_FALSE(std::filesystem::exists(gone));
        EXPECT_EQ(NamesInFile(), list_.Names());
    }
}

TEST_F(ProfileListTest, DeleteOfTheLastProfileOrWithoutSelectionDoesNothing) {
    ASSERT_TRUE(list_.Init());
    const auto before = Snapshot();
    EXPECT_EQ(list_.Delete(0).status, ProfileStatus::kUnchanged);
    ASSERT_TRUE(list_.Add());
    const auto withTwo = Snapshot();
    EXPECT_EQ(list_.Delete(-1).status, ProfileStatus::kUnchanged);
    EXPECT_EQ(list_.Delete(2).status, ProfileStatus::kUnchanged);
    EXPECT_EQ(Snapshot(), withTwo);
    EXPECT_NE(before, withTwo);
}

TEST_F(ProfileListTest, RenameResults) {
    struct Case {
        const char* name;
        int code;
        const char* key;
        const char* stored;  // name of profile 1 afterwards
    } cases[] = {
        {"R&D", 3, "message_text_5_3", "Game"},
        {"&", 3, "message_text_5_3", "Game"},
        {"   ", 2, "message_text_25", "Game"},
        {"\t\u3000", 2, "message_text_25", "Game"},
        {"%[main_title]", 3, "message_text_5_3", "Game"},
        {"profile1", 0, "message_text_5", "Game"},
        {"PROFILE1", 0, "message_text_5", "Game"},
        {"GAME", 1, "", "GAME"},
        {"game", 1, "", "game"},
        {"  Work  ", 1, "", "Work"},
        {"Straße", 1, "", "Straße"},
    };
    MakeProfiles(2);
    ASSERT_TRUE(list_.Rename(0, "profile1"));
    ASSERT_TRUE(list_.Rename(1, "Game"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(list_.Rename(1, "Game"));
        const auto before = Snapshot();
        const ProfileResult result = list_.Rename(1, c.name);
        EXPECT_EQ(result.RenameCode(), c.code);
        EXPECT_EQ(result.textKey, c.key);
        EXPECT_EQ(list_.Names()[1], c.stored);
        EXPECT_EQ(NamesInFile()[1], c.stored);
        EXPECT_EQ(ReadJson(list_.ProfilePath(1))["profilename"], c.stored);
        if (c.code != 1) {
            EXPECT_EQ(Snapshot(), before);
        }
    }
}

TEST_F(ProfileListTest, FiftyProfilesAreTheLimitForAddCopyAndImport) {
    MakeProfiles(CProfileList::kMaxProfiles);
    const std::string importPath = ImportFile("x.json");
    const auto before = Snapshot();
    const std::pair<const char*, std::function<ProfileResult()>> operations[] = {
        {"add", [&] { return list_.Add(); }},
        {"copy", [&] { return list_.Copy(0); }},
        {"import", [&] { return list_.Import(importPath); }},
    };
    for (const auto& [what, operation] : operations) {
        const ProfileResult result = operation();
        EXPECT_EQ(result.status, ProfileStatus::kLimit) << what;
        EXPECT_EQ(result.textKey, "message_text_32") << what;
    }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(list_.Count(), 50);
    ASSERT_TRUE(list_.Delete(49));
    EXPECT_TRUE(list_.Add()) << "one below the limit adds again";
}

TEST_F(ProfileListTest, TheLimitCountsTheListFileNotAnOlderView) {
    MakeProfiles(49);
    CProfileList other;  // a second device of the same type, on the same folder
    other.SetDeviceTypeCode(2);
    other.SetFolders(Data(""), DefaultProfile("mouse"));
    ASSERT_TRUE(other.Init());
    ASSERT_TRUE(other.Add());
    EXPECT_EQ(list_.Add().status, ProfileStatus::kLimit);
    EXPECT_EQ(list_.Count(), 50);
}

TEST_F(ProfileListTest, ResetRestoresTheDefaultKeepingNameAndIdentifier) {
    MakeProfiles(2);
    ASSERT_TRUE(list_.Rename(1, "Mine"));
    Json::Value edited = ReadJson(list_.ProfilePath(1));
    edited["Device"][0]["DPIStages"]["StageActive"] = 0;
    WriteText(list_.ProfilePath(1), StyledJsonText(edited));

    ASSERT_TRUE(list_.Reset(1));
    Json::Value expected = ReadJson(DefaultProfile("mouse"));
    expected["profilename"] = "Mine";
    expected["profileUUID"] = list_.Entries()[1].id;
    EXPECT_EQ(ReadText(list_.ProfilePath(1)), StyledJsonText(expected));
}

TEST_F(ProfileListTest, HeadsetResetKeepsTheCustomEqualiserCurves) {
    Use(7, "HD");
    ASSERT_TRUE(list_.Init());
    Json::Value edited = ReadJson(list_.ProfilePath(0));
    Json::Value& device = edited["Device"][0];
    device["CustomEQNameInfo"][1]["Name"] = "Bass";
    device["CustomEQHzValueInfo"][1] = device["CustomEQHzValueInfo"][0];
    device["CustomEQHzValueInfo"][1][0]["value"] = 9;
    device["SystemSetStages"]["EqType"] = 13;
    WriteText(list_.ProfilePath(0), StyledJsonText(edited));

    ASSERT_TRUE(list_.Reset(0));
    const Json::Value reset = ReadJson(list_.ProfilePath(0));
    const Json::Value defaults = ReadJson(DefaultProfile("HD"));
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"], device["CustomEQNameInfo"]);
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"], device["CustomEQHzValueInfo"]);
    EXPECT_EQ(reset["Device"][0]["SystemSetStages"], defaults["Device"][0]["SystemSetStages"]);
}

TEST_F(ProfileListTest, ResetWithoutADefaultProfileChangesNothing) {
    ASSERT_TRUE(list_.Init());
    list_.SetFolders(Data(""), Path("missing.Json"));
    const auto before = Snapshot();
    const ProfileResult result = list_.Reset(0);
    EXPECT_EQ(result.status, ProfileStatus::kFileError);
    EXPECT_NE(result.detail.find("missing.Json"), std::string::npos) << result.detail;
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(ProfileListTest, ExportWritesTheSelectedProfileInTheStyledForm) {
    MakeProfiles(2);
    Json::Value profile = ReadJson(list_.ProfilePath(1));
    WriteText(list_.ProfilePath(1), profile.toStyledString() + "// a comment\n");
    const std::string target = Path("out/exported.json");

    ASSERT_TRUE(list_.Export(1, target));
    EXPECT_EQ(ReadText(target), StyledJsonText(ReadJson(list_.ProfilePath(1))));
    EXPECT_EQ(list_.Export(1, "").status, ProfileStatus::kUnchanged);
    EXPECT_EQ(list_.Export(-1, target).status, ProfileStatus::kUnchanged);

    WriteText(list_.ProfilePath(1), "{ broken");
    const ProfileResult broken = list_.Export(1, Path("other.json"));
    EXPECT_EQ(broken.status, ProfileStatus::kFileError);
    EXPECT_FALSE(std::filesystem::exists(Path("other.json")));
}

TEST_F(ProfileListTest, IdentifiersStayUniqueWhenTheClockStands) {
    const auto frozen = std::chrono::system_clock::now();
    list_.SetClock([frozen] { return frozen; });
    MakeProfiles(4);
    std::set<std::string> ids;
    for (const ProfileEntry& entry : list_.Entries()) ids.insert(entry.id);
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(list_.Entries()[0].id, MakeTimestampId(frozen));
    EXPECT_EQ(list_.Entries()[1].id, MakeTimestampId(frozen + std::chrono::milliseconds(1)));
}

TEST(FeatureTabs, VisibilityByDeviceType) {
    using Tabs = std::vector<std::pair<std::string, bool>>;
    const Tabs keyboard = {{"cursor_Op_tab", false}};
    const Tabs pad = {{"cursor_Op_tab", false},
                      {"macro_Op_tab", false},
                      {"system_Op_tab", false},
                      {"key_Op_tab", false}};
    Tabs headset = pad;
    headset.insert(
        headset.end(),
        {{"6533_voice_Op_tab", true}, {"magic_Op_tab", true}, {"Virtual7.1_Op_tab", true}});
    const std::pair<int, Tabs> cases[] = {{1, keyboard}, {9, keyboard}, {3, pad},
                                          {7, headset},  {2, {}},       {6, {}}};
    for (const auto& [type, expected] : cases) {
        Tabs tabs;
        for (const FeatureTabVisibility& tab : FeatureTabsOf(type))
            tabs.emplace_back(tab.name, tab.visible);
        EXPECT_EQ(tabs, expected) << type;
    }
}

TEST(ProfileNames, CaseIsFoldedForLatinGreekAndCyrillicLetters) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Profile", "PROFILE", true},
        {"Äpfel", "äPFEL", true},
        {"ИГРА", "игра", true},
        {"Ёлка", "ёЛКА", true},
        {"ΑΒΓ", "αβγ", true},
        {"Łódź", "łÓDŹ", true},
        {"Ÿ", "ÿ", true},
        {"a", "b", false},
        {"ß", "SS", false},
        {"profile1", "profile1 ", false},
        {"", "", true},
        {"游戏", "游戏", true},
    };
    for (const auto& [a, b, equal] : cases) EXPECT_EQ(ProfileNamesEqual(a, b), equal) << a << b;
}

}  // namespace
}  // namespace tirk::test
