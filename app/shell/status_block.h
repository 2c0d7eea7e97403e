// The 1024-byte status block that cooperating programs query: which device
// families the program supports. Pure data, no Qt.
#pragma once

#include <cstdint>
#include <vector>

namespace tirk {

/// One device family's identity as the block carries it.
struct FamilyIdentity {
    std::uint32_t vendor_id = 0;
    std::uint32_t product_id = 0;
    std::uint32_t type_code = 0;
};

inline constexpr std::size_t kStatusBlockSize = 1024;

/// Builds the block: 32-bit little-endian integers 2, 3, 0, 2, the number of
/// families, then vendor, product and type of each family in order; the rest
/// is zero. Families that would not fit in 1024 bytes are left out.
std::vector<std::uint8_t> BuildStatusBlock(const std::vector<FamilyIdentity>& families);

}  // namespace tirk
