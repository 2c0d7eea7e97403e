// CDeviceHook: the main window's input hook. It starts and stops capture of
// one kind through an input-hook backend and turns the backend's events into
// the hook messages of that kind, delivered on the UI thread. The kind is
// read when an event is delivered, so a kind changed in between takes the
// event under its own message; an event that arrives after Stop is dropped.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "input/input_hook.h"

namespace tirk {

/// What capture is for; it selects the message that carries the events.
enum HookKind : uint32_t {
    kHookSingleKey = 1,       ///< the key-assignment page's key capture
    kHookHitKey = 2,          ///< no caller
    kHookMacro = 4,           ///< macro recording at the end
    kHookMacroPrevious = 8,   ///< macro recording before the selected row
    kHookMacroLater = 16,     ///< macro recording after the selected row
    kHookMacroSingle = 32,    ///< replacing the selected row's key
    kHookMouseSingleKey = 256,
    kHookMouseHitKey = 512,
    kHookMouseMacro = 1024,
};

/// The message a kind's keyboard events are sent as; nullptr for any other
/// value.
const char* KeyboardHookMessage(uint32_t kind);
/// The message a kind's mouse-button events are sent as (kinds 4, 8, 16 and
/// 32); nullptr for every other kind: the other kinds see no mouse events.
const char* MouseHookMessage(uint32_t kind);
/// The hook and game messages every program agrees on, in the order they
/// are registered (the first nineteen are the hook's, then the four game
/// events).
std::span<const char* const> RegisteredHookMessages();
/// True for the kinds whose events go to the macro page (4, 8, 16, 32).
bool IsMacroKind(uint32_t kind);

/// An event on its way to a page: its message, the kind that chose it, and
/// the record.
struct HookKeyDelivery {
    const char* message;
    uint32_t kind;
    input::KeyHookEvent event;
};
struct HookMouseDelivery {
    const char* message;
    uint32_t kind;
    input::MouseHookEvent event;
};

class CDeviceHook {
public:
    /// Makes the backend, handing it the sink its events go to.
    using BackendFactory = std::function<std::unique_ptr<input::IInputHook>(input::HookSink)>;
    /// Runs a task on the UI thread later (the main window's PostTask).
    using Post = std::function<void(std::function<void()>)>;
    struct Receivers {
        std::function<void(const HookKeyDelivery&)> onKey;
        std::function<void(const HookMouseDelivery&)> onMouse;
    };

    CDeviceHook(const BackendFactory& makeBackend, Post post, Receivers receivers);
    /// Removes any capture.
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    /// Starts capture of `kind`: keys when `keyboardHook`, mouse buttons when
    /// `mouseHook`. A running capture is replaced. 1 on success; 0 when the
    /// keys could not be taken (no backend, another program holds the
    /// keyboard): the stored kind stays as it was and nothing is captured.
    int Start(uint32_t kind, bool keyboardHook, bool mouseHook);
    /// Ends every capture. 1 when keys were being captured, else 0.
    int Stop();

    /// The program's own top-level window, on which the backend holds the
    /// keyboard (see IInputHook::SetOwnWindow).
    void SetOwnWindow(uint64_t nativeWindow) {
        if (m_backend) m_backend->SetOwnWindow(nativeWindow);
    }

    uint32_t Kind() const { return m_kind; }
    /// True while keys are captured.
    bool KeysCaptured() const { return m_keysCaptured; }
    /// True while a capture (of keys, buttons or both) runs.
    bool Capturing() const { return m_capturing; }
    /// False when the backend sees only our own window, or there is none.
    bool DesktopWide() const;

private:
    void DeliverKey(const input::KeyHookEvent& event, uint64_t generation);
    void DeliverMouse(const input::MouseHookEvent& event, uint64_t generation);

    /// Shared with the backend's sink, which may outlive a delivery: a task
    /// posted after the hook was destroyed finds it expired.
    struct Alive {};
    std::shared_ptr<Alive> m_alive = std::make_shared<Alive>();
    Post m_post;
    Receivers m_receivers;
    std::unique_ptr<input::IInputHook> m_backend;
    uint32_t m_kind = 0;
    bool m_keysCaptured = false;
    bool m_capturing = false;
    /// Raised by every Start and Stop: events posted under an earlier
    /// capture are not delivered.
    std::atomic<uint64_t> m_generation{0};
};

}  // namespace tirk
