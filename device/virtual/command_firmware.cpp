#include "device/virtual/command_firmware.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/log.h"
#include "device/virtual/report_descriptors.h"

namespace tirk::vbus {
namespace {

using L = CommandFrameLayout;

// The operations that move bytes between a frame and a memory region.
struct MemoryOperation {
    uint8_t code;
    MemoryRegion region;
    bool writes;
};
constexpr MemoryOperation kMemoryOperations[] = {
    {kCmdReadDeviceInfo, MemoryRegion::kDeviceInfo, false},
    {kCmdReadSettings, MemoryRegion::kSettings, false},
    {kCmdWriteSettings, MemoryRegion::kSettings, true},
    {kCmdReadKeyTable, MemoryRegion::kFactoryKeys, false},
    {kCmdWriteKeyTable, MemoryRegion::kKeyTable, true},
    {kCmdWriteFnKeyTable, MemoryRegion::kFnKeyTable, true},
    {kCmdReadBank, MemoryRegion::kBanks, false},
    {kCmdWriteBank, MemoryRegion::kBanks, true},
    {kCmdWriteLightFrame, MemoryRegion::kLightFrame, true},
    {kCmdWriteMacroData, MemoryRegion::kMacros, true},
    {kCmdWriteRecoilData, MemoryRegion::kRecoil, true},
    {kCmdReadStatus, MemoryRegion::kStatus, false},
    {kCmdReadLightIndexTable, MemoryRegion::kLightIndex, false},
};

const MemoryOperation* FindMemoryOperation(uint8_t code) {
    for (const MemoryOperation& op : kMemoryOperations)
        if (op.code == code) return &op;
    return nullptr;
}

// Only the echoed header (command, length, offset) survives into an answer;
// data and status start from zero.
std::vector<uint8_t> AnswerHeader(const std::vector<uint8_t>& request) {
    std::vector<uint8_t> answer(L::kSize, 0);
    answer[0] = L::kReportId;
    for (size_t i = L::kCommandOffset; i < L::kStatusOffset; ++i) answer[i] = request[i];
    return answer;
}

}  // namespace

bool ParseControlNumber(std::string_view word, unsigned maximum, unsigned* value) {
    int base = 10;
    if (word.size() > 2 && (word.substr(0, 2) == "0x" || word.substr(0, 2) == "0X")) {
        word.remove_prefix(2);
        base = 16;
    }
    unsigned parsed = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), parsed, base);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || parsed > maximum)
        return false;
    *value = parsed;
    return true;
}

namespace {

constexpr size_t kMaxDeviceErrors = 1000;

// Byte 3 of both the information block and the status block says whether the
// host reaches the device through a receiver: a property of the link.
constexpr size_t kWirelessMarkByte = 3;
static_assert(kInfoWireless == kWirelessMarkByte);

std::shared_ptr<DeviceMemory> MemoryOf(const FirmwareConfig& config) {
    auto memory = std::make_shared<DeviceMemory>();
    memory->regions = config.regions;
    return memory;
}

}  // namespace

CommandFirmware::CommandFirmware(FirmwareConfig config)
    : m_config(std::move(config)), m_memory(MemoryOf(m_config)) {}

CommandFirmware::CommandFirmware(FirmwareConfig link, std::shared_ptr<DeviceMemory> memory)
    : m_config(std::move(link)), m_memory(memory ? std::move(memory) : MemoryOf(m_config)) {}

std::unique_ptr<VirtualFirmware> CommandFirmware::FactoryCopy(const std::string& name) const {
    FirmwareConfig config = m_config;
    config.name = name;
    return std::make_unique<CommandFirmware>(std::move(config));
}

void CommandFirmware::OnPlugChanged(bool plugged, FirmwareIo&) {
    if (m_config.wireless) return;
    m_memory->cablePlugged = plugged;
    m_memory->chargeStateGiven = false;
    FollowCable();
}

