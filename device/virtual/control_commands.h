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
/// status NAME LEVEL STATE [PHONE] | errors NAME | key NAME KEY down|up |
/// report NAME CODE | timing NAME [usb|off] (the keyboard's); and plug-as NAME LIKE VENDOR
/// PRODUCT (VirtualHidBus::PlugAs), cable NAME (UseCable), wireless NAME
/// (UseWireless).
std::string ExecuteControlCommand(VirtualHidBus& bus, std::string_view line);

/// No answer is longer than this; tirk-vdev reads up to this much and says
/// so when a message was longer.
constexpr size_t kMaxControlAnswer = 60000;
/// The report lines of one dump stay below this; the newest are kept, and the
/// lines after them (at most a few hundred bytes) tell what was left out.
constexpr size_t kMaxDumpText = kMaxControlAnswer - 1000;

}  // namespace tirk::vbus
