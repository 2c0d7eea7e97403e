#include "device/virtual/keyboard_firmware.h"

#include <algorithm>
#include <cstdio>

namespace tirk::vbus {
namespace {

struct KeyCode {
    uint8_t kind, modifier, usage;
};

// The keys in the keyboard's own scan order: the top strip (media keys, the two
// lighting keys) first, then the main block row by row, navigation and keypad
// with their row. Kind 0x20 = keyboard key (modifier bits, HID usage).
constexpr KeyCode kFactoryKeys[] = {
    // Top strip: media keys, then the two lighting keys.
    {0xD0, 0xA2, 0x01},
    {0xD0, 0xA2, 0x02},
    {0xD0, 0xA2, 0x03},
    {0xD0, 0xA2, 0x04},
    {0xD0, 0xA2, 0x05},
    {0xA0, 0x1B, 0x00},
    {0xA0, 0x11, 0x00},
    // Esc, F1 … F12, Print Screen, Scroll Lock, Pause.
    {0x20, 0, 0x29},
    {0x20, 0, 0x3A},
    {0x20, 0, 0x3B},
    {0x20, 0, 0x3C},
    {0x20, 0, 0x3D},
    {0x20, 0, 0x3E},
    {0x20, 0, 0x3F},
    {0x20, 0, 0x40},
    {0x20, 0, 0x41},
    {0x20, 0, 0x42},
    {0x20, 0, 0x43},
    {0x20, 0, 0x44},
    {0x20, 0, 0x45},
    {0x20, 0, 0x46},
    {0x20, 0, 0x47},
    {0x20, 0, 0x48},
    // ` 1 … 0 - = Backspace, Insert Home PageUp, NumLock / * -.
    {0x20, 0, 0x35},
    {0x20, 0, 0x1E},
    {0x20, 0, 0x1F},
    {0x20, 0, 0x20},
    {0x20, 0, 0x21},
    {0x20, 0, 0x22},
    {0x20, 0, 0x23},
    {0x20, 0, 0x24},
    {0x20, 0, 0x25},
    {0x20, 0, 0x26},
    {0x20, 0, 0x27},
    {0x20, 0, 0x2D},
    {0x20, 0, 0x2E},
    {0x20, 0, 0x2A},
    {0x20, 0, 0x49},
    {0x20, 0, 0x4A},
    {0x20, 0, 0x4B},
    {0x20, 0, 0x53},
    {0x20, 0, 0x54},
    {0x20, 0, 0x55},
    {0x20, 0, 0x56},
    // Tab Q … P [ ] \, Delete End PageDown, keypad 7 8 9.
    {0x20, 0, 0x2B},
    {0x20, 0, 0x14},
    {0x20, 0, 0x1A},
    {0x20, 0, 0x08},
    {0x20, 0, 0x15},
    {0x20, 0, 0x17},
    {0x20, 0, 0x1C},
    {0x20, 0, 0x18},
    {0x20, 0, 0x0C},
    {0x20, 0, 0x12},
    {0x20, 0, 0x13},
    {0x20, 0, 0x2F},
    {0x20, 0, 0x30},
    {0x20, 0, 0x31},
    {0x20, 0, 0x4C},
    {0x20, 0, 0x4D},
    {0x20, 0, 0x4E},
    {0x20, 0, 0x5F},
    {0x20, 0, 0x60},
    {0x20, 0, 0x61},
    // Caps Lock A … L ; ' Enter, keypad 4 5 6.
    {0x20, 0, 0x39},
    {0x20, 0, 0x04},
    {0x20, 0, 0x16},
    {0x20, 0, 0x07},
    {0x20, 0, 0x09},
    {0x20, 0, 0x0A},
    {0x20, 0, 0x0B},
    {0x20, 0, 0x0D},
    {0x20, 0, 0x0E},
    {0x20, 0, 0x0F},
    {0x20, 0, 0x33},
    {0x20, 0, 0x34},
    {0x20, 0, 0x28},
    {0x20, 0, 0x5C},
    {0x20, 0, 0x5D},
    {0x20, 0, 0x5E},
    // Left Shift Z … M , . / Right Shift, Up, keypad 1 2 3.
    {0x20, 0x02, 0},
    {0x20, 0, 0x1D},
    {0x20, 0, 0x1B},
    {0x20, 0, 0x06},
    {0x20, 0, 0x19},
    {0x20, 0, 0x05},
    {0x20, 0, 0x11},
    {0x20, 0, 0x10},
    {0x20, 0, 0x36},
    {0x20, 0, 0x37},
    {0x20, 0, 0x38},
    {0x20, 0x20, 0},
    {0x20, 0, 0x52},
    {0x20, 0, 0x59},
    {0x20, 0, 0x5A},
    {0x20, 0, 0x5B},
    // Left Ctrl, Left Win, Left Alt, Space, Right Alt, Fn, Menu, Right Ctrl,
    // Left Down Right, keypad 0 . Enter +, Right Win.
    {0x20, 0x01, 0},
    {0x20, 0x08, 0},
    {0x20, 0x04, 0},
    {0x20, 0, 0x2C},
    {0x20, 0x40, 0},
    {0xA0, 0x01, 0x00},
    {0x20, 0, 0x65},
    {0x20, 0x10, 0},
    {0x20, 0, 0x50},
    {0x20, 0, 0x51},
    {0x20, 0, 0x4F},
    {0x20, 0, 0x62},
    {0x20, 0, 0x63},
    {0x20, 0, 0x58},
    {0x20, 0, 0x57},
    {0x20, 0x80, 0},
};

constexpr size_t kKeyCount = std::size(kFactoryKeys);
static_assert(3 * kKeyCount <= kKeyTableSize, "the key table must fit the channel's 512 bytes");

// The LED chain runs along rows of 16 keys, back and forth.
uint8_t LedOfKey(size_t key) {
    constexpr size_t kRun = 16;
    size_t run = key / kRun, within = key % kRun;
    size_t runLength = std::min(kRun, kKeyCount - run * kRun);
    return static_cast<uint8_t>(run * kRun + (run % 2 == 0 ? within : runLength - 1 - within));
}

// Record bytes 1 … 33 as the keyboard leaves the factory.
std::vector<uint8_t> DefaultProfile() {
    std::vector<uint8_t> record(kKeyboardRecordSize, 0);
    record[1] = 1;      // lighting mode code
    record[2] = 4;      // brightness
    record[3] = 4 - 2;  // speed 2, stored inverted
    record[5] = 1;      // multi-colour
    record[6] = 255;    // red
    record[22] = 3;     // report rate index
    return {record.begin() + 1, record.end()};
}

}  // namespace

const FirmwareModel& KeyboardFirmwareModel() {
    static const FirmwareModel kModel = [] {
        FirmwareModel m;
        m.familyCode = 1;
        m.versionMajor = 2;
        m.versionMinor = 1;
        m.profileSlots = 8;
        m.keyCount = static_cast<uint8_t>(kKeyCount);
        m.macroUnits = 8;   // 1024 bytes
        m.reportRates = 4;  // 125, 250, 500, 1000 Hz
        m.settingsSize = 1 + m.profileSlots * kKeyboardProfileStride;
        m.bankSize = 8 * kKeyboardColourGroupStride;
        m.chargeLevel = 80;  // a wireless keyboard: its battery is not full
        return m;
    }();
    return kModel;
}

FirmwareConfig KeyboardFirmwareConfig(const FirmwarePlacement& placement) {
    const FirmwareModel& model = KeyboardFirmwareModel();
    FirmwareConfig config = MakeFirmwareConfig(model, placement);
    std::vector<uint8_t>& keys = config.Region(MemoryRegion::kFactoryKeys);
    std::vector<uint8_t>& leds = config.Region(MemoryRegion::kLightIndex);
    for (size_t k = 0; k < kKeyCount; ++k) {
        keys[3 * k] = kFactoryKeys[k].kind;
        keys[3 * k + 1] = kFactoryKeys[k].modifier;
        keys[3 * k + 2] = kFactoryKeys[k].usage;
        leds[k] = LedOfKey(k);
    }
    config.Region(MemoryRegion::kKeyTable) = keys;
    std::vector<uint8_t> profile = DefaultProfile();
    std::vector<uint8_t>& settings = config.Region(MemoryRegion::kSettings);
    for (size_t p = 0; p < model.profileSlots; ++p)
        std::copy(profile.begin(), profile.end(),
                  settings.begin() + 1 + p * kKeyboardProfileStride);
    return config;
}

namespace {

constexpr const char* kKeyUsage =
    "key needs KEY (the key's index in the keyboard's order) and down or up";
constexpr const char* kRecordUsage =
    "record takes nothing (shows the active profile's record bytes 1-33) or BYTE (1-33) "
    "VALUE (0-255); report NAME 0x0401 then tells the host";
constexpr const char* kReportUsage =
    "report needs one of the keyboard's own codes: 0x0401, 0x0402, 0x10xx or 0x11xx "
    "(key reports: key NAME KEY down|up; any other code: notify NAME CODE)";

}  // namespace

KeyboardFirmware::KeyboardFirmware(FirmwareConfig config) : CommandFirmware(std::move(config)) {}

KeyboardFirmware::KeyboardFirmware(FirmwareConfig link, std::shared_ptr<DeviceMemory> memory)
    : CommandFirmware(std::move(link), std::move(memory)) {}

std::unique_ptr<VirtualFirmware> KeyboardFirmware::FactoryCopy(const std::string& name) const {
    FirmwareConfig factory = config();
    factory.name = name;
    return std::make_unique<KeyboardFirmware>(std::move(factory));
}

std::function<bool()> KeyboardFirmware::StillValid() const {
    return [weak = std::weak_ptr<unsigned>(m_plugGeneration), generation = *m_plugGeneration] {
        std::shared_ptr<unsigned> current = weak.lock();
        return current != nullptr && *current == generation;
    };
}

void KeyboardFirmware::OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                                      FirmwareIo& io) {
    if (!m_usbTiming) {
        CommandFirmware::OnOutputReport(interfaceNumber, report, io);
        return;
    }
    // Reports taken while the timing is switched off overtake those still
    // waiting for their interval; tests switch it while the link is quiet.
    auto now = UsbIntervalClock::Clock::now();
    int64_t interval = m_clock.ReserveOut(now);
    std::function<bool()> valid = StillValid();
    io.After(m_clock.WaitUntil(interval, now),
             [this, valid, interval, interfaceNumber, report, &io] {
                 if (!valid()) return;
                 TimedFirmwareIo timed(io, m_clock, interval, valid);
                 CommandFirmware::OnOutputReport(interfaceNumber, report, timed);
             });
}