// Unless a state was given by hand, the device charges while its cable is
// plugged (and is "powered" once full) and runs on its battery otherwise.
void CommandFirmware::FollowCable() {
    std::vector<uint8_t>& status = m_memory->Region(MemoryRegion::kStatus);
    if (status.size() < 2 || m_memory->chargeStateGiven) return;
    if (!m_memory->cablePlugged)
        status[1] = kOnBattery;
    else
        status[1] = status[0] >= 100 ? kChargePowered : kCharging;
}

void CommandFirmware::OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                                     FirmwareIo& io) {
    if (!IsCommandFrame(report)) {
        OnOtherReport(interfaceNumber, report, io);
        return;
    }
    std::vector<uint8_t> answer = AnswerHeader(report);
    AnswerCommand(report, &answer);
    StampChecksum(&answer);
    io.Reply(interfaceNumber, std::move(answer));
}

void CommandFirmware::OnOtherReport(uint8_t, const std::vector<uint8_t>&, FirmwareIo&) {}

void CommandFirmware::OnStored(MemoryRegion, size_t, size_t) {}

void CommandFirmware::AnswerCommand(const std::vector<uint8_t>& request,
                                    std::vector<uint8_t>* answer) {
    uint8_t code = request[L::kCommandOffset];
    uint16_t sent = request[L::kChecksumOffset] | request[L::kChecksumOffset + 1] << 8;
    uint16_t expected = FrameChecksum(request);
    if (sent != expected) {
        char what[96];
        std::snprintf(what, sizeof what, "command 0x%02X: checksum %04X, expected %04X", code, sent,
                      expected);
        RecordDeviceError(what);
        (*answer)[L::kStatusOffset] = kStatusRejected;
        return;
    }
    // A receiver answers for its device only while the device is linked.
    if (!IsLinked() && code != kCmdQueryOnline) {
        AnswerNotLinked(answer);
        return;
    }
    switch (code) {
        case kCmdBeginWrite:
            m_memory->writeSessionOpen = true;
            return;
        case kCmdEndWrite:
            m_memory->writeSessionOpen = false;
            return;
        case kCmdResumeLighting:
            m_memory->hostDrivesLighting = false;
            return;
        case kCmdQueryOnline:
            (*answer)[L::kDataOffset] = IsLinked() ? 0xFF : 0x00;
            return;
    }
    const MemoryOperation* op = FindMemoryOperation(code);
    if (op == nullptr) {
        char what[64];
        std::snprintf(what, sizeof what, "command 0x%02X: unknown command", code);
        RecordDeviceError(what);
        (*answer)[L::kStatusOffset] = kStatusRejected;
        return;
    }
    AnswerMemoryAccess(op->region, op->writes, request, answer);
}

void CommandFirmware::AnswerMemoryAccess(MemoryRegion region, bool writes,
                                         const std::vector<uint8_t>& request,
                                         std::vector<uint8_t>* answer) {
    size_t length = request[L::kLengthOffset];
    size_t offset = request[L::kOffsetOffset] | request[L::kOffsetOffset + 1] << 8;
    std::vector<uint8_t>& memory = m_memory->Region(region);
    if (length > kFrameDataSize || offset + length > memory.size() || memory.empty()) {
        (*answer)[L::kStatusOffset] = kStatusOutOfRange;
        return;
    }
    uint8_t* data = answer->data() + L::kDataOffset;
    if (writes) {
        std::copy_n(request.begin() + L::kDataOffset, length, memory.begin() + offset);
        if (region == MemoryRegion::kLightFrame) m_memory->hostDrivesLighting = true;
        OnStored(region, offset, length);
    }
    // Writes echo what they stored, reads give what is stored.
    std::copy_n(memory.begin() + offset, length, data);
    MarkLink(region, offset, length, data);
}

