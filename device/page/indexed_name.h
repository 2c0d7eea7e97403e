// Control names and user data with an index: "key_12", "light_3". The prefix
// runs up to and including the last underscore, the rest is a decimal number.
#pragma once

#include <string>

namespace tirk::page {

struct IndexedName {
    std::string prefix;  ///< up to and including the last '_'; the whole text without one
    int number = -1;     ///< -1 when the rest is empty, not all digits, or too large
};

/// Splits `text` at its last underscore. "key_12" → {"key_", 12};
/// "key_" and "key_1a" → number -1; "key" → {"key", -1}.
IndexedName SplitIndexedName(const std::string& text);

}  // namespace tirk::page
