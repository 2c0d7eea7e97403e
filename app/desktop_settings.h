// The desktop's own keyboard and mouse settings, opened from the system
// pages. Every desktop has its own settings program; the running desktop's
// (XDG_CURRENT_DESKTOP) is tried first, then the others, so a user who
// installed one elsewhere still gets it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tirk {

enum class DesktopSettingsPage { kKeyboard, kMouse };

/// The programs (each with its arguments) that open `page`, in the order
/// they are tried on desktop `desktop` (XDG_CURRENT_DESKTOP: names separated
/// by ':', compared ignoring case).
std::vector<std::vector<std::string>> DesktopSettingsCommands(DesktopSettingsPage page,
                                                              std::string_view desktop);

/// Starts the first of DesktopSettingsCommands found on PATH, detached, so
/// the window is not held while it runs. False when none is installed or it
/// could not be started.
bool OpenDesktopSettings(DesktopSettingsPage page);

}  // namespace tirk
