// Every fault the virtual keyboard can show, at every answer of a settings
// write followed by a key table write, ends the push with a failure — never
// with success — and with the result the fault stands for.
#include <gtest/gtest.h>

#include <set>

#include "keyboard_fixture.h"
#include "support/temp_folder.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;

// Settings: BeginWrite, one 34-byte frame, EndWrite. Key table: device
// information, BeginWrite, six 56-byte frames, EndWrite.
constexpr int kAnswers = 3 + 9;

// A missing answer costs the channel two read time-outs.
constexpr link::ChannelTimeouts kQuickTimeouts{60, 60, 60, 1};

struct FaultCase {
    const char* name;
    vbus::FaultKind kind;
    uint8_t status;
    std::set<int> results;  ///< what the push may end with
};

const FaultCase kFaults[] = {
    {"noanswer", vbus::FaultKind::kNoAnswer, 0, {link::kNoAnswer}},
    {"wrongecho", vbus::FaultKind::kWrongEcho, 0, {link::kNoAnswer}},
    {"statusFF", vbus::FaultKind::kStatus, 0xFF, {link::kDeviceStatusFF}},
    {"statusFE", vbus::FaultKind::kStatus, 0xFE, {link::kDeviceStatusFE}},
    // The read of the unplugged answer sees the device gone (0); a later
    // write finds no node (−1).
    {"unplug", vbus::FaultKind::kUnplug, 0, {link::kNoAnswer, link::kWriteFailed}},
};

class PushUnderFault : public test::KeyboardTest,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({test::kCable}));
        ASSERT_NO_FATAL_FAILURE(Connect(false, kQuickTimeouts));
        ASSERT_NO_FATAL_FAILURE(StartDevice());
        ASSERT_TRUE(folder_.valid());
    }

    tirk::test::TempFolder folder_;
};

TEST_P(PushUnderFault, NeverReportedAsSuccess) {
    const FaultCase& fault = kFaults[std::get<0>(GetParam())];
    const int after = std::get<1>(GetParam());
    vbus::FaultPlan plan;
    plan.kind = fault.kind;
    plan.status = fault.status;
    plan.remaining = 1;
    plan.after = after;
    Device(test::kCable).SetFault(plan);

    std::vector<KeyListEntry> list = test::FactoryKeyList();
    list[64].current.code = {0x20, 0x00, 0x05};
    PushOutcome outcome = protocol_->PushProfile(list, MacroStore(folder_.path()));
    EXPECT_FALSE(outcome.Ok());
    EXPECT_EQ(outcome.failedStep, after < 3 ? PushStep::kSettings : PushStep::kKeyTable);
    EXPECT_TRUE(fault.results.count(outcome.result) == 1) << "result " << outcome.result;
    if (fault.kind != vbus::FaultKind::kUnplug) {
        bool sessionOpen = true;
        WithKeyboard([&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) {
            sessionOpen = f.InWriteSession();
        });
        EXPECT_FALSE(sessionOpen) << "a failure after BeginWrite still ends the session";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFaultAtEveryAnswer, PushUnderFault,
                         ::testing::Combine(::testing::Range(0, int(std::size(kFaults))),
                                            ::testing::Range(0, kAnswers)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                             return std::string(kFaults[std::get<0>(info.param)].name) + "_answer" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The same plan one answer later than the push has answers: nothing is
// spoiled and the push succeeds, so the cases above cover every answer.
TEST_F(PushUnderFault, FaultBeyondTheLastAnswerSpoilsNothing) {
    vbus::FaultPlan plan;
    plan.kind = vbus::FaultKind::kStatus;
    plan.status = 0xFF;
    plan.remaining = 1;
    plan.after = kAnswers;
    Device(test::kCable).SetFault(plan);
    PushOutcome outcome =
        protocol_->PushProfile(test::FactoryKeyList(), MacroStore(folder_.path()));
    EXPECT_TRUE(outcome.Ok()) << outcome.result;
    EXPECT_EQ(Frames().size(), size_t(kAnswers));
    EXPECT_EQ(Device(test::kCable).Fault().kind, vbus::FaultKind::kStatus) << "still waiting";
}

}  // namespace
}  // namespace tirk::keyboard
