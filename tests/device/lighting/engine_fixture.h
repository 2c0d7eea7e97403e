// A lighting engine with a fixed random seed and a time that the test moves.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "device/lighting/layout_tables.h"
#include "device/lighting/lighting_engine.h"
#include "device/lighting/lighting_steps.h"

namespace tirk {
inline void PrintTo(const CustomLightColor& c, std::ostream* os) {
    *os << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << " alpha "
        << int(c.alpha) << ")";
}
}  // namespace tirk

namespace tirk::lighting {

inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ")";
}

inline constexpr Rgb kRed{200, 10, 20};

inline LightInfoRecord Values(int mode, int light = 4, int speed = 4, int fx = 1, int multi = 0,
                              Rgb colour = kRed) {
    LightInfoRecord v;
    v.selectItem = uint8_t(mode);
    v.light = uint8_t(light);
    v.speed = uint8_t(speed);
    v.fx = uint8_t(fx);
    v.multiColor = uint8_t(multi);
    v.red = colour.red;
    v.green = colour.green;
    v.blue = colour.blue;
    return v;
}

inline KeyColour Colour(Rgb rgb, int alpha) {
    return {rgb.red, rgb.green, rgb.blue, uint8_t(alpha)};
}

inline Rgb Wheel(int hue) {
    return ColourWheel()[hue];
}

class EngineTest : public ::testing::Test {
protected:
    void Select(const LightInfoRecord& values) { engine.SetLightValues(values); }
    /// `n` passes a second apart: every pass runs the mode's step.
    void Step(int n = 1) {
        for (int i = 0; i < n; ++i) {
            now += Millis(1000);
            engine.Pass(now);
        }
    }
    /// One pass at `at` (milliseconds after the test's start).
    void PassAt(int at) { engine.Pass(Millis(at) + kStart); }
    const KeyColour& Key(int position) const { return engine.Colours()[position]; }
    const EngineState& S() const { return engine.State(); }
    bool AllDark() const {
        for (const KeyColour& c : engine.Colours())
            if (c.alpha != 0) return false;
        return true;
    }

    static constexpr Millis kStart{1'000'000};
    LightingEngine engine{12345};
    Millis now = kStart;
};

}  // namespace tirk::lighting
