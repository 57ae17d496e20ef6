#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vesk::Platform
{

// One file or folder found by a DirectoryFind. Times are Windows FILETIME values (100 ns
// steps since 1601-01-01), the unit the game's file layer reports.
struct FoundFile
{
    std::string name; // without its folder
    bool isFolder = false;
    uint64_t size = 0;
    uint64_t creationTime = 0;
    uint64_t accessTime = 0;
    uint64_t writeTime = 0;
};

// The system's directory search for the file layer: the files of one folder whose names match
// a pattern with the wildcards '*' and '?', compared without case ("images\*.png"). The folder
// part of the pattern may use either separator and any case. Matches come in name order;
// "." and ".." are never reported. A trailing ".*" also matches names without an extension.
class DirectoryFind
{
public:
    // Starts a search; false when the folder does not exist or nothing matches.
    [[nodiscard]] bool First(const std::string& pattern);
    // Moves to the next match; false when there is none.
    [[nodiscard]] bool Next();
    const FoundFile& Current() const { return matches[index]; }

    static bool MatchesWildcard(const std::string& name, const std::string& pattern);

private:
    std::vector<FoundFile> matches;
    size_t index = 0;
};

} // namespace Vesk::Platform
