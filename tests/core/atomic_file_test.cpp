#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
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

namespace {

// From now on fchmod fails in this process with EPERM, as it does on a file
// system without Unix permissions: a seccomp filter, so the code under test
// needs no hook. False when the kernel does not allow the filter. There is
// no way back, so only a child process may call it.
bool FailFchmodFromNowOn() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fchmod, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

}  // namespace

TEST_F(AtomicFileTest, PermissionsThatCannotBeSetFailTheWriteAndKeepTheOldFile) {
    const std::string path = (dir_ / "p.json").string();
    ASSERT_TRUE(tirk::WriteFileAtomic(path, "good"));
    enum Outcome { kRefusedNamingFileAndStep, kWritten, kVagueError, kNoFilter };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!FailFchmodFromNowOn()) ::_exit(kNoFilter);
        const tirk::FileResult result = tirk::WriteFileAtomic(path, "bad");
        const bool named = result.error.rfind(path + ": ", 0) == 0 &&
                           result.error.find("permissions") != std::string::npos;
        ::_exit(result ? kWritten : named ? kRefusedNamingFileAndStep : kVagueError);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoFilter) GTEST_SKIP() << "the kernel refuses seccomp filters";
    EXPECT_EQ(WEXITSTATUS(status), kRefusedNamingFileAndStep)
        << "1: the write went through; 2: the error does not name the file and the step";
    std::string content;
    ASSERT_TRUE(tirk::ReadWholeFile(path, content));
    EXPECT_EQ(content, "good");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
        << "no temporary file may remain";
}
