#pragma once

#include <string>
#include <vector>

namespace Vesk::Profile
{

// The rules for player names and for the stored player list ("AllPlayers": the chosen index,
// "|", then each name followed by "|"), kept apart from the dialogs so that they can be checked
// on their own. Every player's progress lives in a folder named after the player, so these rules
// are what keeps one player's data safe from another's name.
class ProfileNames
{
public:
    // The longest "AllPlayers" value the settings read back; a longer one reads back empty.
    static constexpr size_t kLongestList = 1023;

    // A name as typed, made fit to keep: blanks trimmed at both ends, cut to longestName
    // characters (no cut when longestName is not positive).
    static std::string CleanName(const std::string& typed, int longestName);
    // Whether a cleaned name may become a player: not empty and without the list's separator.
    static bool IsAcceptable(const std::string& name);

    // The names of a stored list in order, the leading index dropped. Empty fields and a last
    // field without its "|" are skipped.
    static std::vector<std::string> Parse(const std::string& list);
    // The stored form: "index|name|name|".
    static std::string Format(int index, const std::vector<std::string>& names);
    // Whether the list, with any chosen index, still fits the settings.
    static bool Fits(const std::vector<std::string>& names);

    // Deletes the folder that holds the player's progress below appDataFolder ("players/" and
    // the escaped name, as the save is written) with everything in it, and nothing else: no
    // folder for a name that escapes to nothing or to the folder of one of otherPlayers, and
    // links are removed as links, never followed. Failures are ignored; true when something
    // was removed.
    static bool DeletePlayerFolder(const std::string& appDataFolder, const std::string& name,
                                   const std::vector<std::string>& otherPlayers);
};

} // namespace Vesk::Profile
