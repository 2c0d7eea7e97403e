// Light frames against long commands: a live light frame is dropped while
// another operation runs and never lands between the frames of one. The
// threaded case is also what scripts/tsan.sh runs under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "channel_fixture.h"

namespace tirk::link::test {
namespace {

constexpr auto kPromptly = std::chrono::milliseconds(vbus::test::kPromptlyMs);

struct LongOperation {
    const char* name;
    uint8_t command;
    std::function<int(CCommandChannel&)> run;
};

const LongOperation kLongOperations[] = {
    {"WriteKeyTable", 0x09,
     [](CCommandChannel& c) { return c.WriteKeyTable(std::vector<uint8_t>(512, 1), 0); }},
    {"ReadKeyTable", 0x07,
     [](CCommandChannel& c) {
         std::vector<uint8_t> table(512);
         return c.ReadKeyTable(table);
     }},
    {"WriteMacroData", 0x15,
     [](CCommandChannel& c) { return c.WriteMacroData(std::vector<uint8_t>(300, 2)); }},
    {"WriteRecoilData", 0x17,
     [](CCommandChannel& c) { return c.WriteRecoilData(std::vector<uint8_t>(300, 3)); }},
    {"WriteBank", 0x0B,
     [](CCommandChannel& c) { return c.WriteBank(std::vector<uint8_t>(300, 4), 1, 300); }},
};

using LightFrames = ChannelOnVirtualBus;

TEST_F(LightFrames, AreDroppedWhileALongOperationRuns) {
    for (const LongOperation& op : kLongOperations) {
        SCOPED_TRACE(op.name);
        Connect(kWired);
        device_->ClearReceived();
        vbus::FaultPlan slow;
        slow.kind = vbus::FaultKind::kDelay;
        slow.delay = std::chrono::milliseconds(20);
        device_->SetFault(slow);
        auto running = std::async(std::launch::async, [&] { return op.run(*channel_); });
        // Well inside the operation: its second frame has arrived.
        ASSERT_TRUE(firmware_->WaitForFrames(op.command, 2, kPromptly));
        EXPECT_EQ(channel_->WriteLightFrame(std::vector<uint8_t>(9, 7)), kNoAnswer);
        EXPECT_EQ(running.get(), kSuccess);
        device_->SetFault({});

        for (const CommandFrame::Bytes& frame : Received())
            EXPECT_EQ(frame[3], op.command) << "a light frame was sent during the operation";
        EXPECT_FALSE(channel_->IsBusy());
        EXPECT_EQ(channel_->WriteLightFrame(std::vector<uint8_t>(9, 7)), kSuccess)
            << "once the operation has ended light frames go out again";
    }
}

// The commands' frames of one operation must arrive as one unbroken run with
// their offsets in order; light frames only between operations.
void ExpectUnbrokenOperations(const Frames& frames, uint8_t command, size_t framesPerOperation) {
    size_t inRun = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const uint8_t code = frames[i][3];
        const uint16_t offset = frames[i][5] | frames[i][6] << 8;
        if (code == command) {
            ASSERT_EQ(offset, inRun * 56) << "frame " << i;
            inRun = (inRun + 1) % framesPerOperation;
        } else {
            ASSERT_EQ(inRun, 0u) << "frame " << i << " (command " << int(code)
                                 << ") landed inside an operation";
        }
    }
    EXPECT_EQ(inRun, 0u);
}

TEST_F(LightFrames, NeverLandInsideAnOperationUnderLoad) {
    Connect(kWired);
    constexpr int kOperations = 100;
    std::atomic<bool> done{false};
    std::atomic<int> sent{0}, dropped{0}, lightFailures{0};

    // The light stream hammers the channel while the operations run, so that
    // it also tries in the short gaps between two frames of one operation. It
    // stops sending before the device's record of received frames overflows
    // (a slow build such as ThreadSanitizer's sends more light frames in the
    // gaps); every frame has to be on record for the checks below.
    const int lightBudget =
        static_cast<int>(vbus::VirtualHidDevice::kMaxRecorded) - kOperations * 11;
    std::thread lights([&] {
        std::vector<uint8_t> frame(30, 0x5A);
        while (!done.load() && sent.load() < lightBudget) {
            int result = channel_->WriteLightFrame(frame);
            if (result == kSuccess)
                ++sent;
            else if (result == kNoAnswer)  // dropped: the answers come at once
                ++dropped;
            else
                ++lightFailures;
            std::this_thread::yield();
        }
    });
    int failures = 0;
    for (int i = 0; i < kOperations; ++i) {
        if (channel_->WriteKeyTable(std::vector<uint8_t>(512, uint8_t(i)), 0) != kSuccess)
            ++failures;
        std::vector<uint8_t> status(8);
        if (channel_->ReadStatus(status, 0) != kSuccess) ++failures;
    }
    done = true;
    lights.join();

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(lightFailures.load(), 0);
    Frames frames = Received();
    ExpectUnbrokenOperations(frames, 0x09, 10);
    size_t lightFrames = 0;
    for (const CommandFrame::Bytes& frame : frames) lightFrames += frame[3] == 0x12;
    EXPECT_EQ(lightFrames, static_cast<size_t>(sent.load()))
        << "every light frame reported sent was received, and no other";
    EXPECT_EQ(frames.size(), kOperations * 11 + lightFrames);
    RecordProperty("light_frames_sent", sent.load());
    RecordProperty("light_frames_dropped", dropped.load());
}

// Two threads of commands: the command lock keeps each operation whole, and
// the exchange lock keeps every answer with its own request.
TEST_F(LightFrames, CommandsFromTwoThreadsStayWhole) {
    Connect(kWireless);
    constexpr int kRounds = 15;
    auto writer = [&](uint8_t fill) {
        int failures = 0;
        for (int i = 0; i < kRounds; ++i) {
            if (channel_->WriteKeyTable(std::vector<uint8_t>(512, fill), 0) != kSuccess) ++failures;
            std::vector<uint8_t> settings(30);
            if (channel_->ReadSettings(settings, 0) != kSuccess) ++failures;
        }
        return failures;
    };
    auto other = std::async(std::launch::async, writer, uint8_t(0xB0));
    EXPECT_EQ(writer(0xA0), 0);
    EXPECT_EQ(other.get(), 0);

    Frames frames = Received();
    ASSERT_EQ(frames.size(), 2u * kRounds * (22 + 2));
    // Each key-table write is 22 frames in a row, all of one writer's fill.
    for (size_t i = 0; i < frames.size();) {
        if (frames[i][3] != 0x09) {
            ++i;
            continue;
        }
        const uint8_t fill = frames[i][8];
        for (size_t k = 0; k < 22; ++k, ++i) {
            ASSERT_EQ(frames[i][3], 0x09) << "frame " << i;
            ASSERT_EQ(frames[i][5] | frames[i][6] << 8, int(k * 24)) << "frame " << i;
            ASSERT_EQ(frames[i][8], fill) << "frame " << i;
        }
    }
}

}  // namespace
}  // namespace tirk::link::test
