// Synchronised lighting across devices, without Qt: the record every
// synchronised device follows (one of five common effects and the lighting
// bytes of the device it was taken from), how each family's lighting modes
// map to the common effects, and the stepper that turns the record into one
// preview colour per step. The lighting synchronisation worker runs the
// stepper; the main window's "deng_same_mode" route writes the record.
// See docs/synchronised-lighting.md.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

#include "profile/profile_records.h"

namespace tirk {

/// The five effects every family can show in step with the others.
enum class SyncEffect : uint8_t {
    kBreathing = 0,
    kStatic = 1,
    kFlash = 2,
    kColourCycle = 3,
    kOff = 4,
};
inline constexpr int kSyncEffectCount = 5;

/// What the synchronised devices follow: the common effect and bytes 1..7
/// of the lighting values it was taken from.
struct SyncLightingRecord {
    uint8_t effect = 0;  ///< a SyncEffect, 0..4
    uint8_t light = 0;   ///< brightness level
    uint8_t speed = 0;
    uint8_t fx = 0;  ///< direction: non-zero forward
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const SyncLightingRecord&) const = default;
};

/// The common effect of lighting mode `mode` of family `family` (the device
/// family codes: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset); -1 when the
/// mode has none or the family is not one of the four.
int CommonEffectOf(int family, int mode);

/// Family `family`'s lighting mode for common effect `effect` (the same table
/// read backwards); -1 for an effect outside 0..4 or another family.
int ModeOfCommonEffect(int family, int effect);

/// Takes the record from a device of family `family` with lighting values
/// `values` into `record`. False, leaving `record` alone, when the mode has
/// no common effect. A device of the base family (0) has no mode table: it
/// keeps the record's effect and gives only its bytes.
bool TakeSyncLighting(int family, const LightInfoRecord& values, SyncLightingRecord& record);

/// `own` (a device's lighting values) following `record`: the family's mode
/// for the record's effect (the device's own mode when the family has none)
/// and the record's bytes 1..7; the rest of `own` stays.
LightInfoRecord SyncedLightValues(int family, const SyncLightingRecord& record,
                                  LightInfoRecord own);

/// The record shared by the UI thread, which writes it, and the
/// synchronisation worker, which reads it. Thread-safe: a reader never sees
/// half of a write.
class SyncLightingStore {
public:
    void Store(const SyncLightingRecord& record);
    SyncLightingRecord Load() const;

private:
    mutable std::mutex m_lock;
    SyncLightingRecord m_record;
};

/// The program's one record.
SyncLightingStore& SharedSyncLighting();

/// One preview colour; alpha is the brightness it is shown at.
struct SyncColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    bool operator==(const SyncColour&) const = default;
};

/// Runs the common effects one step at a time. The state (breathing phase,
/// the breathing, flash and cycle hues, the flash's on/off state and last
/// toggle) carries over from step to step and from effect to effect. Not
/// thread-safe: one thread steps it.
class SyncEffectStepper {
public:
    using Clock = std::chrono::steady_clock;

    /// One step of `record`'s effect at time `now` (which the flash measures
    /// its period against); an effect outside 0..4 shows nothing.
    SyncColour Step(const SyncLightingRecord& record, Clock::time_point now);

    uint8_t BreathingPhase() const { return m_breathingPhase; }
    uint8_t BreathingHue() const { return m_breathingHue; }
    uint8_t FlashHue() const { return m_flashHue; }
    bool FlashOn() const { return m_flashOn; }
    uint8_t CycleHue() const { return m_cycleHue; }

    /// How long the flash stays on (and off) at `speed`: {8, 6, 4, 2, 1} × 200
    /// ms for speeds 0..4; any other speed counts as speed 0.
    static std::chrono::milliseconds FlashPeriod(int speed);

private:
    SyncColour Breathing(const SyncLightingRecord& record);
    SyncColour Flash(const SyncLightingRecord& record, Clock::time_point now);
    SyncColour ColourCycle(const SyncLightingRecord& record);

    uint8_t m_breathingPhase = 0;
    uint8_t m_breathingHue = 0;
    uint8_t m_flashHue = 0;
    bool m_flashOn = false;
    bool m_flashToggled = false;  ///< the flash has toggled at least once
    Clock::time_point m_lastToggle{};
    uint8_t m_cycleHue = 0;
};

}  // namespace tirk