void KeyboardFirmware::OnPlugChanged(bool plugged, FirmwareIo& io) {
    ++*m_plugGeneration;
    m_keysDown.clear();
    CommandFirmware::OnPlugChanged(plugged, io);
}

void KeyboardFirmware::SetUsbTiming(bool on) {
    if (on && !m_usbTiming) m_clock.Start(UsbIntervalClock::Clock::now());
    m_usbTiming = on;
}

size_t KeyboardFirmware::InfoByte(size_t offset) const {
    const std::vector<uint8_t>& info = Memory(MemoryRegion::kDeviceInfo);
    return offset < info.size() ? info[offset] : 0;
}

uint8_t KeyboardFirmware::ActiveProfile() const {
    const std::vector<uint8_t>& settings = Memory(MemoryRegion::kSettings);
    return settings.empty() ? 0 : settings[0];
}

std::vector<uint8_t> KeyboardFirmware::ProfileRecord(size_t profile) const {
    const std::vector<uint8_t>& settings = Memory(MemoryRegion::kSettings);
    size_t at = profile * kKeyboardProfileStride;
    if (profile >= InfoByte(kInfoProfileSlots) || at + kKeyboardRecordSize > settings.size())
        return {};
    return {settings.begin() + at, settings.begin() + at + kKeyboardRecordSize};
}

