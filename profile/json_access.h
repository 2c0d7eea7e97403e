// Typed access to JSON documents that users and other programs may have
// edited. A member of an unexpected type (a string where an integer belongs,
// an object where an array belongs) reads exactly like a missing member, and
// writing through these helpers replaces it. jsoncpp itself throws on such
// values (asInt() of a string, operator[] of a number); nothing in the profile
// code touches a document except through this file.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

namespace tirk::json {

// ---- reading: never modify the document, never throw ----

/// Member `name` of any type (null included) when `object` is an object, else nullptr.
const Json::Value* FindMember(const Json::Value& object, const char* name);
/// Member `name` unless it is missing or null, when `object` is an object:
/// the program writes sections it looked up but did not find as null, so
/// null means missing.
const Json::Value* FindPresent(const Json::Value& object, const char* name);
/// Element `index` of any type when `array` is an array that long, else
/// nullptr (also for a negative index).
const Json::Value* FindElement(const Json::Value& array, int64_t index);
/// The member `name` when `object` is an object holding an object there, else nullptr.
const Json::Value* FindObject(const Json::Value& object, const char* name);
/// The member `name` when `object` is an object holding an array there, else nullptr.
const Json::Value* FindArray(const Json::Value& object, const char* name);
/// Element `index` when `array` is an array holding an object there, else nullptr.
const Json::Value* ObjectAt(const Json::Value& array, Json::ArrayIndex index);
/// Element `index` when `array` is an array holding an array there, else nullptr.
const Json::Value* ArrayAt(const Json::Value& array, Json::ArrayIndex index);
/// Number of elements of an array, 0 for anything else.
Json::ArrayIndex SizeOf(const Json::Value* array);

/// True when `value` is an integer (or a real with an integral value) that
/// fits 64 bits; `out` then holds it (values above INT64_MAX wrap, as every
/// field narrower than 64 bits truncates them anyway).
bool AsInteger(const Json::Value& value, int64_t& out);
/// Integer member `name` of `object`, `fallback` when missing or not an integer.
int64_t IntOr(const Json::Value* object, const char* name, int64_t fallback = 0);
/// Flag member: an integer (non-zero = set) or a boolean; `fallback` otherwise.
bool FlagOr(const Json::Value* object, const char* name, bool fallback = false);
/// String member, `fallback` when missing or not a string.
std::string StringOr(const Json::Value* object, const char* name, const std::string& fallback = {});

/// The type as messages name it: "null", "an integer", "a number with a
/// fraction", "a string", "a boolean", "an array", "an object".
const char* TypeText(Json::ValueType type);

// ---- writing: make the path exist with the right types ----

/// Turns `value` into an object unless it already is one (contents of another
/// type are dropped) and returns it.
Json::Value& MakeObject(Json::Value& value);
/// Turns `value` into an array unless it already is one and returns it.
Json::Value& MakeArray(Json::Value& value);
/// Member `name` of `object` (made an object first), made an object.
Json::Value& ObjectMember(Json::Value& object, const char* name);
/// Member `name` of `object` (made an object first), made an array.
Json::Value& ArrayMember(Json::Value& object, const char* name);
/// Element `index` of `array` (made an array first), made an object.
Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index);
/// Element `index` of `array` (made an array first), made an array.
Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index);
/// Sets member `name` of `object` (made an object first) to `value`.
void SetMember(Json::Value& object, const char* name, Json::Value value);

}  // namespace tirk::json
