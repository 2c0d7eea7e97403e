// The keyboard's device object: first contact, resynchronisation, the sends
// of settings, macros and key assignments, and the keyboard's own reports.
// Exchanges run on the device's worker; what they read is applied here on
// the UI thread. docs/keyboard-page.md tells the flow.
#include "device/family/keyboard_device.h"

#include "core/log.h"
#include "device/family/keyboard_picture.h"
#include "profile/keyboard_profiledata.h"
#include "profile/macro_store.h"
#include "profile/panel/device_profile.h"
#include "ui/resource_manager.h"

namespace kb = tirk::keyboard;

CTelvorinKeyboardDevice::CTelvorinKeyboardDevice()
    : CTelvorinFamilyDevice(kFamilyKeyboard, std::make_unique<tirk::CKeyboardProfiledata>()),
      m_protocol(std::make_shared<kb::KeyboardProtocol>(Channel())),
      m_streamer(*m_protocol, m_lighting) {}

// The exchanges stop first, so that no frame under way holds the streamer;
// the lighting thread calls the streamer after each pass, so it ends before it.
CTelvorinKeyboardDevice::~CTelvorinKeyboardDevice() {
    StopExchanges();
    m_lighting.Stop();
    m_streamer.Stop();
}

void CTelvorinKeyboardDevice::AttachToPage() {
    // The key and light buttons are made from the on-screen keyboard's
    // geometry; the binding then finds them like any page's buttons.
    tirk::BuildKeyboardPictureIn(*this);
    CTelvorinFamilyDevice::AttachToPage();
}

// ---- first contact and resynchronisation ----------------------------------------

int CTelvorinKeyboardDevice::LoadActiveProfile() {
    CountChange();
    const int loaded = CTelvorinFamilyDevice::LoadActiveProfile();
    ApplyProfileToState();
    return loaded;
}

void CTelvorinKeyboardDevice::StartDevice() {
    CTelvorinFamilyDevice::StartDevice();
    m_lighting.Start();
    UpdateDriveState();
    m_started = true;
    QueueDeviceRead(true);
}

void CTelvorinKeyboardDevice::QueueDeviceRead(bool tables) {
    auto protocol = m_protocol;
    QueueExchange<DeviceReading>(
        kExchangeAlways,
        [protocol, tables, count = ChangeCount()](CCommandChannel&) {
            DeviceReading reading = ReadDevice(*protocol, tables);
            reading.changeCount = count;
            return reading;
        },
        [this](const DeviceReading& reading) { TakeDeviceReading(reading); });
}

void CTelvorinKeyboardDevice::ResyncFromDevice() {
    if (!m_started) return;  // the first contact reads everything anyway
    if (m_profileResyncAsked) {
        m_profileResyncAsked = false;
        if (auto* panel = dynamic_cast<CDeviceProfileUI*>(FindSubControl(kProfilePanelName))) {
            panel->InitProfiles();
            SetProfileBaseName(panel->GetActiveProfileId());
        }
        LoadActiveProfile();
    }
    // Tables that the first contact could not read are read now.
    QueueDeviceRead(!m_protocol->Tables().read);
}

// Worker thread.
CTelvorinKeyboardDevice::DeviceReading CTelvorinKeyboardDevice::ReadDevice(
    kb::KeyboardProtocol& protocol, bool tables) {
    DeviceReading reading;
    reading.tables = tables ? protocol.ReadKeyTables() : tirk::link::kSuccess;
    reading.settings = protocol.ReadDeviceSettings();
    reading.state = protocol.Settings();
    return reading;
}

