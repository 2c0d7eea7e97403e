// The mouse's device object: first contact, resynchronisation, the sends of
// settings, key assignments, macros and recoil tables, and the mouse's
// notifications. Exchanges run on the device's worker; what they read is
// applied here on the UI thread.
#include "device/family/mouse_device.h"

#include "core/log.h"
#include "device/family/mouse_picture.h"
#include "profile/mouse_profiledata.h"

namespace ms = tirk::mouse;

CTelvorinMouseDevice::CTelvorinMouseDevice()
    : CTelvorinFamilyDevice(kFamilyMouse, std::make_unique<tirk::CMouseProfiledata>()),
      m_protocol(std::make_shared<ms::MouseProtocol>(Channel())),
      m_previewThread([this](PreviewTime now) { return RunPreviewPass(now); }) {}

// The preview and the exchanges stop before what they use goes.
CTelvorinMouseDevice::~CTelvorinMouseDevice() {
    StopPreview();
    StopExchanges();
}

void CTelvorinMouseDevice::StopPreview() {
    if (!m_previewThread.Running()) return;
    m_previewThread.Stop();
    tirk::log::Line("MS灯光线程设定退出");
}

void CTelvorinMouseDevice::AttachToPage() {
    // The buttons are made from the picture's table; the binding then finds
    // them like any page's buttons.
    tirk::BuildMousePictureIn(*this);
    CTelvorinFamilyDevice::AttachToPage();
    // The lighting tab shows the lights on a small picture of its own.
    SetLightMirror(FindSubControl(tirk::kMouseLightPictureName),
                   tirk::BuildMouseLightPictureIn(*this));
}

void CTelvorinMouseDevice::OnKeyTextsChanged() {
    const auto& list = Profile().KeyList();
    for (int key = 0; key < static_cast<int>(list.size()); ++key)
        tirk::ShowMouseAssignment(*this, key, AssignmentTextOf(list[size_t(key)].current.code));
}

tirk::CMouseProfiledata& CTelvorinMouseDevice::MouseProfile() {
    return static_cast<tirk::CMouseProfiledata&>(Profile());
}

int CTelvorinMouseDevice::ApplyProfileToState() {
    const auto& codes = LightingNames().modeCodes;
    m_protocol->SetModeCodes(std::vector<uint8_t>(codes.begin(), codes.end()));
    UpdatePreviewParams();
    return 1;
}

// ---- first contact and resynchronisation ----------------------------------------

void CTelvorinMouseDevice::StartDevice() {
    CTelvorinFamilyDevice::StartDevice();
    ApplyProfileToState();
    m_started = true;
    QueueDeviceRead(true);
    StopPreview();
    OnDriveFlagsChanged();
    m_previewThread.Start();
}

void CTelvorinMouseDevice::ResyncFromDevice() {
    if (!m_started) return;  // the first contact reads everything anyway
    // A key table the first contact could not read is read now.
    QueueDeviceRead(m_protocol->Info().keyCount == 0);
}

void CTelvorinMouseDevice::QueueDeviceRead(bool keys) {
    auto protocol = m_protocol;
    QueueExchange<DeviceReading>(
        kExchangeAlways,
        [protocol, keys, count = ChangeCount()](CCommandChannel&) {
            DeviceReading reading;
            reading.keys = keys ? protocol->ReadKeyTable() : tirk::link::kSuccess;
            // A mouse that reports too many keys is not read further.
            reading.settings =
                reading.keys == ms::kKeyTableTooLarge ? reading.keys : protocol->ReadSettings();
            reading.state = protocol->Settings();
            reading.info = protocol->Info();
            reading.changeCount = count;
            return reading;
        },
        [this](const DeviceReading& reading) { TakeDeviceReading(reading); });
}

