// The device object against the standard virtual devices: the light-control
// flag, the notification listener and the tile-timer life cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include "core/log.h"
#include "device/page/notification_listener.h"
#include "page_fixture.h"
#include "support/delegating_hid_backend.h"

namespace tirk::page::test {
namespace {

constexpr uint8_t kResumeLighting = 0x1C;
constexpr uint8_t kQueryOnline = 0xAA;

class LightControl : public DeviceOnVirtualBus {
protected:
    void SetUp() override { StartBus({"keyboard"}); }
};

TEST_F(LightControl, SettingItOnAKeyboardResumesTheDevicesLighting) {
    struct Case {
        const char* what;
        uint16_t typeCode;
        bool connected;
        int value;
        int result;
        int frames;  // ResumeLighting frames the keyboard received
    };
    const Case cases[] = {
        {"keyboard, set", kTypeKeyboard, true, 1, link::kSuccess, 1},
        {"keyboard, any non-zero value", kTypeKeyboard, true, 7, link::kSuccess, 1},
        {"keyboard, cleared", kTypeKeyboard, true, 0, link::kSuccess, 0},
        {"mouse type code", kTypeMouse, true, 1, link::kSuccess, 0},
        {"keyboard receiver type code", kTypeKeyboardReceiver, true, 1, link::kSuccess, 0},
        {"keyboard not connected", kTypeKeyboard, false, 1, link::kNoAnswer, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Device("keyboard").ClearReceived();
        TestDevice device(backend_);
        if (c.connected) Connect(device, kTypeKeyboard);
        device.SetTypeCodes(c.typeCode, kRoleCommand);
        EXPECT_EQ(device.SetLightControl(c.value), c.result);
        EXPECT_EQ(device.LightControl(), c.value);
        ASSERT_TRUE(ExchangesSettle(device));  // the resume runs on the device's worker
        EXPECT_EQ(CountOf("keyboard", kResumeLighting), c.frames);
        if (c.frames == 0) continue;
        std::vector<vbus::ReceivedReport> received = Device("keyboard").Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].bytes, vbus::test::CommandFrame(kResumeLighting))
            << "one empty frame: id 4, checksum 0x001C, command 0x1C";
    }
}

class Notifications : public DeviceOnVirtualBus {
protected:
    void SetUp() override { StartBus({"keyboard"}); }
};

TEST_F(Notifications, ReachOnNotificationOnTheUiThreadWithTheirCodes) {
    TestDevice device(backend_);
    std::string path = PathOf(kTypeKeyboard, kRoleNotification);
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(device.OpenNotificationInterface(path, false));
    EXPECT_TRUE(device.IsListening(false));
    EXPECT_FALSE(device.OpenNotificationInterface(path, false)) << "one listener per interface";

    const std::vector<uint16_t> codes = {0x0401, 0x0402, 0x0435, 0x1103};
    for (uint16_t code : codes) Firmware("keyboard", {"notify", std::to_string(code)});
    ASSERT_TRUE(WaitUntil([&] { return device.codes.size() >= codes.size(); }));
    EXPECT_EQ(device.codes, codes);
    for (std::thread::id id : device.threads) EXPECT_EQ(id, std::this_thread::get_id());

    EXPECT_TRUE(device.CloseNotificationInterface(false));
    EXPECT_FALSE(device.IsListening(false));
    EXPECT_FALSE(device.NotificationChannel().IsOpen());
}

// The listener blocks in a read without time-out; closing the interface must
// end it within the owner's wait (CloseNotificationInterface says whether it did).
TEST_F(Notifications, ListenerBlockedInAReadStopsPromptly) {
    TestDevice device(backend_);
    ASSERT_TRUE(device.OpenNotificationInterface(PathOf(kTypeKeyboard, kRoleNotification), false));
    Firmware("keyboard", {"notify", "1025"});
    ASSERT_TRUE(WaitUntil([&] { return device.codes.size() == 1; }))
        << "the listener is reading, so it is blocked in the next read now";
    EXPECT_TRUE(device.CloseNotificationInterface(false));
    EXPECT_FALSE(device.IsListening(false));
    // A notification after the stop is not delivered.
    Firmware("keyboard", {"notify", "1026"});
    QTest::qWait(50);
    EXPECT_EQ(device.codes, (std::vector<uint16_t>{1025}));
}

TEST_F(Notifications, UnpluggedDeviceEndsNoListenerByItselfButStopsPromptly) {
    TestDevice device(backend_);
    ASSERT_TRUE(device.OpenNotificationInterface(PathOf(kTypeKeyboard, kRoleNotification), false));
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    QTest::qWait(50);  // the listener meets the end of the node
    EXPECT_TRUE(device.IsListening(false));
    EXPECT_TRUE(device.CloseNotificationInterface(false));
}

// The threads of this process, by kernel thread id.
std::set<std::string> ThreadsOfThisProcess() {
    std::set<std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(entry.path().filename().string());
    return ids;
}

TEST_F(Notifications, DestroyingTheDeviceStopsItsListeners) {
    const std::set<std::string> before = ThreadsOfThisProcess();
    auto device = std::make_unique<TestDevice>(backend_);
    ASSERT_TRUE(device->OpenNotificationInterface(PathOf(kTypeKeyboard, kRoleNotification), false));
    std::vector<std::string> started;
    std::ranges::set_difference(ThreadsOfThisProcess(), before, std::back_inserter(started));
    ASSERT_FALSE(started.empty()) << "the listener runs on a thread of its own";
    Firmware("keyboard", {"notify", "1027"});  // may be queued when the device goes

    device.reset();
    // Seen from outside: every thread the device started ends (the kernel
    // lists a joined thread for a moment longer, hence the bounded wait).
    const auto anyStartedAlive = [&] {
        const std::set<std::string> now = ThreadsOfThisProcess();
        return std::ranges::any_of(started,
                                   [&](const std::string& id) { return now.contains(id); });
    };
    EXPECT_TRUE(WaitUntil([&] { return !anyStartedAlive(); }))
        << "a thread the device started outlived it";
    QTest::qWait(20);  // a queued delivery to the destroyed object must be dropped
}

TEST_F(Notifications, AnInterfaceThatCannotBeOpenedStartsNoListener) {
    TestDevice device(backend_);
    EXPECT_FALSE(device.OpenNotificationInterface(root_.path() + "/dev/hidraw99", false));
    EXPECT_FALSE(device.IsListening(false));
    EXPECT_TRUE(device.CloseNotificationInterface(false));
}

// The hidraw backend with the reads of its connections counted, those that
// met a gone device apart: shows whether a listener keeps reading.
class ReadCountingBackend : public tirk::test::DelegatingHidBackend {
public:
    explicit ReadCountingBackend(std::shared_ptr<hid::HidBackend> inner)
        : DelegatingHidBackend(std::move(inner)) {}

