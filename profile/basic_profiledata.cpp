#include "profile/basic_profiledata.h"

#include <filesystem>

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace tirk {
namespace {

constexpr int kMaxDeviceIndex = 15;

/// The device document of `root`: element `index` of "Device" when it is an
/// object, else null (a missing or mistyped root, member or element).
Json::Value DeviceElement(const Json::Value& root, int index) {
    const Json::Value* devices = json::FindArray(root, "Device");
    const Json::Value* element =
        devices ? json::ObjectAt(*devices, Json::ArrayIndex(index)) : nullptr;
    return element ? *element : Json::Value(Json::nullValue);
}

/// True when the file held something in the place of the device document
/// that a repair would drop: text that does not parse, a root that is not an
/// object, a "Device" that is not an array, an element of the wrong type.
bool RepairDropsContent(JsonReadStatus status, const Json::Value& root, int index) {
    if (status == JsonReadStatus::Unparsable) return true;
    if (status != JsonReadStatus::Ok) return false;
    if (!root.isObject()) return true;
    const Json::Value* devices = root.find("Device", "Device" + 6);
    if (!devices || devices->isNull()) return false;
    if (!devices->isArray()) return true;
    if (Json::ArrayIndex(index) >= devices->size()) return false;
    const Json::Value& element = (*devices)[Json::ArrayIndex(index)];
    return !element.isNull() && !element.isObject();
}

/// Keeps the unusable file's bytes as "<path>.broken" so that a repair loses
/// nothing. Returns the message for the caller (also logged).
std::string KeepBrokenCopy(const std::string& path, const std::string& bytes) {
    const FileResult kept = WriteFileAtomic(path + ".broken", bytes);
    const std::string what =
        kept ? "no usable device document; the file is kept as " + path + ".broken"
             : "no usable device document; keeping a copy failed: " + kept.error;
    log::FileFault(path, what);
    return path + ": " + what;
}

/// A write refused to protect a file that could not be read (logged).
FileResult Refused(const std::string& path, const std::string& why) {
    const std::string what = "not saved: " + why + "; the file is left as it is";
    log::FileFault(path, what);
    return {false, path + ": " + what};
}

std::vector<KeyListEntry> ReadKeyList(const Json::Value& document) {
    const Json::Value* keys = json::FindArray(document, "KeyList");
    std::vector<KeyListEntry> list(json::SizeOf(keys));
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value* key = json::ObjectAt(*keys, i);
        KeyListEntry& entry = list[i];
        entry.current.SetKeyIndex(uint16_t(i));
        entry.current.code = AssignmentCode::FromValue(json::IntOr(key, "Assignment"));
        entry.defaultHalf.SetKeyIndex(uint16_t(i));
        entry.defaultHalf.code = AssignmentCode::FromValue(json::IntOr(key, "DefaultAssignment"));
    }
    return list;
}

void WriteKeyList(Json::Value& document, const std::vector<KeyListEntry>& list) {
    Json::Value& keys = json::ArrayMember(document, "KeyList");
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const auto code = static_cast<int>(list[i].current.code.Value());
        json::SetMember(json::ObjectElement(keys, i), "Assignment", code);
    }
}

}  // namespace

CBasicProfiledata::CBasicProfiledata() = default;
CBasicProfiledata::~CBasicProfiledata() = default;

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) m_profilePath = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty()) m_defaultPath = path;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) {
    m_lightConfigPath = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index < 0 || index > kMaxDeviceIndex) {
        log::Bug("SetDeviceIndex: index " + std::to_string(index) + " out of range");
        return;
    }
    m_deviceIndex = index;
}

void CBasicProfiledata::LoadLightConfig() {
    // The default profile lives in the default data folder, beside the
    // installed lighting configuration.
    const std::string defaultDataFolder =
        std::filesystem::path(m_defaultPath).parent_path().string();
    const std::string installed =
        m_defaultPath.empty() ? std::string()
                              : InstalledLightConfigPath(defaultDataFolder, m_lightConfigPath);
    m_lightConfig = ReadLightConfig(m_lightConfigPath, installed, m_lightConfigSource);
}

std::vector<EffectStep> CBasicProfiledata::LoadEffectSteps() {
    const LightInfoRecord light =
        ReadRecord<LightInfoRecord>(json::FindObject(m_document, "LightInfo"), LightInfoFields());
    const std::string& source =
        m_lightConfigSource.empty() ? m_lightConfigPath : m_lightConfigSource;
    m_effectSteps = ReadEffectSteps(m_lightConfig, source, light.selectItem);
    return m_effectSteps;
}

Json::Value CBasicProfiledata::LoadDocument(const std::string& path) {
    return LoadInto(path, m_document, m_documentStandIn);
}

Json::Value CBasicProfiledata::LoadScratchDocument(const std::string& path) {
    return LoadInto(path, m_scratch, m_scratchStandIn);
}

