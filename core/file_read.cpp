#include "core/file_read.h"

#include "core/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tirk {
namespace {

FileRead Failure(const std::string& path, ReadStatus status, int errorNumber,
                 const std::string& what) {
    FileRead read;
    read.status = status;
    read.errorNumber = errorNumber;
    read.error = path + ": " + what;
    return read;
}

FileRead ErrnoFailure(const std::string& path, ReadStatus status, const char* step) {
    const int saved = errno;
    return Failure(path, status, saved, std::string(step) + ": " + std::strerror(saved));
}

FileRead TooLarge(const std::string& path, size_t maxBytes) {
    return Failure(path, ReadStatus::kTooLarge, EFBIG,
                   "larger than " + std::to_string(maxBytes) + " bytes; not read");
}

int OpenForReading(const std::string& path) {
    // Non-blocking so that a pipe put in a file's place cannot hang the open;
    // the type check below refuses it. Regular files ignore the flag.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FileRead ReadFile(const std::string& path, size_t maxBytes) {
    const UniqueFd fd(OpenForReading(path));
    if (fd.Get() < 0) {
        // ENOTDIR: a file where a folder on the way belongs, so nothing can be here.
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return ErrnoFailure(path, missing ? ReadStatus::kMissing : ReadStatus::kUnreadable,
                            "cannot open");
    }
    struct stat info;
    if (::fstat(fd.Get(), &info) != 0)
        return ErrnoFailure(path, ReadStatus::kUnreadable, "cannot stat");
    if (S_ISDIR(info.st_mode)) return Failure(path, ReadStatus::kUnreadable, EISDIR, "is a folder");
    if (!S_ISREG(info.st_mode))
        return Failure(path, ReadStatus::kUnreadable, EINVAL, "is not a regular file");
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes)
        return TooLarge(path, maxBytes);

    FileRead read;
    read.content.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoFailure(path, ReadStatus::kUnreadable, "cannot read");
        if (n == 0) break;
        // A file that grew since the check (or reports no size, as /proc does).
        if (read.content.size() + static_cast<size_t>(n) > maxBytes)
            return TooLarge(path, maxBytes);
        read.content.append(chunk, static_cast<size_t>(n));
    }
    return read;
}

FileResult ReadWholeFile(const std::string& path, std::string& content) {
    FileRead read = ReadFile(path);
    if (!read) return {false, std::move(read.error)};
    content = std::move(read.content);
    return {};
}

}  // namespace tirk
