// `tirk-vdev dump NAME` never shows less than the device recorded without
// saying so: reports left out for the answer's size, reports the device's
// full recording dropped, and a control message longer than the tool reads.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/virtual/control_commands.h"
#include "device/virtual/unix_socket.h"
#include "device/virtual/virtual_firmware.h"
#include "standard_bus_fixture.h"
#include "vbus_test_support.h"

namespace tirk::vbus {
namespace {

using test::CommandFrame;
using test::NodeClient;

struct DumpCase {
    const char* name;
    size_t frames;       ///< command frames the host writes
    bool cutForSize;     ///< the answer cannot hold every recorded report
    bool recordingFull;  ///< the device dropped reports from its recording
};

void PrintTo(const DumpCase& c, std::ostream* out) {
    *out << c.name;
}

struct DumpLines {
    std::vector<std::string> reports;  ///< the "mi…" lines, in order
    std::vector<std::string> notes;    ///< the "(…)" lines after them
};

DumpLines Split(const std::string& output) {
    DumpLines lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("mi", 0) == 0) {
            EXPECT_TRUE(lines.notes.empty()) << "a report after the closing notes: " << line;
            lines.reports.push_back(line);
        } else {
            lines.notes.push_back(line);
        }
    }
    return lines;
}

class VdevDump : public test::StandardBusTest, public ::testing::WithParamInterface<DumpCase> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({"keyboard"}));
        Device("keyboard").SetFirmware(std::make_unique<EchoFirmware>());
    }

    /// Writes `count` command frames to the keyboard's command interface
    /// (numbered in their data bytes), then one more whose echo shows that
    /// the device has recorded them all.
    void WriteFrames(size_t count) {
        VirtualHidDevice& keyboard = Device("keyboard");
        NodeClient client(root_.path() + "/dev/" + keyboard.NodeNames()[1]);
        ASSERT_TRUE(client.ok());
        // Exactly these frames go unanswered, so no echoes pile up meanwhile
        // and the first echo to come is the last frame's.
        keyboard.SetFault({FaultKind::kNoAnswer, int(count)});
        for (size_t i = 0; i < count; ++i)
            ASSERT_TRUE(client.Write(CommandFrame(0x06, {uint8_t(i), uint8_t(i >> 8)})));
        ASSERT_TRUE(client.Write(CommandFrame(0x1C)));
        ASSERT_TRUE(client.Read().has_value());
    }
};

TEST_P(VdevDump, SaysWhatItLeavesOut) {
    const DumpCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(WriteFrames(c.frames));
    const size_t written = c.frames + 1;
    const size_t recorded = std::min(written, VirtualHidDevice::kMaxRecorded);

    const test::ToolResult dump = test::RunVdev("--root " + root_.path() + " dump keyboard");
    ASSERT_EQ(dump.exitCode, 0) << dump.output.substr(0, 500);
    const DumpLines lines = Split(dump.output);
    ASSERT_FALSE(lines.reports.empty());
    EXPECT_EQ(lines.reports.back().substr(0, 17), "mi1 04 1C 00 1C 0") << "newest last";

    std::vector<std::string> expectedNotes;
    if (c.cutForSize) {
        EXPECT_LT(lines.reports.size(), recorded);
        expectedNotes.push_back("(" + std::to_string(recorded - lines.reports.size()) +
                                " older reports left out: an answer holds at most " +
                                std::to_string(kMaxDumpText) + " bytes of reports)");
    } else {
        EXPECT_EQ(lines.reports.size(), written);
    }
    if (c.recordingFull) {
        expectedNotes.push_back("(recording full: the device keeps only its newest " +
                                std::to_string(VirtualHidDevice::kMaxRecorded) + " reports; " +
                                std::to_string(written - VirtualHidDevice::kMaxRecorded) +
                                " older command frames and any older other reports were dropped)");
    }
    EXPECT_EQ(lines.notes, expectedNotes);
}

const DumpCase kDumpCases[] = {
    {"EverythingFits", 3, false, false},
    {"LongerThanOneAnswer", 400, true, false},
    {"MoreThanTheDeviceKeeps", VirtualHidDevice::kMaxRecorded + 5, true, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, VdevDump, ::testing::ValuesIn(kDumpCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A control message longer than tirk-vdev reads is cut by the kernel without a
// trace; the tool must not print the part as if it were the whole answer.
TEST(VdevAnswer, AMessageLongerThanTheToolReadsIsCalledCutShort) {
    test::TempRoot root;
    std::string error;
    const int listener = ListenSeqpacket(root.path() + "/control", &error);
    ASSERT_GE(listener, 0) << error;
    std::thread server([listener] {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, test::kPromptlyMs) <= 0) return;
        const int client = AcceptSeqpacket(listener);
        if (client < 0) return;
        pollfd asked{client, POLLIN, 0};
        char command[256];
        if (poll(&asked, 1, test::kPromptlyMs) > 0 &&
            recv(client, command, sizeof command, 0) > 0) {
            const std::string answer = "ok\n" + std::string(2 * kMaxControlAnswer, 'x');
            int sent = send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            EXPECT_EQ(sent, int(answer.size())) << "the test needs the whole message sent";
        }
        close(client);
    });
    const test::ToolResult result = test::RunVdev("--root " + root.path() + " dump keyboard");
    server.join();
    close(listener);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("tirk-vdev: answer cut short"), std::string::npos)
        << result.output.substr(result.output.size() - std::min<size_t>(300, result.output.size()));
}

}  // namespace
}  // namespace tirk::vbus
