// The family firmwares of the standard virtual devices, seen from the wire:
// each case states the exact request frame and the exact answer frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <type_traits>

#include "device/virtual/command_firmware.h"
#include "device/virtual/headset_firmware.h"
#include "device/virtual/standard_devices.h"
#include "firmware_fixture.h"

namespace tirk::vbus {
namespace {

using test::Answer;
using test::Bytes;
using test::CommandFrame;
using test::Exchange;
using test::FirmwareTest;
using test::NodeClient;
using test::Pattern;
using test::Range;
using test::ReadRequest;
using test::Sealed;

// The information block as a host reads it in one frame, per device.
TEST_F(FirmwareTest, DeviceInformationBlockPerDevice) {
    auto Info = [](Bytes head) {
        head.resize(34, 0);
        return head;
    };
    struct Case {
        std::string device;
        Bytes info;
    };
    const Case cases[] = {
        // family, version 1.4, wireless, 8 slots, 11 keys, 16 × 128 macro bytes, 15 LEDs,
        // 5 report rates, sensor 0x3325, step 50, 85 slider steps, minimum 200 DPI
        {"mouse", Info({2, 1, 4, 0, 8, 11, 16, 15, 5, 0x25, 0x33, 50, 85, 0, 200, 0})},
        {"mouse-receiver", Info({2, 1, 4, 1, 8, 11, 16, 15, 5, 0x25, 0x33, 50, 85, 0, 200, 0})},
        {"keyboard", Info({1, 2, 1, 0, 8, 112, 8, 170, 4})},
        {"keyboard-receiver", Info({1, 2, 1, 1, 8, 112, 8, 170, 4})},
        {"mousepad", Info({3, 1, 2, 0, 4, 0, 0, 15, 0})},
        {"headset", Info({7, 1, 0, 0, 4, 0, 0, 13, 0})},
    };
    for (const Case& c : cases)
        ExpectExchanges(c.device, {{"info", ReadRequest(0x03, 34, 0), Answer(0x03, c.info)}});
}

// Every read operation of the table against the mouse's factory memory, in the
// 24-byte chunks a receiver link uses.
TEST_F(FirmwareTest, MouseAnswersEveryOperation) {
    const Bytes info = {2, 1, 4, 0, 8, 11, 16, 15, 5, 0x25, 0x33, 50, 85, 0, 200, 0};
    const Bytes factoryKeys = {0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x04, 0x00, 0x10, 0x08,
                               0x00, 0x10, 0x10, 0x00, 0x13, 0x01, 0x00, 0x13, 0x02, 0x00, 0x13,
                               0x03, 0x00, 0xA0, 0x1B, 0x00, 0x16, 0x90, 0x01, 0x14, 0x78, 0x02};
    Bytes infoHead = info;
    infoHead.resize(24, 0);
    ExpectExchanges(
        "mouse",
        {
            {"begin write", CommandFrame(0x01), Answer(0x01, {})},
            {"info, first chunk", ReadRequest(0x03, 24, 0), Answer(0x03, infoHead)},
            {"info, second chunk", ReadRequest(0x03, 10, 24), Answer(0x03, Bytes(10, 0), 24)},
            {"current slot", ReadRequest(0x05, 1, 0), Answer(0x05, {0})},
            {"slot 2: lighting, report rate 3, DPI stage 2", ReadRequest(0x05, 14, 256),
             Answer(0x05, {0, 0, 4, 2, 0, 1, 255, 0, 0, 0, 0, 3, 2, 0}, 256)},
            {"slot 2: stages 400 and 800 DPI", ReadRequest(0x05, 18, 270),
             Answer(0x05, {1, 0, 0x90, 1, 0x90, 1, 255, 0, 0, 1, 0, 0x20, 3, 0x20, 3, 0, 255, 0},
                    270)},
            {"slot 2: screen size", ReadRequest(0x05, 5, 315),
             Answer(0x05, {1, 0x80, 0x07, 0x38, 0x04}, 315)},
            {"key table, first chunk", ReadRequest(0x07, 24, 0),
             Answer(0x07, Range(factoryKeys, 0, 24))},
            {"key table, second chunk", ReadRequest(0x07, 9, 24),
             Answer(0x07, Range(factoryKeys, 24, 9), 24)},
            // 80 % and charging: a wireless mouse on its cable.
            {"status", ReadRequest(0x1A, 6, 0), Answer(0x1A, {80, 1, 0, 0, 0, 0})},
            {"light index table", ReadRequest(0x1B, 11, 0), Answer(0x1B, Bytes(11, 0))},
            {"online", CommandFrame(0xAA), Answer(0xAA, {0xFF}, 0, 0, 0)},
            {"resume lighting", CommandFrame(0x1C), Answer(0x1C, {})},
            {"end write", CommandFrame(0x02), Answer(0x02, {})},
        });
}

TEST_F(FirmwareTest, OutOfRangeIsStatusFEAndUnknownCommandFF) {
    Bytes tooLong = CommandFrame(0x06, Pattern(56, 1), 0);
    tooLong[4] = 57;
    tooLong = Sealed(tooLong);
    ExpectExchanges(
        "mouse",
        {
            {"settings end", ReadRequest(0x05, 1, 1024), Answer(0x05, {}, 1024, 0xFE, 1)},
            {"across the settings end", CommandFrame(0x06, Pattern(25, 3), 1000),
             Answer(0x06, {}, 1000, 0xFE, 25)},
            {"past the info block", ReadRequest(0x03, 5, 30), Answer(0x03, {}, 30, 0xFE, 5)},
            {"key table bank 1", CommandFrame(0x09, {1, 2, 3}, 512),
             Answer(0x09, {}, 512, 0xFE, 3)},
            {"a mouse has no banks", ReadRequest(0x0A, 3, 0), Answer(0x0A, {}, 0, 0xFE, 3)},
            {"past the status block", ReadRequest(0x1A, 1, 56), Answer(0x1A, {}, 56, 0xFE, 1)},
            {"macros past 2048 bytes", CommandFrame(0x15, Pattern(20, 5), 2040),
             Answer(0x15, {}, 2040, 0xFE, 20)},
            {"57 data bytes", tooLong, Answer(0x06, {}, 0, 0xFE, 57)},
            {"unknown command", CommandFrame(0x44, {1}), Answer(0x44, {}, 0, 0xFF, 1)},
        });
    EXPECT_EQ(Range(Memory("mouse", MemoryRegion::kSettings), 1000, 24), Bytes(24, 0))
        << "a refused write stores nothing";
    EXPECT_EQ(Memory("mouse", MemoryRegion::kSettings)[0], 0);
}

TEST_F(FirmwareTest, BadChecksumIsRejectedWithFFAndRecorded) {
    Bytes request = CommandFrame(0x06, {9, 9, 9}, 256);
    request[1] ^= 0x01;
    ExpectExchanges("mouse", {{"bad checksum", request, Answer(0x06, {}, 256, 0xFF, 3)}});
    EXPECT_EQ(Range(Memory("mouse", MemoryRegion::kSettings), 256, 3), Bytes({0, 0, 4}));
    test::ToolResult errors = Vdev("errors mouse");
    EXPECT_EQ(errors.exitCode, 0);
    EXPECT_NE(errors.output.find("command 0x06: checksum"), std::string::npos) << errors.output;
    EXPECT_EQ(Vdev("errors keyboard").output, "") << "errors are per device";
}

// Write settings slot 2 in 56 + 15 bytes, read it back in 24-byte chunks; the
// neighbouring slots keep their records.
TEST_F(FirmwareTest, MouseSettingsSlotRoundTrip) {
    const Bytes record = Pattern(71, 0x40);
    Bytes before = Memory("mouse", MemoryRegion::kSettings);
    ExpectExchanges(
        "mouse",
        {
            {"begin", CommandFrame(0x01), Answer(0x01, {})},
            {"chunk 1", CommandFrame(0x06, Range(record, 0, 56), 256),
             Answer(0x06, Range(record, 0, 56), 256)},
            {"chunk 2", CommandFrame(0x06, Range(record, 56, 15), 312),
             Answer(0x06, Range(record, 56, 15), 312)},
            {"end", CommandFrame(0x02), Answer(0x02, {})},
            {"read 1", ReadRequest(0x05, 24, 256), Answer(0x05, Range(record, 0, 24), 256)},
            {"read 2", ReadRequest(0x05, 24, 280), Answer(0x05, Range(record, 24, 24), 280)},
            {"read 3", ReadRequest(0x05, 23, 304), Answer(0x05, Range(record, 48, 23), 304)},
        });
    Bytes after = Memory("mouse", MemoryRegion::kSettings);
    EXPECT_EQ(Range(after, 128, 128), Range(before, 128, 128)) << "slot 1";
    EXPECT_EQ(Range(after, 384, 128), Range(before, 384, 128)) << "slot 3";
}

// The keyboard's 34-byte record of profile p lives at p × 33.
TEST_F(FirmwareTest, KeyboardProfileRecordRoundTrip) {
    const Bytes record = Pattern(34, 0x11);
    ExpectExchanges(
        "keyboard",
        {
            {"active profile", ReadRequest(0x05, 1, 0), Answer(0x05, {0})},
            {"profile 1 as shipped", ReadRequest(0x05, 9, 33),
             Answer(0x05, {0, 1, 4, 2, 0, 1, 255, 0, 0}, 33)},
            {"write profile 3", CommandFrame(0x06, record, 99), Answer(0x06, record, 99)},
            {"read profile 3", ReadRequest(0x05, 34, 99), Answer(0x05, record, 99)},
            {"last profile's end", ReadRequest(0x05, 34, 7 * 33),
             Answer(0x05, Range(Memory("keyboard", MemoryRegion::kSettings), 231, 34), 231)},
            {"past it", ReadRequest(0x05, 34, 8 * 33), Answer(0x05, {}, 264, 0xFE, 34)},
        });
}

// A key table written in six 56-byte frames lands in the assignment table; a
// read of the key table gives the factory codes the host maps keys by.
TEST_F(FirmwareTest, KeyboardKeyTableAcrossFrames) {
    const size_t size = 3 * 112;
    const Bytes table = Pattern(size, 0x21);
    const Bytes factory = Memory("keyboard", MemoryRegion::kFactoryKeys);
    ASSERT_EQ(Range(factory, 0, 6), Bytes({0xD0, 0xA2, 0x01, 0xD0, 0xA2, 0x02}));
    std::vector<Exchange> exchanges = {{"begin", CommandFrame(0x01), Answer(0x01, {})}};
    for (size_t i = 0; i < size; i += 56) {
        size_t n = std::min<size_t>(56, size - i);
        Bytes part = Range(table, i, n);
        exchanges.push_back({"write at " + std::to_string(i),
                             CommandFrame(0x09, part, static_cast<uint16_t>(i)),
                             Answer(0x09, part, static_cast<uint16_t>(i))});
    }
    exchanges.push_back({"end", CommandFrame(0x02), Answer(0x02, {})});
    for (size_t i = 0; i < size; i += 24) {
        size_t n = std::min<size_t>(24, size - i);
        exchanges.push_back({"read at " + std::to_string(i),
                             ReadRequest(0x07, n, static_cast<uint16_t>(i)),
                             Answer(0x07, Range(factory, i, n), static_cast<uint16_t>(i))});
    }
    exchanges.push_back(
        {"Fn layer", CommandFrame(0x27, {0x20, 0, 0x3A}, 3), Answer(0x27, {0x20, 0, 0x3A}, 3)});
    ExpectExchanges("keyboard", exchanges);
    Bytes written = Memory("keyboard", MemoryRegion::kKeyTable);
    EXPECT_EQ(Range(written, 0, size), table);
    EXPECT_EQ(Range(written, size, 512 - size), Bytes(512 - size, 0));
    EXPECT_EQ(Range(Memory("keyboard", MemoryRegion::kFnKeyTable), 0, 6),
              Bytes({0, 0, 0, 0x20, 0, 0x3A}));
}

TEST_F(FirmwareTest, KeyboardLightIndexTableIsAPermutationOfItsLeds) {
    Bytes table;
    auto client = Connect("keyboard");
    for (uint16_t i = 0; i < 112; i += 56) {
        Bytes answer = Ask(*client, ReadRequest(0x1B, 56, i));
        ASSERT_EQ(answer.size(), 64u);
        EXPECT_EQ(answer[7], 0) << "status";
        table.insert(table.end(), answer.begin() + 8, answer.end());
    }
    std::set<uint8_t> distinct(table.begin(), table.end());
    EXPECT_EQ(distinct.size(), 112u);
    EXPECT_EQ(*distinct.rbegin(), 111);
    EXPECT_EQ(Range(table, 14, 4), Bytes({14, 15, 31, 30})) << "the chain turns at 16";
}

TEST_F(FirmwareTest, BanksLightFramesMacrosAndRecoil) {
    const Bytes colours = Pattern(56, 0x30);
    const Bytes frame = Pattern(6, 0x90);
    bool hostDrives = false;
    ExpectExchanges(
        "keyboard",
        {
            {"colour group 2", CommandFrame(0x0B, colours, 1024), Answer(0x0B, colours, 1024)},
            {"read it back", ReadRequest(0x0A, 24, 1040),
             Answer(0x0A, Range(colours, 16, 24), 1040)},
            {"group 8 does not exist", ReadRequest(0x0A, 3, 4096), Answer(0x0A, {}, 4096, 0xFE, 3)},
            {"live frame", CommandFrame(0x12, frame, 0), Answer(0x12, frame, 0)},
        });
    EXPECT_EQ(Range(Memory("keyboard", MemoryRegion::kLightFrame), 0, 6), frame);
    With("keyboard", [&](CommandFirmware& f, FirmwareIo&) { hostDrives = f.HostDrivesLighting(); });
    EXPECT_TRUE(hostDrives);
    ExpectExchanges("keyboard", {{"resume", CommandFrame(0x1C), Answer(0x1C, {})}});
    With("keyboard", [&](CommandFirmware& f, FirmwareIo&) { hostDrives = f.HostDrivesLighting(); });
    EXPECT_FALSE(hostDrives) << "ResumeLighting hands the lighting back to the keyboard";

    const Bytes macros = {0xAA, 0x55, 28, 0,  1, 0, 0, 0, 0, 0,  0, 0,    0,
                          0,    0,    0,  18, 0, 1, 0, 0, 0, 10, 0, 0x81, 0x04};
    const Bytes recoil = Pattern(56, 0x05);
    ExpectExchanges("mouse",
                    {
                        {"macro block", CommandFrame(0x15, macros, 0), Answer(0x15, macros, 0)},
                        {"recoil block", CommandFrame(0x17, recoil, 56), Answer(0x17, recoil, 56)},
                    });
    EXPECT_EQ(Range(Memory("mouse", MemoryRegion::kMacros), 0, macros.size()), macros);
    EXPECT_EQ(Range(Memory("mouse", MemoryRegion::kRecoil), 56, 56), recoil);
    ExpectExchanges("mousepad", {{"a pad has no macros", CommandFrame(0x15, {1}, 0),
                                  Answer(0x15, {}, 0, 0xFE, 1)}});
}

TEST_F(FirmwareTest, ReceiverAnswersAAWhileItsDeviceIsAway) {
    const Bytes settingsBefore = Memory("mouse-receiver", MemoryRegion::kSettings);
    test::ToolResult result = Vdev("link mouse-receiver off");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ExpectExchanges(
        "mouse-receiver",
        {
            {"info", ReadRequest(0x03, 24, 0), Answer(0xAA, {}, 0, 0, 0)},
            {"settings write", CommandFrame(0x06, {1, 2, 3}, 256), Answer(0xAA, {}, 256, 0, 0)},
            {"begin write", CommandFrame(0x01), Answer(0xAA, {}, 0, 0, 0)},
            {"status", ReadRequest(0x1A, 6, 0), Answer(0xAA, {}, 0, 0, 0)},
            {"online", CommandFrame(0xAA), Answer(0xAA, {0x00}, 0, 0, 0)},
        });
    EXPECT_EQ(Memory("mouse-receiver", MemoryRegion::kSettings), settingsBefore);

    ASSERT_EQ(Vdev("link mouse-receiver on").exitCode, 0);
    ExpectExchanges("mouse-receiver",
                    {
                        {"online", CommandFrame(0xAA), Answer(0xAA, {0xFF}, 0, 0, 0)},
                        // The mouse's cable is plugged too, so it charges.
                        {"status: charging, wireless mark", ReadRequest(0x1A, 6, 0),
                         Answer(0x1A, {80, 1, 0, 1, 0, 0})},
                    });
    result = Vdev("link mouse off");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find("mouse: not a receiver"), std::string::npos) << result.output;
}

TEST_F(FirmwareTest, StatusBlockFollowsTheStatusCommand) {
    ASSERT_EQ(Vdev("status mousepad 55 1 2").exitCode, 0);
    ASSERT_EQ(Vdev("status keyboard-receiver 15 2").exitCode, 0);
    ExpectExchanges("mousepad", {{"charging, Samsung on the charger", ReadRequest(0x1A, 6, 0),
                                  Answer(0x1A, {55, 1, 0, 0, 0, 2})}});
    ExpectExchanges("keyboard-receiver",
                    {{"low battery", ReadRequest(0x1A, 6, 0), Answer(0x1A, {15, 2, 0, 1, 0, 0})}});
    EXPECT_NE(Vdev("status mouse 101 0").exitCode, 0);
}

TEST_F(FirmwareTest, NotificationsArriveOnTheConsumerCollection) {
    auto client = Connect("mouse");
    test::ToolResult result = Vdev("notify mouse 1025");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x01, 0x04}));
    ASSERT_EQ(Vdev("notify mouse 0x1103").exitCode, 0);
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x03, 0x11}));
    bool sent = false;
    With("mouse", [&](CommandFirmware& f, FirmwareIo& io) { sent = f.Notify(0x0402, io); });
    EXPECT_TRUE(sent);
    EXPECT_EQ(client->Read(), Bytes({0x03, 0x02, 0x04}));

    result = Vdev("notify headset 1025");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find("no notification collection"), std::string::npos);
    ASSERT_EQ(Vdev("link keyboard-receiver off").exitCode, 0);
    result = Vdev("notify keyboard-receiver 1025");
    EXPECT_NE(result.output.find("not linked"), std::string::npos) << result.output;
    EXPECT_NE(Vdev("notify mouse 70000").exitCode, 0);
}

