// Chunked transfers of the command channel, asserted on the exact frames the
// virtual device received.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "channel_fixture.h"

namespace tirk::link::test {
namespace {

using Transfers = ChannelOnVirtualBus;

struct Chunk {
    uint8_t length;
    uint16_t offset;
};

TEST_F(Transfers, KeyTableOf510BytesIsTenFramesTheLastOfSix) {
    Connect(kWired);
    ASSERT_EQ(channel_->SetTableSize(510), 1);
    std::vector<uint8_t> table = Pattern(510, 0x21);
    ASSERT_EQ(channel_->WriteKeyTable(table, 0), kSuccess);

    const Chunk chunks[] = {{56, 0},   {56, 56},  {56, 112}, {56, 168}, {56, 224},
                            {56, 280}, {56, 336}, {56, 392}, {56, 448}, {6, 504}};
    Frames frames = Received();
    ASSERT_EQ(frames.size(), std::size(chunks));
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const Chunk& c = chunks[i];
        std::vector<uint8_t> data(table.begin() + c.offset, table.begin() + c.offset + c.length);
        EXPECT_EQ(frames[i], Expected(0x09, data, c.offset));
    }
    EXPECT_EQ(firmware_->Memory(0x07, 0, 510), table);
}

TEST_F(Transfers, DeviceInfoThroughAReceiverIsTwentyFourPlusTen) {
    std::vector<uint8_t> info = Pattern(34, 0x40);
    firmware_->SetMemory(0x03, 0, info);
    Connect(kWireless);
    std::array<uint8_t, CCommandChannel::kDeviceInfoSize> read{};
    ASSERT_EQ(channel_->ReadDeviceInfo(read), kSuccess);
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.end()), info);
    EXPECT_EQ(Received(), (Frames{ExpectedRead(0x03, 24, 0), ExpectedRead(0x03, 10, 24)}));
}

TEST_F(Transfers, RequestWithoutDataCarriesTheChecksumOfItsCommand) {
    Connect(kWired);
    ASSERT_EQ(channel_->BeginWrite(), kSuccess);
    ASSERT_EQ(channel_->ResumeLighting(), kSuccess);
    Frames frames = Received();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Expected(0x01, {}, 0));
    EXPECT_EQ(frames[0][1], 0x01);
    EXPECT_EQ(frames[0][2], 0x00);
    EXPECT_EQ(frames[1], Expected(0x1C, {}, 0));
}

TEST_F(Transfers, EndWriteWaitsBeforeItSends) {
    Connect(kWired);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(channel_->EndWrite(), kSuccess);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kGenerousTimeouts.endWriteDelayMs));
    EXPECT_EQ(Received(), Frames{Expected(0x02, {}, 0)});
}

