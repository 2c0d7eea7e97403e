#include "app/device_discovery.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "app/control_table.h"
#include "app/shell/device_scan.h"
#include "core/log.h"
#include "device/family/family_devices.h"
#include "profile/panel/light_control.h"
#include "ui/colour_picker.h"
#include "ui/container.h"
#include "ui/device_option.h"
#include "ui/dialog_builder.h"
#include "ui/internal/typed_layout.h"
#include "ui/mp_device_power.h"
#include "ui/window_impl.h"

namespace tirk {
namespace {

constexpr int kQueryOnlineTries = 25;
constexpr auto kQueryOnlinePause = std::chrono::milliseconds(50);
constexpr int kLinkWatchFirstMs = 2000;

bool IsReceiverType(int type) {
    return CTelvorinFamilyDevice::IsReceiverType(type);
}

const char* ArrivalText(int familyType) {
    switch (familyType) {
        case kTypeKeyboard:
            return "添加一个键盘设备";
        case kTypeMouse:
            return "添加一个鼠标设备";
        default:
            return "添加一个鼠标垫设备";  // the mouse pad's text serves the headset too
    }
}

const char* RemovalText(int familyType) {
    switch (familyType) {
        case kTypeKeyboard:
            return "键盘设备丢失";
        case kTypeMouse:
            return "鼠标设备丢失";
        case kTypeMousePad:
            return "鼠标垫设备丢失";
        default:
            return "耳机设备丢失";
    }
}

// The page says which link the device is reached through.
void ShowLink(CTelvorinFamilyDevice& device) {
    if (CControlUI* text = device.FindSubControl("device_link_text"))
        text->SetTextKey(device.Channel().IsWireless() ? "device_link_receiver" : "device_link_cable");
}

// The page layouts' root elements are the family classes; the builder asks
// here for every class it does not know itself.
class PageClassCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const std::string& className) override {
        return CreateLayoutElement(className);
    }
};

}  // namespace

DeviceDiscovery::DeviceDiscovery(const DeviceTables& tables, WindowImplBase& window,
                                 WindowHooks hooks)
    : m_tables(tables), m_window(window), m_hooks(std::move(hooks)) {}

// The device objects' workers post their results through the window, and the
// window outlives this object only briefly: they stop here, before it goes.
DeviceDiscovery::~DeviceDiscovery() {
    for (FamilySet& set : m_sets) set.device->StopExchanges();
}

CControlUI* DeviceDiscovery::Find(const char* name) const {
    return m_window.GetPaintManager().FindControl(name);
}

// --- tables -------------------------------------------------------------------------

// A receiver's candidate belongs to the family of its partner (the cable).
int DeviceDiscovery::FamilyOfCandidate(const DeviceCandidate& candidate) const {
    int type = candidate.typeCode;
    if (IsReceiverType(type))
        if (const DeviceCandidate* partner = PartnerOf(candidate)) type = partner->typeCode;
    for (size_t f = 0; f < m_tables.families.size(); ++f)
        if (m_tables.families[f].typeCode == type) return static_cast<int>(f);
    return -1;
}

int DeviceDiscovery::FamilyCandidateOf(const DeviceCandidate& c) const {
    for (size_t i = 0; i < m_tables.candidates.size(); ++i) {
        const DeviceCandidate& t = m_tables.candidates[i];
        if (t.vendorId == c.vendorId && t.productId == c.productId && t.typeCode == c.typeCode &&
            t.secondaryCode == kRoleCommand)
            return static_cast<int>(i);
    }
    return -1;
}

const DeviceCandidate* DeviceDiscovery::PartnerOf(const DeviceCandidate& candidate) const {
    if (!candidate.hasPartner || candidate.partner >= m_tables.candidates.size()) return nullptr;
    return &m_tables.candidates[candidate.partner];
}

// The device is open through the other link: the partner is present and
// names this candidate as its own partner.
bool DeviceDiscovery::PartnerHoldsLink(int index) const {
    const DeviceCandidate& candidate = m_tables.candidates[index];
    const DeviceCandidate* partner = PartnerOf(candidate);
    if (!partner || !m_scanner || !m_scanner->Entry(candidate.partner).connected) return false;
    return partner->hasPartner && partner->partner == index;
}

