#include "ui/image_string.h"

#include <QtWidgets/qdrawutil.h>

#include <QPainter>
#include <unordered_map>

#include "core/log.h"
#include "ui/internal/attributes.h"
#include "ui/internal/image_draw.h"
#include "ui/paint_manager.h"

namespace {

using tirk::ui::ParseBool;
using tirk::ui::ParseInt;
using tirk::ui::ParseRect;

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what;
    return false;
}

// One key='value' pair of an image string.
bool ApplyImageKey(const std::string& key, const std::string& value, TImageStringUI* image,
                   std::string* error) {
    TRectUI rect;
    if (key == "file" || key == "res") {
        image->file = value;
    } else if (key == "source" || key == "dest" || key == "corner") {
        if (!ParseRect(value, &rect))
            return Fail(error, "bad rectangle '" + value + "' for " + key);
        if (key == "source")
            image->source = rect;
        else if (key == "dest")
            image->dest = rect;
        else
            image->corner = rect;
    } else if (key == "fade") {
        if (!ParseInt(value, &image->fade) || image->fade < 0 || image->fade > 255)
            return Fail(error, "fade must be 0..255, not '" + value + "'");
    } else if (key == "xtiled" || key == "ytiled" || key == "hole") {
        bool ignored = false;
        if (!ParseBool(value, &ignored)) return Fail(error, "bad flag '" + value + "' for " + key);
    } else if (key != "mask" && key != "restype") {
        return Fail(error, "unknown key '" + key + "'");
    }
    return true;
}

}  // namespace

std::optional<TImageStringUI> ParseImageString(const std::string& text, std::string* error) {
    TImageStringUI image;
    if (text.find('=') == std::string::npos) {
        size_t begin = text.find_first_not_of(" \t");
        if (begin == std::string::npos) {
            Fail(error, "empty image string");
            return std::nullopt;
        }
        image.file = text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
        return image;
    }
    tirk::ui::AttributeList pairs;
    std::string listError;
    if (!tirk::ui::ParseAttributeList(text, &pairs, &listError)) {
        Fail(error, listError);
        return std::nullopt;
    }
    for (const auto& [key, value] : pairs) {
        if (!ApplyImageKey(tirk::ui::ToLower(key), value, &image, error)) return std::nullopt;
    }
    if (image.file.empty()) {
        Fail(error, "no file in image string");
        return std::nullopt;
    }
    return image;
}

bool GetImageSize(const std::string& file, TSizeUI* size) {
    const QPixmap& pixmap = tirk::ui::SkinPixmap(file);
    if (pixmap.isNull()) return false;
    *size = TSizeUI{pixmap.width(), pixmap.height()};
    return true;
}

namespace tirk::ui {

const QPixmap& SkinPixmap(const std::string& file) {
    static std::unordered_map<std::string, QPixmap> cache;
    std::string path = CPaintManagerUI::ResolveResourceFile(file);
    auto found = cache.find(path);
    if (found != cache.end()) return found->second;
    QPixmap pixmap(ToQ(path));
    if (pixmap.isNull()) log::FileFault(path, "skin image cannot be read");
    return cache.emplace(path, pixmap).first->second;
}

namespace {

QPixmap Tinted(const QPixmap& source, uint32_t rgb) {
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), ToQColor(0xFF000000u | rgb));
    painter.end();
    return QPixmap::fromImage(image);
}

// Pictures are drawn many times a second (a lit keyboard of a hundred keys):
// an image string is parsed once, and a tinted picture made once per colour.
// Both caches stay small: the skin's image strings are few, and the tint
// cache starts again when it holds kMaxTinted pictures.
const std::optional<TImageStringUI>& ParsedImageString(const std::string& text) {
    static std::unordered_map<std::string, std::optional<TImageStringUI>> cache;
    auto found = cache.find(text);
    if (found != cache.end()) return found->second;
    return cache.emplace(text, ParseImageString(text)).first->second;
}

