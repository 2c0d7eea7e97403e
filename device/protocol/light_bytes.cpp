#include "device/protocol/light_bytes.h"

#include <algorithm>

namespace tirk::protocol {

void PutLightBytes(std::span<uint8_t> record, const LightInfoRecord& light, uint8_t modeCode) {
    record[kModeCodeByte] = modeCode;
    record[kBrightnessByte] = light.light;
    record[kSpeedByte] = static_cast<uint8_t>(kMaxSpeed - std::min<int>(light.speed, kMaxSpeed));
    record[kFxByte] = light.fx;
    record[kMultiColourByte] = light.multiColor;
    record[kRedByte] = light.red;
    record[kGreenByte] = light.green;
    record[kBlueByte] = light.blue;
}

void TakeLightBytes(std::span<const uint8_t> record, LightInfoRecord& light, bool withDirection) {
    light.light = record[kBrightnessByte];
    light.speed = static_cast<uint8_t>(kMaxSpeed - std::min<int>(record[kSpeedByte], kMaxSpeed));
    if (withDirection) light.fx = record[kFxByte];
    light.multiColor = record[kMultiColourByte];
    light.red = record[kRedByte];
    light.green = record[kGreenByte];
    light.blue = record[kBlueByte];
}

}  // namespace tirk::protocol
