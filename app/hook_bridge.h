// CHookBridge: the main window's side of the input hook. It starts and ends
// capture for the pages (the macro page's recording, the key edit's key
// capture), keeps the selectors and the key-binding buttons in step with it,
// and hands each captured event to the page of the selected device that
// asked for it — only while the program is awake.
#pragma once

#include <functional>
#include <memory>

#include "app/device_hook.h"

class CControlUI;
class CTelvorinFamilyDevice;

namespace tirk {

class IPageServices;

/// The program's input hook backend: the X11 one when the program runs on an
/// X display (or TIRK_INPUT_HOOK=x11 asks for it), else — and when the X
/// backend cannot start — the one that sees only our own windows.
/// TIRK_INPUT_HOOK=window always picks the latter.
std::unique_ptr<input::IInputHook> MakeProgramInputHook(input::HookSink sink);

class CHookBridge {
public:
    struct Environment {
        IPageServices* pages = nullptr;
        /// The main window's control of that name (the device selector).
        std::function<CControlUI*(const char* name)> findControl;
        /// The awake flag: events that arrive while the system sleeps are dropped.
        std::function<bool()> awake;
        CDeviceHook::Post post;
    };

    CHookBridge(Environment environment, const CDeviceHook::BackendFactory& makeBackend);

    /// Starts capture of `kind` for the macro page (`enable`) or ends every
    /// capture; the device selector and the selected device's profile
    /// selector are locked while capturing, and the key-binding buttons show
    /// changes pending (the tiles and the buttons that step through them are
    /// locked, so the recording device stays the selected one). Starting
    /// returns false when the keyboard could not be taken.
    bool SetHook(uint32_t kind, bool enable);
    /// The key edit took (`on`) or lost the focus: key capture starts or
    /// every capture ends. The selectors stay as they are.
    void OnHookOnOff(bool on);
    /// The selected device left: a recording of its macro page stops (the
    /// page saves) and the capture ends; so does the key edit's capture.
    void StopMacroRecording();

    CDeviceHook& Hook() { return *m_hook; }
    bool DesktopWide() const { return m_hook->DesktopWide(); }

private:
    void OnKey(const HookKeyDelivery& delivery);
    void OnMouse(const HookMouseDelivery& delivery);
    /// The device the events go to; nullptr while asleep or with none selected.
    CTelvorinFamilyDevice* Receiver() const;
    CTelvorinFamilyDevice* CurrentDevice() const;
    void LockSelectors(bool locked);

    Environment m_environment;
    std::unique_ptr<CDeviceHook> m_hook;
    /// The device whose macro page records; nullptr when none does. Device
    /// objects live as long as the window.
    CTelvorinFamilyDevice* m_recordingDevice = nullptr;
};

}  // namespace tirk
