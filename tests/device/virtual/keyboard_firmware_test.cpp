// What only the virtual keyboard does: key reports and its own profile
// reports on request (tirk-vdev key, report), the live frames it keeps, and
// the USB timing model (tirk-vdev timing), counted in intervals, not time.
#include "device/virtual/keyboard_firmware.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "firmware_fixture.h"

namespace tirk::vbus {
namespace {

using test::Answer;
using test::Bytes;
using test::CommandFrame;
using test::FirmwareTest;
using test::Pattern;
using test::ReadRequest;

class KeyboardFirmwareTest : public FirmwareTest {
protected:
    void WithKeyboard(const std::function<void(KeyboardFirmware&, FirmwareIo&)>& task,
                      const std::string& name = "keyboard") {
        With<KeyboardFirmware>(name, task);
    }

    // Runs tirk-vdev and returns its output; a failed run fails the test.
    std::string VdevOk(const std::string& arguments) {
        test::ToolResult result = Vdev(arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments << ": " << result.output;
        return result.output;
    }
};

TEST_F(KeyboardFirmwareTest, BothKeyboardLinksRunTheKeyboardFirmware) {
    for (const char* name : {"keyboard", "keyboard-receiver"}) {
        bool keyboard = false;
        Device(name).WithFirmware([&](VirtualFirmware& f, FirmwareIo&) {
            keyboard = dynamic_cast<KeyboardFirmware*>(&f) != nullptr;
        });
        EXPECT_TRUE(keyboard) << name;
    }
    bool copied = false;
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) {
        copied = dynamic_cast<KeyboardFirmware*>(f.FactoryCopy("keyboard2").get()) != nullptr;
    });
    EXPECT_TRUE(copied) << "a keyboard plugged with plug-as is a keyboard";
}

// "key NAME KEY down|up": 0x05xx and 0x06xx on the consumer collection, each
// key pressed before it is released.
TEST_F(KeyboardFirmwareTest, KeyReports) {
    auto client = Connect("keyboard");
    VdevOk("key keyboard 65 down");
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x41, 0x05}));
    VdevOk("key keyboard 0x6F down");
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x6F, 0x05}));
    VdevOk("key keyboard 65 up");
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x41, 0x06}));

    struct Refusal {
        std::string command;
        std::string says;
    };
    const Refusal refusals[] = {
        {"key keyboard 65 up", "key 65 is already up"},
        {"key keyboard 111 down", "key 111 is already down"},
        {"key keyboard 112 down", "the keyboard has keys 0 to 111"},
        {"key keyboard 5 sideways", "key needs KEY"},
        {"key keyboard 5", "key needs KEY"},
        {"key mouse 1 down", "has no command \"key\""},
    };
    for (const Refusal& r : refusals) {
        test::ToolResult result = Vdev(r.command);
        EXPECT_NE(result.exitCode, 0) << r.command;
        EXPECT_NE(result.output.find(r.says), std::string::npos)
            << r.command << ": " << result.output;
    }
    VdevOk("link keyboard-receiver off");
    EXPECT_NE(Vdev("key keyboard-receiver 3 down").output.find("not linked"), std::string::npos);

    // Unplugging releases every key.
    VdevOk("unplug keyboard");
    VdevOk("plug keyboard");
    client = Connect("keyboard");
    VdevOk("key keyboard 111 down");
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x6F, 0x05}));
}

// "report NAME CODE": the keyboard's memory changes as the report says, then
// the report goes out; the receiver reaches the same keyboard.
TEST_F(KeyboardFirmwareTest, OwnReportsChangeTheKeyboardFirst) {
    auto client = Connect("keyboard");
    struct Case {
        std::string code;
        Bytes report;
        uint8_t active;
        size_t byte17At;  ///< settings offset of the byte 17 that changes (0: none)
        uint8_t byte17;
    };
    const Case cases[] = {
        {"0x1123", {0x03, 0x23, 0x11}, 3, 3 * 33 + 17, 2}, {"0x10A7", {0x03, 0xA7, 0x10}, 7, 0, 0},
        {"0x1105", {0x03, 0x05, 0x11}, 5, 5 * 33 + 17, 0}, {"1025", {0x03, 0x01, 0x04}, 5, 0, 0},
        {"0x0402", {0x03, 0x02, 0x04}, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Bytes before = Memory("keyboard", MemoryRegion::kSettings);
        VdevOk("report keyboard " + c.code);
        EXPECT_EQ(client->Read(), c.report);
        Bytes expected = before;
        expected[0] = c.active;
        if (c.byte17At != 0) expected[c.byte17At] = c.byte17;
        EXPECT_EQ(Memory("keyboard", MemoryRegion::kSettings), expected);
    }
    uint8_t active = 0;
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) { active = f.ActiveProfile(); });
    EXPECT_EQ(active, 5);

    VdevOk("report keyboard-receiver 0x1002");
    EXPECT_EQ(Memory("keyboard", MemoryRegion::kSettings)[0], 2) << "one keyboard, two links";

    const Bytes settings = Memory("keyboard", MemoryRegion::kSettings);
    for (const char* refused : {"0x1008", "0x0435", "0x0541", "0x1200", "70000"}) {
        test::ToolResult result = Vdev(std::string("report keyboard ") + refused);
        EXPECT_NE(result.exitCode, 0) << refused;
        EXPECT_FALSE(result.output.empty());
    }
    EXPECT_NE(Vdev("report keyboard 0x1008").output.find("profiles 0 to 7"), std::string::npos);
    EXPECT_EQ(Memory("keyboard", MemoryRegion::kSettings), settings) << "refusals change nothing";
    VdevOk("report keyboard 0x0401");
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x01, 0x04})) << "and send nothing";
}

