// The firmware side of the 64-byte command channel, shared by the four device
// families: it checks each frame, answers it as the device does (echo, status
// byte, data) and keeps the device's memory — information block, settings,
// key tables, banks, live light frame, macro and recoil blocks, status block,
// light index table. What differs between families is data: a FirmwareConfig
// built by the family's own file (mouse_firmware.h, keyboard_firmware.h, …).
// docs/virtual-firmware.md gives the memory maps and the answers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/virtual/firmware_config.h"
#include "device/virtual/virtual_firmware.h"

namespace tirk::vbus {

/// Command codes of the channel.
enum CommandCode : uint8_t {
    kCmdBeginWrite = 0x01,
    kCmdEndWrite = 0x02,
    kCmdReadDeviceInfo = 0x03,
    kCmdReadSettings = 0x05,
    kCmdWriteSettings = 0x06,
    kCmdReadKeyTable = 0x07,
    kCmdWriteKeyTable = 0x09,
    kCmdReadBank = 0x0A,
    kCmdWriteBank = 0x0B,
    kCmdWriteLightFrame = 0x12,
    kCmdWriteMacroData = 0x15,
    kCmdWriteRecoilData = 0x17,
    kCmdReadStatus = 0x1A,
    kCmdReadLightIndexTable = 0x1B,
    kCmdResumeLighting = 0x1C,
    kCmdWriteFnKeyTable = 0x27,
    kCmdQueryOnline = 0xAA,
};

/// Status bytes of an answer.
enum AnswerStatus : uint8_t {
    kStatusOk = 0x00,
    kStatusRejected = 0xFF,    ///< bad checksum or unknown command: nothing was done
    kStatusOutOfRange = 0xFE,  ///< length above 56 or bytes outside the region
};

/// Charging states of the power status block (byte 1).
enum ChargeState : uint8_t {
    kChargePowered = 0,  ///< on the cable, full
    kCharging = 1,
    kOnBattery = 2,
};

/// What one physical device keeps whichever link the host reaches it through:
/// its memory and the state its commands leave. A mouse is one mouse on its
/// cable and on its receiver, so the firmware of both links shares one.
struct DeviceMemory {
    /// Each region's bytes; an empty region answers every access with 0xFE.
    std::array<std::vector<uint8_t>, static_cast<size_t>(MemoryRegion::kCount)> regions;
    bool cablePlugged = false;      ///< the cable link is plugged: the device charges
    bool chargeStateGiven = false;  ///< byte 1 of the status block was set by hand
    bool writeSessionOpen = false;
    bool hostDrivesLighting = false;

    std::vector<uint8_t>& Region(MemoryRegion region) {
        return regions[static_cast<size_t>(region)];
    }
};

/// Reads a number of a control command: decimal, or hexadecimal after "0x";
/// false (value unchanged) for anything else or a value above `maximum`.
bool ParseControlNumber(std::string_view word, unsigned maximum, unsigned* value);

/// The firmware of one link (a cable or a receiver) of a device: it checks
/// each command frame and answers it from the device's memory, which several
/// links may share. Runs on the bus thread only.
class CommandFirmware : public VirtualFirmware {
public:
    /// A device of its own: its memory starts as `config`'s regions.
    explicit CommandFirmware(FirmwareConfig config);
    /// A further link to the device whose memory is `memory` (another link's
    /// SharedMemory()): `link` gives this link's name, interface, wireless flag
    /// and notifications; its regions serve only as this link's factory state
    /// for FactoryCopy.
    CommandFirmware(FirmwareConfig link, std::shared_ptr<DeviceMemory> memory);

    void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                        FirmwareIo& io) override;

    /// Control commands: "link on|off" (receivers), "notify CODE", "status LEVEL
    /// STATE [PHONE]", "errors". See VirtualFirmware::Control.
    bool Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                 std::string* answer) override;

    /// A cable link being plugged or unplugged makes the device charge or run
    /// on its battery (status byte 1), and forgets a state set by hand.
    void OnPlugChanged(bool plugged, FirmwareIo& io) override;

    /// A firmware of this link's kind in its factory state, with a memory of its
    /// own, for the device `name`.
    std::unique_ptr<VirtualFirmware> FactoryCopy(const std::string& name) const override;

    /// Sends notification `code` as a consumer-control input report (id 3, the
    /// code little-endian) on the command interface. False (nothing sent) when
    /// the device has no notification collection or is a receiver whose device
    /// is not linked.
    bool Notify(uint16_t code, FirmwareIo& io);

    /// Links or unlinks the device behind a receiver (ignored by cabled devices,
    /// which are always linked).
    void SetLinked(bool linked) { m_linked = linked; }
    bool IsLinked() const { return !m_config.wireless || m_linked; }

    /// Sets the power status block: charge level in percent, charging state
    /// (ChargeState) and the phone on the charger. The state stays as given
    /// until the cable is plugged or unplugged.
    void SetPowerStatus(uint8_t level, uint8_t state, uint8_t phone = 0);

    /// The region's bytes as the device holds them now (shared by its links;
    /// the wireless mark, byte 3 of the information and status blocks, is
    /// set per link in the answers).
    const std::vector<uint8_t>& Memory(MemoryRegion region) const {
        return m_memory->regions[static_cast<size_t>(region)];
    }
    /// For tests that prepare a device's memory before the host reads it.
    std::vector<uint8_t>& MutableMemory(MemoryRegion region) { return m_memory->Region(region); }
    /// The device's memory, to give a further link (see the constructor).
    std::shared_ptr<DeviceMemory> SharedMemory() const { return m_memory; }

    /// True between BeginWrite and EndWrite.
    bool InWriteSession() const { return m_memory->writeSessionOpen; }
    /// True after a live light frame until ResumeLighting.
    bool HostDrivesLighting() const { return m_memory->hostDrivesLighting; }
    /// What this link found wrong in the frames it received, oldest first.
    const std::vector<std::string>& DeviceErrors() const { return m_errors; }
    /// This link's configuration, with the factory contents of the regions.
    const FirmwareConfig& config() const { return m_config; }

protected:
    /// Reports that are not command frames; the base records nothing and answers
    /// nothing (keyboard LED reports and the like).
    virtual void OnOtherReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                               FirmwareIo& io);
    /// Called after a write command stored `length` bytes at `offset` of
    /// `region` (the bytes are in Memory(region)); the base does nothing.
    virtual void OnStored(MemoryRegion region, size_t offset, size_t length);
    /// Notes something wrong in a frame the host sent (also logged).
    void RecordDeviceError(const std::string& what);

private:
    void AnswerCommand(const std::vector<uint8_t>& request, std::vector<uint8_t>* answer);
    void AnswerMemoryAccess(MemoryRegion region, bool writes, const std::vector<uint8_t>& request,
                            std::vector<uint8_t>* answer);
    void MarkLink(MemoryRegion region, size_t offset, size_t length, uint8_t* data) const;
    void AnswerNotLinked(std::vector<uint8_t>* answer);
    void FollowCable();
    bool ControlNotify(const std::vector<std::string_view>& words, FirmwareIo& io,
                       std::string* answer);
    bool ControlStatus(const std::vector<std::string_view>& words, std::string* answer);
    bool ControlLink(const std::vector<std::string_view>& words, std::string* answer);

    FirmwareConfig m_config;
    std::shared_ptr<DeviceMemory> m_memory;
    bool m_linked = true;
    std::vector<std::string> m_errors;
};

}  // namespace tirk::vbus
