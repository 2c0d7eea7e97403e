// Any file offered for import as a macro must be accepted or refused with a
// reason, never crash or hang; an accepted file must be playable: every event
// packs to a known type, a button that type can have and the delay the file
// gives, and the macro fits the device's macro memory. Input: the file's
// bytes; their first bytes also serve as an arbitrary file name.
#include <json/value.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "playable_event.h"
#include "profile/macro_store.h"

namespace {

using fuzz_oracle::Playable;

using tirk::MacroImportCheck;
using tirk::MacroStore;

/// The delay an accepted event's "Delay" states; −1 when it states none.
int64_t StatedDelay(const Json::Value& delay) {
    if (delay.isInt64()) return delay.asInt64();
    if (!delay.isString()) return -1;
    const std::string text = delay.asString();
    if (text.empty()) return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = std::min<int64_t>(value * 10 + (c - '0'), 65536);  // leading zeros are allowed
    }
    return value;
}

void CheckAccepted(const MacroImportCheck& check, std::size_t capacity) {
    if (22 + 4 * check.events.size() > capacity) __builtin_trap();
    for (const Json::Value& event : check.events) {
        if (!event.isObject()) __builtin_trap();
        const Json::Value& action = event["Action"];
        const Json::Value& button = event["Button"];
        if (!action.isString() || !button.isInt64()) __builtin_trap();
        const int64_t delay = StatedDelay(event["Delay"]);
        if (delay < 0 || delay > 65535) __builtin_trap();

        const tirk::PackedMacroEvent packed = tirk::Pack(event);
        if (!Playable(packed.typeAction & 0x7F, packed.button)) __builtin_trap();
        if (int64_t(packed.button) != button.asInt64()) __builtin_trap();
        if (((packed.typeAction & 0x80) != 0) != (action.asString() == "down")) __builtin_trap();
        if (packed.Delay() != delay) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    struct Offer {
        std::string_view stem;
        std::size_t capacity;
    } offers[] = {
        {"macro", MacroStore::kKeyboardMemory},
        {file.substr(0, 12), MacroStore::kKeyboardMemory},
        {"macro", 255 * 128},  // the largest memory a mouse can report
    };
    for (const Offer& offer : offers) {
        const MacroImportCheck check = tirk::CheckMacroFile(file, offer.stem, offer.capacity);
        if (!check.ok) {
            if (check.problem.empty()) __builtin_trap();  // a refusal always says why
            continue;
        }
        CheckAccepted(check, offer.capacity);
    }
    return 0;
}