// Each fault, set with tirk-vdev for one answer, spoils that answer exactly so;
// the answer after it is good again.
TEST_F(FirmwareTest, EachFaultIsVisibleOnTheWire) {
    const Bytes request = ReadRequest(0x05, 3, 256);
    const Bytes good = Answer(0x05, {0, 0, 4}, 256);
    auto Spoiled = [&](size_t at, uint8_t value) {
        Bytes spoiled = good;
        spoiled[at] = value;
        return Sealed(spoiled);
    };
    struct Case {
        std::string fault;
        Bytes answer;
    };
    const Case cases[] = {
        {"status FF 1", Spoiled(7, 0xFF)},
        {"status FE 1", Spoiled(7, 0xFE)},
        {"wrongecho 1", Spoiled(3, 0x85)},
        {"short 1", Range(good, 0, 8)},
    };
    auto client = Connect("mouse");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(Vdev("fault mouse " + c.fault).exitCode, 0);
        EXPECT_EQ(Ask(*client, request), c.answer);
        EXPECT_EQ(Ask(*client, request), good);
    }

    ASSERT_EQ(Vdev("fault mouse garbage 1").exitCode, 0);
    Bytes garbage = Ask(*client, request);
    ASSERT_EQ(garbage.size(), 64u);
    EXPECT_EQ(garbage[0], 0x04);
    EXPECT_NE(garbage[3], 0x05);

    const Bytes other = ReadRequest(0x05, 1, 0);
    const Bytes otherAnswer = Answer(0x05, {0}, 0);
    ASSERT_EQ(Vdev("fault mouse noanswer 1").exitCode, 0);
    ASSERT_TRUE(client->Write(request));
    ASSERT_TRUE(client->Write(other));
    EXPECT_EQ(client->Read(), otherAnswer) << "the first answer never comes";

    ASSERT_EQ(Vdev("fault mouse delay 200 1").exitCode, 0);
    ASSERT_TRUE(client->Write(request));
    ASSERT_TRUE(client->Write(other));
    EXPECT_EQ(client->Read(), otherAnswer) << "the delayed answer comes second";
    EXPECT_EQ(client->Read(), good);
}