// The keyboard keeps what the host writes and gives it back: records per
// profile slot, colour groups, and every live frame as the chunks made it.
TEST_F(KeyboardFirmwareTest, KeepsWhatTheHostWrites) {
    const Bytes record = Pattern(34, 0x40), colours = Pattern(56, 0x50);
    const Bytes first = Pattern(112, 0x60), second = Pattern(56, 0x70);
    auto client = Connect("keyboard");
    const Bytes requests[] = {
        CommandFrame(0x06, record, 4 * 33),
        CommandFrame(0x0B, colours, 3 * 512),
        CommandFrame(0x12, test::Range(first, 0, 56), 0),
        CommandFrame(0x12, test::Range(first, 56, 56), 56),
        CommandFrame(0x12, second, 0),
    };
    for (const Bytes& request : requests) ASSERT_EQ(Ask(*client, request).size(), 64u);
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) {
        EXPECT_EQ(f.ProfileRecord(4), record);
        EXPECT_TRUE(f.ProfileRecord(8).empty());
        EXPECT_EQ(test::Range(f.ColourGroup(3), 0, 56), colours);
        EXPECT_TRUE(f.ColourGroup(8).empty());
        ASSERT_EQ(f.LiveFrames().size(), 2u);
        EXPECT_EQ(f.LiveFrames()[0], first);
        EXPECT_EQ(f.LiveFrames()[1], second);
    });
    ExpectExchanges("keyboard", {{"read the record back", ReadRequest(0x05, 34, 4 * 33),
                                  Answer(0x05, record, 4 * 33)}});
}

// "record NAME [BYTE VALUE]": a byte of the active profile's record changes
// as the keyboard's own buttons would change it (the host hears of it only
// from a report); bare, it shows the record. Refusals change nothing.
TEST_F(KeyboardFirmwareTest, RecordCommandSetsAByteOfTheActiveProfile) {
    EXPECT_EQ(VdevOk("record keyboard").substr(0, 18), "01 04 02 00 01 FF ") << "factory record";
    WithKeyboard(
        [](KeyboardFirmware& f, FirmwareIo&) { f.MutableMemory(MemoryRegion::kSettings)[0] = 3; });
    const Bytes before = Memory("keyboard", MemoryRegion::kSettings);
    const std::string shown = VdevOk("record keyboard 1 30");
    EXPECT_EQ(shown.substr(0, 6), "1E 04 ");
    EXPECT_EQ(shown.size(), 33u * 3) << "bytes 1 to 33";
    VdevOk("record keyboard-receiver 33 0x7F");
    Bytes expected = before;
    expected[3 * 33 + 1] = 30;
    expected[3 * 33 + 33] = 0x7F;
    EXPECT_EQ(Memory("keyboard", MemoryRegion::kSettings), expected) << "one keyboard, two links";
    Bytes record;
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) { record = f.ProfileRecord(3); });
    ASSERT_EQ(record.size(), 34u);
    EXPECT_EQ(record[1], 30) << "what the host reads";

    for (const char* refused : {"record keyboard 0 5", "record keyboard 34 1",
                                "record keyboard 1 256", "record keyboard 1", "record mouse 1 6"}) {
        test::ToolResult result = Vdev(refused);
        EXPECT_NE(result.exitCode, 0) << refused;
        EXPECT_FALSE(result.output.empty()) << refused;
    }
    EXPECT_EQ(Memory("keyboard", MemoryRegion::kSettings), expected) << "refusals change nothing";
}

TEST_F(KeyboardFirmwareTest, TimingCommand) {
    EXPECT_EQ(VdevOk("timing keyboard"), "off\n");
    EXPECT_EQ(VdevOk("timing keyboard usb"), "usb\n");
    EXPECT_EQ(VdevOk("timing keyboard"), "usb\n");
    EXPECT_EQ(VdevOk("timing keyboard off"), "off\n");
    EXPECT_NE(Vdev("timing keyboard fast").exitCode, 0);
    EXPECT_NE(Vdev("timing mouse usb").exitCode, 0);
}

