// The profile list of one device type: the list file "ProfileList.ini" of the
// device data folder (JSON despite its name), the profile files it names, and
// every operation on them — first start, select, add, copy, delete, rename,
// import, export, reset. No UI: the profile panel mirrors Names() in its combo
// box and shows the message a result names. Every change is written whole or
// not at all (docs/profile-list.md).
#pragma once

#include <json/value.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "profile/file_batch.h"

namespace tirk {

/// Language keys of the messages the results name.
namespace profile_text {
inline constexpr char kLimit[] = "message_text_32";          ///< 50 profiles exist
inline constexpr char kNameTaken[] = "message_text_5";       ///< rename: another profile's name
inline constexpr char kNameEmpty[] = "message_text_25";      ///< rename: only white space
inline constexpr char kNameUnusable[] = "message_text_5_3";  ///< rename: "&" or "%[…]"
/// "%s" takes the detail: the file and what is wrong with it.
inline constexpr char kImportRefused[] = "message_import_refused";
/// "%s" takes the detail: the file and why it could not be read or written.
inline constexpr char kFileError[] = "message_profile_file_error";
}  // namespace profile_text

/// How an operation ended.
enum class ProfileStatus {
    kOk,
    kUnchanged,      ///< nothing to do (no selection, one profile left, empty path …)
    kLimit,          ///< 50 profiles: nothing added
    kNameTaken,      ///< rename result 0
    kNameEmpty,      ///< rename result 2
    kNameUnusable,   ///< rename result 3
    kImportRefused,  ///< the file is no profile of this device type; nothing changed
    kFileError,      ///< a file could not be read or written; nothing changed
};

/// The result of an operation: the status, the language key of the message to
/// show (empty: show nothing) and, for refused imports and file errors, a
/// detail naming the file and the problem (the message's "%s").
struct ProfileResult {
    ProfileStatus status = ProfileStatus::kOk;
    std::string textKey;
    std::string detail;

    bool Ok() const { return status == ProfileStatus::kOk; }
    explicit operator bool() const { return Ok(); }
    /// The rename result code: 1 renamed, 0 name taken, 2 empty, 3 unusable
    /// character; −1 for anything else (a file error, no selection).
    int RenameCode() const;
};

/// One entry of the list: the name shown and the profile file's base name.
struct ProfileEntry {
    std::string name;
    std::string id;
    bool operator==(const ProfileEntry&) const = default;
};

/// A feature tab of the profile panel and whether a device type shows it.
struct FeatureTabVisibility {
    const char* name;
    bool visible;
};

/// The feature tabs, in the order of their numbers 1 to 8.
inline constexpr const char* kFeatureTabNames[] = {
    "cursor_Op_tab", "macro_Op_tab",      "system_Op_tab", "key_Op_tab",
    "deng_Op_tab",   "6533_voice_Op_tab", "magic_Op_tab",  "Virtual7.1_Op_tab"};

/// The tabs whose visibility a device type sets; tabs not listed keep theirs.
/// Keyboards (1 and 9) hide "cursor_Op_tab"; the mouse pad (3) hides
/// "cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"; the headset
/// (7) hides the same four and shows "6533_voice_Op_tab", "magic_Op_tab",
/// "Virtual7.1_Op_tab"; mice change nothing.
std::vector<FeatureTabVisibility> FeatureTabsOf(int deviceTypeCode);

class CProfileList {
public:
    static constexpr int kMaxProfiles = 50;
    static constexpr char kListFileName[] = "ProfileList.ini";
    static constexpr char kFirstProfileName[] = "Profile1";

    using Clock = std::function<std::chrono::system_clock::time_point()>;

    CProfileList();

