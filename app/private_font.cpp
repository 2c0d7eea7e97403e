#include "app/private_font.h"

#include <QFontDatabase>
#include <QString>

#include "core/log.h"

namespace tirk {

CPrivateFont::CPrivateFont(std::string folder) : folder_(std::move(folder)) {}

CPrivateFont::~CPrivateFont() {
    Release();
}

bool CPrivateFont::Load(const std::string& relative_name) {
    Release();
    const std::string path = folder_ + "/" + relative_name;
    font_id_ = QFontDatabase::addApplicationFont(QString::fromStdString(path));
    if (font_id_ < 0) log::Printf("font not loaded: %s", path.c_str());
    return font_id_ >= 0;
}

void CPrivateFont::Release() {
    if (font_id_ >= 0) QFontDatabase::removeApplicationFont(font_id_);
    font_id_ = -1;
}

}  // namespace tirk
