#include "device/link/command_channel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "core/log.h"

using namespace tirk::link;

namespace {

// Two reads, each with the full time-out: the answer may come late, or after
// one foreign frame; more is not waited for.
constexpr int kMaxReads = 2;
// More stale answers than a device could have queued for the exchanges that
// gave up on them.
constexpr int kMaxStaleAnswers = 64;
constexpr size_t kRecoilChunkSize = 56;

// Counts one running operation or exchange in the channel's busy count.
class BusyCount {
public:
    explicit BusyCount(std::atomic<int>& busy) : busy_(busy) { busy_.fetch_add(1); }
    ~BusyCount() { busy_.fetch_sub(1); }
    BusyCount(const BusyCount&) = delete;
    BusyCount& operator=(const BusyCount&) = delete;

private:
    std::atomic<int>& busy_;
};

// Refuses a caller's buffer that is too short for what an operation moves.
bool HasRoom(size_t have, size_t need, const char* operation) {
    if (have >= need) return true;
    tirk::log::Bug(std::string(operation) + ": buffer of " + std::to_string(have) +
                   " bytes, needs " + std::to_string(need));
    return false;
}

// Offset of bank `bank` of `stride` bytes; out of the 16-bit range (so refused
// by OffsetsFit) when negative or too large.
uint32_t BankBase(int bank, int stride) {
    int64_t base = int64_t(bank) * stride;
    return base < 0 || base > 0xFFFF ? 0x10000u : static_cast<uint32_t>(base);
}

// Every frame of a transfer must have a 16-bit offset.
bool OffsetsFit(uint32_t base, size_t length, uint8_t command) {
    if (length == 0 || base + (length - 1) <= 0xFFFF) return true;
    char text[96];
    std::snprintf(text, sizeof text, "command 0x%02x: offsets %u..%zu do not fit 16 bits", command,
                  base, base + length - 1);
    tirk::log::Bug(text);
    return false;
}

uint16_t OffsetOf(const CommandFrame::Bytes& frame) {
    return static_cast<uint16_t>(frame[CommandFrame::kOffsetByte] |
                                 frame[CommandFrame::kOffsetByte + 1] << 8);
}

// An answer belongs to a request when it echoes the command code. The offset
// is not compared: firmware need not echo it, and the answers that could
// mislead (late answers to earlier chunks) are dropped before each request.
bool Answers(const CommandFrame::Bytes& answer, const CommandFrame::Bytes& request) {
    return answer[CommandFrame::kCommandByte] == request[CommandFrame::kCommandByte];
}

void LogAnswerFault(const CHidInterface& hid, const char* what, const CommandFrame::Bytes& answer,
                    const CommandFrame::Bytes& request) {
    if (!tirk::log::Enabled()) return;
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s: command 0x%02x offset 0x%04x, request 0x%02x offset 0x%04x", what,
                  answer[CommandFrame::kCommandByte], OffsetOf(answer),
                  request[CommandFrame::kCommandByte], OffsetOf(request));
    tirk::log::DeviceFault(hid.Path(), text);
}

// Answers that came after their exchange gave up are still queued; read
// before the request, they would pass for its answer. Bounded, so a device
// that streams reports cannot hold the exchange here.
void DropStaleAnswers(CHidInterface& hid, const CommandFrame::Bytes& request) {
    CommandFrame::Bytes stale{};
    uint32_t transferred = 0;
    for (int i = 0; i < kMaxStaleAnswers; ++i) {
        if (!hid.Read(stale.data(), stale.size(), transferred, 0)) return;
        LogAnswerFault(hid, "stale answer dropped", stale, request);
    }
}

