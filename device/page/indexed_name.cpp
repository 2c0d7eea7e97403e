#include "device/page/indexed_name.h"

#include <charconv>

namespace tirk::page {

IndexedName SplitIndexedName(const std::string& text) {
    const size_t underscore = text.rfind('_');
    if (underscore == std::string::npos) return {text, -1};
    IndexedName name{text.substr(0, underscore + 1), -1};
    const char* first = text.data() + underscore + 1;
    const char* last = text.data() + text.size();
    if (first == last || *first == '+' || *first == '-') return name;
    int number = 0;
    auto [end, error] = std::from_chars(first, last, number);
    if (error == std::errc() && end == last) name.number = number;
    return name;
}

}  // namespace tirk::page
