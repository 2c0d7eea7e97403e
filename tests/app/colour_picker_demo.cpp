// Shows the colour picker on the program's own skin, as the lighting page
// opens it, and prints what it returned. For looking at the window (the
// screenshots of docs/skin-and-colours.md are taken with it):
//   tirk_colour_picker_demo [language file, default lan_en.xml]
#include <QApplication>
#include <cstdio>

#include "app/language_list.h"
#include "ui/colour_picker.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
    CResourceManager* resources = CResourceManager::GetInstance();
    for (const tirk::FontTableEntry& font : tirk::LanguageFontTable())
        resources->AddFont(font.id, "Noto Sans", font.size, font.bold, font.underline, false);
    resources->SetDefaultFont("Noto Sans", tirk::kDefaultFontSize, false, false, false);
    std::string error;
    if (!resources->LoadLanguage(argc > 1 ? argv[1] : "lan_en.xml", &error))
        std::fprintf(stderr, "%s\n", error.c_str());
    uint32_t colour = 0;
    bool seven = false;
    const int code = ShowColourPicker(nullptr, 0xFFE8343E, true, &colour, &seven);
    std::printf("code %d colour %08X seven %d\n", code, static_cast<unsigned>(colour), seven);
    return 0;
}