    int Reads() const { return m_reads.load(); }
    int GoneReads() const { return m_goneReads.load(); }

protected:
    void AfterRead(hid::HidIoResult result, int /*timeoutMs*/) override {
        ++m_reads;
        if (result == hid::HidIoResult::Gone) ++m_goneReads;
    }

private:
    std::atomic<int> m_reads{0};
    std::atomic<int> m_goneReads{0};
};

void IgnoreCode(uint16_t) {}

// A listener on an interface that can bring nothing more must sleep until it
// is stopped, not poll: the notification interface stays in its device object
// until the device is closed, and an unplug does not close it.
class SleepingListener : public Notifications {
protected:
    void SetUp() override {
        Notifications::SetUp();
        logPath_ = root_.path() + "-listener.log";
        setenv("TIRK_LOG", logPath_.c_str(), 1);
        log::ReloadSettingsForTest();
    }
    void TearDown() override {
        unsetenv("TIRK_LOG");
        log::ReloadSettingsForTest();
        std::remove(logPath_.c_str());
        Notifications::TearDown();
    }
    /// How many log lines contain `part`.
    int LogLines(const std::string& part) const {
        std::ifstream in(logPath_);
        int count = 0;
        for (std::string line; std::getline(in, line);) count += line.find(part) != line.npos;
        return count;
    }

