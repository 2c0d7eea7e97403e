#include "app/install_paths.h"

#include <filesystem>
#include <system_error>

namespace tirk {
namespace fs = std::filesystem;

std::string InstallationFolderFor(const std::string& executable_folder) {
    std::error_code error;
    fs::path folder = fs::path(executable_folder).lexically_normal();
    if (!folder.has_filename() && folder.has_parent_path()) folder = folder.parent_path();
    if (fs::is_directory(folder / "skin", error)) return folder.string();
    const fs::path shared = (folder / ".." / "share" / "vorpaline-tirk").lexically_normal();
    if (fs::is_directory(shared, error)) return shared.string();
    return folder.string();
}

std::string ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string InstallationFolder() {
    return InstallationFolderFor(ExecutableFolder());
}

}  // namespace tirk
