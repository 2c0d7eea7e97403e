#include "profile/json_rewrite.h"

#include <utility>

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace tirk {

ExistingJson ReadForRewrite(const std::string& path, const char* arrayMember) {
    ExistingJson existing;
    JsonReadStatus status;
    std::string error;
    Json::Value root = ReadJsonFile(path, status, error, &existing.bytes);
    if (status == JsonReadStatus::Missing || status == JsonReadStatus::Empty) return existing;
    if (status == JsonReadStatus::Unreadable) {
        existing.unreadable = error.empty() ? path + ": cannot be read" : error;
        log::FileFault(path, ReadProblem(path, existing.unreadable));
        return existing;
    }
    if (status != JsonReadStatus::Ok || !root.isObject()) {
        existing.keepCopy = true;
        log::FileFault(path, status == JsonReadStatus::Ok ? "the top level is not an object"
                                                          : ReadProblem(path, error));
        return existing;
    }
    const Json::Value* member = json::FindPresent(root, arrayMember);
    if (member && !member->isArray()) {
        existing.keepCopy = true;
        log::FileFault(path, std::string("\"") + arrayMember + "\" is not an array");
        root.removeMember(arrayMember);
    }
    existing.root = std::move(root);
    return existing;
}

void QueueRewrite(CFileBatch& batch, const std::string& path, const ExistingJson& existing,
                  std::string bytes) {
    if (existing.keepCopy) batch.Write(path + ".broken", existing.bytes);
    batch.Write(path, std::move(bytes));
}

void QueueRewrite(CFileBatch& batch, const std::string& path, const ExistingJson& existing,
                  const Json::Value& root) {
    QueueRewrite(batch, path, existing, StyledJsonText(root));
}

}  // namespace tirk
