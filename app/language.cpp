#include "app/language.h"

#include <QFontDatabase>
#include <QString>
#include <cstdlib>

#include "core/log.h"
#include "ui/resource_manager.h"

namespace tirk {

bool IsFontFaceInstalled(const std::string& face) {
    return QFontDatabase::hasFamily(QString::fromStdString(face));
}

LanguageController::LanguageController(std::string config_path, std::string settings_path,
                                       Hooks hooks, FaceQuery installed)
    : m_configPath(std::move(config_path)),
      m_settingsPath(std::move(settings_path)),
      m_hooks(std::move(hooks)),
      m_installed(std::move(installed)),
      m_list(FallbackLanguageList()) {}

void LanguageController::ReloadList() {
    LanguageList list;
    std::string error;
    if (LoadLanguageList(m_configPath, &list, &error)) {
        m_list = std::move(list);
        return;
    }
    // Keep what was read before; the very first time that is the built-in
    // Simplified Chinese entry, so the window still gets texts.
    log::FileFault(m_configPath, error);
}

int LanguageController::ReadSavedLanguageIndex(std::string_view locale) {
    SettingsStore store(m_settingsPath);
    FileResult loaded = store.Load();
    SavedLanguage saved;
    if (!loaded) {
        log::FileFault(m_settingsPath, loaded.error);
        // A file that could not be read may hold a choice: not "nothing saved".
        if (!store.Exists()) saved.state = SavedLanguage::State::kUnreadable;
    }
    if (saved.state != SavedLanguage::State::kUnreadable) {
        bool malformed = false;
        if (std::optional<long> id =
                store.GetInt(kLanguageSetting, SettingsStore::kSection, &malformed)) {
            saved = {SavedLanguage::State::kValue, *id};
        } else if (malformed) {
            saved.state = SavedLanguage::State::kUnreadable;
            log::FileFault(m_settingsPath, "LANGUAGE is not a number");
        }
    }
    ReloadList();
    return ChooseStartupLanguage(m_list, saved, locale);
}

int LanguageController::ReadSavedLanguageIndex() {
    return ReadSavedLanguageIndex(
        MessagesLocale([](const char* name) { return std::getenv(name); }));
}

void LanguageController::ApplySaved() {
    Apply(ReadSavedLanguageIndex());
}

bool LanguageController::Apply(int index) {
    if (index == m_current) return false;
    ReloadList();
    if (index < 0 || index >= int(m_list.entries.size())) {
        log::Printf("language %d is not in %s", index, m_configPath.c_str());
        return false;
    }
    if (std::optional<std::string> face = ChooseFontFace(index, m_current)) SetFontFace(*face);
    m_current = index;
    const LanguageEntry& entry = m_list.entries[size_t(index)];
    m_languageName = entry.name;
    std::string error;
    // A broken language file keeps the previous texts; the choice still counts.
    if (!CResourceManager::GetInstance()->LoadLanguage(entry.file, &error))
        log::FileFault(entry.file, error);
    SaveLanguageId(entry.id);
    if (m_hooks.repaint) m_hooks.repaint();
    if (m_hooks.notifyWindows) m_hooks.notifyWindows(index);
    if (m_hooks.relayout) m_hooks.relayout();
    return true;
}

void LanguageController::SetFontFace(const std::string& face) {
    m_fontFace = ResolveFontFace(face, m_list.fontFallback, m_installed);
    log::Printf("font %s -> %s", face.c_str(), m_fontFace.c_str());
    CResourceManager* resources = CResourceManager::GetInstance();
    CFontBatchUI batch;  // the windows re-measure once, not once per font
    resources->RemoveAllFonts();
    for (const FontTableEntry& font : LanguageFontTable())
        resources->AddFont(font.id, m_fontFace, font.size, font.bold, font.underline, false);
    resources->SetDefaultFont(m_fontFace, kDefaultFontSize, false, false, false);
}

void LanguageController::SaveLanguageId(int id) {
    SettingsStore store(m_settingsPath);
    FileResult loaded = store.Load();
    if (!loaded && !store.Exists()) {
        // Never replace a file whose content could not be read.
        log::FileFault(m_settingsPath, loaded.error + " (the language is not saved)");
        return;
    }
    // Every start applies the saved language; writing the same value again
    // would cost a synced write (tens of milliseconds) for nothing.
    if (store.Get(kLanguageSetting) == std::to_string(id)) return;
    store.Set(kLanguageSetting, std::to_string(id));
    FileResult saved = store.Save();
    if (saved)
        log::Line("写成功！");
    else
        log::FileFault(m_settingsPath, saved.error);
}

}  // namespace tirk