// Which frames each chunked operation sends: chunk size by link (24 through a
// receiver, 56 on the cable; recoil blocks always 56), offsets from its base.
TEST_F(Transfers, ChunksFollowTheLinkAndTheBase) {
    struct Case {
        const char* name;
        bool wireless;
        uint8_t command;
        std::function<int(CCommandChannel&, const std::vector<uint8_t>&)> write;
        size_t size;
        std::vector<Chunk> chunks;
    };
    const Case cases[] = {
        {"settings wired from 0x100",
         kWired,
         0x06,
         [](CCommandChannel& c, const auto& d) { return c.WriteSettings(d, 0x100); },
         60,
         {{56, 0x100}, {4, 0x138}}},
        {"settings wireless from 0x100",
         kWireless,
         0x06,
         [](CCommandChannel& c, const auto& d) { return c.WriteSettings(d, 0x100); },
         60,
         {{24, 0x100}, {24, 0x118}, {12, 0x130}}},
        {"bank 3 of stride 200",
         kWired,
         0x0B,
         [](CCommandChannel& c, const auto& d) { return c.WriteBank(d, 3, 200); },
         70,
         {{56, 600}, {14, 656}}},
        {"macro block wireless",
         kWireless,
         0x15,
         [](CCommandChannel& c, const auto& d) { return c.WriteMacroData(d); },
         48,
         {{24, 0}, {24, 24}}},
        {"recoil block wireless keeps 56",
         kWireless,
         0x17,
         [](CCommandChannel& c, const auto& d) { return c.WriteRecoilData(d); },
         120,
         {{56, 0}, {56, 56}, {8, 112}}},
        {"light frame wireless",
         kWireless,
         0x12,
         [](CCommandChannel& c, const auto& d) { return c.WriteLightFrame(d); },
         30,
         {{24, 0}, {6, 24}}},
        {"second key layer",
         kWired,
         0x27,
         [](CCommandChannel& c, const auto& d) { return c.WriteFnKeyTable(d, 0); },
         512,
         {{56, 0},
          {56, 56},
          {56, 112},
          {56, 168},
          {56, 224},
          {56, 280},
          {56, 336},
          {56, 392},
          {56, 448},
          {8, 504}}},
        {"nothing to write sends nothing",
         kWired,
         0x06,
         [](CCommandChannel& c, const auto& d) { return c.WriteSettings(d, 0); },
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device_->ClearReceived();
        Connect(c.wireless);
        std::vector<uint8_t> data = Pattern(c.size, 0x10);
        ASSERT_EQ(c.write(*channel_, data), kSuccess);
        Frames expected;
        uint16_t base = c.chunks.empty() ? 0 : c.chunks.front().offset;
        for (const Chunk& chunk : c.chunks) {
            auto first = data.begin() + (chunk.offset - base);
            expected.push_back(Expected(
                c.command, std::vector<uint8_t>(first, first + chunk.length), chunk.offset));
        }
        EXPECT_EQ(Received(), expected);
        if (!data.empty()) {
            EXPECT_EQ(firmware_->Memory(c.command, base, data.size()), data);
        }
    }
}

TEST_F(Transfers, ReadsGatherTheChunksInOrder) {
    firmware_->SetMemory(0x05, 0x40, Pattern(50, 0x01));
    firmware_->SetMemory(0x0A, 2 * 100, Pattern(30, 0x02));
    firmware_->SetMemory(0x07, 0, Pattern(512, 0x03));
    firmware_->SetMemory(0x1B, 0, Pattern(170, 0x04));
    firmware_->SetMemory(0x1A, 0x20, Pattern(10, 0x05));
    Connect(kWireless);

    std::vector<uint8_t> settings(50);
    ASSERT_EQ(channel_->ReadSettings(settings, 0x40), kSuccess);
    EXPECT_EQ(settings, Pattern(50, 0x01));
    std::vector<uint8_t> bank(30);
    ASSERT_EQ(channel_->ReadBank(bank, 2, 100), kSuccess);
    EXPECT_EQ(bank, Pattern(30, 0x02));
    std::vector<uint8_t> keys(512);
    ASSERT_EQ(channel_->ReadKeyTable(keys), kSuccess);
    EXPECT_EQ(keys, Pattern(512, 0x03));
    std::vector<uint8_t> lights(170);  // table size / 3
    ASSERT_EQ(channel_->ReadLightIndexTable(lights), kSuccess);
    EXPECT_EQ(lights, Pattern(170, 0x04));
    std::vector<uint8_t> status(10);
    ASSERT_EQ(channel_->ReadStatus(status, 0x20), kSuccess);
    EXPECT_EQ(status, Pattern(10, 0x05));

    Frames frames = Received();
    ASSERT_EQ(frames.size(), 3u + 2u + 22u + 8u + 1u);
    EXPECT_EQ(frames[0], ExpectedRead(0x05, 24, 0x40));
    EXPECT_EQ(frames[2], ExpectedRead(0x05, 2, 0x70));
    EXPECT_EQ(frames[3], ExpectedRead(0x0A, 24, 200));
    EXPECT_EQ(frames[4], ExpectedRead(0x0A, 6, 224));
    EXPECT_EQ(frames[26], ExpectedRead(0x07, 8, 504));
    EXPECT_EQ(frames[34], ExpectedRead(0x1B, 2, 168));
    EXPECT_EQ(frames[35], ExpectedRead(0x1A, 10, 0x20));
}

TEST_F(Transfers, TableSizeAbove512IsRefusedAndKept) {
    Connect(kWired);
    ASSERT_EQ(channel_->SetTableSize(510), 1);
    EXPECT_EQ(channel_->SetTableSize(513), 0);
    EXPECT_EQ(channel_->TableSize(), 510);
    EXPECT_EQ(channel_->SetTableSize(-1), 0);
    EXPECT_EQ(channel_->TableSize(), 510);
    ASSERT_EQ(channel_->WriteKeyTable(Pattern(512, 0), 0), kSuccess);
    EXPECT_EQ(Received().size(), 10u) << "the kept size 510 is what is written";
    EXPECT_EQ(channel_->SetTableSize(512), 1);
}

TEST_F(Transfers, BuffersTooShortAreRefusedWithoutSending) {
    Connect(kWired);
    std::vector<uint8_t> shortTable(100), lights(169), status(57);
    EXPECT_EQ(channel_->WriteKeyTable(shortTable, 0), kNoAnswer);
    EXPECT_EQ(channel_->ReadKeyTable(shortTable), kNoAnswer);
    EXPECT_EQ(channel_->ReadLightIndexTable(lights), kNoAnswer);
    EXPECT_EQ(channel_->ReadStatus(status, 0), kNoAnswer) << "one frame holds 56";
    EXPECT_EQ(channel_->WriteBank(shortTable, 700, 100), kNoAnswer) << "offset past 16 bits";
    EXPECT_EQ(channel_->WriteBank(shortTable, -1, 100), kNoAnswer);
    EXPECT_TRUE(Received().empty());
}

TEST_F(Transfers, LinkTypeSetsInterfaceAndChunkSize) {
    CCommandChannel channel(backend_);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.TableSize(), 512);
    channel.SetLinkType(CCommandChannel::kWirelessLinkType);
    EXPECT_TRUE(channel.IsWireless());
    EXPECT_EQ(channel.ChunkSize(), 24);
    for (int wiredType : {0, 1, 3, 6, 9}) {
        channel.SetLinkType(wiredType);
        EXPECT_FALSE(channel.IsWireless()) << wiredType;
        EXPECT_EQ(channel.ChunkSize(), 56) << wiredType;
    }
}

}  // namespace
}  // namespace tirk::link::test
