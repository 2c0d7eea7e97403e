// The profile data object of a device: the active profile's device document,
// the readers that turn its sections into the records the device protocols
// send, the writers that put edited records back, and the profile file's
// load, repair and save. One per device object; used from the main thread
// only, so it has no lock.
#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "profile/json_file.h"
#include "profile/lighting_files.h"
#include "profile/profile_records.h"

namespace tirk {

/// What the last LoadDocument or LoadScratchDocument did with the file.
enum class ProfileLoad {
    kLoaded,      ///< the file's device document is in use
    kCreated,     ///< there was no file: it was made from the default profile
    kRepaired,    ///< no usable device document: it was taken from the default
                  ///< profile and written into the file, after a file that
                  ///< would lose content was kept as "<file>.broken"
    kUnreadable,  ///< the file is there but could not be read: it is left as
                  ///< it is, the default profile is used in memory, and
                  ///< writes to the file are refused (see SaveDevice)
};

struct ProfileLoadResult {
    ProfileLoad outcome = ProfileLoad::kLoaded;
    /// For the user and the log: "<file>: <what happened>"; empty when the
    /// file loaded, or was created, without a problem.
    std::string message;
};

class CBasicProfiledata {
public:
    CBasicProfiledata();
    virtual ~CBasicProfiledata();
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // ---- paths ----

    /// Sets the active profile's file; an empty path keeps the old one.
    void SetProfilePath(const std::string& path);
    /// Sets the installed default profile file; an empty path keeps the old one.
    void SetDefaultPath(const std::string& path);
    /// Sets the lighting configuration file of the device folder.
    void SetLightConfigPath(const std::string& path);
    std::string GetProfilePath() const { return m_profilePath; }
    std::string GetDefaultPath() const { return m_defaultPath; }
    std::string GetLightConfigPath() const { return m_lightConfigPath; }
    /// Element of the "Device" array that holds this device's document (0 to
    /// 15; other values are ignored and logged).
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return m_deviceIndex; }

    // ---- documents ----

    /// Loads the device document from `path`. A file without a usable device
    /// document (missing, empty, unparsable, or the element null or not an
    /// object) is repaired: the element is taken from the default profile
    /// file, stored in the file (other root members and elements kept; an
    /// unparsable file is first kept as "<path>.broken") and used. A file
    /// that cannot be read is never repaired: the default's element is used
    /// in memory only and the file is protected (see SaveDevice). Returns a
    /// copy of the document, null when even the default has none; LastLoad()
    /// tells which of these happened.
    Json::Value LoadDocument(const std::string& path);
    /// The same for the scratch document (profiles other than the active one).
    Json::Value LoadScratchDocument(const std::string& path);
    /// The outcome of the last LoadDocument or LoadScratchDocument.
    const ProfileLoadResult& LastLoad() const { return m_lastLoad; }
    /// The device document as loaded and edited (null before a load).
    const Json::Value& Document() const { return m_document; }
    const Json::Value& ScratchDocument() const { return m_scratch; }
    /// The lighting configuration root, kept here for the lighting model.
    Json::Value& LightConfig() { return m_lightConfig; }

    // ---- custom lighting effect ----

    /// Reads the lighting configuration root: the file set by
    /// SetLightConfigPath when something is there, else the installed copy of
    /// the same name in the folder of the default profile (this program never
    /// writes the file, so a fresh device data folder has none). A file that
    /// cannot be read or parsed gives a null root.
    void LoadLightConfig();
    /// The file LoadLightConfig read, empty when there was none.
    const std::string& LightConfigSource() const { return m_lightConfigSource; }
    /// The steps of the custom effect at the mode index ("SelectItem") of the
    /// lighting values, from the lighting configuration root as loaded: entry
    /// "SelectItem" of root["LightInfo"][0], whose "Guid" names a ".light" file
    /// in the configuration's own folder (see ReadEffectSteps). Replaces the
    /// step list and returns a copy; empty when the root is null, there is no
    /// entry, the Guid is empty or unsafe, or the file is missing.
    std::vector<EffectStep> LoadEffectSteps();
    const std::vector<EffectStep>& EffectSteps() const { return m_effectSteps; }

