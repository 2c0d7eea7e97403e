// The result of a file operation, shared by the whole-file reads and writes.
#pragma once

#include <string>

namespace tirk {

/// Result of a file operation: ok, or a message naming the file and the problem.
struct FileResult {
    bool ok = true;
    std::string error;  ///< "<path>: <what went wrong>" when !ok
    explicit operator bool() const { return ok; }
};

}  // namespace tirk
