// The macro list and macro files: what is kept of hand-edited files, the
// device form of events, names and Guids, the 50-macro limit, the download
// size, the macros bindings use, renumbering after a removal over real
// profile files, refused imports that change nothing, and failed writes.
#include "profile/macro_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "profile/basic_profiledata.h"
#include "profile_list_fixture.h"

namespace tirk::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const std::string kData = TIRK_TEST_DATA_DIR "/profile/macro/";

/// 2023-11-14 22:13:20.042 UTC: a fixed clock for Guids.
std::chrono::system_clock::time_point FixedNow() {
    return std::chrono::system_clock::from_time_t(1700000000) + milliseconds(42);
}

std::string Event(int type, int button, const std::string& action, const std::string& delay) {
    return "{\"Action\":\"" + action + "\",\"Button\":" + std::to_string(button) +
           ",\"Delay\":" + delay + ",\"Type\":" + std::to_string(type) + "}";
}

/// A macro file whose "Events" are `events` (JSON text of the array's elements).
std::string MacroText(const std::string& events) {
    return "{\"Events\":[" + events + "],\"Guid\":\"g\",\"MacroName\":\"m\",\"Version\":64}";
}

/// `count` valid key events.
std::string ManyEvents(int count) {
    std::string events;
    for (int i = 0; i < count; ++i) events += (i ? "," : "") + Event(10, 4, "down", "\"5\"");
    return events;
}

KeyListEntry Binding(AssignmentCode current, AssignmentCode defaultCode = {0x20, 0, 0x04}) {
    KeyListEntry entry;
    entry.current.code = current;
    entry.defaultHalf.code = defaultCode;
    return entry;
}

class MacroStoreTest : public TestFolder {
protected:
    void SetUp() override {
        TestFolder::SetUp();
        fs::create_directories(dir_ / "data");
        store_.SetClock(FixedNow);
    }
    std::string Data(const std::string& name) const { return Path("data/" + name); }
    std::map<std::string, std::string> Snapshot() const { return SnapshotOf(dir_ / "data"); }
    /// Writes the list file with these entries (name, Guid).
    void WriteList(const std::vector<MacroEntry>& entries) {
        Json::Value root(Json::objectValue);
        root["MacroInfo"] = Json::Value(Json::arrayValue);
        for (const MacroEntry& e : entries) {
            Json::Value entry;
            entry["MacroName"] = e.name;
            entry["Guid"] = e.guid;
            root["MacroInfo"].append(entry);
        }
        WriteText(Data("macro.config"), StyledJsonText(root));
    }
    /// Adds `count` macros; each gets a macro file with one event.
    void AddMacros(int count) {
        for (int i = 0; i < count; ++i) {
            const MacroResult added = store_.AddMacro();
            ASSERT_TRUE(added) << added.detail;
            ASSERT_TRUE(store_.SaveEvents(added.index, {Parse(Event(10, 4 + i, "down", "1"))}));
        }
    }

    MacroStore store_{Path("data")};
};

// ---- packing ------------------------------------------------------------------------------

