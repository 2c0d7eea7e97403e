// The text commands of a bus's control socket ("<root>/control"), sent by
// tirk-vdev. One command per message; one answer per message: "ok" followed by
// result lines, or one line "error: <what is wrong>".
#pragma once

#include <string>
#include <string_view>

namespace tirk::vbus {

class VirtualHidBus;

/// Runs one command line on `bus` (called on the bus thread) and returns the
/// answer. Commands: list | plug NAME | unplug NAME | counts NAME | dump NAME |
/// clear NAME | fault NAME [KIND [ARGS]] | help, and those the device's firmware
/// carries out: link NAME on|off | notify NAME CODE |
/// status NAME LEVEL STATE [PHONE] | errors NAME.
std::string ExecuteControlCommand(VirtualHidBus& bus, std::string_view line);

/// Answers longer than this are cut (dump keeps the newest reports).
constexpr size_t kMaxControlAnswer = 60000;

}  // namespace tirk::vbus
