// The 64-byte command frame every device family speaks (requests and answers
// share one layout), the results of the command channel, and the frame log.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tirk::link {

/// Results of the command channel's exchanges and operations (32-bit signed).
/// A multi-frame operation returns the first result other than kSuccess.
inline constexpr int kSuccess = 1;
/// The channel is closed or stopped, or no valid answer came.
inline constexpr int kNoAnswer = 0;
/// Writing the request to the interface failed (e.g. the device is gone).
inline constexpr int kWriteFailed = -1;
/// A wireless receiver answered 0xAA: the device behind it does not answer.
inline constexpr int kReceiverNotLinked = -101;
/// The device answered with status 0xFF.
inline constexpr int kDeviceStatusFF = -102;
/// The device answered with status 0xFE.
inline constexpr int kDeviceStatusFE = -103;
/// A key-table write named a bank other than 0.
inline constexpr int kBankNotZero = -201;

/// Command code that a receiver puts in its answer when its device is not
/// linked, and the code of the link query.
inline constexpr uint8_t kNotLinkedCommand = 0xAA;
inline constexpr uint8_t kStatusFF = 0xFF;
inline constexpr uint8_t kStatusFE = 0xFE;

/// One command frame as values. Encode/Decode convert to and from the 64 bytes
/// on the wire:
///   0 report id | 1-2 checksum LE | 3 command | 4 length | 5-6 offset LE |
///   7 status | 8-63 data (zero beyond `length` in a request).
struct CommandFrame {
    static constexpr size_t kSize = 64;
    static constexpr size_t kDataCapacity = 56;
    static constexpr uint8_t kReportId = 0x04;
    static constexpr size_t kCommandByte = 3;
    static constexpr size_t kOffsetByte = 5;  ///< low byte; the high byte follows
    static constexpr size_t kStatusByte = 7;
    static constexpr size_t kDataByte = 8;

    using Bytes = std::array<uint8_t, kSize>;

    uint8_t reportId = kReportId;
    uint16_t checksum = 0;  ///< as received; Encode computes its own
    uint8_t command = 0;
    uint8_t length = 0;
    uint16_t offset = 0;
    uint8_t status = 0;
    std::array<uint8_t, kDataCapacity> data{};

    /// A request: `payload` (at most kDataCapacity bytes; the rest is cut off)
    /// as data, `length` = payload size, status 0.
    static CommandFrame Request(uint8_t command, uint16_t offset,
                                std::span<const uint8_t> payload = {});

    /// The 64 bytes with the checksum computed last, over everything else in
    /// place; data bytes beyond `length` are sent as 0.
    Bytes Encode() const;

    /// Reads the fields of 64 wire bytes; nothing is verified (devices send
    /// checksums nobody checks).
    static CommandFrame Decode(const Bytes& bytes);
};

/// The 16-bit sum (carry discarded) of bytes 3 to 63.
uint16_t FrameChecksum(const CommandFrame::Bytes& bytes);

/// The frame log entry: `title` ("命令" or "返回") on its own line, then the 64
/// bytes as two lines of 32 in the debug log's frame format.
std::string FormatFrameLog(const char* title, const CommandFrame::Bytes& bytes);

}  // namespace tirk::link
