#include "profile/basic_profiledata.h"

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

/// Keeps the unusable file as "<path>.broken" so that a repair loses nothing.
void KeepBrokenCopy(const std::string& path) {
    const std::string bytes = readjsonFile(path);
    const FileResult kept = WriteFileAtomic(path + ".broken", bytes);
    log::FileFault(path, kept ? "no usable device document; the file is kept as " + path + ".broken"
                              : "no usable device document; keeping a copy failed: " + kept.error);
}

/// The root of a file that is about to be rewritten: the parsed root when it
/// is an object, else an empty object (after keeping an unusable file).
Json::Value RootForRewrite(const std::string& path, int index) {
    JsonReadStatus status;
    std::string error;
    Json::Value root = ReadJsonFile(path, status, error);
    if (RepairDropsContent(status, root, index)) KeepBrokenCopy(path);
    return root.isObject() ? root : Json::Value(Json::objectValue);
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
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty()) defaultPath_ = path;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) {
    lightConfigPath_ = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index < 0 || index > kMaxDeviceIndex) {
        log::Bug("SetDeviceIndex: index " + std::to_string(index) + " out of range");
        return;
    }
    deviceIndex_ = index;
}

Json::Value CBasicProfiledata::LoadDocument(const std::string& path) {
    return LoadInto(path, document_);
}

Json::Value CBasicProfiledata::LoadScratchDocument(const std::string& path) {
    return LoadInto(path, scratch_);
}

Json::Value CBasicProfiledata::LoadInto(const std::string& path, Json::Value& target) {
    JsonReadStatus status;
    std::string error;
    Json::Value root = ReadJsonFile(path, status, error);
    target = DeviceElement(root, deviceIndex_);
    if (!target.isNull()) return target;

    log::Printf("%s: no device document, taking it from %s", path.c_str(), defaultPath_.c_str());
    if (RepairDropsContent(status, root, deviceIndex_)) KeepBrokenCopy(path);
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    target = DeviceElement(ReadJson(defaultPath_), deviceIndex_);
    if (target.isNull()) log::FileFault(defaultPath_, "no device document in the default profile");
    json::ArrayMember(root, "Device")[Json::ArrayIndex(deviceIndex_)] = target;
    WriteJson(path, root);  // a failure is logged; the loaded document stays usable
    return target;
}

FileResult CBasicProfiledata::SaveProfile() {
    return SaveDevice(profilePath_, document_);
}

FileResult CBasicProfiledata::SaveDevice(const std::string& path, const Json::Value& value) {
    if (path.empty()) {
        log::Bug("SaveDevice: no profile file set");
        return {false, "no profile file set"};
    }
    Json::Value root = RootForRewrite(path, deviceIndex_);
    json::ArrayMember(root, "Device")[Json::ArrayIndex(deviceIndex_)] = value;
    return WriteJson(path, root);
}

FileResult CBasicProfiledata::SaveScratch(const std::string& path) {
    return SaveDevice(path, scratch_);
}

FileResult CBasicProfiledata::WriteDocument(const std::string& path, const Json::Value& root) {
    return WriteJson(path, root);
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(document_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    keyList_ = list;
    WriteKeyList(document_, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetScratchKeyList() {
    scratchKeyList_ = ReadKeyList(scratch_);
    return scratchKeyList_;
}

void CBasicProfiledata::SetScratchKeyList(const std::vector<KeyListEntry>& list) {
    scratchKeyList_ = list;
    WriteKeyList(scratch_, list);
}

LightInfoRecord CBasicProfiledata::GetLightInfo() {
    lightInfo_ =
        ReadRecord<LightInfoRecord>(json::FindObject(document_, "LightInfo"), LightInfoFields());
    return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(const LightInfoRecord& record) {
    lightInfo_ = record;
    json::SetMember(document_, "LightInfo", RecordObject(record, LightInfoFields()));
}

AudioLightRecord CBasicProfiledata::GetAudioLightInfo() const {
    return ReadRecord<AudioLightRecord>(json::FindObject(document_, "AudioLightInfo"),
                                        AudioLightFields());
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightRecord& record) {
    json::SetMember(document_, "AudioLightInfo", RecordObject(record, AudioLightFields()));
}

std::vector<LedEffect> CBasicProfiledata::GetLightList() const {
    const Json::Value* effects = json::FindArray(document_, "LightList");
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
