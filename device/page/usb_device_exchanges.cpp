// The device's exchanges on its worker thread: results back to the UI thread,
// the count of exchanges under way, and the busy mark of the page.
// docs/device-worker.md tells where exchanges run and why.
#include <algorithm>
#include <memory>

#include "device/page/usb_device.h"
#include "ui/label.h"
#include "ui/window_impl.h"

namespace {

constexpr char kLinkTextName[] = "device_link_text";
constexpr char kBusyMarkAttributes[] =
    R"(name="device_busy_mark" text="%[device_busy_text]" width="220" align="right" )"
    R"(textcolor="#FFE8A23C" visible="false")";

}  // namespace

CTelvorinUSBDevice::LinkCheck CTelvorinUSBDevice::LinkCheckExchange() const {
    return [](CCommandChannel&) { return tirk::link::kSuccess; };
}

// Worker thread. The window's queue (or the object's, without a window) runs
// `apply` on the UI thread; the worker's own guard inside `apply` drops it
// once the exchanges were stopped, so a result never reaches a device that
// is gone.
void CTelvorinUSBDevice::PostExchangeResult(std::function<void()> apply) {
    if (WindowImplBase* window = m_resultWindow.load())
        window->PostTask(std::move(apply));
    else
        QMetaObject::invokeMethod(this, std::move(apply), Qt::QueuedConnection);
}

void CTelvorinUSBDevice::ApplyExchangeResult(unsigned epoch, const std::function<void()>& apply) {
    if (epoch == m_exchangeEpoch) apply();
    OnExchangesEnded(1);
}

void CTelvorinUSBDevice::OnExchangeQueued() {
    if (m_exchangesPending++ == 0) SetTimer(kTimerBusyMark, kBusyMarkDelayMs);
}

void CTelvorinUSBDevice::OnExchangesEnded(size_t count) {
    m_exchangesPending -= static_cast<int>(std::min<size_t>(count, m_exchangesPending));
    if (m_exchangesPending > 0) return;
    KillTimer(kTimerBusyMark);
    ShowBusyMark(false);
}

// The exchanges have been under way without a break since the timer started.
void CTelvorinUSBDevice::OnBusyMarkTimer() {
    KillTimer(kTimerBusyMark);
    if (m_exchangesPending > 0) ShowBusyMark(true);
}

void CTelvorinUSBDevice::ShowBusyMark(bool show) {
    if (show == m_busyMarkShown) return;
    m_busyMarkShown = show;
    if (CControlUI* mark = show ? BusyMarkControl() : m_busyMark) mark->SetVisible(show);
}

// The mark sits at the right end of the page's header row, beside the texts
// that name the device and its link; a page without that row shows none.
// Made here rather than in the four page layouts so that every page gets it
// the same way; it is hidden again as soon as the exchanges are through.
CControlUI* CTelvorinUSBDevice::BusyMarkControl() {
    if (m_busyMark) return m_busyMark;
    CControlUI* linkText = FindSubControl(kLinkTextName);
    CControlUI* column = linkText ? linkText->GetParent() : nullptr;
    auto* row = column ? dynamic_cast<CContainerUI*>(column->GetParent()) : nullptr;
    if (!row) return nullptr;
    auto mark = std::make_unique<CLabelUI>();
    mark->ApplyAttributeList(kBusyMarkAttributes);
    if (!row->Add(mark.get())) return nullptr;
    m_busyMark = mark.release();
    return m_busyMark;
}
