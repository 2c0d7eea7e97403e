#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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

}  // namespace

FileResult WriteFileAtomic(const std::string& path, std::string_view content,
                           Durability durability) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) return Failure(path, "cannot create folder: " + ec.message());

    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return Errno(path, "cannot create temporary file");
    ::fchmod(fd, 0644);
    bool written = WriteAll(fd, content) &&
                   (durability == Durability::kProcessLifetime || ::fsync(fd) == 0);
    int saved = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        errno = saved;
        return Errno(path, "cannot write");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return Errno(path, "cannot replace");
    }
    return {};
}

FileResult ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Errno(path, "cannot open");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return Failure(path, "read error");
    content = buffer.str();
    return {};
}

}  // namespace tirk
