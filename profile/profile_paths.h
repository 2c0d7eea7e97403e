// Where the profile files of each device type live: the per-user device data
// folder and the installed default profile.
#pragma once

#include <string>

#include "core/atomic_file.h"

namespace tirk {

/// Device folder name of a device type code (1 and 9 keyboard, 2 and 6 mouse,
/// 3 mouse pad, 7 headset): "keyboard", "mouse", "MousePad", "HD"; empty for
/// any other code.
std::string DeviceFolderName(int deviceTypeCode);

/// "$XDG_DATA_HOME/Vorpaline TIRK/" (XDG_DATA_HOME unset or relative: the
/// home folder's ".local/share"). Ends in a slash. Creates nothing.
std::string UserDataRoot();

/// The device data folder UserDataRoot() + folderName + "/" in `folder`, and
/// creates both levels when missing. The result reports a folder that could
/// not be created (and is logged as a file fault); `folder` is set either way.
FileResult MakeDeviceDataFolder(const std::string& folderName, std::string& folder);

/// installFolder + "/DefaultData/" + folderName + ".Json". The installation
/// folder is the application's to decide (the executable's folder in a build
/// tree, <prefix>/share/vorpaline-tirk when installed).
std::string DefaultProfilePath(const std::string& installFolder, const std::string& folderName);

}  // namespace tirk
