// The device object's identity, model parameters, names, paths, flags and
// notification listeners.
#include "device/page/usb_device.h"

#include <algorithm>

#include "core/log.h"
#include "profile/profile_paths.h"
#include "ui/paint_manager.h"

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

CTelvorinUSBDevice::CTelvorinUSBDevice()
    : CTelvorinUSBDevice(kFamilyBase, tirk::hid::CreateDefaultHidBackend(), {}) {}

CTelvorinUSBDevice::CTelvorinUSBDevice(std::shared_ptr<tirk::hid::HidBackend> backend,
                                       tirk::link::ChannelTimeouts timeouts)
    : CTelvorinUSBDevice(kFamilyBase, std::move(backend), timeouts) {}

CTelvorinUSBDevice::CTelvorinUSBDevice(int32_t familyCode,
                                       std::shared_ptr<tirk::hid::HidBackend> backend,
                                       tirk::link::ChannelTimeouts timeouts)
    : m_familyCode(familyCode),
      m_channel(backend, timeouts),
      m_notifyChannel(backend, timeouts),
      m_tick(tirk::preview::SteadyTickMs),
      m_worker([this](std::function<void()> apply) { PostExchangeResult(std::move(apply)); },
               ChannelInterrupt(m_channel)) {
    // Every device page has the same option groups (feature tabs, lighting
    // direction, modifiers); each page keeps its own selection.
    SetGroupScope(true);
}

CTelvorinUSBDevice::~CTelvorinUSBDevice() {
    // The listeners and the exchange worker post to this object; they end
    // before it goes, and the worker's results still queued are dropped.
    m_wiredListener.Stop();
    m_wirelessListener.Stop();
    StopExchanges();
    StopTileTimers();
}

void CTelvorinUSBDevice::Notify(TNotifyUI& /*msg*/) {}

// --- identity and model ---------------------------------------------------------

void CTelvorinUSBDevice::SetIdentity(const tirk::DeviceCandidate& candidate) {
    m_identity = candidate;
    SetTypeCodes(candidate.typeCode, candidate.secondaryCode);
}

void CTelvorinUSBDevice::SetTypeCodes(int32_t typeCode, int32_t secondaryCode) {
    m_typeCode = typeCode;
    m_secondaryCode = secondaryCode;
}

void CTelvorinUSBDevice::SetKeyCount(int count) {
    m_keyControls.assign(std::max(count, 0), nullptr);
}

void CTelvorinUSBDevice::SetLedCount(int count) {
    const size_t leds = std::max(count, 0);
    m_lightControls.assign(leds, nullptr);
    {
        std::lock_guard lock(m_previewLock);
        m_ledColours.assign(4 * leds, 0);
    }
    std::lock_guard lock(m_lightTableLock);
    m_ledRecords.assign(leds, LedRecord{});
}

CDeviceKeyButtonUI* CTelvorinUSBDevice::KeyControl(int index) const {
    return index >= 0 && index < KeyCount() ? m_keyControls[index] : nullptr;
}

CDeviceKeyButtonUI* CTelvorinUSBDevice::LightControl(int index) const {
    return index >= 0 && index < LedCount() ? m_lightControls[index] : nullptr;
}

CTelvorinUSBDevice::LedRecord CTelvorinUSBDevice::GetLedRecord(int index) const {
    std::lock_guard lock(m_lightTableLock);
    if (index < 0 || static_cast<size_t>(index) >= m_ledRecords.size()) return {};
    return m_ledRecords[index];
}

// --- paths ------------------------------------------------------------------------

std::string CTelvorinUSBDevice::UserFolder(tirk::FileResult* result) const {
    std::string folder;
    tirk::FileResult made = tirk::MakeDeviceDataFolder(m_deviceFolderName, folder);
    if (result) *result = made;
    return folder;
}

void CTelvorinUSBDevice::SetInstallFolder(const std::string& folder) {
    m_installFolder = WithSlash(folder);
}

std::string CTelvorinUSBDevice::InstallFolder() const {
    return m_installFolder.empty() ? WithSlash(CPaintManagerUI::GetInstancePath())
                                   : m_installFolder;
}