// Reads the answer to `request` into `in`: at most kMaxReads reads, until one
// brings a frame that echoes the request's command code. A read that times
// out, or brings a frame with another code, leaves the next read to come. A
// read that ends otherwise (the interface closed, the device gone, a failing
// node) ends the exchange: a second read could only end the same way.
int ReadAnswer(CHidInterface& hid, const CommandFrame::Bytes& request, CommandFrame::Bytes& in,
               int timeoutMs, bool wireless) {
    uint32_t transferred = 0;
    bool frameCame = false;
    CommandFrame::Bytes foreign{};  // the last frame that was not the answer, for the log
    for (int read = 0; read < kMaxReads; ++read) {
        in.fill(0);
        if (!hid.Read(in.data(), in.size(), transferred, timeoutMs)) {
            if (hid.LastReadResult() == tirk::hid::HidIoResult::Timeout) continue;
            return kNoAnswer;
        }
        if (hid.LastReceivedBytes() < in.size()) {
            LogAnswerFault(hid, "answer cut short", in, request);
            return kNoAnswer;
        }
        if (Answers(in, request)) return kSuccess;
        if (wireless && in[CommandFrame::kCommandByte] == kNotLinkedCommand) {
            return kReceiverNotLinked;
        }
        frameCame = true;
        foreign = in;
    }
    if (frameCame) LogAnswerFault(hid, "no answer echoes the request", foreign, request);
    return kNoAnswer;
}

}  // namespace

// Holds what a multi-frame operation holds for its whole length: its own lock
// (command or light lock, or none) and one count in the busy flag. An
// operation that does not run under the light lock raises the busy count while
// briefly holding the light lock, so a light frame either has finished before
// the operation sends anything or sees the channel busy and is dropped.
class CCommandChannel::OperationScope {
public:
    OperationScope(CCommandChannel& channel, std::mutex* operationLock) : channel_(channel) {
        if (operationLock != nullptr) lock_ = std::unique_lock(*operationLock);
        if (operationLock == &channel.lightLock_) {
            channel.busy_.fetch_add(1);
        } else {
            std::lock_guard light(channel.lightLock_);
            channel.busy_.fetch_add(1);
        }
    }
    ~OperationScope() { channel_.busy_.fetch_sub(1); }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    CCommandChannel& channel_;
    std::unique_lock<std::mutex> lock_;
};

CCommandChannel::CCommandChannel() : CCommandChannel(tirk::hid::CreateDefaultHidBackend()) {}

CCommandChannel::CCommandChannel(std::shared_ptr<tirk::hid::HidBackend> backend,
                                 ChannelTimeouts timeouts)
    : wired_(backend), wireless_(backend), timeouts_(timeouts) {}

void CCommandChannel::SetLinkType(int type) {
    bool wireless = type == kWirelessLinkType;
    wirelessFlag_.store(wireless ? 1 : 0);
    chunkSize_.store(wireless ? kWirelessChunkSize : kWiredChunkSize);
}

int CCommandChannel::SetTableSize(int size) {
    if (size < 0 || size > kMaxTableSize) return 0;
    tableSize_.store(static_cast<uint16_t>(size));
    return 1;
}

// --- exchanges ---

int CCommandChannel::Transact(const CommandFrame& request, CommandFrame* response) {
    return Exchange(request, response, false);
}

int CCommandChannel::TransactQuiet(const CommandFrame& request, CommandFrame* response) {
    return Exchange(request, response, true);
}

int CCommandChannel::Exchange(const CommandFrame& request, CommandFrame* response, bool quiet) {
    BusyCount busy(busy_);
    if (response != nullptr) *response = CommandFrame::Decode({});
    if (IsStopped() || !IsOpen()) return kNoAnswer;
    const CommandFrame::Bytes out = request.Encode();
    const bool logFrames = !quiet && tirk::log::Enabled();
    if (logFrames) tirk::log::Line(FormatFrameLog("命令", out));
    CommandFrame::Bytes in{};
    int result = WriteAndRead(out, in, quiet);
    if (logFrames) tirk::log::Line(FormatFrameLog("返回", in));
    if (response != nullptr) *response = CommandFrame::Decode(in);
    return result;
}

