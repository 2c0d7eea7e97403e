#include "app/hook_bridge.h"

#include <QGuiApplication>

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

void SetEnabled(CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
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
    CTelvorinFamilyDevice* device = m_environment.pages ? m_environment.pages->CurrentDevice() : nullptr;
    CMacroControlUI* page = device ? device->MacroPage() : nullptr;
    if (page && page->IsRecording()) {
        page->StopRecording();
        SetHook(kHookMacro, false);
    } else if (m_hook->Kind() == kHookSingleKey && m_hook->Capturing()) {
        m_hook->Stop();  // the key edit's capture ends with its page
    }
}

CTelvorinFamilyDevice* CHookBridge::Receiver() const {
    if (m_environment.awake && !m_environment.awake()) return nullptr;
    return m_environment.pages ? m_environment.pages->CurrentDevice() : nullptr;
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
    if (CMacroControlUI* page = device->MacroPage()) page->OnHookMouse(int(delivery.kind), delivery.event);
}

void CHookBridge::LockSelectors(bool locked) {
    if (m_environment.findControl) SetEnabled(m_environment.findControl(kTileContainer), !locked);
    CTelvorinFamilyDevice* device = m_environment.pages ? m_environment.pages->CurrentDevice() : nullptr;
    if (!device) return;
    SetEnabled(device->FindSubControl(kProfileSelector), !locked);
    if (CKeySetControlUI* panel = device->KeySetPanel()) panel->SetEditingEnabled(locked);
}

}  // namespace tirk