    std::string logPath_;
};

TEST_F(SleepingListener, AfterAnUnplugItReadsNoMore) {
    auto counting = std::make_shared<ReadCountingBackend>(backend_);
    CHidInterface hid(counting);
    ASSERT_TRUE(hid.Open(PathOf(kTypeKeyboard, kRoleNotification), true, false, true, true))
        << hid.LastError();
    CNotificationListener listener;
    ASSERT_TRUE(listener.Start(hid, IgnoreCode, "listener ended"));
    ASSERT_TRUE(WaitUntil([&] { return hid.IsReading(); }));
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return counting->GoneReads() == 1; }));
    const int reads = counting->Reads();
    QTest::qWait(450);  // a listener that polled would have read a few times by now
    EXPECT_EQ(counting->Reads(), reads) << "no read after the one that met the unplug";
    EXPECT_EQ(LogLines("the device is gone"), 1);
    EXPECT_TRUE(listener.IsRunning()) << "an unplug alone does not end it";
    EXPECT_TRUE(listener.Stop()) << "Stop wakes it within its wait";
    EXPECT_EQ(LogLines("listener ended"), 1);
}

TEST_F(SleepingListener, WithoutAnInputReportItWaitsForStop) {
    // A vendor collection with only an output report: nothing to read.
    const std::vector<uint8_t> outputOnly = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                             0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                                             0x95, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};
    CHidInterface hid(backend_);
    ASSERT_TRUE(hid.LoadLayoutFromDescriptor(outputOnly.data(), outputOnly.size(), 0));
    ASSERT_EQ(hid.InputReportByteLength(), 0u);
    CNotificationListener listener;
    ASSERT_TRUE(listener.Start(hid, IgnoreCode, "listener ended"));
    ASSERT_TRUE(WaitUntil([&] { return LogLines("has no input report") > 0; }));
    QTest::qWait(350);  // a listener that polled would have come round again by now
    EXPECT_EQ(LogLines("has no input report"), 1);
    EXPECT_TRUE(listener.Stop());
    EXPECT_EQ(LogLines("listener ended"), 1);
}

class TileTimers : public DeviceOnVirtualBus {
protected:
    void SetUp() override { StartBus({"keyboard", "keyboard-receiver"}); }

    void Link(bool on) { Firmware("keyboard-receiver", {"link", on ? "on" : "off"}); }
};

TEST_F(TileTimers, WirelessFirstSyncWaitsHiddenForTheLinkAndRetries) {
    TestDevice device(backend_);
    FakeTile tile;
    device.SetTile(&tile);
    Connect(device, kTypeKeyboardReceiver);
    Link(false);

    device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(ExchangesSettle(device));
    EXPECT_EQ(tile.calls, std::vector<bool>{false}) << "hidden and offline";
    EXPECT_EQ(device.startDeviceRuns, 0);
    EXPECT_EQ(device.LinkRetryCount(), 1);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerFirstSync), 3000);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview), 0);
    EXPECT_EQ(CountOf("keyboard-receiver", kQueryOnline), 1);

    for (int retry = 2; retry <= 20; ++retry)
        device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(ExchangesSettle(device));
    EXPECT_EQ(device.LinkRetryCount(), 0) << "the counter goes back to 0 at 20";
    EXPECT_EQ(device.startDeviceRuns, 0);
    EXPECT_FALSE(tile.shown);

    Link(true);
    device.SetHasPowerTile(true);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(ExchangesSettle(device));
    EXPECT_TRUE(tile.shown);
    EXPECT_EQ(device.startDeviceRuns, 1);
    EXPECT_EQ(device.LinkRetryCount(), 0);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerFirstSync), 0);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview), 5);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerStatus), 50);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 2000);
}

TEST_F(TileTimers, RetryCounterGoesBackToZeroAfterASuccess) {
    TestDevice device(backend_);
    Connect(device, kTypeKeyboardReceiver);
    Link(false);
    for (int i = 0; i < 3; ++i) device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(ExchangesSettle(device));
    EXPECT_EQ(device.LinkRetryCount(), 3);
    Link(true);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(ExchangesSettle(device));
    EXPECT_EQ(device.LinkRetryCount(), 0);
    EXPECT_EQ(device.startDeviceRuns, 1) << "no tile: the cycle runs all the same";
}

