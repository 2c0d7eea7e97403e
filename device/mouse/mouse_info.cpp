#include "device/mouse/mouse_info.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace tirk::mouse {
namespace {

uint16_t Word(const protocol::DeviceInfo& block, size_t at) {
    return static_cast<uint16_t>(block[at] | block[at + 1] << 8);
}

bool SplitScale(const MouseInfo& info) {
    return info.sensorCode == kSplitScaleSensor;
}

// The number the edit's text starts with, as a C conversion reads it: spaces,
// an optional sign, then digits; nothing of that reads as 0. Kept far from the
// int range so the arithmetic after it cannot overflow.
int64_t LeadingNumber(std::string_view text) {
    constexpr int64_t kLimit = int64_t(1) << 40;
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    int64_t number = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        number = std::min(number * 10 + (text[at] - '0'), kLimit);
    return negative ? -number : number;
}

int Clamped(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

MouseInfo ParseMouseInfo(const protocol::DeviceInfo& block) {
    MouseInfo info;
    info.keyCount = block[kInfoKeyCount];
    info.macroMemory = size_t(block[kInfoMacroUnits]) * kMacroMemoryUnit;
    info.sensorCode = Word(block, kInfoSensorCode);
    info.dpiStep = block[kInfoDpiStep];
    info.sliderSteps = Word(block, kInfoSliderSteps);
    info.minimumDpi = Word(block, kInfoMinimumDpi);
    return info;
}

int DpiOfSlider(const MouseInfo& info, int value) {
    const int64_t minimum = info.minimumDpi, step = info.dpiStep;
    if (SplitScale(info) && value > kSplitScaleSlider)
        return Clamped(minimum + kSplitScaleSlider * step +
                       (int64_t(value) - kSplitScaleSlider) * kSplitScaleStep);
    return Clamped(minimum + int64_t(value) * step);
}

int SliderOfDpiText(const MouseInfo& info, std::string_view text) {
    const int64_t minimum = info.minimumDpi;
    const int64_t dpi = std::max(LeadingNumber(text), minimum);
    // The split scale starts at slider 48's DPI, so that a typed value
    // comes back as the slider value that shows it.
    const int64_t splitDpi = minimum + int64_t(kSplitScaleSlider) * info.dpiStep;
    if (SplitScale(info) && dpi > splitDpi)
        return Clamped((dpi - splitDpi) / kSplitScaleStep + kSplitScaleSlider);
    if (info.dpiStep == 0) return 0;
    return Clamped((dpi - minimum) / info.dpiStep);
}

}  // namespace tirk::mouse
