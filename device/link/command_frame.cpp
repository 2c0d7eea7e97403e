#include "device/link/command_frame.h"

#include <algorithm>
#include <cstdio>

namespace tirk::link {

CommandFrame CommandFrame::Request(uint8_t command, uint16_t offset,
                                   std::span<const uint8_t> payload) {
    CommandFrame frame;
    frame.command = command;
    frame.offset = offset;
    size_t n = std::min(payload.size(), kDataCapacity);
    frame.length = static_cast<uint8_t>(n);
    std::copy_n(payload.begin(), n, frame.data.begin());
    return frame;
}

CommandFrame::Bytes CommandFrame::Encode() const {
    Bytes bytes{};
    bytes[0] = reportId;
    bytes[kCommandByte] = command;
    bytes[4] = length;
    bytes[5] = static_cast<uint8_t>(offset & 0xFF);
    bytes[6] = static_cast<uint8_t>(offset >> 8);
    bytes[kStatusByte] = status;
    size_t n = std::min<size_t>(length, kDataCapacity);
    std::copy_n(data.begin(), n, bytes.begin() + kDataByte);
    uint16_t sum = FrameChecksum(bytes);
    bytes[1] = static_cast<uint8_t>(sum & 0xFF);
    bytes[2] = static_cast<uint8_t>(sum >> 8);
    return bytes;
}

CommandFrame CommandFrame::Decode(const Bytes& bytes) {
    CommandFrame frame;
    frame.reportId = bytes[0];
    frame.checksum = static_cast<uint16_t>(bytes[1] | bytes[2] << 8);
    frame.command = bytes[kCommandByte];
    frame.length = bytes[4];
    frame.offset = static_cast<uint16_t>(bytes[5] | bytes[6] << 8);
    frame.status = bytes[kStatusByte];
    std::copy_n(bytes.begin() + kDataByte, kDataCapacity, frame.data.begin());
    return frame;
}

uint16_t FrameChecksum(const CommandFrame::Bytes& bytes) {
    uint16_t sum = 0;
    for (size_t i = CommandFrame::kCommandByte; i < CommandFrame::kSize; ++i)
        sum = static_cast<uint16_t>(sum + bytes[i]);
    return sum;
}

namespace {

// One half of a frame (32 bytes) in the log's own layout.
std::string FormatHalf(const uint8_t* b) {
    char line[128];
    std::snprintf(line, sizeof line,
                  "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                  b[13], b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23],
                  b[24], b[25], b[26], b[27], b[28], b[29], b[30], b[31]);
    return line;
}

}  // namespace

std::string FormatFrameLog(const char* title, const CommandFrame::Bytes& bytes) {
    return std::string(title) + "\n" + FormatHalf(bytes.data()) + "\n" +
           FormatHalf(bytes.data() + 32);
}

}  // namespace tirk::link
