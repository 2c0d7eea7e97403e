// Rewriting a JSON data file that users may have edited: what is there now
// decides what the rewrite builds on and what must happen first. A file that
// cannot be read is never replaced; one whose content the rewrite would drop
// is kept beside it as "<file>.broken".
#pragma once

#include <json/value.h>

#include <string>

#include "profile/file_batch.h"

namespace tirk {

/// A file about to be replaced: the root to build on and what must happen first.
struct ExistingJson {
    Json::Value root{Json::objectValue};  ///< the file's object; empty when there is none
    std::string unreadable;  ///< "<path>: <why>": there but not readable; leave it alone
    bool keepCopy = false;   ///< replacing it drops content: keep "<path>.broken" first
    std::string bytes;       ///< the file's bytes, for that copy
};

/// Reads `path` for a rewrite whose member `arrayMember` must be an array. A
/// missing or empty file gives an empty object; one that does not parse, has
/// no object at the top or a non-array `arrayMember` gives an empty object (or
/// the object without that member) and keepCopy. Problems are logged as file
/// faults.
ExistingJson ReadForRewrite(const std::string& path, const char* arrayMember);

/// Queues the rewrite of `path` with `root` (styled form), preceded by the
/// "<path>.broken" copy when `existing` asks for one.
void QueueRewrite(CFileBatch& batch, const std::string& path, const ExistingJson& existing,
                  const Json::Value& root);
/// The same with the new content given as bytes.
void QueueRewrite(CFileBatch& batch, const std::string& path, const ExistingJson& existing,
                  std::string bytes);

}  // namespace tirk
