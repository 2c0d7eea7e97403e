#include "device/keyboard/keyboard_layout.h"

#include <algorithm>

namespace tirk::keyboard {
namespace {

constexpr AssignmentCode K(uint8_t usage) {
    return {0x20, 0x00, usage};
}
constexpr AssignmentCode M(uint8_t modifier) {
    return {0x20, modifier, 0x00};
}
constexpr AssignmentCode kPlaceholder{0x20, 0x00, 0x00};

// Rows of ten positions, as the key position table lists them.
constexpr AssignmentCode kListedPositions[] = {
    // 0-9
    K(0x29),
    K(0x3A),
    K(0x3B),
    K(0x3C),
    K(0x3D),
    K(0x3E),
    K(0x3F),
    K(0x40),
    K(0x41),
    K(0x42),
    // 10-19
    K(0x43),
    K(0x44),
    K(0x45),
    K(0x46),
    K(0x47),
    K(0x48),
    {0xA0, 0x1B, 0x00},
    {0xA0, 0x11, 0x00},
    kPlaceholder,
    kPlaceholder,
    // 20-29
    kPlaceholder,
    K(0x35),
    K(0x1E),
    K(0x1F),
    K(0x20),
    K(0x21),
    K(0x22),
    K(0x23),
    K(0x24),
    K(0x25),
    // 30-39
    K(0x26),
    K(0x27),
    K(0x2D),
    K(0x2E),
    K(0x2A),
    K(0x49),
    K(0x4A),
    K(0x4B),
    K(0x53),
    K(0x54),
    // 40-49
    K(0x55),
    K(0x56),
    K(0x2B),
    K(0x14),
    K(0x1A),
    K(0x08),
    K(0x15),
    K(0x17),
    K(0x1C),
    K(0x18),
    // 50-59
    K(0x0C),
    K(0x12),
    K(0x13),
    K(0x2F),
    K(0x30),
    K(0x31),
    K(0x4C),
    K(0x4D),
    K(0x4E),
    K(0x5F),
    // 60-69
    K(0x60),
    K(0x61),
    K(0x32),
    K(0x39),
    K(0x04),
    K(0x16),
    K(0x07),
    K(0x09),
    K(0x0A),
    K(0x0B),
    // 70-79
    K(0x0D),
    K(0x0E),
    K(0x0F),
    K(0x33),
    K(0x34),
    K(0x28),
    K(0x5C),
    K(0x5D),
    K(0x5E),
    K(0x8A),
    // 80-89
    K(0x8B),
    K(0x90),
    K(0x91),
    K(0x88),
    M(0x02),
    K(0x1D),
    K(0x1B),
    K(0x06),
    K(0x19),
    K(0x05),
    // 90-99
    K(0x11),
    K(0x10),
    K(0x36),
    K(0x37),
    K(0x38),
    M(0x20),
    K(0x52),
    K(0x59),
    K(0x5A),
    K(0x5B),
    // 100-109
    K(0x87),
    K(0x89),
    K(0x64),
    K(0x85),
    kPlaceholder,
    M(0x01),
    M(0x08),
    M(0x04),
    K(0x2C),
    M(0x40),
    // 110-119
    {0xA0, 0x01, 0x00},
    K(0x65),
    M(0x10),
    K(0x50),
    K(0x51),
    K(0x4F),
    K(0x62),
    K(0x63),
    K(0x58),
    K(0x57),
    // 120-125
    {0xD0, 0xA2, 0x01},
    {0xD0, 0xA2, 0x02},
    {0xD0, 0xA2, 0x03},
    {0xD0, 0xA2, 0x04},
    {0xD0, 0xA2, 0x05},
    M(0x80),
    // 126-169: placeholders
};
static_assert(std::size(kListedPositions) == kAssignablePositions);

}  // namespace

const std::array<AssignmentCode, kPositionCount>& KeyPositionCodes() {
    static const std::array<AssignmentCode, kPositionCount> kCodes = [] {
        std::array<AssignmentCode, kPositionCount> codes;
        codes.fill(kPlaceholder);
        std::copy(std::begin(kListedPositions), std::end(kListedPositions), codes.begin());
        return codes;
    }();
    return kCodes;
}

PositionMaps BuildPositionMaps(std::span<const uint8_t> defaultCodes,
                               std::span<const uint8_t> ledIndices) {
    PositionMaps maps;
    const size_t keys = std::min<size_t>(defaultCodes.size() / kKeyCodeSize, kNoKey);
    const auto& positions = KeyPositionCodes();
    for (size_t p = 0; p < positions.size(); ++p) {
        for (size_t k = 0; k < keys; ++k) {
            const uint8_t* code = &defaultCodes[k * kKeyCodeSize];
            if (AssignmentCode{code[0], code[1], code[2]} != positions[p]) continue;
            maps.key[p] = static_cast<uint8_t>(k);
            maps.led[p] = k < ledIndices.size() ? ledIndices[k] : kNoKey;
            break;
        }
    }
    return maps;
}

int PositionOfKey(const PositionMaps& maps, int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kNoKey) return -1;
    for (size_t p = 0; p < maps.key.size(); ++p)
        if (maps.key[p] == keyIndex) return static_cast<int>(p);
    return -1;
}

}  // namespace tirk::keyboard
