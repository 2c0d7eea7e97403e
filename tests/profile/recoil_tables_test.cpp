// The recoil tables: the installed defaults, reading and writing a shot in
// files users may have edited, resets, refused imports that change nothing,
// exports that import again, the exact bytes of the download block, and
// failed writes.
#include "profile/recoil_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "profile/json_file.h"
#include "test_folder.h"

namespace tirk::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string Event(const std::string& action, int button, const std::string& delay, int type) {
    return "{\"Action\":\"" + action + "\",\"Button\":" + std::to_string(button) +
           ",\"Delay\":" + delay + ",\"Type\":" + std::to_string(type) + "}";
}

std::string Table(const std::string& events, const std::string& more = {}) {
    return "{" + more + "\"Events\":[" + events + "]}";
}

/// `count` events that are valid on their own.
std::string ManyEvents(std::size_t count) {
    std::string events;
    for (std::size_t i = 0; i < count; ++i) events += (i ? "," : "") + Event("up", 0, "0", 5);
    return events;
}

/// A default table whose shot b pulls left b and down 2b with delay 80 + b,
/// written as the program writes (Delay as a number).
std::string DefaultTable(int gun) {
    std::string events;
    for (int b = 0; b < kRecoilShots; ++b) {
        const std::string x = std::to_string(b + gun), y = std::to_string(2 * b);
        events += std::string(b ? "," : "") + Event("down", 1, "10", 1) + "," +
                  Event("up", 1, "0", 1) + "," + Event("down", b + gun, "5", 4) + "," +
                  Event("up", 2 * b, std::to_string(80 + b), 5) + "," + Event("down", 0, "0", 4) +
                  "," + Event("up", 0, "0", 5);
    }
    return Table(events);
}

class RecoilTablesTest : public TestFolder {
protected:
    void SetUp() override {
        TestFolder::SetUp();
        fs::create_directories(dir_ / "data");
        fs::create_directories(dir_ / "defaults");
        for (int gun = 0; gun < kRecoilGuns; ++gun) WriteText(Default(gun), DefaultTable(gun));
    }
    std::string Data(const std::string& name) const { return Path("data/" + name); }
    std::string Table(int gun) const { return Data(RecoilFileName(gun)); }
    std::string Default(int gun) const { return Path("defaults/" + RecoilFileName(gun)); }
    Json::Value Events(int gun) const { return Parse(ReadText(Table(gun)))["Events"]; }
    /// Every file below the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir_))
            if (entry.is_regular_file()) files[entry.path().string()] = ReadText(entry.path());
        return files;
    }
    /// A writer that fails for `failing` and writes everything else.
    void FailWritesOf(const std::string& failing) {
        tables_.SetFileWriter([failing](const std::string& path, std::string_view bytes) {
            return path == failing ? FileResult{false, path + ": disk full"}
                                   : WriteFileLogged(path, bytes);
        });
    }

    RecoilTables tables_{Path("data"), Path("defaults")};
};

// ---- the installed defaults ----

TEST(RecoilDefaults, EveryGunHasAFullTableOfPlayableShotsInTheProgramsOwnForm) {
    for (int gun = 0; gun < kRecoilGuns; ++gun) {
        SCOPED_TRACE("gun " + std::to_string(gun));
        const std::string path =
            std::string(TIRK_RESOURCE_DIR "/DefaultData/") + RecoilFileName(gun);
        const std::string text = ReadText(path);
        const MacroImportCheck check = CheckRecoilFile(text);
        ASSERT_TRUE(check.ok) << check.problem;
        ASSERT_EQ(check.events.size(), size_t(kRecoilTableEvents));
        EXPECT_EQ(StyledJsonText(Parse(text)), text)
            << "rewrite with scripts/make_recoil_defaults.py";
        for (int b = 0; b < kRecoilShots; ++b) {
            const auto packed = [&](int i) { return Pack(check.events[size_t(6 * b + i)]); };
            EXPECT_EQ(packed(0), (PackedMacroEvent{10, 0, 0x81, 1})) << "shot " << b;
            EXPECT_EQ(packed(1), (PackedMacroEvent{0, 0, 0x01, 1})) << "shot " << b;
            EXPECT_EQ(packed(2).typeAction & 0x7F, 4);
            EXPECT_EQ(packed(2).Delay(), 5);
            EXPECT_EQ(packed(3).typeAction, 0x05) << "every shot pulls down";
            EXPECT_GT(packed(3).button, 0) << "shot " << b;
            // One shot lasts the click, the pause and the delay: a fire interval.
            EXPECT_GE(15 + packed(3).Delay(), 90);
            EXPECT_LE(15 + packed(3).Delay(), 130);
            EXPECT_EQ(packed(4).button, 0);
            EXPECT_EQ(packed(5).button, 0);
        }
    }
}

