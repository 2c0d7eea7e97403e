// A device data folder with a profile list, the installed default profiles,
// and a snapshot of every file's bytes to prove that an operation changed
// nothing.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "profile/json_file.h"
#include "profile/profile_list.h"
#include "test_folder.h"

namespace tirk::test {

/// The installed default profile of a device folder name.
inline std::string DefaultProfile(const std::string& folderName) {
    return std::string(TIRK_RESOURCE_DIR) + "/DefaultData/" + folderName + ".Json";
}

/// The default profile of a device folder name with the two names, as an
/// exported file of that device type has it.
inline std::string DefaultProfileText(const std::string& folderName) {
    Json::Value root = ReadJson(DefaultProfile(folderName));
    root["profilename"] = "p";
    root["profileUUID"] = "id";
    return StyledJsonText(root);
}

/// Every file below `folder` (relative path → bytes).
inline std::map<std::string, std::string> SnapshotOf(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] =
                ReadText(entry.path().string());
    }
    return files;
}

class ProfileListTest : public TestFolder {
protected:
    /// A list over "<tmp>/data/" for device type `typeCode` with the default
    /// profile of `folderName`, not yet initialised.
    void Use(int typeCode, const std::string& folderName) {
        list_.SetDeviceTypeCode(typeCode);
        list_.SetFolders(Data(""), DefaultProfile(folderName));
    }
    void SetUp() override {
        TestFolder::SetUp();
        std::filesystem::create_directories(dir_ / "data");
        Use(2, "mouse");
    }
    std::string Data(const std::string& name) const { return Path("data/" + name); }
    Json::Value ListFile() const { return ReadJson(Data("ProfileList.ini")); }
    /// Initialises and adds profiles until `count` exist.
    void MakeProfiles(int count) {
        ASSERT_TRUE(list_.Init());
        while (list_.Count() < count) ASSERT_TRUE(list_.Add());
    }
    /// The names of the list file's entries.
    std::vector<std::string> NamesInFile() const {
        std::vector<std::string> names;
        const Json::Value file = ListFile();
        for (const Json::Value& entry : file["profilelist"])
            names.push_back(entry["profilename"].asString());
        return names;
    }
    /// Writes a profile file for import: the default mouse profile under `name`.
    std::string ImportFile(const std::string& name, const std::string& folderName = "mouse") {
        Json::Value root = ReadJson(DefaultProfile(folderName));
        root["profilename"] = "exported";
        root["profileUUID"] = "2020_01_01_00_00_00_000";
        const std::string path = Path(name);
        WriteText(path, StyledJsonText(root));
        return path;
    }
    std::map<std::string, std::string> Snapshot() const { return SnapshotOf(dir_ / "data"); }

    CProfileList list_;
};

}  // namespace tirk::test
