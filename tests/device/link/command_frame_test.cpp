// The 64-byte command frame on its own: byte positions, checksum, zero fill,
// and the frame log's text.
#include "device/link/command_frame.h"

#include <gtest/gtest.h>

namespace tirk::link {
namespace {

TEST(CommandFrame, RequestWithoutDataIsCheckedOverCommandAndOffset) {
    struct Case {
        uint8_t command;
        uint16_t offset;
        uint16_t checksum;
    };
    const Case cases[] = {
        {0x01, 0x0000, 0x0001},                // BeginWrite
        {0x1C, 0x0000, 0x001C},                // ResumeLighting
        {0x1A, 0x1234, 0x001A + 0x34 + 0x12},  // both offset bytes count
        {0xAA, 0xFFFF, 0x00AA + 0xFF + 0xFF},  // sums past one byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "command " << int(c.command) << " offset " << c.offset);
        CommandFrame::Bytes bytes = CommandFrame::Request(c.command, c.offset).Encode();
        EXPECT_EQ(bytes[0], 0x04);
        EXPECT_EQ(bytes[1] | bytes[2] << 8, c.checksum);
        EXPECT_EQ(bytes[3], c.command);
        EXPECT_EQ(bytes[4], 0);
        EXPECT_EQ(bytes[5], c.offset & 0xFF) << "offset is little-endian";
        EXPECT_EQ(bytes[6], c.offset >> 8);
        EXPECT_EQ(bytes[7], 0);
    }
}

TEST(CommandFrame, ChecksumCoversTheWholeFrameAfterEverythingElse) {
    std::vector<uint8_t> payload(56, 0xFF);
    CommandFrame frame = CommandFrame::Request(0x17, 0xFFFF, payload);
    frame.status = 0x80;  // a status in a request is summed too
    CommandFrame::Bytes bytes = frame.Encode();
    const int expected = 0x17 + 56 + 0xFF + 0xFF + 0x80 + 56 * 0xFF;
    EXPECT_EQ(bytes[1] | bytes[2] << 8, expected);
    EXPECT_EQ(FrameChecksum(bytes), expected);
}

TEST(CommandFrame, DataBeyondTheLengthIsSentAsZero) {
    CommandFrame frame = CommandFrame::Request(0x06, 0, std::vector<uint8_t>{1, 2, 3});
    frame.data[3] = 0x55;  // left over from an earlier use of the value
    frame.data[55] = 0x66;
    CommandFrame::Bytes bytes = frame.Encode();
    EXPECT_EQ(bytes[8], 1);
    EXPECT_EQ(bytes[10], 3);
    for (size_t i = 11; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(bytes[1] | bytes[2] << 8, 0x06 + 3 + 1 + 2 + 3);
}

TEST(CommandFrame, PayloadLongerThanAFrameIsCut) {
    std::vector<uint8_t> payload(60, 1);
    CommandFrame frame = CommandFrame::Request(0x06, 0, payload);
    EXPECT_EQ(frame.length, 56);
}

TEST(CommandFrame, DecodeReadsWhatTheDeviceSent) {
    CommandFrame::Bytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 3 + 1);
    CommandFrame frame = CommandFrame::Decode(bytes);
    EXPECT_EQ(frame.reportId, 1);
    EXPECT_EQ(frame.checksum, 4 | 7 << 8) << "kept as sent, not verified";
    EXPECT_EQ(frame.command, 10);
    EXPECT_EQ(frame.length, 13);
    EXPECT_EQ(frame.offset, 16 | 19 << 8);
    EXPECT_EQ(frame.status, 22);
    EXPECT_EQ(frame.data[0], 25);
    EXPECT_EQ(frame.data[55], static_cast<uint8_t>(63 * 3 + 1));
}

TEST(CommandFrame, LogShowsTwoLinesOf32BytesInGroups) {
    CommandFrame::Bytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(FormatFrameLog("命令", bytes),
              "命令\n"
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  "
              "10 11 12 13  14 15 16 17  18 19 1a 1b  1c 1d 1e 1f\n"
              "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  "
              "30 31 32 33  34 35 36 37  38 39 3a 3b  3c 3d 3e 3f");
}

}  // namespace
}  // namespace tirk::link