    // ---- saving: each returns the write's result, failures also logged ----
    //
    // A file is never written while it is protected: from a load that could
    // not read it until a load of the same document (device or scratch)
    // succeeds, since until then that document is the default standing in
    // for the file's unknown content. Such a write is refused with a result
    // naming the file and the reason it could not be read.

    /// Saves the device document into the profile file.
    virtual FileResult SaveProfile();
    /// Reads the file at `path`, puts `value` at its device index of "Device"
    /// (other root members and elements kept) and writes the file back. A
    /// missing file is created; a file that cannot be read now is refused
    /// like a protected one, since its other content would be lost.
    virtual FileResult SaveDevice(const std::string& path, const Json::Value& value);
    /// Saves the scratch document into the file at `path`.
    virtual FileResult SaveScratch(const std::string& path);
    /// Writes `root` as the whole file at `path`.
    virtual FileResult WriteDocument(const std::string& path, const Json::Value& root);

    // ---- key list ----

    /// One entry per "KeyList" element: index, "Assignment", index,
    /// "DefaultAssignment". Replaces the member list; returns a copy.
    std::vector<KeyListEntry> GetKeyList();
    /// Writes each entry's current code as "Assignment" of element i; later
    /// elements and every "DefaultAssignment" are left alone.
    void SetKeyList(const std::vector<KeyListEntry>& list);
    /// The same two on the scratch document.
    std::vector<KeyListEntry> GetScratchKeyList();
    void SetScratchKeyList(const std::vector<KeyListEntry>& list);
    const std::vector<KeyListEntry>& KeyList() const { return m_keyList; }

    // ---- lighting ----

    /// "LightInfo" (all zero when missing); kept as the last record.
    LightInfoRecord GetLightInfo();
    /// Replaces "LightInfo" with the record's eleven members.
    void SetLightInfo(const LightInfoRecord& record);
    const LightInfoRecord& LastLightInfo() const { return m_lightInfo; }
    /// "AudioLightInfo" (all zero when missing).
    AudioLightRecord GetAudioLightInfo() const;
    /// Replaces "AudioLightInfo" with the record's nine members.
    void SetAudioLightInfo(const AudioLightRecord& record);
    /// One entry per "LightList" element; an element that is not an object
    /// gives a zero entry whose present flag is 0.
    std::vector<LedEffect> GetLightList() const;

protected:
    /// The device document for the readers and writers of derived classes.
    Json::Value& MutableDocument() { return m_document; }

private:
    /// A document that is the default standing in for a file that could not
    /// be read; the file is protected while it stands in.
    struct StandIn {
        std::string path;    ///< empty: the document is the file's own
        std::string reason;  ///< why the file could not be read
    };

    Json::Value LoadInto(const std::string& path, Json::Value& target, StandIn& standIn);
    ProfileLoadResult RepairFromDefault(const std::string& path, JsonReadStatus status,
                                        Json::Value root, const std::string& text,
                                        Json::Value& target);
    Json::Value DefaultDocument() const;
    FileResult RefuseIfProtected(const std::string& path) const;

    std::string m_profilePath;
    std::string m_defaultPath;
    std::string m_lightConfigPath;
    Json::Value m_lightConfig;
    std::string m_lightConfigSource;
    std::vector<EffectStep> m_effectSteps;
    Json::Value m_document;
    Json::Value m_scratch;
    int m_deviceIndex = 0;
    LightInfoRecord m_lightInfo;
    std::vector<KeyListEntry> m_keyList;
    std::vector<KeyListEntry> m_scratchKeyList;
    ProfileLoadResult m_lastLoad;
    StandIn m_documentStandIn;
    StandIn m_scratchStandIn;
};

}  // namespace tirk
