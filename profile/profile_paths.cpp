#include "profile/profile_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/log.h"

namespace tirk {
namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? entry->pw_dir : ".";
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

std::string DeviceFolderName(int deviceTypeCode) {
    switch (deviceTypeCode) {
        case 1:
        case 9:
            return "keyboard";
        case 2:
        case 6:
            return "mouse";
        case 3:
            return "MousePad";
        case 7:
            return "HD";
        default:
            return {};
    }
}

std::string UserDataRoot() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // The XDG base directory rules say to ignore a relative value.
    const std::string base = xdg && xdg[0] == '/' ? xdg : HomeFolder() + "/.local/share";
    return WithSlash(base) + "Vorpaline TIRK/";
}

FileResult MakeDeviceDataFolder(const std::string& folderName, std::string& folder) {
    folder = UserDataRoot() + folderName + "/";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
        const std::string what =
            "cannot create the folder: " + (ec ? ec.message() : "not a folder");
        log::FileFault(folder, what);
        return {false, folder + ": " + what};
    }
    return {};
}

std::string DefaultProfilePath(const std::string& installFolder, const std::string& folderName) {
    return WithSlash(installFolder) + "DefaultData/" + folderName + ".Json";
}

}  // namespace tirk
