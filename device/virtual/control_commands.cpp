#include "device/virtual/control_commands.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

#include "device/virtual/virtual_firmware.h"
#include "device/virtual/virtual_hid_bus.h"

namespace tirk::vbus {
namespace {

constexpr const char* kCommandList =
    "commands: list, plug NAME, unplug NAME, counts NAME, dump NAME, clear NAME, "
    "fault NAME [KIND [ARGS]], link NAME on|off, notify NAME CODE, "
    "status NAME LEVEL STATE [PHONE], errors NAME, key NAME KEY down|up, report NAME CODE, "
    "record NAME [BYTE VALUE], timing NAME [usb|off], plug-as NAME LIKE VENDOR PRODUCT, "
    "cable NAME, wireless NAME, help";

// Commands the device's firmware carries out (VirtualFirmware::Control).
constexpr std::string_view kFirmwareCommands[] = {"link", "notify", "status", "errors",
                                                  "key",  "report", "record", "timing"};

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string Error(const std::string& what) {
    return "error: " + what;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, " %02X", b);
        text += pair;
    }
    return text;
}

std::string ListDevices(VirtualHidBus& bus) {
    std::string answer = "ok";
    for (VirtualHidDevice* device : bus.Devices()) {
        char identity[16];
        std::snprintf(identity, sizeof identity, "%04x:%04x", device->spec().vendorId,
                      device->spec().productId);
        std::vector<std::string> nodes = device->NodeNames();
        answer += "\n" + device->name() + (nodes.empty() ? " unplugged " : " plugged ") + identity;
        for (const std::string& node : nodes) answer += " " + node;
    }
    return answer;
}

std::string Counts(VirtualHidDevice& device) {
    std::string answer = "ok";
    char line[32];
    for (auto [code, count] : device.CommandCounts()) {
        std::snprintf(line, sizeof line, "\n0x%02X %d", code, count);
        answer += line;
    }
    return answer;
}

// The closing lines of a dump that tell what it leaves out and why; empty
// when it shows every report the device ever recorded.
std::string DumpOmissions(VirtualHidDevice& device, const std::vector<ReceivedReport>& reports,
                          size_t shown) {
    std::string text;
    if (shown < reports.size()) {
        text += "\n(" + std::to_string(reports.size() - shown) +
                " older reports left out: an answer holds at most " + std::to_string(kMaxDumpText) +
                " bytes of reports)";
    }
    if (reports.size() < VirtualHidDevice::kMaxRecorded) return text;
    // The command counts are never dropped, so they tell how many command
    // frames fell out of the full recording; other reports are not counted.
    size_t counted = 0, recorded = 0;
    for (auto [code, count] : device.CommandCounts()) counted += size_t(count);
    for (const ReceivedReport& report : reports) recorded += IsCommandFrame(report.bytes);
    text += "\n(recording full: the device keeps only its newest " +
            std::to_string(VirtualHidDevice::kMaxRecorded) + " reports; " +
            std::to_string(counted > recorded ? counted - recorded : 0) +
            " older command frames and any older other reports were dropped)";
    return text;
}

// Newest reports last; the oldest are left out when the answer would be too
// long, and the last lines say so.
std::string Dump(VirtualHidDevice& device) {
    std::vector<ReceivedReport> reports = device.Received();
    std::vector<std::string> lines;
    size_t length = 0;
    for (auto it = reports.rbegin(); it != reports.rend(); ++it) {
        std::string line = "\nmi" + std::to_string(it->interfaceNumber) + Hex(it->bytes);
        if (length + line.size() > kMaxDumpText) break;
        length += line.size();
        lines.push_back(std::move(line));
    }
    std::string answer = "ok";
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) answer += *it;
    return answer + DumpOmissions(device, reports, lines.size());
}

std::string Fault(VirtualHidDevice& device, const std::vector<std::string_view>& words) {
    if (words.size() > 2) {
        FaultPlan plan;
        std::string error;
        if (!ParseFaultPlan({words.begin() + 2, words.end()}, &plan, &error)) return Error(error);
        device.SetFault(plan);
    }
    return "ok\n" + DescribeFaultPlan(device.Fault());
}

