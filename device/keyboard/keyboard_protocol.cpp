#include "device/keyboard/keyboard_protocol.h"

#include "device/link/command_frame.h"
#include "device/protocol/device_session.h"

namespace tirk::keyboard {

using link::kSuccess;
using protocol::InWriteSession;

void KeyboardProtocol::SetModeCodes(std::vector<uint8_t> codes) {
    std::lock_guard lock(m_stateLock);
    m_modeCodes = std::move(codes);
}

KeyTables KeyboardProtocol::Tables() const {
    std::lock_guard lock(m_stateLock);
    return m_tables;
}

KeyboardSettingsState KeyboardProtocol::Settings() const {
    std::lock_guard lock(m_stateLock);
    return m_settings;
}

void KeyboardProtocol::SetLightValues(const LightInfoRecord& light) {
    std::lock_guard lock(m_stateLock);
    m_settings.light = light;
}

void KeyboardProtocol::SetSystemSettings(const SystemSettings& system) {
    std::lock_guard lock(m_stateLock);
    m_settings.system = system;
}

int KeyboardProtocol::PositionOfKey(int keyIndex) const {
    std::lock_guard lock(m_stateLock);
    return keyboard::PositionOfKey(m_tables.maps, keyIndex);
}

int KeyboardProtocol::ReadKeyTables() {
    protocol::KeyTableRead session;
    std::vector<uint8_t> leds(kMaxKeyTableBytes / 3, 0);
    int result = protocol::ReadKeyTableSession(m_channel, "keyboard", session, [&](int keyCount) {
        int r = m_channel.ReadLightIndexTable(leds);
        leds.resize(size_t(keyCount));
        return r;
    });
    if (result != kSuccess) return result;
    KeyTables read;
    read.keyCount = session.keyCount;
    read.deviceInfo = session.info;
    read.defaultCodes = std::move(session.codes);
    read.ledIndices = std::move(leds);
    read.maps = BuildPositionMaps(read.defaultCodes, read.ledIndices);
    read.read = true;
    std::lock_guard lock(m_stateLock);
    m_tables = std::move(read);
    return kSuccess;
}

int KeyboardProtocol::ReadDeviceSettings() {
    m_channel.SetPause(0);
    {
        std::lock_guard lock(m_stateLock);
        m_settings.previousLight = m_settings.light;
    }
    uint8_t active = 0;
    SettingsRecord record{};
    int result = protocol::ReadCurrentRecord(m_channel, kProfileStride, active, record);
    if (result != kSuccess) return result;
    record[kActiveProfileByte] = active;
    std::lock_guard lock(m_stateLock);
    ApplySettingsRecord(record, m_modeCodes, m_settings);
    return kSuccess;
}

int KeyboardProtocol::WriteDeviceSettings(uint8_t slot, uint8_t active) {
    const uint16_t offset = static_cast<uint16_t>(slot * kProfileStride);
    KeyboardSettingsState state = Settings();
    // Without a record read there is nothing to carry the keyboard's own
    // bytes from: they are taken from the slot itself rather than zeroed.
    if (!state.recordRead) {
        int result = m_channel.ReadSettings(state.raw, offset);
        if (result != kSuccess) return result;
    }
    SettingsRecord record;
    {
        std::lock_guard lock(m_stateLock);
        record = EncodeSettingsRecord(state.raw, active, m_settings.light, m_settings.system,
                                      m_modeCodes);
    }
    return InWriteSession(m_channel, [&] { return m_channel.WriteSettings(record, offset); });
}

std::vector<int> KeyboardProtocol::CollectUsedMacros(std::span<const KeyListEntry> list,
                                                     int macroCount) const {
    std::lock_guard lock(m_stateLock);
    return keyboard::CollectUsedMacros(m_tables.maps, list, macroCount);
}

int KeyboardProtocol::WriteKeyAssignments(std::span<const KeyListEntry> list, int macroCount,
                                          int bank) {
    if (bank != 0) return link::kBankNotZero;
    KeyTables tables = Tables();
    if (!tables.read) return kKeyTablesUnknown;
    protocol::DeviceInfo info{};
    int result = protocol::RereadDeviceInfo(m_channel, "keyboard", tables.keyCount, info);
    if (result != kSuccess) return result;
    KeyTablePlan plan = PlanKeyTable(tables, list, macroCount);
    m_channel.SetTableSize(static_cast<int>(tables.TableBytes()));
    return InWriteSession(m_channel, [&] { return m_channel.WriteKeyTable(plan.table, bank); });
}

MacroDownloadOutcome KeyboardProtocol::DownloadMacros(const MacroStore& store,
                                                      const std::vector<int>& used) {
    if (used.empty()) return {};
    return protocol::DownloadMacroBlock(m_channel, store, used, kMacroMemory);
}

int KeyboardProtocol::ReadCustomColours(int group, std::span<CustomLightColor> colours) {
    KeyTables tables = Tables();
    if (!tables.read) return kKeyTablesUnknown;
    ColourBank bank{};
    int result =
        m_channel.ReadBank(std::span(bank).first(tables.TableBytes()), group, kColourGroupStride);
    if (result != kSuccess) return result;
    TakeColourBank(tables.maps, bank, colours);
    return kSuccess;
}

int KeyboardProtocol::WriteCustomColours(int group, std::span<const CustomLightColor> colours,
                                         AlphaScaling scaling) {
    KeyTables tables = Tables();
    if (!tables.read) return kKeyTablesUnknown;
    ColourBank bank = BuildColourBank(tables.maps, colours, scaling);
    return m_channel.WriteBank(std::span<const uint8_t>(bank).first(tables.TableBytes()), group,
                               kColourGroupStride);
}

int KeyboardProtocol::SendLightFrame(std::span<const CustomLightColor> colours) {
    std::vector<uint8_t> frame;
    {
        std::lock_guard lock(m_stateLock);
        if (!IsHostLightingMode(m_settings.light.selectItem)) return kSuccess;
        if (!m_tables.read) return kKeyTablesUnknown;
        frame = BuildLightFrame(m_tables.maps, m_tables.keyCount, colours);
    }
    return m_channel.WriteLightFrame(frame);
}

int KeyboardProtocol::ReadPowerStatus(PowerStatus& status) {
    return protocol::ReadPowerStatus(m_channel, status);
}

bool KeyboardProtocol::ApplyDeviceReport(uint16_t code, ReportListener listener) {
    if (!m_channel.IsOpen()) return false;
    std::lock_guard lock(m_stateLock);
    return keyboard::ApplyDeviceReport(DecodeKeyboardReport(code, listener), m_settings);
}

PushOutcome KeyboardProtocol::PushProfile(std::span<const KeyListEntry> list,
                                          const MacroStore& store) {
    PushOutcome outcome;
    auto fail = [&](PushStep step, int result) {
        outcome.failedStep = step;
        outcome.result = result;
        return outcome;
    };
    int result = WriteDeviceSettings(0, 0);
    if (result != kSuccess) return fail(PushStep::kSettings, result);
    const int macroCount = static_cast<int>(store.LoadList().size());
    MacroDownloadOutcome macros = DownloadMacros(store, CollectUsedMacros(list, macroCount));
    outcome.overflow = macros.overflow;
    if (macros.result != kSuccess) return fail(PushStep::kMacros, macros.result);
    result = WriteKeyAssignments(list, macroCount, 0);
    if (result != kSuccess) return fail(PushStep::kKeyTable, result);
    return outcome;
}

}  // namespace tirk::keyboard
