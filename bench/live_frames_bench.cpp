// Live frames per second to the virtual keyboard with the USB link's timing
// (one report per 1 ms interval each way): the keyboard protocol in mode 30,
// a lighting runner whose external colour a feeder changes all the time (so
// every engine pass is a new picture) and the live frame streamer, as the
// keyboard's device object runs them. A frame is ceil(N × 3 / 56) exchanges,
// so the link allows at most 1000 / exchanges frames per second.
// Target: at least 95 % of that. docs/benchmarks.md has the numbers.
//
// Usage: live_frames_bench [seconds]   (default 5)
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "bench/keyboard_rig.h"
#include "device/keyboard/keyboard_protocol.h"
#include "device/keyboard/live_frame_streamer.h"
#include "device/lighting/lighting_runner.h"

namespace {

using namespace tirk;
using Clock = std::chrono::steady_clock;

constexpr int kExternalMode = 30;
constexpr int kModeCount = 31;
constexpr uint8_t kWriteLightFrame = 0x12;
constexpr double kIntervalMs = 1.0;
/// The feeder's pace: well above the frame rate, so every frame has a new
/// picture, without keeping a core busy.
constexpr std::chrono::microseconds kFeederPause{500};

/// Changes the runner's external colour every kFeederPause until destroyed.
class Feeder {
public:
    explicit Feeder(lighting::LightingRunner& runner)
        : m_thread([this, &runner] { Run(runner); }) {}
    ~Feeder() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void Run(lighting::LightingRunner& runner) {
        std::unique_lock lock(m_mutex);
        for (int32_t step = 0; !m_stop; ++step) {
            const int32_t values[] = {
                step & 0xFF, (step >> 8) & 0xFF, 255 - (step & 0xFF), 0, 0, 0};
            lock.unlock();
            runner.SetExternalColour(values);
            lock.lock();
            m_wake.wait_for(lock, kFeederPause, [this] { return m_stop; });
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

struct Snapshot {
    Clock::time_point at;
    uint64_t sent = 0;
    int chunks = 0;  ///< live frame exchanges the keyboard received
};

Snapshot Take(bench::KeyboardRig& rig, const keyboard::LiveFrameStreamer& streamer) {
    Snapshot s;
    s.sent = streamer.FramesSent();
    std::map<uint8_t, int> counts = rig.CommandCounts();
    s.chunks = counts.count(kWriteLightFrame) ? counts[kWriteLightFrame] : 0;
    s.at = Clock::now();
    return s;
}

/// The link's view of the last `exchanges` exchanges: how many intervals lie
/// between one request and the next, and between a request and its answer.
void PrintIntervals(bench::KeyboardRig& rig, size_t exchanges) {
    std::vector<int64_t> out, in;
    rig.WithKeyboard([&](vbus::KeyboardFirmware& k) {
        out = k.Intervals().OutIntervals();
        in = k.Intervals().InIntervals();
    });
    const size_t n = std::min({exchanges, out.size(), in.size()});
    if (n < 2) return;
    out.erase(out.begin(), out.end() - n);
    in.erase(in.begin(), in.end() - n);
    std::map<int64_t, int> requestGaps, answerDelays;
    for (size_t i = 1; i < n; ++i) ++requestGaps[out[i] - out[i - 1]];
    for (size_t i = 0; i < n; ++i) ++answerDelays[in[i] - out[i]];
    auto print = [](const char* what, const std::map<int64_t, int>& histogram, size_t total) {
        std::printf("%s:", what);
        for (auto [intervals, count] : histogram)
            std::printf("  %lld: %.1f %%", static_cast<long long>(intervals),
                        100.0 * count / static_cast<double>(total));
        std::printf("\n");
    };
    std::printf("over the last %zu exchanges (intervals: share)\n", n);
    print("  request to next request", requestGaps, n - 1);
    print("  request to its answer  ", answerDelays, n);
    std::printf("  mean intervals per exchange: %.3f\n",
                static_cast<double>(out.back() - out.front()) / static_cast<double>(n - 1));
}

int Run(double seconds) {
    bench::KeyboardRig rig;
    CCommandChannel* channel = rig.Channel();
    if (channel == nullptr) {
        std::fprintf(stderr, "live_frames_bench: %s\n", rig.Error().c_str());
        return 1;
    }
    keyboard::KeyboardProtocol protocol(*channel);
    if (int result = protocol.ReadKeyTables(); result != link::kSuccess) {
        std::fprintf(stderr, "live_frames_bench: key tables not read (%d)\n", result);
        return 1;
    }
    std::vector<uint8_t> codes(kModeCount);
    std::iota(codes.begin(), codes.end(), uint8_t{0});
    protocol.SetModeCodes(codes);
    LightInfoRecord light;
    light.selectItem = kExternalMode;
    light.light = 4;
    protocol.SetLightValues(light);
    rig.WithKeyboard([](vbus::KeyboardFirmware& k) { k.SetUsbTiming(true); });

    lighting::LightingRunner runner;
    runner.SetLightValues(light);
    keyboard::LiveFrameStreamer streamer(protocol, runner);
    runner.Start();
    Snapshot first, last;
    uint64_t passes = 0;
    {
        Feeder feeder(runner);
        streamer.SetEnabled(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // settle
        first = Take(rig, streamer);
        const uint64_t passes0 = runner.PassCount();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        last = Take(rig, streamer);
        passes = runner.PassCount() - passes0;
    }
    streamer.Stop();
    runner.Stop();

    const int keys = protocol.Tables().keyCount;
    const int chunk = CCommandChannel::kWiredChunkSize;
    const int exchangesPerFrame = (keys * 3 + chunk - 1) / chunk;
    const double wall = std::chrono::duration<double>(last.at - first.at).count();
    const double frames = static_cast<double>(last.sent - first.sent);
    const double rate = frames / wall;
    const double keyboardRate = (last.chunks - first.chunks) / double(exchangesPerFrame) / wall;
    const double maximum = 1000.0 / (exchangesPerFrame * kIntervalMs);
    std::printf("keys N = %d, frame %d bytes = %d exchanges of up to %d bytes\n", keys, keys * 3,
                exchangesPerFrame, chunk);
    std::printf("measured %.2f s: %.0f frames sent, %llu engine passes, %llu failed\n", wall,
                frames, static_cast<unsigned long long>(passes),
                static_cast<unsigned long long>(streamer.FramesFailed()));
    std::printf("frames/s: %.1f (streamer), %.1f (keyboard's live frame exchanges / %d)\n", rate,
                keyboardRate, exchangesPerFrame);
    std::printf("maximum at one exchange per %.0f ms interval: %.1f frames/s\n", kIntervalMs,
                maximum);
    std::printf("host time per exchange: %.3f ms\n",
                1000.0 * wall / std::max(1, last.chunks - first.chunks));
    PrintIntervals(rig, static_cast<size_t>(last.chunks - first.chunks));
    const double ratio = rate / maximum;
    std::printf("ratio: %.1f %% of the maximum (target >= 95 %%): %s\n", 100.0 * ratio,
                ratio >= 0.95 ? "met" : "NOT met");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: live_frames_bench [seconds]\n");
        return 2;
    }
    return Run(seconds);
}
