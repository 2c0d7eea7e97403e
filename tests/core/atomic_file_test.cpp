#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

// dir_ does not exist at the start: writing must make the folders it needs.
class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.valid()); }
    tirk::test::TempFolder folder_{{.prefix = "tirk-atomic", .create = false}};
    const fs::path dir_{folder_.path()};
};

TEST_F(AtomicFileTest, CreatesFoldersAndReplacesContent) {
    std::string path = (dir_ / "a" / "b" / "profile.json").string();
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "first"));
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "second"));
    std::string content;
    ASSERT_TRUE(tirk::ReadWholeFile(path, content));
    EXPECT_EQ(content, "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "a" / "b"), fs::directory_iterator()), 1)
        << "no temporary file may remain";
}

TEST_F(AtomicFileTest, FailedWriteKeepsOldFileAndNamesIt) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    std::string path = (dir_ / "p.json").string();
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "good"));
    ::chmod(dir_.c_str(), 0555);
    tirk::FileResult result = tirk::WriteFileAtomic(path, "bad");
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find(path), std::string::npos);
    std::string content;
    ASSERT_TRUE(tirk::ReadWholeFile(path, content));
    EXPECT_EQ(content, "good");
}

TEST_F(AtomicFileTest, WriteIntoAFileInsteadOfAFolderFailsCleanly) {
    fs::create_directories(dir_);
    std::string blocker = (dir_ / "blocker").string();
    ASSERT_TRUE(tirk::WriteFileAtomic(blocker, "x"));
    tirk::FileResult result = tirk::WriteFileAtomic(blocker + "/inner.json", "y");
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("inner.json"), std::string::npos);
}

TEST_F(AtomicFileTest, ReadOfMissingFileNamesIt) {
    std::string content;
    tirk::FileResult result = tirk::ReadWholeFile((dir_ / "missing.json").string(), content);
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("missing.json"), std::string::npos);
}

TEST_F(AtomicFileTest, ReplacementKeepsThePermissionsOfTheOldFile) {
    std::string path = (dir_ / "private.json").string();
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "first"));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "second"));
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
}