// The device whose identity, or its identity's partner, has the candidate's
// vendor, product and type.
DeviceDiscovery::FamilySet* DeviceDiscovery::SetForCandidate(const DeviceCandidate& c) {
    auto same = [&c](const DeviceCandidate& id) {
        return id.vendorId == c.vendorId && id.productId == c.productId &&
               id.typeCode == c.typeCode;
    };
    for (FamilySet& set : m_sets) {
        const DeviceCandidate& identity = set.device->Identity();
        const DeviceCandidate* partner = PartnerOf(identity);
        if (same(identity) || (partner && same(*partner))) return &set;
    }
    return nullptr;
}

int DeviceDiscovery::TileIndex(const FamilySet& set) const {
    for (size_t i = 0; i < m_sets.size(); ++i)
        if (&m_sets[i] == &set) return static_cast<int>(i);
    return -1;
}

// --- building -----------------------------------------------------------------------

DeviceDiscovery::FamilySet* DeviceDiscovery::BuildFamilyDevice(int family, int variant,
                                                                int familyCandidate) {
    if (family < 0 || family >= static_cast<int>(m_tables.families.size())) return nullptr;
    const DeviceFamily& f = m_tables.families[family];
    const DeviceModel& model = m_tables.models[family];
    CPaintManagerUI& pm = m_window.GetPaintManager();
    auto* powerBox = dynamic_cast<CTabLayoutUI*>(Find(kPowerContainer));
    auto* pageBox = dynamic_cast<CTabLayoutUI*>(Find(kPageContainer));
    auto* tileBox = dynamic_cast<CContainerUI*>(Find(kTileContainer));
    if (!powerBox || !pageBox || !tileBox) {
        log::Line("the main window's layout lacks the device list containers");
        return nullptr;
    }
    // A layout that fails is logged with its file and problem; nothing is added then.
    std::unique_ptr<CMpDevicePowerUI> power(
        CMpDevicePowerUI::CreateFromLayout(kPowerLayoutFile, &pm, nullptr));
    std::unique_ptr<CDeviceOptionUI> tile(CDeviceOptionUI::CreateFromLayout(f.tileLayout, &pm, nullptr));
    PageClassCallback pageClasses;
    std::unique_ptr<CTelvorinFamilyDevice> page(
        ui::BuildLayoutOf<CTelvorinFamilyDevice>(model.pageLayout, pageClasses, &pm, nullptr));
    if (!power || !tile || !page) return nullptr;

    CTelvorinFamilyDevice* device = page.get();
    powerBox->Add(power.get());
    pageBox->Add(page.release());
    if (familyCandidate < 0) {
        DeviceCandidate probe;
        probe.vendorId = static_cast<uint16_t>(f.vendorId);
        probe.productId = static_cast<uint16_t>(f.productId);
        probe.typeCode = static_cast<uint16_t>(f.typeCode);
        familyCandidate = FamilyCandidateOf(probe);
    }
    device->SetPageLayoutPath(model.pageLayout);
    device->SetMainWindow(&m_window);
    device->SetKeyCount(model.keyCount);
    device->SetLedCount(model.ledCount);
    device->SetFamilyIndex(family);
    device->SetHasPowerTile(model.hasPowerTile);
    device->SetModelSelection(model.selection);
    device->SetDeviceFolderName(f.name);
    device->SetConfigBaseName(model.lightingName);
    device->SetPowerTile(power.get());
    if (familyCandidate >= 0) device->SetIdentity(m_tables.candidates[familyCandidate]);
    device->SetLightingDefaultsIndex(f.lightingIndex);
    power->SetKind(f.typeCode, 0);
    power->ShowPowerLayout(model.hasPowerTile);

    tileBox->Add(tile.get());
    tile->SetGroup(f.optionGroup);
    tile->BindPage(kPageContainer, pageBox->GetItemIndex(device));
    tile->BindPowerTile(f.powerContainer, powerBox->GetItemIndex(power.get()));
    tile->SetKind(f.typeCode, variant);
    tile->SetDevice(device);
    tile->SetShown(false);
    device->SetTile(tile.get());
    m_sets.push_back({family, device, tile.release(), power.release()});
    const int index = static_cast<int>(m_sets.size()) - 1;
    m_sets.back().tile->SetOnlineHandler([this, index](CDeviceOptionUI&, bool online) {
        if (online)
            SelectTile(index, true, VisibleTileCount() == 0);
        else
            RemoveTileFromSelection(index);
    });
    device->AttachToPage();
    OfferColourPicker(*device);
    return &m_sets.back();
}