TEST(MacroPack, EventsPackToTheirDeviceForm) {
    struct Case {
        const char* event;
        PackedMacroEvent packed;
    } cases[] = {
        {R"({"Action":"down","Button":4,"Delay":"50","Type":10})", {0x32, 0x00, 0x8A, 0x04}},
        {R"({"Action":"down","Button":4,"Delay":0,"Type":10})", {0x00, 0x00, 0x8A, 0x04}},
        {R"({"Action":"down","Button":4,"Delay":"0","Type":10})", {0x00, 0x00, 0x8A, 0x04}},
        {R"({"Action":"Down","Button":4,"Delay":"0","Type":10})", {0x00, 0x00, 0x0A, 0x04}},
        {R"({"Action":"up","Button":16,"Delay":300,"Type":1})", {0x2C, 0x01, 0x01, 0x10}},
        {R"({"Action":"down","Button":200,"Delay":"1","Type":5})", {0x01, 0x00, 0x85, 0xC8}},
        {R"({"Action":"up","Button":1,"Delay":65535,"Type":9})", {0xFF, 0xFF, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":"65535","Type":9})", {0xFF, 0xFF, 0x09, 0x01}},
        // Beyond 16 bits a delay is the longest one, not its low bits.
        {R"({"Action":"up","Button":1,"Delay":"70000","Type":9})", {0xFF, 0xFF, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":70000,"Type":9})", {0xFF, 0xFF, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":18446744073709551615,"Type":9})",
         {0xFF, 0xFF, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":-5,"Type":9})", {0x00, 0x00, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":50.7,"Type":9})", {0x32, 0x00, 0x09, 0x01}},
        // Delays that are not numbers read as 0.
        {R"({"Action":"up","Button":1,"Delay":"abc","Type":9})", {0x00, 0x00, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":"12abc","Type":9})", {0x00, 0x00, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":true,"Type":9})", {0x00, 0x00, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Type":9})", {0x00, 0x00, 0x09, 0x01}},
        // Anything but "down" is a release; members of the wrong type read as 0.
        {R"({"Action":1,"Button":"4","Delay":"9","Type":10})", {0x09, 0x00, 0x0A, 0x00}},
        {R"({"Button":4,"Delay":"9","Type":10})", {0x09, 0x00, 0x0A, 0x04}},
        {R"([1,2,3])", {0x00, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        EXPECT_EQ(Pack(Parse(c.event)), c.packed);
    }
}

// ---- names and Guids ------------------------------------------------------------------------

TEST(MacroNames, NewAndImportedNamesAreFreeWithoutRegardToCase) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(NewMacroName({}), "macro_1");
    EXPECT_EQ(NewMacroName(Names{"macro_1", "MACRO_2"}), "macro_3");
    EXPECT_EQ(NewMacroName(Names{"macro_2"}), "macro_1");
    EXPECT_EQ(ImportedMacroName({}, "a"), "a");
    EXPECT_EQ(ImportedMacroName(Names{"A"}, "a"), "a_1");
    EXPECT_EQ(ImportedMacroName(Names{"a", "A_1"}, "a"), "a_1_2");
    EXPECT_EQ(ImportedMacroName(Names{"r", "r_1", "R_1_2"}, "r"), "r_1_2_3");
    EXPECT_EQ(MacroStemOf("/x/y/a.mac"), "a");
    EXPECT_EQ(MacroStemOf("/x/a.b.mac"), "a.b");
    EXPECT_EQ(MacroStemOf("/x/noext"), "noext");
    EXPECT_EQ(MacroStemOf("/x/.mac"), "");
}

TEST_F(MacroStoreTest, AddTakesTheFirstFreeNameAndWritesNoMacroFile) {
    WriteList({{"macro_1", "g1"}, {"MACRO_2", "g2"}});
    const MacroResult added = store_.AddMacro();
    ASSERT_TRUE(added) << added.detail;
    EXPECT_EQ(added.entry.name, "macro_3");
    EXPECT_EQ(added.index, 2);
    EXPECT_EQ(store_.ListNames(), (std::vector<std::string>{"macro_1", "MACRO_2", "macro_3"}));
    EXPECT_FALSE(fs::exists(Data(added.entry.guid + ".mac")));
    EXPECT_TRUE(store_.LoadEvents(added.entry.guid).empty());
}

TEST_F(MacroStoreTest, GuidsKeepTheirFormAndNeverCollide) {
    // Three macros within one millisecond, and a stray file taking the third
    // millisecond: each takes the next free one.
    WriteText(Data(MakeTimestampId(FixedNow() + milliseconds(2)) + ".mac"), "{}");
    std::vector<std::string> guids;
    for (int i = 0; i < 3; ++i) guids.push_back(store_.AddMacro().entry.guid);
    EXPECT_EQ(guids, (std::vector<std::string>{MakeTimestampId(FixedNow()),
                                               MakeTimestampId(FixedNow() + milliseconds(1)),
                                               MakeTimestampId(FixedNow() + milliseconds(3))}));
    for (const std::string& guid : guids)
        EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3})")));
}

TEST_F(MacroStoreTest, ImportingTheSameFileTwiceAccumulatesSuffixes) {
    WriteList({{"a", "g1"}});
    fs::create_directories(dir_ / "in");
    fs::copy_file(kData + "example.mac", Path("in/a.mac"));
    const MacroResult first = store_.ImportMacro(Path("in/a.mac"), MacroStore::kKeyboardMemory);
    const MacroResult second = store_.ImportMacro(Path("in/a.mac"), MacroStore::kKeyboardMemory);
    ASSERT_TRUE(first) << first.detail;
    ASSERT_TRUE(second) << second.detail;
    EXPECT_EQ(first.entry.name, "a_1");
    EXPECT_EQ(second.entry.name, "a_1_2");
    EXPECT_NE(first.entry.guid, second.entry.guid);
    // The copy is the file's bytes, its own "Guid" and "MacroName" included.
    EXPECT_EQ(ReadText(Data(second.entry.guid + ".mac")), ReadText(kData + "example.mac"));
    EXPECT_EQ(store_.LoadList(), (std::vector<MacroEntry>{{"a", "g1"}, first.entry, second.entry}));
}

TEST_F(MacroStoreTest, AFiftyFirstMacroIsRefusedAndChangesNothing) {
    AddMacros(MacroStore::kMaxMacros);
    fs::create_directories(dir_ / "in");
    fs::copy_file(kData + "example.mac", Path("in/b.mac"));
    const auto before = Snapshot();
    for (const MacroResult& result :
         {store_.AddMacro(), store_.ImportMacro(Path("in/b.mac"), MacroStore::kKeyboardMemory)}) {
        EXPECT_EQ(result.status, MacroStatus::kLimit);
        EXPECT_EQ(result.textKey, "message_macro_limit");
    }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(store_.LoadList().size(), 50u);
}

// ---- what is kept of files ------------------------------------------------------------------

TEST_F(MacroStoreTest, HandEditedMembersOfTheListSurviveChanges) {
    fs::copy_file(kData + "hand_edited_macro.config", Data("macro.config"));
    EXPECT_EQ(store_.LoadList(),
              (std::vector<MacroEntry>{{"hand edited", "2023_11_20_08_00_00_001"},
                                       {"example", "2024_03_05_14_07_09_042"}}));
    ASSERT_TRUE(store_.RenameMacro(1, "renamed"));
    ASSERT_TRUE(store_.AddMacro());
    const Json::Value root = ReadJson(Data("macro.config"));
    EXPECT_EQ(root["Comment"], "macros of my keyboard");
    EXPECT_EQ(root["MacroInfo"][0]["Hotkey"], "F9");
    EXPECT_EQ(store_.ListNames(), (std::vector<std::string>{"hand edited", "renamed", "macro_1"}));
    EXPECT_EQ(store_.RenameMacro(3, "x").status, MacroStatus::kUnchanged);
}

TEST_F(MacroStoreTest, AHandEditedMacroFileRoundTripsWithItsExtraMembers) {
    fs::copy_file(kData + "hand_edited_macro.config", Data("macro.config"));
    const std::string guid = "2023_11_20_08_00_00_001";
    fs::copy_file(kData + "hand_edited.mac", Data(guid + ".mac"));
    std::string problem;
    const std::vector<Json::Value> events = store_.LoadEvents(guid, &problem);
    EXPECT_EQ(problem, "");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0]["Note"], "first key");

    ASSERT_TRUE(store_.SaveEvents(0, events));
    const Json::Value saved = ReadJson(Data(guid + ".mac"));
    EXPECT_EQ(saved["Author"], "edited by hand");
    EXPECT_EQ(saved["Settings"]["repeat"], 3);
    EXPECT_EQ(saved["Guid"], guid);
    EXPECT_EQ(saved["MacroName"], "hand edited");
    EXPECT_EQ(saved["Version"], 64);
    EXPECT_EQ(saved["Events"][0]["Note"], "first key");
    std::vector<std::string> delays;
    for (const Json::Value& event : saved["Events"]) delays.push_back(event["Delay"].asString());
    EXPECT_EQ(delays, (std::vector<std::string>{"0", "65535", "7", "0"}));
    EXPECT_TRUE(saved["Events"][0]["Delay"].isString());
    // The saved events pack as the loaded ones did.
    const std::vector<Json::Value> again = store_.LoadEvents(guid);
    ASSERT_EQ(again.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) EXPECT_EQ(Pack(again[i]), Pack(events[i]));
}

TEST_F(MacroStoreTest, ExportCopiesTheBytesAndANeverSavedMacroExportsAsAnEmptyOne) {
    fs::copy_file(kData + "hand_edited_macro.config", Data("macro.config"));
    fs::copy_file(kData + "hand_edited.mac", Data("2023_11_20_08_00_00_001.mac"));
    ASSERT_TRUE(store_.ExportMacro(0, Path("out/edited.mac")));
    EXPECT_EQ(ReadText(Path("out/edited.mac")), ReadText(kData + "hand_edited.mac"));

    ASSERT_TRUE(store_.ExportMacro(1, Path("out/never_saved.mac")));
    const MacroResult imported =
        store_.ImportMacro(Path("out/never_saved.mac"), MacroStore::kKeyboardMemory);
    ASSERT_TRUE(imported) << imported.detail;
    EXPECT_TRUE(store_.LoadEvents(imported.entry.guid).empty());
    EXPECT_EQ(store_.ExportMacro(0, "").status, MacroStatus::kUnchanged);
}

TEST_F(MacroStoreTest, ImpossibleEventsOfALoadedFileAreSkipped) {
    const std::string events = Event(10, 4, "down", "\"5\"") + "," + Event(7, 4, "down", "1") +
                               ",3," + Event(10, 300, "up", "1") + "," + Event(1, 3, "up", "1") +
                               "," + R"({"Action":5,"Button":2,"Delay":"abc","Type":9})";
    WriteText(Data("g.mac"), MacroText(events));
    std::string problem;
    const std::vector<Json::Value> loaded = store_.LoadEvents("g", &problem);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(Pack(loaded[1]), (PackedMacroEvent{0x00, 0x00, 0x09, 0x02}));
    EXPECT_EQ(problem.rfind(Data("g.mac") + ": 4 event(s) cannot be played", 0), 0u) << problem;
    EXPECT_NE(problem.find("event 2 of 6 has \"Type\" 7"), std::string::npos) << problem;

    struct Case {
        const char* what;
        std::string content;  // empty: no file
        const char* problem;
    } unusable[] = {
        {"missing file", "", ""},
        {"not JSON", "hello", "does not parse"},
        {"top level an array", "[]", "top level is not an object"},
        {"Events an object", R"({"Events":{}})", "\"Events\" is an object"},
    };
    for (const Case& c : unusable) {
        SCOPED_TRACE(c.what);
        fs::remove(Data("g.mac"));
        if (!c.content.empty()) WriteText(Data("g.mac"), c.content);
        EXPECT_TRUE(store_.LoadEvents("g", &problem).empty());
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "");
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
    EXPECT_TRUE(store_.LoadEvents("../data/g", &problem).empty());
    EXPECT_NE(problem.find("no plain file name"), std::string::npos);
}

// ---- unusable list files --------------------------------------------------------------------

// An event whose "Action" a hand edit left out or mistyped plays as a
// release; it is saved as one, so that the exported file imports again.
TEST_F(MacroStoreTest, SavedEventsCarryTheActionTheyPlayWith) {
    AddMacros(1);
    Json::Value noAction = Parse(Event(10, 4, "down", "1"));
    noAction.removeMember("Action");
    Json::Value numberAction = Parse(Event(10, 5, "down", "1"));
    numberAction["Action"] = 1;
    ASSERT_TRUE(store_.SaveEvents(0, {noAction, numberAction, Parse(Event(10, 6, "down", "1"))}));
    const std::vector<Json::Value> events = store_.LoadEvents(store_.LoadList()[0].guid);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]["Action"], "up");
    EXPECT_EQ(events[1]["Action"], "up");
    EXPECT_EQ(events[2]["Action"], "down");
    ASSERT_TRUE(store_.ExportMacro(0, Path("out/saved.mac")));
    EXPECT_TRUE(store_.ImportMacro(Path("out/saved.mac"), MacroStore::kKeyboardMemory));
}

TEST_F(MacroStoreTest, UnparsableFilesAreKeptBeforeTheyAreReplaced) {
    WriteText(Data("macro.config"), "{ \"MacroInfo\": [ broken");
    EXPECT_TRUE(store_.LoadList().empty());
    EXPECT_FALSE(store_.ListUsable()) << "its macros are unknown, not absent";
    const MacroResult added = store_.AddMacro();
    ASSERT_TRUE(added);
    EXPECT_TRUE(store_.ListUsable());
    EXPECT_EQ(ReadText(Data("macro.config.broken")), "{ \"MacroInfo\": [ broken");
    EXPECT_EQ(store_.ListNames(), std::vector<std::string>{"macro_1"});

    const std::string macroFile = Data(added.entry.guid + ".mac");
    WriteText(macroFile, "{ \"Events\": [ broken");
    EXPECT_TRUE(store_.LoadEvents(added.entry.guid).empty());
    ASSERT_TRUE(store_.SaveEvents(0, {Parse(Event(10, 4, "down", "1"))}));
    EXPECT_EQ(ReadText(macroFile + ".broken"), "{ \"Events\": [ broken");
    EXPECT_EQ(store_.LoadEvents(added.entry.guid).size(), 1u);
}

TEST_F(MacroStoreTest, AListThatCannotBeReadIsNeverReplaced) {
    fs::create_directories(dir_ / "data" / "macro.config");  // a folder where the file belongs
    fs::create_directories(dir_ / "in");
    fs::copy_file(kData + "example.mac", Path("in/a.mac"));
    EXPECT_TRUE(store_.LoadList().empty());
    EXPECT_FALSE(store_.ListUsable());
    const auto before = Snapshot();
    for (const MacroResult& result :
         {store_.AddMacro(), store_.ImportMacro(Path("in/a.mac"), MacroStore::kKeyboardMemory)}) {
        EXPECT_EQ(result.status, MacroStatus::kFileError);
        EXPECT_EQ(result.textKey, "message_macro_file_error");
        EXPECT_NE(result.detail.find(Data("macro.config") + ": is a folder"), std::string::npos)
            << result.detail;
    }
    EXPECT_EQ(Snapshot(), before);
}

// ---- removal --------------------------------------------------------------------------------

TEST_F(MacroStoreTest, RemoveDeletesTheMacroFileOnlyWhenNothingElseNamesIt) {
    AddMacros(3);
    const std::vector<MacroEntry> entries = store_.LoadList();
    ASSERT_TRUE(store_.RemoveMacro(1));
    EXPECT_EQ(store_.LoadList(), (std::vector<MacroEntry>{entries[0], entries[2]}));
    EXPECT_FALSE(fs::exists(Data(entries[1].guid + ".mac")));
    EXPECT_TRUE(fs::exists(Data(entries[2].guid + ".mac")));

    // A hand-edited list: two entries share a file, one names a path outside.
    WriteText(Path("outside.mac"), "{}");
    WriteList({{"a", "shared"}, {"b", "shared"}, {"c", "../outside"}});
    WriteText(Data("shared.mac"), "{}");
    ASSERT_TRUE(store_.RemoveMacro(2));
    ASSERT_TRUE(store_.RemoveMacro(0));
    EXPECT_TRUE(fs::exists(Path("outside.mac")));
    EXPECT_TRUE(fs::exists(Data("shared.mac")));
    EXPECT_EQ(store_.RemoveMacro(5).status, MacroStatus::kUnchanged);
}

// ---- the download ---------------------------------------------------------------------------

TEST(MacroDownload, SizeAndOverflowAtTheBoundary) {
    struct Case {
        std::vector<std::size_t> counts;
        std::size_t limit;
        std::size_t size;
        int overflow;
    } cases[] = {
        {{}, 1024, 16, 0},
        {{250}, 1024, 1022, 0},
        {{251}, 1024, 1026, 1},
        {{249, 0}, 1024, 1024, 0},  // exactly full
        {{249, 0}, 1023, 1024, 1},
        {{249, 1}, 1024, 1028, 2},
        {{100, 100, 56}, 1024, 1058, 9},
        {{100, 100, 56}, 2048, 1058, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.counts) + " in " + std::to_string(c.limit));
        EXPECT_EQ(MacroDownloadSize(c.counts), c.size);
        EXPECT_EQ(MacroOverflowCount(c.size, c.limit), c.overflow);
    }
}

TEST_F(MacroStoreTest, PlanDownloadPacksTheUsedMacrosOrNothing) {
    fs::copy_file(kData + "hand_edited_macro.config", Data("macro.config"));
    fs::copy_file(kData + "hand_edited.mac", Data("2023_11_20_08_00_00_001.mac"));
    // Macro 1 was never saved: it counts no events.
    const MacroDownload plan = store_.PlanDownload({1, 0}, 1024);
    EXPECT_EQ(plan.size, 16u + 12 + 16);
    EXPECT_EQ(plan.overflow, 0);
    ASSERT_EQ(plan.macros.size(), 2u);
    EXPECT_TRUE(plan.macros[0].empty());
    ASSERT_EQ(plan.macros[1].size(), 4u);
    EXPECT_EQ(plan.macros[1][1], (PackedMacroEvent{0xFF, 0xFF, 0x0A, 0x04}));

    const MacroDownload tight = store_.PlanDownload({1, 0}, 40);
    EXPECT_EQ(tight.overflow, 2);
    EXPECT_TRUE(tight.macros.empty());
}

TEST(MacroUse, UsedMacrosInOrderOfFirstUse) {
    std::vector<KeyListEntry> bindings(50, Binding({0x20, 0, 0x04}));
    bindings[5] = Binding({0x70, 2, 0});
    bindings[9] = Binding({0x71, 0, 3});
    bindings[40] = Binding({0x70, 2, 1});
    bindings[3] = Binding({0x70, 7, 0});  // beyond the list
    bindings[1] = Binding({0x20, 1, 0});  // not a macro kind
    std::vector<uint8_t> keyTable(50, 0);
    EXPECT_EQ(UsedMacros(keyTable, bindings, 3), (std::vector<int>{2, 0}));
    keyTable[9] = 255;  // no key at position 9
    EXPECT_EQ(UsedMacros(keyTable, bindings, 3), (std::vector<int>{2}));
    EXPECT_EQ(UsedMacros(std::span(keyTable).first(5), bindings, 3), (std::vector<int>{}));
    EXPECT_EQ(UsedMacros(keyTable, bindings, 8), (std::vector<int>{7, 2}));
}

TEST(MacroUse, RenumberingForARemoval) {
    const AssignmentCode key{0x20, 0, 0x04};
    struct Case {
        AssignmentCode before;
        AssignmentCode after;
    } cases[] = {
        // clang-format off
        {{0x70, 0, 2}, {0x70, 0, 2}},        // below: kept
        {{0x70, 1, 2}, key},                 // the removed macro: the default
        {{0x71, 1, 9}, key},
        {{0x70, 2, 3}, {0x70, 1, 3}},        // above: one lower
        {{0x71, 5, 4}, {0x71, 4, 4}},
        {{0x20, 1, 0x04}, {0x20, 1, 0x04}},  // not a macro
        {{0x72, 2, 0}, {0x72, 2, 0}},
        // clang-format on
    };
    std::vector<KeyListEntry> list;
    for (const Case& c : cases) list.push_back(Binding(c.before, key));
    EXPECT_TRUE(UsesMacro(list, 1));
    EXPECT_FALSE(UsesMacro(list, 3));
    EXPECT_TRUE(RenumberMacroBindings(list, 1));
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].current.code, cases[i].after);
        EXPECT_EQ(list[i].defaultHalf.code, key);
    }
    std::vector<KeyListEntry> untouched{Binding({0x70, 0, 0}), Binding(key)};
    EXPECT_FALSE(RenumberMacroBindings(untouched, 1));
}

