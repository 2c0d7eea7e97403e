// Any byte string must parse or fail with an error, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/hid/hid_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tirk::hid::ReportDescriptor descriptor;
    std::string error;
    const bool ok = tirk::hid::ParseReportDescriptor(data, size, descriptor, error);
    if (!ok && error.empty()) __builtin_trap();  // a failure always says why
    if (ok) {
        for (size_t i = 0; i < descriptor.topLevel.size(); ++i) {
            for (int t = 0; t < tirk::hid::kReportTypeCount; ++t) {
                descriptor.CollectionReportBytes(static_cast<int>(i), tirk::hid::ReportType(t));
            }
        }
    }
    return 0;
}