// ---- reading and writing a shot ----

TEST_F(RecoilTablesTest, AShotReadsItsPullsAndDelayWithDirectionsInAnyCase) {
    WriteText(Table(1), ::tirk::test::Table(ManyEvents(6) + "," + Event("x", 1, "10", 1) + "," +
                                            Event("x", 1, "0", 1) + "," + Event("DOWN", 7, "5", 4) +
                                            "," + Event("down", 12, "\"95\"", 5)));
    EXPECT_EQ(tables_.ReadShot(1, 1), (RecoilShot{true, true, 7, 12, 95}));
    EXPECT_EQ(tables_.ReadShot(1, 0), (RecoilShot{false, false, 0, 0, 0}));
    // Beyond the file's end, in a missing file, in one that does not parse.
    EXPECT_EQ(tables_.ReadShot(1, 2), RecoilShot{});
    EXPECT_EQ(tables_.ReadShot(0, 0), RecoilShot{});
    WriteText(Table(2), "{\"Events\": [");
    EXPECT_EQ(tables_.ReadShot(2, 0), RecoilShot{});
}

TEST_F(RecoilTablesTest, WritingAShotReplacesItsSixElementsAndKeepsEverythingElse) {
    WriteText(Table(0), DefaultTable(0));
    std::string text = ReadText(Table(0));
    text.insert(1, "\"Note\":\"mine\",");
    text.replace(text.find("\"Action\":\"down\",\"Button\":3,"), 0,
                 "\"Extra\":1,");  // shot 3, 6b+2
    WriteText(Table(0), text);

    ASSERT_TRUE(tables_.WriteShot(0, 3, {true, false, 9, 200, 1234}));
    const Json::Value root = Parse(ReadText(Table(0)));
    EXPECT_EQ(root["Note"], "mine");
    const Json::Value& events = root["Events"];
    ASSERT_EQ(events.size(), 180u);
    const char* expected[] = {R"({"Action":"down","Button":1,"Delay":10,"Type":1})",
                              R"({"Action":"up","Button":1,"Delay":0,"Type":1})",
                              R"({"Action":"down","Button":9,"Delay":5,"Extra":1,"Type":4})",
                              R"({"Action":"up","Button":200,"Delay":1234,"Type":5})",
                              R"({"Action":"down","Button":0,"Delay":0,"Type":4})",
                              R"({"Action":"up","Button":0,"Delay":0,"Type":5})"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(events[18 + i], Parse(expected[i])) << "element " << 18 + i;
        for (const char* number : {"Button", "Delay", "Type"})
            EXPECT_TRUE(events[18 + i][number].isInt()) << number << " is written as an integer";
    }
    const Json::Value before = Parse(DefaultTable(0))["Events"];
    for (Json::ArrayIndex i = 0; i < 180; ++i)
        if (i < 18 || i >= 24) {
            EXPECT_EQ(events[i], before[i]) << "element " << i;
        }
    EXPECT_EQ(tables_.ReadShot(0, 3), (RecoilShot{true, false, 9, 200, 1234}));
}

TEST_F(RecoilTablesTest, AShortTableGrowsWithNullsUpToTheWrittenShotAndStillImports) {
    WriteText(Table(0), ::tirk::test::Table(ManyEvents(6)));
    ASSERT_TRUE(tables_.WriteShot(0, 2, {false, true, 1, 2, 3}));
    const Json::Value events = Events(0);
    ASSERT_EQ(events.size(), 18u);
    for (Json::ArrayIndex i = 6; i < 12; ++i) EXPECT_TRUE(events[i].isNull()) << i;
    EXPECT_EQ(tables_.ReadShot(0, 2), (RecoilShot{false, true, 1, 2, 3}));
    EXPECT_EQ(tables_.ReadShot(0, 1), RecoilShot{});

    // Such a table is a recoil file: it exports and imports again.
    ASSERT_TRUE(tables_.Export(0, Path("short.shoot")));
    ASSERT_TRUE(tables_.Import(3, Path("short.shoot")));
    EXPECT_EQ(Events(3), events);
}

