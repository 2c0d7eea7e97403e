// Every fault the virtual mouse can show, at every answer of every
// operation, ends the operation with the result that fault stands for —
// never with success — leaves what the protocol keeps as it was and leaves
// no write session open on the mouse.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "mouse_fixture.h"
#include "support/temp_folder.h"

namespace tirk::mouse {
namespace {

using test::Bytes;

// A missing answer costs the channel two read time-outs.
constexpr link::ChannelTimeouts kQuickTimeouts{60, 60, 60, 1};

struct FaultCase {
    const char* name;
    vbus::FaultKind kind;
    uint8_t status;
    int result;
};

const FaultCase kFaults[] = {
    {"noanswer", vbus::FaultKind::kNoAnswer, 0, link::kNoAnswer},
    {"wrongecho", vbus::FaultKind::kWrongEcho, 0, link::kNoAnswer},
    {"statusFF", vbus::FaultKind::kStatus, 0xFF, link::kDeviceStatusFF},
    {"statusFE", vbus::FaultKind::kStatus, 0xFE, link::kDeviceStatusFE},
};

class MouseFaultTest : public test::MouseTest {
public:
    MouseProtocol& Protocol() { return *protocol_; }
    MacroStore& Store() { return store_; }

protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({test::kCable}));
        ASSERT_NO_FATAL_FAILURE(Connect(false, kQuickTimeouts));
        ASSERT_NO_FATAL_FAILURE(StartDevice());
        ASSERT_TRUE(folder_.valid());
        ASSERT_TRUE(store_.AddMacro().Ok());
        // What a read would take now differs from what is kept, so a read
        // that took anything shows.
        EditMemory(vbus::MemoryRegion::kFactoryKeys,
                   [](Bytes& keys) { std::swap(keys[1], keys[4]); });  // left and right
        EditMemory(vbus::MemoryRegion::kSettings, [](Bytes& s) { s[2] = 1, s[12] = 4; });
    }

    /// The next answers of the cable spoiled as `plan` says.
    void SetFault(vbus::FaultKind kind, uint8_t status, int after) {
        vbus::FaultPlan plan;
        plan.kind = kind;
        plan.status = status;
        plan.remaining = 1;
        plan.after = after;
        Device(test::kCable).SetFault(plan);
    }

    tirk::test::TempFolder folder_;
    MacroStore store_{folder_.path()};
};

// One operation over the cable, the answers it gets when all goes well and
// which of them is its BeginWrite (−1: no write session).
struct OperationCase {
    const char* name;
    int answers;
    int beginWrite;
    int (*run)(MouseFaultTest&);

    /// Frames sent when answer `spoiled` fails: up to it, and the EndWrite
    /// of a session it leaves open.
    size_t FramesUpTo(int spoiled) const {
        const bool inSession = beginWrite >= 0 && spoiled >= beginWrite && spoiled < answers - 1;
        return size_t(spoiled + 1 + (inSession ? 1 : 0));
    }
};

int RunReadKeyTable(MouseFaultTest& t) {
    return t.Protocol().ReadKeyTable();
}
int RunReadSettings(MouseFaultTest& t) {
    return t.Protocol().ReadSettings();
}
int RunWriteSettings(MouseFaultTest& t) {
    MouseSettings values;
    values.stages.resize(kDpiStages);
    return t.Protocol().WriteSettings(values, {1, 0, 1, 1920, 1080});
}
int RunWriteKeyTable(MouseFaultTest& t) {
    std::vector<KeyListEntry> list = test::FactoryKeyList();
    list[1].current.code = {0x70, 0, 0};
    return t.Protocol().WriteKeyTable(list, 1);
}
int RunDownloadMacros(MouseFaultTest& t) {
    return t.Protocol().DownloadMacros(t.Store(), {0}).result;
}
int RunWriteRecoil(MouseFaultTest& t) {
    return t.Protocol().WriteRecoilBlock(BuildDownloadBlock({{}, {}, {}, {}}));
}

// Answers on the cable: key table 01 03 07 02; settings 05 05 05 (1 + 56 +
// 15 bytes); settings write 01 06 06 02; key table write 03 01 09 02;
// macros 03 01 15 02; recoil 01 17 02.
const OperationCase kOperations[] = {
    {"ReadKeyTable", 4, 0, RunReadKeyTable},     {"ReadSettings", 3, -1, RunReadSettings},
    {"WriteSettings", 4, 0, RunWriteSettings},   {"WriteKeyTable", 4, 1, RunWriteKeyTable},
    {"DownloadMacros", 4, 1, RunDownloadMacros}, {"WriteRecoil", 3, 0, RunWriteRecoil},
};

// Every (fault, operation, answer) the operations have.
std::vector<std::tuple<int, int, int>> EveryFaultAtEveryAnswer() {
    std::vector<std::tuple<int, int, int>> cases;
    for (int f = 0; f < int(std::size(kFaults)); ++f)
        for (int o = 0; o < int(std::size(kOperations)); ++o)
            for (int a = 0; a < kOperations[o].answers; ++a) cases.emplace_back(f, o, a);
    return cases;
}

class MouseUnderFault : public MouseFaultTest,
                        public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(MouseUnderFault, FailsAndKeepsWhatWasKept) {
    const FaultCase& fault = kFaults[std::get<0>(GetParam())];
    const OperationCase& operation = kOperations[std::get<1>(GetParam())];
    const int spoiled = std::get<2>(GetParam());
    const MouseKeys keys = protocol_->Keys();
    const MouseSettingsState settings = protocol_->Settings();
    SetFault(fault.kind, fault.status, spoiled);

    EXPECT_EQ(operation.run(*this), fault.result);
    EXPECT_EQ(protocol_->Keys(), keys);
    EXPECT_EQ(protocol_->Settings(), settings);
    EXPECT_FALSE(InWriteSession()) << "a failure after BeginWrite still ends the session";
    EXPECT_EQ(Frames().size(), operation.FramesUpTo(spoiled))
        << "nothing after the failure but the EndWrite of an open session";
}

INSTANTIATE_TEST_SUITE_P(EveryFaultAtEveryAnswer, MouseUnderFault,
                         ::testing::ValuesIn(EveryFaultAtEveryAnswer()),
                         [](const ::testing::TestParamInfo<std::tuple<int, int, int>>& info) {
                             return std::string(kFaults[std::get<0>(info.param)].name) + "_" +
                                    kOperations[std::get<1>(info.param)].name + "_answer" +
                                    std::to_string(std::get<2>(info.param));
                         });

// The same fault one answer beyond the last: nothing is spoiled, each
// operation succeeds with exactly the answers counted, so the cases above
// cover every answer.
TEST_F(MouseFaultTest, OperationsTakeTheAnswersCounted) {
    for (const OperationCase& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        ClearFrames();
        SetFault(vbus::FaultKind::kStatus, 0xFF, operation.answers);
        EXPECT_EQ(operation.run(*this), link::kSuccess);
        EXPECT_EQ(Frames().size(), size_t(operation.answers));
        EXPECT_EQ(Device(test::kCable).Fault().kind, vbus::FaultKind::kStatus) << "still waiting";
    }
}

}  // namespace
}  // namespace tirk::mouse
