#include "core/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tirk {
namespace {

FileResult Refused(const std::string& path, const std::string& problem) {
    return {false, path + ": " + problem};
}

std::string OctalMode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", unsigned(mode & 07777));
    return text;
}

}  // namespace

FileResult CheckPrivateFolder(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return Refused(path, std::strerror(errno));
    if (S_ISLNK(info.st_mode)) return Refused(path, "is a symbolic link, not a folder");
    if (!S_ISDIR(info.st_mode)) return Refused(path, "is not a folder");
    if (info.st_uid != ::geteuid())
        return Refused(path, "belongs to user " + std::to_string(info.st_uid) + ", not to user " +
                                 std::to_string(::geteuid()) + " who runs the program");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return Refused(path, "can be written by other users (mode " + OctalMode(info.st_mode) +
                                 "); it must be private (0700)");
    return {};
}

FileResult MakePrivateFolder(const std::string& path) {
    // mkdir either makes a new private folder or fails because something is
    // there already, which is then checked: no moment in which another user's
    // folder could pass for ours.
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Refused(path, std::string("cannot create the folder: ") + std::strerror(errno));
    return CheckPrivateFolder(path);
}

}  // namespace tirk
