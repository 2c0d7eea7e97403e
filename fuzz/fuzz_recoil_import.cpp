// Any file offered for import as a recoil table must be accepted or refused
// with a reason, never crash or hang; an accepted file must be sendable: it
// has "Events", not too many of them for the block, every event is a gap or
// packs to a known type with the button and delay the file gives; and four
// tables like it make a block of exactly the size the layout states.
#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "playable_event.h"
#include "profile/recoil_tables.h"

namespace {

using fuzz_oracle::Playable;

void CheckAccepted(const tirk::MacroImportCheck& check, const Json::Value& root) {
    if (!root.isObject() || !root["Events"].isArray()) __builtin_trap();
    if (root["Events"].size() != check.events.size()) __builtin_trap();
    if (check.events.size() > tirk::kMaxRecoilFileEvents) __builtin_trap();
    std::vector<tirk::PackedMacroEvent> packed;
    for (const Json::Value& event : check.events) {
        packed.push_back(tirk::Pack(event));
        if (event.isNull()) {
            if (packed.back() != tirk::PackedMacroEvent{}) __builtin_trap();  // a gap is zeros
            continue;
        }
        if (!event.isObject() || !event["Button"].isInt64()) __builtin_trap();
        if (!Playable(packed.back().typeAction & 0x7F, packed.back().button)) __builtin_trap();
        if (int64_t(packed.back().button) != event["Button"].asInt64()) __builtin_trap();
    }
    const std::vector<std::vector<tirk::PackedMacroEvent>> tables(tirk::kRecoilGuns, packed);
    const std::vector<uint8_t> block = tirk::BuildDownloadBlock(tables);
    const std::size_t size = 16 + 4 * 2 + 4 * 4 + 4 * tirk::kRecoilGuns * packed.size();
    if (block.size() != size || size > tirk::kMaxDownloadBlockBytes) __builtin_trap();
    if (block[2] != (size & 0xFF) || block[3] != (size >> 8) || block[4] != 4) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    Json::Value root;
    const tirk::MacroImportCheck check = tirk::CheckRecoilFile(file, &root);
    if (!check.ok) {
        if (check.problem.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    CheckAccepted(check, root);
    return 0;
}
