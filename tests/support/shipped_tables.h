// The device identity tables as this source tree ships them, for tests that
// need the real candidates and families rather than invented ones.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "device/device_table.h"

namespace tirk::test {

/// resources/devices.json of this source tree.
inline const std::string kShippedTablesPath = std::string(TIRK_RESOURCE_DIR) + "/devices.json";

/// The shipped tables. A file that does not load fails the calling test with
/// the loader's error, so a broken resource shows as itself, not only as odd
/// results further on.
inline DeviceTables ShippedTables() {
    DeviceTables tables;
    std::string error;
    EXPECT_TRUE(LoadDeviceTables(kShippedTablesPath, &tables, &error)) << error;
    return tables;
}

}  // namespace tirk::test
