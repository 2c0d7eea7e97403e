#include "device/lighting/lighting_runner.h"

#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

using TimePoint = LightingScheduler::TimePoint;

Millis ToMillis(TimePoint t) {
    return std::chrono::duration_cast<Millis>(t.time_since_epoch());
}

// A due time in the past (a flash that never toggled is due "long ago") is
// now; one beyond what the clock can hold is never.
TimePoint ToTimePoint(Millis due) {
    constexpr Millis kLatest = std::chrono::duration_cast<Millis>(TimePoint::duration::max());
    if (due >= kLatest) return LightingScheduler::kNoDeadline;
    if (due <= Millis(0)) return TimePoint{};
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(due));
}

}  // namespace

LightingRunner::LightingRunner(ISchedulerClock& clock, uint32_t randomSeed)
    : m_engine(randomSeed), m_scheduler([this](TimePoint now) { return RunPass(now); }, clock) {}

LightingRunner::~LightingRunner() {
    m_scheduler.Stop();
}

void LightingRunner::Start() {
    m_scheduler.Start();
}

void LightingRunner::Stop() {
    m_scheduler.Stop();
}

template <typename Fn>
void LightingRunner::Change(Fn&& fn) {
    {
        std::lock_guard guard(m_engineLock);
        fn(m_engine);
    }
    m_scheduler.Wake();
}

void LightingRunner::SetPaused(bool paused) {
    {
        std::lock_guard guard(m_engineLock);
        m_paused = paused;
    }
    if (!paused) m_scheduler.Wake();
}

void LightingRunner::SetLightValues(const LightInfoRecord& values) {
    Change([&](LightingEngine& e) { e.SetLightValues(values); });
}

void LightingRunner::SetAudioValues(const AudioLightRecord& values) {
    Change([&](LightingEngine& e) { e.SetAudioValues(values); });
}

void LightingRunner::ApplyEffects(std::span<const LedEffect> effects,
                                  std::vector<EffectStep> timeline) {
    Change([&](LightingEngine& e) { e.ApplyEffects(effects, std::move(timeline)); });
}

void LightingRunner::SetCustomColours(std::span<const KeyColour> colours) {
    Change([&](LightingEngine& e) { e.SetCustomColours(colours); });
}

void LightingRunner::SetCustomColour(int position, Rgb colour) {
    Change([&](LightingEngine& e) { e.SetCustomColour(position, colour); });
}

void LightingRunner::SetExternalColour(std::span<const int32_t> values) {
    Change([&](LightingEngine& e) { e.SetExternalColour(values); });
}

// Music steps run on their own cadence; the levels wait for the next one.
void LightingRunner::OnAudioLevels(std::span<const int32_t> levels) {
    std::lock_guard guard(m_engineLock);
    m_engine.OnAudioLevels(levels);
}

// A press seeds a ripple or a fading key even when the engine says nothing
// changed yet; the scheduler, asleep in a mode with nothing moving, must look
// again when the next pass is due.
void LightingRunner::OnKeyEvent(int position, int kind) {
    if (kind != kKeyPress && kind != kKeyRelease) return;
    if (position < 0 || position >= kPositionCount) return;
    Change([&](LightingEngine& e) { e.OnKeyEvent(position, kind); });
}

void LightingRunner::StartMode() {
    Change([](LightingEngine& e) { e.StartMode(); });
}

void LightingRunner::ClearLevels() {
    Change([](LightingEngine& e) { e.ClearLevels(); });
}

LightInfoRecord LightingRunner::LightValues() const {
    std::lock_guard guard(m_engineLock);
    return m_engine.LightValues();
}

std::array<KeyColour, kPositionCount> LightingRunner::Colours() const {
    std::lock_guard guard(m_engineLock);
    return m_engine.Colours();
}

uint64_t LightingRunner::PassCount() const {
    std::lock_guard guard(m_engineLock);
    return m_passes;
}

void LightingRunner::SetPassListener(std::function<void()> listener) {
    m_passListener = std::move(listener);
}

TimePoint LightingRunner::RunPass(TimePoint now) {
    TimePoint next;
    {
        std::lock_guard guard(m_engineLock);
        if (m_paused) return LightingScheduler::kNoDeadline;
        ++m_passes;
        m_engine.Pass(ToMillis(now));
        next = ToTimePoint(m_engine.NextDue());
    }
    if (m_passListener) m_passListener();
    return next;
}

}  // namespace tirk::lighting
