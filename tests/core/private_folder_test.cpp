// The check shared by the folders whose content the program trusts (the
// single-instance folder, the virtual bus of `tirk --emulate`).
#include "core/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kSomeoneElse = 65534;  // "nobody"

class PrivateFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent_.valid()); }
    tirk::test::TempFolder parent_{{.prefix = "tirk-private"}};
    const std::string folder_ = parent_.path() + "/folder";
};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST_F(PrivateFolderTest, AMissingFolderIsMadeForUsAlone) {
    const mode_t saved = ::umask(0);  // even with a permissive umask
    const tirk::FileResult made = tirk::MakePrivateFolder(folder_);
    ::umask(saved);
    ASSERT_TRUE(made) << made.error;
    EXPECT_EQ(ModeOf(folder_), 0700u);
    EXPECT_TRUE(tirk::MakePrivateFolder(folder_)) << "an existing private folder is used";
}

TEST_F(PrivateFolderTest, FoldersOthersCouldChangeAreRefusedAndLeftAlone) {
    const auto folder = [&](mode_t mode, uid_t owner) {
        return [this, mode, owner] {
            fs::create_directory(folder_);
            ::chmod(folder_.c_str(), mode);
            return owner == ::geteuid() || ::chown(folder_.c_str(), owner, owner) == 0;
        };
    };
    struct Case {
        const char* what;
        std::function<bool()> make;  // puts something at folder_
        const char* problem;         // in the error, after the folder's name
        mode_t mode;                 // the mode it must still have
    };
    const Case cases[] = {
        {"someone else's folder", folder(0700, kSomeoneElse), "belongs to user 65534", 0700},
        {"writable by everyone", folder(0777, ::geteuid()),
         "can be written by other users (mode 0777)", 0777},
        {"writable by the group", folder(0770, ::geteuid()),
         "can be written by other users (mode 0770)", 0770},
        {"a symbolic link to a private folder of ours",
         [this] {
             const std::string target = parent_.path() + "/target";
             fs::create_directory(target);
             ::chmod(target.c_str(), 0700);
             fs::create_directory_symlink(target, folder_);
             return true;
         },
         "is a symbolic link", 0777},
        {"a file",
         [this] {
             std::ofstream(folder_) << "x";
             return ::chmod(folder_.c_str(), 0600) == 0;
         },
         "is not a folder", 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        if (!c.make()) {
            // Only root can give a folder away.
            EXPECT_NE(::geteuid(), 0u) << "the case cannot be set up";
            continue;
        }
        for (const tirk::FileResult& result :
             {tirk::CheckPrivateFolder(folder_), tirk::MakePrivateFolder(folder_)}) {
            EXPECT_FALSE(result);
            EXPECT_EQ(result.error.rfind(folder_ + ": ", 0), 0u) << result.error;
            EXPECT_NE(result.error.find(c.problem), std::string::npos) << result.error;
        }
        EXPECT_EQ(ModeOf(folder_), c.mode) << "left as it was";
    }
}

TEST_F(PrivateFolderTest, AFolderOthersMayOnlyReadIsAccepted) {
    fs::create_directory(folder_);
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    EXPECT_TRUE(tirk::CheckPrivateFolder(folder_));
}

TEST_F(PrivateFolderTest, AFolderThatCannotBeMadeSaysWhy) {
    const std::string deep = parent_.path() + "/missing/folder";
    const tirk::FileResult result = tirk::MakePrivateFolder(deep);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, deep + ": cannot create the folder: No such file or directory");
}

}  // namespace
