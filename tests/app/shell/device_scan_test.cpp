#include "app/shell/device_scan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <utility>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_change_watch.h"
#include "device/hid/hid_interface.h"
#include "device/virtual/emulated_bus.h"
#include "support/delegating_hid_backend.h"
#include "support/shipped_tables.h"
#include "support/temp_folder.h"
#include "watched.h"

namespace tirk {
namespace {
using namespace std::chrono_literals;

using test::ShippedTables;

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

// Records what the scan reports, as "+index" and "-index", plus the paths.
class RecordingEvents : public DeviceScanEvents {
public:
    void OnCandidateArrived(int index, const std::string& path) override {
        log.Update([&](std::vector<std::string>& l) { l.push_back("+" + std::to_string(index)); });
        paths[index] = path;
    }
    void OnCandidateRemoved(int index) override {
        log.Update([&](std::vector<std::string>& l) { l.push_back("-" + std::to_string(index)); });
    }
    void OnCandidateUnopenable(const std::string& path, const std::string& error) override {
        log.Update([&](std::vector<std::string>& l) { l.push_back("!" + error); });
        unopenablePaths.push_back(path);
    }
    void OnFirstScanDone() override {
        log.Update([](std::vector<std::string>& l) { l.push_back("first"); });
    }
    // Takes the events logged so far.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        log.Update([&](std::vector<std::string>& l) { taken.swap(l); });
        return taken;
    }
    test::Watched<std::vector<std::string>> log;
    std::map<int, std::string> paths;
    std::vector<std::string> unopenablePaths;
};

// Fails the first `failures` opens with read access (a node that exists but
// is not ready yet, or whose permissions udev has not set).
class FlakyBackend : public test::DelegatingHidBackend {
public:
    FlakyBackend(std::shared_ptr<hid::HidBackend> real, int failures)
        : DelegatingHidBackend(std::move(real)), m_failures(failures) {}
    std::unique_ptr<hid::HidConnection> Open(const std::string& node, bool wantRead, bool wantWrite,
                                             bool hasReportIds, std::string& error) override {
        if (wantRead && m_failures > 0) {
            --m_failures;
            error = "refused by the test";
            return nullptr;
        }
        return DelegatingHidBackend::Open(node, wantRead, wantWrite, hasReportIds, error);
    }

private:
    std::atomic<int> m_failures;
};

// The real hidraw backend over a virtual bus with chosen devices plugged.
class DeviceScanBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tables = ShippedTables();
        ASSERT_TRUE(m_folder.valid());
        std::string error;
        m_bus = vbus::StartStandardBus(m_tables, m_root, {}, &error);
        ASSERT_TRUE(m_bus) << error;
    }

    std::unique_ptr<DeviceScanner> MakeScanner(int failedOpens = 0) {
        std::shared_ptr<hid::HidBackend> backend = hid::CreateLinuxHidBackend(m_root);
        if (failedOpens > 0) backend = std::make_shared<FlakyBackend>(backend, failedOpens);
        return std::make_unique<DeviceScanner>(m_tables.candidates,
                                               std::make_unique<CHidInterface>(backend));
    }

    void Plug(const std::string& name) {
        std::string error;
        ASSERT_TRUE(m_bus->Plug(name, &error)) << error;
    }
    void Unplug(const std::string& name) {
        std::string error;
        ASSERT_TRUE(m_bus->Unplug(name, &error)) << error;
    }

    DeviceTables m_tables;
    // Not there yet: the bus makes its root (and removes it again).
    test::TempFolder m_folder{{.prefix = "tirk-scan-test",
                               .parent = test::TempParent::kMemoryIfAvailable,
                               .create = false}};
    const std::string m_root = m_folder.path();
    std::unique_ptr<vbus::VirtualHidBus> m_bus;
    RecordingEvents m_events;
};

using Events = std::vector<std::string>;

TEST_F(DeviceScanBusTest, ReportsArrivalsAndRemovalsInCandidateOrder) {
    struct Step {
        const char* plug;
        const char* unplug;
        Events expected;
    };
    // The keyboard's command interface (collection 4, candidate 0) is listed
    // after its notification interface (collection 3) but arrives first.
    const Step steps[] = {
        {nullptr, nullptr, {"first"}},
        {"keyboard", nullptr, {"+0", "+1"}},
        {"headset", nullptr, {"+10"}},
        {"mouse", nullptr, {"+4", "+5"}},
        {nullptr, nullptr, {}},
        {nullptr, "keyboard", {"-0", "-1"}},
        {nullptr, "headset", {"-10"}},
        {"mousepad", "mouse", {"+8", "+9", "-4", "-5"}},
    };
    auto scanner = MakeScanner();
    for (const Step& step : steps) {
        if (step.plug) Plug(step.plug);
        if (step.unplug) Unplug(step.unplug);
        scanner->ScanOnce(m_events);
        EXPECT_EQ(m_events.Take(), step.expected)
            << "plug " << (step.plug ? step.plug : "-") << ", unplug "
            << (step.unplug ? step.unplug : "-");
    }
}

TEST_F(DeviceScanBusTest, KeyboardCollectionsThreeAndFourOnInterfaceOne) {
    Plug("keyboard");
    auto scanner = MakeScanner();
    scanner->ScanOnce(m_events);
    const CandidateEntry command = scanner->Entry(0);
    const CandidateEntry notification = scanner->Entry(1);
    EXPECT_TRUE(command.connected);
    EXPECT_NE(command.path.find("&mi_01&col04#"), std::string::npos) << command.path;
    EXPECT_TRUE(notification.connected);
    EXPECT_NE(notification.path.find("&mi_01&col03#"), std::string::npos) << notification.path;
    EXPECT_EQ(m_events.paths[0], command.path);
}