TEST_F(RecoilTablesTest, WritingIntoAFileThatDoesNotParseKeepsItAsBroken) {
    WriteText(Table(1), "{ \"Events\": [ oops");
    ASSERT_TRUE(tables_.WriteShot(1, 0, {false, false, 4, 5, 6}));
    EXPECT_EQ(ReadText(Table(1) + ".broken"), "{ \"Events\": [ oops");
    EXPECT_EQ(Events(1).size(), 6u);
}

// ---- resets ----

TEST_F(RecoilTablesTest, ResetCopiesTheDefaultByteForByteAlsoOverAnUnparsableFile) {
    WriteText(Table(0), "not json at all");
    EXPECT_TRUE(tables_.NeedsReset(0));
    ASSERT_TRUE(tables_.Reset(0));
    EXPECT_EQ(ReadText(Table(0)), ReadText(Default(0)));
    EXPECT_EQ(ReadText(Table(0) + ".broken"), "not json at all");
    EXPECT_FALSE(tables_.NeedsReset(0));
}

TEST_F(RecoilTablesTest, WhatPageStartResets) {
    const std::string event = Event("up", 0, "0", 5);
    const struct {
        const char* name;
        std::string content;  // "-" for no file
        bool reset;
    } cases[] = {
        {"missing", "-", true},
        {"empty", "", true},
        {"not JSON", "{", true},
        {"an array", "[]", true},
        {"no Events", "{\"x\":1}", true},
        {"Events not an array", "{\"Events\":{}}", true},
        {"an event that cannot be played", ::tirk::test::Table(Event("up", 0, "0", 7)), true},
        {"a table", ::tirk::test::Table(event), false},
        {"a table with gaps", ::tirk::test::Table("null," + event), false},
        {"an empty table", ::tirk::test::Table(""), false},
    };
    for (const auto& c : cases) {
        fs::remove(Table(2));
        if (c.content != "-") WriteText(Table(2), c.content);
        EXPECT_EQ(tables_.NeedsReset(2), c.reset) << c.name;
    }
}

TEST_F(RecoilTablesTest, AMissingOrBrokenDefaultLeavesTheUsersTableAlone) {
    WriteText(Table(1), DefaultTable(3));
    fs::remove(Default(1));
    const auto before = Snapshot();
    RecoilResult result = tables_.Reset(1);
    EXPECT_EQ(result.status, RecoilStatus::kFileError);
    EXPECT_EQ(result.textKey, recoil_text::kFileError);
    EXPECT_EQ(result.detail.rfind(Default(1) + ":", 0), 0u) << result.detail;

    WriteText(Default(1), "{\"Events\": 5}");
    const auto withBrokenDefault = Snapshot();
    result = tables_.Reset(1);
    EXPECT_EQ(result.status, RecoilStatus::kFileError);
    EXPECT_NE(result.detail.find("\"Events\" is an integer"), std::string::npos) << result.detail;
    EXPECT_EQ(Snapshot(), withBrokenDefault);
    fs::remove(Default(1));
    EXPECT_EQ(Snapshot(), before);
}

// ---- import and export ----

TEST_F(RecoilTablesTest, AnImportReplacesOnlyTheChosenGunsTable) {
    for (int gun = 0; gun < kRecoilGuns; ++gun) ASSERT_TRUE(tables_.Reset(gun));
    const std::string offered = DefaultTable(3) + "\n// kept as it is\n";
    WriteText(Path("spray.shoot"), offered);
    const auto before = Snapshot();
    ASSERT_TRUE(tables_.Import(2, Path("spray.shoot")));
    auto expected = before;
    expected[Table(2)] = offered;
    EXPECT_EQ(Snapshot(), expected);
}