void DeviceDiscovery::OfferColourPicker(CTelvorinFamilyDevice& device) {
    CLightControlUI* page = device.LightPage();
    if (!page) return;
    WindowImplBase* window = &m_window;
    page->SetColourPickerHook([window](uint32_t current) -> std::optional<uint32_t> {
        uint32_t chosen = 0;
        if (ShowColourPicker(window, current, false, &chosen, nullptr) != CColorSelectWnd::kChosen)
            return std::nullopt;
        return chosen;
    });
}

void DeviceDiscovery::BuildInAdvance() {
    for (int type : {kTypeMouse, kTypeKeyboard}) {
        for (size_t f = 0; f < m_tables.families.size(); ++f)
            if (m_tables.families[f].typeCode == type) BuildFamilyDevice(static_cast<int>(f), 0, -1);
    }
}

// --- arrival and removal --------------------------------------------------------------

void DeviceDiscovery::OnCandidateArrived(int index, const std::string& path) {
    if (index < 0 || index >= static_cast<int>(m_tables.candidates.size())) return;
    const DeviceCandidate& candidate = m_tables.candidates[index];
    const int family = FamilyOfCandidate(candidate);
    if (family < 0) return;
    // One device object per product: a compatible product the user added
    // gets an object, tile and page of its own.
    if (!SetForCandidate(candidate)) BuildFamilyDevice(family, 0, FamilyCandidateOf(candidate));
    if (candidate.secondaryCode == kRoleCommand)
        OpenCommandInterface(index, path);
    else
        OpenNotificationInterface(index, path);
    log::Line(ArrivalText(m_tables.families[family].typeCode));
    if (m_hooks.bringToFront) m_hooks.bringToFront();
}

void DeviceDiscovery::OpenCommandInterface(int index, const std::string& path) {
    const DeviceCandidate& candidate = m_tables.candidates[index];
    const bool receiver = IsReceiverType(candidate.typeCode);
    FamilySet* set = SetForCandidate(candidate);
    // The other link holds the device only when its channel is open: a cable
    // that is present but could not be opened leaves the receiver to open.
    if (candidate.hasPartner && PartnerHoldsLink(index) && set &&
        set->device->Channel().IsOpen()) {
        if (!receiver) SwitchLink(index);
        return;
    }
    if (!set || set->device->Channel().IsOpen()) return;
    CCommandChannel& channel = set->device->Channel();
    bool opened = false;
    {
        std::lock_guard lock(channel.ExchangeLock());
        CHidInterface& hid = receiver ? channel.WirelessInterface() : channel.WiredInterface();
        opened = hid.Open(path, true, true, true, false);
        if (!opened) log::Printf("%s: %s", path.c_str(), hid.LastError().c_str());
    }
    if (!opened) return;
    channel.SetOpen(true);
    channel.SetLinkType(receiver ? 2 : 1);
    const DeviceCandidate* partner = PartnerOf(candidate);
    set->device->SetIdentity(receiver && partner ? *partner : candidate);
    set->device->SetInterfacePath(path);
    ShowLink(*set->device);
    if (!receiver) SelectTile(TileIndex(*set), true, VisibleTileCount() == 0);
    set->device->StartFirstSync();
}

void DeviceDiscovery::OpenNotificationInterface(int index, const std::string& path) {
    const DeviceCandidate& candidate = m_tables.candidates[index];
    if (FamilySet* set = SetForCandidate(candidate))
        set->device->OpenNotificationChannel(candidate.typeCode, path);
}

void DeviceDiscovery::OnCandidateRemoved(int index) {
    if (index < 0 || index >= static_cast<int>(m_tables.candidates.size())) return;
    const DeviceCandidate& candidate = m_tables.candidates[index];
    FamilySet* set = SetForCandidate(candidate);
    if (candidate.secondaryCode != kRoleCommand) {
        if (set) set->device->CloseNotificationChannel(candidate.typeCode);
        return;
    }
    const int family = FamilyOfCandidate(candidate);
    if (family >= 0) log::Line(RemovalText(m_tables.families[family].typeCode));
    const bool partnerPresent =
        candidate.hasPartner && m_scanner && m_scanner->Entry(candidate.partner).connected;
    if (partnerPresent) {
        if (!IsReceiverType(candidate.typeCode)) SwitchLink(index);
        return;
    }
    if (set) CloseCommandInterface(TileIndex(*set));
}

