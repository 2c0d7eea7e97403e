// A fresh folder per test, and small file helpers for the profile tests.
#pragma once

#include <gtest/gtest.h>
#include <json/value.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_folder.h"

namespace tirk::test {

class TestFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.valid()); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    /// Names of the files in the folder, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempFolder folder_{{.prefix = "tirk-profile"}};
    const std::filesystem::path dir_{folder_.path()};
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace tirk::test

#include <json/reader.h>

#include <cstring>
#include <vector>

namespace tirk::test {

/// Parses JSON text of a test; fails the test on a syntax error.
inline Json::Value Parse(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string error;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &error))
        << error << " in " << text;
    return value;
}

/// Writes {"Device": [deviceDocument]} to `path` and loads it into `profile`.
template <typename Profile>
void LoadDeviceDocument(Profile& profile, const std::string& path,
                        const std::string& deviceDocument) {
    WriteText(path, "{ \"Device\" : [ " + deviceDocument + " ] }");
    profile.SetProfilePath(path);
    profile.LoadDocument(path);
}

/// The raw bytes of a record.
template <typename T>
std::vector<uint8_t> Bytes(const T& record) {
    std::vector<uint8_t> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

}  // namespace tirk::test
