// Devices appearing and leaving in the main window, offscreen, over the
// virtual bus: tiles, the no-device hint, the selection, the synchronisation
// options and the move between cable and receiver.
#include <dirent.h>

#include <array>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include "app/device_discovery.h"
#include "core/log.h"
#include "device/hid/hid_backend.h"
#include "device/hid/hid_path.h"
#include "device/family/family_devices.h"
#include "ui/container.h"
#include "ui/device_option.h"
#include "ui/mp_device_power.h"
#include "ui/msg_wnd.h"
#include "window_fixture.h"

namespace tirk {
namespace {

using Sets = std::vector<DeviceDiscovery::FamilySet>;

class DiscoveryTest : public MainWindowFixture {
protected:
    // A bus with `names` plugged (none: an empty bus to plug into later).
    void StartBus(const std::vector<std::string>& names) {
        std::string error;
        bus_ = vbus::StartStandardBus(tables_, hid_root_.path().toStdString() + "/bus", names,
                                      &error);
        ASSERT_TRUE(bus_) << error;
        qputenv("TIRK_HID_ROOT", bus_->root().c_str());
    }
    void Plug(const std::string& name) {
        std::string error;
        ASSERT_TRUE(bus_->Plug(name, &error)) << error;
    }
    void Unplug(const std::string& name) {
        std::string error;
        ASSERT_TRUE(bus_->Unplug(name, &error)) << error;
    }
    void Start() {
        CreateWindow();
        ASSERT_TRUE(WaitShownAfterFirstScan());
    }
    DeviceDiscovery& Discovery() { return *window_->Discovery(); }

