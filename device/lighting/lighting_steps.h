// The engine's maths as functions over EngineState: mode starts, mode steps,
// the ripple, music, the reactive entry points, the per-key effect pass and
// the timeline. `now` is always passed in. LightingEngine (lighting_engine.h)
// is the interface the device uses; these are its parts, public for tests
// and benchmarks.
#pragma once

#include <span>

#include "device/lighting/lighting_state.h"

namespace tirk::lighting {

// ---- shared helpers (lighting_common.cpp) ----

/// The brightness table entry of "Light".
uint8_t Bright(const EngineState& s);
/// (a × b) >> 8.
inline uint8_t Scale(uint8_t a, uint8_t b) {
    return uint8_t((a * b) >> 8);
}
/// The lighting colour (red, green, blue).
Rgb LightColour(const EngineState& s);
/// The usual colour of a key: the wheel entry of `hue` with the multi-colour
/// flag set, the lighting colour otherwise.
Rgb KeyRgb(const EngineState& s, uint8_t hue);
void SetKey(EngineState& s, int position, Rgb colour, uint8_t alpha);
void SetAll(EngineState& s, Rgb colour, uint8_t alpha);
void SetColumn(EngineState& s, int column, Rgb colour, uint8_t alpha);
void AllOff(EngineState& s);
/// The next pseudo-random number (xorshift32).
uint32_t NextRandom(EngineState& s);
/// Lowers the level of every position with `schedule`.
void FadeAll(EngineState& s, FadeSchedule schedule);
/// Every position i: colour KeyRgb(hue i), alpha bright × level i >> 8.
void ShowLevels(EngineState& s, int positions = kPositionCount);

// ---- state and mode starts (lighting_modes.cpp) ----

/// Animation buffers, ripple, audio levels to zero; the column flags to 1.
void ResetEffectState(EngineState& s);
/// The start of the current mode: seeds after ResetEffectState.
void StartMode(EngineState& s);
/// Runs the step of the current mode (not the timeline modes).
void RunModeStep(EngineState& s, Millis now);
/// True for the modes whose step keeps changing the colours by itself.
bool ModeAnimates(const EngineState& s);
/// Time between two steps of the current mode.
Millis ModeInterval(const EngineState& s);
/// Modes 0, 19 and indices above 30 play the timeline.
bool IsTimelineMode(int mode);

// Device-object steps shared by the keyboard modes and the timeline.
/// Flash: toggles once `period` has passed since the last toggle; true then.
bool FlashToggle(Millis now, Millis period, Millis& lastToggle, uint8_t& on);
/// The flash period of `speed`: the row 8, 6, 4, 2, 1, 0 × 200 ms.
Millis FlashPeriod(int speed);

// ---- the ripple (ripple.cpp) ----

/// Starts a ripple at a matrix cell (row 6 is below the bottom row).
void SeedRipple(RippleState& r, int column, int row);
/// Starts a ripple at a key's matrix cell; nothing for keys outside it.
void SeedRippleAtKey(RippleState& r, int position);
/// Every front moves one key outward.
void MoveRipple(RippleState& r);
/// The rows (bit mask) that any front holds in `column`.
uint8_t RippleColumn(const RippleState& r, int column);
bool RippleEmpty(const RippleState& r);
/// Gives every key a front holds level 255 and, with `randomHue`, a random hue.
void LightRipple(EngineState& s, bool randomHue);
void StepRipple13(EngineState& s);
void StepRipple16(EngineState& s);
void StepShow14(EngineState& s);

// ---- music (music.cpp) ----

/// v' of a level: 600 − v × 600 / 2000, louder is smaller (0 at full scale).
int MappedLevel(int32_t level);
void StepMusic(EngineState& s);
/// Stores the levels (missing bands read 0); in music mode 2 the loudness
/// adds up towards the next ripple from position 51.
void OnAudioLevels(EngineState& s, std::span<const int32_t> levels);

// ---- key presses (reactive.cpp) ----

inline constexpr int kKeyPress = 1;
inline constexpr int kKeyRelease = 2;
/// A key press (kind 1) or release (kind 2) at `position` in the current mode.
/// Returns true when it changed something a step shows.
bool OnKeyEvent(EngineState& s, int position, int kind);
void StepHeatMap(EngineState& s);
/// True while some heat map level still moves.
bool HeatMapMoving(const EngineState& s);

// ---- per-key effects (key_effects.cpp) ----

/// Clears the per-key counters, hues and flash states.
void ResetKeyEffects(EngineState& s);
/// Advances (once per tick) and paints the present per-key effects.
void KeyEffectPass(EngineState& s, Millis now);
/// When the per-key effects next change by themselves; kNever when none will.
Millis KeyEffectsDue(const EngineState& s);

// ---- the timeline (timeline.cpp) ----

/// Back to the first entry, not yet started.
void RestartTimeline(EngineState& s);
void TimelinePass(EngineState& s, Millis now);
Millis TimelineDue(const EngineState& s);

}  // namespace tirk::lighting
