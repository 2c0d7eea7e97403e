// Folders whose content the program trusts because nobody else can change it:
// the single-instance folder and the virtual bus of `tirk --emulate`. Such a
// folder in a shared place (/tmp) could have been made in advance by another
// user, who could then replace what we put in it.
#pragma once

#include <string>

#include "core/file_result.h"

namespace tirk {

/// Ok when `path` is a folder (not a symbolic link) owned by this process's
/// effective user and not writable by its group or by others; else the error
/// names the folder and the problem.
FileResult CheckPrivateFolder(const std::string& path);

/// Creates `path` with mode 0700 when it is missing (its parent must exist),
/// then CheckPrivateFolder. An existing folder is checked, never changed.
FileResult MakePrivateFolder(const std::string& path);

}  // namespace tirk