// "notify mouse 1025" runs "notify 1025" in the mouse's firmware.
std::string FirmwareCommand(VirtualHidDevice& device, const std::vector<std::string_view>& words) {
    std::vector<std::string_view> firmwareWords = {words[0]};
    firmwareWords.insert(firmwareWords.end(), words.begin() + 2, words.end());
    std::string answer;
    if (!device.FirmwareControl(firmwareWords, &answer))
        return Error(device.name() + ": " + answer);
    return "ok" + answer;
}

std::string DeviceCommand(VirtualHidBus& bus, const std::vector<std::string_view>& words) {
    std::string_view command = words[0];
    if (words.size() < 2) return Error(std::string(command) + " needs a device name");
    std::string error;
    if (command == "plug") return bus.Plug(words[1], &error) ? "ok" : Error(error);
    if (command == "unplug") return bus.Unplug(words[1], &error) ? "ok" : Error(error);
    VirtualHidDevice* device = bus.Find(words[1]);
    if (device == nullptr) return Error(bus.UnknownDeviceText(words[1]));
    if (command == "fault") return Fault(*device, words);
    for (std::string_view known : kFirmwareCommands)
        if (command == known) return FirmwareCommand(*device, words);
    if (words.size() > 2) return Error(std::string(command) + " takes only a device name");
    if (command == "counts") return Counts(*device);
    if (command == "dump") return Dump(*device);
    device->ClearReceived();
    return "ok";
}

// A USB id: hexadecimal, with or without "0x", as lsusb and the tables write it.
bool ParseUsbId(std::string_view word, uint16_t* id) {
    if (word.size() > 2 && (word.substr(0, 2) == "0x" || word.substr(0, 2) == "0X"))
        word.remove_prefix(2);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || value > 0xFFFF)
        return false;
    *id = static_cast<uint16_t>(value);
    return true;
}

// "plug-as mouse2 mouse 3A7D 61F0": a device like "mouse" with another identity.
std::string PlugAs(VirtualHidBus& bus, const std::vector<std::string_view>& words) {
    uint16_t vendor = 0, product = 0;
    if (words.size() != 5 || !ParseUsbId(words[3], &vendor) || !ParseUsbId(words[4], &product))
        return Error(
            "plug-as needs NAME LIKE VENDOR PRODUCT (hexadecimal USB ids, e.g. "
            "plug-as mouse2 mouse 3A7D 61F0)");
    std::string error;
    if (bus.PlugAs(std::string(words[1]), words[2], vendor, product, &error) == nullptr)
        return Error(error);
    return "ok";
}

// "cable mouse", "wireless mouse": the physical device moves between its links.
std::string SwitchLink(VirtualHidBus& bus, const std::vector<std::string_view>& words) {
    if (words.size() != 2) return Error(std::string(words[0]) + " needs one device name");
    std::string error;
    bool ok =
        words[0] == "cable" ? bus.UseCable(words[1], &error) : bus.UseWireless(words[1], &error);
    return ok ? "ok" : Error(error);
}

}  // namespace

std::string ExecuteControlCommand(VirtualHidBus& bus, std::string_view line) {
    std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) return Error(std::string("empty command; ") + kCommandList);
    std::string_view command = words[0];
    if (command == "help") return std::string("ok\n") + kCommandList;
    if (command == "list") return ListDevices(bus);
    if (command == "plug-as") return PlugAs(bus, words);
    if (command == "cable" || command == "wireless") return SwitchLink(bus, words);
    for (std::string_view known : {"plug", "unplug", "counts", "dump", "clear", "fault"})
        if (command == known) return DeviceCommand(bus, words);
    for (std::string_view known : kFirmwareCommands)
        if (command == known) return DeviceCommand(bus, words);
    return Error("unknown command \"" + std::string(command) + "\"; " + kCommandList);
}

}  // namespace tirk::vbus
