#include "app/install_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace tirk {
namespace {
namespace fs = std::filesystem;

class InstallPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.valid());
        fs::create_directories(root_ / "bin");
    }
    test::TempFolder folder_{{.prefix = "tirk-install"}};
    const fs::path root_{folder_.path()};
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
