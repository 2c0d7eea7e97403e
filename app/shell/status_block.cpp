#include "app/shell/status_block.h"

namespace tirk {
namespace {

constexpr std::uint32_t kHeader[] = {2, 3, 0, 2};

void PutInt(std::vector<std::uint8_t>& block, std::size_t index, std::uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) block[index * 4 + byte] = (value >> (8 * byte)) & 0xFF;
}

}  // namespace

std::vector<std::uint8_t> BuildStatusBlock(const std::vector<FamilyIdentity>& families) {
    std::vector<std::uint8_t> block(kStatusBlockSize, 0);
    constexpr std::size_t kFirstFamily = 5;
    const std::size_t room = (kStatusBlockSize / 4 - kFirstFamily) / 3;
    const std::size_t count = families.size() < room ? families.size() : room;
    for (std::size_t i = 0; i < 4; ++i) PutInt(block, i, kHeader[i]);
    PutInt(block, 4, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        PutInt(block, kFirstFamily + 3 * i, families[i].vendor_id);
        PutInt(block, kFirstFamily + 3 * i + 1, families[i].product_id);
        PutInt(block, kFirstFamily + 3 * i + 2, families[i].type_code);
    }
    return block;
}

}  // namespace tirk
