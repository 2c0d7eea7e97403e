#include "app/install_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tirk {
namespace {
namespace fs = std::filesystem;

class InstallPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() /
            ("tirk-install-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_F(InstallPathsTest, BuildTreeUsesTheExecutablesFolder) {
    fs::create_directories(root_ / "bin" / "skin");
    fs::create_directories(root_ / "share" / "vorpaline-tirk");
    EXPECT_EQ(InstallationFolderFor((root_ / "bin").string()), (root_ / "bin").string());
    EXPECT_EQ(InstallationFolderFor((root_ / "bin").string() + "/"), (root_ / "bin").string());
}

TEST_F(InstallPathsTest, InstalledProgramUsesShare) {
    fs::create_directories(root_ / "share" / "vorpaline-tirk");
    EXPECT_EQ(InstallationFolderFor((root_ / "bin").string()),
              (root_ / "share" / "vorpaline-tirk").string());
}

TEST_F(InstallPathsTest, NeitherFallsBackToTheExecutablesFolder) {
    EXPECT_EQ(InstallationFolderFor((root_ / "bin").string()), (root_ / "bin").string());
}

}  // namespace
}  // namespace tirk
