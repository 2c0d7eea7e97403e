// Exchanges per second of the command channel against a virtual device that
// answers at once (EchoFirmware), through the real hidraw backend code: a
// 512-byte key-table write (10 frames on the cable, 22 through a receiver) and
// single-frame exchanges. Target: at least 20,000 exchanges per second.
//
// `exchange_bench --frames N` instead makes N single-frame exchanges and exits;
// bench/exchange_callgrind.sh runs that under callgrind.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/link/command_channel.h"
#include "device/virtual/report_descriptors.h"
#include "device/virtual/virtual_hid_bus.h"

namespace {

// A private bus with one plugged device and a connected channel.
class Rig {
public:
    explicit Rig(bool wireless) { ok_ = Start(wireless); }
    ~Rig() {
        channel_.reset();
        bus_.reset();
        std::error_code ec;
        if (!root_.empty()) std::filesystem::remove_all(root_, ec);
    }

    /// The connected channel; null when the set-up failed (see error()).
    CCommandChannel* channel() { return ok_ ? channel_.get() : nullptr; }
    const std::string& error() const { return error_; }

private:
    bool Start(bool wireless) {
        char pattern[] = "/dev/shm/tirk-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return Fail("no temporary folder");
        root_ = pattern;
        bus_ = std::make_unique<tirk::vbus::VirtualHidBus>(root_ + "/bus");
        std::string error;
        if (!bus_->Start(&error)) return Fail(error);
        tirk::vbus::VirtualDeviceSpec spec;
        spec.name = "bench";
        spec.productName = "exchange bench device";
        spec.vendorId = 0x3a7d;
        spec.productId = 0x0b01;
        spec.interfaces = {{1, tirk::vbus::FourCollectionDescriptor()}};
        if (bus_->AddDevice(spec, &error) == nullptr || !bus_->Plug("bench", &error))
            return Fail(error);
        channel_ =
            std::make_unique<CCommandChannel>(tirk::hid::CreateLinuxHidBackend(bus_->root()));
        return Connect(wireless) || Fail("cannot open the command collection");
    }

    bool Connect(bool wireless) {
        CHidInterface scan(tirk::hid::CreateLinuxHidBackend(bus_->root()));
        if (!scan.Enumerate()) return false;
        while (const char* path = scan.NextPath()) {
            if (std::strstr(path, "&col04") == nullptr) continue;
            std::lock_guard exchange(channel_->ExchangeLock());
            CHidInterface& hid =
                wireless ? channel_->WirelessInterface() : channel_->WiredInterface();
            if (!hid.Open(path, true, true, true, false)) return false;
            channel_->SetOpen(true);
            channel_->SetLinkType(wireless ? CCommandChannel::kWirelessLinkType : 1);
            return true;
        }
        return false;
    }
    bool Fail(const std::string& error) {
        error_ = error.empty() ? "set-up failed" : error;
        return false;
    }

    std::string root_;
    std::unique_ptr<tirk::vbus::VirtualHidBus> bus_;
    std::unique_ptr<CCommandChannel> channel_;
    bool ok_ = false;
    std::string error_;
};

void CountExchanges(benchmark::State& state, int64_t exchanges) {
    state.counters["exchanges_per_second"] =
        benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kIsRate);
}

void BM_WriteKeyTable(benchmark::State& state) {
    const bool wireless = state.range(0) != 0;
    Rig rig(wireless);
    CCommandChannel* channel = rig.channel();
    if (channel == nullptr) return state.SkipWithError(rig.error().c_str());
    const std::vector<uint8_t> table(CCommandChannel::kMaxTableSize, 0x42);
    const int64_t framesPerWrite = wireless ? 22 : 10;
    for (auto _ : state) {
        if (channel->WriteKeyTable(table, 0) != tirk::link::kSuccess)
            return state.SkipWithError("key-table write failed");
    }
    CountExchanges(state, state.iterations() * framesPerWrite);
}
BENCHMARK(BM_WriteKeyTable)->ArgName("wireless")->Arg(0)->Arg(1)->UseRealTime();

void BM_SingleFrame(benchmark::State& state) {
    Rig rig(state.range(0) != 0);
    CCommandChannel* channel = rig.channel();
    if (channel == nullptr) return state.SkipWithError(rig.error().c_str());
    std::vector<uint8_t> status(8);
    for (auto _ : state) {
        if (channel->ReadStatus(status, 0) != tirk::link::kSuccess)
            return state.SkipWithError("exchange failed");
    }
    CountExchanges(state, state.iterations());
}
BENCHMARK(BM_SingleFrame)->ArgName("wireless")->Arg(0)->Arg(1)->UseRealTime();

// The floor under every number above: a bare 64-byte round trip between two
// threads over a SEQPACKET socket pair, with no HID code and no firmware. On a
// virtual machine the thread wake-ups dominate and vary from day to day, so
// the exchange rates are read against this one, measured in the same run.
void BM_SocketRoundTripFloor(benchmark::State& state) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0)
        return state.SkipWithError("socketpair failed");
    std::thread echo([fd = pair[1]] {
        uint8_t frame[64];
        for (;;) {
            ssize_t n = ::read(fd, frame, sizeof frame);
            if (n <= 0 || ::write(fd, frame, static_cast<size_t>(n)) != n) return;
        }
    });
    uint8_t frame[64] = {};
    for (auto _ : state) {
        if (::write(pair[0], frame, sizeof frame) != sizeof frame ||
            ::read(pair[0], frame, sizeof frame) != sizeof frame)
            return state.SkipWithError("round trip failed");
    }
    ::shutdown(pair[0], SHUT_RDWR);
    echo.join();
    ::close(pair[0]);
    ::close(pair[1]);
    CountExchanges(state, state.iterations());
}
BENCHMARK(BM_SocketRoundTripFloor)->UseRealTime();

// The callgrind driver: `frames` single-frame exchanges on the cable.
int RunFrames(long frames) {
    Rig rig(false);
    CCommandChannel* channel = rig.channel();
    if (channel == nullptr) {
        std::fprintf(stderr, "exchange_bench: %s\n", rig.error().c_str());
        return 1;
    }
    std::vector<uint8_t> status(8);
    for (long i = 0; i < frames; ++i) {
        if (channel->ReadStatus(status, 0) != tirk::link::kSuccess) {
            std::fprintf(stderr, "exchange_bench: exchange %ld failed\n", i);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0) return RunFrames(std::atol(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
