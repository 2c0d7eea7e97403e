// The virtual HID bus as the hidraw backend and the tests see it: the files,
// the node sockets, the echo firmware, recording, faults and unplugging.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "device/virtual/emulated_bus.h"
#include "device/virtual/report_descriptors.h"
#include "device/virtual/standard_devices.h"
#include "device/virtual/virtual_hid_bus.h"
#include "standard_bus_fixture.h"
#include "support/shipped_tables.h"
#include "vbus_test_support.h"

namespace tirk::vbus {
namespace {

namespace fs = std::filesystem;
using test::CommandFrame;
using test::NodeClient;
using tirk::test::ShippedTables;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A bus with every standard device, all plugged. The bus mechanics are shown
// with the echo firmware, so every answer is the request itself; the family
// firmwares have their own tests (firmware_test.cpp).
class VirtualBus : public test::StandardBusTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StandardBusTest::SetUp());
        for (VirtualHidDevice* device : bus_->Devices())
            device->SetFirmware(std::make_unique<EchoFirmware>());
    }

    // The node path of interface `mi` of `name`.
    std::string Node(const std::string& name, uint8_t mi) {
        VirtualHidDevice& device = Device(name);
        std::vector<std::string> nodes = device.NodeNames();
        for (size_t i = 0; i < nodes.size(); ++i)
            if (device.spec().interfaces[i].number == mi) return root_.path() + "/dev/" + nodes[i];
        return {};
    }
};

TEST_F(VirtualBus, TreeHasTheLayoutTheBackendReads) {
    for (VirtualHidDevice* device : bus_->Devices()) {
        std::vector<std::string> nodes = device->NodeNames();
        ASSERT_EQ(nodes.size(), device->spec().interfaces.size()) << device->name();
        for (size_t i = 0; i < nodes.size(); ++i) {
            const VirtualInterfaceSpec& interface = device->spec().interfaces[i];
            SCOPED_TRACE(device->name() + " " + nodes[i]);
            fs::path hid =
                fs::canonical(root_.path() + "/sys/class/hidraw/" + nodes[i] + "/device");
            EXPECT_EQ(hid.string().rfind(root_.path() + "/sys/devices/vusb/usb1/1-", 0), 0u);

            char hidId[40];
            std::snprintf(hidId, sizeof hidId, "HID_ID=0003:0000%04X:0000%04X\n",
                          device->spec().vendorId, device->spec().productId);
            std::string uevent = ReadText(hid / "uevent");
            EXPECT_NE(uevent.find(hidId), std::string::npos) << uevent;
            EXPECT_NE(uevent.find("HID_NAME=" + device->spec().productName + "\n"),
                      std::string::npos);
            EXPECT_NE(uevent.find("/input" + std::to_string(interface.number) + "\n"),
                      std::string::npos)
                << uevent;

            std::string descriptor = ReadText(hid / "report_descriptor");
            EXPECT_EQ(std::vector<uint8_t>(descriptor.begin(), descriptor.end()),
                      interface.reportDescriptor);
            char number[8];
            std::snprintf(number, sizeof number, "%02X\n", interface.number);
            EXPECT_EQ(ReadText(hid.parent_path() / "bInterfaceNumber"), number);
            EXPECT_EQ(ReadText(hid.parent_path().parent_path() / "bcdDevice"), "0100\n");

            struct stat info;
            ASSERT_EQ(stat((root_.path() + "/dev/" + nodes[i]).c_str(), &info), 0);
            EXPECT_TRUE(S_ISSOCK(info.st_mode));
        }
    }
}

TEST_F(VirtualBus, HidrawNumbersAreTheLowestFreeOnes) {
    std::vector<std::string> before = Device("mouse").NodeNames();
    std::string error;
    ASSERT_TRUE(bus_->Unplug("mouse", &error)) << error;
    EXPECT_TRUE(Device("mouse").NodeNames().empty());
    ASSERT_TRUE(bus_->Plug("mouse", &error)) << error;
    EXPECT_EQ(Device("mouse").NodeNames(), before);
}