int CCommandChannel::WriteAndRead(const CommandFrame::Bytes& out, CommandFrame::Bytes& in,
                                  bool quiet) {
    const bool wireless = IsWireless();
    const int timeoutMs = !wireless ? timeouts_.wiredMs
                          : quiet   ? timeouts_.wirelessQuietMs
                                    : timeouts_.wirelessMs;
    CHidInterface& hid = wireless ? wireless_ : wired_;
    uint32_t transferred = 0;

    std::lock_guard exchange(exchangeLock_);
    DropStaleAnswers(hid, out);
    if (!hid.Write(out.data(), out.size(), transferred, timeoutMs)) return kWriteFailed;
    return ReadAnswer(hid, out, in, timeoutMs, wireless);
}

int CCommandChannel::ExchangeChecked(const CommandFrame& request, CommandFrame* response,
                                     bool quiet) {
    CommandFrame answer;
    int result = Exchange(request, &answer, quiet);
    if (response != nullptr) *response = answer;
    if (result != kSuccess) return result;
    if (answer.status == kStatusFF) return kDeviceStatusFF;
    if (answer.status == kStatusFE) return kDeviceStatusFE;
    return kSuccess;
}

// --- transfers ---

int CCommandChannel::SendEmpty(uint8_t command) {
    return ExchangeChecked(CommandFrame::Request(command, 0), nullptr, false);
}

int CCommandChannel::WriteChunks(uint8_t command, std::span<const uint8_t> data, uint32_t base,
                                 size_t chunk, bool quiet) {
    if (!OffsetsFit(base, data.size(), command)) return kNoAnswer;
    for (size_t i = 0; i < data.size(); i += chunk) {
        size_t n = std::min(chunk, data.size() - i);
        auto request =
            CommandFrame::Request(command, static_cast<uint16_t>(base + i), data.subspan(i, n));
        int result = ExchangeChecked(request, nullptr, quiet);
        if (result != kSuccess) return result;
    }
    return kSuccess;
}

int CCommandChannel::ReadChunks(uint8_t command, std::span<uint8_t> data, uint32_t base,
                                size_t chunk) {
    if (!OffsetsFit(base, data.size(), command)) return kNoAnswer;
    for (size_t i = 0; i < data.size(); i += chunk) {
        size_t n = std::min(chunk, data.size() - i);
        CommandFrame request = CommandFrame::Request(command, static_cast<uint16_t>(base + i));
        request.length = static_cast<uint8_t>(n);
        CommandFrame answer;
        int result = ExchangeChecked(request, &answer, false);
        if (result != kSuccess) return result;
        std::copy_n(answer.data.begin(), n, data.begin() + i);
    }
    return kSuccess;
}

int CCommandChannel::WriteKeyTableTo(uint8_t command, std::span<const uint8_t> table, int bank) {
    if (bank != 0) return kBankNotZero;
    const size_t size = TableSize();
    if (!HasRoom(table.size(), size, "key table write")) return kNoAnswer;
    OperationScope scope(*this, &commandLock_);
    const uint32_t base = static_cast<uint32_t>(bank) * kMaxTableSize;
    return WriteChunks(command, table.first(size), base, ChunkSize(), false);
}

// --- operations ---

int CCommandChannel::BeginWrite() {
    OperationScope scope(*this, &commandLock_);
    return SendEmpty(kBeginWrite);
}

int CCommandChannel::EndWrite() {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeouts_.endWriteDelayMs));
    OperationScope scope(*this, &commandLock_);
    return SendEmpty(kEndWrite);
}

int CCommandChannel::ReadDeviceInfo(std::span<uint8_t, kDeviceInfoSize> info) {
    OperationScope scope(*this, &commandLock_);
    return ReadChunks(kReadDeviceInfo, info, 0, ChunkSize());
}

int CCommandChannel::ReadSettings(std::span<uint8_t> record, uint16_t base) {
    OperationScope scope(*this, &commandLock_);
    return ReadChunks(kReadSettings, record, base, ChunkSize());
}

int CCommandChannel::WriteSettings(std::span<const uint8_t> record, uint16_t base) {
    OperationScope scope(*this, &commandLock_);
    return WriteChunks(kWriteSettings, record, base, ChunkSize(), false);
}

