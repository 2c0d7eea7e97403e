#include "core/settings_store.h"

#include <cerrno>
#include <cstdlib>

#include "core/file_read.h"

namespace tirk {
namespace {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool IsComment(std::string_view trimmed) {
    return trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#';
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : m_path(std::move(path)) {}

std::string SettingsStore::PathFor(const char* xdg_config_home, const char* home) {
    std::string folder;
    if (xdg_config_home && xdg_config_home[0] == '/')
        folder = xdg_config_home;
    else if (home && home[0] == '/')
        folder = std::string(home) + "/.config";
    else
        return {};
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/TIRK/settings.ini";
}

std::string SettingsStore::DefaultPath() {
    return PathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

FileResult SettingsStore::Load() {
    m_lines.clear();
    m_exists = false;
    FileRead read = ReadFile(m_path);
    if (read.status == ReadStatus::kMissing) return {};
    if (!read) return {false, read.error};
    m_exists = true;
    std::string& content = read.content;
    // A BOM some editors add is not part of the first line.
    if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);
    std::string problem;
    Parse(content, &problem);
    if (!problem.empty()) return {false, m_path + ":" + problem};
    return {};
}

void SettingsStore::Parse(std::string_view content, std::string* first_problem) {
    std::string section;
    size_t number = 0;
    while (!content.empty()) {
        size_t end = content.find('\n');
        std::string_view raw = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        ++number;
        Line line{std::string(raw), section, {}, {}, false};
        std::string_view trimmed = Trim(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            section = std::string(Trim(trimmed.substr(1, trimmed.size() - 2)));
            line.section = section;
            line.header = true;
        } else if (size_t equals = trimmed.find('='); !IsComment(trimmed) &&
                                                      equals != std::string_view::npos &&
                                                      !Trim(trimmed.substr(0, equals)).empty()) {
            line.key = std::string(Trim(trimmed.substr(0, equals)));
            line.value = std::string(Trim(trimmed.substr(equals + 1)));
        } else if (!IsComment(trimmed) && first_problem->empty()) {
            *first_problem = std::to_string(number) + ": not a section, key=value or comment";
        }
        m_lines.push_back(std::move(line));
    }
}

int SettingsStore::FindKey(std::string_view key, std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].key == key && m_lines[i].section == section) return int(i);
    }
    return -1;
}

std::optional<std::string> SettingsStore::Get(std::string_view key,
                                              std::string_view section) const {
    int found = FindKey(key, section);
    if (found < 0) return std::nullopt;
    return m_lines[size_t(found)].value;
}

std::optional<long> SettingsStore::GetInt(std::string_view key, std::string_view section,
                                          bool* malformed) const {
    if (malformed) *malformed = false;
    std::optional<std::string> text = Get(key, section);
    if (!text) return std::nullopt;
    const char* begin = text->c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(begin, &end, 10);
    if (text->empty() || *end != '\0' || errno == ERANGE) {
        if (malformed) *malformed = true;
        return std::nullopt;
    }
    return value;
}

bool SettingsStore::Set(std::string_view key, std::string_view value, std::string_view section) {
    auto has_newline = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
    if (key.empty() || key.find('=') != key.npos || Trim(key) != key || has_newline(key) ||
        has_newline(value) || has_newline(section) || section.find(']') != section.npos)
        return false;
    Line line{std::string(key) + "=" + std::string(value), std::string(section), std::string(key),
              std::string(value), false};
    if (int found = FindKey(key, section); found >= 0) {
        m_lines[size_t(found)] = std::move(line);
        return true;
    }
    // After the section's last key (or its header), so that comments and
    // blank lines that follow it stay below; a new section goes to the end.
    int anchor = -1;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& other = m_lines[i];
        if (other.section == section && (!other.key.empty() || other.header)) anchor = int(i);
    }
    if (anchor < 0 && !section.empty()) {
        if (!m_lines.empty() && !Trim(m_lines.back().text).empty())
            m_lines.push_back({"", m_lines.back().section, {}, {}, false});
        m_lines.push_back({"[" + std::string(section) + "]", std::string(section), {}, {}, true});
        anchor = int(m_lines.size()) - 1;
    }
    m_lines.insert(m_lines.begin() + (anchor + 1), std::move(line));
    return true;
}

std::string SettingsStore::Text() const {
    std::string text;
    for (const Line& line : m_lines) text += line.text + "\n";
    return text;
}

FileResult SettingsStore::Save() const {
    if (m_path.empty())
        return {false, "settings: no configuration folder ($XDG_CONFIG_HOME, $HOME)"};
    return WriteFileAtomic(m_path, Text());
}

}  // namespace tirk
