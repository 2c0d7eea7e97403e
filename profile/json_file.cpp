#include "profile/json_file.h"
#include "core/json_text.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>

#include "core/log.h"

namespace tirk {
namespace {

/// A temporary of WriteFileAtomic for `name`: "<name>.tmp-" plus six characters.
bool IsTemporaryOf(const std::string& candidate, const std::string& name) {
    const std::string prefix = name + ".tmp-";
    return candidate.size() == prefix.size() + 6 &&
           candidate.compare(0, prefix.size(), prefix) == 0;
}

void RemoveLeftoverTemporaries(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string name = target.filename().string();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!IsTemporaryOf(it->path().filename().string(), name)) continue;
        std::error_code removeError;
        fs::remove(it->path(), removeError);
        log::Printf("removed the leftover temporary %s", it->path().c_str());
    }
}

}  // namespace

std::string readjsonFile(const std::string& path) {
    FileRead read = ReadFile(path);
    log::Printf("readjsonFile 错误吗：：%d", read.errorNumber);
    return std::move(read.content);
}

Json::Value ReadJsonFile(const std::string& path, JsonReadStatus& status, std::string& error,
                         std::string* text) {
    FileRead read = ReadFile(path);
    error = read.error;
    if (text) *text = read.content;
    if (read.status == ReadStatus::kMissing || read.status == ReadStatus::kUnreadable ||
        read.status == ReadStatus::kTooLarge) {
        status = read.status == ReadStatus::kMissing ? JsonReadStatus::Missing
                                                     : JsonReadStatus::Unreadable;
        return Json::nullValue;
    }
    if (read.content.empty()) {
        status = JsonReadStatus::Empty;
        error = path + ": empty";
        return Json::nullValue;
    }
    // The defaults: comments allowed and collected, trailing commas allowed.
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string parseError;
    const std::string& content = read.content;
    if (!ParseJsonText(*reader, content, &root, &parseError)) {
        status = JsonReadStatus::Unparsable;
        error = path + ": does not parse: " + parseError;
        return Json::nullValue;
    }
    status = JsonReadStatus::Ok;
    return root;
}

std::string ParseImportedJson(std::string_view text, Json::Value& root,
                              DuplicateMembers duplicates) {
    Json::CharReaderBuilder builder;  // comments allowed, as in every file the program reads
    builder["failIfExtra"] = true;
    builder["skipBom"] = true;
    builder["rejectDupKeys"] = duplicates == DuplicateMembers::kRefused;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string error;
    if (ParseJsonText(*reader, text, &root, &error)) return {};
    while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
    return "is not a complete JSON document: " + error;
}

std::string ReadProblem(const std::string& path, const std::string& error) {
    return error.compare(0, path.size() + 2, path + ": ") == 0 ? error.substr(path.size() + 2)
                                                               : error;
}

Json::Value ReadJson(const std::string& path) {
    JsonReadStatus status;
    std::string error;
    Json::Value root = ReadJsonFile(path, status, error);
    if (status == JsonReadStatus::Unparsable || status == JsonReadStatus::Unreadable) {
        log::FileFault(path, error.substr(path.size() + 2));
    } else if (status != JsonReadStatus::Ok) {
        log::Printf("ReadJson: %s", error.c_str());
    }
    return root;
}

std::string StyledJsonText(const Json::Value& value) {
    Json::StyledWriter writer;
    return writer.write(value) + "\n";
}

FileResult WriteJson(const std::string& path, const Json::Value& value) {
    RemoveLeftoverTemporaries(path);
    FileResult result = WriteFileAtomic(path, StyledJsonText(value));
    if (!result) log::FileFault(path, "not written: " + result.error);
    return result;
}

std::string MakeTimestampId() {
    return MakeTimestampId(std::chrono::system_clock::now());
}

std::string MakeTimestampId(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis < 0 ? millis + 1000 : millis));
    return text;
}

}  // namespace tirk
