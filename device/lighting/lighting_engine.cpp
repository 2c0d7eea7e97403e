#include "device/lighting/lighting_engine.h"

#include <algorithm>

#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

constexpr int kCustomMode = 20;
constexpr int kExternalMode = 30;
constexpr int kFlashMode = 23;
constexpr int kFourColourFlashMode = 27;

}  // namespace

LightingEngine::LightingEngine(uint32_t randomSeed) {
    m_state.random = randomSeed ? randomSeed : 1;
    lighting::StartMode(m_state);
}

void LightingEngine::SetLightValues(const LightInfoRecord& values) {
    const bool newMode = values.selectItem != m_state.light.selectItem;
    m_state.light = values;
    if (newMode || values.selectItem == kCustomMode) lighting::StartMode(m_state);
    m_state.dirty = true;
}

void LightingEngine::SetAudioValues(const AudioLightRecord& values) {
    m_state.audio = values;
}

void LightingEngine::ApplyEffects(std::span<const LedEffect> effects,
                                  std::vector<EffectStep> timeline) {
    m_state.effects.fill(LedEffect{});
    std::copy_n(effects.begin(), std::min<size_t>(effects.size(), kPositionCount),
                m_state.effects.begin());
    ResetKeyEffects(m_state);
    m_state.timeline = std::move(timeline);
    RestartTimeline(m_state);
    m_state.dirty = true;
}

void LightingEngine::SetCustomColours(std::span<const KeyColour> colours) {
    for (int p = 0; p < kPositionCount; ++p) {
        const KeyColour c = p < int(colours.size()) ? colours[p] : KeyColour{};
        m_state.customColours[p] = {c.red, c.green, c.blue};
    }
    if (m_state.light.selectItem == kCustomMode) m_state.dirty = true;
}

void LightingEngine::SetCustomColour(int position, Rgb colour) {
    if (position < 0 || position >= kPositionCount) return;
    m_state.customColours[position] = colour;
    if (m_state.light.selectItem == kCustomMode) m_state.dirty = true;
}

void LightingEngine::SetExternalColour(std::span<const int32_t> values) {
    for (int i = 0; i < kExternalValues; ++i)
        m_state.external[i] = i < int(values.size()) ? values[i] : 0;
    if (m_state.light.selectItem == kExternalMode) m_state.dirty = true;
}

void LightingEngine::OnAudioLevels(std::span<const int32_t> levels) {
    lighting::OnAudioLevels(m_state, levels);
}

bool LightingEngine::OnKeyEvent(int position, int kind) {
    return lighting::OnKeyEvent(m_state, position, kind);
}

void LightingEngine::ResetEffectState() {
    lighting::ResetEffectState(m_state);
}

void LightingEngine::StartMode() {
    lighting::StartMode(m_state);
}

void LightingEngine::ClearLevels() {
    m_state.levels.fill(0);
}

void LightingEngine::Pass(Millis now) {
    if (IsTimelineMode(m_state.light.selectItem)) {
        TimelinePass(m_state, now);
    } else if (m_state.dirty || now >= m_state.nextModeStep) {
        RunModeStep(m_state, now);
        m_state.nextModeStep = now + ModeInterval(m_state);
    }
    m_state.dirty = false;
    KeyEffectPass(m_state, now);
    if (Bright(m_state) == 0)
        for (KeyColour& colour : m_state.colours) colour.alpha = 0;
}

Millis LightingEngine::ModeDue() const {
    const int mode = m_state.light.selectItem;
    if (IsTimelineMode(mode)) return TimelineDue(m_state);
    if (!ModeAnimates(m_state)) return kNever;
    // Between two toggles a flash step repaints the same colours.
    if (mode == kFlashMode || mode == kFourColourFlashMode)
        return std::max(m_state.nextModeStep, m_state.lastFlash + FlashPeriod(m_state.light.speed));
    return m_state.nextModeStep;
}

Millis LightingEngine::NextDue() const {
    if (m_state.dirty) return Millis(0);
    if (Bright(m_state) == 0) return kNever;  // dark whatever changes
    return std::min(ModeDue(), KeyEffectsDue(m_state));
}

}  // namespace tirk::lighting
