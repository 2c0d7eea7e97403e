// A test firmware for the command channel: it keeps one memory per data area,
// answers chunked reads and writes of the generic commands against it, and can
// be told to answer as a receiver without its device, with a status byte,
// with foreign frames before the real answer, or late (just before the answer
// to the next frame). It counts the frames it saw so a test can wait until an
// operation is under way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "device/virtual/virtual_firmware.h"

namespace tirk::link::test {

class MemoryFirmware : public vbus::VirtualFirmware {
public:
    static constexpr size_t kAreaSize = 0x10000;

    void OnOutputReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                        vbus::FirmwareIo& io) override;

    /// Bytes of the memory that command `command` reads or writes.
    std::vector<uint8_t> Memory(uint8_t command, size_t offset, size_t length);
    void SetMemory(uint8_t command, size_t offset, const std::vector<uint8_t>& bytes);

    /// Every answer to `command` carries `status` in byte 7.
    void SetStatus(uint8_t command, uint8_t status);
    /// Answers every frame as a receiver whose device is not linked (command 0xAA).
    void SetNotLinked(bool notLinked);
    /// Sends `count` frames echoing another command code before each real answer.
    void SetForeignEchoes(int count);
    /// Holds back the answers to the next `count` frames and sends them just
    /// before the answer to the frame after them, as a device that answers
    /// after the host has given up would.
    void SetLateAnswers(int count);
    /// Sends the answers held back by SetLateAnswers now. Call on the bus
    /// thread (VirtualHidDevice::WithFirmware).
    void ReleaseHeldAnswers(vbus::FirmwareIo& io);

    /// Waits up to `timeout` until `count` frames of `command` have arrived.
    bool WaitForFrames(uint8_t command, int count, std::chrono::milliseconds timeout);

private:
    std::vector<uint8_t>& Area(uint8_t command);  // call with mutex_ held
    void Answer(std::vector<uint8_t>& answer);    // call with mutex_ held

    std::mutex mutex_;
    std::condition_variable frameArrived_;
    std::map<uint8_t, std::vector<uint8_t>> areas_;
    std::map<uint8_t, uint8_t> status_;
    std::map<uint8_t, int> seen_;
    bool notLinked_ = false;
    int foreignEchoes_ = 0;
    int lateAnswers_ = 0;
    std::vector<std::vector<uint8_t>> heldAnswers_;
    uint8_t heldInterface_ = 0;
};

}  // namespace tirk::link::test
