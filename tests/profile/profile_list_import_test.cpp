// Imports that must be refused leave the device data folder byte for byte as
// it was; profiles are recognised by family; a failed write undoes the
// operation's other writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "profile/profile_import.h"
#include "profile_list_fixture.h"

namespace tirk::test {
namespace {

/// The default mouse profile with the two names, as an exported file has it.
Json::Value ValidMouseProfile() {
    Json::Value root = ReadJson(DefaultProfile("mouse"));
    root["profilename"] = "exported";
    root["profileUUID"] = "2020_01_01_00_00_00_000";
    return root;
}

std::string Text(const Json::Value& root) {
    return StyledJsonText(root);
}

/// ValidMouseProfile with one change.
std::string Changed(const std::function<void(Json::Value&)>& change) {
    Json::Value root = ValidMouseProfile();
    change(root);
    return Text(root);
}

/// `text` with the profile name replaced by bytes that are no UTF-8 (the
/// writer would escape them).
std::string NotUtf8(std::string text) {
    text.replace(text.find("exported"), 8, "caf\xE9");
    return text;
}

std::string Profile(const std::string& folderName) {
    return DefaultProfileText(folderName);
}

TEST_F(ProfileListTest, RefusedImportsNameTheFileAndChangeNothing) {
    const std::string valid = Text(ValidMouseProfile());
    struct Case {
        const char* what;
        std::string fileName;
        std::string content;
        const char* problem;  // part of the detail
    } cases[] = {
        {"not JSON", "a.json", "hello", "is not a complete JSON document"},
        {"truncated", "a.json", valid.substr(0, valid.size() / 2), "not a complete JSON"},
        {"something after the document", "a.json", valid + "{}", "not a complete JSON"},
        {"empty file", "a.json", "", "is empty"},
        {"top level an array", "a.json", "[" + valid + "]", "top level is an array"},
        {"Device not an array", "a.json",
         Changed([](Json::Value& r) { r["Device"] = r["Device"][0]; }),
         "\"Device\" is an object, not an array"},
        {"Device empty", "a.json",
         Changed([](Json::Value& r) { r["Device"] = Json::Value(Json::arrayValue); }),
         "\"Device\" is empty"},
        {"Device missing", "a.json", Changed([](Json::Value& r) { r.removeMember("Device"); }),
         "has no \"Device\""},
        {"Device[0] not an object", "a.json", Changed([](Json::Value& r) { r["Device"][0] = 3; }),
         "\"Device\"[0] is an integer"},
        {"profilename not a string", "a.json",
         Changed([](Json::Value& r) { r["profilename"] = 5; }),
         "\"profilename\" is an integer, not a string"},
        {"profilename null", "a.json",
         Changed([](Json::Value& r) { r["profilename"] = Json::nullValue; }),
         "has no \"profilename\""},
        {"profileUUID missing", "a.json",
         Changed([](Json::Value& r) { r.removeMember("profileUUID"); }), "has no \"profileUUID\""},
        {"profileUUID an object", "a.json",
         Changed([](Json::Value& r) { r["profileUUID"] = Json::Value(Json::objectValue); }),
         "\"profileUUID\" is an object"},
        {"a section of the wrong type", "a.json",
         Changed([](Json::Value& r) { r["Device"][0]["KeyList"] = "keys"; }),
         "section \"KeyList\" is a string, not an array"},
        {"a keyboard profile", "a.json", Profile("keyboard"),
         "is a keyboard profile, not a mouse profile"},
        {"a headset profile", "a.json", Profile("HD"), "is a headset profile, not a mouse"},
        {"a mouse pad profile", "a.json", Profile("MousePad"), "is a mouse pad profile"},
        {"mouse and headset sections", "a.json",
         Changed([](Json::Value& r) { r["Device"][0]["SystemSetStages"]["EqType"] = 1; }),
         "mixes the sections of a mouse and a headset profile"},
        {"a key list but nothing else that tells", "a.json", Changed([](Json::Value& r) {
             Json::Value keys = r["Device"][0]["KeyList"];
             r["Device"][0] = Json::Value(Json::objectValue);
             r["Device"][0]["KeyList"] = keys;
         }),
         "no section that tells a mouse from a keyboard"},
        {"over 1 MB", "a.json", valid + std::string(kMaxImportBytes, ' '), "larger than 1 MB"},
        {"not UTF-8", "a.json", NotUtf8(valid), "is not UTF-8"},
        {"name empty after trimming", "  .json", valid, "gives no profile name"},
        {"name only an extension", ".json", valid, "gives no profile name"},
        {"name with an ampersand", "R&D.json", valid, "holds \"&\""},
        {"name a text key", "%[main_title].json", valid, "has the form %["},
        {"name not UTF-8", "caf\xE9.json", valid, "name is not UTF-8"},
    };
    MakeProfiles(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir_ / "in");
        std::filesystem::create_directories(dir_ / "in");
        const std::string path = Path("in/" + c.fileName);
        WriteText(path, c.content);
        const auto before = Snapshot();
        const std::vector<ProfileEntry> entries = list_.Entries();

        const ProfileResult result = list_.Import(path);
        EXPECT_EQ(result.status, ProfileStatus::kImportRefused);
        EXPECT_EQ(result.textKey, "message_import_refused");
        EXPECT_EQ(result.detail.rfind(path + ": ", 0), 0u) << result.detail;
        EXPECT_NE(result.detail.find(c.problem), std::string::npos) << result.detail;
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(list_.Entries(), entries);
    }
}

TEST_F(ProfileListTest, ImportOfWhatIsNoFileIsRefused) {
    ASSERT_TRUE(list_.Init());
    std::filesystem::create_directories(dir_ / "folder.json");
    const auto before = Snapshot();
    for (const std::string& path : {Path("missing.json"), Path("folder.json")}) {
        const ProfileResult result = list_.Import(path);
        EXPECT_EQ(result.status, ProfileStatus::kImportRefused) << path;
        EXPECT_NE(result.detail.find("cannot be read"), std::string::npos) << result.detail;
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST(ProfileFamily, EachDefaultProfileIsAcceptedOnlyByItsOwnDeviceTypes) {
    const std::pair<const char*, std::vector<int>> profiles[] = {
        {"keyboard", {1, 9}}, {"mouse", {2, 6}}, {"MousePad", {3}}, {"HD", {7}}};
    for (const auto& [folder, owners] : profiles) {
        const std::string text = Profile(folder);
        for (int type : {1, 2, 3, 6, 7, 9}) {
            const bool own = std::find(owners.begin(), owners.end(), type) != owners.end();
            const ImportCheck check = CheckImportedProfile(text, type);
            EXPECT_EQ(check.ok, own) << folder << " as type " << type << ": " << check.problem;
        }
    }
}

TEST(ProfileFamily, NullSectionsCountAsMissingAndCommentsAreAllowed) {
    // The program writes sections it looked up but did not find as null.
    Json::Value root = ValidMouseProfile();
    root["Device"][0]["CustomLightMode"] = Json::nullValue;
    root["Device"][0]["SystemSetStages"] = Json::nullValue;
    EXPECT_TRUE(CheckImportedProfile(Text(root), 2).ok);
    EXPECT_TRUE(CheckImportedProfile("// exported\n" + Text(root), 2).ok);
    EXPECT_TRUE(CheckImportedProfile("\xEF\xBB\xBF" + Text(root), 2).ok) << "byte order mark";

    std::string problem;
    Json::Value pad = ReadJson(DefaultProfile("MousePad"))["Device"][0];
    EXPECT_EQ(RecogniseProfileFamily(pad, problem), ProfileFamily::kMousePad);
    pad["KeyList"] = Json::Value(Json::arrayValue);
    pad["KeyList"].append(1);
    EXPECT_EQ(RecogniseProfileFamily(pad, problem), ProfileFamily::kUnknown);
    Json::Value keyboardForm(Json::objectValue);
    keyboardForm["SystemStages"]["Repeat"] = 31;
    EXPECT_EQ(RecogniseProfileFamily(keyboardForm, problem), ProfileFamily::kKeyboard);
    keyboardForm["SystemStages"]["MouseSpeed"] = 10;
    EXPECT_EQ(RecogniseProfileFamily(keyboardForm, problem), ProfileFamily::kUnknown);
    EXPECT_NE(problem.find("keyboard and a mouse"), std::string::npos) << problem;
    // A "SystemStages" of the wrong type tells no family, and must not throw
    // on its way there.
    Json::Value mistyped(Json::objectValue);
    mistyped["SystemStages"] = 5;
    mistyped["KeyList"] = Json::Value(Json::arrayValue);
    EXPECT_EQ(RecogniseProfileFamily(mistyped, problem), ProfileFamily::kUnknown);
    EXPECT_NE(problem.find("no section that tells"), std::string::npos) << problem;
}

// ---- write failures -------------------------------------------------------------

enum class Failing { kList, kProfileFile, kExportTarget };

bool Matches(Failing failing, const std::string& path) {
    auto endsWith = [&path](const std::string& tail) {
        return path.size() >= tail.size() &&
               path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    switch (failing) {
        case Failing::kList:
            return endsWith("ProfileList.ini");
        case Failing::kProfileFile:
            return endsWith(".Json");
        case Failing::kExportTarget:
            return endsWith("target.json");
    }
    return false;
}

TEST_F(ProfileListTest, AFailedWriteLeavesListAndFilesAsTheyWere) {
    struct Case {
        const char* what;
        Failing failing;
        std::function<ProfileResult(CProfileList&, const std::string&)> operation;
    } cases[] = {
        {"add, list", Failing::kList, [](CProfileList& l, auto&) { return l.Add(); }},
        {"add, new profile", Failing::kProfileFile, [](CProfileList& l, auto&) { return l.Add(); }},
        {"copy, list", Failing::kList, [](CProfileList& l, auto&) { return l.Copy(1); }},
        {"copy, new profile", Failing::kProfileFile,
         [](CProfileList& l, auto&) { return l.Copy(1); }},
        {"import, list", Failing::kList, [](CProfileList& l, auto& p) { return l.Import(p); }},
        {"import, new profile", Failing::kProfileFile,
         [](CProfileList& l, auto& p) { return l.Import(p); }},
        {"rename, list after the profile file", Failing::kList,
         [](CProfileList& l, auto&) { return l.Rename(1, "New"); }},
        {"rename, profile file", Failing::kProfileFile,
         [](CProfileList& l, auto&) { return l.Rename(1, "New"); }},
        {"delete, list", Failing::kList, [](CProfileList& l, auto&) { return l.Delete(1); }},
        {"select, list", Failing::kList, [](CProfileList& l, auto&) { return l.Select(2); }},
        {"reset, profile file", Failing::kProfileFile,
         [](CProfileList& l, auto&) { return l.Reset(1); }},
        {"export, target", Failing::kExportTarget,
         [this](CProfileList& l, auto&) { return l.Export(1, Path("data/target.json")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir_ / "data");
        list_.SetFileWriter(WriteFileLogged);
        MakeProfiles(3);
        ASSERT_TRUE(list_.Select(0));
        const std::string importPath = ImportFile("x.json");
        Json::Value edited = ReadJson(list_.ProfilePath(1));
        edited["Device"][0]["DPIStages"]["StageActive"] = 0;  // differs from the default
        WriteText(list_.ProfilePath(1), StyledJsonText(edited));
        const auto before = Snapshot();
        const std::vector<ProfileEntry> entries = list_.Entries();
        const std::string active = list_.ActiveId();

        int attempts = 0;
        list_.SetFileWriter([&](const std::string& path, std::string_view bytes) -> FileResult {
            if (Matches(c.failing, path)) {
                ++attempts;
                return {false, path + ": injected failure"};
            }
            return WriteFileAtomic(path, bytes);
        });
        const ProfileResult result = c.operation(list_, importPath);
        EXPECT_EQ(attempts, 1);
        EXPECT_EQ(result.status, ProfileStatus::kFileError);
        EXPECT_EQ(result.textKey, "message_profile_file_error");
        EXPECT_NE(result.detail.find("injected failure"), std::string::npos) << result.detail;
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(list_.Entries(), entries);
        EXPECT_EQ(list_.ActiveId(), active);
    }
}

TEST_F(ProfileListTest, InitWhoseRepairCannotBeWrittenStillChoosesAProfile) {
    WriteText(Data("ProfileList.ini"),
              R"({"profilelist": [{"profilename": "A", "profileUUID": "a"}], "profileselect": 7})");
    const auto before = Snapshot();
    list_.SetFileWriter([](const std::string& path, std::string_view) -> FileResult {
        return {false, path + ": injected failure"};
    });
    const ProfileResult result = list_.Init();
    EXPECT_EQ(result.status, ProfileStatus::kFileError);
    EXPECT_EQ(list_.ActiveId(), "a");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(ProfileListTest, FirstStartThatCannotWriteLeavesNoHalfMadeProfile) {
    list_.SetFileWriter([](const std::string& path, std::string_view bytes) -> FileResult {
        if (Matches(Failing::kList, path)) return {false, path + ": injected failure"};
        return WriteFileAtomic(path, bytes);
    });
    const ProfileResult result = list_.Init();
    EXPECT_EQ(result.status, ProfileStatus::kFileError);
    EXPECT_EQ(list_.Names(), std::vector<std::string>{"Profile1"}) << "the session still runs";
    EXPECT_TRUE(Snapshot().empty()) << "the profile file was taken back";
}

}  // namespace
}  // namespace tirk::test
