// CCommandChannel: the request/answer exchange of 64-byte command frames with
// one device over its wired or wireless HID interface, and the generic
// operations every family uses (settings, key tables, banks, light frames,
// macro and recoil blocks, status, link query). Locking and the busy flag are
// described in docs/command-channel.md.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_interface.h"
#include "device/link/command_frame.h"

namespace tirk::link {

/// Time-outs of the exchanges, in milliseconds. The defaults are the
/// product's; tests shorten them so that a missing answer fails quickly.
struct ChannelTimeouts {
    int wiredMs = 1000;         ///< write and each read on the cable
    int wirelessMs = 5000;      ///< write and each read through a receiver
    int wirelessQuietMs = 500;  ///< light frames through a receiver
    int endWriteDelayMs = 10;   ///< pause before EndWrite, so the device has stored the writes
};

/// Command codes of the generic operations.
enum Command : uint8_t {
    kBeginWrite = 0x01,
    kEndWrite = 0x02,
    kReadDeviceInfo = 0x03,
    kReadSettings = 0x05,
    kWriteSettings = 0x06,
    kReadKeyTable = 0x07,
    kWriteKeyTable = 0x09,
    kReadBank = 0x0A,
    kWriteBank = 0x0B,
    kWriteLightFrame = 0x12,
    kWriteMacroData = 0x15,
    kWriteRecoilData = 0x17,
    kReadStatus = 0x1A,
    kReadLightIndexTable = 0x1B,
    kResumeLighting = 0x1C,
    kWriteFnKeyTable = 0x27,
    kQueryOnline = 0xAA,
};

}  // namespace tirk::link

class CCommandChannel {
public:
    static constexpr uint16_t kMaxTableSize = 512;
    static constexpr uint8_t kWirelessChunkSize = 24;
    static constexpr uint8_t kWiredChunkSize = 56;
    /// Link type of a wireless receiver (SetLinkType); every other type is wired.
    static constexpr int kWirelessLinkType = 2;
    static constexpr size_t kDeviceInfoSize = 34;

    /// A channel whose interfaces use the hidraw backend over $TIRK_HID_ROOT
    /// (or "/") and the product's time-outs. Closed, wired, table size 512.
    CCommandChannel();
    /// As above with interfaces on `backend` (shared) and the given time-outs.
    explicit CCommandChannel(std::shared_ptr<tirk::hid::HidBackend> backend,
                             tirk::link::ChannelTimeouts timeouts = {});
    CCommandChannel(const CCommandChannel&) = delete;
    CCommandChannel& operator=(const CCommandChannel&) = delete;

    // --- what the owner uses to connect ---

    /// The cable's and the receiver's interface. The owner opens and closes
    /// them while holding ExchangeLock(), then sets the open flag and the link
    /// type. Owned by the channel.
    CHidInterface& WiredInterface() { return wired_; }
    CHidInterface& WirelessInterface() { return wireless_; }
    /// Serialises the bytes on the interfaces; held by every exchange for its
    /// write and reads. Never take another lock of the channel while holding it.
    std::mutex& ExchangeLock() { return exchangeLock_; }
    /// Held by the families while they open or close the notification
    /// channel's wireless interface; the channel itself does not take it.
    std::mutex& WirelessInterfaceLock() { return wirelessInterfaceLock_; }

    // --- flags (any thread) ---

    /// Set by the owner after opening an interface; cleared when it closes them.
    void SetOpen(bool open) { open_.store(open ? 1 : 0); }
    bool IsOpen() const { return open_.load() != 0; }
    /// While set, every exchange returns 0 at once without sending.
    void SetStop(bool stop) { stop_.store(stop ? 1 : 0); }
    bool IsStopped() const { return stop_.load() != 0; }
    /// The families' lighting preview runs its steps only while this is 0.
    void SetPause(int pause) { pause_.store(pause); }
    int Pause() const { return pause_.load(); }
    /// True while an operation or an exchange runs.
    bool IsBusy() const { return busy_.load() != 0; }

    /// Type 2 (a wireless receiver): wireless interface, 24 data bytes per
    /// frame; any other type: wired interface, 56 bytes per frame.
    void SetLinkType(int type);
    bool IsWireless() const { return wirelessFlag_.load() != 0; }
    uint8_t ChunkSize() const { return chunkSize_.load(); }

    /// Sets the length of the key table moved by the key-table operations.
    /// Returns 1, or 0 (size unchanged) for a size above 512 or below 0.
    int SetTableSize(int size);
    uint16_t TableSize() const { return tableSize_.load(); }

    const tirk::link::ChannelTimeouts& Timeouts() const { return timeouts_; }

    // --- exchanges: one request, one answer ---

