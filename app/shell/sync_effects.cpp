#include "app/shell/sync_effects.h"

#include <array>

#include "app/shell/lighting_sync.h"
#include "device/lighting/lighting_tables.h"

namespace tirk {
namespace {

/// One family's lighting mode for each common effect, in effect order.
struct FamilyModes {
    int family;
    std::array<int, kSyncEffectCount> modes;
};

// The mode ↔ common effect table: breathing, static, flash, colour cycle, off.
constexpr std::array<FamilyModes, 4> kModeTable{{
    {1, {5, 6, 23, 4, 28}},  // keyboard
    {2, {2, 3, 4, 1, 10}},   // mouse
    {3, {2, 3, 4, 1, 8}},    // mouse pad
    {7, {2, 3, 4, 1, 8}},    // headset
}};

constexpr int kBaseFamily = 0;
constexpr int kBreathingHueStep = 16;
constexpr int kFlashHueStep = 14;
constexpr int kCycleHueStep = 1;
constexpr std::chrono::milliseconds kFlashUnit{200};

const FamilyModes* ModesOf(int family) {
    for (const FamilyModes& row : kModeTable)
        if (row.family == family) return &row;
    return nullptr;
}

/// `hue` moved `step` along the colour wheel; 0 again once it reaches the
/// wheel's end.
uint8_t NextHue(uint8_t hue, int step) {
    const int next = hue + step;
    return next >= lighting::kHueCount ? 0 : uint8_t(next);
}

SyncColour Colour(const lighting::Rgb& rgb, uint8_t alpha) {
    return {rgb.red, rgb.green, rgb.blue, alpha};
}

lighting::Rgb RecordColour(const SyncLightingRecord& record) {
    return {record.red, record.green, record.blue};
}

uint8_t Bright(const SyncLightingRecord& record) {
    return lighting::BrightnessAlpha(record.light);
}

}  // namespace

int CommonEffectOf(int family, int mode) {
    const FamilyModes* row = ModesOf(family);
    if (!row) return -1;
    for (int effect = 0; effect < kSyncEffectCount; ++effect)
        if (row->modes[effect] == mode) return effect;
    return -1;
}

int ModeOfCommonEffect(int family, int effect) {
    const FamilyModes* row = ModesOf(family);
    if (!row || effect < 0 || effect >= kSyncEffectCount) return -1;
    return row->modes[effect];
}

bool TakeSyncLighting(int family, const LightInfoRecord& values, SyncLightingRecord& record) {
    int effect = record.effect;
    if (family != kBaseFamily) {
        effect = CommonEffectOf(family, values.selectItem);
        if (effect < 0) return false;
    }
    record = {uint8_t(effect),   values.light, values.speed, values.fx,
              values.multiColor, values.red,   values.green, values.blue};
    return true;
}

LightInfoRecord SyncedLightValues(int family, const SyncLightingRecord& record,
                                  LightInfoRecord own) {
    const int mode = ModeOfCommonEffect(family, record.effect);
    if (mode >= 0) own.selectItem = uint8_t(mode);
    own.light = record.light;
    own.speed = record.speed;
    own.fx = record.fx;
    own.multiColor = record.multiColor;
    own.red = record.red;
    own.green = record.green;
    own.blue = record.blue;
    return own;
}

void SyncLightingStore::Store(const SyncLightingRecord& record) {
    std::lock_guard lock(m_lock);
    m_record = record;
}

SyncLightingRecord SyncLightingStore::Load() const {
    std::lock_guard lock(m_lock);
    return m_record;
}

SyncLightingStore& SharedSyncLighting() {
    static SyncLightingStore store;
    return store;
}

std::chrono::milliseconds SyncEffectStepper::FlashPeriod(int speed) {
    // The flash counts its period in the worker's own steps-per-speed table.
    return kFlashUnit * LightingSyncPeriodTicks(speed);
}

SyncColour SyncEffectStepper::Step(const SyncLightingRecord& record, Clock::time_point now) {
    switch (SyncEffect(record.effect)) {
        case SyncEffect::kBreathing:
            return Breathing(record);
        case SyncEffect::kStatic:
            return Colour(RecordColour(record), Bright(record));
        case SyncEffect::kFlash:
            return Flash(record, now);
        case SyncEffect::kColourCycle:
            return ColourCycle(record);
        case SyncEffect::kOff:
            break;
    }
    return {};
}

SyncColour SyncEffectStepper::Breathing(const SyncLightingRecord& record) {
    m_breathingPhase =
        lighting::Advance(record.fx != 0, lighting::kBreathingLength, m_breathingPhase);
    const auto alpha = uint8_t(Bright(record) * lighting::BreathingCurve()[m_breathingPhase] >> 8);
    if (!record.multiColor) return Colour(RecordColour(record), alpha);
    // A breath passes phases 0 and 1 once each, whichever way it runs.
    if (m_breathingPhase <= 1) m_breathingHue = NextHue(m_breathingHue, kBreathingHueStep);
    return Colour(lighting::ColourWheel()[m_breathingHue], alpha);
}

SyncColour SyncEffectStepper::Flash(const SyncLightingRecord& record, Clock::time_point now) {
    if (!m_flashToggled || now - m_lastToggle >= FlashPeriod(record.speed)) {
        m_flashToggled = true;
        m_flashOn = !m_flashOn;
        m_lastToggle = now;
        m_flashHue = NextHue(m_flashHue, kFlashHueStep);
    }
    if (!m_flashOn) return {};
    const lighting::Rgb rgb =
        record.multiColor ? lighting::ColourWheel()[m_flashHue] : RecordColour(record);
    return Colour(rgb, Bright(record));
}

SyncColour SyncEffectStepper::ColourCycle(const SyncLightingRecord& record) {
    m_cycleHue = NextHue(m_cycleHue, kCycleHueStep);
    return Colour(lighting::ColourWheel()[m_cycleHue], Bright(record));
}

}  // namespace tirk
