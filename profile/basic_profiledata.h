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
#include "profile/profile_records.h"

namespace tirk {

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
    std::string GetProfilePath() const { return profilePath_; }
    std::string GetDefaultPath() const { return defaultPath_; }
    std::string GetLightConfigPath() const { return lightConfigPath_; }
    /// Element of the "Device" array that holds this device's document (0 to
    /// 15; other values are ignored and logged).
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex_; }

    // ---- documents ----

    /// Loads the device document from `path`. A file without a usable device
    /// document (missing, empty, unparsable, or the element null or not an
    /// object) is repaired: the element is taken from the default profile
    /// file, stored in the file (other root members and elements kept; an
    /// unparsable file is first kept as "<path>.broken") and used. Returns a
    /// copy of the document, null when even the default has none.
    Json::Value LoadDocument(const std::string& path);
    /// The same for the scratch document (profiles other than the active one).
    Json::Value LoadScratchDocument(const std::string& path);
    /// The device document as loaded and edited (null before a load).
    const Json::Value& Document() const { return document_; }
    const Json::Value& ScratchDocument() const { return scratch_; }
    /// The lighting configuration root, kept here for the lighting model.
    Json::Value& LightConfig() { return lightConfig_; }

    // ---- saving: each returns the write's result, failures also logged ----

    /// Saves the device document into the profile file.
    virtual FileResult SaveProfile();
    /// Reads the file at `path`, puts `value` at its device index of "Device"
    /// (other root members and elements kept) and writes the file back.
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
    const std::vector<KeyListEntry>& KeyList() const { return keyList_; }

    // ---- lighting ----

    /// "LightInfo" (all zero when missing); kept as the last record.
    LightInfoRecord GetLightInfo();
    /// Replaces "LightInfo" with the record's eleven members.
    void SetLightInfo(const LightInfoRecord& record);
    const LightInfoRecord& LastLightInfo() const { return lightInfo_; }
    /// "AudioLightInfo" (all zero when missing).
    AudioLightRecord GetAudioLightInfo() const;
    /// Replaces "AudioLightInfo" with the record's nine members.
    void SetAudioLightInfo(const AudioLightRecord& record);
    /// One entry per "LightList" element; an element that is not an object
    /// gives a zero entry whose present flag is 0.
    std::vector<LedEffect> GetLightList() const;

protected:
    /// The device document for the readers and writers of derived classes.
    Json::Value& MutableDocument() { return document_; }

private:
    Json::Value LoadInto(const std::string& path, Json::Value& target);

    std::string profilePath_;
    std::string defaultPath_;
    std::string lightConfigPath_;
    Json::Value lightConfig_;
    Json::Value document_;
    Json::Value scratch_;
    int deviceIndex_ = 0;
    LightInfoRecord lightInfo_;
    std::vector<KeyListEntry> keyList_;
    std::vector<KeyListEntry> scratchKeyList_;
};

}  // namespace tirk
