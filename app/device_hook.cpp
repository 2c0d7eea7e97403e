#include "app/device_hook.h"

#include <iterator>
#include <utility>

#include "core/log.h"

namespace tirk {
namespace {

struct KindMessages {
    uint32_t kind;
    const char* keyboard;
    const char* mouse;
};

constexpr KindMessages kKindMessages[] = {
    {kHookSingleKey, "WM_HOOK_KEY_SINGLEKEY_MSG", nullptr},
    {kHookHitKey, "WM_HOOK_KEY_HITKEY_MSG", nullptr},
    {kHookMacro, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
    {kHookMacroPrevious, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {kHookMacroLater, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {kHookMacroSingle, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
    {kHookMouseSingleKey, "WM_HOOK_MOU_SINGLEKEY_MSG", nullptr},
    {kHookMouseHitKey, "WM_HOOK_MOU_HITKEY_MSG", nullptr},
    {kHookMouseMacro, "WM_HOOK_MOU_KBMACRO_MSG", nullptr},
};

constexpr const char* kRegistered[] = {
    "WM_HOOK_KEY_SINGLEKEY_MSG",       "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",         "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",   "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",          "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_MOU_MSMACRO_MSG",         "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",   "UWM_MOUSELBUTTONUP_USER_MSG",
    "UWM_MOUSELBUTTONDOWN_USER_MSG",   "UWM_MOUSERBUTTONUP_USER_MSG",
    "UWM_MOUSEMOVE_USER_MSG",          "Game_Start",
    "Game_End",                        "Game_Kill",
    "Game_Death",
};

const KindMessages* MessagesOf(uint32_t kind) {
    for (const KindMessages& row : kKindMessages)
        if (row.kind == kind) return &row;
    return nullptr;
}

}  // namespace

const char* KeyboardHookMessage(uint32_t kind) {
    const KindMessages* row = MessagesOf(kind);
    return row ? row->keyboard : nullptr;
}

const char* MouseHookMessage(uint32_t kind) {
    const KindMessages* row = MessagesOf(kind);
    return row ? row->mouse : nullptr;
}

std::span<const char* const> RegisteredHookMessages() {
    return kRegistered;
}

bool IsMacroKind(uint32_t kind) {
    return kind == kHookMacro || kind == kHookMacroPrevious || kind == kHookMacroLater ||
           kind == kHookMacroSingle;
}

CDeviceHook::CDeviceHook(const BackendFactory& makeBackend, Post post, Receivers receivers)
    : m_post(std::move(post)), m_receivers(std::move(receivers)) {
    // The sink runs on the backend's thread: it only stamps the event with
    // the capture it belongs to and moves it to the UI thread.
    std::weak_ptr<Alive> alive = m_alive;
    input::HookSink sink;
    sink.onKey = [this, alive](const input::KeyHookEvent& event) {
        const uint64_t generation = m_generation.load();
        m_post([this, alive, event, generation] {
            if (!alive.expired()) DeliverKey(event, generation);
        });
    };
    sink.onMouse = [this, alive](const input::MouseHookEvent& event) {
        const uint64_t generation = m_generation.load();
        m_post([this, alive, event, generation] {
            if (!alive.expired()) DeliverMouse(event, generation);
        });
    };
    if (makeBackend) m_backend = makeBackend(std::move(sink));
}

CDeviceHook::~CDeviceHook() {
    Stop();
    // The backend's thread ends here, before the members its sink uses.
    m_backend.reset();
}

int CDeviceHook::Start(uint32_t kind, bool keyboardHook, bool mouseHook) {
    if (m_keysCaptured) Stop();
    if (!m_backend) return 0;
    ++m_generation;
    if (!m_backend->Start(keyboardHook, mouseHook)) {
        log::Printf("input hook: capture of kind %u refused", kind);
        m_capturing = m_keysCaptured = false;
        return 0;
    }
    m_kind = kind;
    m_keysCaptured = keyboardHook;
    m_capturing = keyboardHook || mouseHook;
    return 1;
}

int CDeviceHook::Stop() {
    const int result = m_keysCaptured ? 1 : 0;
    ++m_generation;
    if (m_backend) m_backend->Stop();
    m_keysCaptured = m_capturing = false;
    return result;
}

bool CDeviceHook::DesktopWide() const {
    return m_backend && m_backend->DesktopWide();
}

void CDeviceHook::DeliverKey(const input::KeyHookEvent& event, uint64_t generation) {
    if (generation != m_generation.load() || !m_keysCaptured) return;
    const char* message = KeyboardHookMessage(m_kind);
    if (message && m_receivers.onKey) m_receivers.onKey({message, m_kind, event});
}

void CDeviceHook::DeliverMouse(const input::MouseHookEvent& event, uint64_t generation) {
    if (generation != m_generation.load() || !m_capturing) return;
    const char* message = MouseHookMessage(m_kind);
    if (message && m_receivers.onMouse) m_receivers.onMouse({message, m_kind, event});
}

}  // namespace tirk
