// Macro events as the tests write them, and JSON on one line for comparing
// events with what the files and pages hold.
#pragma once

#include <json/value.h>
#include <json/writer.h>

#include <string>
#include <utility>

namespace tirk::test {

/// `value` as JSON without blanks or line breaks.
inline std::string CompactJson(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

/// A macro event: "Action", "Button", "Delay" (a number or a text, as given)
/// and "Type".
inline Json::Value MacroEvent(const char* action, int button, Json::Value delay, int type) {
    Json::Value event;
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = std::move(delay);
    event["Type"] = type;
    return event;
}

}  // namespace tirk::test
