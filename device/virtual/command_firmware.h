// The firmware side of the 64-byte command channel, shared by the four device
// families: it checks each frame, answers it as the device does (echo, status
// byte, data) and keeps the device's memory — information block, settings,
// key tables, banks, live light frame, macro and recoil blocks, status block,
// light index table. What differs between families is data: a FirmwareConfig
// built by the family's own file (mouse_firmware.h, keyboard_firmware.h, …).
// docs/virtual-firmware.md gives the memory maps and the answers.
#pragma once

#include <cstdint>
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

/// A firmware that answers every operation of the command channel from the
/// memory of its FirmwareConfig. Runs on the bus thread only.
class CommandFirmware : public VirtualFirmware {
public:
    explicit CommandFirmware(FirmwareConfig config);

    void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                        FirmwareIo& io) override;

    /// Control commands: "link on|off" (receivers), "notify CODE", "status LEVEL
    /// STATE [PHONE]", "errors". See VirtualFirmware::Control.
    bool Control(const std::vector<std::string_view>& words, FirmwareIo& io,
                 std::string* answer) override;

    /// Sends notification `code` as a consumer-control input report (id 3, the
    /// code little-endian) on the command interface. False (nothing sent) when
    /// the device has no notification collection or is a receiver whose device
    /// is not linked.
    bool Notify(uint16_t code, FirmwareIo& io);

    /// Links or unlinks the device behind a receiver (ignored by cabled devices,
    /// which are always linked).
    void SetLinked(bool linked) { linked_ = linked; }
    bool IsLinked() const { return !config_.wireless || linked_; }

    /// Sets the power status block: charge level in percent, charging state
    /// (0 powered, 1 charging, 2 on battery) and the phone on the charger.
    void SetPowerStatus(uint8_t level, uint8_t state, uint8_t phone = 0);

    /// The region's bytes as the device holds them now.
    const std::vector<uint8_t>& Memory(MemoryRegion region) const {
        return config_.regions[static_cast<size_t>(region)];
    }
    /// For tests that prepare a device's memory before the host reads it.
    std::vector<uint8_t>& MutableMemory(MemoryRegion region) { return config_.Region(region); }

    /// True between BeginWrite and EndWrite.
    bool InWriteSession() const { return writeSessionOpen_; }
    /// True after a live light frame until ResumeLighting.
    bool HostDrivesLighting() const { return hostDrivesLighting_; }
    /// What the device found wrong in the frames it received, oldest first.
    const std::vector<std::string>& DeviceErrors() const { return errors_; }
    const FirmwareConfig& config() const { return config_; }

protected:
    /// Reports that are not command frames; the base records nothing and answers
    /// nothing (keyboard LED reports and the like).
    virtual void OnOtherReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                               FirmwareIo& io);
    /// Notes something wrong in a frame the host sent (also logged).
    void RecordDeviceError(const std::string& what);

private:
    void AnswerCommand(const std::vector<uint8_t>& request, std::vector<uint8_t>* answer);
    void AnswerMemoryAccess(MemoryRegion region, bool writes, const std::vector<uint8_t>& request,
                            std::vector<uint8_t>* answer);
    void AnswerNotLinked(std::vector<uint8_t>* answer);
    bool ControlNotify(const std::vector<std::string_view>& words, FirmwareIo& io,
                       std::string* answer);
    bool ControlStatus(const std::vector<std::string_view>& words, std::string* answer);
    bool ControlLink(const std::vector<std::string_view>& words, std::string* answer);

    FirmwareConfig config_;
    bool linked_ = true;
    bool writeSessionOpen_ = false;
    bool hostDrivesLighting_ = false;
    std::vector<std::string> errors_;
};

}  // namespace tirk::vbus
