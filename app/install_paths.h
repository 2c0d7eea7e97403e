// Where the program finds its own files ("skin", "Font", "DefaultData",
// devices.json): the installation folder. Pure std, no Qt.
#pragma once

#include <string>

namespace tirk {

/// The installation folder for an executable in `executable_folder`: the
/// folder itself when it holds "skin" (a build tree or a portable copy),
/// otherwise `<executable_folder>/../share/vorpaline-tirk` when that exists
/// (an installed program), otherwise the executable's folder. Always ends
/// without a slash.
std::string InstallationFolderFor(const std::string& executable_folder);

/// The folder of the running executable (/proc/self/exe); empty if unknown.
std::string ExecutableFolder();

/// InstallationFolderFor(ExecutableFolder()).
std::string InstallationFolder();

}  // namespace tirk
