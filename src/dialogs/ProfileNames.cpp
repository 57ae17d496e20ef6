#include "dialogs/ProfileNames.h"

#include "app/SaveFile.h"

#include <filesystem>
#include <system_error>

namespace Vesk::Profile
{

std::string ProfileNames::CleanName(const std::string& typed, int longestName)
{
    const char* blanks = " \t\r\n";
    size_t first = typed.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = typed.find_last_not_of(blanks);
    std::string name = typed.substr(first, last - first + 1);
    if (longestName > 0 && name.size() > size_t(longestName))
    {
        name.resize(size_t(longestName));
        name.erase(name.find_last_not_of(blanks) + 1);
    }
    return name;
}

bool ProfileNames::IsAcceptable(const std::string& name)
{
    return !name.empty() && name.find('|') == std::string::npos;
}

std::vector<std::string> ProfileNames::Parse(const std::string& list)
{
    std::vector<std::string> names;
    std::string field;
    bool indexRead = false;
    for (char c : list)
    {
        if (c != '|')
        {
            field += c;
            continue;
        }
        if (indexRead && !field.empty())
            names.push_back(field);
        indexRead = true;
        field.clear();
    }
    return names;
}

std::string ProfileNames::Format(int index, const std::vector<std::string>& names)
{
    std::string list = std::to_string(index) + "|";
    for (const std::string& name : names)
        list += name + "|";
    return list;
}

bool ProfileNames::Fits(const std::vector<std::string>& names)
{
    // The longest index the list can carry is its last line's.
    return Format(int(names.size()), names).size() <= kLongestList;
}

bool ProfileNames::DeletePlayerFolder(const std::string& appDataFolder, const std::string& name,
                                      const std::vector<std::string>& otherPlayers)
{
    const std::string escaped = SaveFile::EscapePlayerName(name);
    if (escaped.empty())
        return false;
    for (const std::string& other : otherPlayers)
    {
        if (SaveFile::EscapePlayerName(other) == escaped)
            return false;
    }
    const std::filesystem::path folder = std::filesystem::path(SaveFile::PathFor(appDataFolder, name)).parent_path();
    if (folder.filename() != escaped)
        return false;
    std::error_code error;
    const auto status = std::filesystem::symlink_status(folder, error);
    if (error || !std::filesystem::exists(status))
        return false;
    // remove_all takes links away as links; a linked folder loses only its link.
    if (std::filesystem::is_symlink(status))
        return std::filesystem::remove(folder, error);
    return std::filesystem::remove_all(folder, error) > 0 && !error;
}

} // namespace Vesk::Profile