// "unplug after 2": a three-frame settings write gets two answers, then the
// device is gone.
TEST_F(FirmwareTest, UnplugInTheMiddleOfATransfer) {
    auto client = Connect("mouse-receiver");
    ASSERT_EQ(Vdev("fault mouse-receiver unplug after 2").exitCode, 0);
    const Bytes record = Pattern(71, 1);
    const Exchange transfer[] = {
        {"chunk 1", CommandFrame(0x06, Range(record, 0, 24), 256),
         Answer(0x06, Range(record, 0, 24), 256)},
        {"chunk 2", CommandFrame(0x06, Range(record, 24, 24), 280),
         Answer(0x06, Range(record, 24, 24), 280)},
        {"chunk 3", CommandFrame(0x06, Range(record, 48, 23), 304), Bytes{}},
    };
    for (const Exchange& e : transfer) {
        SCOPED_TRACE(e.what);
        ASSERT_TRUE(client->Write(e.request));
        EXPECT_EQ(client->Read(), e.answer) << "an empty answer is end-of-file";
    }
    EXPECT_FALSE(Device("mouse-receiver").IsPlugged());
}

TEST_F(FirmwareTest, CountsAndDumpShowTheTransfer) {
    auto client = Connect("mouse");
    for (const Bytes& frame : {CommandFrame(0x01), CommandFrame(0x06, Pattern(56, 0), 256),
                               CommandFrame(0x06, Pattern(15, 0), 312), CommandFrame(0x02)})
        ASSERT_EQ(Ask(*client, frame).size(), 64u);
    EXPECT_EQ(Vdev("counts mouse").output, "0x01 1\n0x02 1\n0x06 2\n");
    test::ToolResult dump = Vdev("dump mouse");
    EXPECT_NE(dump.output.find("mi1 04 "), std::string::npos) << dump.output;
    EXPECT_EQ(std::count(dump.output.begin(), dump.output.end(), '\n'), 4);
}

