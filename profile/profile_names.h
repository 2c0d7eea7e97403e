// The rules for profile names: how two names compare, which names a user may
// give, and how new names are formed for added, copied and imported profiles.
// Names are UTF-8, as in the list file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tirk {

/// True when the two names are equal without regard to letter case. Case is
/// folded for the letters of the Latin (ASCII, Latin-1, Latin Extended-A),
/// Greek and Cyrillic scripts, so "Profil Ä" equals "profil ä" and "ИГРА"
/// equals "игра"; other characters compare as they are. Independent of the
/// process locale.
bool ProfileNamesEqual(std::string_view a, std::string_view b);

/// True when some name of `names` equals `name` (ProfileNamesEqual).
bool ProfileNameTaken(const std::vector<std::string>& names, std::string_view name);

/// `name` without white space (Unicode White_Space) at either end.
std::string TrimProfileName(std::string_view name);

/// Why a name cannot be used.
enum class ProfileNameProblem {
    kNone,
    /// Holds "&", or has the form "%[…]" that the UI layer would show as a
    /// language key instead of the name.
    kUnusableCharacter,
    /// Nothing left after trimming white space.
    kEmpty,
};

/// Checks a name a user gives (rename) or that a file name gives (import).
/// The character rule is checked first, then emptiness.
ProfileNameProblem CheckProfileName(std::string_view name);

/// Empty when `stem`, the name of a file offered for import, gives a usable
/// name for a `noun` ("profile", "macro"): UTF-8 and passing CheckProfileName.
/// Else why not, beginning "its name"; `shownStem` is the stem as the message
/// quotes it.
std::string ImportedNameProblem(std::string_view stem, const char* noun,
                                const std::string& shownStem);

/// "profile1", "profile2", …: the first that no name of `names` takes.
std::string AddedProfileName(const std::vector<std::string>& names);
/// "<source> copy", then "<source> copy copy", … until no name takes it.
std::string CopiedProfileName(const std::vector<std::string>& names, const std::string& source);
/// `base`, then "<base>(1)", "<base>(1)(2)", … until no name takes it.
std::string ImportedProfileName(const std::vector<std::string>& names, const std::string& base);

}  // namespace tirk