std::vector<uint8_t> KeyboardFirmware::ColourGroup(size_t group) const {
    const std::vector<uint8_t>& banks = Memory(MemoryRegion::kBanks);
    size_t at = group * kKeyboardColourGroupStride;
    if (at + kKeyboardColourGroupStride > banks.size()) return {};
    return {banks.begin() + at, banks.begin() + at + kKeyboardColourGroupStride};
}

void KeyboardFirmware::OnStored(MemoryRegion region, size_t offset, size_t length) {
    if (region != MemoryRegion::kLightFrame) return;
    if (offset == 0 || m_liveFrames.empty()) {
        if (m_liveFrames.size() >= kMaxLiveFrames) m_liveFrames.erase(m_liveFrames.begin());
        m_liveFrames.emplace_back();
    }
    std::vector<uint8_t>& frame = m_liveFrames.back();
    if (frame.size() < offset + length) frame.resize(offset + length, 0);
    const std::vector<uint8_t>& memory = Memory(MemoryRegion::kLightFrame);
    std::copy_n(memory.begin() + offset, length, frame.begin() + offset);
}

bool KeyboardFirmware::NotifyTimed(uint16_t code, FirmwareIo& io) {
    if (!m_usbTiming) return Notify(code, io);
    TimedFirmwareIo timed(io, m_clock, -1, StillValid());
    return Notify(code, timed);
}

bool KeyboardFirmware::SendKey(unsigned keyIndex, bool down, FirmwareIo& io, std::string* error) {
    size_t keys = InfoByte(kInfoKeyCount);
    if (keyIndex >= keys || keyIndex > 0xFF) {
        *error = "key " + std::to_string(keyIndex) + ": the keyboard has keys 0 to " +
                 std::to_string(keys == 0 ? 0 : keys - 1);
        return false;
    }
    if (m_keysDown.size() < keys) m_keysDown.resize(keys, false);
    if (m_keysDown[keyIndex] == down) {
        *error = "key " + std::to_string(keyIndex) + " is already " + (down ? "down" : "up");
        return false;
    }
    uint16_t base = down ? keyboard_report::kKeyDown : keyboard_report::kKeyUp;
    if (!NotifyTimed(static_cast<uint16_t>(base + keyIndex), io)) {
        *error = IsLinked() ? "no notification collection" : "the keyboard is not linked";
        return false;
    }
    m_keysDown[keyIndex] = down;
    return true;
}