// Every candidate's collection, counted as the interface path does, is the
// collection with the candidate's usage in the device's descriptor.
TEST_F(VirtualBus, DescriptorCollectionsMatchTheCandidateTable) {
    DeviceTables tables = ShippedTables();
    for (size_t i = 0; i < tables.candidates.size(); ++i) {
        const DeviceCandidate& c = tables.candidates[i];
        SCOPED_TRACE("candidate " + std::to_string(i));
        const VirtualInterfaceSpec* interface = nullptr;
        for (VirtualHidDevice* device : bus_->Devices())
            if (device->spec().vendorId == c.vendorId && device->spec().productId == c.productId)
                for (const VirtualInterfaceSpec& spec : device->spec().interfaces)
                    if (spec.number == c.interfaceNumber) interface = &spec;
        ASSERT_NE(interface, nullptr);
        bool wellFormed = false;
        auto collections = test::WalkDescriptor(interface->reportDescriptor, &wellFormed);
        EXPECT_TRUE(wellFormed);
        ASSERT_FALSE(collections.empty());
        // Collection 0 in a path means "the node has a single collection".
        EXPECT_EQ(c.collectionNumber == 0, collections.size() == 1);
        size_t index = c.collectionNumber == 0 ? 0 : c.collectionNumber - 1;
        ASSERT_LT(index, collections.size());
        EXPECT_EQ(collections[index].usagePage, c.usagePage);
        EXPECT_EQ(collections[index].usage, c.usage);
        if (c.secondaryCode == kRoleCommand) {
            // 63 data bytes + the id byte = the 64-byte command frame, both ways.
            EXPECT_EQ(collections[index].inputBits[kCommandReportId], 63 * 8);
            EXPECT_EQ(collections[index].outputBits[kCommandReportId], 63 * 8);
        }
    }
}

TEST(ReportDescriptors, BootInterfacesHaveOneCollectionWithoutIds) {
    for (const auto* descriptor : {&BootKeyboardDescriptor(), &BootMouseDescriptor()}) {
        bool wellFormed = false;
        auto collections = test::WalkDescriptor(*descriptor, &wellFormed);
        EXPECT_TRUE(wellFormed);
        ASSERT_EQ(collections.size(), 1u);
        EXPECT_EQ(collections[0].inputBits.count(0), 1u);
        EXPECT_EQ(collections[0].inputBits.size(), 1u);
    }
    bool wellFormed = false;
    auto keyboard = test::WalkDescriptor(BootKeyboardDescriptor(), &wellFormed);
    EXPECT_EQ(keyboard[0].inputBits[0], 64);  // the 8-byte boot report
    auto headset = test::WalkDescriptor(HeadsetDescriptor(), &wellFormed);
    EXPECT_EQ(headset[0].outputBits[kHeadsetLightReportId], 16 * 8);  // 17 bytes with the id
}

TEST_F(VirtualBus, CommandFrameIsEchoedToEveryConnectionOfTheNode) {
    NodeClient writer(Node("keyboard", 1));
    NodeClient listener(Node("keyboard", 1));
    ASSERT_TRUE(writer.ok() && listener.ok());
    std::vector<uint8_t> frame = CommandFrame(0x05, {0x01}, 0x0080);
    ASSERT_TRUE(writer.Write(frame));
    EXPECT_EQ(writer.Read(), frame);
    EXPECT_EQ(listener.Read(), frame);
}

TEST_F(VirtualBus, OtherReportsAreRecordedButNotAnswered) {
    NodeClient client(Node("keyboard", 1));
    std::vector<uint8_t> ledReport = {0x01, 0x02};
    std::vector<uint8_t> frame = CommandFrame(0x03);
    ASSERT_TRUE(client.Write(ledReport));
    ASSERT_TRUE(client.Write(frame));
    // Reports are handled in order, so the first answer shows the LED report got none.
    EXPECT_EQ(client.Read(), frame);
    std::vector<ReceivedReport> received = Device("keyboard").Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, ledReport);
    EXPECT_EQ(received[1].bytes, frame);
}

TEST_F(VirtualBus, RecordsEveryFrameAndCountsCommandCodes) {
    NodeClient client(Node("mouse", 1));
    const std::vector<std::vector<uint8_t>> sent = {
        CommandFrame(0x01), CommandFrame(0x06, {1, 2, 3}), CommandFrame(0x06, {4}, 24),
        CommandFrame(0x02), CommandFrame(0xAA)};
    for (const auto& frame : sent) {
        ASSERT_TRUE(client.Write(frame));
        ASSERT_EQ(client.Read(), frame);
    }
    std::vector<ReceivedReport> received = Device("mouse").Received();
    ASSERT_EQ(received.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(received[i].interfaceNumber, 1);
        EXPECT_EQ(received[i].bytes, sent[i]);
    }
    std::map<uint8_t, int> expected = {{0x01, 1}, {0x02, 1}, {0x06, 2}, {0xAA, 1}};
    EXPECT_EQ(Device("mouse").CommandCounts(), expected);
    EXPECT_TRUE(Device("keyboard").Received().empty()) << "recording is per device";
    Device("mouse").ClearReceived();
    EXPECT_TRUE(Device("mouse").Received().empty());
    EXPECT_TRUE(Device("mouse").CommandCounts().empty());
}

