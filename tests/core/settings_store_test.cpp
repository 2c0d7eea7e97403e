#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "support/temp_folder.h"

namespace tirk {
namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.valid()); }

    std::string Write(const std::string& content) {
        EXPECT_TRUE(WriteFileAtomic(path_, content));
        return path_;
    }
    std::string Read() const {
        std::string content;
        EXPECT_TRUE(ReadWholeFile(path_, content));
        return content;
    }

    test::TempFolder folder_{{.prefix = "tirk-settings"}};
    const std::string path_ = folder_.path() + "/TIRK/settings.ini";
};

TEST(SettingsStorePath, FollowsXdgConfigHomeThenHome) {
    struct Case {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/conf", "/home/u", "/x/conf/TIRK/settings.ini"},
        {"/x/conf/", "/home/u", "/x/conf/TIRK/settings.ini"},
        {nullptr, "/home/u", "/home/u/.config/TIRK/settings.ini"},
        {"", "/home/u", "/home/u/.config/TIRK/settings.ini"},
        // A relative XDG_CONFIG_HOME is invalid by the base directory rules.
        {"relative", "/home/u", "/home/u/.config/TIRK/settings.ini"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingsStore::PathFor(c.xdg, c.home), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " / " << (c.home ? c.home : "(unset)");
}

TEST_F(SettingsStoreTest, MissingFileIsEmptyAndNoError) {
    SettingsStore store(path_);
    EXPECT_TRUE(store.Load());
    EXPECT_FALSE(store.Exists());
    EXPECT_FALSE(store.Get("LANGUAGE"));
}

TEST_F(SettingsStoreTest, SaveCreatesTheFolderAndReadsBack) {
    SettingsStore store(path_);
    ASSERT_TRUE(store.Load());
    ASSERT_TRUE(store.Set("LANGUAGE", "1033"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Read(), "[TIRK]\nLANGUAGE=1033\n");

    SettingsStore again(path_);
    ASSERT_TRUE(again.Load());
    EXPECT_TRUE(again.Exists());
    EXPECT_EQ(again.GetInt("LANGUAGE"), 1033);
}

// A hand-edited file: comments, other sections, a broken line and a BOM all
// survive a change of the language; only the value changes.
TEST_F(SettingsStoreTest, MalformedLineIsReportedButValuesCountAndNothingIsLost) {
    const std::string original =
        "\xEF\xBB\xBF; my settings\n"
        "[Other]\n"
        "LANGUAGE=7\n"
        "this line is broken\n"
        "\n"
        "[TIRK]\n"
        "  LANGUAGE = 2052  \n"
        "# the end\n";
    Write(original);
    SettingsStore store(path_);
    FileResult loaded = store.Load();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.error, path_ + ":4: not a section, key=value or comment");
    EXPECT_TRUE(store.Exists());
    EXPECT_EQ(store.GetInt("LANGUAGE"), 2052);
    EXPECT_EQ(store.GetInt("LANGUAGE", "Other"), 7);

    ASSERT_TRUE(store.Set("LANGUAGE", "1031"));
    ASSERT_TRUE(store.Set("NEW", "x"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(Read(),
              "; my settings\n[Other]\nLANGUAGE=7\nthis line is broken\n\n[TIRK]\nLANGUAGE=1031\n"
              "NEW=x\n# the end\n");
}

TEST_F(SettingsStoreTest, ValueThatIsNotANumberIsToldApartFromAMissingOne) {
    struct Case {
        const char* line;
        bool present;
        bool malformed;
    };
    const Case cases[] = {
        {"LANGUAGE=1049", true, false},    {"LANGUAGE=-5", true, false},
        {"LANGUAGE=", false, true},        {"LANGUAGE=12ab", false, true},
        {"LANGUAGE=english", false, true}, {"LANGUAGE=99999999999999999999", false, true},
        {"OTHER=1", false, false},
    };
    for (const Case& c : cases) {
        Write(std::string("[TIRK]\n") + c.line + "\n");
        SettingsStore store(path_);
        ASSERT_TRUE(store.Load()) << c.line;
        bool malformed = false;
        EXPECT_EQ(store.GetInt("LANGUAGE", SettingsStore::kSection, &malformed).has_value(),
                  c.present)
            << c.line;
        EXPECT_EQ(malformed, c.malformed) << c.line;
    }
}

TEST_F(SettingsStoreTest, UnreadableFileIsReportedAndLeftAlone) {
    fs::create_directories(path_);  // a folder where the file should be
    SettingsStore store(path_);
    FileResult loaded = store.Load();
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(store.Exists());
    EXPECT_NE(loaded.error.find(path_), std::string::npos) << loaded.error;
}

TEST_F(SettingsStoreTest, FailedSaveKeepsTheOldFileAndNamesIt) {
    Write("[TIRK]\nLANGUAGE=1033\n");
    SettingsStore blocked(path_ + "/inner.ini");  // below a file: cannot be made
    ASSERT_TRUE(blocked.Set("LANGUAGE", "0"));
    FileResult saved = blocked.Save();
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.error.find("inner.ini"), std::string::npos) << saved.error;
    EXPECT_EQ(Read(), "[TIRK]\nLANGUAGE=1033\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path_).parent_path()),
                            fs::directory_iterator()),
              1)
        << "no temporary file may remain";
}

TEST_F(SettingsStoreTest, SetRefusesWhatWouldBreakTheFile) {
    SettingsStore store(path_);
    EXPECT_FALSE(store.Set("", "1"));
    EXPECT_FALSE(store.Set("A=B", "1"));
    EXPECT_FALSE(store.Set(" A", "1"));
    EXPECT_FALSE(store.Set("A", "1\nB=2"));
    EXPECT_FALSE(store.Set("A", "1", "S]"));
    EXPECT_EQ(store.Text(), "");
}

TEST(SettingsStoreNoFolder, SaveWithoutAPathFailsWithAReason) {
    SettingsStore store("");
    store.Set("LANGUAGE", "1");
    FileResult saved = store.Save();
    EXPECT_FALSE(saved);
    EXPECT_FALSE(saved.error.empty());
}

}  // namespace
}  // namespace tirk
