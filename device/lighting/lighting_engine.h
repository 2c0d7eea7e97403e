// The lighting effect engine of one device: the keyboard's modes 0..30, the
// per-key effects and the lighting timeline over them, music mode, the
// external colour and the reactive effects of key presses. It animates the
// on-screen preview and, in modes 29 and 30, the live colour frame.
//
// The engine has no thread and reads no clock: Pass(now) runs one pass of
// the lighting thread at the time given, NextDue() says when the next pass
// has something to do. It is not thread-safe; LightingRunner
// (lighting_runner.h) serialises it and runs it on its own thread.
// docs/lighting-engine.md has the decisions.
#pragma once

#include <span>
#include <vector>

#include "device/lighting/lighting_state.h"

namespace tirk::lighting {

class LightingEngine {
public:
    /// `randomSeed` seeds the engine's own random numbers (raindrops,
    /// twinkles, random hues), so a run is repeatable; 0 reads as 1.
    explicit LightingEngine(uint32_t randomSeed = 0x2545F491u);

    /// Takes the lighting values. A new mode index, or mode 20 again, resets
    /// the animation and runs the mode's start; any other change shows at the
    /// next pass.
    void SetLightValues(const LightInfoRecord& values);
    const LightInfoRecord& LightValues() const { return m_state.light; }

    /// Takes the music values (audio mode, colours); used from the next step.
    void SetAudioValues(const AudioLightRecord& values);

    /// A profile was applied: entry i of `effects` is the per-key effect of
    /// position i (positions past the list have none), `timeline` the custom
    /// effect's steps. The per-key counters, hues and flash states are reset
    /// and the timeline starts again at its first entry.
    void ApplyEffects(std::span<const LedEffect> effects, std::vector<EffectStep> timeline);

    /// Mode 20's colours, by position: the custom colour group as the profile
    /// holds it (its alpha is not used; positions past the list are black).
    void SetCustomColours(std::span<const KeyColour> colours);
    /// One key of mode 20 painted; positions outside 0..169 are ignored.
    void SetCustomColour(int position, Rgb colour);

    /// The six values of the external colour; the first three are red, green
    /// and blue for mode 30 (each taken into 0..255). Missing values read 0.
    void SetExternalColour(std::span<const int32_t> values);

    /// 25 audio levels (0..2000) for music mode; missing bands read 0.
    void OnAudioLevels(std::span<const int32_t> levels);

    /// A key press (kind 1) or release (kind 2) at `position`. True when it
    /// changed what the next steps show (the heat map of mode 25).
    bool OnKeyEvent(int position, int kind);

    /// Animation buffers, ripple, audio levels and colours to zero.
    void ResetEffectState();
    /// ResetEffectState, then the start of the current mode.
    void StartMode();
    /// Clears the per-key level buffer (a profile applied in mode 24).
    void ClearLevels();

    /// One pass: the mode's step when it is due (or the timeline in modes 0,
    /// 19 and above 30), then the per-key effects. With brightness level 0
    /// every alpha ends at 0.
    void Pass(Millis now);

    /// When a pass next has something to do: at once after a change, the next
    /// step of an animated mode, the timeline or a per-key effect; kNever when
    /// nothing changes by itself (static modes, lights off).
    Millis NextDue() const;

    /// The per-key colours of the last pass, one per position.
    const std::array<KeyColour, kPositionCount>& Colours() const { return m_state.colours; }

    /// The whole state, for tests and benchmarks.
    const EngineState& State() const { return m_state; }
    EngineState& MutableState() { return m_state; }

private:
    Millis ModeDue() const;

    EngineState m_state;
};

}  // namespace tirk::lighting