TEST_F(RecoilTablesTest, AMalformedImportIsRefusedNamingTheFileAndChangesNothing) {
    const std::string good = Event("up", 3, "90", 5);
    const struct {
        const char* name;
        std::string content;  // "-" for no file at all
        const char* problem;  // part of the detail
    } cases[] = {
        {"missing", "-", "cannot be read"},
        {"empty", "", "is empty"},
        {"not JSON", "Events: 1", "is not a complete JSON document"},
        {"two documents", ::tirk::test::Table(good) + "{}", "is not a complete JSON document"},
        {"an array", "[" + good + "]", "the top level is an array"},
        {"no Events", "{\"Guid\":\"x\"}", "has no \"Events\""},
        {"Events a string", "{\"Events\":\"many\"}", "\"Events\" is a string"},
        {"Events twice", "{\"Events\":[],\"Events\":[]}", "is not a complete JSON document"},
        {"an event a number", ::tirk::test::Table(good + ",5"), "event 2 of 2 is an integer"},
        {"unknown type", ::tirk::test::Table(Event("up", 3, "90", 7)), "\"Type\" 7"},
        {"distance beyond a byte", ::tirk::test::Table(Event("up", 300, "90", 5)), "300"},
        {"delay not a number", ::tirk::test::Table(Event("up", 3, "\"soon\"", 5)), "\"soon\""},
        {"delay beyond 16 bits", ::tirk::test::Table(Event("up", 3, "70000", 5)), "70000"},
        {"too many events", ::tirk::test::Table(ManyEvents(kMaxRecoilFileEvents + 1)),
         "holds at most 4093"},
        {"too large", ::tirk::test::Table(good, "\"Pad\":\"" + std::string(1 << 20, 'x') + "\","),
         "cannot be read"},
    };
    for (int gun = 0; gun < kRecoilGuns; ++gun) ASSERT_TRUE(tables_.Reset(gun));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path("offered.shoot");
        fs::remove(path);
        if (c.content != "-") WriteText(path, c.content);
        const auto before = Snapshot();
        const RecoilResult result = tables_.Import(1, path);
        EXPECT_EQ(result.status, RecoilStatus::kImportRefused);
        EXPECT_EQ(result.textKey, recoil_text::kImportRefused);
        EXPECT_EQ(result.detail.rfind(path + ": ", 0), 0u) << result.detail;
        EXPECT_NE(result.detail.find(c.problem), std::string::npos) << result.detail;
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_EQ(tables_.Import(1, "").status, RecoilStatus::kUnchanged);
}

TEST_F(RecoilTablesTest, AnExportIsTheTablesBytesAndAlwaysImportsAgain) {
    ASSERT_TRUE(tables_.Reset(0));
    ASSERT_TRUE(tables_.Export(0, Path("out/a.shoot")));
    EXPECT_EQ(ReadText(Path("out/a.shoot")), ReadText(Table(0)));

    // A gun without a file is an empty table, and leaves as one.
    ASSERT_TRUE(tables_.Export(1, Path("empty.shoot")));
    ASSERT_TRUE(tables_.Import(0, Path("empty.shoot")));
    EXPECT_EQ(Events(0), Json::Value(Json::arrayValue));

    // A table that would not import again is not exported.
    WriteText(Table(2), "{\"Events\": [1]}");
    const RecoilResult result = tables_.Export(2, Path("bad.shoot"));
    EXPECT_EQ(result.status, RecoilStatus::kFileError);
    EXPECT_EQ(result.detail.rfind(Table(2) + ": ", 0), 0u) << result.detail;
    EXPECT_FALSE(fs::exists(Path("bad.shoot")));
}

// ---- the download block ----