Json::Value CBasicProfiledata::LoadInto(const std::string& path, Json::Value& target,
                                        StandIn& standIn) {
    JsonReadStatus status;
    std::string error;
    std::string text;
    Json::Value root = ReadJsonFile(path, status, error, &text);
    if (status == JsonReadStatus::Unreadable) {
        // Never repaired: what the file holds is unknown, and a later read may
        // well succeed (a lack of descriptors passes, a permission is fixed).
        standIn = {path, ReadProblem(path, error)};
        const std::string what = "cannot be read (" + standIn.reason +
                                 "); it is left as it is and the default profile is used";
        log::FileFault(path, what);
        m_lastLoad = {ProfileLoad::kUnreadable, path + ": " + what};
        target = DefaultDocument();
        return target;
    }
    standIn = {};
    target = DeviceElement(root, m_deviceIndex);
    if (!target.isNull()) {
        m_lastLoad = {};
        return target;
    }
    m_lastLoad = RepairFromDefault(path, status, std::move(root), text, target);
    return target;
}

ProfileLoadResult CBasicProfiledata::RepairFromDefault(const std::string& path,
                                                       JsonReadStatus status, Json::Value root,
                                                       const std::string& text,
                                                       Json::Value& target) {
    log::Printf("%s: no device document, taking it from %s", path.c_str(), m_defaultPath.c_str());
    ProfileLoadResult result;
    result.outcome =
        status == JsonReadStatus::Missing ? ProfileLoad::kCreated : ProfileLoad::kRepaired;
    if (RepairDropsContent(status, root, m_deviceIndex))
        result.message = KeepBrokenCopy(path, text);
    else if (result.outcome == ProfileLoad::kRepaired)
        result.message = path + ": had no device document; it is taken from the default profile";
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    target = DefaultDocument();
    json::ArrayMember(root, "Device")[Json::ArrayIndex(m_deviceIndex)] = target;
    // A failure is logged by WriteJson; the loaded document stays usable.
    if (const FileResult written = WriteJson(path, root); !written)
        result.message += (result.message.empty() ? "" : "; ") + written.error;
    return result;
}

Json::Value CBasicProfiledata::DefaultDocument() const {
    Json::Value document = DeviceElement(ReadJson(m_defaultPath), m_deviceIndex);
    if (document.isNull())
        log::FileFault(m_defaultPath, "no device document in the default profile");
    return document;
}

FileResult CBasicProfiledata::RefuseIfProtected(const std::string& path) const {
    for (const StandIn* standIn : {&m_documentStandIn, &m_scratchStandIn}) {
        if (!standIn->path.empty() && standIn->path == path)
            return Refused(
                path, "the file could not be read when it was loaded (" + standIn->reason + ")");
    }
    return {};
}

FileResult CBasicProfiledata::SaveProfile() {
    return SaveDevice(m_profilePath, m_document);
}

FileResult CBasicProfiledata::SaveDevice(const std::string& path, const Json::Value& value) {
    if (path.empty()) {
        log::Bug("SaveDevice: no profile file set");
        return {false, "no profile file set"};
    }
    if (FileResult refused = RefuseIfProtected(path); !refused) return refused;
    JsonReadStatus status;
    std::string error;
    std::string text;
    Json::Value root = ReadJsonFile(path, status, error, &text);
    if (status == JsonReadStatus::Unreadable)
        return Refused(path, "the file cannot be read (" + ReadProblem(path, error) + ")");
    if (RepairDropsContent(status, root, m_deviceIndex)) KeepBrokenCopy(path, text);
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    json::ArrayMember(root, "Device")[Json::ArrayIndex(m_deviceIndex)] = value;
    return WriteJson(path, root);
}

FileResult CBasicProfiledata::SaveScratch(const std::string& path) {
    return SaveDevice(path, m_scratch);
}

FileResult CBasicProfiledata::WriteDocument(const std::string& path, const Json::Value& root) {
    if (FileResult refused = RefuseIfProtected(path); !refused) return refused;
    return WriteJson(path, root);
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    m_keyList = ReadKeyList(m_document);
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    m_keyList = list;
    WriteKeyList(m_document, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetScratchKeyList() {
    m_scratchKeyList = ReadKeyList(m_scratch);
    return m_scratchKeyList;
}

void CBasicProfiledata::SetScratchKeyList(const std::vector<KeyListEntry>& list) {
    m_scratchKeyList = list;
    WriteKeyList(m_scratch, list);
}

LightInfoRecord CBasicProfiledata::GetLightInfo() {
    m_lightInfo =
        ReadRecord<LightInfoRecord>(json::FindObject(m_document, "LightInfo"), LightInfoFields());
    return m_lightInfo;
}

void CBasicProfiledata::SetLightInfo(const LightInfoRecord& record) {
    m_lightInfo = record;
    json::SetMember(m_document, "LightInfo", RecordObject(record, LightInfoFields()));
}

AudioLightRecord CBasicProfiledata::GetAudioLightInfo() const {
    return ReadRecord<AudioLightRecord>(json::FindObject(m_document, "AudioLightInfo"),
                                        AudioLightFields());
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightRecord& record) {
    json::SetMember(m_document, "AudioLightInfo", RecordObject(record, AudioLightFields()));
}

std::vector<LedEffect> CBasicProfiledata::GetLightList() const {
    const Json::Value* effects = json::FindArray(m_document, "LightList");
    std::vector<LedEffect> list(json::SizeOf(effects));
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value* effect = json::ObjectAt(*effects, i);
        if (!effect) continue;
        list[i] = ReadRecord<LedEffect>(effect, LedEffectFields());
        list[i].present = 1;
    }
    return list;
}

}  // namespace tirk
