#include "profile/file_batch.h"

#include <filesystem>
#include <optional>

#include "core/log.h"

namespace tirk {
namespace {

/// A file's content before the batch: nullopt when it did not exist.
struct Snapshot {
    std::string path;
    std::optional<std::string> bytes;
};

FileResult TakeSnapshot(const std::string& path, Snapshot& snapshot) {
    snapshot.path = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return {};
    std::string bytes;
    FileResult read = ReadWholeFile(path, bytes);
    if (read) snapshot.bytes = std::move(bytes);
    return read;
}

void Restore(const Snapshot& snapshot, const FileWriter& writer) {
    if (snapshot.bytes) {
        FileResult restored = writer(snapshot.path, *snapshot.bytes);
        if (!restored) log::FileFault(snapshot.path, "could not be restored: " + restored.error);
        return;
    }
    std::error_code ec;
    std::filesystem::remove(snapshot.path, ec);
    if (ec) log::FileFault(snapshot.path, "could not be removed again: " + ec.message());
}

}  // namespace

FileResult WriteFileLogged(const std::string& path, std::string_view bytes) {
    FileResult result = WriteFileAtomic(path, bytes);
    if (!result) log::FileFault(path, "not written: " + result.error);
    return result;
}

void CFileBatch::Write(const std::string& path, std::string bytes) {
    m_writes.push_back({path, std::move(bytes)});
}

void CFileBatch::RemoveAfterwards(const std::string& path) {
    m_removals.push_back(path);
}

FileResult CFileBatch::Commit(const FileWriter& writer) {
    std::vector<Snapshot> before(m_writes.size());
    for (size_t i = 0; i < m_writes.size(); ++i) {
        if (FileResult read = TakeSnapshot(m_writes[i].path, before[i]); !read) return read;
    }
    for (size_t i = 0; i < m_writes.size(); ++i) {
        if (before[i].bytes == m_writes[i].bytes) continue;
        FileResult written = writer(m_writes[i].path, m_writes[i].bytes);
        if (written) continue;
        for (size_t j = i; j-- > 0;) {
            if (before[j].bytes != m_writes[j].bytes) Restore(before[j], writer);
        }
        return written;
    }
    for (const std::string& path : m_removals) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        if (ec) log::FileFault(path, "could not be removed: " + ec.message());
    }
    return {};
}

}  // namespace tirk
