#include "memory_firmware.h"

#include <algorithm>
#include <utility>

#include "device/link/command_frame.h"

namespace tirk::link::test {
namespace {

constexpr size_t kCommandByte = 3, kLengthByte = 4, kStatusByte = 7, kDataByte = 8;

// Reads and writes of one area share its memory; the key-table write of the
// second layer has its own.
uint8_t AreaOf(uint8_t command) {
    switch (command) {
        case 0x06:
            return 0x05;  // settings
        case 0x09:
            return 0x07;  // key table
        case 0x0B:
            return 0x0A;  // banks
        default:
            return command;
    }
}

bool IsRead(uint8_t command) {
    switch (command) {
        case 0x03:
        case 0x05:
        case 0x07:
        case 0x0A:
        case 0x1A:
        case 0x1B:
            return true;
        default:
            return false;
    }
}

uint16_t OffsetOf(const std::vector<uint8_t>& frame) {
    return frame[5] | frame[6] << 8;
}

}  // namespace

void MemoryFirmware::OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                                    vbus::FirmwareIo& io) {
    if (!vbus::IsCommandFrame(report)) return;
    std::vector<std::vector<uint8_t>> answers;
    {
        std::lock_guard lock(mutex_);
        std::vector<uint8_t> answer = report;
        Answer(answer);
        ++seen_[report[kCommandByte]];
        if (lateAnswers_ > 0) {
            --lateAnswers_;
            heldInterface_ = interfaceNumber;
            heldAnswers_.push_back(std::move(answer));
        } else {
            answers = std::exchange(heldAnswers_, {});
            for (int i = 0; i < foreignEchoes_; ++i) {
                std::vector<uint8_t> foreign = answer;
                foreign[kCommandByte] ^= 0x80;
                answers.push_back(foreign);
            }
            answers.push_back(answer);
        }
    }
    frameArrived_.notify_all();
    for (auto& answer : answers) io.Reply(interfaceNumber, std::move(answer));
}

void MemoryFirmware::Answer(std::vector<uint8_t>& answer) {
    const uint8_t command = answer[kCommandByte];
    if (notLinked_) {
        answer[kCommandByte] = kNotLinkedCommand;
        answer[kDataByte] = 0;
        return;
    }
    if (command == kNotLinkedCommand) answer[kDataByte] = 0xFF;
    const size_t length = std::min<size_t>(answer[kLengthByte], CommandFrame::kDataCapacity);
    std::vector<uint8_t>& area = Area(command);
    const size_t offset = OffsetOf(answer);
    const size_t n = std::min(length, area.size() - offset);
    if (IsRead(command))
        std::copy_n(area.begin() + offset, n, answer.begin() + kDataByte);
    else
        std::copy_n(answer.begin() + kDataByte, n, area.begin() + offset);
    auto status = status_.find(command);
    answer[kStatusByte] = status == status_.end() ? 0 : status->second;
}

std::vector<uint8_t>& MemoryFirmware::Area(uint8_t command) {
    std::vector<uint8_t>& area = areas_[AreaOf(command)];
    if (area.empty()) area.resize(kAreaSize);
    return area;
}

std::vector<uint8_t> MemoryFirmware::Memory(uint8_t command, size_t offset, size_t length) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& area = Area(command);
    return std::vector<uint8_t>(area.begin() + offset, area.begin() + offset + length);
}

void MemoryFirmware::SetMemory(uint8_t command, size_t offset, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    std::copy(bytes.begin(), bytes.end(), Area(command).begin() + offset);
}

void MemoryFirmware::SetStatus(uint8_t command, uint8_t status) {
    std::lock_guard lock(mutex_);
    status_[command] = status;
}

void MemoryFirmware::SetNotLinked(bool notLinked) {
    std::lock_guard lock(mutex_);
    notLinked_ = notLinked;
}

void MemoryFirmware::SetForeignEchoes(int count) {
    std::lock_guard lock(mutex_);
    foreignEchoes_ = count;
}

void MemoryFirmware::SetLateAnswers(int count) {
    std::lock_guard lock(mutex_);
    lateAnswers_ = count;
}

void MemoryFirmware::ReleaseHeldAnswers(vbus::FirmwareIo& io) {
    std::vector<std::vector<uint8_t>> answers;
    uint8_t interfaceNumber = 0;
    {
        std::lock_guard lock(mutex_);
        answers = std::exchange(heldAnswers_, {});
        interfaceNumber = heldInterface_;
    }
    for (auto& answer : answers) io.Send(interfaceNumber, std::move(answer));
}

bool MemoryFirmware::WaitForFrames(uint8_t command, int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return frameArrived_.wait_for(lock, timeout, [&] { return seen_[command] >= count; });
}

}  // namespace tirk::link::test
