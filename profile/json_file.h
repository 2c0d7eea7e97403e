// The JSON file functions that every data file of the program goes through:
// whole-file reads, comment-tolerant parsing, the styled on-disk form and
// atomic replacement, plus the timestamp identifiers of profiles, macros and
// lighting effects.
#pragma once

#include <json/value.h>

#include <chrono>
#include <string>

#include "core/atomic_file.h"

namespace tirk {

/// Reads a whole file as bytes. Returns an empty string when the file cannot
/// be opened or read completely. Logs "readjsonFile 错误吗：：<errno of the open>"
/// on every call (0 when the open succeeded).
std::string readjsonFile(const std::string& path);

/// Why ReadJsonFile produced a null value.
enum class JsonReadStatus { Ok, Missing, Empty, Unparsable };

/// Parses a file. `status` tells a missing or unreadable file, an empty one and
/// one that does not parse apart; `error` then names the file and the problem.
/// Returns the root, or null on any of those.
Json::Value ReadJsonFile(const std::string& path, JsonReadStatus& status, std::string& error);

/// Parses a file, comments allowed (and kept, so they survive a rewrite).
/// Returns null for a missing, empty or unparsable file; an unparsable one is
/// logged as a file fault naming the file and the parser's message.
Json::Value ReadJson(const std::string& path);

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
