#include "app/hook_bridge.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <cstdlib>
#include <string>
#include <utility>

#include "app/device_discovery.h"
#include "app/in_window_hook.h"
#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/macro_control.h"
#include "core/log.h"
#include "ui/control.h"

namespace tirk {
namespace {

constexpr char kProfileSelector[] = "device_profile_combo";
/// The tiles and the buttons that step through them.
constexpr const char* kDeviceSelectors[] = {kTileContainer, "device_select_prev",
                                            "device_select_next"};

void SetEnabled(CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
}

/// The desktop reports the pointer in the screen's own pixels; the pages
/// measure in Qt's scaled ones (a scaled desktop, QT_SCALE_FACTOR). Each
/// screen keeps its origin and scales from there.
void ToLogicalScreen(int32_t& x, int32_t& y) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const qreal ratio = screen->devicePixelRatio();
        const QPoint origin = screen->geometry().topLeft();
        const QSize native = screen->geometry().size() * ratio;
        const QRect area(origin, native);
        if (ratio <= 0 || !area.contains(x, y)) continue;
        x = origin.x() + int32_t((x - origin.x()) / ratio);
        y = origin.y() + int32_t((y - origin.y()) / ratio);
        return;
    }
}

}  // namespace

std::unique_ptr<input::IInputHook> MakeProgramInputHook(input::HookSink sink) {
    const char* chosen = std::getenv("TIRK_INPUT_HOOK");
    const std::string choice = chosen ? chosen : "";
    const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
    if (choice == "x11" || (choice.empty() && onX)) {
        std::string why;
        if (auto hook = input::MakeX11InputHook(sink, {}, &why)) return hook;
        log::Printf("input hook: no desktop-wide capture (%s); capture in our window only",
                    why.c_str());
    }
    return MakeInWindowInputHook(std::move(sink));
}

CHookBridge::CHookBridge(Environment environment, const CDeviceHook::BackendFactory& makeBackend)
    : m_environment(std::move(environment)) {
    CDeviceHook::Receivers receivers;
    receivers.onKey = [this](const HookKeyDelivery& delivery) { OnKey(delivery); };
    receivers.onMouse = [this](const HookMouseDelivery& delivery) { OnMouse(delivery); };
    m_hook = std::make_unique<CDeviceHook>(makeBackend, m_environment.post, std::move(receivers));
}

bool CHookBridge::SetHook(uint32_t kind, bool enable) {
    const bool started = enable ? m_hook->Start(kind, true, true) == 1 : (m_hook->Stop(), true);
    m_recordingDevice = enable && IsMacroKind(kind) ? CurrentDevice() : nullptr;
    LockSelectors(enable);
    return started;
}

void CHookBridge::OnHookOnOff(bool on) {
    if (on)
        m_hook->Start(kHookSingleKey, true, true);
    else
        m_hook->Stop();
}

void CHookBridge::StopMacroRecording() {
    CTelvorinFamilyDevice* device = m_recordingDevice ? m_recordingDevice : CurrentDevice();
    CMacroControlUI* page = device ? device->MacroPage() : nullptr;
    if (page && page->IsRecording() && m_environment.pages) {
        EndMacroRecording(*device, *m_environment.pages);
    } else if (m_hook->Kind() == kHookSingleKey && m_hook->Capturing()) {
        m_hook->Stop();  // the key edit's capture ends with its page
    }
}

CTelvorinFamilyDevice* CHookBridge::CurrentDevice() const {
    return m_environment.pages ? m_environment.pages->CurrentDevice() : nullptr;
}

CTelvorinFamilyDevice* CHookBridge::Receiver() const {
    if (m_environment.awake && !m_environment.awake()) return nullptr;
    return CurrentDevice();
}

void CHookBridge::OnKey(const HookKeyDelivery& delivery) {
    CTelvorinFamilyDevice* device = Receiver();
    if (!device) return;
    if (delivery.kind == kHookSingleKey) {
        CKeySetControlUI* panel = device->KeySetPanel();
        if (panel && input::IsKeyPress(delivery.event.message))
            panel->TakeHookKey(uint8_t(delivery.event.record.scanCode),
                               uint8_t(delivery.event.record.flags & 1));
    } else if (IsMacroKind(delivery.kind)) {
        if (CMacroControlUI* page = device->MacroPage()) page->OnHookKey(int(delivery.kind), delivery.event);
    }
}

void CHookBridge::OnMouse(const HookMouseDelivery& delivery) {
    CTelvorinFamilyDevice* device = Receiver();
    if (!device || !IsMacroKind(delivery.kind)) return;
    input::MouseHookEvent event = delivery.event;
    if (m_hook->DesktopWide()) ToLogicalScreen(event.record.x, event.record.y);
    if (CMacroControlUI* page = device->MacroPage()) page->OnHookMouse(int(delivery.kind), event);
}

void CHookBridge::LockSelectors(bool locked) {
    if (m_environment.findControl) {
        for (const char* selector : kDeviceSelectors)
            SetEnabled(m_environment.findControl(selector), !locked);
    }
    CTelvorinFamilyDevice* device = CurrentDevice();
    if (!device) return;
    SetEnabled(device->FindSubControl(kProfileSelector), !locked);
    if (CKeySetControlUI* panel = device->KeySetPanel()) panel->SetEditingEnabled(locked);
}

}  // namespace tirk
