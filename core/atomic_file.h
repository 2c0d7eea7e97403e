// Whole-file writes that never leave a half-written file behind: the content
// goes to a temporary file in the same folder, is flushed to disk, and replaces
// the target with rename(2), which is atomic on POSIX file systems.
#pragma once

#include <string>
#include <string_view>

#include "core/file_read.h"  // the reading half: ReadFile, ReadWholeFile
#include "core/file_result.h"

namespace tirk {

/// Whether a write waits until the content is on the disk. Files that only
/// live as long as the process (the virtual bus's tree) skip the wait: the
/// rename still makes them appear whole, and fsync on a real disk costs
/// milliseconds per file.
enum class Durability { kSynced, kProcessLifetime };

/// Replaces `path` with `content` atomically. Creates missing parent folders.
/// On failure (including a temporary whose permissions cannot be set) the old
/// file (if any) is untouched and no temporary file remains.
FileResult WriteFileAtomic(const std::string& path, std::string_view content,
                           Durability durability = Durability::kSynced);

}  // namespace tirk