    // The family names of the shown tiles, in list order.
    std::vector<std::string> ShownTiles() {
        std::vector<std::string> shown;
        for (const DeviceDiscovery::FamilySet& set : Discovery().Sets())
            if (set.tile->IsShown()) shown.push_back(set.device->DeviceFolderName());
        return shown;
    }
    bool WaitForTiles(const std::vector<std::string>& expected) {
        return QTest::qWaitFor([&] { return ShownTiles() == expected; }, 10000);
    }
    DeviceDiscovery::FamilySet& SetOf(const std::string& folder) {
        for (const DeviceDiscovery::FamilySet& set : Discovery().Sets())
            if (set.device->DeviceFolderName() == folder)
                return const_cast<DeviceDiscovery::FamilySet&>(set);
        ADD_FAILURE() << "no device " << folder;
        return const_cast<DeviceDiscovery::FamilySet&>(Discovery().Sets().front());
    }
    std::string SelectedFolder() {
        const int selected = Discovery().SelectedTile();
        return selected < 0 ? "" : Discovery().Sets()[selected].device->DeviceFolderName();
    }
    int TabIndex(const char* name) {
        return dynamic_cast<CTabLayoutUI*>(Find(name))->GetCurSel();
    }
};

TEST_F(DiscoveryTest, EveryPluggedDeviceGetsItsTile) {
    PlugEmulatedDevices();
    Start();
    // Mouse and keyboard are built in advance; the others on arrival.
    EXPECT_TRUE(WaitForTiles({"mouse", "keyboard", "MousePad", "HD"}));
    EXPECT_FALSE(Find(kNoDeviceHint)->IsVisible());
    EXPECT_EQ(SetOf("keyboard").tile->GetKind(), 1);
    EXPECT_EQ(SetOf("mouse").tile->GetKind(), 2);
    EXPECT_EQ(SetOf("MousePad").tile->GetKind(), 3);
    EXPECT_EQ(SetOf("HD").tile->GetKind(), 7);
    EXPECT_EQ(Discovery().VisibleTileCount(), 4);
}

TEST_F(DiscoveryTest, KeyboardOpensItsCommandAndNotificationInterfaces) {
    StartBus({"keyboard"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    CTelvorinFamilyDevice* keyboard = SetOf("keyboard").device;
    EXPECT_TRUE(keyboard->Channel().IsOpen());
    EXPECT_FALSE(keyboard->Channel().IsWireless());
    EXPECT_NE(keyboard->InterfacePath().find("&mi_01&col04#"), std::string::npos);
    EXPECT_TRUE(QTest::qWaitFor([&] { return keyboard->IsListening(false); }, 5000));
    EXPECT_EQ(SelectedFolder(), "keyboard");
}

TEST_F(DiscoveryTest, UnplugHidesATileAndPlugBringsItBack) {
    StartBus({"keyboard", "headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard", "HD"}));
    Unplug("headset");
    EXPECT_TRUE(WaitForTiles({"keyboard"}));
    Plug("headset");
    EXPECT_TRUE(WaitForTiles({"keyboard", "HD"}));
    EXPECT_TRUE(SetOf("HD").device->Channel().IsOpen());
}

TEST_F(DiscoveryTest, RemovingTheLastDeviceShowsTheHintAndTheFirstPages) {
    StartBus({"headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"HD"}));
    EXPECT_NE(TabIndex(kPageContainer), 0);
    Unplug("headset");
    ASSERT_TRUE(WaitForTiles({}));
    EXPECT_TRUE(Find(kNoDeviceHint)->IsVisible());
    EXPECT_EQ(TabIndex(kPageContainer), 0);
    EXPECT_EQ(TabIndex(kPowerContainer), 0);
    EXPECT_FALSE(SetOf("HD").device->Channel().IsOpen());
}

TEST_F(DiscoveryTest, RemovingTheSelectedDeviceSelectsAnotherShownOne) {
    StartBus({"keyboard", "headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard", "HD"}));
    Discovery().SelectNext();
    ASSERT_EQ(SelectedFolder(), "HD");
    Unplug("headset");
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    EXPECT_EQ(SelectedFolder(), "keyboard");
    EXPECT_EQ(TabIndex(kPageContainer), SetOf("keyboard").tile->GetPageIndex());
}

TEST_F(DiscoveryTest, PreviousAndNextStopAtTheEnds) {
    StartBus({"keyboard", "mousepad", "headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard", "MousePad", "HD"}));
    struct Step {
        bool next;
        const char* selected;
    };
    const Step steps[] = {{false, "keyboard"}, {true, "MousePad"}, {true, "HD"},
                          {true, "HD"},         {false, "MousePad"}, {false, "keyboard"}};
    ASSERT_EQ(SelectedFolder(), "keyboard");
    for (const Step& step : steps) {
        ASSERT_TRUE(Click(step.next ? "device_select_next" : "device_select_prev"));
        EXPECT_EQ(SelectedFolder(), step.selected) << (step.next ? "next" : "previous");
    }
}

TEST_F(DiscoveryTest, SynchronisationOptionsSwitchOffWhenOnlyOneShownTileKeepsThem) {
    StartBus({"keyboard", "mousepad", "headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard", "MousePad", "HD"}));
    SetOf("keyboard").tile->SetSynchro(true);
    SetOf("HD").tile->SetSynchro(true);
    EXPECT_TRUE(SetOf("HD").device->SyncOffered());
    Unplug("mousepad");  // two synchronised tiles stay shown: kept
    ASSERT_TRUE(WaitForTiles({"keyboard", "HD"}));
    EXPECT_TRUE(SetOf("keyboard").tile->IsSynchro());
    Unplug("headset");  // one left: every option off, synchronisation no longer offered
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    for (const DeviceDiscovery::FamilySet& set : Discovery().Sets())
        EXPECT_FALSE(set.tile->IsSynchro()) << set.device->DeviceFolderName();
    EXPECT_FALSE(SetOf("keyboard").device->SyncOffered());
}

TEST_F(DiscoveryTest, TheMouseMovesToItsReceiverAndBackKeepingOneTile) {
    StartBus({"mouse", "mouse-receiver"});
    Start();
    ASSERT_TRUE(WaitForTiles({"mouse"}));
    CCommandChannel& channel = SetOf("mouse").device->Channel();
    EXPECT_FALSE(channel.IsWireless()) << "the cable is preferred while both are present";
    Unplug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.IsWireless() && channel.IsOpen(); }, 5000));
    EXPECT_EQ(ShownTiles(), std::vector<std::string>{"mouse"});
    EXPECT_EQ(channel.ChunkSize(), 24);
    // The next exchange goes over the receiver, in the wireless chunk size.
    vbus::VirtualHidDevice* receiver = bus_->Find("mouse-receiver");
    receiver->ClearReceived();
    std::array<uint8_t, 71> record{};
    ASSERT_EQ(channel.ReadSettings(record, 0), link::kSuccess) << "the receiver answers";
    std::vector<int> lengths;
    for (const vbus::ReceivedReport& report : receiver->Received())
        if (report.bytes.size() >= 5 && report.bytes[3] == 0x05) lengths.push_back(report.bytes[4]);
    EXPECT_EQ(lengths, (std::vector<int>{24, 24, 23}));
    // The status read runs on the device's worker; its block is shown when it is back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return SetOf("mouse").power->IsWireless(); }, 5000))
        << "the status is read again over the receiver";
    Plug("mouse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.IsWireless() && channel.IsOpen(); }, 5000));
    EXPECT_EQ(ShownTiles(), std::vector<std::string>{"mouse"});
    EXPECT_EQ(channel.ChunkSize(), 56);
}

