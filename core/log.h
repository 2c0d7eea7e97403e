// Debug log: the program's diagnostic texts, to stderr and to the file named by
// TIRK_LOG. Off unless TIRK_DEBUG=1 or TIRK_LOG is set, so a normal run prints
// nothing. Thread-safe; every call writes whole lines. The file is opened
// close-on-exec: programs the application starts do not inherit it.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace tirk::log {

/// True when diagnostics are written (TIRK_DEBUG=1 or TIRK_LOG set).
bool Enabled();

/// Writes one line (a newline is added when missing). No-op when disabled.
void Line(std::string_view text);

/// printf-style formatting of one line. No-op when disabled.
void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// A device answered something that no firmware should send.
void DeviceFault(std::string_view device, std::string_view what);
/// A file a user or another program wrote is unusable; names the file.
void FileFault(std::string_view file, std::string_view what);
/// Our own program reached a state it should never reach.
void Bug(std::string_view what);

/// Bytes as the frame log prints them: upper-case hex pairs separated by spaces,
/// 16 to a line.
std::string HexLines(const unsigned char* data, size_t length);

/// Re-reads TIRK_DEBUG and TIRK_LOG; for tests that change the environment.
void ReloadSettingsForTest();

}  // namespace tirk::log
