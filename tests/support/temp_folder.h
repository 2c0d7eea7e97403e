// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tirk::test {

/// Where a TempFolder is made.
enum class TempParent {
    kSystemTemp,  ///< std::filesystem::temp_directory_path() ($TMPDIR, else /tmp)
    /// /dev/shm when it can be used, else kSystemTemp. For folders the virtual
    /// bus writes durably: syncing a disk for every plug would make each test
    /// wait on the disk.
    kMemoryIfAvailable,
};

struct TempFolderOptions {
    /// The folder is "<prefix>-XXXXXX" (six random characters). Keep it short:
    /// sockets are made below some of these folders and their paths are limited.
    std::string prefix = "tirk-test";
    TempParent parent = TempParent::kSystemTemp;
    /// false: the name is reserved but the folder is not there, for tests of
    /// code that must make its own folder.
    bool create = true;
    /// true: left on disk at the end, to look into after a failure.
    bool keep = false;
};

/// A uniquely named folder owned by one test: no two tests, processes or runs
/// share one, so tests need no clean-up of earlier runs and may run in parallel.
class TempFolder {
public:
    /// Makes the folder (see TempFolderOptions). When no folder can be made,
    /// path() is empty and valid() false; a test should assert valid().
    explicit TempFolder(const TempFolderOptions& options = {}) : keep_(options.keep) {
        if (options.parent == TempParent::kMemoryIfAvailable)
            path_ = MakeUnder("/dev/shm", options);
        if (path_.empty()) path_ = MakeUnder(SystemTemp(), options);
        if (!path_.empty() && !options.create) ::rmdir(path_.c_str());
    }

    /// Removes the folder and everything in it unless asked to keep it. Gives
    /// the owner back the rights on the folder first: a test may take them
    /// away to provoke a failed write.
    ~TempFolder() {
        if (keep_ || path_.empty()) return;
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    /// False when no folder could be made.
    bool valid() const { return !path_.empty(); }
    /// The folder's absolute path, without a trailing slash; "" when not valid().
    const std::string& path() const { return path_; }

private:
    static std::string SystemTemp() {
        std::error_code error;
        std::string temp = std::filesystem::temp_directory_path(error).string();
        if (error || temp.empty()) return "/tmp";
        if (temp.size() > 1 && temp.back() == '/') temp.pop_back();
        return temp;
    }

    /// A new folder "<parent>/<prefix>-XXXXXX"; "" when it cannot be made.
    static std::string MakeUnder(const std::string& parent, const TempFolderOptions& options) {
        std::string pattern = parent + "/" + options.prefix + "-XXXXXX";
        return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }

    std::string path_;
    bool keep_;
};

}  // namespace tirk::test
