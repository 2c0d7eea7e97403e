// The one way the program reads a whole file. It tells the four outcomes a
// caller must treat differently apart: the content, nothing there (a first
// start), something there that cannot be read (which must then be left
// alone, never replaced), and a file too big to be one of ours.
#pragma once

#include <cstddef>
#include <string>

#include "core/file_result.h"

namespace tirk {

/// The largest file ReadFile takes unless told otherwise: far above any data
/// file of the program, far below what would strain the memory.
inline constexpr size_t kMaxReadBytes = size_t(64) << 20;

enum class ReadStatus {
    kOk,          ///< the content is the whole file (possibly empty)
    kMissing,     ///< nothing at the path (no such file or folder on the way)
    kUnreadable,  ///< something is there but could not be read: no permission,
                  ///< an I/O error, out of descriptors, a folder, a device or pipe
    kTooLarge,    ///< a file bigger than the limit; not read
};

struct FileRead {
    ReadStatus status = ReadStatus::kOk;
    std::string content;  ///< the bytes when kOk, else empty
    std::string error;    ///< "<path>: <what went wrong>" unless kOk
    int errorNumber = 0;  ///< the errno of the failure (EFBIG for kTooLarge); 0 when kOk
    explicit operator bool() const { return status == ReadStatus::kOk; }
};

/// Reads the regular file at `path` whole. Never blocks on a pipe or a device:
/// anything but a regular file is kUnreadable.
FileRead ReadFile(const std::string& path, size_t maxBytes = kMaxReadBytes);

/// ReadFile for callers to whom any failure is just a failure: ok with the
/// content, or the error naming the file.
FileResult ReadWholeFile(const std::string& path, std::string& content);

}  // namespace tirk
