// The window never waits for a device: with a keyboard and a mouse on its
// receiver that have stopped answering, the tile timers' steps and the
// light-control button queue their exchanges on the devices' workers, the UI
// thread keeps ticking, the pages show that they wait and stay usable, and
// closing the window does not wait for the exchanges' time-outs.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/device_discovery.h"
#include "device/family/family_devices.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/fault_plan.h"
#include "ui/device_option.h"
#include "window_fixture.h"

namespace tirk {
namespace {

// The longest the UI thread may be away from its event loop.
constexpr qint64 kMaxStallMs = 100;
constexpr int kTickMs = 10;

// Records the longest gap between the ticks of a 10 ms timer on the UI
// thread, and calls `sample` on every tick.
class StallMeter {
public:
    explicit StallMeter(std::function<void()> sample) : m_sample(std::move(sample)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
            ++m_ticks;
            if (m_sample) m_sample();
        });
    }
    void Start() {
        m_clock.start();
        m_timer.start(kTickMs);
    }
    void Stop() {
        m_timer.stop();
        m_longest = std::max(m_longest, m_clock.elapsed());
    }
    qint64 LongestGapMs() const { return m_longest; }
    int Ticks() const { return m_ticks; }

private:
    std::function<void()> m_sample;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    int m_ticks = 0;
};

class ExchangeStallTest : public MainWindowFixture {
protected:
    void StartBus(const std::vector<std::string>& names) {
        std::string error;
        bus_ =
            vbus::StartStandardBus(tables_, hid_root_.path().toStdString() + "/bus", names, &error);
        ASSERT_TRUE(bus_) << error;
        qputenv("TIRK_HID_ROOT", bus_->root().c_str());
    }
    std::vector<std::string> ShownTiles() {
        std::vector<std::string> shown;
        for (const DeviceDiscovery::FamilySet& set : window_->Discovery()->Sets())
            if (set.tile->IsShown()) shown.push_back(set.device->DeviceFolderName());
        return shown;
    }
    CTelvorinFamilyDevice* Device(const std::string& folder) {
        for (const DeviceDiscovery::FamilySet& set : window_->Discovery()->Sets())
            if (set.device->DeviceFolderName() == folder) return set.device;
        ADD_FAILURE() << "no device " << folder;
        return nullptr;
    }
    std::string SelectedFolder() {
        const int selected = window_->Discovery()->SelectedTile();
        return selected < 0 ? ""
                            : window_->Discovery()->Sets()[selected].device->DeviceFolderName();
    }
    void Silence(const std::string& name) {
        vbus::FaultPlan silent;
        silent.kind = vbus::FaultKind::kNoAnswer;
        bus_->Find(name)->SetFault(silent);
    }
};

TEST_F(ExchangeStallTest, SilentDevicesDoNotStallTheWindow) {
    StartBus({"keyboard", "mouse-receiver"});
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShownTiles().size() == 2; }, 10000))
        << "the mouse shows once its receiver says it is linked";
    CTelvorinFamilyDevice* mouse = Device("mouse");
    CTelvorinFamilyDevice* keyboard = Device("keyboard");
    ASSERT_TRUE(mouse && keyboard);
    ASSERT_TRUE(mouse->Channel().IsWireless());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return mouse->ExchangesPending() == 0 && keyboard->ExchangesPending() == 0; },
        10000));

    // From here on neither answers: each exchange waits two full time-outs
    // (2 s on the keyboard's cable, 10 s through the mouse's receiver).
    Silence("keyboard");
    Silence("mouse-receiver");
    std::map<std::string, bool> markSeen;
    StallMeter meter([&] {
        markSeen["mouse"] = markSeen["mouse"] || mouse->IsBusyMarkShown();
        markSeen["keyboard"] = markSeen["keyboard"] || keyboard->IsBusyMarkShown();
    });
    meter.Start();
    // Several periods of the status poll and the link watch, run directly,
    // and the light-control button (on: the keyboard resumes its lighting).
    const int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        mouse->RunTileTimer(CTelvorinUSBDevice::kTimerStatus);
        mouse->RunTileTimer(CTelvorinUSBDevice::kTimerLinkWatch);
        mouse->RunTileTimer(CTelvorinUSBDevice::kTimerFirstSync);
        ASSERT_TRUE(Click("control_light_status"));
        QTest::qWait(250);
    }
    EXPECT_GT(mouse->ExchangesPending(), 0) << "the exchanges are still waiting for answers";
    // One status poll and one link check run or wait at most each; every
    // first-synchronisation check is queued.
    EXPECT_LE(mouse->ExchangesPending(), 4 + kRounds)
        << "status polls and link checks are not queued twice";

    // The page shows it waits, and the window still answers the user.
    EXPECT_TRUE(mouse->IsBusyMarkShown());
    CControlUI* mark = mouse->FindSubControl("device_busy_mark");
    ASSERT_NE(mark, nullptr) << "the mouse page's busy mark";
    EXPECT_TRUE(mark->IsVisible());
    EXPECT_EQ(mark->GetTextKey(), "device_busy_text");
    std::set<std::string> selected = {SelectedFolder()};
    for (const char* button : {"device_select_prev", "device_select_next"}) {
        ASSERT_TRUE(Click(button));
        selected.insert(SelectedFolder());
    }
    EXPECT_EQ(selected.size(), 2u) << "the selection follows the buttons at once";
    meter.Stop();

    std::cout << "[ stall    ] longest gap between " << kTickMs
              << " ms ticks: " << meter.LongestGapMs() << " ms over " << meter.Ticks()
              << " ticks\n";
    RecordProperty("longest_gap_ms", static_cast<int>(meter.LongestGapMs()));
    EXPECT_LT(meter.LongestGapMs(), kMaxStallMs);
    EXPECT_TRUE(markSeen["mouse"]);
    EXPECT_TRUE(markSeen["keyboard"]) << "the keyboard's resume waited long enough to show it";

    // Closing cuts the exchanges short instead of waiting out their time-outs.
    QElapsedTimer closing;
    closing.start();
    window_.reset();
    EXPECT_LT(closing.elapsed(), 2000);
}

// Once the device answers again the mark goes and the tiles are as the
// answers say.
TEST_F(ExchangeStallTest, TheBusyMarkGoesWhenTheDeviceAnswersAgain) {
    StartBus({"keyboard"});
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShownTiles().size() == 1; }, 10000));
    CTelvorinFamilyDevice* keyboard = Device("keyboard");
    ASSERT_TRUE(keyboard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard->ExchangesPending() == 0; }, 10000));

    vbus::FaultPlan slow;
    slow.kind = vbus::FaultKind::kDelay;  // slower than a moment, faster than a time-out
    slow.delay = std::chrono::milliseconds(600);
    slow.remaining = 1;
    bus_->Find("keyboard")->SetFault(slow);
    ASSERT_TRUE(Click("control_light_status"));  // off
    ASSERT_TRUE(Click("control_light_status"));  // on: the resume waits 600 ms
    EXPECT_EQ(keyboard->ExchangesPending(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard->IsBusyMarkShown(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard->ExchangesPending() == 0; }, 5000));
    EXPECT_FALSE(keyboard->IsBusyMarkShown());
    EXPECT_FALSE(keyboard->FindSubControl("device_busy_mark")->IsVisible());
    EXPECT_EQ(keyboard->LastResumeResult(), link::kSuccess);
    EXPECT_EQ(bus_->Find("keyboard")->CommandCounts()[0x1C], 1);
}

}  // namespace
}  // namespace tirk