// ---- renumbering real profiles ---------------------------------------------------------------

class MacroProfilesTest : public ProfileListTest {
protected:
    void SetUp() override {
        ProfileListTest::SetUp();
        Use(1, "keyboard");
        MakeProfiles(3);  // profile 0 is the active one
        data_.SetDefaultPath(DefaultProfile("keyboard"));
        data_.SetProfilePath(list_.ProfilePath(0));
        data_.LoadDocument(list_.ProfilePath(0));
        store_.SetClock(FixedNow);
    }
    /// Sets the current codes of keys in profile `profile`'s file.
    void Bind(int profile, const std::vector<std::pair<int, AssignmentCode>>& codes) {
        CBasicProfiledata data;
        data.SetDefaultPath(DefaultProfile("keyboard"));
        data.LoadScratchDocument(list_.ProfilePath(profile));
        std::vector<KeyListEntry> keys = data.GetScratchKeyList();
        for (const auto& [key, code] : codes) keys[size_t(key)].current.code = code;
        data.SetScratchKeyList(keys);
        ASSERT_TRUE(data.SaveScratch(list_.ProfilePath(profile)));
    }
    std::vector<KeyListEntry> Keys(int profile) {
        CBasicProfiledata data;
        data.LoadScratchDocument(list_.ProfilePath(profile));
        return data.GetScratchKeyList();
    }
    /// Binds macros 0, 1, 2 to keys 0, 1, 2 of profile `profile`.
    void BindThree(int profile) {
        Bind(profile, {{0, {0x70, 0, 0}}, {1, {0x70, 1, 0}}, {2, {0x71, 2, 4}}});
    }
    void ExpectRenumbered(int profile) {
        const std::vector<KeyListEntry> keys = Keys(profile);
        EXPECT_EQ(keys[0].current.code, (AssignmentCode{0x70, 0, 0}));
        EXPECT_EQ(keys[1].current.code, keys[1].defaultHalf.code);
        EXPECT_EQ(keys[2].current.code, (AssignmentCode{0x71, 1, 4}));
    }