TEST_F(RecoilTablesTest, TheBlockHoldsTheFourTablesInGunOrder) {
    WriteText(Table(0), ::tirk::test::Table(Event("down", 1, "10", 1)));
    // Gun 1 has no file: a table without events.
    WriteText(Table(2), ::tirk::test::Table("null," + Event("up", 12, "300", 5)));
    WriteText(Table(3), ::tirk::test::Table(Event("down", 3, "\"5\"", 4)));
    const RecoilBlock block = tables_.BuildBlock();
    ASSERT_TRUE(block.result) << block.result.detail;
    // clang-format off
    const Bytes expected = {
        0xAA, 0x55, 56, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // signature, size, count
        24, 0, 32, 0, 36, 0, 48, 0,                             // offsets
        1, 0, 0, 0, 10, 0, 0x81, 1,                             // gun 0: one click
        0, 0, 0, 0,                                             // gun 1: nothing
        2, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 0x05, 12,           // gun 2: a gap, a pull down
        1, 0, 0, 0, 5, 0, 0x84, 3,                              // gun 3: a pull left
    };
    // clang-format on
    EXPECT_EQ(block.bytes, expected);
}

TEST_F(RecoilTablesTest, NoBlockWhileATableIsBroken) {
    for (int gun = 0; gun < kRecoilGuns; ++gun) ASSERT_TRUE(tables_.Reset(gun));
    WriteText(Table(3), "{\"Events\": [");
    const RecoilBlock block = tables_.BuildBlock();
    EXPECT_EQ(block.result.status, RecoilStatus::kFileError);
    EXPECT_EQ(block.result.detail.rfind(Table(3) + ": ", 0), 0u) << block.result.detail;
    EXPECT_TRUE(block.bytes.empty());
}

TEST_F(RecoilTablesTest, FourFullTablesMakeTheBlockOfTheirSize) {
    for (int gun = 0; gun < kRecoilGuns; ++gun) ASSERT_TRUE(tables_.Reset(gun));
    const RecoilBlock block = tables_.BuildBlock();
    ASSERT_TRUE(block.result);
    EXPECT_EQ(block.bytes.size(), 16u + 4 * 2 + 4 * 4 + 4 * 4 * 180);
}

// ---- failures ----

TEST_F(RecoilTablesTest, AFailedWriteIsReportedAndChangesNothing) {
    ASSERT_TRUE(tables_.Reset(0));
    ASSERT_TRUE(tables_.WriteShot(0, 5, {false, false, 1, 2, 3}));  // no longer the default
    WriteText(Path("in.shoot"), DefaultTable(2));
    FailWritesOf(Table(0));
    const auto before = Snapshot();
    for (const RecoilResult& result : {tables_.WriteShot(0, 0, {true, true, 1, 1, 1}),
                                       tables_.Reset(0), tables_.Import(0, Path("in.shoot"))}) {
        EXPECT_EQ(result.status, RecoilStatus::kFileError);
        EXPECT_EQ(result.textKey, recoil_text::kFileError);
        EXPECT_EQ(result.detail, Table(0) + ": disk full");
    }
    EXPECT_EQ(Snapshot(), before);
    FailWritesOf(Path("out.shoot"));
    EXPECT_EQ(tables_.Export(0, Path("out.shoot")).detail, Path("out.shoot") + ": disk full");
}

TEST_F(RecoilTablesTest, ATableThatCannotBeReadIsNeverReplaced) {
    fs::create_directories(Table(1));  // a folder where the file belongs
    EXPECT_FALSE(tables_.NeedsReset(1));
    for (const RecoilResult& result :
         {tables_.WriteShot(1, 0, {}), tables_.Reset(1), tables_.BuildBlock().result}) {
        EXPECT_EQ(result.status, RecoilStatus::kFileError);
        EXPECT_EQ(result.detail.rfind(Table(1) + ": ", 0), 0u) << result.detail;
    }
    EXPECT_TRUE(fs::is_directory(Table(1)));
}

TEST(RecoilTablesWithoutFolder, ReadNothingAndWriteNothing) {
    RecoilTables tables;  // a page whose device has not given its folders yet
    EXPECT_FALSE(tables.NeedsReset(0));
    EXPECT_EQ(tables.ReadShot(0, 0), RecoilShot{});
    EXPECT_EQ(tables.WriteShot(0, 0, {true, true, 1, 1, 1}).status, RecoilStatus::kUnchanged);
    EXPECT_EQ(tables.Reset(0).status, RecoilStatus::kUnchanged);
    EXPECT_EQ(tables.BuildBlock().result.status, RecoilStatus::kUnchanged);
    EXPECT_FALSE(std::filesystem::exists(RecoilFileName(0)));
}

}  // namespace
}  // namespace tirk::test