int CCommandChannel::ReadKeyTable(std::span<uint8_t> table) {
    const size_t size = TableSize();
    if (!HasRoom(table.size(), size, "ReadKeyTable")) return kNoAnswer;
    OperationScope scope(*this, &commandLock_);
    return ReadChunks(kReadKeyTable, table.first(size), 0, ChunkSize());
}

int CCommandChannel::WriteKeyTable(std::span<const uint8_t> table, int bank) {
    return WriteKeyTableTo(kWriteKeyTable, table, bank);
}

int CCommandChannel::WriteFnKeyTable(std::span<const uint8_t> table, int bank) {
    return WriteKeyTableTo(kWriteFnKeyTable, table, bank);
}

int CCommandChannel::ReadBank(std::span<uint8_t> data, int bank, int stride) {
    OperationScope scope(*this, &commandLock_);
    return ReadChunks(kReadBank, data, BankBase(bank, stride), ChunkSize());
}

int CCommandChannel::WriteBank(std::span<const uint8_t> data, int bank, int stride) {
    OperationScope scope(*this, &lightLock_);
    return WriteChunks(kWriteBank, data, BankBase(bank, stride), ChunkSize(), false);
}

int CCommandChannel::WriteLightFrame(std::span<const uint8_t> data) {
    std::unique_lock light(lightLock_, std::defer_lock);
    // Checked again under the light lock: an operation raises the count only
    // while holding it, so a frame that passes the second check finishes first.
    if (!IsBusy()) light.lock();
    if (!light.owns_lock() || IsBusy()) {
        tirk::log::Line("放弃灯光数据");
        return kNoAnswer;
    }
    BusyCount busy(busy_);
    return WriteChunks(kWriteLightFrame, data, 0, ChunkSize(), true);
}

int CCommandChannel::WriteMacroData(std::span<const uint8_t> data) {
    OperationScope scope(*this, &commandLock_);
    return WriteChunks(kWriteMacroData, data, 0, ChunkSize(), false);
}

int CCommandChannel::WriteRecoilData(std::span<const uint8_t> data) {
    OperationScope scope(*this, nullptr);
    return WriteChunks(kWriteRecoilData, data, 0, kRecoilChunkSize, false);
}

int CCommandChannel::ReadStatus(std::span<uint8_t> data, uint16_t offset) {
    if (data.size() > CommandFrame::kDataCapacity) {
        tirk::log::Bug("ReadStatus: " + std::to_string(data.size()) +
                       " bytes asked, one frame holds 56");
        return kNoAnswer;
    }
    OperationScope scope(*this, &commandLock_);
    CommandFrame request = CommandFrame::Request(kReadStatus, offset);
    request.length = static_cast<uint8_t>(data.size());
    CommandFrame answer;
    int result = ExchangeChecked(request, &answer, false);
    if (result == kSuccess) std::copy_n(answer.data.begin(), data.size(), data.begin());
    return result;
}

int CCommandChannel::ReadLightIndexTable(std::span<uint8_t> table) {
    const size_t size = TableSize() / 3;
    if (!HasRoom(table.size(), size, "ReadLightIndexTable")) return kNoAnswer;
    OperationScope scope(*this, &commandLock_);
    return ReadChunks(kReadLightIndexTable, table.first(size), 0, ChunkSize());
}

int CCommandChannel::ResumeLighting() {
    OperationScope scope(*this, &commandLock_);
    return SendEmpty(kResumeLighting);
}

int CCommandChannel::QueryOnline() {
    if (!IsWireless()) return kSuccess;
    OperationScope scope(*this, &commandLock_);
    CommandFrame answer;
    int result = ExchangeChecked(CommandFrame::Request(kQueryOnline, 0), &answer, false);
    return result == kSuccess && answer.data[0] == 0xFF ? kSuccess : kNoAnswer;
}

bool CCommandChannel::CanSend() {
    if (!IsOpen()) return false;
    return !IsWireless() || QueryOnline() == kSuccess;
}
