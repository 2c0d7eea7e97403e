// Every result of the command channel, each produced by the fault that causes
// it on the virtual device; the link query and guarded sending; the frame log.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "channel_fixture.h"
#include "core/log.h"
#include "support/delegating_hid_backend.h"

namespace tirk::link::test {
namespace {

// What a case may touch before the operation runs.
struct Rig {
    vbus::VirtualHidBus& bus;
    vbus::VirtualHidDevice& device;
    MemoryFirmware& firmware;
    CCommandChannel& channel;
    std::shared_ptr<hid::HidBackend> backend;
};

vbus::FaultPlan Fault(vbus::FaultKind kind, int ms = 0, int count = -1) {
    vbus::FaultPlan plan;
    plan.kind = kind;
    plan.delay = std::chrono::milliseconds(ms);
    plan.remaining = count;
    return plan;
}

int ReadEightSettings(CCommandChannel& channel) {
    std::vector<uint8_t> record(8);
    return channel.ReadSettings(record, 0);
}

// The settings memory of the late-answer cases: no two chunks alike, so an
// answer taken for the wrong chunk shows in the bytes.
constexpr size_t kTwoWiredChunks = 2 * CCommandChannel::kWiredChunkSize;
constexpr uint16_t kElsewhere = 0x40;  // where the abandoned reads read
const std::vector<uint8_t> kSettingsMemory = Pattern(0x100, 0x31);

// A read of 8 settings bytes at kElsewhere + `step` × 8 that gets no answer in
// time. Abandoned reads at different offsets cannot take each other's answers.
void AbandonReadElsewhere(Rig& r, int step = 0) {
    std::vector<uint8_t> record(8);
    EXPECT_EQ(r.channel.ReadSettings(record, kElsewhere + 8 * step), kNoAnswer);
}

// Reads the first two chunks of the settings; each chunk must hold its own bytes.
int ReadTwoChunksBack(CCommandChannel& channel) {
    std::vector<uint8_t> record(kTwoWiredChunks);
    const int result = channel.ReadSettings(record, 0);
    if (result == kSuccess) {
        EXPECT_EQ(record, std::vector<uint8_t>(kSettingsMemory.begin(),
                                               kSettingsMemory.begin() + kTwoWiredChunks));
    }
    return result;
}

// Two reads elsewhere give up before their (delayed) answers come; a second
// reader of the collection sees when both answers are queued for the channel.
// Each exchange waits two time-outs (its two reads), so a delay of five
// time-outs keeps both answers out of both exchanges.
void TwoAnswersArriveLate(Rig& r) {
    r.firmware.SetMemory(kReadSettings, 0, kSettingsMemory);
    CHidInterface observer(r.backend);
    ASSERT_TRUE(observer.Open(r.channel.WiredInterface().Path(), true, false, true, false));
    r.device.SetFault(Fault(vbus::FaultKind::kDelay, 5 * kShortTimeouts.wiredMs, 2));
    AbandonReadElsewhere(r, 0);
    AbandonReadElsewhere(r, 1);
    CommandFrame::Bytes late{};
    uint32_t got = 0;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(observer.Read(late.data(), late.size(), got, vbus::test::kPromptlyMs));
}

// The device answers a status read only when the next request comes, just
// before that request's own answer: the late answer has another command code.
void StatusAnswerComesWithTheNextRequest(Rig& r) {
    r.firmware.SetMemory(kReadSettings, 0, kSettingsMemory);
    r.firmware.SetLateAnswers(1);
    std::vector<uint8_t> status(8);
    EXPECT_EQ(r.channel.ReadStatus(status, 0), kNoAnswer);
}

// Firmware that echoes the command code but not the offset.
void OffsetNotEchoed(Rig& r) {
    r.firmware.SetMemory(kReadSettings, 0, kSettingsMemory);
    vbus::FaultPlan plan;
    std::string error;
    ASSERT_TRUE(vbus::ParseFaultPlan({"wrongecho", "offset"}, &plan, &error)) << error;
    r.device.SetFault(plan);
}

int WriteWholeKeyTable(CCommandChannel& channel) {
    return channel.WriteKeyTable(std::vector<uint8_t>(512, 0x11), 0);
}

struct ResultCase {
    const char* name;
    bool wireless;
    bool waitsForTimeout;  ///< runs with the short time-outs
    std::function<void(Rig&)> arrange;
    std::function<int(CCommandChannel&)> operation;
    int expected;
    size_t framesSent;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ResultCase& c, std::ostream* out) { *out << c.name; }

void Nothing(Rig&) {}

const ResultCase kResultCases[] = {
    {"answer", kWired, false, Nothing, ReadEightSettings, kSuccess, 1},
    {"answer through a receiver", kWireless, false, Nothing, ReadEightSettings, kSuccess, 1},
    {"slow answer within the time-out", kWired, false,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kDelay, 50)); }, ReadEightSettings,
     kSuccess, 1},
    {"no answer", kWired, true,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kNoAnswer)); }, ReadEightSettings,
     kNoAnswer, 1},
    {"no answer through a receiver", kWireless, true,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kNoAnswer)); }, ReadEightSettings,
     kNoAnswer, 1},
    {"garbage answer", kWired, true,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kGarbage)); }, ReadEightSettings,
     kNoAnswer, 1},
    {"one foreign frame before the answer is read past", kWired, false,
     [](Rig& r) { r.firmware.SetForeignEchoes(1); }, ReadEightSettings, kSuccess, 1},
    {"two foreign frames: the answer is not read a third time", kWired, false,
     [](Rig& r) { r.firmware.SetForeignEchoes(2); }, ReadEightSettings, kNoAnswer, 1},
    {"device unplugged", kWired, false,
     [](Rig& r) {
         std::string error;
         ASSERT_TRUE(r.bus.Unplug(kDeviceName, &error)) << error;
     },
     ReadEightSettings, kWriteFailed, 0},
    {"interface closed under an open flag", kWired, false,
     [](Rig& r) { r.channel.WiredInterface().Close(); }, ReadEightSettings, kWriteFailed, 0},
    {"unplugged instead of answering", kWired, false,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kUnplug)); }, ReadEightSettings,
     kNoAnswer, 1},
    {"receiver without its device", kWireless, false, [](Rig& r) { r.firmware.SetNotLinked(true); },
     ReadEightSettings, kReceiverNotLinked, 1},
    {"0xAA on the cable is only a wrong echo", kWired, true,
     [](Rig& r) { r.firmware.SetNotLinked(true); }, ReadEightSettings, kNoAnswer, 1},
    {"late answers queued before the request are dropped", kWired, true, TwoAnswersArriveLate,
     ReadTwoChunksBack, kSuccess, 4},
    {"a late answer of another command during the next exchange is read past", kWired, true,
     StatusAnswerComesWithTheNextRequest, ReadTwoChunksBack, kSuccess, 3},
    {"an answer that does not echo the offset is the answer", kWired, false, OffsetNotEchoed,
     ReadTwoChunksBack, kSuccess, 2},
    {"answer cut short", kWired, false,
     [](Rig& r) { r.device.SetFault(Fault(vbus::FaultKind::kShort)); }, ReadEightSettings,
     kNoAnswer, 1},
    {"status 0xFF stops the transfer", kWired, false,
     [](Rig& r) { r.firmware.SetStatus(0x09, 0xFF); }, WriteWholeKeyTable, kDeviceStatusFF, 1},
    {"status 0xFE stops the transfer", kWireless, false,
     [](Rig& r) { r.firmware.SetStatus(0x09, 0xFE); }, WriteWholeKeyTable, kDeviceStatusFE, 1},
    {"other status values are success", kWired, false,
     [](Rig& r) { r.firmware.SetStatus(0x09, 0xFD); }, WriteWholeKeyTable, kSuccess, 10},
    {"key table bank 1", kWired, false, Nothing,
     [](CCommandChannel& c) { return c.WriteKeyTable(std::vector<uint8_t>(512), 1); }, kBankNotZero,
     0},
    {"second layer bank 1", kWired, false, Nothing,
     [](CCommandChannel& c) { return c.WriteFnKeyTable(std::vector<uint8_t>(512), 1); },
     kBankNotZero, 0},
    {"stopped", kWired, false, [](Rig& r) { r.channel.SetStop(true); }, WriteWholeKeyTable,
     kNoAnswer, 0},
    {"not open", kWired, false, [](Rig& r) { r.channel.SetOpen(false); }, WriteWholeKeyTable,
     kNoAnswer, 0},
};

