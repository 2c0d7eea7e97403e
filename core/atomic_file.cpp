#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tirk {
namespace {

FileResult Failure(const std::string& path, const std::string& what) {
    return {false, path + ": " + what};
}

FileResult Errno(const std::string& path, const char* step) {
    return Failure(path, std::string(step) + ": " + std::strerror(errno));
}

bool WriteAll(int fd, std::string_view content) {
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// A replaced file keeps its permissions (a user's 0600 stays private); a new
// one gets the usual 0644.
mode_t ModeForReplacement(const std::string& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    return 0644;
}

// Gives the temporary its permissions and content and closes it. Returns the
// step that failed (errno tells why), or null.
const char* FillTemporary(int fd, mode_t mode, std::string_view content, Durability durability) {
    const char* failed = nullptr;
    if (::fchmod(fd, mode) != 0)
        failed = "cannot set the permissions of the temporary file";
    else if (!WriteAll(fd, content) || (durability == Durability::kSynced && ::fsync(fd) != 0))
        failed = "cannot write";
    const int saved = errno;
    if (::close(fd) != 0 && !failed) return "cannot write";
    errno = saved;
    return failed;
}

bool SyncFolderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool synced = ::fsync(fd) == 0;
    int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

}  // namespace

FileResult WriteFileAtomic(const std::string& path, std::string_view content,
                           Durability durability) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) return Failure(path, "cannot create folder: " + ec.message());

    std::string temp = path + ".tmp-XXXXXX";
    // Close-on-exec: a program started meanwhile must not inherit the file.
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Errno(path, "cannot create temporary file");
    const char* failed = FillTemporary(fd, ModeForReplacement(path), content, durability);
    if (failed) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return Errno(path, failed);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return Errno(path, "cannot replace");
    }
    // The rename itself is only durable once the folder is on the disk.
    if (durability == Durability::kSynced && !SyncFolderOf(target))
        return Errno(path, "cannot sync its folder");
    return {};
}

}  // namespace tirk
