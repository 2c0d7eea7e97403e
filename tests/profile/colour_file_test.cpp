// The colour picker's colour file: the on-disk form, the round trip, members
// of other programs, and every kind of broken file (reported, defaults used,
// the broken file kept aside at the next save).
#include "profile/colour_file.h"

#include <gtest/gtest.h>
#include <json/value.h>
#include <json/writer.h>

#include <filesystem>

#include "test_folder.h"

namespace tirk {
namespace {

using test::Parse;
using test::ReadText;
using test::WriteText;

// A valid file of the documented shape, `slot` and `collect` replacing the
// default element texts.
std::string ValidFile(const std::string& slot = R"({ "color" : "FFFF0000" })",
                      const std::string& collect = R"({ "color" : "00000000", "UserData" : "" })",
                      const std::string& slotSelection = "3",
                      const std::string& collectSelection = "-1") {
    std::string slots, collected;
    for (int i = 0; i < kColourSlotCount; ++i) {
        slots += (i ? ", " : "") + slot;
        collected += (i ? ", " : "") + collect;
    }
    return R"({ "coloroptioninfo" : { "palletDialogcoloroption" : [ )" + slots +
           R"( ], "palletDialogcoloroption_selectitem" : )" + slotSelection +
           R"(, "palletDialogcollectcoloroption" : [ )" + collected +
           R"( ], "palletDialogcollectcoloroption_selectitem" : )" + collectSelection + " } }";
}

ColourOptions Sample() {
    ColourOptions options = DefaultColourOptions();
    options.colours[19] = 0x80123456;
    options.slotSelection = 7;
    options.collected[0] = {0xFF00FF00, kCollectedMark};
    options.collected[19] = {0xFFABCDEF, kCollectedMark};
    options.collectedSelection = 19;
    return options;
}

TEST(ColourTextTest, EightUpperCaseHexDigitsOfArgb) {
    EXPECT_EQ(FormatColour(0xFFFF0000), "FFFF0000");
    EXPECT_EQ(FormatColour(0x0000000A), "0000000A");
    EXPECT_EQ(FormatColour(0xDEADBEEF), "DEADBEEF");
}

TEST(ColourTextTest, ParsesOnlyEightHexDigits) {
    struct Case {
        const char* text;
        std::optional<uint32_t> expected;
    };
    const Case cases[] = {
        {"FFFF0000", 0xFFFF0000},   {"ffff0000", 0xFFFF0000},    {"00000000", 0u},
        {"FF0000", std::nullopt},   {"FFFF00000", std::nullopt}, {"GGFF0000", std::nullopt},
        {"+FFF0000", std::nullopt}, {" FFF0000", std::nullopt},  {"FFF0000 ", std::nullopt},
        {"0xFF0000", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColour(c.text), c.expected) << c.text;
}

TEST(ColourDefaultsTest, TwentyDistinctOpaqueColoursAndEmptyCollectedSlots) {
    const ColourOptions options = DefaultColourOptions();
    EXPECT_EQ(options.colours[0], 0xFFFF0000u);
    EXPECT_EQ(options.colours[16], 0xFFFFFFFFu);
    for (int i = 0; i < kColourSlotCount; ++i) {
        EXPECT_EQ(options.colours[i] >> 24, 0xFFu) << i;
        for (int j = 0; j < i; ++j) EXPECT_NE(options.colours[i], options.colours[j]) << i << j;
        EXPECT_NE(options.collected[i].userData, kCollectedMark) << i;
    }
    EXPECT_EQ(options.slotSelection, 0);
    EXPECT_EQ(options.collectedSelection, 0);
}

class ColourFileTest : public test::TestFolder {};

TEST_F(ColourFileTest, MissingFileGivesTheDefaultsWithoutAnError) {
    CColourFile file(Path("color_option_info.config"));
    std::string error = "unset";
    EXPECT_EQ(file.Load(&error), DefaultColourOptions());
    EXPECT_EQ(error, "");
}

TEST_F(ColourFileTest, SavedFileHasTheDocumentedShape) {
    CColourFile file(Path("sub/color_option_info.config"));  // the folder is made
    ASSERT_TRUE(file.Save(Sample()));
    const Json::Value root = Parse(ReadText(Path("sub/color_option_info.config")));
    const Json::Value& info = root["coloroptioninfo"];
    ASSERT_EQ(info["palletDialogcoloroption"].size(), 20u);
    EXPECT_EQ(info["palletDialogcoloroption"][0]["color"].asString(), "FFFF0000");
    EXPECT_EQ(info["palletDialogcoloroption"][19]["color"].asString(), "80123456");
    EXPECT_EQ(info["palletDialogcoloroption_selectitem"].asInt(), 7);
    ASSERT_EQ(info["palletDialogcollectcoloroption"].size(), 20u);
    EXPECT_EQ(info["palletDialogcollectcoloroption"][19]["color"].asString(), "FFABCDEF");
    EXPECT_EQ(info["palletDialogcollectcoloroption"][19]["UserData"].asString(), "1");
    EXPECT_EQ(info["palletDialogcollectcoloroption"][1]["UserData"].asString(), "");
    EXPECT_EQ(info["palletDialogcollectcoloroption_selectitem"].asInt(), 19);
}

TEST_F(ColourFileTest, RoundTrip) {
    CColourFile writer(Path("c.config"));
    ASSERT_TRUE(writer.Save(Sample()));
    CColourFile reader(Path("c.config"));
    std::string error;
    EXPECT_EQ(reader.Load(&error), Sample());
    EXPECT_EQ(error, "");
}

TEST_F(ColourFileTest, ReadsAHandWrittenFileWithLowerCaseAndNoSelection) {
    WriteText(Path("c.config"),
              ValidFile(R"({ "color" : "ff00ff00" })",
                        R"({ "color" : "FF0000FF", "UserData" : "1" })", "-1", "19"));
    std::string error;
    const ColourOptions options = CColourFile(Path("c.config")).Load(&error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(options.colours[5], 0xFF00FF00u);
    EXPECT_EQ(options.collected[5], (CollectedColour{0xFF0000FF, "1"}));
    EXPECT_EQ(options.slotSelection, -1);
    EXPECT_EQ(options.collectedSelection, 19);
}

TEST_F(ColourFileTest, MembersOfOtherProgramsSurviveASave) {
    Json::Value root = Parse(ValidFile(R"({ "color" : "FFFF0000", "name" : "red" })"));
    root["theme"] = "dark";
    root["coloroptioninfo"]["lastUsed"] = 4;
    Json::StreamWriterBuilder builder;
    WriteText(Path("c.config"), Json::writeString(builder, root));

    CColourFile file(Path("c.config"));
    ColourOptions options = file.Load();
    options.collected[2] = {0xFF112233, kCollectedMark};
    ASSERT_TRUE(file.Save(options));

    const Json::Value saved = Parse(ReadText(Path("c.config")));
    EXPECT_EQ(saved["theme"].asString(), "dark");
    EXPECT_EQ(saved["coloroptioninfo"]["lastUsed"].asInt(), 4);
    EXPECT_EQ(saved["coloroptioninfo"]["palletDialogcoloroption"][0]["name"].asString(), "red");
    EXPECT_EQ(saved["coloroptioninfo"]["palletDialogcollectcoloroption"][2]["color"].asString(),
              "FF112233");
}

struct BrokenCase {
    const char* name;
    std::string text;
    const char* problem;  // a part of the reported problem
};

std::vector<BrokenCase> BrokenCases() {
    const std::string collect = R"({ "color" : "00000000", "UserData" : "" })";
    const std::string slot = R"({ "color" : "FFFF0000" }, )";
    std::string nineteen = ValidFile();
    nineteen.erase(nineteen.find(slot), slot.size());
    std::string twentyOne = ValidFile();
    twentyOne.insert(twentyOne.find(slot), slot);
    return {
        {"Empty", "", "empty"},
        {"NotJson", "colours: red, green", "does not parse"},
        {"CutShort", ValidFile().substr(0, 200), "does not parse"},
        {"RootIsArray", "[ 1, 2 ]", "not a JSON object"},
        {"NoInfo", R"({ "other" : 1 })", "no \"coloroptioninfo\""},
        {"InfoIsText", R"({ "coloroptioninfo" : "x" })", "not an object"},
        {"SlotsAreObject", R"({ "coloroptioninfo" : { "palletDialogcoloroption" : {} } })",
         "is not an array"},
        {"NineteenSlots", nineteen, "has 19 slots"},
        {"TwentyOneSlots", twentyOne, "has 21 slots"},
        {"SlotIsNumber", ValidFile("5"), "is not an object"},
        {"ColourIsNumber", ValidFile(R"({ "color" : 4278190080 })"), "not a string"},
        {"ColourNoHex", ValidFile(R"({ "color" : "FFGG0000" })"), "not 8 hex digits"},
        {"ColourShort", ValidFile(R"({ "color" : "FF0000" })"), "not 8 hex digits"},
        {"ColourMissing", ValidFile(R"({ "colour" : "FFFF0000" })"), "has no \"color\""},
        {"UserDataMissing", ValidFile(R"({ "color" : "FFFF0000" })", R"({ "color" : "00000000" })"),
         "has no \"UserData\""},
        {"UserDataNumber",
         ValidFile(R"({ "color" : "FFFF0000" })", R"({ "color" : "00000000", "UserData" : 1 })"),
         "\"UserData\" is not a string"},
        {"SelectionText", ValidFile(R"({ "color" : "FFFF0000" })", collect, "\"3\""),
         "is not an integer"},
        {"SelectionTooLarge", ValidFile(R"({ "color" : "FFFF0000" })", collect, "20"),
         "20 is outside -1..19"},
        {"SelectionTooSmall", ValidFile(R"({ "color" : "FFFF0000" })", collect, "0", "-2"),
         "-2 is outside -1..19"},
    };
}

class BrokenColourFileTest : public ColourFileTest,
                             public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenColourFileTest, ReportedWithFileAndProblemThenDefaults) {
    const std::string path = Path("color_option_info.config");
    WriteText(path, GetParam().text);
    CColourFile file(path);
    std::string error;
    EXPECT_EQ(file.Load(&error), DefaultColourOptions());
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(GetParam().problem), std::string::npos) << error;
    EXPECT_EQ(ReadText(path), GetParam().text) << "loading changed the file";
}

TEST_P(BrokenColourFileTest, TheNextSaveKeepsTheBrokenFileAside) {
    const std::string path = Path("color_option_info.config");
    WriteText(path, GetParam().text);
    CColourFile file(path);
    file.Load();
    ASSERT_TRUE(file.Save(Sample()));
    EXPECT_EQ(ReadText(path + ".bad"), GetParam().text);
    EXPECT_EQ(CColourFile(path).Load(), Sample());
    // Only the first save keeps it: a second one must not replace the kept
    // copy with the good file.
    ASSERT_TRUE(file.Save(DefaultColourOptions()));
    EXPECT_EQ(ReadText(path + ".bad"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenColourFileTest, ::testing::ValuesIn(BrokenCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ColourFileTest, FailedSaveIsReportedWithTheFile) {
    WriteText(Path("blocker"), "a file where a folder must be");
    CColourFile file(Path("blocker/color_option_info.config"));
    const FileResult result = file.Save(Sample());
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("blocker/color_option_info.config"), std::string::npos)
        << result.error;
}

}  // namespace
}  // namespace tirk