bool KeyboardFirmware::SendOwnReport(uint16_t code, FirmwareIo& io, std::string* error) {
    uint8_t kind = code >> 8;
    bool resync = code == keyboard_report::kResync || code == keyboard_report::kResyncProfiles;
    bool profile =
        kind == keyboard_report::kProfile >> 8 || kind == keyboard_report::kProfileAndByte17 >> 8;
    if (!resync && !profile) {
        *error = kReportUsage;
        return false;
    }
    size_t slot = code & 0x0F, slots = InfoByte(kInfoProfileSlots);
    if (profile && slot >= slots) {
        *error = "profile " + std::to_string(slot) + ": the keyboard has profiles 0 to " +
                 std::to_string(slots == 0 ? 0 : slots - 1);
        return false;
    }
    if (!config().hasNotifications || !IsLinked()) {
        *error = IsLinked() ? "no notification collection" : "the keyboard is not linked";
        return false;
    }
    if (profile) {
        std::vector<uint8_t>& settings = MutableMemory(MemoryRegion::kSettings);
        settings[0] = static_cast<uint8_t>(slot);
        if (kind == keyboard_report::kProfileAndByte17 >> 8)
            settings[slot * kKeyboardProfileStride + kKeyboardOwnRecordByte] = (code >> 4) & 0x0F;
    }
    return NotifyTimed(code, io);
}

bool KeyboardFirmware::Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                               std::string* answer) {
    std::string_view command = words.empty() ? std::string_view() : words[0];
    if (command == "key") return ControlKey(words, io, answer);
    if (command == "report") return ControlReport(words, io, answer);
    if (command == "record") return ControlRecord(words, answer);
    if (command == "timing") return ControlTiming(words, answer);
    return CommandFirmware::Control(words, io, answer);
}

bool KeyboardFirmware::ControlKey(const std::vector<std::string_view>& words, FirmwareIo& io,
                                  std::string* answer) {
    unsigned key = 0;
    if (words.size() != 3 || !ParseControlNumber(words[1], 0xFFFF, &key) ||
        (words[2] != "down" && words[2] != "up")) {
        *answer = kKeyUsage;
        return false;
    }
    if (!SendKey(key, words[2] == "down", io, answer)) return false;
    answer->clear();
    return true;
}

bool KeyboardFirmware::ControlReport(const std::vector<std::string_view>& words, FirmwareIo& io,
                                     std::string* answer) {
    unsigned code = 0;
    if (words.size() != 2 || !ParseControlNumber(words[1], 0xFFFF, &code)) {
        *answer = kReportUsage;
        return false;
    }
    if (!SendOwnReport(static_cast<uint16_t>(code), io, answer)) return false;
    answer->clear();
    return true;
}

bool KeyboardFirmware::SetRecordByte(size_t byte, uint8_t value) {
    const size_t at = ActiveProfile() * kKeyboardProfileStride + byte;
    std::vector<uint8_t>& settings = MutableMemory(MemoryRegion::kSettings);
    if (byte < 1 || byte >= kKeyboardRecordSize || at >= settings.size()) return false;
    settings[at] = value;
    return true;
}

// "record 1 6": the lighting mode code of the active profile becomes 6; a
// bench or a test then sends "report 0x0401" so the host reads it.
bool KeyboardFirmware::ControlRecord(const std::vector<std::string_view>& words,
                                     std::string* answer) {
    unsigned byte = 0, value = 0;
    if (words.size() == 3) {
        if (!ParseControlNumber(words[1], kKeyboardRecordSize - 1, &byte) ||
            !ParseControlNumber(words[2], 0xFF, &value) ||
            !SetRecordByte(byte, static_cast<uint8_t>(value))) {
            *answer = kRecordUsage;
            return false;
        }
    } else if (words.size() != 1) {
        *answer = kRecordUsage;
        return false;
    }
    std::vector<uint8_t> record = ProfileRecord(ActiveProfile());
    answer->assign("\n");
    char pair[4];
    for (size_t i = 1; i < record.size(); ++i) {
        std::snprintf(pair, sizeof pair, i == 1 ? "%02X" : " %02X", record[i]);
        *answer += pair;
    }
    return true;
}

bool KeyboardFirmware::ControlTiming(const std::vector<std::string_view>& words,
                                     std::string* answer) {
    if (words.size() == 2 && (words[1] == "usb" || words[1] == "off")) {
        SetUsbTiming(words[1] == "usb");
    } else if (words.size() != 1) {
        *answer = "timing takes usb (one report per 1 ms interval each way) or off";
        return false;
    }
    *answer = m_usbTiming ? "\nusb" : "\noff";
    return true;
}

}  // namespace tirk::vbus
