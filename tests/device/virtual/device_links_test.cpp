// One physical device behind two links: the mouse and the keyboard are each
// reachable through their cable and their receiver, which share the device's
// memory; tirk-vdev switches between the links, sets the status block, and
// plugs devices shaped like a standard one under another identity.
#include <gtest/gtest.h>

#include "firmware_fixture.h"

namespace tirk::vbus {
namespace {

using test::Answer;
using test::Bytes;
using test::CommandFrame;
using test::Exchange;
using test::Pattern;
using test::Range;
using test::ReadRequest;

class DeviceLinks : public test::FirmwareTest {
protected:
    // Runs tirk-vdev and expects it to succeed.
    void Run(const std::string& arguments) {
        test::ToolResult result = Vdev(arguments);
        ASSERT_EQ(result.exitCode, 0) << arguments << ": " << result.output;
    }

    // The status block as the host reads it over `device`.
    Bytes Status(const std::string& device) {
        auto client = Connect(device);
        Bytes answer = Ask(*client, ReadRequest(0x1A, 6, 0));
        return answer.size() == 64 ? Range(answer, 8, 6) : Bytes{};
    }
};

// What the host writes over the cable it reads back over the receiver, in the
// receiver's 24-byte chunks, and the other way round.
TEST_F(DeviceLinks, CableAndReceiverShareOneMemory) {
    const Bytes record = Pattern(71, 0x31);
    ExpectExchanges("mouse",
                    {
                        {"chunk 1 over the cable", CommandFrame(0x06, Range(record, 0, 56), 384),
                         Answer(0x06, Range(record, 0, 56), 384)},
                        {"chunk 2 over the cable", CommandFrame(0x06, Range(record, 56, 15), 440),
                         Answer(0x06, Range(record, 56, 15), 440)},
                    });
    ExpectExchanges("mouse-receiver", {
                                          {"read 1 over the receiver", ReadRequest(0x05, 24, 384),
                                           Answer(0x05, Range(record, 0, 24), 384)},
                                          {"read 2 over the receiver", ReadRequest(0x05, 24, 408),
                                           Answer(0x05, Range(record, 24, 24), 408)},
                                          {"read 3 over the receiver", ReadRequest(0x05, 23, 432),
                                           Answer(0x05, Range(record, 48, 23), 432)},
                                      });

    const Bytes profile = Pattern(34, 0x52);
    ExpectExchanges("keyboard-receiver",
                    {
                        {"profile 2, first chunk", CommandFrame(0x06, Range(profile, 0, 24), 66),
                         Answer(0x06, Range(profile, 0, 24), 66)},
                        {"profile 2, second chunk", CommandFrame(0x06, Range(profile, 24, 10), 90),
                         Answer(0x06, Range(profile, 24, 10), 90)},
                    });
    ExpectExchanges("keyboard", {{"profile 2 over the cable", ReadRequest(0x05, 34, 66),
                                  Answer(0x05, profile, 66)}});

    EXPECT_EQ(Memory("mouse", MemoryRegion::kSettings),
              Memory("mouse-receiver", MemoryRegion::kSettings));
    EXPECT_NE(Range(Memory("mousepad", MemoryRegion::kSettings), 0, 4), Range(record, 0, 4))
        << "other devices keep their own memory";
}

// The wireless mark (byte 3 of the information and status blocks) tells the
// host which link it is on, though the memory is one.
TEST_F(DeviceLinks, WirelessMarkBelongsToTheLink) {
    for (auto [device, mark] : {std::pair{"mouse", 0},
                                {"mouse-receiver", 1},
                                {"keyboard", 0},
                                {"keyboard-receiver", 1}}) {
        SCOPED_TRACE(device);
        auto client = Connect(device);
        Bytes info = Ask(*client, ReadRequest(0x03, 4, 0));
        ASSERT_EQ(info.size(), 64u);
        EXPECT_EQ(info[8 + 3], mark);
        Bytes fromByte3 = Ask(*client, ReadRequest(0x1A, 3, 3));
        ASSERT_EQ(fromByte3.size(), 64u);
        EXPECT_EQ(fromByte3[8], mark) << "a read that starts at byte 3";
    }
}

// "wireless mouse": the receiver comes (linked), then the cable goes; the
// frames of each path are recorded on its own link, in bus order.
TEST_F(DeviceLinks, SwitchingMovesTheDeviceBetweenItsLinks) {
    Run("link mouse-receiver off");
    Run("unplug mouse-receiver");
    auto cable = Connect("mouse");
    // The cable answers whatever the receiver's link state.
    EXPECT_EQ(Ask(*cable, ReadRequest(0x05, 56, 0)),
              Answer(0x05, Range(Memory("mouse", MemoryRegion::kSettings), 0, 56)));

    Run("wireless mouse");
    EXPECT_FALSE(Device("mouse").IsPlugged());
    ASSERT_TRUE(Device("mouse-receiver").IsPlugged());
    auto receiver = Connect("mouse-receiver");
    EXPECT_EQ(Ask(*receiver, CommandFrame(0xAA)), Answer(0xAA, {0xFF}, 0, 0, 0)) << "linked";
    const Bytes chunk = Pattern(24, 0x70);
    EXPECT_EQ(Ask(*receiver, CommandFrame(0x06, chunk, 128)), Answer(0x06, chunk, 128));

    std::vector<ReceivedReport> overCable = Device("mouse").Received();
    std::vector<ReceivedReport> overReceiver = Device("mouse-receiver").Received();
    ASSERT_EQ(overCable.size(), 1u);
    ASSERT_EQ(overReceiver.size(), 2u);
    EXPECT_EQ(overCable[0].bytes[4], 56) << "wired chunk";
    EXPECT_EQ(overReceiver[1].bytes[4], 24) << "wireless chunk";
    EXPECT_LT(overCable[0].sequence, overReceiver[0].sequence);
    EXPECT_LT(overReceiver[0].sequence, overReceiver[1].sequence);
    EXPECT_EQ(Vdev("counts mouse-receiver").output, "0x06 1\n0xAA 1\n");

    Run("cable mouse-receiver");  // either link names the device
    EXPECT_TRUE(Device("mouse").IsPlugged());
    EXPECT_TRUE(Device("mouse-receiver").IsPlugged()) << "both plugged";
    ExpectExchanges("mouse", {{"written over the receiver", ReadRequest(0x05, 24, 128),
                               Answer(0x05, chunk, 128)}});
    Run("cable mouse");  // already on its cable: nothing to do
    Run("wireless keyboard");
    EXPECT_FALSE(Device("keyboard").IsPlugged());
    EXPECT_TRUE(Device("keyboard-receiver").IsPlugged());
}

TEST_F(DeviceLinks, SwitchErrorsAreClear) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"cable mousepad", "mousepad: has no cable and receiver to switch between"},
        {"wireless headset", "headset: has no cable and receiver"},
        {"wireless trackball", "unknown device \"trackball\""},
        {"cable", "cable needs one device name"},
        {"wireless mouse keyboard", "wireless needs one device name"},
    };
    for (const Case& c : cases) {
        test::ToolResult result = Vdev(c.arguments);
        EXPECT_NE(result.exitCode, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos)
            << c.arguments << " -> " << result.output;
    }
    std::string error;
    EXPECT_FALSE(bus_->PairLinks("mousepad", "mouse-receiver", &error));
    EXPECT_NE(error.find("mouse-receiver: already one link of a device"), std::string::npos)
        << error;
    EXPECT_FALSE(bus_->PairLinks("mousepad", "mousepad", &error));
    EXPECT_NE(error.find("cannot be its own receiver"), std::string::npos) << error;
}

