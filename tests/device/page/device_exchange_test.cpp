// The device object's exchanges on its worker against a silent receiver: the
// steps return before the device answers, repeated checks are not queued
// twice, the busy mark comes and goes, and results that are no longer wanted
// (the timers were stopped, the link was started again, the device is gone)
// change nothing.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "device/virtual/fault_plan.h"
#include "page_fixture.h"

namespace tirk::page::test {
namespace {

constexpr uint8_t kQueryOnline = 0xAA;
/// A silent receiver costs two of these per exchange.
constexpr link::ChannelTimeouts kShortTimeouts{400, 400, 400, 10};

class SilentReceiver : public DeviceOnVirtualBus {
protected:
    void SetUp() override { StartBus({"keyboard-receiver"}); }

    void Silence(bool silent) {
        vbus::FaultPlan plan;
        plan.kind = silent ? vbus::FaultKind::kNoAnswer : vbus::FaultKind::kNone;
        Device("keyboard-receiver").SetFault(plan);
    }
    /// A device on the receiver whose tile is shown, as after its first synchronisation.
    void Prepare(TestDevice& device, FakeTile& tile) {
        tile.shown = true;
        device.SetTile(&tile);
        Connect(device, kTypeKeyboardReceiver);
    }
};

// A step that asks the device has queued its exchange and returned while
// the device is still silent: its result is still to come.
TEST_F(SilentReceiver, StepsReturnBeforeTheDeviceAnswers) {
    struct Case {
        const char* what;
        std::function<void(TestDevice&)> step;
    };
    const Case cases[] = {
        {"first synchronisation",
         [](TestDevice& d) { d.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync); }},
        {"link watch", [](TestDevice& d) { d.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch); }},
        {"light control", [](TestDevice& d) { EXPECT_EQ(d.SetLightControl(1), link::kSuccess); }},
    };
    Silence(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice device(backend_);  // 5 s per read: 10 s for a silent exchange
        FakeTile tile;
        Prepare(device, tile);
        device.SetTypeCodes(kTypeKeyboard, kRoleCommand);
        c.step(device);
        EXPECT_EQ(device.ExchangesPending(), 1);
        EXPECT_TRUE(tile.calls.empty()) << "nothing applied before the answer";
        // Destroying the device cuts the exchange short (its interfaces close).
    }
}

TEST_F(SilentReceiver, ARepeatedLinkCheckIsNotQueuedTwice) {
    Silence(true);
    TestDevice device(backend_, kShortTimeouts);
    FakeTile tile;
    Prepare(device, tile);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
    ASSERT_TRUE(WaitUntil([&] { return CountOf("keyboard-receiver", kQueryOnline) == 1; }))
        << "the first check is under way";
    for (int i = 0; i < 4; ++i) device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
    EXPECT_EQ(device.ExchangesPending(), 2) << "one check runs, one waits";
    ASSERT_TRUE(WaitUntil([&] { return device.ExchangesPending() == 0; }));
    EXPECT_EQ(CountOf("keyboard-receiver", kQueryOnline), 2);
    EXPECT_EQ(tile.calls, std::vector<bool>{false}) << "no answer: the link is down";
    EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 3000);
}

TEST_F(SilentReceiver, TheBusyMarkShowsWhileAnExchangeTakesLongerThanAMoment) {
    Silence(true);
    TestDevice device(backend_, kShortTimeouts);
    FakeTile tile;
    Prepare(device, tile);
    device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
    EXPECT_FALSE(device.IsBusyMarkShown()) << "not at once";
    ASSERT_TRUE(WaitUntil([&] { return device.IsBusyMarkShown(); }));
    EXPECT_EQ(device.ExchangesPending(), 1);
    ASSERT_TRUE(WaitUntil([&] { return device.ExchangesPending() == 0; }));
    EXPECT_FALSE(device.IsBusyMarkShown());

    // An answer within the moment shows no mark.
    Silence(false);
    QElapsedTimer clock;
    clock.start();
    device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
    ASSERT_TRUE(ExchangesSettle(device));
    if (clock.elapsed() < CTelvorinUSBDevice::kBusyMarkDelayMs) {  // a slow machine proves nothing
        EXPECT_FALSE(device.IsBusyMarkShown());
    }
}

// Results that arrive when they are no longer wanted change nothing.
TEST_F(SilentReceiver, ResultsNoLongerWantedChangeNothing) {
    Silence(true);
    {
        SCOPED_TRACE("the tile timers were stopped (device gone)");
        TestDevice device(backend_, kShortTimeouts);
        FakeTile tile;
        Prepare(device, tile);
        device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
        ASSERT_TRUE(WaitUntil([&] { return CountOf("keyboard-receiver", kQueryOnline) == 1; }));
        device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);  // waits behind it
        device.StopTileTimers();
        EXPECT_EQ(device.ExchangesPending(), 1) << "the waiting check was dropped";
        ASSERT_TRUE(ExchangesSettle(device));
        EXPECT_TRUE(tile.calls.empty());
        EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 0)
            << "a late result does not start the timers again";
        EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerFirstSync), 0);
    }
    {
        SCOPED_TRACE("the first synchronisation was started again (other link)");
        TestDevice device(backend_, kShortTimeouts);
        FakeTile tile;
        Prepare(device, tile);
        device.RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
        device.RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
        device.StartFirstSync();
        // Only the old checks are looked at: the new start's timer (still
        // reported armed) must not run its own check during the wait.
        device.KillTimer(CTelvorinUSBDevice::kTimerFirstSync);
        ASSERT_TRUE(ExchangesSettle(device));
        EXPECT_TRUE(tile.calls.empty()) << "checks from before the start leave the tile";
        EXPECT_EQ(device.LinkRetryCount(), 0);
        EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerFirstSync), 500)
            << "the new start's timer, not a retry of the old check";
        EXPECT_EQ(device.TileTimerPeriod(CTelvorinUSBDevice::kTimerLinkWatch), 3000)
            << "the link watch goes on";
    }
}

TEST_F(SilentReceiver, ADeviceGoneWhileItsExchangeWaitsGoesAtOnceAndIsNotTold) {
    Silence(true);
    FakeTile tile;  // outlives the device: a result applied late would reach it
    auto device = std::make_unique<TestDevice>(backend_);  // 10 s per silent exchange
    Prepare(*device, tile);
    device->RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
    device->RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
    ASSERT_TRUE(WaitUntil([&] { return CountOf("keyboard-receiver", kQueryOnline) == 1; }));
    QElapsedTimer clock;
    clock.start();
    device.reset();
    EXPECT_LT(clock.elapsed(), 2000) << "the destructor waited for the exchange's time-outs";
    QTest::qWait(50);  // anything posted for the device would run now
    EXPECT_TRUE(tile.calls.empty());
    EXPECT_EQ(CountOf("keyboard-receiver", kQueryOnline), 1) << "the waiting check was dropped";
}

}  // namespace
}  // namespace tirk::page::test
