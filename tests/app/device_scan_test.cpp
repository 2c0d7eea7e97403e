#include "app/device_scan.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_interface.h"
#include "device/virtual/emulated_bus.h"
#include "support/temp_folder.h"
#include "watched.h"

namespace tirk {
namespace {
using namespace std::chrono_literals;

DeviceTables ShippedTables() {
    DeviceTables tables;
    std::string error;
    EXPECT_TRUE(LoadDeviceTables(TIRK_RESOURCE_DIR "/devices.json", &tables, &error)) << error;
    return tables;
}

TEST(DeviceScanTest, PathsMatchCandidatesByVendorProductInterfaceAndCollection) {
    const DeviceTables tables = ShippedTables();
    struct Case {
        const char* path;
        bool match;
    };
    const Case cases[] = {
        {"hid#vid_3a7d&pid_61e4&mi_01&col04#/dev/hidraw3", true},   // keyboard commands
        {"hid#vid_3a7d&pid_61e4&mi_01&col03#/dev/hidraw3", true},   // keyboard notifications
        {"hid#vid_3a7d&pid_61e4&mi_01&col02#/dev/hidraw3", false},  // another collection
        {"hid#vid_3a7d&pid_61e4&mi_00&col04#/dev/hidraw2", false},  // another interface
        {"hid#vid_3a7d&pid_61e5&mi_01&col04#/dev/hidraw3", false},  // another product
        {"hid#vid_0c76&pid_1630&mi_03#/dev/hidraw7", true},         // headset, one collection
        {"hid#vid_0c76&pid_1630&mi_03&col01#/dev/hidraw7", false},
        {"\\\\?\\HID#VID_3A7D&PID_61E4&MI_01&Col04#8&2f0a&0&0003#{4d1e55b2}", true},  // Windows
        {"hid#vid_0000&pid_0000#/dev/hidraw0", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathMatchesCandidate(c.path, tables.candidates), c.match) << c.path;
}

// The real hidraw backend over a virtual bus with chosen devices plugged.
class DeviceScanBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables_ = ShippedTables();
        ASSERT_TRUE(folder_.valid());
        std::string error;
        bus_ = vbus::StartStandardBus(tables_, root_, {}, &error);
        ASSERT_TRUE(bus_) << error;
    }

    DeviceScanner MakeScanner() {
        return DeviceScanner(tables_.candidates,
                             std::make_unique<CHidInterface>(hid::CreateLinuxHidBackend(root_)));
    }

    void Plug(const std::string& name) {
        std::string error;
        ASSERT_TRUE(bus_->Plug(name, &error)) << error;
    }

    DeviceTables tables_;
    // Not there yet: the bus makes its root (and removes it again).
    test::TempFolder folder_{{.prefix = "tirk-scan-test",
                              .parent = test::TempParent::kMemoryIfAvailable,
                              .create = false}};
    const std::string root_ = folder_.path();
    std::unique_ptr<vbus::VirtualHidBus> bus_;
};

TEST_F(DeviceScanBusTest, CountsTheCandidateInterfacesOfPluggedDevices) {
    struct Case {
        const char* plug;
        int total;  // after plugging it, with every earlier row still plugged
    };
    // Keyboards and mice offer a command and a notification interface; the
    // headset one interface.
    const Case cases[] = {
        {nullptr, 0}, {"headset", 1}, {"keyboard", 3}, {"mouse", 5}, {"mousepad", 7}};
    DeviceScanner scanner = MakeScanner();
    for (const Case& c : cases) {
        if (c.plug) Plug(c.plug);
        EXPECT_EQ(scanner.ScanOnce(), c.total) << (c.plug ? c.plug : "nothing plugged");
    }
}

TEST_F(DeviceScanBusTest, WorkerReportsTheFirstScanOnceAndThenChanges) {
    DeviceScanner scanner = MakeScanner();
    struct Reports {
        std::vector<int> first, changes;
    };
    test::Watched<Reports> reports;
    DeviceScanHooks hooks;
    hooks.first_scan_done = [&](int count) {
        reports.Update([count](Reports& r) { r.first.push_back(count); });
    };
    hooks.count_changed = [&](int count) {
        reports.Update([count](Reports& r) { r.changes.push_back(count); });
    };
    auto changes_seen = [&](size_t n) {
        return reports.WaitUntil([n](const Reports& r) { return r.changes.size() >= n; });
    };

    WorkerSlots slots;
    ASSERT_TRUE(
        slots.Start(0, [&](StopEvent& stop) { RunDeviceScanWorker(stop, scanner, hooks); }));
    EXPECT_TRUE(reports.WaitUntil([](const Reports& r) { return !r.first.empty(); }));
    Plug("headset");
    EXPECT_TRUE(changes_seen(1));
    std::string error;
    ASSERT_TRUE(bus_->Unplug("headset", &error)) << error;
    EXPECT_TRUE(changes_seen(2));
    EXPECT_EQ(slots.Stop(10s)[0], WorkerEnd::kEnded);

    EXPECT_EQ(reports.Get().first, std::vector<int>{0});
    EXPECT_EQ(reports.Get().changes, (std::vector<int>{1, 0}));
}

}  // namespace
}  // namespace tirk