    // ---- set-up --------------------------------------------------------------
    void SetDeviceTypeCode(int code) { m_deviceTypeCode = code; }
    int DeviceTypeCode() const { return m_deviceTypeCode; }
    /// The device data folder (a '/' is added when missing) and the installed
    /// default profile file.
    void SetFolders(const std::string& folder, const std::string& defaultProfilePath);
    const std::string& Folder() const { return m_folder; }
    const std::string& DefaultProfilePath() const { return m_defaultPath; }
    /// Folder + "ProfileList.ini".
    std::string ListPath() const { return m_folder + kListFileName; }
    /// Folder + entry `index`'s identifier + ".Json"; empty out of range.
    std::string ProfilePath(int index) const;
    /// The writer of every file (tests inject failures). Default: atomic,
    /// failures logged.
    void SetFileWriter(FileWriter writer) { m_writer = std::move(writer); }
    /// The clock new identifiers are made from (tests fix it).
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // ---- the list ------------------------------------------------------------
    /// Reads the list file. A missing, empty or unparsable file, or one
    /// without a usable entry, is replaced by the single profile "Profile1"
    /// made from the default profile file (an unparsable one is kept as
    /// "ProfileList.ini.broken" first). Entries without a string name or with
    /// an identifier that is no plain file name are dropped; a "profileselect"
    /// that is not an index of the list reads as 0. Then selects the recorded
    /// profile, which writes the repairs. The active profile is set even when
    /// that write fails (the result reports it).
    ProfileResult Init();
    /// Re-reads the list file (every operation does so first) and returns the
    /// number of profiles. An unusable file keeps the list in memory; the
    /// next change writes it again.
    int Reload();
    const std::vector<ProfileEntry>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    /// The names in list order: what the combo box shows.
    std::vector<std::string> Names() const;
    /// "profileselect" as the list file records it (after repair).
    int RecordedSelection() const { return m_selection; }
    /// The identifier of the profile the device uses; empty before Init.
    const std::string& ActiveId() const { return m_activeId; }
    /// Index of the active profile in the list, −1 when none.
    int ActiveIndex() const;

    // ---- operations: each re-reads the list file first -------------------------
    /// Makes entry `index` the active profile and records it as selected.
    ProfileResult Select(int index);
    /// Appends "profile<n>" made from the default profile and records it as
    /// selected; the active profile stays (the new one takes effect at the
    /// next Init).
    ProfileResult Add();
    /// Appends a copy of entry `selected` named "<name> copy" (repeated until
    /// free); the recorded selection stays.
    ProfileResult Copy(int selected);
    /// Removes entry `selected` and its file when at least two exist. The new
    /// selection is the entry before it (0 for the first); it is recorded and
    /// becomes the active profile.
    ProfileResult Delete(int selected);
    /// Renames entry `selected` (name trimmed) in the list and in its file.
    ProfileResult Rename(int selected, const std::string& name);
    /// Adds the profile in the file at `path` under the file's name (without
    /// folder and extension, trimmed; "(k)" appended on collision) when the
    /// file passes CheckImportedProfile for this device type.
    ProfileResult Import(const std::string& path);
    /// Writes entry `selected`'s profile in the styled form to `path`.
    ProfileResult Export(int selected, const std::string& path);
    /// Replaces entry `selected`'s profile by the default profile, keeping its
    /// name and identifier; a headset keeps its custom equaliser curves
    /// ("CustomEQNameInfo", "CustomEQHzValueInfo" of "Device"[0]).
    ProfileResult Reset(int selected);

private:
    struct LoadedList;
    std::string m_unreadableList;  ///< why the existing list file could not be read; empty when it could
    LoadedList ReadListFile() const;
    void Adopt(const Json::Value& root);
    ProfileResult CreateFirstProfile();
    ProfileResult SelectAndRecord(int index, bool adoptOnFailure);
    ProfileResult Append(const std::string& name, Json::Value profileRoot, bool recordAsSelected);
    std::string NewId() const;
    bool IdInUse(const std::string& id) const;
    Json::Value DefaultRoot() const;
    ProfileResult Commit(CFileBatch& batch, const Json::Value& nextList);
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }

    int m_deviceTypeCode = 0;
    std::string m_folder;
    std::string m_defaultPath;
    Json::Value m_list;  ///< the list file's root as last read or written
    std::vector<ProfileEntry> m_entries;
    int m_selection = 0;
    std::string m_activeId;
    FileWriter m_writer;
    Clock m_clock;
};

}  // namespace tirk