constexpr size_t kMaxTinted = 1024;

const QPixmap& TintedPicture(const std::string& file, const QRect& source, const QPixmap& picture,
                             uint32_t rgb) {
    struct Key {
        std::string file;
        int x, y, width, height;
        uint32_t rgb;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<std::string>()(k.file) ^ (size_t(k.rgb) * 0x9E3779B97F4A7C15ull) ^
                   size_t(k.x * 31 + k.y * 131 + k.width * 521 + k.height * 1031);
        }
    };
    static std::unordered_map<Key, QPixmap, KeyHash> cache;
    Key key{file, source.x(), source.y(), source.width(), source.height(), rgb & 0xFFFFFF};
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    if (cache.size() >= kMaxTinted) cache.clear();
    return cache.emplace(std::move(key), Tinted(picture, rgb)).first->second;
}

/// The picture with its corners kept and its middle stretched to a size,
/// for one image string, tint and DPI: drawn once, then reused (nine
/// drawings per picture otherwise).
struct StretchKey {
    std::string text;
    uint32_t rgb;
    QSize size;
    int dpi;
    bool operator==(const StretchKey&) const = default;
};
constexpr uint32_t kUntinted = 0xFF000000u;  // no colour has bits above 24
constexpr size_t kMaxStretched = 2048;

const QPixmap& StretchedPicture(StretchKey key, const QPixmap& picture, const TRectUI& c) {
    struct Hash {
        size_t operator()(const StretchKey& k) const {
            return std::hash<std::string>()(k.text) ^ (size_t(k.rgb) * 0x9E3779B97F4A7C15ull) ^
                   size_t(k.size.width() * 4099 + k.size.height() * 131 + k.dpi);
        }
    };
    static std::unordered_map<StretchKey, QPixmap, Hash> cache;
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    if (cache.size() >= kMaxStretched) cache.clear();
    QPixmap stretched(key.size);
    stretched.fill(Qt::transparent);
    QPainter painter(&stretched);
    const int dpi = key.dpi;
    qDrawBorderPixmap(&painter, stretched.rect(),
                      QMargins(ScaleBy(c.left, dpi), ScaleBy(c.top, dpi), ScaleBy(c.right, dpi),
                               ScaleBy(c.bottom, dpi)),
                      picture, picture.rect(), QMargins(c.left, c.top, c.right, c.bottom));
    painter.end();
    return cache.emplace(std::move(key), std::move(stretched)).first->second;
}

}  // namespace

bool DrawImageString(QPainter& painter, const std::string& text, const QRect& target, int dpi,
                     std::optional<uint32_t> tintRgb, int alpha) {
    const std::optional<TImageStringUI>& image = ParsedImageString(text);
    if (!image) return false;
    const QPixmap& full = SkinPixmap(image->file);
    if (full.isNull()) return false;
    QRect source = full.rect();
    if (image->source) {
        const TRectUI& s = *image->source;
        source = QRect(s.left, s.top, s.Width(), s.Height()).intersected(full.rect());
    }
    QRect dest = target;
    if (image->dest) dest = ScaledRect(*image->dest, dpi).translated(target.topLeft());
    if (source.isEmpty() || dest.isEmpty()) return true;
    QPixmap picture = source == full.rect() ? full : full.copy(source);
    if (tintRgb) picture = TintedPicture(image->file, source, picture, *tintRgb);
    painter.save();
    painter.setOpacity(painter.opacity() * image->fade / 255.0 * std::clamp(alpha, 0, 255) / 255.0);
    const TRectUI& c = image->corner;
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        painter.drawPixmap(dest, picture);
    } else {
        painter.drawPixmap(dest.topLeft(),
                           StretchedPicture({text, tintRgb.value_or(kUntinted), dest.size(), dpi},
                                            picture, c));
    }
    painter.restore();
    return true;
}

}  // namespace tirk::ui
