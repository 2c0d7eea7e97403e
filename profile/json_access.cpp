#include "profile/json_access.h"

#include <cstring>

namespace tirk::json {
namespace {

const Json::Value* IfObject(const Json::Value* value) {
    return value && value->isObject() ? value : nullptr;
}

const Json::Value* IfArray(const Json::Value* value) {
    return value && value->isArray() ? value : nullptr;
}

}  // namespace

const Json::Value* FindMember(const Json::Value& object, const char* name) {
    if (!object.isObject()) return nullptr;
    return object.find(name, name + std::strlen(name));
}

const Json::Value* FindPresent(const Json::Value& object, const char* name) {
    const Json::Value* member = FindMember(object, name);
    return member && !member->isNull() ? member : nullptr;
}

const Json::Value* FindElement(const Json::Value& array, int64_t index) {
    if (!array.isArray() || index < 0 || index >= int64_t(array.size())) return nullptr;
    return &array[Json::ArrayIndex(index)];
}

const Json::Value* FindObject(const Json::Value& object, const char* name) {
    return IfObject(FindMember(object, name));
}

const Json::Value* FindArray(const Json::Value& object, const char* name) {
    return IfArray(FindMember(object, name));
}

const Json::Value* ObjectAt(const Json::Value& array, Json::ArrayIndex index) {
    return IfObject(FindElement(array, index));
}

const Json::Value* ArrayAt(const Json::Value& array, Json::ArrayIndex index) {
    return IfArray(FindElement(array, index));
}

Json::ArrayIndex SizeOf(const Json::Value* array) {
    return array && array->isArray() ? array->size() : 0;
}

bool AsInteger(const Json::Value& value, int64_t& out) {
    if (value.isInt64()) {
        out = value.asInt64();
        return true;
    }
    if (value.isUInt64()) {
        out = static_cast<int64_t>(value.asUInt64());
        return true;
    }
    return false;
}

int64_t IntOr(const Json::Value* object, const char* name, int64_t fallback) {
    const Json::Value* member = object ? FindMember(*object, name) : nullptr;
    int64_t value;
    return member && AsInteger(*member, value) ? value : fallback;
}

bool FlagOr(const Json::Value* object, const char* name, bool fallback) {
    const Json::Value* member = object ? FindMember(*object, name) : nullptr;
    if (!member) return fallback;
    if (member->isBool()) return member->asBool();
    int64_t value;
    return AsInteger(*member, value) ? value != 0 : fallback;
}

std::string StringOr(const Json::Value* object, const char* name, const std::string& fallback) {
    const Json::Value* member = object ? FindMember(*object, name) : nullptr;
    return member && member->isString() ? member->asString() : fallback;
}

const char* TypeText(Json::ValueType type) {
    switch (type) {
        case Json::nullValue:
            return "null";
        case Json::intValue:
        case Json::uintValue:
            return "an integer";
        case Json::realValue:
            return "a number with a fraction";
        case Json::stringValue:
            return "a string";
        case Json::booleanValue:
            return "a boolean";
        case Json::arrayValue:
            return "an array";
        case Json::objectValue:
            return "an object";
    }
    return "a value";
}

Json::Value& MakeObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}

Json::Value& MakeArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

Json::Value& ObjectMember(Json::Value& object, const char* name) {
    return MakeObject(MakeObject(object)[name]);
}

Json::Value& ArrayMember(Json::Value& object, const char* name) {
    return MakeArray(MakeObject(object)[name]);
}

Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index) {
    return MakeObject(MakeArray(array)[index]);
}

Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index) {
    return MakeArray(MakeArray(array)[index]);
}

void SetMember(Json::Value& object, const char* name, Json::Value value) {
    MakeObject(object)[name] = std::move(value);
}

}  // namespace tirk::json
