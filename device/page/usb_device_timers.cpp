// The tile timers: the device's life cycle from the first synchronisation to
// the preview refresh, the status poll and the wireless link watch. Each timer
// runs once per start; a step that repeats starts its timer again. A step that
// asks the device queues the exchange on the device's worker and returns; the
// rest of the step runs on the UI thread when the answer is back, so no timer
// holds up the window while a device is slow or silent.
#include "core/log.h"
#include "device/page/usb_device.h"

namespace {

constexpr int kFirstSyncDelayMs = 500;
constexpr int kFirstSyncRetryMs = 3000;
constexpr int kPreviewFirstMs = 5;
constexpr int kPreviewWiredMs = 10;
constexpr int kPreviewWirelessMs = 50;
constexpr int kStatusFirstMs = 50;
constexpr int kStatusMs = 5000;
constexpr int kLinkWatchFirstMs = 2000;
constexpr int kLinkWatchMs = 3000;

bool IsTileTimer(int id) {
    switch (id) {
        case CTelvorinUSBDevice::kTimerPreview:
        case CTelvorinUSBDevice::kTimerFirstSync:
        case CTelvorinUSBDevice::kTimerResync:
        case CTelvorinUSBDevice::kTimerStatus:
        case CTelvorinUSBDevice::kTimerLinkWatch:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CTelvorinUSBDevice::StartFirstSync() {
    ++m_linkCycle;
    ArmTileTimer(kTimerFirstSync, kFirstSyncDelayMs);
}

void CTelvorinUSBDevice::ArmTileTimer(int id, int ms) {
    if (!IsTileTimer(id) || !SetTimer(id, ms)) return;
    m_tileTimers[id] = ms;
}

void CTelvorinUSBDevice::StopTileTimers() {
    for (const auto& [id, period] : m_tileTimers) KillTimer(id);
    m_tileTimers.clear();
    // A result still under way would start the timers again.
    ++m_exchangeEpoch;
    OnExchangesEnded(m_worker.DropPending());
    // The device is gone: what drove it (a keyboard's live frames) stops too.
    OnDriveFlagsChanged();
}

int CTelvorinUSBDevice::TileTimerPeriod(int id) const {
    auto found = m_tileTimers.find(id);
    return found == m_tileTimers.end() ? 0 : found->second;
}

void CTelvorinUSBDevice::OnTimer(int id) {
    if (IsTileTimer(id))
        RunTileTimer(id);
    else if (id == kTimerBusyMark)
        OnBusyMarkTimer();
    else
        CHorizontalLayoutUI::OnTimer(id);
}

void CTelvorinUSBDevice::QueueLinkCheck(int key, std::function<void(bool online)> then) {
    QueueExchange<int>(key, LinkCheckExchange(), [then = std::move(then)](int result) {
        then(result == tirk::link::kSuccess);
    });
}

void CTelvorinUSBDevice::RunTileTimer(int id) {
    if (!IsTileTimer(id)) return;
    KillTimer(id);
    m_tileTimers.erase(id);
    switch (id) {
        case kTimerFirstSync:
            return RunFirstSyncTimer();
        case kTimerPreview:
            return RunPreviewTimer();
        case kTimerResync:
            return ResyncFromDevice();
        case kTimerStatus:
            return RunStatusTimer();
        case kTimerLinkWatch:
            return RunLinkWatchTimer();
    }
}

// A wireless device whose receiver reports no link stays hidden and is tried
// again every 3 s; once it answers (or at once on the cable) the first
// synchronisation runs and the repeating timers start. A check made before
// the first synchronisation was started again (the device moved to its other
// link) is not applied: the new start makes its own.
void CTelvorinUSBDevice::RunFirstSyncTimer() {
    if (!m_channel.IsWireless()) return FinishFirstSync();
    QueueLinkCheck(kExchangeAlways, [this, cycle = m_linkCycle](bool online) {
        if (cycle != m_linkCycle) return;
        if (online)
            FinishFirstSync();
        else
            RetryFirstSync();
    });
}

void CTelvorinUSBDevice::RetryFirstSync() {
    if (m_tile) m_tile->SetOnline(false);
    m_linkRetries = (m_linkRetries + 1) % kRetryCounterWrap;
    ArmTileTimer(kTimerFirstSync, kFirstSyncRetryMs);
}

// The profile loading and the page filling of StartDevice run here, on the UI
// thread; only the exchanges went to the worker.
void CTelvorinUSBDevice::FinishFirstSync() {
    if (m_tile) m_tile->SetOnline(true);
    StartDevice();
    m_linkRetries = 0;
    ArmTileTimer(kTimerPreview, kPreviewFirstMs);
    if (m_hasPowerTile && m_channel.IsOpen()) ArmTileTimer(kTimerStatus, kStatusFirstMs);
    if (m_channel.IsWireless()) ArmTileTimer(kTimerLinkWatch, kLinkWatchFirstMs);
}

void CTelvorinUSBDevice::SetPollingPaused(int value) {
    m_pollingPaused = value;
    OnDriveFlagsChanged();
    if (!value && m_channel.IsOpen() && TileTimerPeriod(kTimerPreview) == 0 &&
        TileTimerPeriod(kTimerFirstSync) == 0)
        ArmTileTimer(kTimerPreview, kPreviewFirstMs);
}

void CTelvorinUSBDevice::RunPreviewTimer() {
    RenderLightFrame();
    if (m_tile && m_tile->IsSelected() && m_windowActive) m_tile->RepaintIcon();
    if (m_channel.IsOpen() && !m_pollingPaused)
        ArmTileTimer(kTimerPreview, m_channel.IsWireless() ? kPreviewWirelessMs : kPreviewWiredMs);
}

// The status poll queues its exchange (17), so the timer goes on at once; a
// poll that still waits when the next comes is not queued twice.
void CTelvorinUSBDevice::RunStatusTimer() {
    PollPowerStatus();
    if (m_hasPowerTile) ArmTileTimer(kTimerStatus, kStatusMs);
}

// Started again when the answer is back, so a silent receiver gets one check
// at a time, 3 s after the last one ended. The watch is the receiver's: once
// the device moved to its cable it ends (a move back starts it again), or a
// device whose own check needs the receiver would be hidden on the cable.
void CTelvorinUSBDevice::RunLinkWatchTimer() {
    if (!m_channel.IsWireless()) return;
    QueueLinkCheck(kExchangeLinkWatch, [this, cycle = m_linkCycle](bool online) {
        if (!m_channel.IsWireless()) return;
        if (cycle == m_linkCycle) ApplyLinkWatch(online);
        ArmTileTimer(kTimerLinkWatch, kLinkWatchMs);
    });
}

void CTelvorinUSBDevice::ApplyLinkWatch(bool online) {
    if (m_tile && online && !m_tile->IsShown()) {
        m_tile->SetOnline(true);
        PollPowerStatus();
    } else if (m_tile && !online && m_tile->IsShown()) {
        tirk::log::Printf("%s: wireless link lost, device offline", m_deviceFolderName.c_str());
        m_tile->SetOnline(false);
    }
}