TEST_F(TileTimers, StartFirstSyncRunsStartDeviceFromTheTimer) {
    TestDevice device(backend_);
    FakeTile tile;
    device.SetTile(&tile);
    Connect(device, kTypeKeyboardReceiver);
    device.StartFirstSync();
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerFirstSync), 500);
    ASSERT_TRUE(WaitUntil([&] { return device.startDeviceRuns == 1; }));
    EXPECT_TRUE(tile.shown);
    // The preview timer keeps itself going while the channel is open.
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview) == 5 ||
                  device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview) == 50,
              true);
    device.StopTileTimers();
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview), 0);
}

TEST_F(TileTimers, WiredFirstSyncNeedsNoLinkCheck) {
    TestDevice device(backend_);
    FakeTile tile;
    device.SetTile(&tile);
    Connect(device, kTypeKeyboard);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    EXPECT_EQ(device.startDeviceRuns, 1);
    EXPECT_TRUE(tile.shown);
    EXPECT_EQ(CountOf("keyboard", kQueryOnline), 0);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 0);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerStatus), 0) << "no power tile";
}

TEST_F(TileTimers, PreviewTimerRendersRepaintsTheSelectedTileAndRearms) {
    struct Case {
        uint16_t type;
        bool selected;
        int windowActive;
        int repaints;
        int period;
    };
    const Case cases[] = {
        {kTypeKeyboard, true, 1, 1, 10},
        {kTypeKeyboardReceiver, true, 1, 1, 50},
        {kTypeKeyboard, false, 1, 0, 10},
        {kTypeKeyboard, true, 0, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.type << c.selected << c.windowActive);
        TestDevice device(backend_);
        FakeTile tile;
        tile.selected = c.selected;
        device.SetTile(&tile);
        device.SetWindowActive(c.windowActive);
        Connect(device, c.type);
        device.RunTileTimer(CTelvorinUSBDevice::kTimerPreview);
        EXPECT_EQ(tile.repaints, c.repaints);
        EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview), c.period);
    }
    TestDevice closed(backend_);
    closed.RunTileTimer(CTelvorinUSBDevice::kTimerPreview);
    EXPECT_EQ(closed.TileTimerPeriod(CTelvorinUSBDevice::kTimerPreview), 0)
        << "not started again on a closed channel";
}

TEST_F(TileTimers, StatusTimerPollsAndRearmsOnlyWithAPowerTile) {
    TestDevice device(backend_);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerStatus);
    EXPECT_EQ(device.statusPolls, 1);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerStatus), 0);
    device.SetHasPowerTile(true);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerStatus);
    EXPECT_EQ(device.statusPolls, 2);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerStatus), 5000);
}

TEST_F(TileTimers, LinkWatchHidesAndShowsTheTileWithTheLink) {
    TestDevice device(backend_);
    FakeTile tile;
    tile.shown = true;
    device.SetTile(&tile);
    Connect(device, kTypeKeyboardReceiver);

    // Each check runs on the device's worker; the tile changes once it is back.
    auto watch = [&] {
        device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
        return ExchangesSettle(device);
    };
    ASSERT_TRUE(watch());  // up and shown: nothing
    EXPECT_TRUE(tile.calls.empty());
    Link(false);
    ASSERT_TRUE(watch());
    EXPECT_EQ(tile.calls, std::vector<bool>{false});
    ASSERT_TRUE(watch());  // down and hidden: nothing
    EXPECT_EQ(tile.calls.size(), 1u);
    EXPECT_EQ(device.statusPolls, 0);
    Link(true);
    ASSERT_TRUE(watch());
    EXPECT_EQ(tile.calls, (std::vector<bool>{false, true}));
    EXPECT_EQ(device.statusPolls, 1);
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 3000);
}

}  // namespace
}  // namespace tirk::page::test