TEST_F(VirtualBus, HeadsetEchoesOnItsSingleCollectionInterface) {
    NodeClient client(Node("headset", 3));
    ASSERT_TRUE(client.ok());
    std::vector<uint8_t> frame = CommandFrame(0x06, {9, 9});
    ASSERT_TRUE(client.Write(frame));
    EXPECT_EQ(client.Read(), frame);
}

TEST_F(VirtualBus, UnplugGivesABlockedReaderEndOfFileAndRemovesTheFiles) {
    std::string node = Node("keyboard", 1);
    std::vector<std::string> nodes = Device("keyboard").NodeNames();
    NodeClient client(node);
    ASSERT_TRUE(client.ok());
    std::future<ssize_t> readResult =
        std::async(std::launch::async, [&] { return client.BlockingRead(); });
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    bool woken = readResult.wait_for(std::chrono::milliseconds(test::kPromptlyMs)) ==
                 std::future_status::ready;
    if (!woken) client.Shutdown();  // lets the reader, and so the test, end
    ASSERT_TRUE(woken) << "the blocked reader was not woken";
    EXPECT_EQ(readResult.get(), 0);
    EXPECT_FALSE(fs::exists(node));
    for (const std::string& name : nodes)
        EXPECT_FALSE(fs::exists(root_.path() + "/sys/class/hidraw/" + name));
    EXPECT_FALSE(fs::exists(root_.path() + "/sys/devices/vusb/usb1/1-1"));
    EXPECT_FALSE(bus_->Unplug("keyboard", &error));
    EXPECT_NE(error.find("not plugged"), std::string::npos);
}

// One change of a watched folder: which folder ("class" or "dev"), what and
// which entry, e.g. {"class", IN_MOVED_TO, "hidraw3"}.
struct FolderEvent {
    std::string folder;
    uint32_t mask;
    std::string name;
    bool operator==(const FolderEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FolderEvent& e) {
    return out << e.folder << " " << std::hex << e.mask << std::dec << " " << e.name;
}

// Whoever watches the class folder (discovery does, with inotify) sees each
// node come and go in one step: a whole entry renamed in after its node
// socket exists, and renamed out before the socket goes.
TEST_F(VirtualBus, ClassFolderChangesInOneStepAroundTheNode) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(fd, 0);
    constexpr uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM;
    int classWatch = inotify_add_watch(fd, (root_.path() + "/sys/class/hidraw").c_str(), kChanges);
    int devWatch = inotify_add_watch(fd, (root_.path() + "/dev").c_str(), kChanges);
    ASSERT_TRUE(classWatch >= 0 && devWatch >= 0);
    auto Drain = [&] {
        std::vector<FolderEvent> events;
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            for (char* at = buffer; at < buffer + n;) {
                auto* e = reinterpret_cast<inotify_event*>(at);
                events.push_back({e->wd == classWatch ? "class" : "dev", e->mask, e->name});
                at += sizeof(inotify_event) + e->len;
            }
        return events;
    };
    std::vector<std::string> nodes = Device("keyboard").NodeNames();
    ASSERT_EQ(nodes.size(), 2u);
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    std::vector<FolderEvent> expected = {{"class", IN_MOVED_FROM | IN_ISDIR, nodes[0]},
                                         {"dev", IN_DELETE, nodes[0]},
                                         {"class", IN_MOVED_FROM | IN_ISDIR, nodes[1]},
                                         {"dev", IN_DELETE, nodes[1]}};
    EXPECT_EQ(Drain(), expected);
    ASSERT_TRUE(bus_->Plug("keyboard", &error)) << error;
    expected = {{"dev", IN_CREATE, nodes[0]},
                {"dev", IN_CREATE, nodes[1]},
                {"class", IN_MOVED_TO | IN_ISDIR, nodes[0]},
                {"class", IN_MOVED_TO | IN_ISDIR, nodes[1]}};
    EXPECT_EQ(Drain(), expected);
    close(fd);
}

TEST_F(VirtualBus, InputReportsReachOnlyTheirInterface) {
    NodeClient boot(Node("keyboard", 0));
    NodeClient vendor(Node("keyboard", 1));
    std::vector<uint8_t> notification = {kConsumerReportId, 0x01, 0x04};
    EXPECT_EQ(Device("keyboard").SendInputReport(1, notification), 1);
    EXPECT_EQ(vendor.Read(), notification);
    EXPECT_EQ(boot.Read(200), std::nullopt);
    EXPECT_EQ(Device("keyboard").SendInputReport(7, notification), -1);
}

