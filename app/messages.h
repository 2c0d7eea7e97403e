// Message numbers of the application. Named messages get a number from their
// name that is the same in every process, so two programs that agree on a name
// agree on the number (the D-Bus names of docs/ipc.md carry them between
// processes; inside the process the main window receives them as tasks).
#pragma once

#include <string_view>

namespace tirk {

/// The instance message's name: a later start asks the running one to come
/// to the front.
inline constexpr char kInstanceMessageName[] = "Gaming device";

/// A stable number in 0xC000..0xFFFF for `name` (FNV-1a of its bytes).
int RegisteredMessageId(std::string_view name);

/// Main-window timers owned by the shell.
enum MainWindowTimer {
    kTimerFitAfterInit = 1011,  ///< 100 ms after window init: fit to monitor
    kTimerTrayMenu = 1032,      ///< 10 ms after a tray right click: open the tray menu
};

/// What reaches the main window, for the rule of what is still handled
/// between suspend and resume.
enum class MainMessage {
    kActivate,         ///< the window became active or inactive
    kMouseEnterLeave,  ///< mouse entered or left the window
    kInstance,         ///< bring-to-front from a later start or the scan
    kSettingsRelay,
    kLightControl,
    kStatusQuery,
    kDestroy,
    kPower,
    kInputHook,  ///< the hook messages and the game events
    kDpiChanged,
    kTray,
    kMenuCommand,
    kTimer,
    kDisplayChange,
    kCompanionData,
    kDeviceArrived,
    kDeviceRemoved,
};

/// True when the main window handles `message` while the system sleeps (the
/// awake flag is 0): activation, mouse enter/leave, instance, settings relay,
/// lighting control, status query, destroy and power. Everything else waits
/// for the resume.
bool HandledWhileAsleep(MainMessage message);

}  // namespace tirk
