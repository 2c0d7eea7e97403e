// Image strings: "bk.png" or "file='bk.png' source='0,0,20,20' corner='4,4,4,4'
// dest='2,2,18,18' fade='128'". The file is relative to the resource path.
#pragma once

#include <optional>
#include <string>

#include "ui/ui_base.h"

struct TImageStringUI {
    std::string file;
    /// Part of the picture to draw (picture pixels); the whole picture when
    /// absent.
    std::optional<TRectUI> source;
    /// Where to draw inside the control (96 DPI); the whole control when
    /// absent.
    std::optional<TRectUI> dest;
    /// Nine-slice margins (picture pixels): corners keep their size, edges
    /// and middle stretch. All zero = plain stretch.
    TRectUI corner;
    /// Opacity 0..255.
    int fade = 255;
};

/// Parses an image string. Returns nothing and, when `error` is given, sets
/// it to the problem (unknown key, bad rectangle, bad fade, unclosed quote,
/// missing file) for a malformed string. An empty string is malformed.
std::optional<TImageStringUI> ParseImageString(const std::string& text,
                                               std::string* error = nullptr);

/// Reads the picture size of an image file (relative to the resource path
/// unless absolute), through the image cache. false when it cannot be read.
bool GetImageSize(const std::string& file, TSizeUI* size);
