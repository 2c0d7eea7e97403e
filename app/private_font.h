// One font file of the installation's "Font" folder, made available to this
// process only for as long as the object lives.
#pragma once

#include <string>

namespace tirk {

class CPrivateFont {
public:
    /// `folder` is the installation folder; Load names files relative to it.
    explicit CPrivateFont(std::string folder);
    /// Releases the font.
    ~CPrivateFont();
    CPrivateFont(const CPrivateFont&) = delete;
    CPrivateFont& operator=(const CPrivateFont&) = delete;

    /// Loads `relative_name` (e.g. "Font/Simplified_Chinese.ttf") for this
    /// process. Returns false when the file cannot be read or is no font. Needs
    /// a QGuiApplication.
    bool Load(const std::string& relative_name);
    /// Removes the font again; harmless when nothing is loaded.
    void Release();

private:
    std::string folder_;
    int font_id_ = -1;
};

/// The four fonts of the "Font" folder, in load order.
inline constexpr const char* kPrivateFontFiles[] = {
    "Font/Simplified_Chinese.ttf",
    "Font/Kestrane-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

}  // namespace tirk