// What the mouse holds becomes the profile's lighting values and active
// DPI stage; a read that failed leaves the profile as it was.
void CTelvorinMouseDevice::TakeDeviceReading(const DeviceReading& reading) {
    if (reading.info.keyCount > 0 && !(reading.info == m_info)) {
        m_info = reading.info;
        SetUpDpiControls();
    }
    if (reading.keys != tirk::link::kSuccess)
        tirk::log::Printf("%s: key table not read (%d)", DeviceFolderName().c_str(), reading.keys);
    if (reading.settings != tirk::link::kSuccess) {
        tirk::log::Printf("%s: settings not read (%d)", DeviceFolderName().c_str(),
                          reading.settings);
        RefreshPage();
        return;
    }
    // A change made here after the read was queued is newer than what the
    // mouse said; it is already on its way to the mouse.
    if (reading.changeCount != ChangeCount()) return;
    tirk::CMouseProfiledata& profile = MouseProfile();
    tirk::LightInfoRecord light = profile.GetLightInfo();
    light.selectItem = reading.state.light.selectItem;
    light.light = reading.state.light.light;
    light.speed = reading.state.light.speed;
    light.multiColor = reading.state.light.multiColor;
    light.red = reading.state.light.red;
    light.green = reading.state.light.green;
    light.blue = reading.state.light.blue;
    profile.SetLightInfo(light);
    UpdatePreviewParams();
    profile.GetLightInfo();
    profile.GetDpiStages();
    profile.SetActiveDpiStage(reading.state.activeStage);
    SaveProfile();
    RefreshPage();
}

CTelvorinUSBDevice::LinkCheck CTelvorinMouseDevice::LinkCheckExchange() const {
    return [protocol = m_protocol](CCommandChannel&) {
        return protocol->IsOnline() ? tirk::link::kSuccess : tirk::link::kNoAnswer;
    };
}

// ---- sends -----------------------------------------------------------------------

int CTelvorinMouseDevice::WriteDeviceSettings(int slot, int first, int third, int width,
                                              int height) {
    CountChange();
    ms::SettingsTarget target;
    target.slot = uint8_t(slot);
    target.first = uint8_t(first);
    target.third = uint8_t(third);
    target.width = uint16_t(width);
    target.height = uint16_t(height);
    QueueSend<ms::MouseProtocol>(
        m_protocol, kSettingsPart,
        [values = ms::MouseSettingsOf(MouseProfile()), target](ms::MouseProtocol& mouse) {
            return mouse.WriteSettings(values, target);
        },
        kByProtocol);
    return 1;
}

std::vector<int> CTelvorinMouseDevice::CollectUsedMacros() {
    const tirk::MacroStore macros(UserFolder());
    if (!macros.ListUsable()) return {};
    return m_protocol->CollectUsedMacros(Profile().KeyList(),
                                         static_cast<int>(macros.ListNames().size()));
}

int CTelvorinMouseDevice::WriteCurrentKeyAssignments(int bank) {
    return QueueKeyTableWrite<ms::MouseProtocol>(
        m_protocol,
        [bank](ms::MouseProtocol& mouse, const std::vector<tirk::KeyListEntry>& list,
               int macroCount) { return mouse.WriteKeyTable(list, macroCount, bank); },
        kByProtocol);
}

// The mouse says how much macro memory it has; before it said so, the
// worker's own check against what it reads decides. With no macro in use
// the mouse gets an empty block, which clears the macros it still holds.
int CTelvorinMouseDevice::DownloadMacros(const std::vector<int>& macros) {
    const std::size_t memory = m_info.macroMemory;
    return QueueMacroDownload(m_protocol, macros, memory > 0 ? memory : SIZE_MAX, kByProtocol,
                              EmptyMacroList::kSendEmptyBlock);
}

std::size_t CTelvorinMouseDevice::MacroMemory() const {
    const std::size_t memory = m_info.macroMemory;
    return memory > 0 ? memory : ms::kLargestMacroMemory;
}

void CTelvorinMouseDevice::SendRecoilTables(std::vector<uint8_t> block) {
    QueueSend<ms::MouseProtocol>(
        m_protocol, kRecoilPart,
        [block = std::move(block)](ms::MouseProtocol& mouse) {
            return mouse.WriteRecoilBlock(block);
        },
        kByProtocol);
}

// ---- the mouse's notifications --------------------------------------------------

void CTelvorinMouseDevice::OnNotification(uint16_t code, bool /*wireless*/) {
    const ms::MouseEvent event = ms::DecodeMouseNotification(code);
    switch (event.kind) {
        case ms::MouseEventKind::kResync:
            tirk::log::Line("接收到自动添加设备的同步信息要求");
            ArmTileTimer(kTimerResync, kResyncDelayMs);
            return;
        case ms::MouseEventKind::kReactiveTrigger:
            return TriggerReactivePreview();
        case ms::MouseEventKind::kSlot:
        case ms::MouseEventKind::kSlotAndActiveStage:
            if (!m_protocol->ApplyNotification(code)) return;
            MouseProfile().SetActiveDpiStage(m_protocol->Settings().activeStage);
            RefreshPage();
            return;
        default:
            return;
    }
}
