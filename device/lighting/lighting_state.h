// Everything the lighting engine keeps for one device: the lighting values
// it animates, the per-key colours it produces and the animation buffers of
// the keyboard modes, the per-key effects and the timeline. Plain data; the
// step functions (lighting_steps.h) work on it and LightingEngine owns one.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <vector>

#include "device/lighting/lighting_tables.h"
#include "profile/lighting_files.h"
#include "profile/profile_records.h"

namespace tirk::lighting {

/// Time as the engine sees it: milliseconds on a monotonic clock. The caller
/// passes it in; nothing in the engine reads a clock.
using Millis = std::chrono::milliseconds;
/// "Never due": nothing is scheduled.
inline constexpr Millis kNever = Millis::max();
/// One counted tick of the step thresholds, and the time between two passes
/// while something animates.
inline constexpr Millis kTick{16};
/// The time of a flash that never toggled: far enough back that the first
/// step toggles at once, near enough that adding a period cannot overflow.
inline constexpr Millis kLongAgo{std::numeric_limits<Millis::rep>::min() / 2};

/// A key's colour and its brightness (alpha), as shown and streamed:
/// (channel × alpha) >> 8.
using KeyColour = CustomLightColor;

inline constexpr int kAudioBands = 25;
inline constexpr int kExternalValues = 6;
inline constexpr int kRippleFronts = 4;

/// The expanding ripples: four fronts (up-left, up-right, down-left,
/// down-right) as a bit mask of rows per matrix column. Bits 0..5 are the
/// keyboard's rows, bit 6 the row below the bottom one.
struct RippleState {
    std::array<std::array<uint8_t, kMatrixColumns>, kRippleFronts> fronts{};
    uint8_t stepCounter = 0;
};

/// The key-driven heat map of mode 25.
struct ReactiveState {
    std::array<uint8_t, kPositionCount> level{};
    std::array<uint8_t, kPositionCount> direction{};  ///< 0 idle, 1 rising, 2 falling
    std::array<uint8_t, kPositionCount> pressed{};
};

/// The counters of the per-key effects.
struct KeyEffectState {
    std::array<uint8_t, kPositionCount> phase{};
    std::array<uint8_t, kPositionCount> hue{};
    std::array<uint8_t, kPositionCount> counter{};
    std::array<uint8_t, kPositionCount> flashOn{};
    std::array<Millis, kPositionCount> lastToggle = LongAgo();
    Millis nextAdvance{0};

    static constexpr std::array<Millis, kPositionCount> LongAgo() {
        std::array<Millis, kPositionCount> times{};
        times.fill(kLongAgo);
        return times;
    }  ///< breathing and colour cycle advance once per tick
};

/// Playback of the lighting timeline.
struct TimelineState {
    bool started = false;
    size_t index = 0;  ///< the entry playing
    Millis start{0};   ///< when it started
    Millis nextStep{0};
    uint8_t phase = 0;
    uint8_t hue = 0;
    uint8_t flashOn = 0;
    Millis lastToggle = kLongAgo;
};

/// Stages of the scripted show of mode 14.
enum class ShowStage : uint8_t { kFrames, kPairs, kWaitForPair, kRipple };

struct EngineState {
    // Inputs.
    LightInfoRecord light;  ///< mode index, "Light", "Speed", "Fx", "MultiColor", colour, …
    AudioLightRecord audio;
    std::array<Rgb, kPositionCount> customColours{};  ///< mode 20
    std::array<int32_t, kExternalValues> external{};  ///< mode 30: red, green, blue first
    std::array<int32_t, kAudioBands> audioLevels{};   ///< 0..2000, cleared after each use
    std::array<LedEffect, kPositionCount> effects{};  ///< per-key effect list
    std::vector<EffectStep> timeline;

    // Output.
    std::array<KeyColour, kPositionCount> colours{};

    // Animation.
    uint8_t phase = 0;
    uint8_t flashHue = 0;    ///< modes 23: the flash colour on the wheel
    uint8_t cycleIndex = 0;  ///< modes 26, 27: the fixed colour showing
    uint8_t flashOn = 0;
    Millis lastFlash = kLongAgo;
    uint16_t frame = 0;      ///< music: steps since the start moved; mode 14: frame
    uint8_t audioStart = 0;  ///< music mode 0: the level of column 0
    int32_t audioSum = 0;    ///< music mode 2: loudness towards the next ripple
    std::array<uint8_t, kPositionCount> levels{};
    std::array<uint8_t, kPositionCount> hues{};
    RippleState ripple;
    std::array<uint8_t, kMatrixColumns> columnReady{};  ///< music mode 4
    ReactiveState reactive;
    ShowStage showStage = ShowStage::kFrames;
    bool showLastLit = false;  ///< mode 14: position 124 has lit in this ripple
    KeyEffectState keyEffects;
    TimelineState timelineState;
    uint32_t random = 1;  ///< xorshift state, never 0

    // Scheduling.
    bool dirty = true;  ///< a value changed: run the mode step at the next pass
    Millis nextModeStep{0};
};

}  // namespace tirk::lighting
