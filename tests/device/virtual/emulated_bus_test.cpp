// The root of an emulated bus must be ours alone: whoever can change it can
// replace the devices' sockets and files the program talks to.
#include "device/virtual/emulated_bus.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/shipped_tables.h"
#include "vbus_test_support.h"

namespace tirk::vbus {
namespace {

namespace fs = std::filesystem;
using tirk::test::ShippedTables;

constexpr uid_t kSomeoneElse = 65534;  // "nobody"

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class EmulatedBusRoot : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent_.valid()); }
    /// Someone's folder at root_ with a file in it.
    void MakeFolder(mode_t mode, uid_t owner) {
        fs::create_directory(root_);
        std::ofstream(root_ + "/theirs") << "x";
        ASSERT_EQ(::chmod(root_.c_str(), mode), 0);
        ASSERT_EQ(::chown(root_.c_str(), owner, owner), 0);
    }
    /// The bus is refused, says which folder and why, and leaves it as it was.
    void ExpectRefused(const std::string& problem, mode_t mode) {
        std::string error;
        EXPECT_EQ(StartEmulatedBus(tables_, root_, &error), nullptr);
        EXPECT_EQ(error.rfind(root_ + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(problem), std::string::npos) << error;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"theirs"}) << "nothing made in the folder";
        EXPECT_EQ(ModeOf(root_), mode);
    }

    test::TempRoot parent_;
    const std::string root_ = parent_.path() + "/bus";
    const DeviceTables tables_ = ShippedTables();
};

TEST_F(EmulatedBusRoot, SomeoneElsesFolderIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    MakeFolder(0700, kSomeoneElse);
    ExpectRefused("belongs to user 65534", 0700);
}

TEST_F(EmulatedBusRoot, AFolderOthersCanWriteIsRefused) {
    MakeFolder(0777, ::geteuid());
    ExpectRefused("can be written by other users (mode 0777)", 0777);
}

TEST_F(EmulatedBusRoot, AFolderTheBusMakesIsPrivateWhateverTheUmask) {
    const mode_t saved = ::umask(0002);
    std::string error;
    auto bus = StartEmulatedBus(tables_, root_, &error);
    ::umask(saved);
    ASSERT_NE(bus, nullptr) << error;
    EXPECT_EQ(ModeOf(root_), 0700u);
}

TEST_F(EmulatedBusRoot, AnExistingPrivateFolderOfOursIsUsed) {
    MakeFolder(0700, ::geteuid());
    std::string error;
    EXPECT_NE(StartEmulatedBus(tables_, root_, &error), nullptr) << error;
    EXPECT_TRUE(fs::exists(root_ + "/theirs")) << "the bus removes only what it made";
}

}  // namespace
}  // namespace tirk::vbus
