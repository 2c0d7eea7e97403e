// A set of file replacements that happens whole or not at all: the profile
// list and the profile files it names must never disagree because one write
// of several failed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"

namespace tirk {

/// Replaces one file atomically (WriteFileAtomic by default; tests inject
/// failures). Returns the result, with "<path>: <problem>" on failure.
using FileWriter = std::function<FileResult(const std::string& path, std::string_view bytes)>;

/// WriteFileAtomic, with a failure logged as a file fault.
FileResult WriteFileLogged(const std::string& path, std::string_view bytes);

class CFileBatch {
public:
    /// Queues `path` to receive `bytes`. Writes run in the order queued.
    void Write(const std::string& path, std::string bytes);
    /// Queues `path` for removal once every write has succeeded. A removal
    /// that fails is logged, not reported: a leftover file names nothing.
    void RemoveAfterwards(const std::string& path);

    /// Runs the queue through `writer`. Files whose content already equals
    /// the queued bytes are not written again. When a write fails, the files
    /// written before it get their old content back (or are removed when they
    /// did not exist), nothing is removed, and the failed write's result is
    /// returned. A file that exists but cannot be read fails the batch before
    /// anything is written, since it could not be restored.
    FileResult Commit(const FileWriter& writer);

private:
    struct Pending {
        std::string path;
        std::string bytes;
    };
    std::vector<Pending> m_writes;
    std::vector<std::string> m_removals;
};

}  // namespace tirk