class Results : public ChannelOnVirtualBus, public testing::WithParamInterface<ResultCase> {};

TEST_P(Results, FaultGivesItsResult) {
    const ResultCase& c = GetParam();
    Connect(c.wireless, c.waitsForTimeout ? kShortTimeouts : kGenerousTimeouts);
    Rig rig{*bus_, *device_, *firmware_, *channel_, backend_};
    c.arrange(rig);
    EXPECT_EQ(c.operation(*channel_), c.expected);
    EXPECT_EQ(Received().size(), c.framesSent);
    EXPECT_FALSE(channel_->IsBusy());
}

INSTANTIATE_TEST_SUITE_P(CommandChannel, Results, testing::ValuesIn(kResultCases),
                         [](const testing::TestParamInfo<ResultCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// The hidraw backend with a hook after every read that timed out, so a test
// can act exactly between the two reads of an exchange instead of racing a
// delay against the time-out.
class TimeoutHookBackend : public tirk::test::DelegatingHidBackend {
public:
    TimeoutHookBackend(std::shared_ptr<hid::HidBackend> inner, std::function<void()> onTimeout)
        : DelegatingHidBackend(std::move(inner)), m_onTimeout(std::move(onTimeout)) {}

    /// Reads with a time-out that timed out (the stale-answer drain's
    /// zero-time-out reads are not counted).
    int TimedOutReads() const { return m_timedOut.load(); }

protected:
    void AfterRead(hid::HidIoResult result, int timeoutMs) override {
        if (result != hid::HidIoResult::Timeout || timeoutMs <= 0) return;
        m_timedOut.fetch_add(1);
        m_onTimeout();
    }

private:
    std::function<void()> m_onTimeout;
    std::atomic<int> m_timedOut{0};
};

// A read that times out does not end the exchange: the second read, with the
// full time-out again, may still bring the answer.
class SecondRead : public ChannelOnVirtualBus {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ChannelOnVirtualBus::SetUp());
        hooked_ = std::make_shared<TimeoutHookBackend>(backend_, [this] {
            device_->WithFirmware([](vbus::VirtualFirmware& firmware, vbus::FirmwareIo& io) {
                static_cast<MemoryFirmware&>(firmware).ReleaseHeldAnswers(io);
            });
        });
        backend_ = hooked_;
        firmware_->SetMemory(kReadSettings, 0, kSettingsMemory);
    }
    std::shared_ptr<TimeoutHookBackend> hooked_;
};