    /// Drops answers still queued from earlier exchanges, writes `request`
    /// (checksum computed here) to the interface of the link, reads at most
    /// twice, each read with the full time-out, until an answer echoes the
    /// command code (a read that times out is followed by the second one), logs
    /// both frames when the debug log is on. Returns 1, 0 (stopped, not open,
    /// no matching answer within the two reads, an answer shorter than 64
    /// bytes, the interface closed or the device gone), -1 (write failed) or
    /// -101 (receiver answered 0xAA).
    /// The status byte is not checked here. `response` (may be null) gets the
    /// last answer read, all zero when none came.
    int Transact(const tirk::link::CommandFrame& request, tirk::link::CommandFrame* response);
    /// Transact without logging and with the short wireless time-out; for
    /// light frames.
    int TransactQuiet(const tirk::link::CommandFrame& request, tirk::link::CommandFrame* response);

    // --- operations: each returns 1 or the first failing result ---
    // Spans are the caller's; reads fill them, writes only read them. A span
    // too short for what the operation moves is refused (0, logged as a bug).

    int BeginWrite();
    /// Waits 10 ms first (outside any lock), then sends.
    int EndWrite();
    /// The 34-byte device information block; byte 5 is the number of keys.
    int ReadDeviceInfo(std::span<uint8_t, kDeviceInfoSize> info);
    /// Reads `record.size()` bytes of the settings record from offset `base`.
    int ReadSettings(std::span<uint8_t> record, uint16_t base);
    int WriteSettings(std::span<const uint8_t> record, uint16_t base);
    /// Reads TableSize() bytes into `table`.
    int ReadKeyTable(std::span<uint8_t> table);
    /// Writes the first TableSize() bytes of `table`; `bank` other than 0
    /// returns -201 without sending.
    int WriteKeyTable(std::span<const uint8_t> table, int bank);
    /// The second key layer, as WriteKeyTable.
    int WriteFnKeyTable(std::span<const uint8_t> table, int bank);
    /// Reads `data.size()` bytes from offset bank × stride.
    int ReadBank(std::span<uint8_t> data, int bank, int stride);
    /// Writes `data` at offset bank × stride; holds the light lock, not the command lock.
    int WriteBank(std::span<const uint8_t> data, int bank, int stride);
    /// Streams one live light frame (quiet exchanges under the light lock).
    /// While the channel is busy the frame is dropped, logged, and 0 returned.
    int WriteLightFrame(std::span<const uint8_t> data);
    int WriteMacroData(std::span<const uint8_t> data);
    /// Always 56 bytes per frame, whatever the link; takes no lock.
    int WriteRecoilData(std::span<const uint8_t> data);
    /// Reads `data.size()` (at most 56) bytes of the status block from `offset` in one frame.
    int ReadStatus(std::span<uint8_t> data, uint16_t offset);
    /// Reads TableSize() / 3 bytes into `table`.
    int ReadLightIndexTable(std::span<uint8_t> table);
    int ResumeLighting();

    /// Wired: 1 without sending. Wireless: 1 when the receiver answers the
    /// query with a good status and data byte 0 = 0xFF (its device is linked),
    /// else 0.
    int QueryOnline();
    /// Whether a family operation may talk to the device now: wired → the
    /// channel is open; wireless → open and QueryOnline() is 1.
    bool CanSend();

private:
    class OperationScope;

    int Exchange(const tirk::link::CommandFrame& request, tirk::link::CommandFrame* response,
                 bool quiet);
    int WriteAndRead(const tirk::link::CommandFrame::Bytes& out,
                     tirk::link::CommandFrame::Bytes& in, bool quiet);
    int ExchangeChecked(const tirk::link::CommandFrame& request, tirk::link::CommandFrame* response,
                        bool quiet);
    int SendEmpty(uint8_t command);
    int WriteChunks(uint8_t command, std::span<const uint8_t> data, uint32_t base, size_t chunk,
                    bool quiet);
    int ReadChunks(uint8_t command, std::span<uint8_t> data, uint32_t base, size_t chunk);
    int WriteKeyTableTo(uint8_t command, std::span<const uint8_t> table, int bank);

    // Fields in the order the device objects know them.
    std::atomic<uint16_t> tableSize_{kMaxTableSize};
    std::atomic<int> busy_{0};  ///< operations and exchanges running (a count, so they nest)
    std::atomic<int32_t> stop_{0};
    std::atomic<int32_t> open_{0};
    std::atomic<int32_t> pause_{0};
    CHidInterface wired_;
    CHidInterface wireless_;
    std::mutex exchangeLock_;
    std::mutex wirelessInterfaceLock_;
    std::mutex commandLock_;
    std::mutex lightLock_;
    std::atomic<int32_t> wirelessFlag_{0};
    std::atomic<uint8_t> chunkSize_{kWirelessChunkSize};
    const tirk::link::ChannelTimeouts timeouts_;
};