    CBasicProfiledata data_;
    MacroStore store_{Data("")};
};

TEST_F(MacroProfilesTest, OtherProfilesAreRenumberedAndTheActiveOneIsLeftAlone) {
    BindThree(1);
    BindThree(0);
    const std::string active = ReadText(list_.ProfilePath(0));
    const std::string unbound = ReadText(list_.ProfilePath(2));

    const RenumberResult renumbered = RenumberOtherProfiles(list_, data_, 1);
    ASSERT_TRUE(renumbered.result) << renumbered.result.detail;
    EXPECT_EQ(renumbered.changedFiles, std::vector<std::string>{list_.ProfilePath(1)});
    ExpectRenumbered(1);
    EXPECT_EQ(ReadText(list_.ProfilePath(0)), active);
    EXPECT_EQ(ReadText(list_.ProfilePath(2)), unbound);
}

TEST_F(MacroProfilesTest, AProfileThatCannotBeReadStopsTheRenumberingBeforeAnyWrite) {
    BindThree(1);
    fs::remove(list_.ProfilePath(2));
    fs::create_directories(list_.ProfilePath(2));  // a folder where the profile belongs
    const auto before = Snapshot();
    const RenumberResult renumbered = RenumberOtherProfiles(list_, data_, 1);
    EXPECT_EQ(renumbered.result.status, MacroStatus::kFileError);
    EXPECT_NE(renumbered.result.detail.find(list_.ProfilePath(2) + ": is a folder"),
              std::string::npos)
        << renumbered.result.detail;
    EXPECT_TRUE(renumbered.changedFiles.empty());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(MacroProfilesTest, AFailedWriteUndoesTheProfilesWrittenBeforeIt) {
    BindThree(1);
    BindThree(2);
    const auto before = Snapshot();
    const std::string failing = list_.ProfilePath(2);
    const FileWriter writer = [&](const std::string& path, std::string_view bytes) {
        return path == failing ? FileResult{false, path + ": disk full"}
                               : WriteFileAtomic(path, bytes);
    };
    const RenumberResult renumbered = RenumberOtherProfiles(list_, data_, 1, writer);
    EXPECT_EQ(renumbered.result.status, MacroStatus::kFileError);
    EXPECT_EQ(renumbered.result.detail, failing + ": disk full");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(MacroProfilesTest, RemovingEverywhereChangesTheListAndEveryProfileTogether) {
    for (int i = 0; i < 3; ++i) {
        const MacroResult added = store_.AddMacro();
        ASSERT_TRUE(added);
        ASSERT_TRUE(store_.SaveEvents(added.index, {Parse(Event(10, 4, "down", "1"))}));
    }
    const std::vector<MacroEntry> entries = store_.LoadList();
    BindThree(1);
    BindThree(0);
    data_.LoadDocument(list_.ProfilePath(0));
    ASSERT_TRUE(UsesMacro(data_.GetKeyList(), 1));

    // A failed list write changes nothing, in the files or in memory.
    const auto before = Snapshot();
    store_.SetFileWriter([&](const std::string& path, std::string_view bytes) {
        return path == store_.ListPath() ? FileResult{false, path + ": disk full"}
                                         : WriteFileAtomic(path, bytes);
    });
    EXPECT_EQ(store_.RemoveMacroEverywhere(1, list_, data_).result.status, MacroStatus::kFileError);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(UsesMacro(data_.GetKeyList(), 1));

    store_.SetFileWriter(WriteFileLogged);
    const RenumberResult removed = store_.RemoveMacroEverywhere(1, list_, data_);
    ASSERT_TRUE(removed.result) << removed.result.detail;
    EXPECT_TRUE(removed.activeChanged);
    EXPECT_EQ(store_.LoadList(), (std::vector<MacroEntry>{entries[0], entries[2]}));
    EXPECT_FALSE(fs::exists(Data(entries[1].guid + ".mac")));
    ExpectRenumbered(0);  // the active profile's file
    ExpectRenumbered(1);
    const std::vector<KeyListEntry> inMemory = data_.GetKeyList();
    EXPECT_EQ(inMemory[1].current.code, inMemory[1].defaultHalf.code);
    EXPECT_EQ(inMemory[2].current.code, (AssignmentCode{0x71, 1, 4}));
}

// ---- imports -----------------------------------------------------------------------------------

TEST_F(MacroStoreTest, RefusedImportsNameTheFileAndChangeNothing) {
    const std::string key = Event(10, 4, "down", "\"50\"");
    struct Case {
        const char* what;
        std::string fileName;
        std::string content;
        const char* problem;  // part of the detail
    } cases[] = {
        {"not JSON", "a.mac", "hello", "is not a complete JSON document"},
        {"something after the document", "a.mac", MacroText(key) + "{}", "not a complete JSON"},
        {"empty file", "a.mac", "", "is empty"},
        {"top level an array", "a.mac", "[" + MacroText(key) + "]", "top level is an array"},
        {"Events a string", "a.mac", R"({"Events":"x"})", "\"Events\" is a string, not an array"},
        {"an event not an object", "a.mac", MacroText(key + ",3"), "event 2 of 2 is an integer"},
        {"Action not a string", "a.mac",
         MacroText(R"({"Action":1,"Button":4,"Delay":"0","Type":10})"),
         "has an \"Action\" that is an integer, not a string"},
        {"Action missing", "a.mac", MacroText(R"({"Button":4,"Delay":"0","Type":10})"),
         "has no \"Action\""},
        {"Button a string", "a.mac",
         MacroText(R"({"Action":"up","Button":"4","Delay":"0","Type":10})"),
         "has a \"Button\" that is a string, not an integer"},
        {"Type a fraction", "a.mac",
         MacroText(R"({"Action":"up","Button":4,"Delay":"0","Type":10.5})"),
         "has a \"Type\" that is a number with a fraction"},
        {"Delay a boolean", "a.mac", MacroText(Event(10, 4, "up", "true")),
         "has a \"Delay\" that is a boolean"},
        {"Delay text", "a.mac", MacroText(Event(10, 4, "up", "\"5x\"")),
         "has \"Delay\" \"5x\", which is not a decimal number"},
        {"Delay signed text", "a.mac", MacroText(Event(10, 4, "up", "\"-5\"")),
         "which is not a decimal number"},
        {"Delay too long", "a.mac", MacroText(Event(10, 4, "up", "65536")),
         "has \"Delay\" 65536, which is not 0 to 65535"},
        {"Delay text too long", "a.mac", MacroText(Event(10, 4, "up", "\"99999999999\"")),
         "which is not 0 to 65535"},
        {"Delay negative", "a.mac", MacroText(Event(10, 4, "up", "-1")), "which is not 0 to 65535"},
        {"unknown type", "a.mac", MacroText(Event(2, 4, "up", "0")),
         "has \"Type\" 2, which is not an event type"},
        {"button beyond a byte", "a.mac", MacroText(Event(10, 256, "up", "0")),
         "has \"Button\" 256, which is not 0 to 255"},
        {"button negative", "a.mac", MacroText(Event(4, -1, "up", "0")), "which is not 0 to 255"},
        {"no such mouse button", "a.mac", MacroText(Event(1, 3, "up", "0")),
         "which is not a mouse button"},
        {"two modifier bits", "a.mac", MacroText(Event(9, 3, "up", "0")),
         "which is not one modifier bit"},
        {"no modifier bit", "a.mac", MacroText(Event(9, 0, "up", "0")), "not one modifier bit"},
        {"more events than the device holds", "a.mac", MacroText(ManyEvents(251)),
         "has 251 events; one macro of this device holds at most 250"},
        {"MacroName not UTF-8", "a.mac", "{\"Events\":[],\"MacroName\":\"caf\xE9\"}",
         "\"MacroName\" is not UTF-8 text"},
        {"a member twice", "a.mac", R"({"Events":[],"Events":[]})", "Duplicate key"},
        {"MacroName with a slash", "a.mac", R"({"Events":[],"MacroName":"a/b"})",
         "holds a path separator"},
        {"MacroName with a backslash", "a.mac", R"({"Events":[],"MacroName":"a\\b"})",
         "holds a path separator"},
        {"MacroName a number", "a.mac", R"({"MacroName":5})", "\"MacroName\" is an integer"},
        {"Guid an array", "a.mac", R"({"Guid":[]})", "\"Guid\" is an array"},
        {"name not UTF-8", "caf\xE9.mac", MacroText(key), "its name is not UTF-8"},
        {"name only an extension", ".mac", MacroText(key), "gives no macro name"},
        {"name blank", "  .mac", MacroText(key), "gives no macro name"},
        {"name with an ampersand", "R&D.mac", MacroText(key), "holds \"&\""},
        {"over 1 MB", "a.mac", MacroText(key) + std::string(MacroStore::kMaxFileBytes, ' '),
         "cannot be read: larger than 1048576 bytes"},
    };
    fs::copy_file(kData + "hand_edited_macro.config", Data("macro.config"));
    fs::copy_file(kData + "hand_edited.mac", Data("2023_11_20_08_00_00_001.mac"));
    const auto before = Snapshot();
    auto expectRefused = [&](const std::string& path, const char* problem) {
        const MacroResult result = store_.ImportMacro(path, MacroStore::kKeyboardMemory);
        EXPECT_EQ(result.status, MacroStatus::kImportRefused);
        EXPECT_EQ(result.textKey, "message_macro_import_refused");
        EXPECT_EQ(result.detail.rfind(path + ": ", 0), 0u) << result.detail;
        EXPECT_NE(result.detail.find(problem), std::string::npos) << result.detail;
        EXPECT_EQ(Snapshot(), before);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_ / "in");
        fs::create_directories(dir_ / "in");
        WriteText(Path("in/" + c.fileName), c.content);
        expectRefused(Path("in/" + c.fileName), c.problem);
    }
    expectRefused(Path("in/missing.mac"), "cannot be read: cannot open: No such file");
    expectRefused(Path("in"), "cannot be read: is a folder");
    if (geteuid() != 0) {  // root reads it anyway
        WriteText(Path("in/locked.mac"), MacroText(key));
        fs::permissions(Path("in/locked.mac"), fs::perms::none);
        expectRefused(Path("in/locked.mac"), "cannot be read: cannot open: Permission denied");
    }
    const MacroResult empty = store_.ImportMacro("", MacroStore::kKeyboardMemory);
    EXPECT_EQ(empty.status, MacroStatus::kImportRefused);
    EXPECT_NE(empty.detail.find("the path is empty"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
}

TEST(MacroImportCheck, FilesTheProgramWritesAreAccepted) {
    struct Case {
        const char* what;
        std::string content;
        std::size_t events;
    } cases[] = {
        {"recorded", ReadText(kData + "example.mac"), 8},
        {"hand edited", ReadText(kData + "hand_edited.mac"), 4},
        {"no events", ReadText(kData + "empty.mac"), 0},
        {"no Events member", R"({"Guid":"g","MacroName":"m","Version":64})", 0},
        {"Events null", R"({"Events":null})", 0},
        {"as many events as fit", MacroText(ManyEvents(250)), 250},
        {"a comment", "// mine\n" + MacroText(Event(5, 255, "down", "0")), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MacroImportCheck check =
            CheckMacroFile(c.content, "name", MacroStore::kKeyboardMemory);
        EXPECT_TRUE(check.ok) << check.problem;
        EXPECT_EQ(check.events.size(), c.events);
    }
}

// ---- failed writes ------------------------------------------------------------------------------

TEST_F(MacroStoreTest, FailedWritesAreReportedAndLeaveEverythingAsItWas) {
    AddMacros(1);
    fs::create_directories(dir_ / "in");
    fs::copy_file(kData + "example.mac", Path("in/a.mac"));
    const auto before = Snapshot();
    std::string failing;
    store_.SetFileWriter([&](const std::string& path, std::string_view bytes) {
        return path == failing ? FileResult{false, path + ": disk full"}
                               : WriteFileAtomic(path, bytes);
    });
    struct Case {
        const char* what;
        std::string failing;
        std::function<MacroResult()> operation;
    } cases[] = {
        {"add", store_.ListPath(), [&] { return store_.AddMacro(); }},
        {"rename", store_.ListPath(), [&] { return store_.RenameMacro(0, "x"); }},
        {"remove", store_.ListPath(), [&] { return store_.RemoveMacro(0); }},
        {"save", store_.MacroPath(store_.LoadList()[0].guid),
         [&] { return store_.SaveEvents(0, {}); }},
        // The list is written first; the failed copy takes it back.
        {"import", store_.MacroPath(MakeTimestampId(FixedNow() + milliseconds(1))),
         [&] { return store_.ImportMacro(Path("in/a.mac"), MacroStore::kKeyboardMemory); }},
        {"export", Path("out.mac"), [&] { return store_.ExportMacro(0, Path("out.mac")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        failing = c.failing;
        const MacroResult result = c.operation();
        EXPECT_EQ(result.status, MacroStatus::kFileError);
        EXPECT_EQ(result.textKey, "message_macro_file_error");
        EXPECT_EQ(result.detail, c.failing + ": disk full");
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_FALSE(fs::exists(Path("out.mac")));
}

TEST_F(MacroStoreTest, AReadOnlyFolderIsReportedByTheRealWriter) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    AddMacros(1);
    const auto before = Snapshot();
    fs::permissions(dir_ / "data", fs::perms::owner_read | fs::perms::owner_exec);
    const MacroResult added = store_.AddMacro();
    const MacroResult saved = store_.SaveEvents(0, {});
    fs::permissions(dir_ / "data", fs::perms::owner_all);
    EXPECT_EQ(added.status, MacroStatus::kFileError);
    EXPECT_EQ(added.detail.rfind(store_.ListPath() + ": ", 0), 0u) << added.detail;
    EXPECT_EQ(saved.status, MacroStatus::kFileError);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(MacroStoreTest, AnExportThatCannotBeWrittenIsReported) {
    AddMacros(1);
    WriteText(Path("a_file"), "x");  // a file where a folder on the way belongs, even for root
    const MacroResult exported = store_.ExportMacro(0, Path("a_file/out.mac"));
    EXPECT_EQ(exported.status, MacroStatus::kFileError);
    EXPECT_NE(exported.detail.find(Path("a_file")), std::string::npos) << exported.detail;
}

}  // namespace
}  // namespace tirk::test