// `status NAME LEVEL STATE [PHONE]` sets bytes 0, 1 and 5 of the block that
// ReadStatus returns; the cable and the receiver of a device show the same.
TEST_F(DeviceLinks, StatusCommandSetsTheBlockPerDeviceKind) {
    struct Case {
        const char* what;
        std::string command;  // "" keeps the last one's setting
        std::string device;
        Bytes status;
    };
    const Case cases[] = {
        {"mouse over its cable", "status mouse 40 2 3", "mouse", {40, 2, 0, 0, 0, 3}},
        {"the same mouse over its receiver", "", "mouse-receiver", {40, 2, 0, 1, 0, 3}},
        {"set through the receiver", "status mouse-receiver 65 1", "mouse", {65, 1, 0, 0, 0, 0}},
        {"wireless keyboard",
         "status keyboard-receiver 15 2",
         "keyboard-receiver",
         {15, 2, 0, 1, 0, 0}},
        {"the keyboard on its cable", "", "keyboard", {15, 2, 0, 0, 0, 0}},
        {"mouse pad with a Samsung charging",
         "status mousepad 55 1 2",
         "mousepad",
         {55, 1, 0, 0, 0, 2}},
        {"mouse pad, full, iPhone", "status mousepad 100 0 1", "mousepad", {100, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.command.empty()) Run(c.command);
        EXPECT_EQ(Status(c.device), c.status);
    }
    EXPECT_EQ(Status("headset"), Bytes({100, 0, 0, 0, 0, 0})) << "untouched: powered, full";
}

// Unless set by hand, the charging state follows the cable: charging on it
// (powered once full), on battery without it.
TEST_F(DeviceLinks, ChargingFollowsTheCable) {
    EXPECT_EQ(Status("mouse-receiver"), Bytes({80, 1, 0, 1, 0, 0})) << "cable plugged too";
    Run("wireless mouse");
    EXPECT_EQ(Status("mouse-receiver"), Bytes({80, 2, 0, 1, 0, 0}));
    Run("status mouse-receiver 100 1");
    EXPECT_EQ(Status("mouse-receiver"), Bytes({100, 1, 0, 1, 0, 0})) << "as set";
    Run("cable mouse");
    EXPECT_EQ(Status("mouse"), Bytes({100, 0, 0, 0, 0, 0})) << "the cable came: full, powered";
    Run("status mouse 30 2");
    Run("unplug mouse");
    Run("plug mouse");
    EXPECT_EQ(Status("mouse"), Bytes({30, 1, 0, 0, 0, 0}));
}

TEST_F(DeviceLinks, PlugAsMakesADeviceOfTheSameShapeWithAnotherIdentity) {
    Run("plug-as mouse2 mouse 3A7D 0x61F0");
    test::ToolResult list = Vdev("list");
    EXPECT_NE(list.output.find("mouse2 plugged 3a7d:61f0 hidraw"), std::string::npos)
        << list.output;
    VirtualHidDevice& added = Device("mouse2");
    EXPECT_EQ(added.spec().productId, 0x61F0);
    ASSERT_EQ(added.spec().interfaces.size(), Device("mouse").spec().interfaces.size());
    for (size_t i = 0; i < added.spec().interfaces.size(); ++i)
        EXPECT_EQ(added.spec().interfaces[i].reportDescriptor,
                  Device("mouse").spec().interfaces[i].reportDescriptor);

    const Bytes record = Pattern(24, 0x11);
    ExpectExchanges("mouse2",
                    {{"information", ReadRequest(0x03, 4, 0), Answer(0x03, {2, 1, 4, 0})},
                     {"own memory", CommandFrame(0x06, record, 128), Answer(0x06, record, 128)}});
    EXPECT_NE(Range(Memory("mouse", MemoryRegion::kSettings), 128, 24), record)
        << "a device of its own, not another link of the mouse";

    std::string error;
    VirtualHidDevice* receiver =
        bus_->PlugAs("receiver2", "mouse-receiver", 0x3A7D, 0x61F1, &error);
    ASSERT_NE(receiver, nullptr) << error;
    EXPECT_TRUE(receiver->IsPlugged());
    ExpectExchanges("receiver2",
                    {{"a linked receiver", CommandFrame(0xAA), Answer(0xAA, {0xFF}, 0, 0, 0)},
                     {"wireless mark", ReadRequest(0x03, 4, 0), Answer(0x03, {2, 1, 4, 1})}});
}

TEST_F(DeviceLinks, PlugAsErrorsAreClear) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"plug-as mouse3 trackball 3A7D 61F0", "unknown device \"trackball\""},
        {"plug-as mouse mouse 3A7D 61F0", "device name \"mouse\" is empty or already taken"},
        {"plug-as mouse3 mouse 3A7DZ 61F0", "plug-as needs NAME LIKE VENDOR PRODUCT"},
        {"plug-as mouse3 mouse 3A7D 10000", "plug-as needs NAME LIKE VENDOR PRODUCT"},
        {"plug-as mouse3 mouse 3A7D", "plug-as needs NAME LIKE VENDOR PRODUCT"},
    };
    for (const Case& c : cases) {
        test::ToolResult result = Vdev(c.arguments);
        EXPECT_NE(result.exitCode, 0) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos)
            << c.arguments << " -> " << result.output;
    }
    EXPECT_EQ(bus_->Find("mouse3"), nullptr) << "nothing was added";
}

}  // namespace
}  // namespace tirk::vbus
