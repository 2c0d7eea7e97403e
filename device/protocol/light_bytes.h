// The lighting bytes of a settings record, laid out alike on keyboards and
// mice: bytes 1 to 8 hold the mode code, brightness, 4 − speed, direction,
// colourful flag and the colour.
#pragma once

#include <cstdint>
#include <span>

#include "profile/profile_records.h"

namespace tirk::protocol {

enum LightByte : size_t {
    kModeCodeByte = 1,
    kBrightnessByte = 2,
    kSpeedByte = 3,  ///< 4 − speed: the devices count 4 … 0
    kFxByte = 4,
    kMultiColourByte = 5,
    kRedByte = 6,
    kGreenByte = 7,
    kBlueByte = 8,
};
inline constexpr int kMaxSpeed = 4;

/// Writes `light` into bytes 1 to 8 of `record` with `modeCode` as the mode;
/// a speed above 4 goes as 4 − 4.
void PutLightBytes(std::span<uint8_t> record, const LightInfoRecord& light, uint8_t modeCode);

/// Reads brightness, speed, colourful flag and colour (and the direction when
/// `withDirection`) from bytes 2 to 8 into `light`; the mode is the caller's.
void TakeLightBytes(std::span<const uint8_t> record, LightInfoRecord& light, bool withDirection);

}  // namespace tirk::protocol
