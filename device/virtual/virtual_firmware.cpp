#include "device/virtual/virtual_firmware.h"

namespace tirk::vbus {

bool IsCommandFrame(const std::vector<uint8_t>& report) {
    return report.size() == CommandFrameLayout::kSize && report[0] == CommandFrameLayout::kReportId;
}

uint16_t FrameChecksum(const std::vector<uint8_t>& frame) {
    uint16_t sum = 0;
    for (size_t i = CommandFrameLayout::kCommandOffset; i < CommandFrameLayout::kSize; ++i)
        sum = static_cast<uint16_t>(sum + frame[i]);
    return sum;
}

void StampChecksum(std::vector<uint8_t>* frame) {
    uint16_t sum = FrameChecksum(*frame);
    (*frame)[CommandFrameLayout::kChecksumOffset] = sum & 0xFF;
    (*frame)[CommandFrameLayout::kChecksumOffset + 1] = sum >> 8;
}

bool VirtualFirmware::Control(const std::vector<std::string_view>& words, FirmwareIo&,
                              std::string* answer) {
    *answer = "this device's firmware has no command \"" +
              std::string(words.empty() ? "" : words[0]) + "\"";
    return false;
}

void VirtualFirmware::OnPlugChanged(bool, FirmwareIo&) {}

std::unique_ptr<VirtualFirmware> VirtualFirmware::FactoryCopy(const std::string&) const {
    return nullptr;
}

std::unique_ptr<VirtualFirmware> EchoFirmware::FactoryCopy(const std::string&) const {
    return std::make_unique<EchoFirmware>();
}

void EchoFirmware::OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                                  FirmwareIo& io) {
    if (IsCommandFrame(report)) io.Reply(interfaceNumber, report);
}

}  // namespace tirk::vbus
