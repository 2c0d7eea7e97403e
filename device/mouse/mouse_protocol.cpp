#include "device/mouse/mouse_protocol.h"

#include "device/protocol/device_session.h"

namespace tirk::mouse {

using link::kNoAnswer;
using link::kSuccess;
using protocol::InWriteSession;

namespace {

constexpr char kFamily[] = "mouse";
/// The page's number for a write step that failed.
constexpr int kMacroWriteFailed = -1;

uint16_t SlotOffset(int slot) {
    return static_cast<uint16_t>(slot * kSlotStride);
}

}  // namespace

int MacroDownloadResult(const MacroDownloadOutcome& outcome) {
    if (outcome.overflow > 0) return outcome.overflow;
    if (!outcome.sent || outcome.result == kSuccess) return 0;
    return kMacroWriteFailed;
}

void MouseProtocol::SetModeCodes(std::vector<uint8_t> codes) {
    std::lock_guard lock(m_stateLock);
    m_modeCodes = std::move(codes);
}

MouseKeys MouseProtocol::Keys() const {
    std::lock_guard lock(m_stateLock);
    return m_keys;
}

MouseInfo MouseProtocol::Info() const {
    std::lock_guard lock(m_stateLock);
    return m_keys.info;
}

MouseSettingsState MouseProtocol::Settings() const {
    std::lock_guard lock(m_stateLock);
    return m_settings;
}

int MouseProtocol::ReadKeyTable() {
    if (!m_channel.CanSend()) return kNoAnswer;
    protocol::KeyTableRead session;
    int result = protocol::ReadKeyTableSession(m_channel, kFamily, session);
    if (result != kSuccess) return result;
    MouseKeys read;
    read.block = session.info;
    read.info = ParseMouseInfo(session.info);
    read.table = std::move(session.codes);
    read.map = BuildStandardFunctionMap(read.table);
    read.read = true;
    std::lock_guard lock(m_stateLock);
    m_keys = std::move(read);
    return kSuccess;
}

int MouseProtocol::ReadSettings() {
    m_channel.SetPause(0);
    if (!m_channel.CanSend()) return kNoAnswer;
    uint8_t slot = 0;
    SettingsRecord record{};
    int result = protocol::ReadCurrentRecord(m_channel, kSlotStride, slot, record);
    if (result != kSuccess) return result;
    std::lock_guard lock(m_stateLock);
    ApplySettingsRecord(record, slot, m_modeCodes, m_settings);
    return kSuccess;
}

int MouseProtocol::WriteSettings(const MouseSettings& values, const SettingsTarget& target) {
    if (!m_channel.CanSend()) return kNoAnswer;
    SettingsRecord record;
    {
        std::lock_guard lock(m_stateLock);
        record = EncodeSettingsRecord(values, target, m_modeCodes);
    }
    return InWriteSession(m_channel,
                          [&] { return m_channel.WriteSettings(record, SlotOffset(target.slot)); });
}

std::vector<int> MouseProtocol::CollectUsedMacros(std::span<const KeyListEntry> list,
                                                  int macroCount) const {
    std::lock_guard lock(m_stateLock);
    return mouse::CollectUsedMacros(m_keys.map, list, macroCount);
}

int MouseProtocol::WriteKeyTable(std::span<const KeyListEntry> list, int macroCount, int bank) {
    if (bank != 0) return link::kBankNotZero;
    const MouseKeys keys = Keys();
    if (!keys.read) return kKeyTableUnknown;
    if (!m_channel.CanSend()) return kNoAnswer;
    protocol::DeviceInfo info{};
    int result = protocol::RereadDeviceInfo(m_channel, kFamily, keys.info.keyCount, info);
    if (result != kSuccess) return result;
    const KeyTablePlan plan = PlanKeyTable(keys, list, macroCount);
    m_channel.SetTableSize(static_cast<int>(plan.table.size()));
    return InWriteSession(m_channel, [&] { return m_channel.WriteKeyTable(plan.table, bank); });
}

MacroDownloadOutcome MouseProtocol::DownloadMacros(const MacroStore& store,
                                                   const std::vector<int>& used) {
    MacroDownloadOutcome outcome;
    if (!m_channel.CanSend()) {
        outcome.result = kNoAnswer;
        return outcome;
    }
    protocol::DeviceInfo info{};
    outcome.result = m_channel.ReadDeviceInfo(info);
    if (outcome.result != kSuccess) return outcome;
    return protocol::DownloadMacroBlock(m_channel, store, used, ParseMouseInfo(info).macroMemory,
                                        protocol::WriteGuard::kLinkChecked);
}

int MouseProtocol::WriteRecoilBlock(std::span<const uint8_t> block) {
    if (!m_channel.CanSend()) return kNoAnswer;
    return InWriteSession(m_channel, [&] { return m_channel.WriteRecoilData(block); });
}

int MouseProtocol::WriteRecoilTables(const RecoilTables& tables) {
    const RecoilBlock block = tables.BuildBlock();
    if (!block.result.Ok()) return kRecoilTablesRefused;
    return WriteRecoilBlock(block.bytes);
}

int MouseProtocol::ReadPowerStatus(PowerStatus& status) {
    return protocol::ReadPowerStatus(m_channel, status);
}

bool MouseProtocol::IsOnline() {
    return m_channel.IsOpen() && m_channel.IsWireless() && m_channel.QueryOnline() == kSuccess;
}

bool MouseProtocol::ApplyNotification(uint16_t code) {
    if (!m_channel.IsOpen()) return false;
    const MouseEvent event = DecodeMouseNotification(code);
    std::lock_guard lock(m_stateLock);
    return ApplyMouseEvent(event, m_settings);
}

}  // namespace tirk::mouse