// What the keyboard holds becomes the profile's lighting values and key
// flags; a read that failed leaves the profile as it was.
void CTelvorinKeyboardDevice::TakeDeviceReading(const DeviceReading& reading) {
    if (reading.tables != tirk::link::kSuccess)
        tirk::log::Printf("%s: key tables not read (%d)", DeviceFolderName().c_str(),
                          reading.tables);
    if (reading.settings != tirk::link::kSuccess) {
        tirk::log::Printf("%s: settings not read (%d)", DeviceFolderName().c_str(),
                          reading.settings);
        RefreshPage();
        return;
    }
    // A change made here after the read was queued is newer than what the
    // keyboard said; it is already on its way to the keyboard.
    if (reading.changeCount != ChangeCount()) return;
    tirk::CKeyboardProfiledata& profile = KeyboardProfile();
    profile.SetLightInfo(reading.state.light);
    profile.GetLightInfo();
    kb::SystemSettings system = SystemSettings();
    system.key6Flag = reading.state.system.key6Flag;
    system.wFlag = reading.state.system.wFlag;
    system.winFlag = reading.state.system.winFlag;
    PutSystemSettings(system);
    SaveProfile();
    ApplyProfileToState();
    RefreshPage();
    if (reading.state.light.selectItem == kb::kCustomMode) ReadCustomColoursFromDevice();
}

void CTelvorinKeyboardDevice::RefreshPage() {
    CTelvorinFamilyDevice::RefreshPage();
    RefreshSystemPage();
}

// ---- sends -----------------------------------------------------------------------

void CTelvorinKeyboardDevice::QueueSend(const char* what,
                                        std::function<int(kb::KeyboardProtocol&)> send) {
    CTelvorinFamilyDevice::QueueSend(m_protocol, what, std::move(send));
}

// The values travel with the job: a read that runs before it on the worker
// replaces the protocol's values with the keyboard's older ones.
int CTelvorinKeyboardDevice::WriteDeviceSettings(int slot, int active, int, int, int) {
    CountChange();
    const tirk::LightInfoRecord light = Profile().GetLightInfo();
    const kb::SystemSettings system = SystemSettings();
    QueueSend(kSettingsPart, [slot, active, light, system](kb::KeyboardProtocol& protocol) {
        protocol.SetLightValues(light);
        protocol.SetSystemSettings(system);
        return protocol.WriteDeviceSettings(static_cast<uint8_t>(slot),
                                            static_cast<uint8_t>(active));
    });
    return 1;
}

std::vector<int> CTelvorinKeyboardDevice::CollectUsedMacros() {
    const tirk::MacroStore macros(UserFolder());
    if (!macros.ListUsable()) return {};
    return m_protocol->CollectUsedMacros(Profile().KeyList(),
                                         static_cast<int>(macros.ListNames().size()));
}

int CTelvorinKeyboardDevice::DownloadMacros(const std::vector<int>& macros) {
    return QueueMacroDownload(m_protocol, macros, kb::kMacroMemory);
}

int CTelvorinKeyboardDevice::WriteCurrentKeyAssignments(int bank) {
    return QueueKeyTableWrite<kb::KeyboardProtocol>(
        m_protocol, [bank](kb::KeyboardProtocol& protocol,
                           const std::vector<tirk::KeyListEntry>& list, int macroCount) {
            return protocol.WriteKeyAssignments(list, macroCount, bank);
        });
}

// ---- the keyboard's reports ------------------------------------------------------

void CTelvorinKeyboardDevice::OnNotification(uint16_t code, bool wireless) {
    const kb::ReportListener listener =
        wireless ? kb::ReportListener::kReceiver : kb::ReportListener::kCable;
    const kb::KeyboardEvent event = kb::DecodeKeyboardReport(code, listener);
    switch (event.kind) {
        case kb::KeyboardEventKind::kResyncProfiles:
            m_profileResyncAsked = true;
            [[fallthrough]];
        case kb::KeyboardEventKind::kResync:
            ArmTileTimer(kTimerResync, kResyncDelayMs);
            return;
        case kb::KeyboardEventKind::kKeyDown:
            return OnDeviceKeyEvent(event.keyIndex, 1);
        case kb::KeyboardEventKind::kKeyUp:
            return OnDeviceKeyEvent(event.keyIndex, 2);
        case kb::KeyboardEventKind::kActiveProfile:
        case kb::KeyboardEventKind::kProfileAndFlags:
            if (m_protocol->ApplyDeviceReport(code, listener)) RefreshPage();
            return;
        default:
            return;
    }
}

void CTelvorinKeyboardDevice::OnDeviceKeyEvent(int keyIndex, int kind) {
    if (kind != 1 && kind != 2) return;
    const int position = m_protocol->PositionOfKey(keyIndex);
    if (position < 0) return;
    m_lighting.OnKeyEvent(position, kind);
}