TEST_F(VirtualBus, FaultsApplyToTheNextAnswers) {
    NodeClient client(Node("mouse", 1));
    VirtualHidDevice& mouse = Device("mouse");
    std::vector<uint8_t> first = CommandFrame(0x05), second = CommandFrame(0x06);

    mouse.SetFault({FaultKind::kNoAnswer, 1});
    ASSERT_TRUE(client.Write(first));
    ASSERT_TRUE(client.Write(second));
    EXPECT_EQ(client.Read(), second) << "the first answer is dropped, the second is not";

    mouse.SetFault({FaultKind::kGarbage, 1});
    ASSERT_TRUE(client.Write(first));
    std::optional<std::vector<uint8_t>> garbage = client.Read();
    ASSERT_TRUE(garbage.has_value());
    ASSERT_EQ(garbage->size(), 64u);
    EXPECT_EQ((*garbage)[0], 0x04);
    EXPECT_NE((*garbage)[3], first[3]);

    mouse.SetFault({FaultKind::kDelay, 1, std::chrono::milliseconds(500)});
    ASSERT_TRUE(client.Write(first));
    ASSERT_TRUE(client.Write(second));
    EXPECT_EQ(client.Read(), second) << "only the first answer is delayed";
    EXPECT_EQ(client.Read(), first);
    EXPECT_EQ(mouse.Fault().kind, FaultKind::kNone);
}

TEST_F(VirtualBus, UnplugFaultUnplugsInsteadOfAnswering) {
    NodeClient client(Node("mouse-receiver", 1));
    Device("mouse-receiver").SetFault({FaultKind::kUnplug, 1});
    ASSERT_TRUE(client.Write(CommandFrame(0xAA)));
    EXPECT_EQ(client.Read(), std::vector<uint8_t>{}) << "end-of-file, no answer";
    EXPECT_FALSE(Device("mouse-receiver").IsPlugged());
}

TEST(FaultPlanText, ParsesTheDocumentedForms) {
    struct Case {
        std::vector<std::string_view> words;
        bool ok;
        std::string description;  // as DescribeFaultPlan gives it back
    };
    const Case cases[] = {
        {{"none"}, true, "none"},
        {{"noanswer"}, true, "noanswer"},
        {{"noanswer", "3"}, true, "noanswer 3"},
        {{"delay", "250"}, true, "delay 250"},
        {{"delay", "250", "2"}, true, "delay 250 2"},
        {{"garbage", "1"}, true, "garbage 1"},
        {{"unplug"}, true, "unplug"},
        {{}, false, ""},
        {{"slow"}, false, ""},
        {{"delay"}, false, ""},
        {{"delay", "soon"}, false, ""},
        {{"noanswer", "0"}, false, ""},
        {{"unplug", "2"}, false, ""},
        {{"wrongecho"}, true, "wrongecho"},
        {{"status", "FF"}, true, "status FF"},
        {{"status", "0xfe", "2"}, true, "status FE 2"},
        {{"short", "1"}, true, "short 1"},
        {{"unplug", "after", "2"}, true, "unplug after 2"},
        {{"noanswer", "1", "after", "3"}, true, "noanswer 1 after 3"},
        {{"status"}, false, ""},
        {{"status", "1FF"}, false, ""},
        {{"unplug", "after"}, false, ""},
        {{"none", "after", "1"}, false, ""},
    };
    for (const Case& c : cases) {
        FaultPlan plan;
        std::string error;
        EXPECT_EQ(ParseFaultPlan(c.words, &plan, &error), c.ok)
            << (c.words.empty() ? "(empty)" : c.words[0]);
        if (c.ok)
            EXPECT_EQ(DescribeFaultPlan(plan), c.description);
        else
            EXPECT_NE(error.find("fault kinds:"), std::string::npos) << error;
    }
}

class CountingFirmware : public VirtualFirmware {
public:
    explicit CountingFirmware(int* calls) : calls_(calls) {}
    void OnOutputReport(uint8_t mi, const std::vector<uint8_t>& report, FirmwareIo& io) override {
        ++*calls_;
        std::vector<uint8_t> answer = report;
        answer[7] = 0xFE;
        io.Reply(mi, answer);
    }

private:
    int* calls_;
};

