// Skin pictures: the per-file cache and the drawing of image strings.
// Internal to ui/.
#pragma once

#include <QPixmap>
#include <QRect>
#include <cstdint>
#include <optional>
#include <string>

class QPainter;

namespace tirk::ui {

/// The picture of `file` (relative to the resource path unless absolute),
/// read once and cached, also when unreadable (then null, logged once).
const QPixmap& SkinPixmap(const std::string& file);

/// Draws an image string into `target` (painter coordinates); `dpi` scales
/// its dest rectangle and corners. With `tintRgb`, the picture's colour is
/// replaced by that colour (0xRRGGBB) and `alpha` (0..255) multiplies the
/// opacity. Returns false for a malformed string or an unreadable file.
bool DrawImageString(QPainter& painter, const std::string& image, const QRect& target, int dpi,
                     std::optional<uint32_t> tintRgb = std::nullopt, int alpha = 255);

}  // namespace tirk::ui