TEST_F(DeviceScanBusTest, AnInterfaceWithAnotherUsageIsNotTaken) {
    m_tables.candidates[0].usage = 0x93;  // the keyboard's command collection has usage 0x92
    Plug("keyboard");
    auto scanner = MakeScanner();
    scanner->ScanOnce(m_events);
    EXPECT_EQ(m_events.Take(), (Events{"+1", "first"}));
    EXPECT_FALSE(scanner->Entry(0).connected);
}

TEST_F(DeviceScanBusTest, AnInterfaceThatCannotBeOpenedIsTriedAgainOnTheNextPass) {
    Plug("headset");
    auto scanner = MakeScanner(/*failedOpens=*/kFailedPassesBeforeNotice + 2);
    EXPECT_TRUE(scanner->ScanOnce(m_events)) << "asks for a quick retry";
    EXPECT_EQ(m_events.Take(), (Events{"first"})) << "one failed pass is not told";
    for (int pass = 2; pass < kFailedPassesBeforeNotice; ++pass) EXPECT_TRUE(scanner->ScanOnce(m_events));
    EXPECT_EQ(m_events.Take(), Events{});
    EXPECT_TRUE(scanner->ScanOnce(m_events));
    EXPECT_EQ(m_events.Take(), (Events{"!refused by the test"})) << "failing pass after pass";
    ASSERT_EQ(m_events.unopenablePaths.size(), 1u);
    EXPECT_NE(m_events.unopenablePaths[0].find("pid_1630"), std::string::npos);
    EXPECT_TRUE(scanner->ScanOnce(m_events));
    EXPECT_TRUE(scanner->ScanOnce(m_events));
    EXPECT_EQ(m_events.Take(), Events{}) << "told once while it keeps failing";
    EXPECT_FALSE(scanner->ScanOnce(m_events));
    EXPECT_EQ(m_events.Take(), (Events{"+10"}));
}

TEST_F(DeviceScanBusTest, ADevicePluggedAgainBetweenTwoPassesLeavesAndArrivesAgain) {
    Plug("headset");
    auto scanner = MakeScanner();
    scanner->ScanOnce(m_events);
    m_events.Take();
    Unplug("headset");
    Plug("headset");
    scanner->ScanOnce(m_events);
    EXPECT_EQ(m_events.Take(), (Events{"-10"}));
    scanner->ScanOnce(m_events);
    EXPECT_EQ(m_events.Take(), (Events{"+10"}));
}

// The scan reports one arrival at a time and waits while the application
// handles it; meanwhile a device found in the same enumeration can leave and
// another take over its node name. The connection is to the node that was
// matched, so the one now at that name must not pass for it.
class ReplacingEvents : public RecordingEvents {
public:
    std::function<void()> onFirstArrival;
    void OnCandidateArrived(int index, const std::string& path) override {
        RecordingEvents::OnCandidateArrived(index, path);
        if (onFirstArrival) std::exchange(onFirstArrival, nullptr)();
    }
};

TEST_F(DeviceScanBusTest, ANodeTakenOverWhileEarlierArrivalsAreHandledIsReportedGone) {
    Plug("keyboard");
    Plug("headset");
    auto scanner = MakeScanner();
    ReplacingEvents events;
    events.onFirstArrival = [&] {
        Unplug("headset");
        Plug("mousepad");  // takes the headset's node name
    };
    scanner->ScanOnce(events);
    EXPECT_EQ(events.Take(), (Events{"+0", "+1", "+10", "first", "-10"}));
    scanner->ScanOnce(events);
    EXPECT_EQ(events.Take(), (Events{"+8", "+9"}));
    EXPECT_FALSE(scanner->Entry(10).connected);
}

TEST_F(DeviceScanBusTest, WorkerWakesOnBusChangesAndStopsAtOnce) {
    auto scanner = MakeScanner();
    auto seen = [&](const std::string& event) {
        return m_events.log.WaitUntil([&](const Events& l) {
            return std::find(l.begin(), l.end(), event) != l.end();
        });
    };
    WorkerSlots slots;
    ASSERT_TRUE(slots.Start(0, [&](StopEvent& stop) {
        RunDeviceScanWorker(stop, *scanner, m_events, hid::CreateHidChangeWatch(m_root));
    }));
    EXPECT_TRUE(seen("first"));
    Plug("headset");
    EXPECT_TRUE(seen("+10"));
    Unplug("headset");
    EXPECT_TRUE(seen("-10"));
    EXPECT_EQ(slots.Stop(10s)[0], WorkerEnd::kEnded);
    EXPECT_EQ(m_events.Take(), (Events{"first", "+10", "-10"}));
}

TEST(HidChangeWatchTest, InterruptWakesTheWaiterAndIsKeptUntilAWait) {
    test::TempFolder folder{{.prefix = "tirk-watch-test"}};
    auto watch = hid::CreateHidChangeWatch(folder.path());  // no class folder: times out only
    watch->Interrupt();
    EXPECT_EQ(watch->Wait(10s), hid::HidChangeWatch::Wake::kInterrupted);
    EXPECT_EQ(watch->Wait(1ms), hid::HidChangeWatch::Wake::kTimeout);
}

}  // namespace
}  // namespace tirk
