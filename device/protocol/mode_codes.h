// Lighting mode codes: the byte a device stores for a mode is the mode's
// "value" in the lighting defaults' mode list, not its index.
#pragma once

#include <cstdint>
#include <span>

namespace tirk::protocol {

/// The mode index a read-back code stands for: the first index whose code
/// equals it, else the code itself.
int ModeIndexOf(uint8_t code, std::span<const uint8_t> modeCodes);

}  // namespace tirk::protocol