// Each interval index at most once.
::testing::AssertionResult OnePerInterval(const std::vector<int64_t>& intervals) {
    std::map<int64_t, int> counts;
    for (int64_t interval : intervals)
        if (++counts[interval] > 1)
            return ::testing::AssertionFailure() << "two reports in interval " << interval;
    return ::testing::AssertionSuccess();
}

// With the USB timing on, twenty requests written at once are taken one per
// OUT interval and answered one per IN interval, each answer in a later
// interval than its request, in order; with it off no intervals are counted.
TEST_F(KeyboardFirmwareTest, UsbTimingMovesOneReportPerInterval) {
    VdevOk("timing keyboard usb");
    auto client = Connect("keyboard");
    constexpr int kRequests = 20;
    for (int i = 0; i < kRequests; ++i)
        ASSERT_TRUE(client->Write(ReadRequest(0x05, 1, static_cast<uint16_t>(i))));
    VdevOk("key keyboard 3 down");
    Bytes settings = Memory("keyboard", MemoryRegion::kSettings);
    std::vector<Bytes> reports;
    for (int i = 0; i < kRequests + 1; ++i) reports.push_back(client->Read().value_or(Bytes{}));
    for (int i = 0; i < kRequests; ++i)
        EXPECT_TRUE(std::find(reports.begin(), reports.end(),
                              Answer(0x05, {settings[i]}, static_cast<uint16_t>(i))) !=
                    reports.end())
            << "answer " << i;
    EXPECT_TRUE(std::find(reports.begin(), reports.end(), Bytes({0x03, 0x03, 0x05})) !=
                reports.end());

    std::vector<int64_t> out, in;
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) {
        out = f.Intervals().OutIntervals();
        in = f.Intervals().InIntervals();
    });
    ASSERT_EQ(out.size(), size_t(kRequests));
    ASSERT_EQ(in.size(), size_t(kRequests + 1)) << "answers and the key report";
    EXPECT_TRUE(OnePerInterval(out));
    EXPECT_TRUE(OnePerInterval(in));
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end()));
    EXPECT_TRUE(std::is_sorted(in.begin(), in.end()));
    // The answers keep the order of the requests (the key report went out
    // somewhere among them).
    std::vector<int> offsets;
    for (const Bytes& r : reports)
        if (r.size() == 64) offsets.push_back(r[5]);
    for (int i = 0; i < kRequests; ++i) EXPECT_EQ(offsets[i], i);
    EXPECT_GE(in.back() - out.front(), kRequests) << "twenty answers need twenty intervals";

    VdevOk("timing keyboard off");
    ASSERT_EQ(Ask(*client, ReadRequest(0x05, 1, 0)).size(), 64u);
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) {
        EXPECT_EQ(f.Intervals().OutIntervals().size(), size_t(kRequests));
    });
}

// One exchange at a time (as the command channel does it): each answer is in
// the interval after its request at the earliest.
TEST_F(KeyboardFirmwareTest, UsbTimingRoundTrip) {
    VdevOk("timing keyboard usb");
    auto client = Connect("keyboard");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Ask(*client, ReadRequest(0x03, 6, 0)).size(), 64u);
    WithKeyboard([&](KeyboardFirmware& f, FirmwareIo&) {
        const auto& out = f.Intervals().OutIntervals();
        const auto& in = f.Intervals().InIntervals();
        ASSERT_EQ(out.size(), 5u);
        ASSERT_EQ(in.size(), 5u);
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_GT(in[i], out[i]) << i;
            if (i > 0) {
                EXPECT_GE(out[i], in[i - 1]) << "the next request follows the answer";
            }
        }
    });
}

// A report waiting for an interval goes out at the interval's start, to the
// microsecond: the answer to a request made late in an interval must not
// carry that lateness into the next one, or back-to-back exchanges drift and
// lose an interval every few exchanges.
TEST(UsbIntervalClockTest, WaitsUntilTheIntervalStarts) {
    using std::chrono::microseconds;
    struct Case {
        int64_t interval;
        microseconds now;  ///< since the epoch
        microseconds wait;
    };
    const Case cases[] = {
        {1, microseconds(300), microseconds(700)},   {1, microseconds(999), microseconds(1)},
        {3, microseconds(1250), microseconds(1750)}, {1, microseconds(1000), microseconds(0)},
        {1, microseconds(1400), microseconds(0)},
    };
    UsbIntervalClock clock;
    const UsbIntervalClock::Clock::time_point epoch{std::chrono::seconds(100)};
    clock.Start(epoch);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now.count());
        EXPECT_EQ(clock.WaitUntil(c.interval, epoch + c.now), c.wait) << c.interval;
    }
}

}  // namespace
}  // namespace tirk::vbus