// The cable can be pulled again after the scan matched it and before its
// arrival is handled: the arrival then finds the cable's node gone, and its
// removal follows with the cable's path already cleared. Both are handled here
// as the scan delivers them (the scan's own list never saw this cable, so its
// path is empty, as after the removal); the mouse must stay on its receiver.
TEST_F(DiscoveryTest, ACableGoneBeforeItsArrivalIsHandledLeavesTheMouseOnItsReceiver) {
    StartBus({"mouse-receiver"});
    Start();
    ASSERT_TRUE(WaitForTiles({"mouse"}));
    CCommandChannel& channel = SetOf("mouse").device->Channel();
    ASSERT_TRUE(channel.IsOpen() && channel.IsWireless());
    const int cable = FindCandidate(tables_, kTypeMouse, kRoleCommand);
    ASSERT_GE(cable, 0);
    const std::string gone = hid_root_.path().toStdString() + "/gone/hidraw99";

    Discovery().OnCandidateArrived(cable, gone);
    EXPECT_TRUE(channel.IsOpen() && channel.IsWireless()) << "a cable that cannot be opened";
    Discovery().OnCandidateRemoved(cable);
    EXPECT_TRUE(channel.IsOpen() && channel.IsWireless()) << "a cable removed with no path";

    std::array<uint8_t, 71> record{};
    EXPECT_EQ(channel.ReadSettings(record, 0), link::kSuccess) << "the receiver still answers";
    EXPECT_EQ(ShownTiles(), std::vector<std::string>{"mouse"});
}

int CountEntries(const char* folder) {
    int count = 0;
    if (DIR* dir = opendir(folder)) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

TEST_F(DiscoveryTest, APlugAndUnplugStormEndsWithTheRightTilesAndNoLeaks) {
    StartBus({"keyboard"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    Plug("headset");  // the headset's device object and page exist from here on
    ASSERT_TRUE(WaitForTiles({"keyboard", "HD"}));
    // Its first synchronisation starts the threads it keeps (its exchange
    // worker); counted before the storm, they are no leak.
    QTest::qWait(300);
    Unplug("headset");
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    QTest::qWait(300);
    // A node pulled out while it is being opened is no fault to tell the user.
    int messages = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (CMsgWnd* message = CMsgWnd::GetShown()) {
            ++messages;
            message->Close(1);
        }
    });
    closer.start(20);
    const int fds = CountEntries("/proc/self/fd");
    const int threads = CountEntries("/proc/self/task");
    for (int i = 0; i < 200; ++i) {
        Plug("headset");
        if (i % 7 == 0) QTest::qWait(5);  // sometimes the scan sees it, sometimes not
        Unplug("headset");
        QCoreApplication::processEvents();
    }
    Plug("headset");
    EXPECT_TRUE(WaitForTiles({"keyboard", "HD"}));
    Unplug("headset");
    EXPECT_TRUE(WaitForTiles({"keyboard"}));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return CountEntries("/proc/self/fd") <= fds && CountEntries("/proc/self/task") <= threads;
    }, 5000)) << "fds " << CountEntries("/proc/self/fd") << " (were " << fds << "), threads "
              << CountEntries("/proc/self/task") << " (were " << threads << ")";
    EXPECT_TRUE(SetOf("keyboard").device->Channel().IsOpen());
    EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

