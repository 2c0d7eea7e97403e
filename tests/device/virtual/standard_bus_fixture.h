// The fixture of the tests that run against the standard virtual devices: the
// shipped device tables and a private bus with the chosen devices plugged.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/device_table.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/standard_devices.h"
#include "device/virtual/virtual_hid_bus.h"
#include "vbus_test_support.h"

namespace tirk::vbus::test {

class StandardBusTest : public ::testing::Test {
protected:
    /// Every standard device plugged. A fixture that goes on after this wraps
    /// it in ASSERT_NO_FATAL_FAILURE.
    void SetUp() override { StartBus(StandardDeviceNames()); }

    /// Loads the shipped device tables into tables_ and starts bus_ at root_
    /// with the standard devices `names` plugged. A failure is a fatal failure
    /// of the test (the caller's ASSERT_NO_FATAL_FAILURE stops it).
    void StartBus(const std::vector<std::string>& names) {
        std::string error;
        ASSERT_TRUE(
            LoadDeviceTables(std::string(TIRK_RESOURCE_DIR) + "/devices.json", &tables_, &error))
            << error;
        bus_ = StartStandardBus(tables_, root_.path(), names, &error);
        ASSERT_NE(bus_, nullptr) << error;
    }

    /// The standard device `name`; owned by bus_.
    VirtualHidDevice& Device(const std::string& name) { return *bus_->Find(name); }

    /// The candidate of device type `type` in role `role`; a failed expectation
    /// and an empty candidate when the tables have none.
    const DeviceCandidate& Candidate(uint16_t type, uint16_t role) const {
        static const DeviceCandidate kNone{};
        int index = FindCandidate(tables_, type, role);
        EXPECT_GE(index, 0) << "no candidate of type " << type << " in role " << role;
        return index >= 0 ? tables_.candidates[index] : kNone;
    }

    TempRoot root_;
    DeviceTables tables_;
    std::unique_ptr<VirtualHidBus> bus_;
};

}  // namespace tirk::vbus::test
