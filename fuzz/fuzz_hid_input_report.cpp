// Input: [2-byte descriptor length][descriptor][1-byte collection][report].
// Lays out the collection from the fuzzed descriptor and decodes the fuzzed
// report against it, as CHidInterface does after a read.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "device/hid/hid_interface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t descriptorSize = std::min<size_t>(size - 3, data[0] | (data[1] << 8));
    const uint8_t* descriptor = data + 2;
    const int collection = data[2 + descriptorSize];
    const uint8_t* report = descriptor + descriptorSize + 1;
    const size_t reportSize = size - 3 - descriptorSize;
    static CHidInterface hid(tirk::hid::CreateLinuxHidBackend("/nonexistent"));
    if (!hid.LoadLayoutFromDescriptor(descriptor, descriptorSize, collection)) return 0;
    hid.ParseInputReport(report, static_cast<uint32_t>(reportSize));
    // Decode twice: the second pass starts from the first one's item state.
    hid.ParseInputReport(report, static_cast<uint32_t>(reportSize));
    return 0;
}
