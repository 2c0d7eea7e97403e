// The program's one whole-file reader: what it tells apart, and that no kind
// of path can make it block or read without bound.
#include "core/file_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/out_of_descriptors.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using tirk::ReadStatus;

class FileReadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.valid()); }
    std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    tirk::test::TempFolder folder_{{.prefix = "tirk-read"}};
};

TEST_F(FileReadTest, TellsContentNothingAndSomethingUnreadableApart) {
    struct Case {
        const char* what;
        std::function<void()> make;  // puts something at Path("x")
        ReadStatus status;
        int errorNumber;
        std::string content;
    };
    const Case cases[] = {
        {"bytes, NUL and non-UTF-8 included", [&] { Write("x", std::string("a\0b\xFF", 4)); },
         ReadStatus::kOk, 0, std::string("a\0b\xFF", 4)},
        {"an empty file", [&] { Write("x", ""); }, ReadStatus::kOk, 0, ""},
        {"nothing there", [] {}, ReadStatus::kMissing, ENOENT, ""},
        {"a folder", [&] { fs::create_directory(Path("x")); }, ReadStatus::kUnreadable, EISDIR, ""},
        // Opened without waiting for a writer, then refused: a read never hangs.
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(Path("x").c_str(), 0600), 0); },
         ReadStatus::kUnreadable, EINVAL, ""},
        {"a dangling symbolic link", [&] { fs::create_symlink(Path("gone"), Path("x")); },
         ReadStatus::kMissing, ENOENT, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Path("x"));
        c.make();
        const tirk::FileRead read = tirk::ReadFile(Path("x"));
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.errorNumber, c.errorNumber);
        EXPECT_EQ(read.content, c.content);
        if (c.status != ReadStatus::kOk) {
            EXPECT_EQ(read.error.rfind(Path("x") + ": ", 0), 0u)
                << "names the file: " << read.error;
        }
    }
}

TEST_F(FileReadTest, AFileBelowAFileIsMissingNotUnreadable) {
    Write("plain", "x");
    const tirk::FileRead read = tirk::ReadFile(Path("plain/inner.json"));
    EXPECT_EQ(read.status, ReadStatus::kMissing) << "nothing can be there, so nothing is lost";
    EXPECT_EQ(read.errorNumber, ENOTDIR);
}

TEST_F(FileReadTest, OutOfDescriptorsIsUnreadableAndSaysWhy) {
    Write("x", "content");
    tirk::FileRead read;
    {
        tirk::test::OutOfDescriptors exhausted;
        ASSERT_TRUE(exhausted.active());
        read = tirk::ReadFile(Path("x"));
    }
    EXPECT_EQ(read.status, ReadStatus::kUnreadable);
    EXPECT_EQ(read.errorNumber, EMFILE);
    EXPECT_EQ(read.error, Path("x") + ": cannot open: Too many open files");
    EXPECT_TRUE(read.content.empty());
    EXPECT_TRUE(tirk::ReadFile(Path("x"))) << "readable again once descriptors are free";
}

TEST_F(FileReadTest, FilesOverTheLimitAreNotRead) {
    Write("limit", std::string(16, 'a'));
    Write("over", std::string(17, 'a'));
    EXPECT_EQ(tirk::ReadFile(Path("limit"), 16).content, std::string(16, 'a'));
    const tirk::FileRead over = tirk::ReadFile(Path("over"), 16);
    EXPECT_EQ(over.status, ReadStatus::kTooLarge);
    EXPECT_EQ(over.errorNumber, EFBIG);
    EXPECT_NE(over.error.find(Path("over")), std::string::npos) << over.error;
    // Files of the kernel report no size; the limit holds while reading.
    EXPECT_EQ(tirk::ReadFile("/proc/self/status", 16).status, ReadStatus::kTooLarge);
    EXPECT_TRUE(tirk::ReadFile("/proc/self/status")) << "and they are read whole under it";
}

TEST_F(FileReadTest, TheDefaultLimitIsCheckedBeforeReading) {
    // A sparse file: big on paper, no time or memory to make.
    const std::string path = Path("huge");
    Write("huge", "");
    fs::resize_file(path, tirk::kMaxReadBytes + 1);
    EXPECT_EQ(tirk::ReadFile(path).status, ReadStatus::kTooLarge);
}

TEST_F(FileReadTest, ReadWholeFileIsOkOrTheError) {
    Write("x", "text");
    std::string content;
    ASSERT_TRUE(tirk::ReadWholeFile(Path("x"), content));
    EXPECT_EQ(content, "text");
    const tirk::FileResult missing = tirk::ReadWholeFile(Path("missing"), content);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, Path("missing") + ": cannot open: No such file or directory");
    EXPECT_EQ(content, "text") << "left alone on failure";
}

}  // namespace