// Closed without the exchange lock: the device's worker may be waiting in an
// exchange for up to two time-outs, and closing ends that wait at once
// (CHidInterface::Close is safe from any thread), where taking the lock first
// would hold the window for as long.
void DeviceDiscovery::CloseCommandInterface(int tile) {
    CTelvorinFamilyDevice* device = m_sets[tile].device;
    CCommandChannel& channel = device->Channel();
    channel.SetOpen(false);
    device->StopTileTimers();
    channel.WiredInterface().Close();
    channel.WirelessInterface().Close();
    RemoveTileFromSelection(tile);
}

// Moves an open device to its other link: to the cable when the cable
// arrived while it was on the receiver, to the receiver when the cable left.
// No exchange uses the interface being opened (they go to the current link's),
// and closing the one left ends an exchange waiting there at once, so neither
// takes the exchange lock, which the device's worker may hold for as long as
// a silent device makes it wait.
void DeviceDiscovery::SwitchLink(int index) {
    const DeviceCandidate& candidate = m_tables.candidates[index];
    FamilySet* set = SetForCandidate(candidate);
    if (!set || !m_scanner) return;
    CTelvorinFamilyDevice* device = set->device;
    CCommandChannel& channel = device->Channel();
    const bool toReceiver = !channel.IsWireless();
    const std::string path = m_scanner->Entry(toReceiver ? candidate.partner : index).path;
    CHidInterface& from = toReceiver ? channel.WiredInterface() : channel.WirelessInterface();
    CHidInterface& to = toReceiver ? channel.WirelessInterface() : channel.WiredInterface();
    // A cable pulled again before its arrival or removal is handled has no
    // usable path: the receiver link, still there, is kept. A cable that
    // left is let go even when the receiver cannot be opened.
    const bool opened = !path.empty() && to.Open(path, true, true, true, false);
    if (!opened) log::Printf("%s: %s", path.c_str(), to.LastError().c_str());
    if (opened || toReceiver) {
        channel.SetOpen(false);
        from.Close();
    }
    if (!opened) return;
    // The link type before the open flag: an exchange of the device's worker
    // that starts in between must not take the interface just closed.
    channel.SetLinkType(toReceiver ? 2 : 1);
    channel.SetOpen(true);
    device->SetInterfacePath(path);
    ShowLink(*device);
    if (toReceiver) return FinishSwitchToReceiver(*set);
    device->StartFirstSync();
    if (m_hooks.closeSatellites) m_hooks.closeSatellites();
}

// The exchanges go to the device's worker in this order (wait for the link,
// status, BeginWrite); the window and the waiting scan go on meanwhile.
void DeviceDiscovery::FinishSwitchToReceiver(FamilySet& set) {
    CTelvorinFamilyDevice* device = set.device;
    if (device->HasPowerTile()) {
        device->QueueExchange<int>(
            CTelvorinUSBDevice::kExchangeAlways,
            [device](CCommandChannel& channel) {
                for (int attempt = 0; attempt < kQueryOnlineTries; ++attempt) {
                    if (channel.QueryOnline() == link::kSuccess) break;
                    log::Line("获取2.4G模式失败");
                    if (!device->PauseExchanges(kQueryOnlinePause)) break;
                }
                log::Line("获取2");
                return link::kSuccess;
            },
            [](int) {});
        device->PollPowerStatus();
    }
    device->QueueExchange<int>(
        CTelvorinUSBDevice::kExchangeAlways,
        [](CCommandChannel& channel) { return channel.BeginWrite(); }, [](int) {});
    device->ArmTileTimer(CTelvorinUSBDevice::kTimerLinkWatch, kLinkWatchFirstMs);
    device->StartDevice();
    if (m_hooks.closeSatellites) m_hooks.closeSatellites();
}

// --- selection ---------------------------------------------------------------------------

