#include "device/protocol/macro_download.h"

#include <algorithm>

#include "device/protocol/device_session.h"
#include "device/protocol/protocol_results.h"
#include "profile/key_assignment.h"

namespace tirk::protocol {

MacroDownloadOutcome DownloadMacroBlock(CCommandChannel& channel, const MacroStore& store,
                                        const std::vector<int>& used, size_t memory,
                                        WriteGuard guard) {
    MacroDownloadOutcome outcome;
    MacroDownload plan = store.PlanDownload(used, memory);
    outcome.size = plan.size;
    if (plan.overflow > 0) {
        outcome.result = kMacroBlockTooLarge;
        outcome.overflow = plan.overflow;
        return outcome;
    }
    const std::vector<uint8_t> block = BuildDownloadBlock(plan.macros);
    outcome.sent = true;
    if (guard == WriteGuard::kLinkChecked && !channel.CanSend()) {
        outcome.result = link::kNoAnswer;
        return outcome;
    }
    outcome.result = InWriteSession(channel, [&] { return channel.WriteMacroData(block); });
    return outcome;
}

AssignmentCode DeviceAssignmentCode(const KeyListEntry& entry, const std::vector<int>& used,
                                    int macroCount) {
    AssignmentCode code = entry.current.code;
    if (!IsMacroKind(code.kind)) return code;
    auto place = std::find(used.begin(), used.end(), int(code.p1));
    if (code.p1 >= macroCount || place == used.end()) return entry.defaultHalf.code;
    code.p1 = static_cast<uint8_t>(place - used.begin());
    return code;
}

}  // namespace tirk::protocol