TEST_F(VirtualBus, FirmwareCanBeReplaced) {
    int calls = 0;
    Device("mousepad").SetFirmware(std::make_unique<CountingFirmware>(&calls));
    NodeClient client(Node("mousepad", 1));
    std::vector<uint8_t> frame = CommandFrame(0x05);
    ASSERT_TRUE(client.Write(frame));
    std::optional<std::vector<uint8_t>> answer = client.Read();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[7], 0xFE);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Device("mousepad").Received().size(), 1u) << "recorded before the firmware runs";
}

TEST(VirtualBusRoot, SecondBusOnTheSameRootIsRefused) {
    test::TempRoot root;
    VirtualHidBus first(root.path());
    std::string error;
    ASSERT_TRUE(first.Start(&error)) << error;
    {
        VirtualHidBus second(root.path());
        EXPECT_FALSE(second.Start(&error));
        EXPECT_NE(error.find("another virtual HID bus"), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::exists(first.ControlSocketPath())) << "the refused bus removed nothing";
}

TEST(VirtualBusRoot, FolderWithForeignSysIsRefused) {
    test::TempRoot root;
    fs::create_directories(root.path() + "/sys/class");
    VirtualHidBus bus(root.path());
    std::string error;
    EXPECT_FALSE(bus.Start(&error));
    EXPECT_NE(error.find(root.path()), std::string::npos) << error;
}

TEST(VirtualBusRoot, EmulatedBusPlugsTheEmulatedSetAndCleansUp) {
    test::TempRoot parent;
    std::string root = parent.path() + "/bus";
    std::string error;
    {
        auto bus = StartEmulatedBus(ShippedTables(), root, &error);
        ASSERT_NE(bus, nullptr) << error;
        for (VirtualHidDevice* device : bus->Devices())
            EXPECT_EQ(device->IsPlugged(), device->name() != "keyboard-receiver") << device->name();
        EXPECT_EQ(bus->root(), root);
    }
    EXPECT_FALSE(fs::exists(root)) << "the bus made the root, so it removes it";
}

TEST(VirtualBusRoot, DefaultRootFollowsTheRuntimeFolder) {
    std::string saved = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    setenv("XDG_RUNTIME_DIR", "/tmp", 1);
    EXPECT_EQ(DefaultEmulatedBusRoot(), "/tmp/tirk-vbus");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DefaultEmulatedBusRoot(), "/tmp/tirk-vbus-" + std::to_string(getuid()));
    if (!saved.empty()) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

// tirk-vdev against this process's running bus.
TEST_F(VirtualBus, ToolPlugsUnplugsAndReports) {
    std::string root = "--root " + root_.path() + " ";
    test::ToolResult result = test::RunVdev(root + "unplug keyboard-receiver");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_FALSE(Device("keyboard-receiver").IsPlugged());
    result = test::RunVdev(root + "plug keyboard-receiver");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(Device("keyboard-receiver").IsPlugged());

    result = test::RunVdev(root + "list");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find("keyboard-receiver plugged 3a7d:61e6 hidraw"), std::string::npos)
        << result.output;

    NodeClient client(Node("keyboard", 1));
    ASSERT_TRUE(client.Write(CommandFrame(0x1A)));
    ASSERT_TRUE(client.Read().has_value());
    result = test::RunVdev(root + "counts keyboard");
    EXPECT_EQ(result.output, "0x1A 1\n");
    result = test::RunVdev(root + "dump keyboard");
    EXPECT_EQ(result.output.rfind("mi1 04 ", 0), 0u) << result.output;

    result = test::RunVdev(root + "fault keyboard delay 50 2");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(Device("keyboard").Fault().kind, FaultKind::kDelay);
}

TEST_F(VirtualBus, ToolErrorsAreClearAndFail) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    std::string root = "--root " + root_.path() + " ";
    const Case cases[] = {
        {root + "plug trackball", "unknown device \"trackball\"; devices: keyboard"},
        {root + "counts trackball", "unknown device \"trackball\""},
        {root + "wiggle keyboard", "unknown command \"wiggle\""},
        {root + "fault keyboard slow", "unknown fault kind \"slow\""},
        {root + "plug keyboard", "keyboard: already plugged"},
        {"--root " + root_.path() + "/nowhere list", "no virtual HID bus at " + root_.path()},
    };
    for (const Case& c : cases) {
        test::ToolResult result = test::RunVdev(c.arguments);
        EXPECT_NE(result.exitCode, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos)
            << c.arguments << " -> " << result.output;
    }
}

}  // namespace
}  // namespace tirk::vbus
