// What a virtual device does with the output reports the host writes to it.
// Each device has one replaceable firmware object; the family firmwares
// (settings memory, key tables, notifications…) implement the same interface.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tirk::vbus {

/// The 64-byte command frame as the firmware sees it: report id, checksum,
/// command code, length, offset, status, data.
struct CommandFrameLayout {
    static constexpr size_t kSize = 64;
    static constexpr uint8_t kReportId = 0x04;
    static constexpr size_t kChecksumOffset = 1;
    static constexpr size_t kCommandOffset = 3;
    static constexpr size_t kLengthOffset = 4;
    static constexpr size_t kOffsetOffset = 5;
    static constexpr size_t kStatusOffset = 7;
    static constexpr size_t kDataOffset = 8;
};

/// True when `report` is a whole command frame (64 bytes, report id 0x04).
bool IsCommandFrame(const std::vector<uint8_t>& report);

/// The checksum a command frame must carry: the 16-bit sum, carry discarded, of
/// bytes 3 to 63. `frame` must be a whole command frame.
uint16_t FrameChecksum(const std::vector<uint8_t>& frame);

/// Writes FrameChecksum into bytes 1 and 2 (little-endian) of the whole command
/// frame `frame`.
void StampChecksum(std::vector<uint8_t>* frame);

/// The device side of a firmware: how it answers. All calls happen on the bus
/// thread, inside VirtualFirmware::OnOutputReport or a callback given to After.
class FirmwareIo {
public:
    virtual ~FirmwareIo() = default;
    /// Sends `report` (hidraw form: id byte first when the interface uses ids) as
    /// the answer to the host's last request on interface `interfaceNumber`;
    /// the device's injected fault (fault_plan.h) may drop, delay or spoil it.
    virtual void Reply(uint8_t interfaceNumber, std::vector<uint8_t> report) = 0;
    /// Sends an input report the device produces on its own (notifications,
    /// key presses); faults do not apply.
    virtual void Send(uint8_t interfaceNumber, std::vector<uint8_t> report) = 0;
    /// Runs `callback` on the bus thread after `delay` (no thread sleeps
    /// meanwhile). Microseconds, so that a 1 ms USB interval can be met at
    /// its start; milliseconds convert on their own.
    virtual void After(std::chrono::microseconds delay, std::function<void()> callback) = 0;
};

/// A device's firmware. Called on the bus thread only, so it needs no locks.
class VirtualFirmware {
public:
    virtual ~VirtualFirmware() = default;
    /// Handles one output report exactly as the host wrote it to interface
    /// `interfaceNumber` (id byte first when the interface uses ids).
    virtual void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                                FirmwareIo& io) = 0;

    /// Runs a firmware command of the control socket ("link on", "notify 1025",
    /// "status 50 1", "errors": the words after the device name, command first).
    /// Returns true with the result lines in `answer` ("" or lines each starting
    /// with "\n"), or false with the reason in `answer`. The base firmware knows
    /// none of them.
    virtual bool Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                         std::string* answer);

    /// The device's nodes were just made (`plugged`) or just removed; also
    /// called with true when the firmware is set on a plugged device. The base
    /// does nothing.
    virtual void OnPlugChanged(bool plugged, FirmwareIo& io);

    /// A new firmware of the same kind in its factory state, for another device
    /// called `name` (a device plugged "like" this one), with a memory of its
    /// own; null when this firmware cannot be copied (the base).
    virtual std::unique_ptr<VirtualFirmware> FactoryCopy(const std::string& name) const;
};

/// Answers every command frame with the same 64 bytes; ignores other reports.
class EchoFirmware : public VirtualFirmware {
public:
    void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                        FirmwareIo& io) override;
    std::unique_ptr<VirtualFirmware> FactoryCopy(const std::string& name) const override;
};

}  // namespace tirk::vbus
