// Misbehaviour a virtual device can be told to show when it answers the host:
// tests and tirk-vdev use it to exercise the program's time-outs and checks.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tirk::vbus {

enum class FaultKind {
    kNone,       ///< answer normally
    kNoAnswer,   ///< drop the answer
    kDelay,      ///< send the answer after `delay`
    kGarbage,    ///< send a report of the same length and id with meaningless content
    kUnplug,     ///< unplug the device instead of answering (once)
    kWrongEcho,  ///< answer with another command code (or only another offset) than the request's
    kStatus,     ///< answer with `status` in the status byte (0xFF, 0xFE: device errors)
    kShort,      ///< send only the first kShortLength bytes of the answer
};

/// Bytes a short answer keeps: the id and the frame header, no data.
constexpr size_t kShortLength = 8;

/// The part of the echo a kWrongEcho answer gets wrong.
enum class EchoField {
    kCode,    ///< the command code: the answer looks like another command's
    kOffset,  ///< only the offset (bytes 5 and 6): firmware that does not echo it
};

/// The fault a device applies to its next answers.
struct FaultPlan {
    FaultKind kind = FaultKind::kNone;
    int remaining = -1;  ///< answers still affected; -1 = until replaced
    std::chrono::milliseconds delay{0};
    uint8_t status = 0;  ///< kStatus: the status byte the spoiled answers carry
    int after = 0;       ///< answers sent unharmed before the fault starts
    EchoField wrongField = EchoField::kCode;  ///< kWrongEcho: what the answer gets wrong
};

/// Parses the words after the device name of a "fault" command:
/// "none" | "noanswer [COUNT]" | "delay MS [COUNT]" | "garbage [COUNT]" |
/// "wrongecho [offset] [COUNT]" | "status BYTE [COUNT]" | "short [COUNT]" | "unplug", each
/// but "none" optionally followed by "after N" (N answers pass unharmed first, so
/// "unplug after 3" unplugs in the middle of a multi-frame transfer). BYTE is
/// hexadecimal ("FF", "0xFE"); "wrongecho offset" keeps the command code and
/// changes only the offset. Returns false with `error` explaining the
/// accepted forms on bad input.
bool ParseFaultPlan(const std::vector<std::string_view>& words, FaultPlan* plan,
                    std::string* error);

/// The plan as the command that would set it, e.g. "delay 300 2".
std::string DescribeFaultPlan(const FaultPlan& plan);

/// Returns the fault to apply to the answer about to be sent and counts it off
/// `plan` (a plan whose count runs out returns to kNone); while `plan->after`
/// is above 0 it counts that down and returns kNone.
FaultPlan TakeFault(FaultPlan* plan);

/// A report of the same length and report id as `report` whose other bytes are
/// a fixed pseudo-random pattern (so tests can repeat what they saw).
std::vector<uint8_t> GarbageLike(const std::vector<uint8_t>& report);

/// `answer` spoiled as `fault` says for the kinds that change bytes (kGarbage,
/// kWrongEcho, kStatus, kShort); other kinds return it unchanged. A command
/// frame that keeps its length gets its checksum stamped again, as the device
/// would send it.
std::vector<uint8_t> SpoilAnswer(const FaultPlan& fault, std::vector<uint8_t> answer);

}  // namespace tirk::vbus
