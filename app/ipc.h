// Talking with cooperating programs: lighting ownership and control, the
// status query, the game events, activation and exit. The application
// implements IpcHandler; a backend (ipc_dbus.cpp: the D-Bus session service)
// carries the calls. Without a backend the program runs with IPC off.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tirk {

/// The four game events outside programs send ("Game_Start" …).
enum class GameEvent { kStart, kEnd, kKill, kDeath };

/// The event's message name: "Game_Start", "Game_End", "Game_Kill", "Game_Death".
const char* GameEventName(GameEvent event);

/// What other programs ask of the application. Called on the UI thread.
class IpcHandler {
public:
    virtual ~IpcHandler() = default;
    /// wParam 1: lParam 0 or 1 sets the light-control flag; anything else is ignored.
    virtual void OnLightControl(int w_param, int l_param) = 0;
    /// The 1024-byte status block (see status_block.h).
    virtual std::vector<std::uint8_t> OnQueryStatus() = 0;
    /// A game event with its two parameters.
    virtual void OnGameEvent(GameEvent event, int w_param, int l_param) = 0;
    /// Bring the main window to the front.
    virtual void OnActivate() = 0;
    /// End the program as the tray menu's "exit" does. Must not end it before
    /// the call returns (the caller still answers the sender).
    virtual void OnExit() = 0;
};

class IpcService {
public:
    virtual ~IpcService() = default;
    /// Offers the service to other programs; calls reach `handler`, which must
    /// outlive this object. Returns false (and logs that IPC is off) when the
    /// service cannot be offered; the program then runs without it.
    virtual bool Start(IpcHandler& handler) = 0;
    /// True after a successful Start.
    virtual bool IsOn() const = 0;
    /// Tells every listener who drives the lighting (wParam, lParam as the
    /// light-owner message). No-op while off.
    virtual void AnnounceLightOwner(int w_param, int l_param) = 0;
};

/// The D-Bus session service (docs/ipc.md). Never null.
std::unique_ptr<IpcService> CreateDbusIpcService();

}  // namespace tirk
