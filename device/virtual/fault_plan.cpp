#include "device/virtual/fault_plan.h"

#include <charconv>
#include <cstdio>

#include "device/virtual/virtual_firmware.h"

namespace tirk::vbus {
namespace {

constexpr const char* kUsage =
    "fault kinds: none | noanswer [COUNT] | delay MS [COUNT] | garbage [COUNT] | "
    "wrongecho [offset] [COUNT] | status BYTE [COUNT] | short [COUNT] | unplug; "
    "each but none may end with \"after N\"";

bool ParseCount(std::string_view word, int minimum, int* value) {
    int parsed = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), parsed);
    if (ec != std::errc() || end != word.data() + word.size() || parsed < minimum) return false;
    *value = parsed;
    return true;
}

bool ParseHexByte(std::string_view word, uint8_t* value) {
    if (word.size() > 2 && (word.substr(0, 2) == "0x" || word.substr(0, 2) == "0X"))
        word.remove_prefix(2);
    unsigned parsed = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), parsed, 16);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || parsed > 0xFF)
        return false;
    *value = static_cast<uint8_t>(parsed);
    return true;
}

struct KindName {
    FaultKind kind;
    std::string_view name;
};
constexpr KindName kKindNames[] = {
    {FaultKind::kNone, "none"},     {FaultKind::kNoAnswer, "noanswer"},
    {FaultKind::kDelay, "delay"},   {FaultKind::kGarbage, "garbage"},
    {FaultKind::kUnplug, "unplug"}, {FaultKind::kWrongEcho, "wrongecho"},
    {FaultKind::kStatus, "status"}, {FaultKind::kShort, "short"},
};

bool Fail(const std::string& what, std::string* error) {
    *error = what + "; " + kUsage;
    return false;
}

// The argument a kind takes before its optional count (delay: MS, status:
// BYTE, wrongecho: an optional "offset").
bool ParseKindArgument(const std::vector<std::string_view>& words, FaultPlan* plan, size_t* next,
                       std::string* error) {
    if (plan->kind == FaultKind::kWrongEcho && words.size() >= 2 && words[1] == "offset") {
        plan->wrongField = EchoField::kOffset;
        *next = 2;
    }
    if (plan->kind == FaultKind::kDelay) {
        int ms = 0;
        if (words.size() < 2 || !ParseCount(words[1], 0, &ms))
            return Fail("delay needs a time in milliseconds", error);
        plan->delay = std::chrono::milliseconds(ms);
        *next = 2;
    } else if (plan->kind == FaultKind::kStatus) {
        if (words.size() < 2 || !ParseHexByte(words[1], &plan->status))
            return Fail("status needs a hexadecimal byte such as FF or FE", error);
        *next = 2;
    }
    return true;
}

}  // namespace

bool ParseFaultPlan(const std::vector<std::string_view>& words, FaultPlan* plan,
                    std::string* error) {
    FaultPlan parsed;
    bool known = false;
    for (const KindName& k : kKindNames)
        if (!words.empty() && words[0] == k.name) parsed.kind = k.kind, known = true;
    if (!known)
        return Fail(words.empty() ? std::string("missing fault kind")
                                  : "unknown fault kind \"" + std::string(words[0]) + "\"",
                    error);
    size_t next = 1;
    if (!ParseKindArgument(words, &parsed, &next, error)) return false;
    bool takesCount = parsed.kind != FaultKind::kNone && parsed.kind != FaultKind::kUnplug;
    if (parsed.kind == FaultKind::kUnplug) parsed.remaining = 1;
    if (takesCount && words.size() > next && ParseCount(words[next], 1, &parsed.remaining)) ++next;
    if (parsed.kind != FaultKind::kNone && words.size() > next && words[next] == "after") {
        if (words.size() < next + 2 || !ParseCount(words[next + 1], 0, &parsed.after))
            return Fail("after needs a number of answers", error);
        next += 2;
    }
    if (words.size() > next) return Fail("unexpected \"" + std::string(words[next]) + "\"", error);
    *plan = parsed;
    return true;
}

std::string DescribeFaultPlan(const FaultPlan& plan) {
    std::string text;
    for (const KindName& k : kKindNames)
        if (k.kind == plan.kind) text = std::string(k.name);
    if (plan.kind == FaultKind::kDelay) text += " " + std::to_string(plan.delay.count());
    if (plan.kind == FaultKind::kWrongEcho && plan.wrongField == EchoField::kOffset)
        text += " offset";
    if (plan.kind == FaultKind::kStatus) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", plan.status);
        text += std::string(" ") + hex;
    }
    if (plan.kind != FaultKind::kNone && plan.kind != FaultKind::kUnplug && plan.remaining > 0)
        text += " " + std::to_string(plan.remaining);
    if (plan.kind != FaultKind::kNone && plan.after > 0)
        text += " after " + std::to_string(plan.after);
    return text;
}

FaultPlan TakeFault(FaultPlan* plan) {
    if (plan->kind != FaultKind::kNone && plan->after > 0) {
        --plan->after;
        return FaultPlan{};
    }
    FaultPlan now = *plan;
    if (plan->kind != FaultKind::kNone && plan->remaining > 0 && --plan->remaining == 0)
        *plan = FaultPlan{};
    return now;
}

std::vector<uint8_t> GarbageLike(const std::vector<uint8_t>& report) {
    std::vector<uint8_t> garbage(report.size());
    uint32_t state = 0x2545F491u;
    for (size_t i = 0; i < garbage.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        garbage[i] = static_cast<uint8_t>(state >> 24);
    }
    if (!garbage.empty()) garbage[0] = report[0];
    // A garbage answer must never pass for the echo of the command it answers.
    constexpr size_t kCode = CommandFrameLayout::kCommandOffset;
    if (garbage.size() > kCode && garbage[kCode] == report[kCode]) garbage[kCode] ^= 0xFF;
    return garbage;
}

std::vector<uint8_t> SpoilAnswer(const FaultPlan& fault, std::vector<uint8_t> answer) {
    constexpr size_t kCode = CommandFrameLayout::kCommandOffset;
    switch (fault.kind) {
        case FaultKind::kGarbage:
            return GarbageLike(answer);
        case FaultKind::kShort:
            if (answer.size() > kShortLength) answer.resize(kShortLength);
            return answer;
        case FaultKind::kWrongEcho:
            if (fault.wrongField == EchoField::kOffset) {
                if (answer.size() <= CommandFrameLayout::kOffsetOffset) return answer;
                answer[CommandFrameLayout::kOffsetOffset] ^= 0xFF;
                break;
            }
            if (answer.size() <= kCode) return answer;
            // Never 0xAA: that code means "not linked", a different failure.
            answer[kCode] ^= (answer[kCode] ^ 0x80) == 0xAA ? 0x40 : 0x80;
            break;
        case FaultKind::kStatus:
            if (answer.size() <= CommandFrameLayout::kStatusOffset) return answer;
            answer[CommandFrameLayout::kStatusOffset] = fault.status;
            break;
        default:
            return answer;
    }
    if (IsCommandFrame(answer)) StampChecksum(&answer);
    return answer;
}

}  // namespace tirk::vbus
