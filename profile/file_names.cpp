#include "profile/file_names.h"

#include <filesystem>

namespace tirk {

bool IsPlainFileName(const std::string& id) {
    return !id.empty() && id.size() <= kMaxFileIdLength && id != "." && id != ".." &&
           id.find('/') == std::string::npos && id.find('\0') == std::string::npos;
}

std::string FileStem(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

}  // namespace tirk