int DeviceDiscovery::VisibleTileCount() const {
    return static_cast<int>(std::count_if(m_sets.begin(), m_sets.end(),
                                          [](const FamilySet& s) { return s.tile->IsShown(); }));
}

int DeviceDiscovery::SelectedTile() const {
    for (size_t i = 0; i < m_sets.size(); ++i)
        if (m_sets[i].tile->IsShown() && m_sets[i].tile->IsSelected()) return static_cast<int>(i);
    return -1;
}

void DeviceDiscovery::SelectTile(int index, bool visible, bool select) {
    if (index < 0 || index >= static_cast<int>(m_sets.size())) return;
    CDeviceOptionUI* tile = m_sets[index].tile;
    if (select && m_shownPage >= 0 && m_shownPage != index && m_hooks.selectionChanging)
        m_hooks.selectionChanging(*m_sets[m_shownPage].device);
    tile->SetShown(visible);
    if (select) {
        m_shownPage = index;
        if (auto* pages = dynamic_cast<CTabLayoutUI*>(Find(kPageContainer)))
            pages->SelectItem(tile->GetPageIndex());
        if (auto* powers = dynamic_cast<CTabLayoutUI*>(Find(kPowerContainer))) {
            powers->SetVisible(tile->GetPowerIndex() >= 0);
            if (tile->GetPowerIndex() >= 0) powers->SelectItem(tile->GetPowerIndex());
        }
        tile->SetSelected(true);
    }
    UpdateSelectionState();
}

void DeviceDiscovery::UpdateSelectionState() {
    const int visible = VisibleTileCount();
    int synchronised = 0;
    for (const FamilySet& set : m_sets) synchronised += set.tile->IsShown() && set.tile->IsSynchro();
    if (CControlUI* hint = Find(kNoDeviceHint)) hint->SetVisible(visible == 0);
    if (visible == 0) {
        for (const char* name : {kPowerContainer, kPageContainer})
            if (auto* tabs = dynamic_cast<CTabLayoutUI*>(Find(name))) tabs->SelectItem(0);
    }
    for (FamilySet& set : m_sets) set.device->SetSyncOffered(visible > 1);
    if (synchronised <= 1) {
        for (FamilySet& set : m_sets)
            if (set.tile->IsSynchro()) set.tile->SetSynchro(false);
    }
}

void DeviceDiscovery::RemoveTileFromSelection(int index) {
    if (index < 0 || index >= static_cast<int>(m_sets.size())) return;
    CDeviceOptionUI* tile = m_sets[index].tile;
    int next = -1;
    if (tile->IsShown() && tile->IsSelected()) {
        if (m_hooks.closeSatellites) m_hooks.closeSatellites();
        if (m_hooks.stopMacroRecording) m_hooks.stopMacroRecording();
        for (size_t i = 0; i < m_sets.size() && next < 0; ++i)
            if (static_cast<int>(i) != index && m_sets[i].tile->IsShown()) next = static_cast<int>(i);
    }
    SelectTile(index, false, false);
    if (next >= 0) SelectTile(next, true, true);
}

void DeviceDiscovery::SelectPrevious() {
    const int selected = SelectedTile();
    for (int i = selected - 1; selected > 0 && i >= 0; --i)
        if (m_sets[i].tile->IsShown()) return SelectTile(i, true, true);
}

void DeviceDiscovery::SelectNext() {
    const int selected = SelectedTile();
    if (selected < 0) return;
    for (size_t i = selected + 1; i < m_sets.size(); ++i)
        if (m_sets[i].tile->IsShown()) return SelectTile(static_cast<int>(i), true, true);
}

bool DeviceDiscovery::OnTileNotify(CControlUI* sender, const std::string& type) {
    for (size_t i = 0; i < m_sets.size(); ++i) {
        CDeviceOptionUI* tile = m_sets[i].tile;
        if (sender == tile->GetOption() && (type == "selectchanged" || type == "click")) {
            if (tile->IsSelected()) SelectTile(static_cast<int>(i), true, true);
            return true;
        }
        if (sender == tile->GetSynchroCheckBox()) return true;  // the tile swaps its pictures
    }
    return false;
}

void DeviceDiscovery::SetPollingPaused(bool paused) {
    for (FamilySet& set : m_sets) set.device->SetPollingPaused(paused ? 1 : 0);
}

}  // namespace tirk