void CommandFirmware::MarkLink(MemoryRegion region, size_t offset, size_t length,
                               uint8_t* data) const {
    bool marked = region == MemoryRegion::kDeviceInfo || region == MemoryRegion::kStatus;
    if (marked && offset <= kWirelessMarkByte && kWirelessMarkByte < offset + length)
        data[kWirelessMarkByte - offset] = m_config.wireless ? 1 : 0;
}

void CommandFirmware::AnswerNotLinked(std::vector<uint8_t>* answer) {
    (*answer)[L::kCommandOffset] = kCmdQueryOnline;
    (*answer)[L::kLengthOffset] = 0;
}

bool CommandFirmware::Notify(uint16_t code, FirmwareIo& io) {
    if (!m_config.hasNotifications || !IsLinked()) return false;
    io.Send(m_config.commandInterface, {kConsumerReportId, static_cast<uint8_t>(code & 0xFF),
                                        static_cast<uint8_t>(code >> 8)});
    return true;
}

void CommandFirmware::SetPowerStatus(uint8_t level, uint8_t state, uint8_t phone) {
    std::vector<uint8_t>& status = m_memory->Region(MemoryRegion::kStatus);
    if (status.size() < 6) return;
    status[0] = level;
    status[1] = state;
    status[5] = phone;
    m_memory->chargeStateGiven = true;
}

void CommandFirmware::RecordDeviceError(const std::string& what) {
    log::Printf("vbus: %s: device error: %s", m_config.name.c_str(), what.c_str());
    if (m_errors.size() >= kMaxDeviceErrors) m_errors.erase(m_errors.begin());
    m_errors.push_back(what);
}

bool CommandFirmware::Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                              std::string* answer) {
    std::string_view command = words.empty() ? std::string_view() : words[0];
    if (command == "link") return ControlLink(words, answer);
    if (command == "notify") return ControlNotify(words, io, answer);
    if (command == "status") return ControlStatus(words, answer);
    if (command == "errors" && words.size() == 1) {
        answer->clear();
        for (const std::string& error : m_errors) *answer += "\n" + error;
        return true;
    }
    return VirtualFirmware::Control(words, io, answer);
}

bool CommandFirmware::ControlLink(const std::vector<std::string_view>& words, std::string* answer) {
    if (!m_config.wireless) {
        *answer = "not a receiver; only receivers link";
        return false;
    }
    if (words.size() != 2 || (words[1] != "on" && words[1] != "off")) {
        *answer = "link needs on or off";
        return false;
    }
    m_linked = words[1] == "on";
    answer->clear();
    return true;
}

bool CommandFirmware::ControlNotify(const std::vector<std::string_view>& words, FirmwareIo& io,
                                    std::string* answer) {
    unsigned code = 0;
    if (words.size() != 2 || !ParseControlNumber(words[1], 0xFFFF, &code)) {
        *answer = "notify needs a code from 0 to 65535 (decimal, or hexadecimal with 0x)";
        return false;
    }
    if (!Notify(static_cast<uint16_t>(code), io)) {
        *answer = m_config.hasNotifications ? "the device behind the receiver is not linked"
                                            : "no notification collection";
        return false;
    }
    answer->clear();
    return true;
}

bool CommandFirmware::ControlStatus(const std::vector<std::string_view>& words,
                                    std::string* answer) {
    unsigned level = 0, state = 0, phone = 0;
    bool ok = (words.size() == 3 || words.size() == 4) &&
              ParseControlNumber(words[1], 100, &level) &&
              ParseControlNumber(words[2], 255, &state) &&
              (words.size() == 3 || ParseControlNumber(words[3], 255, &phone));
    if (!ok) {
        *answer = "status needs LEVEL (0-100) STATE (0 powered, 1 charging, 2 battery) [PHONE]";
        return false;
    }
    SetPowerStatus(static_cast<uint8_t>(level), static_cast<uint8_t>(state),
                   static_cast<uint8_t>(phone));
    answer->clear();
    return true;
}

}  // namespace tirk::vbus
