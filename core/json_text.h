// Parsing JSON text without exceptions. The JSON library reports most
// problems through its result but throws for a few (nesting deeper than its
// stack limit); the files parsed here come from users and other programs,
// and none of them may end the program.
#pragma once

#include <json/reader.h>

#include <string>
#include <string_view>

namespace tirk {

/// `reader`'s parse of `text` into `root`; false with the reader's message in
/// `error` for text it refuses, whether it returned or threw.
inline bool ParseJsonText(Json::CharReader& reader, std::string_view text, Json::Value* root,
                          std::string* error) {
    try {
        return reader.parse(text.data(), text.data() + text.size(), root, error);
    } catch (const Json::Exception& refused) {
        if (error) *error = refused.what();
        *root = Json::Value();
        return false;
    }
}

}  // namespace tirk
