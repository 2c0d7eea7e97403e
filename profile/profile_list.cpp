#include "profile/profile_list.h"

#include <filesystem>
#include <utility>

#include "core/log.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/profile_import.h"
#include "profile/profile_names.h"

namespace tirk {
namespace {

constexpr const char* kHeadsetKeptSections[] = {"CustomEQNameInfo", "CustomEQHzValueInfo"};

ProfileResult Unchanged(std::string why = {}) {
    return {ProfileStatus::kUnchanged, {}, std::move(why)};
}

ProfileResult LimitReached() {
    return {ProfileStatus::kLimit, profile_text::kLimit, {}};
}

ProfileResult FileError(std::string detail) {
    return {ProfileStatus::kFileError, profile_text::kFileError, std::move(detail)};
}

ProfileResult Refused(std::string detail) {
    return {ProfileStatus::kImportRefused, profile_text::kImportRefused, std::move(detail)};
}

bool IsUsableEntry(const Json::Value& entry) {
    if (!entry.isObject()) return false;
    const Json::Value& id = entry["profileUUID"];
    return entry["profilename"].isString() && id.isString() && IsPlainFileName(id.asString());
}

Json::Value NewEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

/// A profile file's root for a rewrite: status Ok with an object, or Missing
/// (an empty object: the profile has never been saved). Anything else fails
/// with a detail naming the file.
bool ReadProfileRoot(const std::string& path, Json::Value& root, std::string& detail) {
    JsonReadStatus status;
    root = ReadJsonFile(path, status, detail);
    if (status == JsonReadStatus::Missing) {
        root = Json::Value(Json::objectValue);
        return true;
    }
    if (status != JsonReadStatus::Ok) return false;
    if (root.isObject()) return true;
    detail = path + ": is not a profile (the top level is not an object)";
    return false;
}

/// "Device"[0] of a root when it is an object.
const Json::Value* DeviceDocument(const Json::Value& root) {
    const Json::Value* device = json::FindArray(root, "Device");
    return device ? json::ObjectAt(*device, 0) : nullptr;
}

void SetNames(Json::Value& root, const std::string& name, const std::string& id) {
    json::MakeObject(root);
    root["profilename"] = name;
    root["profileUUID"] = id;
}

}  // namespace

// ---- results and tabs ---------------------------------------------------------

int ProfileResult::RenameCode() const {
    switch (status) {
        case ProfileStatus::kOk:
            return 1;
        case ProfileStatus::kNameTaken:
            return 0;
        case ProfileStatus::kNameEmpty:
            return 2;
        case ProfileStatus::kNameUnusable:
            return 3;
        default:
            return -1;
    }
}

std::vector<FeatureTabVisibility> FeatureTabsOf(int deviceTypeCode) {
    std::vector<FeatureTabVisibility> tabs;
    const ProfileFamily family = FamilyOfDeviceType(deviceTypeCode);
    if (family == ProfileFamily::kKeyboard) tabs.push_back({kFeatureTabNames[0], false});
    if (family == ProfileFamily::kMousePad || family == ProfileFamily::kHeadset) {
        for (int i = 0; i < 4; ++i) tabs.push_back({kFeatureTabNames[i], false});
    }
    if (family == ProfileFamily::kHeadset) {
        for (int i = 5; i < 8; ++i) tabs.push_back({kFeatureTabNames[i], true});
    }
    return tabs;
}

// ---- reading the list -----------------------------------------------------------

struct CProfileList::LoadedList {
    bool usable = false;
    bool keepBrokenCopy = false;  ///< replacing the file would drop content
    std::string unreadable;       ///< the file exists but could not be read: why
    Json::Value root;
};

CProfileList::CProfileList() : m_writer(WriteFileLogged) {}

void CProfileList::SetFolders(const std::string& folder, const std::string& defaultProfilePath) {
    m_folder = folder;
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
    m_defaultPath = defaultProfilePath;
}

std::string CProfileList::ProfilePath(int index) const {
    return ValidIndex(index) ? m_folder + m_entries[size_t(index)].id + ".Json" : std::string();
}

std::vector<std::string> CProfileList::Names() const {
    std::vector<std::string> names;
    for (const ProfileEntry& entry : m_entries) names.push_back(entry.name);
    return names;
}

int CProfileList::ActiveIndex() const {
    for (int i = 0; i < Count(); ++i) {
        if (m_entries[size_t(i)].id == m_activeId) return i;
    }
    return -1;
}

CProfileList::LoadedList CProfileList::ReadListFile() const {
    LoadedList loaded;
    JsonReadStatus status;
    std::string error;
    Json::Value root = ReadJsonFile(ListPath(), status, error);
    if (status != JsonReadStatus::Ok) {
        loaded.keepBrokenCopy = status == JsonReadStatus::Unparsable;
        if (status == JsonReadStatus::Unreadable)
            loaded.unreadable = error.empty() ? ListPath() + ": cannot be read" : error;
        return loaded;
    }
    const Json::Value* list = json::FindArray(root, "profilelist");
    if (!list) {
        loaded.keepBrokenCopy = true;
        log::FileFault(ListPath(), "has no \"profilelist\" array");
        return loaded;
    }
    Json::Value kept(Json::arrayValue);
    for (const Json::Value& entry : *list) {
        if (IsUsableEntry(entry))
            kept.append(entry);
        else
            log::FileFault(ListPath(), "an entry without a usable name or identifier is dropped");
    }
    loaded.usable = !kept.empty();
    loaded.keepBrokenCopy = !loaded.usable && !list->empty();
    const int64_t select = json::IntOr(&root, "profileselect", -1);
    const bool selectFits = select >= 0 && select < int64_t(kept.size());
    if (!selectFits && loaded.usable)
        log::FileFault(ListPath(), "\"profileselect\" is not an index of the list; 0 is used");
    root["profilelist"] = kept;
    root["profileselect"] = selectFits ? Json::Int(select) : 0;
    loaded.root = std::move(root);
    return loaded;
}

void CProfileList::Adopt(const Json::Value& root) {
    m_list = root;
    m_entries.clear();
    for (const Json::Value& entry : m_list["profilelist"])
        m_entries.push_back({entry["profilename"].asString(), entry["profileUUID"].asString()});
    m_selection = m_list["profileselect"].asInt();
}

int CProfileList::Reload() {
    LoadedList loaded = ReadListFile();
    if (loaded.usable) Adopt(loaded.root);
    return Count();
}

// ---- writing ----------------------------------------------------------------------

ProfileResult CProfileList::Commit(CFileBatch& batch, const Json::Value& nextList) {
    // A list file that exists but could not be read may hold every profile
    // the user has: nothing is written while it stands in for it.
    if (!m_unreadableList.empty())
        return FileError(m_unreadableList + "; the profile list is left as it is");
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    Adopt(nextList);
    return {};
}

bool CProfileList::IdInUse(const std::string& id) const {
    for (const ProfileEntry& entry : m_entries) {
        if (entry.id == id) return true;
    }
    std::error_code ec;
    return std::filesystem::exists(m_folder + id + ".Json", ec);
}

std::string CProfileList::NewId() const {
    // Identifiers are times to the millisecond; two profiles made within one
    // millisecond take the next free one.
    const auto now = m_clock ? m_clock() : std::chrono::system_clock::now();
    std::string id;
    for (int step = 0; step < 100000; ++step) {
        id = MakeTimestampId(now + std::chrono::milliseconds(step));
        if (!IdInUse(id)) break;
    }
    return id;
}

Json::Value CProfileList::DefaultRoot() const {
    Json::Value root = ReadJson(m_defaultPath);
    if (!root.isObject()) {
        log::FileFault(m_defaultPath, "no usable default profile; new profiles start empty");
        root = Json::Value(Json::objectValue);
    }
    return root;
}

ProfileResult CProfileList::CreateFirstProfile() {
    const std::string id = NewId();
    Json::Value list(Json::objectValue);
    list["profilelist"].append(NewEntry(kFirstProfileName, id));
    list["profileselect"] = 0;
    Json::Value profile = DefaultRoot();
    SetNames(profile, kFirstProfileName, id);

    CFileBatch batch;
    batch.Write(m_folder + id + ".Json", StyledJsonText(profile));
    batch.Write(ListPath(), StyledJsonText(list));
    ProfileResult result = Commit(batch, list);
    if (!result) Adopt(list);  // the session still has its one profile
    return result;
}

ProfileResult CProfileList::Init() {
    LoadedList loaded = ReadListFile();
    ProfileResult created;
    m_unreadableList = loaded.unreadable;
    if (!m_unreadableList.empty()) log::FileFault(ListPath(), m_unreadableList);
    if (loaded.usable) {
        Adopt(loaded.root);
    } else {
        if (loaded.keepBrokenCopy) {
            FileResult kept = m_writer(ListPath() + ".broken", readjsonFile(ListPath()));
            log::FileFault(ListPath(), kept
                                           ? "unusable; kept as ProfileList.ini.broken and replaced"
                                           : "unusable; keeping a copy failed: " + kept.error);
        }
        created = CreateFirstProfile();
    }
    ProfileResult selected = SelectAndRecord(m_selection, true);
    return created ? selected : created;
}

ProfileResult CProfileList::SelectAndRecord(int index, bool adoptOnFailure) {
    if (!ValidIndex(index)) return Unchanged("no profile " + std::to_string(index));
    Json::Value next = m_list;
    next["profileselect"] = index;
    CFileBatch batch;
    batch.Write(ListPath(), StyledJsonText(next));
    const std::string id = m_entries[size_t(index)].id;
    ProfileResult result = Commit(batch, next);
    if (result || adoptOnFailure) m_activeId = id;
    return result;
}

ProfileResult CProfileList::Append(const std::string& name, Json::Value profile,
                                   bool recordAsSelected) {
    const std::string id = NewId();
    SetNames(profile, name, id);
    Json::Value next = m_list;
    next["profilelist"].append(NewEntry(name, id));
    if (recordAsSelected) next["profileselect"] = Count();

    CFileBatch batch;
    batch.Write(m_folder + id + ".Json", StyledJsonText(profile));
    batch.Write(ListPath(), StyledJsonText(next));
    return Commit(batch, next);
}

// ---- operations ---------------------------------------------------------------------

ProfileResult CProfileList::Select(int index) {
    Reload();
    return SelectAndRecord(index, false);
}

ProfileResult CProfileList::Add() {
    Reload();
    if (Count() >= kMaxProfiles) return LimitReached();
    return Append(AddedProfileName(Names()), DefaultRoot(), true);
}

ProfileResult CProfileList::Copy(int selected) {
    Reload();
    if (Count() >= kMaxProfiles) return LimitReached();
    if (!ValidIndex(selected)) return Unchanged("no selected profile");
    Json::Value source;
    std::string detail;
    if (!ReadProfileRoot(ProfilePath(selected), source, detail)) return FileError(detail);
    return Append(CopiedProfileName(Names(), m_entries[size_t(selected)].name), source, false);
}

ProfileResult CProfileList::Delete(int selected) {
    Reload();
    if (!ValidIndex(selected) || Count() < 2) return Unchanged("nothing to delete");
    const int newSelection = selected > 0 ? selected - 1 : 0;
    Json::Value next = m_list;
    Json::Value removed;
    next["profilelist"].removeIndex(Json::ArrayIndex(selected), &removed);
    next["profileselect"] = newSelection;

    CFileBatch batch;
    batch.Write(ListPath(), StyledJsonText(next));
    batch.RemoveAfterwards(ProfilePath(selected));
    ProfileResult result = Commit(batch, next);
    if (result) m_activeId = m_entries[size_t(newSelection)].id;
    return result;
}

ProfileResult CProfileList::Rename(int selected, const std::string& name) {
    Reload();
    if (!ValidIndex(selected)) return Unchanged("no selected profile");
    switch (CheckProfileName(name)) {
        case ProfileNameProblem::kUnusableCharacter:
            return {ProfileStatus::kNameUnusable, profile_text::kNameUnusable, {}};
        case ProfileNameProblem::kEmpty:
            return {ProfileStatus::kNameEmpty, profile_text::kNameEmpty, {}};
        case ProfileNameProblem::kNone:
            break;
    }
    const std::string trimmed = TrimProfileName(name);
    for (int i = 0; i < Count(); ++i) {
        if (i != selected && ProfileNamesEqual(m_entries[size_t(i)].name, trimmed))
            return {ProfileStatus::kNameTaken, profile_text::kNameTaken, {}};
    }
    Json::Value next = m_list;
    next["profilelist"][Json::ArrayIndex(selected)]["profilename"] = trimmed;
    CFileBatch batch;
    const std::string path = ProfilePath(selected);
    Json::Value profile;
    std::string detail;
    // The name inside the profile file is informative only; a file that does
    // not read is left for the profile loader to repair, not overwritten here.
    if (ReadProfileRoot(path, profile, detail)) {
        if (profile.empty()) profile["profileUUID"] = m_entries[size_t(selected)].id;
        profile["profilename"] = trimmed;
        batch.Write(path, StyledJsonText(profile));
    }
    batch.Write(ListPath(), StyledJsonText(next));
    return Commit(batch, next);
}

ProfileResult CProfileList::Import(const std::string& path) {
    Reload();
    if (Count() >= kMaxProfiles) return LimitReached();
    ImportCheck check = ReadImportedProfile(path, m_deviceTypeCode);
    if (!check.ok) return Refused(check.problem);
    const std::string base = FileStem(path);
    if (std::string problem = ImportedNameProblem(base, "profile", "\"" + base + "\"");
        !problem.empty())
        return Refused(path + ": " + problem);
    const std::string name = ImportedProfileName(Names(), TrimProfileName(base));
    return Append(name, std::move(check.root), false);
}

ProfileResult CProfileList::Export(int selected, const std::string& path) {
    Reload();
    if (path.empty() || !ValidIndex(selected)) return Unchanged("no file or no selected profile");
    JsonReadStatus status;
    std::string detail;
    const Json::Value root = ReadJsonFile(ProfilePath(selected), status, detail);
    if (status != JsonReadStatus::Ok) return FileError(detail);
    CFileBatch batch;
    batch.Write(path, StyledJsonText(root));
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    return {};
}

ProfileResult CProfileList::Reset(int selected) {
    Reload();
    if (!ValidIndex(selected)) return Unchanged("no selected profile");
    Json::Value root = DefaultRoot();
    if (!DeviceDocument(root))
        return FileError(m_defaultPath + ": has no device document to reset to");
    const std::string path = ProfilePath(selected);
    if (FamilyOfDeviceType(m_deviceTypeCode) == ProfileFamily::kHeadset) {
        const Json::Value current = ReadJson(path);
        if (const Json::Value* document = DeviceDocument(current)) {
            for (const char* name : kHeadsetKeptSections) {
                if (const Json::Value* kept = json::FindPresent(*document, name))
                    root["Device"][0][name] = *kept;
            }
        }
    }
    const ProfileEntry& entry = m_entries[size_t(selected)];
    SetNames(root, entry.name, entry.id);
    CFileBatch batch;
    batch.Write(path, StyledJsonText(root));
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    return {};
}

}  // namespace tirk
