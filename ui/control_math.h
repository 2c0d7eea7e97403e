// Arithmetic of the smaller page controls, free of Qt so that it is tested as
// tables: the circle progress wedge, the key buttons' light colour, and the
// panning image button's source rectangle and image string.
#pragma once

#include <cstdint>
#include <string>

#include "ui/ui_base.h"

namespace tirk::ui {

/// A pie wedge in whole degrees, measured clockwise on the screen from the
/// 3 o'clock direction (90 is 6 o'clock).
struct TWedgeUI {
    int startDegrees = 0;
    int sweepDegrees = 0;
    bool operator==(const TWedgeUI&) const = default;
};

/// The filled wedge of a circle progress: it starts at 90 degrees and sweeps
/// value / (max - min) of the full turn, truncated to whole degrees. An empty
/// range (max == min) sweeps nothing.
TWedgeUI CircleProgressWedge(int min, int max, int value);

/// The device objects pack a light colour as red | blue << 8 | green << 16;
/// returns the same colour as 0xRRGGBB.
uint32_t LightColourToRgb(uint32_t packed);

/// The source rectangle of a panning image after the mouse moved from
/// `last` to `now` (same coordinate space). Per axis: moving towards the
/// start (d = last - now > 0) slides the window forward while its far edge
/// is still inside the picture; moving back slides it towards 0 but never
/// past it.
TRectUI PanSource(const TRectUI& source, TSizeUI picture, TPointUI last, TPointUI now);

/// "file='<path>' source='l,t,r,b'".
std::string SourceImageString(const std::string& path, const TRectUI& source);

/// The image string a panning image button shows right after its picture is
/// set: the part of the picture of the control's size when the control is
/// narrower or lower than the picture, else the whole picture (the path).
std::string InitialPanImageString(const std::string& path, TSizeUI picture, TSizeUI control);

}  // namespace tirk::ui
