// A device's lighting engine on its own lighting thread: every entry point
// takes the engine's lock, changes the engine and wakes the scheduler, so a
// change shows at once and a static mode costs no wake-ups in between. The
// UI thread reads the colours as a copy. This is what a device object owns.
#pragma once

#include <functional>
#include <mutex>

#include "device/lighting/lighting_engine.h"
#include "device/lighting/lighting_scheduler.h"

namespace tirk::lighting {

class LightingRunner {
public:
    explicit LightingRunner(ISchedulerClock& clock = SteadySchedulerClock(),
                            uint32_t randomSeed = 0x2545F491u);
    ~LightingRunner();
    LightingRunner(const LightingRunner&) = delete;
    LightingRunner& operator=(const LightingRunner&) = delete;

    /// Starts the lighting thread (a running one is stopped first).
    void Start();
    /// Stops it; the engine keeps its state.
    void Stop();
    /// While paused (the command channel closed, the device's pause field
    /// set) passes do nothing and the thread sleeps until resumed.
    void SetPaused(bool paused);

    void SetLightValues(const LightInfoRecord& values);
    void SetAudioValues(const AudioLightRecord& values);
    void ApplyEffects(std::span<const LedEffect> effects, std::vector<EffectStep> timeline);
    void SetCustomColours(std::span<const KeyColour> colours);
    void SetCustomColour(int position, Rgb colour);
    void SetExternalColour(std::span<const int32_t> values);
    void OnAudioLevels(std::span<const int32_t> levels);
    void OnKeyEvent(int position, int kind);
    void StartMode();
    void ClearLevels();

    LightInfoRecord LightValues() const;
    /// A copy of the per-key colours of the last pass.
    std::array<KeyColour, kPositionCount> Colours() const;
    /// Passes run so far (tests and diagnostics).
    uint64_t PassCount() const;
    /// Called on the lighting thread after every pass, outside the engine's
    /// lock (the live frame streamer waits on it). Set before Start.
    void SetPassListener(std::function<void()> listener);

private:
    template <typename Fn>
    void Change(Fn&& fn);
    LightingScheduler::TimePoint RunPass(LightingScheduler::TimePoint now);

    mutable std::mutex m_engineLock;
    LightingEngine m_engine;        ///< guarded by m_engineLock
    bool m_paused = false;          ///< guarded by m_engineLock
    uint64_t m_passes = 0;          ///< guarded by m_engineLock
    std::function<void()> m_passListener;  ///< set before the thread starts
    LightingScheduler m_scheduler;  ///< last: its thread ends before the engine goes
};

}  // namespace tirk::lighting
