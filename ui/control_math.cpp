#include "ui/control_math.h"

#include <cstdio>

namespace tirk::ui {

TWedgeUI CircleProgressWedge(int min, int max, int value) {
    TWedgeUI wedge{90, 0};
    if (max == min) return wedge;
    wedge.sweepDegrees = int(value * 1.0 / (max - min) * 360);
    return wedge;
}

uint32_t LightColourToRgb(uint32_t packed) {
    const uint32_t red = packed & 0xFF;
    const uint32_t blue = (packed >> 8) & 0xFF;
    const uint32_t green = (packed >> 16) & 0xFF;
    return red << 16 | green << 8 | blue;
}

namespace {

// One axis of PanSource: [low, high) inside a picture of `extent` pixels.
void PanAxis(int d, int extent, int* low, int* high) {
    if (d > 0) {
        if (*high < extent) {
            *low += d;
            *high += d;
        }
    } else if (*low > 0) {
        if (-d < *low) {
            *low += d;
            *high += d;
        } else {
            *high -= *low;
            *low = 0;
        }
    }
}

}  // namespace

TRectUI PanSource(const TRectUI& source, TSizeUI picture, TPointUI last, TPointUI now) {
    TRectUI moved = source;
    PanAxis(last.x - now.x, picture.cx, &moved.left, &moved.right);
    PanAxis(last.y - now.y, picture.cy, &moved.top, &moved.bottom);
    return moved;
}

std::string SourceImageString(const std::string& path, const TRectUI& source) {
    char rect[64];
    std::snprintf(rect, sizeof rect, "source='%d,%d,%d,%d'", source.left, source.top, source.right,
                  source.bottom);
    return "file='" + path + "' " + rect;
}

std::string InitialPanImageString(const std::string& path, TSizeUI picture, TSizeUI control) {
    if (control.cx < picture.cx || control.cy < picture.cy)
        return SourceImageString(path, TRectUI{0, 0, control.cx, control.cy});
    return path;
}

}  // namespace tirk::ui
