// The results the families' protocols add to the channel's (1, 0, −1, −101,
// −102, −103, −201): checks made before anything is sent.
#pragma once

namespace tirk::protocol {

/// The device reports more keys than a 512-byte key table holds (N × 3 >
/// 512); what was kept stays, the write session is closed.
inline constexpr int kKeyTableTooLarge = -301;
/// The key table was never read, or the device now reports another key count
/// than it was read with: nothing is sent (read it again).
inline constexpr int kKeyTableUnknown = -302;
/// The macro block would exceed the device's macro memory: nothing is sent.
inline constexpr int kMacroBlockTooLarge = -303;

}  // namespace tirk::protocol
