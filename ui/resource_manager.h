// Application-wide resources: language texts by key, fonts by numeric id and
// private font files.
#pragma once

#include <map>
#include <set>
#include <string>

class CControlUI;

/// Optional fallback for texts the language file does not have.
class IQueryControlTextUI {
public:
    virtual ~IQueryControlTextUI() = default;
    /// The text for `key`, or an empty string for "unknown".
    virtual std::string QueryControlText(const std::string& key) = 0;
};

/// A font as registered: face name, pixel size at 96 DPI and style.
struct TFontInfoUI {
    std::string face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class CResourceManager {
public:
    static CResourceManager* GetInstance();

    // --- language ------------------------------------------------------------
    /// Loads a language file (relative to the resource path unless absolute;
    /// format in docs/layout-grammar.md) and, on success, reloads the text of
    /// every keyed control (every window, also controls not in a window).
    /// On failure returns false, keeps the previous texts and, when `error`
    /// is given, sets it to "<file>[:<line>]: <problem>".
    bool LoadLanguage(const std::string& file, std::string* error = nullptr);
    /// The file of the last successful LoadLanguage ("" before).
    const std::string& GetLanguageFile() const { return m_languageFile; }
    /// The text for `key`: the language file's, else the query interface's,
    /// else the key itself.
    std::string GetText(const std::string& key) const;
    /// true when the current language file has `key`.
    bool HasText(const std::string& key) const;
    /// Sets the fallback (not owned; nullptr removes it).
    void SetTextQueryInterface(IQueryControlTextUI* query) { m_query = query; }
    /// Reloads the text of every keyed control.
    void ReloadText();

    // --- fonts -----------------------------------------------------------------
    /// Forgets every font id (the default font stays).
    void RemoveAllFonts();
    /// Registers font `id` (>= 0); replaces an existing one. `size` is the
    /// pixel height at 96 DPI (> 0). Returns false for a bad id or size.
    bool AddFont(int id, const std::string& face, int size, bool bold, bool underline, bool italic);
    /// The font used for id -1 and unknown ids.
    void SetDefaultFont(const std::string& face, int size, bool bold, bool underline, bool italic);
    /// The font for `id` (the default font when id is unknown).
    const TFontInfoUI& GetFont(int id) const;
    bool HasFont(int id) const { return m_fonts.count(id) != 0; }
    /// While a batch is open, font changes are collected and the windows
    /// re-measure their controls once, when the outermost batch closes (a
    /// font table of a dozen entries would otherwise re-measure every control
    /// a dozen times). Prefer CFontBatchUI.
    void BeginFontBatch();
    void EndFontBatch();
    /// Registers a font file with the application (e.g. the program's
    /// private fonts). Returns false when the file is missing or not a font.
    bool AddFontFile(const std::string& path);

    /// Clears texts, fonts and registered font files (at shutdown).
    void Release();

    // --- internal: keyed controls ---------------------------------------------
    void RegisterKeyedControl(CControlUI* control);
    void UnregisterKeyedControl(CControlUI* control);

private:
    CResourceManager();
    void NotifyFontsChanged();

    std::map<std::string, std::string> m_texts;
    std::string m_languageFile;
    IQueryControlTextUI* m_query = nullptr;
    std::map<int, TFontInfoUI> m_fonts;
    int m_fontBatchDepth = 0;
    bool m_fontsChangedInBatch = false;
    TFontInfoUI m_defaultFont;
    std::set<int> m_fontFileIds;
    std::set<CControlUI*> m_keyed;
};

/// Opens a font batch of the resource manager for its lifetime.
class CFontBatchUI {
public:
    CFontBatchUI() { CResourceManager::GetInstance()->BeginFontBatch(); }
    ~CFontBatchUI() { CResourceManager::GetInstance()->EndFontBatch(); }
    CFontBatchUI(const CFontBatchUI&) = delete;
    CFontBatchUI& operator=(const CFontBatchUI&) = delete;
};
