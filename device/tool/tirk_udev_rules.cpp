// tirk-udev-rules DEVICES_JSON OUTPUT: writes the udev rules for the devices of
// DEVICES_JSON to OUTPUT. Used by scripts/gen-udev-rules.sh.
#include <cstdio>
#include <string>

#include "core/atomic_file.h"
#include "device/device_table.h"
#include "device/udev_rules.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tirk-udev-rules DEVICES_JSON OUTPUT\n");
        return 2;
    }
    tirk::DeviceTables tables;
    std::string error;
    if (!tirk::LoadDeviceTables(argv[1], &tables, &error)) {
        std::fprintf(stderr, "tirk-udev-rules: %s\n", error.c_str());
        return 1;
    }
    tirk::FileResult written = tirk::WriteFileAtomic(argv[2], tirk::MakeUdevRules(tables));
    if (!written) {
        std::fprintf(stderr, "tirk-udev-rules: %s\n", written.error.c_str());
        return 1;
    }
    return 0;
}