// A user's own table adds a compatible product without a rebuild.
class UserTableTest : public DiscoveryTest {
protected:
    std::string WriteUserTable(const std::string& json) {
        const std::string folder = hid_root_.path().toStdString() + "/config/TIRK";
        QDir().mkpath(QString::fromStdString(folder));
        QFile file(QString::fromStdString(folder + "/devices.json"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json.c_str());
        return folder + "/devices.json";
    }
    // Loads the tables as the program does at start, into tables_.
    std::string LoadWithUserTable(const std::string& userPath) {
        std::string error, userError;
        tables_ = {};
        EXPECT_TRUE(LoadDeviceTablesWithUserAdditions(TIRK_RESOURCE_DIR "/devices.json", userPath,
                                                      &tables_, &error, &userError))
            << error;
        return userError;
    }
};

TEST_F(UserTableTest, AnAddedProductIdGetsItsTile) {
    const std::string path = WriteUserTable(R"({"candidates": [
        {"vendor": "0x3A7D", "product": "0x7001", "interface": 3, "collection": 0, "type": 7,
         "secondary": 0, "usagePage": "0x000C", "usage": "0x01", "partner": null}]})");
    EXPECT_EQ(LoadWithUserTable(path), "");
    StartBus({});
    Start();
    std::string error;
    ASSERT_NE(bus_->PlugAs("headset-2", "headset", 0x3A7D, 0x7001, &error), nullptr) << error;
    EXPECT_TRUE(WaitForTiles({"HD"}));
    EXPECT_EQ(SetOf("HD").device->Identity().productId, 0x7001);
}

TEST_F(UserTableTest, AMalformedUserTableIsReportedAndTheShippedOneUsedAlone) {
    const std::string path = WriteUserTable(R"({"candidates": [{"vendor": 12}]})");
    const std::string notice = LoadWithUserTable(path);
    EXPECT_NE(notice.find(path), std::string::npos) << notice;
    EXPECT_NE(notice.find("candidates[0]"), std::string::npos) << notice;
    DeviceTables shipped;
    std::string error;
    ASSERT_TRUE(LoadDeviceTables(TIRK_RESOURCE_DIR "/devices.json", &shipped, &error));
    EXPECT_EQ(tables_.candidates.size(), shipped.candidates.size());
    StartBus({"headset"});
    Start();
    EXPECT_TRUE(WaitForTiles({"HD"}));
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

std::vector<std::string> DeviceLogLines(const std::string& path) {
    static const char* const kTexts[] = {"添加一个键盘设备", "添加一个鼠标设备", "添加一个鼠标垫设备",
                                         "键盘设备丢失",     "鼠标设备丢失",     "鼠标垫设备丢失",
                                         "耳机设备丢失"};
    std::vector<std::string> lines;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const std::string line = raw.trimmed().toStdString();
        for (const char* text : kTexts)
            if (line == text) lines.push_back(line);
    }
    return lines;
}