std::string CTelvorinUSBDevice::DefaultDataFolder() const {
    return InstallFolder() + "DefaultData/";
}

std::string CTelvorinUSBDevice::DefaultProfilePath() const {
    return tirk::DefaultProfilePath(InstallFolder(), m_deviceFolderName);
}

std::string CTelvorinUSBDevice::ProfileDocumentPath() const {
    return UserFolder() + m_profileBaseName + ".Json";
}

std::string CTelvorinUSBDevice::ConfigDocumentPath() const {
    return UserFolder() + m_configBaseName + ".config";
}

// --- flags --------------------------------------------------------------------------

// Guarded sending asks the receiver (QueryOnline) before the resume, so both
// run on the worker; a closed channel is refused here without an exchange.
int CTelvorinUSBDevice::SetLightControl(int value) {
    m_lightControl = value;
    OnDriveFlagsChanged();
    if (value == 0 || m_typeCode != tirk::kTypeKeyboard) return tirk::link::kSuccess;
    if (!m_channel.IsOpen()) return tirk::link::kNoAnswer;
    QueueExchange<int>(
        kExchangeResume,
        [](CCommandChannel& channel) {
            return channel.CanSend() ? channel.ResumeLighting() : tirk::link::kNoAnswer;
        },
        [this](int result) {
            m_lastResume = result;
            if (result != tirk::link::kSuccess)
                tirk::log::Printf("%s: the device's own lighting not resumed (%d)",
                                  m_deviceFolderName.c_str(), result);
        });
    return tirk::link::kSuccess;
}

// --- notification listeners ------------------------------------------------------------

CNotificationListener& CTelvorinUSBDevice::ListenerFor(bool wireless) {
    return wireless ? m_wirelessListener : m_wiredListener;
}

bool CTelvorinUSBDevice::OpenNotificationInterface(const std::string& path, bool wireless) {
    CNotificationListener& listener = ListenerFor(wireless);
    if (listener.IsRunning()) return false;
    CHidInterface& hid =
        wireless ? m_notifyChannel.WirelessInterface() : m_notifyChannel.WiredInterface();
    {
        std::lock_guard lock(wireless ? m_notifyChannel.WirelessInterfaceLock()
                                      : m_notifyChannel.ExchangeLock());
        if (!hid.Open(path, true, false, true, true)) {
            tirk::log::Printf("notification interface %s: %s", path.c_str(),
                              hid.LastError().c_str());
            return false;
        }
    }
    m_notifyChannel.SetOpen(true);
    return listener.Start(
        hid, [this, wireless](uint16_t code) { PostNotification(code, wireless); },
        ListenerExitText());
}

bool CTelvorinUSBDevice::CloseNotificationInterface(bool wireless) {
    const bool inTime = ListenerFor(wireless).Stop();
    CHidInterface& hid =
        wireless ? m_notifyChannel.WirelessInterface() : m_notifyChannel.WiredInterface();
    hid.Close();  // when no listener ran, Stop did not close it
    const bool otherOpen = wireless ? m_notifyChannel.WiredInterface().IsOpen()
                                    : m_notifyChannel.WirelessInterface().IsOpen();
    m_notifyChannel.SetOpen(otherOpen);
    return inTime;
}

bool CTelvorinUSBDevice::IsListening(bool wireless) const {
    return wireless ? m_wirelessListener.IsRunning() : m_wiredListener.IsRunning();
}

// Runs on a listener thread: only hands the code to the UI thread. The queued
// call is dropped if this object is gone by then.
void CTelvorinUSBDevice::PostNotification(uint16_t code, bool wireless) {
    QMetaObject::invokeMethod(
        this, [this, code, wireless] { OnNotification(code, wireless); }, Qt::QueuedConnection);
}

void CTelvorinUSBDevice::OnNotification(uint16_t code, bool) {
    tirk::log::Printf("device notification 0x%04x", code);
}

std::string CTelvorinUSBDevice::ListenerExitText() const {
    return "设备同步线程设定退出";
}