// The twelve zone-colour reports of one refresh set the 13 zones on both targets.
TEST_F(FirmwareTest, HeadsetZoneColourReports) {
    auto client = Connect("headset");
    auto Report = [](uint8_t target, uint8_t sub, Bytes values) {
        Bytes report(17, 0);
        report[0] = 0xFF;
        report[1] = target;
        report[2] = sub;
        std::copy(values.begin(), values.end(), report.begin() + 4);
        return report;
    };
    const Bytes low = {10, 11, 12, 13, 14, 15, 16}, high = {17, 18, 19, 20, 21, 22, 16};
    for (uint8_t target : {0x22, 0x44})
        for (uint8_t channel = 0; channel < 3; ++channel) {
            Bytes lowValues = low, highValues = high;
            for (uint8_t& v : lowValues) v += 100 * channel;
            for (uint8_t& v : highValues) v += 100 * channel;
            ASSERT_TRUE(client->Write(Report(target, 0xAA + channel, lowValues)));
            ASSERT_TRUE(client->Write(Report(target, 0xAD + channel, highValues)));
        }
    ASSERT_TRUE(client->Write(Report(0x33, 0xAA, low)));
    // Reports of one connection are handled in order: once this answer is back,
    // all the above were.
    EXPECT_EQ(Ask(*client, CommandFrame(0x06, Pattern(21, 9), 128)),
              Answer(0x06, Pattern(21, 9), 128));
    With<HeadsetFirmware>("headset", [&](HeadsetFirmware& f, FirmwareIo&) {
        for (uint8_t target : {0x22, 0x44}) {
            auto zones = f.Zones(target);
            EXPECT_EQ(zones[0], (ZoneColour{10, 110, 210}));
            EXPECT_EQ(zones[6], (ZoneColour{16, 116, 216}));
            EXPECT_EQ(zones[7], (ZoneColour{17, 117, 217}));
            EXPECT_EQ(zones[12], (ZoneColour{22, 122, 222}));
        }
        ASSERT_EQ(f.DeviceErrors().size(), 1u);
        EXPECT_NE(f.DeviceErrors()[0].find("target 0x33"), std::string::npos);
    });
    EXPECT_EQ(Range(Memory("headset", MemoryRegion::kSettings), 128, 21), Pattern(21, 9));
}

TEST_F(FirmwareTest, EveryStandardDeviceRunsItsFamilyFirmware) {
    for (VirtualHidDevice* device : bus_->Devices()) {
        bool family = false;
        device->WithFirmware([&](VirtualFirmware& f, FirmwareIo&) {
            family = dynamic_cast<CommandFirmware*>(&f) != nullptr;
        });
        EXPECT_TRUE(family) << device->name();
    }
    std::string error;
    VirtualDeviceSpec stranger;
    stranger.name = "trackball";
    stranger.interfaces.push_back({1, {}});
    EXPECT_EQ(MakeStandardFirmware(tables_, stranger, &error), nullptr);
    EXPECT_NE(error.find("trackball"), std::string::npos);
}

}  // namespace
}  // namespace tirk::vbus
