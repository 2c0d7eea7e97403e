// Applying a language to the running program: the UI font for the language,
// the texts of its language file, the saved choice, and telling the windows.
// The rules themselves (which font, which start-up language) are Qt-free, in
// app/language_list.h.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/language_list.h"
#include "core/settings_store.h"

namespace tirk {

/// A secondary window that redraws itself when the language changes.
class ILanguageReceiver {
public:
    virtual ~ILanguageReceiver() = default;
    /// The language `index` has just been applied.
    virtual void OnLanguageChanged(int index) = 0;
};

/// true when the system or the program's own font files provide `face`.
bool IsFontFaceInstalled(const std::string& face);

/// The settings key of the saved language.
inline constexpr char kLanguageSetting[] = "LANGUAGE";

class LanguageController {
public:
    /// What the main window does after a language was applied.
    struct Hooks {
        std::function<void()> repaint;                 ///< repaint the main window
        std::function<void(int index)> notifyWindows;  ///< tell the open secondary windows
        std::function<void()> relayout;                ///< lay the main window's root out again
    };
    using FaceQuery = std::function<bool(const std::string&)>;

    /// `config_path`: Language.config; `settings_path`: the settings file
    /// (SettingsStore::DefaultPath() in the program); `installed` answers
    /// whether a font face exists (IsFontFaceInstalled in the program).
    LanguageController(std::string config_path, std::string settings_path, Hooks hooks,
                       FaceQuery installed = IsFontFaceInstalled);

    /// The language list as last read (the fallback list when it could not
    /// be read; reading it again happens on every apply).
    const LanguageList& GetList() const { return m_list; }
    /// The applied index, kNoLanguage before the first Apply.
    int GetCurrentIndex() const { return m_current; }
    /// "Language_name" of the applied language ("" before).
    const std::string& GetLanguageName() const { return m_languageName; }
    /// The face the font table uses now, after fallback ("" before any).
    const std::string& GetFontFace() const { return m_fontFace; }

    /// The index to start with: the saved language's index (0 when it is
    /// unknown or unreadable); with nothing saved, the entry for `locale`
    /// (see ChooseStartupLanguage), else 0. Problems are logged with the
    /// file's name.
    int ReadSavedLanguageIndex(std::string_view locale);
    /// The same with the locale of this process's environment.
    int ReadSavedLanguageIndex();

    /// Applies language `index`. Nothing happens (false) when it is the
    /// current one or not in the list. Otherwise: the font rule, the index
    /// becomes current, the language file is loaded and every keyed text
    /// reloaded, the choice is saved ("写成功！" in the log), then the hooks
    /// run: repaint, notifyWindows(index), relayout. Returns true.
    bool Apply(int index);
    /// Apply(ReadSavedLanguageIndex()).
    void ApplySaved();

private:
    void ReloadList();
    void SetFontFace(const std::string& face);
    void SaveLanguageId(int id);

    std::string m_configPath;
    std::string m_settingsPath;
    Hooks m_hooks;
    FaceQuery m_installed;
    LanguageList m_list;
    int m_current = kNoLanguage;
    std::string m_languageName;
    std::string m_fontFace;
};

}  // namespace tirk
