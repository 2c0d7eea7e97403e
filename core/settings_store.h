// The program's own settings (the saved language, and whatever else a user
// choice must survive a restart): one INI file in the user's configuration
// folder, $XDG_CONFIG_HOME/TIRK/settings.ini, else ~/.config/TIRK/settings.ini.
//
// The file is edited, not regenerated: a Save keeps comments, unknown keys and
// lines this version cannot read exactly as they were, so a hand edit or a
// newer version's setting never gets lost. Writes are atomic.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"

namespace tirk {

class SettingsStore {
public:
    /// The section of the program's own values.
    static constexpr char kSection[] = "TIRK";

    /// A store for the file at `path`; nothing is read until Load.
    explicit SettingsStore(std::string path);

    /// `config_home` + "/TIRK/settings.ini"; `config_home` is $XDG_CONFIG_HOME
    /// when set and absolute, else `home` + "/.config". Empty when neither
    /// gives an absolute folder.
    static std::string PathFor(const char* xdg_config_home, const char* home);
    /// PathFor the environment of this process.
    static std::string DefaultPath();

    const std::string& GetPath() const { return m_path; }

    /// Reads the file. A missing file is no error: the store is empty and
    /// `Exists()` false. An unreadable file leaves the store empty and returns
    /// the error. Lines that are neither blank, comment, "[section]" nor
    /// "key=value" are kept for Save but not used; the first of them is
    /// reported ("<path>:<line>: <problem>") while the readable values still
    /// count.
    FileResult Load();
    /// true when the last Load found the file.
    bool Exists() const { return m_exists; }

    /// The value of `key` in `section` (keys and sections compare exactly;
    /// blanks around them and the value are ignored). nullopt when missing.
    std::optional<std::string> Get(std::string_view key, std::string_view section = kSection) const;
    /// The value as a decimal integer. nullopt when missing; when present but
    /// not an integer, nullopt and `*malformed` (if given) is set true.
    std::optional<long> GetInt(std::string_view key, std::string_view section = kSection,
                               bool* malformed = nullptr) const;

    /// Sets `key` in `section` (replacing its first occurrence, else adding it
    /// at the end of the section, else adding the section at the end).
    /// Refused (false, unchanged): an empty key, a key with '=' or outer
    /// blanks, a section with ']', a newline anywhere.
    bool Set(std::string_view key, std::string_view value, std::string_view section = kSection);

    /// Writes the whole file atomically (creating the folder). On failure the
    /// old file is untouched and the error names the file.
    FileResult Save() const;

    /// The file's text as Save would write it.
    std::string Text() const;

private:
    struct Line {
        std::string text;     // as read (or as written by Set)
        std::string section;  // the section the line belongs to
        std::string key;      // empty: not a key line
        std::string value;
        bool header = false;  // a "[section]" line
    };
    void Parse(std::string_view content, std::string* first_problem);
    int FindKey(std::string_view key, std::string_view section) const;

    std::string m_path;
    std::vector<Line> m_lines;
    bool m_exists = false;
};

}  // namespace tirk