TEST_F(SecondRead, AnswerAfterTheFirstReadTimedOutIsTaken) {
    Connect(kWired, kShortTimeouts);
    firmware_->SetLateAnswers(1);  // the first chunk's answer comes only after a time-out
    EXPECT_EQ(ReadTwoChunksBack(*channel_), kSuccess);
    EXPECT_EQ(hooked_->TimedOutReads(), 1);
    EXPECT_EQ(Received().size(), 2u) << "the request is not sent again";
}

TEST_F(SecondRead, ThroughAReceiverToo) {
    Connect(kWireless, kShortTimeouts);
    firmware_->SetLateAnswers(1);
    std::vector<uint8_t> record(8);
    EXPECT_EQ(channel_->ReadSettings(record, 0), kSuccess);
    EXPECT_EQ(record, std::vector<uint8_t>(kSettingsMemory.begin(), kSettingsMemory.begin() + 8));
    EXPECT_EQ(hooked_->TimedOutReads(), 1);
}

TEST_F(SecondRead, NoAnswerWithinTwoReadsFails) {
    Connect(kWired, kShortTimeouts);
    device_->SetFault(Fault(vbus::FaultKind::kNoAnswer));
    EXPECT_EQ(ReadEightSettings(*channel_), kNoAnswer);
    EXPECT_EQ(hooked_->TimedOutReads(), 2) << "two reads, not one and not three";
    EXPECT_EQ(Received().size(), 1u);
}