TEST_F(DiscoveryTest, TheDebugLogTellsArrivalsAndRemovalsInOrder) {
    const std::string log = hid_root_.path().toStdString() + "/debug.log";
    qputenv("TIRK_LOG", log.c_str());
    log::ReloadSettingsForTest();
    StartBus({"keyboard", "mouse", "mousepad", "headset"});
    Start();
    ASSERT_TRUE(WaitForTiles({"mouse", "keyboard", "MousePad", "HD"}));
    Unplug("mouse");
    ASSERT_TRUE(WaitForTiles({"keyboard", "MousePad", "HD"}));
    Unplug("headset");
    ASSERT_TRUE(WaitForTiles({"keyboard", "MousePad"}));
    qunsetenv("TIRK_LOG");
    log::ReloadSettingsForTest();
    // One line per candidate interface that arrives; one per command interface that leaves.
    const std::vector<std::string> expected = {
        "添加一个键盘设备",   "添加一个键盘设备",   "添加一个鼠标设备", "添加一个鼠标设备",
        "添加一个鼠标垫设备", "添加一个鼠标垫设备", "添加一个鼠标垫设备", "鼠标设备丢失",
        "耳机设备丢失"};
    EXPECT_EQ(DeviceLogLines(log), expected);
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

// The power indicator shows the status block the device returns.
TEST_F(DiscoveryTest, TheMousePowerTileShowsItsStatusBlock) {
    StartBus({"mouse"});
    std::string answer;
    ASSERT_TRUE(bus_->Find("mouse")->FirmwareControl({"status", "55", "2"}, &answer)) << answer;
    Start();
    ASSERT_TRUE(WaitForTiles({"mouse"}));
    CMpDevicePowerUI* power = SetOf("mouse").power;
    ASSERT_TRUE(QTest::qWaitFor([&] { return power->GetStatus()[0] == 55; }, 5000));
    EXPECT_EQ(power->GetStatus()[1], 2);
    EXPECT_FALSE(power->IsWireless());
    EXPECT_EQ(dynamic_cast<CTabLayoutUI*>(Find(kPowerContainer))->GetCurSel(),
              SetOf("mouse").tile->GetPowerIndex());
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

// A profile list that exists but cannot be read is named to the user and left
// alone; the device still works from Profile1.
TEST_F(DiscoveryTest, AnUnreadableProfileListIsReportedAndLeftAlone) {
    const QString list = hid_root_.path() + "/data/Vorpaline TIRK/keyboard/ProfileList.ini";
    ASSERT_TRUE(QDir().mkpath(list));  // a folder where the file should be
    std::string shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (CMsgWnd* message = CMsgWnd::GetShown()) {
            if (CControlUI* text = message->GetPaintManager().FindControl("MessageText"))
                shown = text->GetText();
            message->Close(1);
        }
    });
    closer.start(20);
    StartBus({"keyboard"});
    Start();
    ASSERT_TRUE(WaitForTiles({"keyboard"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 5000));
    EXPECT_NE(shown.find("ProfileList.ini"), std::string::npos) << shown;
    EXPECT_TRUE(QFileInfo(list).isDir()) << "left as it was";
    EXPECT_TRUE(SetOf("keyboard").device->Channel().IsOpen());
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

// A present device whose node cannot be opened (on a real system: the node's
// permissions) is named to the user once, with what to do about it.
TEST_F(DiscoveryTest, ADeviceThatCannotBeOpenedIsNamedToTheUser) {
    StartBus({"headset"});
    const std::vector<std::string> nodes = bus_->Find("headset")->NodeNames();
    ASSERT_EQ(nodes.size(), 1u);
    const QString node = QString::fromStdString(bus_->root() + "/dev/" + nodes[0]);
    ASSERT_TRUE(QFile::remove(node));
    QFile plain(node);  // a plain file where the device's node should be
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    std::vector<std::string> shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (CMsgWnd* message = CMsgWnd::GetShown()) {
            if (CControlUI* text = message->GetPaintManager().FindControl("MessageText"))
                shown.push_back(text->GetText());
            message->Close(1);
        }
    });
    closer.start(20);
    Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 5000));
    EXPECT_NE(shown[0].find("70-vorpaline-tirk.rules"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find(nodes[0]), std::string::npos) << shown[0];
    QTest::qWait(400);  // further passes fail the same way
    EXPECT_EQ(shown.size(), 1u) << "told once";
    EXPECT_TRUE(ShownTiles().empty());
}

}  // namespace
}  // namespace tirk

namespace tirk {
namespace {

// A cable present but not open (its read-write open failed) does not keep the
// receiver from opening the device.
TEST_F(DiscoveryTest, TheReceiverOpensTheMouseWhenItsCableCouldNotBeOpened) {
    StartBus({"mouse", "mouse-receiver"});
    Start();
    ASSERT_TRUE(WaitForTiles({"mouse"}));
    CCommandChannel& channel = SetOf("mouse").device->Channel();
    ASSERT_FALSE(channel.IsWireless());
    // As after a failed open of the cable: its entry is present, the channel closed.
    channel.SetOpen(false);
    channel.WiredInterface().Close();
    const int receiver = FindCandidate(tables_, kTypeMouseReceiver, kRoleCommand);
    std::string path;  // the receiver's command interface, as the scan names it
    for (const std::string& node : bus_->Find("mouse-receiver")->NodeNames()) {
        hid::HidNodeInfo info;
        bool gone = false;
        std::string error;
        ASSERT_TRUE(hid::CreateLinuxHidBackend(bus_->root())->ReadNodeInfo(node, info, gone, error))
            << error;
        if (info.interfaceNumber == 1) path = hid::MakeHidInterfacePath(info, 4);
    }
    Discovery().OnCandidateArrived(receiver, path);
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_TRUE(channel.IsWireless());
    EXPECT_EQ(channel.BeginWrite(), link::kSuccess) << "over the receiver";
}

}  // namespace
}  // namespace tirk
