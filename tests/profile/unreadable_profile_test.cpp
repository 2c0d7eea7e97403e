// A profile file that is there but cannot be read is the user's, with content
// we do not know: it is never repaired, copied or saved over. Missing and
// unparsable files keep their own treatment (created; kept as .broken and
// repaired). And the reader's leniency about trailing commas.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "profile/basic_profiledata.h"
#include "profile/json_file.h"
#include "profile/mouse_profiledata.h"
#include "support/out_of_descriptors.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using tirk::ProfileLoad;
using tirk::test::ReadText;
using tirk::test::WriteText;

const std::string kDefaultMouse = TIRK_RESOURCE_DIR "/DefaultData/mouse.Json";
const std::string kUserProfile =
    R"({"Device":[{"LightInfo":{"Red":7}}],"profilename":"Mine","profileUUID":"u1"})";

class UnreadableProfileTest : public tirk::test::TestFolder {
protected:
    void SetUp() override {
        TestFolder::SetUp();
        profile_.SetDefaultPath(kDefaultMouse);
        profile_.SetProfilePath(path_);
    }
    Json::Value DefaultDocument() const { return tirk::ReadJson(kDefaultMouse)["Device"][0]; }
    /// A save of an edit, which must be refused, naming the file and `reason`.
    void ExpectSaveRefused(const std::string& reason) {
        tirk::LightInfoRecord light;
        light.red = 99;
        profile_.SetLightInfo(light);
        const tirk::FileResult saved = profile_.SaveProfile();
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.error.rfind(path_ + ": not saved: ", 0), 0u) << saved.error;
        EXPECT_NE(saved.error.find(reason), std::string::npos) << saved.error;
    }

    const std::string path_ = Path("p.Json");
    tirk::CMouseProfiledata profile_;
};

TEST_F(UnreadableProfileTest, LoadTellsMissingUnparsableAndUnreadableFilesApart) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        ProfileLoad outcome;
        std::vector<std::string> files;  // in the folder afterwards
        const char* message;             // in LastLoad().message; "" for none
    };
    const Case cases[] = {
        {"missing: a first start",
         [](const std::string&) {},
         ProfileLoad::kCreated,
         {"p.Json"},
         ""},
        {"unparsable: kept aside, then repaired",
         [](const std::string& p) { WriteText(p, "{ \"Device\" : [ { \"Red"); },
         ProfileLoad::kRepaired,
         {"p.Json", "p.Json.broken"},
         "kept as"},
        {"a folder in its place: left alone",
         [](const std::string& p) { fs::create_directory(p); },
         ProfileLoad::kUnreadable,
         {"p.Json"},
         "cannot be read (is a folder)"},
        {"too large to be a profile: left alone",
         [](const std::string& p) {
             WriteText(p, kUserProfile);
             fs::resize_file(p, tirk::kMaxReadBytes + 1);
         },
         ProfileLoad::kUnreadable,
         {"p.Json"},
         "larger than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : Files()) fs::remove_all(Path(name));
        c.make(path_);
        const bool wasFolder = fs::is_directory(path_);
        const auto sizeBefore = fs::is_regular_file(path_) ? fs::file_size(path_) : 0;

        EXPECT_EQ(profile_.LoadDocument(path_), DefaultDocument()) << "the default is used";
        EXPECT_EQ(profile_.LastLoad().outcome, c.outcome);
        EXPECT_NE(profile_.LastLoad().message.find(c.message), std::string::npos)
            << profile_.LastLoad().message;
        EXPECT_EQ(Files(), c.files);
        if (c.outcome != ProfileLoad::kUnreadable) {
            EXPECT_EQ(tirk::ReadJson(path_)["Device"][0], DefaultDocument());
            continue;
        }
        EXPECT_EQ(profile_.LastLoad().message.rfind(path_ + ": ", 0), 0u);
        EXPECT_EQ(fs::is_directory(path_), wasFolder);
        if (!wasFolder) {
            EXPECT_EQ(fs::file_size(path_), sizeBefore);
        }
        ExpectSaveRefused("could not be read when it was loaded");
        EXPECT_EQ(Files(), c.files) << "nothing written, nothing kept aside";
    }
}

