// What the mouse says about itself in its device information block, and the
// DPI scale of its stage sliders, both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "device/protocol/device_session.h"

namespace tirk::mouse {

/// Bytes of the information block the mouse interprets.
enum InfoByte : size_t {
    kInfoKeyCount = protocol::kInfoKeyCount,  ///< N: the key table holds 3 × N bytes
    kInfoMacroUnits = 6,                      ///< macro memory in units of 128 bytes
    kInfoSensorCode = 9,                      ///< 2 bytes, little-endian
    kInfoDpiStep = 11,                        ///< DPI per slider step
    kInfoSliderSteps = 12,                    ///< 2 bytes: the slider's maximum
    kInfoMinimumDpi = 14,                     ///< 2 bytes
};

/// Bytes per unit of the macro memory byte.
inline constexpr size_t kMacroMemoryUnit = 128;
/// The most macro memory a mouse can report (one byte of units).
inline constexpr size_t kLargestMacroMemory = 255 * kMacroMemoryUnit;
/// The sensor whose slider runs in two scales.
inline constexpr uint16_t kSplitScaleSensor = 13093;
/// Split scale: the slider value from which steps are kSplitScaleStep DPI.
inline constexpr int kSplitScaleSlider = 48;
inline constexpr int kSplitScaleStep = 200;

/// The fields of the information block the mouse uses.
struct MouseInfo {
    int keyCount = 0;        ///< N
    size_t macroMemory = 0;  ///< bytes: units × 128
    uint16_t sensorCode = 0;
    uint8_t dpiStep = 0;
    uint16_t sliderSteps = 0;
    uint16_t minimumDpi = 0;
    bool operator==(const MouseInfo&) const = default;
};

MouseInfo ParseMouseInfo(const protocol::DeviceInfo& block);

/// The mouse said how its slider maps to DPI (minimum, step and steps read).
inline bool DpiScaleKnown(const MouseInfo& info) {
    return info.dpiStep > 0 && info.sliderSteps > 0;
}

/// The DPI a stage slider at `value` stands for: with sensor 13093 and a value
/// above 48, minimum + 48 × step + (value − 48) × 200; otherwise minimum +
/// value × step.
int DpiOfSlider(const MouseInfo& info, int value);

/// The slider value of a DPI typed as `text`, the inverse of DpiOfSlider:
/// empty text counts as "0", the leading decimal digits are the number, and a
/// number below the minimum counts as the minimum. With sensor 13093 and a
/// number above slider 48's DPI (minimum + 48 × step): (number − that DPI) /
/// 200 + 48; otherwise (number − minimum) / step (integer division; a step of
/// 0 gives 0). Not clamped to the slider's range.
int SliderOfDpiText(const MouseInfo& info, std::string_view text);

}  // namespace tirk::mouse
