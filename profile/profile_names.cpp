#include "profile/profile_names.h"

#include <algorithm>

#include "profile/utf8.h"

namespace tirk {
namespace {

bool Between(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

/// Latin Extended-A pairs an upper-case letter with the lower-case one that
/// follows it; which of the two is upper case depends on the block's part.
char32_t FoldLatinExtendedA(char32_t c) {
    if (Between(c, 0x0100, 0x012F) || Between(c, 0x0132, 0x0137) || Between(c, 0x014A, 0x0177))
        return c % 2 == 0 ? c + 1 : c;
    if (Between(c, 0x0139, 0x0148) || Between(c, 0x0179, 0x017E)) return c % 2 == 1 ? c + 1 : c;
    if (c == 0x0178) return 0x00FF;  // Ÿ
    return c;
}

/// The lower-case form of a letter of the scripts the program's languages use;
/// every other character unchanged. Deliberately not locale-driven: the result
/// must be the same for every user, because it decides which names collide.
char32_t FoldCase(char32_t c) {
    if (Between(c, 'A', 'Z')) return c + 0x20;
    if (c < 0x80) return c;
    if (Between(c, 0x00C0, 0x00DE) && c != 0x00D7) return c + 0x20;  // À … Þ without ×
    if (Between(c, 0x0100, 0x017F)) return FoldLatinExtendedA(c);
    if (Between(c, 0x0391, 0x03A9) && c != 0x03A2) return c + 0x20;  // Α … Ω
    if (Between(c, 0x0400, 0x040F)) return c + 0x50;                 // Ѐ … Џ
    if (Between(c, 0x0410, 0x042F)) return c + 0x20;                 // А … Я
    return c;
}

bool IsWhiteSpace(wchar_t c) {
    const auto u = static_cast<char32_t>(c);
    return Between(u, 0x09, 0x0D) || u == 0x20 || u == 0x85 || u == 0xA0 || u == 0x1680 ||
           Between(u, 0x2000, 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F ||
           u == 0x3000;
}

std::wstring Folded(std::string_view name) {
    std::wstring wide = Utf8ToWide(name);
    for (wchar_t& c : wide) c = static_cast<wchar_t>(FoldCase(static_cast<char32_t>(c)));
    return wide;
}

bool LooksLikeTextKey(std::string_view name) {
    return name.size() >= 3 && name.substr(0, 2) == "%[" && name.back() == ']';
}

}  // namespace

bool ProfileNamesEqual(std::string_view a, std::string_view b) {
    return Folded(a) == Folded(b);
}

bool ProfileNameTaken(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::string& other) { return ProfileNamesEqual(other, name); });
}

std::string TrimProfileName(std::string_view name) {
    std::wstring wide = Utf8ToWide(name);
    size_t first = 0;
    size_t last = wide.size();
    while (first < last && IsWhiteSpace(wide[first])) ++first;
    while (last > first && IsWhiteSpace(wide[last - 1])) --last;
    return WideToUtf8(std::wstring_view(wide).substr(first, last - first));
}

ProfileNameProblem CheckProfileName(std::string_view name) {
    if (name.find('&') != std::string_view::npos) return ProfileNameProblem::kUnusableCharacter;
    const std::string trimmed = TrimProfileName(name);
    if (trimmed.empty()) return ProfileNameProblem::kEmpty;
    if (LooksLikeTextKey(trimmed)) return ProfileNameProblem::kUnusableCharacter;
    return ProfileNameProblem::kNone;
}

std::string ImportedNameProblem(std::string_view stem, const char* noun,
                                const std::string& shownStem) {
    if (!IsUtf8(stem)) return "its name is not UTF-8 text";
    switch (CheckProfileName(stem)) {
        case ProfileNameProblem::kEmpty:
            return std::string("its name gives no ") + noun + " name";
        case ProfileNameProblem::kUnusableCharacter:
            return "its name " + shownStem + " holds \"&\" or has the form %[…], which a " + noun +
                   " name cannot";
        case ProfileNameProblem::kNone:
            break;
    }
    return {};
}

std::string AddedProfileName(const std::vector<std::string>& names) {
    for (int n = 1;; ++n) {
        std::string candidate = "profile" + std::to_string(n);
        if (!ProfileNameTaken(names, candidate)) return candidate;
    }
}

std::string CopiedProfileName(const std::vector<std::string>& names, const std::string& source) {
    std::string candidate = source + " copy";
    while (ProfileNameTaken(names, candidate)) candidate += " copy";
    return candidate;
}

std::string ImportedProfileName(const std::vector<std::string>& names, const std::string& base) {
    std::string candidate = base;
    for (int k = 1; ProfileNameTaken(names, candidate); ++k)
        candidate += "(" + std::to_string(k) + ")";
    return candidate;
}

}  // namespace tirk
