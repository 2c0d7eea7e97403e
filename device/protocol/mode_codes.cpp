#include "device/protocol/mode_codes.h"

#include <algorithm>

namespace tirk::protocol {

int ModeIndexOf(uint8_t code, std::span<const uint8_t> modeCodes) {
    auto found = std::find(modeCodes.begin(), modeCodes.end(), code);
    return found == modeCodes.end() ? code : static_cast<int>(found - modeCodes.begin());
}

}  // namespace tirk::protocol