// A lack of descriptors passes: the file reads again at the next save. The old
// reader took the failed read for an empty file, so that save replaced the
// user's device document with the default.
TEST_F(UnreadableProfileTest, AFileUnreadableAtLoadIsNotSavedOverOnceItReadsAgain) {
    WriteText(path_, kUserProfile);
    {
        tirk::test::OutOfDescriptors exhausted;
        ASSERT_TRUE(exhausted.active());
        profile_.LoadDocument(path_);
    }
    EXPECT_EQ(profile_.LastLoad().outcome, ProfileLoad::kUnreadable);
    EXPECT_NE(profile_.LastLoad().message.find("Too many open files"), std::string::npos)
        << profile_.LastLoad().message;

    ExpectSaveRefused("Too many open files");
    EXPECT_FALSE(profile_.WriteDocument(path_, Json::Value(Json::objectValue)).ok);
    // Reading the file into the scratch document does not make the device
    // document, still the default standing in, the file's own.
    EXPECT_EQ(profile_.LoadScratchDocument(path_)["LightInfo"]["Red"].asInt(), 7);
    ExpectSaveRefused("Too many open files");
    EXPECT_EQ(ReadText(path_), kUserProfile);
    EXPECT_EQ(Files(), std::vector<std::string>{"p.Json"});

    // Once the device document is the file's own again, saving works.
    profile_.LoadDocument(path_);
    EXPECT_EQ(profile_.LastLoad().outcome, ProfileLoad::kLoaded);
    tirk::LightInfoRecord light;
    light.red = 99;
    profile_.SetLightInfo(light);
    ASSERT_TRUE(profile_.SaveProfile());
    const Json::Value saved = tirk::ReadJson(path_);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Red"].asInt(), 99);
    EXPECT_EQ(saved["profilename"].asString(), "Mine");
}

// A save reads the file to keep what it does not own; a file that cannot be
// read then would lose all of that.
TEST_F(UnreadableProfileTest, AFileThatBecameUnreadableIsNotSavedOver) {
    WriteText(path_, kUserProfile);
    profile_.LoadDocument(path_);
    ASSERT_EQ(profile_.LastLoad().outcome, ProfileLoad::kLoaded);
    fs::resize_file(path_, tirk::kMaxReadBytes + 1);
    ExpectSaveRefused("the file cannot be read (larger than");
    EXPECT_EQ(fs::file_size(path_), tirk::kMaxReadBytes + 1);
    EXPECT_EQ(Files(), std::vector<std::string>{"p.Json"});
}

// jsoncpp's reader accepts a comma after the last element of an array or an
// object (the stricter reader of the original program refused the file). A
// hand edit that leaves one keeps working; nothing is lost, and the next save
// writes the file without it.
TEST_F(UnreadableProfileTest, TrailingCommasOfAHandEditAreAccepted) {
    const std::string text = R"({
        "Device" : [ { "LightInfo" : { "Red" : 5, "Green" : 6, },
                       "KeyList" : [ { "Assignment" : 1, "DefaultAssignment" : 1 }, ], }, ],
        "profilename" : "Edited by hand",
    })";
    WriteText(path_, text);
    const Json::Value document = profile_.LoadDocument(path_);
    EXPECT_EQ(profile_.LastLoad().outcome, ProfileLoad::kLoaded);
    EXPECT_EQ(document["LightInfo"]["Green"].asInt(), 6);
    EXPECT_EQ(profile_.GetKeyList().size(), 1u) << "no null element for the trailing comma";
    EXPECT_EQ(ReadText(path_), text) << "not rewritten on load";
    EXPECT_EQ(Files(), std::vector<std::string>{"p.Json"}) << "not kept aside as .broken";

    ASSERT_TRUE(profile_.SaveProfile());
    EXPECT_EQ(ReadText(path_).find(", }"), std::string::npos);
    EXPECT_EQ(tirk::ReadJson(path_)["profilename"].asString(), "Edited by hand");
}

}  // namespace
