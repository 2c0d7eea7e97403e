// Names of the files in the device data folders: identifiers from hand-edited
// list files that become file names there, and the names imported files give.
#pragma once

#include <cstddef>
#include <string>

namespace tirk {

/// Longest identifier that becomes a file name: with its suffix (".Json",
/// ".mac") it must fit NAME_MAX.
inline constexpr std::size_t kMaxFileIdLength = 200;

/// True when `id` can be joined to a data folder as a file name without
/// reaching outside it: not empty, at most kMaxFileIdLength bytes, not "." or
/// "..", no '/' and no NUL.
bool IsPlainFileName(const std::string& id);

/// The file name of `path` without its folder and without what follows the
/// last dot ("/x/a.b.mac" gives "a.b", "/x/.mac" gives "").
std::string FileStem(const std::string& path);

}  // namespace tirk
