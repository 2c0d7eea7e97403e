// The virtual keyboard's firmware (cable and receiver): a full-size ANSI board
// with Fn, two lighting keys and five media keys (112 keys), eight onboard
// profiles of 33 bytes, eight custom colour groups and 1024 bytes of macros.
//
// KeyboardFirmware adds what only the keyboard does: it sends its key reports
// and its own profile reports when told to (tirk-vdev key, report), lets a
// byte of its active record be set as its own buttons would (tirk-vdev
// record), keeps the live light frames the host streams, and can model the
// USB link's timing (tirk-vdev timing). It animates nothing itself.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/virtual/command_firmware.h"
#include "device/virtual/firmware_config.h"
#include "device/virtual/usb_timing.h"

namespace tirk::vbus {

/// Settings memory layout of the keyboard: byte 0 is the active profile, the
/// 33-byte record of profile p (record bytes 1 to 33) at p × 33 + 1.
constexpr size_t kKeyboardProfileStride = 33;
constexpr size_t kKeyboardRecordSize = 34;  ///< as read and written: byte 0 + 33
/// Custom colour group g at bank offset g × 512.
constexpr size_t kKeyboardColourGroupStride = 512;

/// The keyboard's constant facts (docs/virtual-firmware.md).
const FirmwareModel& KeyboardFirmwareModel();

/// The keyboard's firmware config placed as `placement`: factory key codes in
/// the keyboard's own order, LED indices along a serpentine chain, every
/// profile holding the default record.
FirmwareConfig KeyboardFirmwareConfig(const FirmwarePlacement& placement);

/// The codes of the reports the keyboard sends on its own, on the
/// notification collection (CommandFirmware::Notify).
namespace keyboard_report {
inline constexpr uint16_t kResync = 0x0401;          ///< the host should read the settings again
inline constexpr uint16_t kResyncProfiles = 0x0402;  ///< … and its profile list and profile
inline constexpr uint16_t kKeyDown = 0x0500;         ///< + key index
inline constexpr uint16_t kKeyUp = 0x0600;           ///< + key index
inline constexpr uint16_t kProfile = 0x1000;         ///< + active profile (low 4 bits)
/// + active profile (low 4 bits) + record byte 17 (bits 4..7)
inline constexpr uint16_t kProfileAndByte17 = 0x1100;
}  // namespace keyboard_report

/// Record byte the keyboard sets itself (with its report 0x11xx).
constexpr size_t kKeyboardOwnRecordByte = 17;

class KeyboardFirmware : public CommandFirmware {
public:
    /// At most this many live frames are kept (the oldest go).
    static constexpr size_t kMaxLiveFrames = 1000;

    explicit KeyboardFirmware(FirmwareConfig config);
    /// A further link to the keyboard whose memory is `memory` (see CommandFirmware).
    KeyboardFirmware(FirmwareConfig link, std::shared_ptr<DeviceMemory> memory);

    /// With the USB timing on, the report is taken in the next free OUT
    /// interval and its answer sent in a later free IN interval.
    void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                        FirmwareIo& io) override;

    /// Adds "key KEY down|up", "report CODE", "record [BYTE VALUE]" and
    /// "timing [usb|off]" to the commands of CommandFirmware.
    bool Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                 std::string* answer) override;

    /// Unplugging releases every key and drops reports still waiting for
    /// their interval.
    void OnPlugChanged(bool plugged, FirmwareIo& io) override;

    std::unique_ptr<VirtualFirmware> FactoryCopy(const std::string& name) const override;

    /// Sends the press (0x05xx) or release (0x06xx) report of key `keyIndex`
    /// (the keyboard's own order). Refused with `error` for an index not below
    /// the key count, a press of a key that is down, a release of one that is
    /// up, or when Notify cannot send.
    bool SendKey(unsigned keyIndex, bool down, FirmwareIo& io, std::string* error);
    /// Sends one of the keyboard's own reports: 0x0401, 0x0402, 0x10xx (the
    /// keyboard switched to profile xx & 0x0F) or 0x11xx (the same, and set
    /// record byte 17 of that profile to bits 4..7). The keyboard's memory
    /// changes as the report says before it is sent. Refused with `error`
    /// (nothing changed) for other codes, a profile the keyboard does not
    /// have, or when Notify cannot send.
    bool SendOwnReport(uint16_t code, FirmwareIo& io, std::string* error);

    /// Sets byte `byte` (1 to 33) of the active profile's record to `value`,
    /// as the keyboard's own buttons change it, and tells the host nothing
    /// (that is SendOwnReport(0x0401)). False for a byte outside the record.
    bool SetRecordByte(size_t byte, uint8_t value);

    /// Switches the USB timing model on (from now on) or off.
    void SetUsbTiming(bool on);
    bool UsbTiming() const { return m_usbTiming; }
    /// The intervals the timing model gave (empty while it was never on).
    const UsbIntervalClock& Intervals() const { return m_clock; }

    /// The active profile (settings byte 0).
    uint8_t ActiveProfile() const;
    /// The 34 bytes the host reads for profile `profile` (at profile × 33);
    /// empty for a profile the keyboard does not have.
    std::vector<uint8_t> ProfileRecord(size_t profile) const;
    /// Custom colour group `group`'s 512 bytes; empty for a group it does not have.
    std::vector<uint8_t> ColourGroup(size_t group) const;
    /// The live frames the host streamed, oldest first: a frame starts with a
    /// chunk at offset 0 and takes the chunks after it.
    const std::vector<std::vector<uint8_t>>& LiveFrames() const { return m_liveFrames; }

protected:
    void OnStored(MemoryRegion region, size_t offset, size_t length) override;

private:
    bool ControlKey(const std::vector<std::string_view>& words, FirmwareIo& io,
                    std::string* answer);
    bool ControlReport(const std::vector<std::string_view>& words, FirmwareIo& io,
                       std::string* answer);
    bool ControlRecord(const std::vector<std::string_view>& words, std::string* answer);
    bool ControlTiming(const std::vector<std::string_view>& words, std::string* answer);
    bool NotifyTimed(uint16_t code, FirmwareIo& io);
    std::function<bool()> StillValid() const;
    size_t InfoByte(size_t offset) const;

    bool m_usbTiming = false;
    UsbIntervalClock m_clock;
    std::vector<bool> m_keysDown;
    std::vector<std::vector<uint8_t>> m_liveFrames;
    /// Counts plugs; reports waiting for an interval carry the count they were
    /// made under and are dropped when it changed or the firmware is gone.
    std::shared_ptr<unsigned> m_plugGeneration = std::make_shared<unsigned>(0);
};

}  // namespace tirk::vbus
