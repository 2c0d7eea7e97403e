// The JSON file functions that every data file of the program goes through:
// whole-file reads, comment-tolerant parsing, the styled on-disk form and
// atomic replacement, plus the timestamp identifiers of profiles, macros and
// lighting effects.
#pragma once

#include <json/value.h>

#include <chrono>
#include <string>
#include <string_view>

#include "core/atomic_file.h"
#include "core/file_read.h"

namespace tirk {

/// Reads a whole file as bytes (through tirk::ReadFile, the program's one
/// reader). Returns an empty string when the file is missing, cannot be read
/// or is too large. Logs "readjsonFile 错误吗：：<errno>" on every call (0 when
/// the read succeeded).
std::string readjsonFile(const std::string& path);

/// Why ReadJsonFile produced a null value.
enum class JsonReadStatus {
    Ok,
    Missing,     ///< nothing at the path
    Empty,       ///< a file without a byte
    Unparsable,  ///< text that is not JSON
    Unreadable,  ///< something is there that could not be read (permission, I/O
                 ///< error, out of descriptors, a folder, too large): leave it alone
};

/// Parses a file. `status` tells a missing file, an unreadable one, an empty
/// one and one that does not parse apart; `error` then is "<path>: <problem>".
/// Returns the root, or null on any of those. `text`, when given, receives
/// the bytes that were read (to keep a copy of a file that does not parse).
/// The parser is lenient where nothing can be lost: comments (kept), and a
/// comma after the last element of an array or object (docs/profiles.md).
Json::Value ReadJsonFile(const std::string& path, JsonReadStatus& status, std::string& error,
                         std::string* text = nullptr);

/// The problem of a ReadJsonFile `error` without its "<path>: " prefix, for
/// messages that name the file themselves.
std::string ReadProblem(const std::string& path, const std::string& error);

/// ReadJsonFile without the details. Returns null for a missing, unreadable,
/// empty or unparsable file; an unreadable or unparsable one is logged as a
/// file fault naming the file and the problem.
Json::Value ReadJson(const std::string& path);

/// Whether an imported document may repeat a member name in one object.
enum class DuplicateMembers { kAllowed, kRefused };

/// Parses the bytes of a file offered for import, which must be one whole
/// JSON document: comments and a byte order mark are allowed, anything after
/// the document is not. Returns empty with `root` set, or "is not a complete
/// JSON document: <what the parser found>".
std::string ParseImportedJson(std::string_view text, Json::Value& root,
                              DuplicateMembers duplicates);

/// The on-disk text of a value: the styled form (three-space indentation,
/// object members in byte order, short arrays on one line) plus one newline.
std::string StyledJsonText(const Json::Value& value);

/// Writes `value` in its styled form, replacing `path` atomically (temporary
/// file in the same folder, flushed, renamed). Before writing, temporaries that
/// an earlier, interrupted write of the same file left behind are removed (each
/// file has one writer: the program's main thread). Returns the result; a
/// failure is also logged as a file fault naming the file, and the old file is
/// left untouched.
FileResult WriteJson(const std::string& path, const Json::Value& value);

/// Local time as "year_month_day_hour_minute_second_millisecond" with the
/// fields after the year zero-padded ("2024_03_07_09_05_02_042").
std::string MakeTimestampId();
/// The same for a given moment (for tests).
std::string MakeTimestampId(std::chrono::system_clock::time_point when);

}  // namespace tirk