using LinkQuery = ChannelOnVirtualBus;

TEST_F(LinkQuery, CableIsOnlineWithoutAsking) {
    Connect(kWired);
    EXPECT_EQ(channel_->QueryOnline(), kSuccess);
    EXPECT_TRUE(channel_->CanSend());
    channel_->SetOpen(false);
    EXPECT_FALSE(channel_->CanSend());
    EXPECT_TRUE(Received().empty());
}

TEST_F(LinkQuery, ReceiverIsAskedWhetherItsDeviceIsLinked) {
    Connect(kWireless);
    EXPECT_EQ(channel_->QueryOnline(), kSuccess);
    EXPECT_TRUE(channel_->CanSend());
    EXPECT_EQ(Received(), (Frames{Expected(0xAA, {}, 0), Expected(0xAA, {}, 0)}));

    firmware_->SetNotLinked(true);  // answers 0xAA with data byte 0 = 0
    EXPECT_EQ(channel_->QueryOnline(), kNoAnswer);
    EXPECT_FALSE(channel_->CanSend());

    firmware_->SetNotLinked(false);
    firmware_->SetStatus(0xAA, 0xFF);
    EXPECT_EQ(channel_->QueryOnline(), kNoAnswer);

    channel_->SetOpen(false);
    device_->ClearReceived();
    EXPECT_FALSE(channel_->CanSend());
    EXPECT_TRUE(Received().empty()) << "a closed channel is not asked";
}

// Sets TIRK_LOG to a file for one test and restores the log settings after.
class FrameLog : public ChannelOnVirtualBus {
protected:
    void SetUp() override {
        ChannelOnVirtualBus::SetUp();
        path_ = root_.path() + "-frames.log";
        setenv("TIRK_LOG", path_.c_str(), 1);
        log::ReloadSettingsForTest();
    }
    void TearDown() override {
        unsetenv("TIRK_LOG");
        log::ReloadSettingsForTest();
        std::remove(path_.c_str());
        ChannelOnVirtualBus::TearDown();
    }
    std::string Text() const {
        std::ifstream in(path_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string path_;
};

TEST_F(FrameLog, EveryExchangeLogsRequestAndAnswerButLightFramesDoNot) {
    Connect(kWired);
    ASSERT_EQ(channel_->BeginWrite(), kSuccess);
    ASSERT_EQ(channel_->WriteLightFrame(std::vector<uint8_t>(9, 1)), kSuccess);
    const std::string zeros =
        "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  "
        "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00\n";
    const std::string frame =
        "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  "
        "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00\n" +
        zeros;
    EXPECT_EQ(Text(), "命令\n" + frame + "返回\n" + frame);
}

TEST_F(FrameLog, AFailedExchangeLogsAnEmptyAnswer) {
    Connect(kWired, kShortTimeouts);
    device_->SetFault(Fault(vbus::FaultKind::kNoAnswer));
    ASSERT_EQ(channel_->ResumeLighting(), kNoAnswer);
    std::string text = Text();
    EXPECT_NE(text.find("命令\n04 1c 00 1c"), std::string::npos) << text;
    EXPECT_NE(text.find("返回\n00 00 00 00"), std::string::npos) << text;
}

}  // namespace
}  // namespace tirk::link::test
