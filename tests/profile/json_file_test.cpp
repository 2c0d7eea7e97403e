#include "profile/json_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <ctime>

#include "test_folder.h"

namespace {

using tirk::test::ReadText;
using tirk::test::WriteText;

class JsonFileTest : public tirk::test::TestFolder {};

TEST_F(JsonFileTest, ReadsCommentedFilesAndGivesNullForUnusableOnes) {
    WriteText(Path("commented.Json"),
              "// saved by hand\n{ \"a\" : 1, /* inline */ \"b\" : [ 2 ] }\n");
    WriteText(Path("empty.Json"), "");
    WriteText(Path("garbage.Json"), "{ \"a\" : ");
    // Deeper than the JSON library's nesting limit, where it throws.
    WriteText(Path("deep.Json"), "{\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "}");
    std::filesystem::create_directory(Path("folder.Json"));
    const Json::Value root = tirk::ReadJson(Path("commented.Json"));
    EXPECT_EQ(root["a"].asInt(), 1);
    EXPECT_EQ(root["b"][0].asInt(), 2);

    struct Case {
        const char* file;
        tirk::JsonReadStatus status;
    } cases[] = {{"missing.Json", tirk::JsonReadStatus::Missing},
                 {"empty.Json", tirk::JsonReadStatus::Empty},
                 {"garbage.Json", tirk::JsonReadStatus::Unparsable},
                 {"deep.Json", tirk::JsonReadStatus::Unparsable},
                 {"folder.Json", tirk::JsonReadStatus::Unreadable}};
    for (const Case& c : cases) {
        tirk::JsonReadStatus status;
        std::string error;
        EXPECT_TRUE(tirk::ReadJsonFile(Path(c.file), status, error).isNull()) << c.file;
        EXPECT_EQ(status, c.status) << c.file;
        EXPECT_NE(error.find(Path(c.file)), std::string::npos)
            << "the error names the file: " << error;
        EXPECT_TRUE(tirk::ReadJson(Path(c.file)).isNull()) << c.file;
    }
}

TEST(ParseImportedJson, RefusesNestingBeyondTheLimitWithoutThrowing) {
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    Json::Value root;
    EXPECT_NE(tirk::ParseImportedJson(deep, root, tirk::DuplicateMembers::kRefused), "");
}

// The leniency is a decision (docs/profiles.md): a comma after the last
// element reads as if it were not there; an element left out is still an error.
TEST_F(JsonFileTest, TrailingCommasAreAcceptedButMissingElementsAreNot) {
    struct Case {
        const char* text;
        const char* value;  // what it reads as; null: does not parse
    } cases[] = {
        {"[ 1, 2, ]", "[1,2]"},
        {"{ \"a\" : 1, }", "{\"a\":1}"},
        {"{ \"a\" : [ { \"b\" : 2, }, ], }", "{\"a\":[{\"b\":2}]}"},
        {"[ 1, , 2 ]", nullptr},
        {"[ , ]", nullptr},
        {"{ , }", nullptr},
    };
    for (const Case& c : cases) {
        WriteText(Path("p.Json"), c.text);
        tirk::JsonReadStatus status;
        std::string error;
        const Json::Value root = tirk::ReadJsonFile(Path("p.Json"), status, error);
        if (c.value) {
            EXPECT_EQ(status, tirk::JsonReadStatus::Ok) << c.text << ": " << error;
            EXPECT_EQ(root, tirk::test::Parse(c.value)) << c.text;
        } else {
            EXPECT_EQ(status, tirk::JsonReadStatus::Unparsable) << c.text;
        }
    }
}

TEST_F(JsonFileTest, WritesTheStyledFormWithAnExtraNewline) {
    Json::Value root;
    root["b"] = 1;
    root["B"] = Json::Value(Json::arrayValue);
    root["B"].append(1);
    root["B"].append(2);
    root["a"]["x"] = "y";
    ASSERT_TRUE(tirk::WriteJson(Path("p.Json"), root));
    EXPECT_EQ(
        ReadText(Path("p.Json")),
        "{\n   \"B\" : [ 1, 2 ],\n   \"a\" : {\n      \"x\" : \"y\"\n   },\n   \"b\" : 1\n}\n\n");
}

TEST_F(JsonFileTest, FailedWriteIsReportedAndKeepsTheOldFile) {
    // A file size limit makes the write fail as a full disk would (and works
    // for root, who ignores folder permissions).
    const std::string path = Path("p.Json");
    WriteText(path, "{ \"old\" : 1 }\n");
    Json::Value big;
    big["text"] = std::string(4096, 'x');
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const tirk::FileResult result = tirk::WriteJson(path, big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(path), std::string::npos) << result.error;
    EXPECT_EQ(ReadText(path), "{ \"old\" : 1 }\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"p.Json"}) << "no temporary may remain";
}

TEST_F(JsonFileTest, FailedWriteIntoAFolderThatIsAFileIsReported) {
    WriteText(Path("notafolder"), "x");
    const tirk::FileResult result = tirk::WriteJson(Path("notafolder/p.Json"), Json::Value(1));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("notafolder/p.Json"), std::string::npos) << result.error;
    EXPECT_EQ(ReadText(Path("notafolder")), "x");
}

TEST_F(JsonFileTest, WriteRemovesLeftoversOfInterruptedWritesOfTheSameFile) {
    for (const char* name : {"p.Json.tmp-Ab12Cd", "p.Json.tmp-zzzzzz", "p.Json.tmp-short",
                             "q.Json.tmp-Ab12Cd", "p.Json.broken"}) {
        WriteText(Path(name), "partial");
    }
    ASSERT_TRUE(tirk::WriteJson(Path("p.Json"), Json::Value(Json::objectValue)));
    EXPECT_EQ(Files(), (std::vector<std::string>{"p.Json", "p.Json.broken", "p.Json.tmp-short",
                                                 "q.Json.tmp-Ab12Cd"}));
}

TEST_F(JsonFileTest, ReadjsonFileReturnsBytesOrNothing) {
    WriteText(Path("bin"), std::string("a\0b\xFF", 4));
    EXPECT_EQ(tirk::readjsonFile(Path("bin")), std::string("a\0b\xFF", 4));
    EXPECT_EQ(tirk::readjsonFile(Path("missing")), "");
    EXPECT_EQ(tirk::readjsonFile(dir_.string()), "") << "a folder reads as nothing";
}

TEST(MakeTimestampId, FormatsLocalTimeWithMilliseconds) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 2;
    local.tm_isdst = -1;
    const auto when =
        std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(42);
    EXPECT_EQ(tirk::MakeTimestampId(when), "2024_03_07_09_05_02_042");
    EXPECT_EQ(tirk::MakeTimestampId().size(), std::string("2024_03_07_09_05_02_042").size());
}

}  // namespace
