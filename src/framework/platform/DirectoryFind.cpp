#include "framework/platform/DirectoryFind.h"

#include "framework/platform/DiskPath.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace Vesk::Platform
{

namespace
{

// Seconds from 1601-01-01 to 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ULL;

uint64_t ToFileTime(const timespec& time)
{
    if (time.tv_sec < 0)
        return 0;
    return (static_cast<uint64_t>(time.tv_sec) + kFileTimeEpochOffset) * 10000000ULL +
           static_cast<uint64_t>(time.tv_nsec) / 100;
}

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Match(const char* name, const char* pattern)
{
    // Iterative wildcard match with backtracking to the last '*'.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0')
    {
        if (*pattern == '*')
        {
            starPattern = ++pattern;
            starName = name;
        }
        else if (*pattern == '?' || (*pattern != '\0' && FoldCase(*pattern) == FoldCase(*name)))
        {
            ++pattern;
            ++name;
        }
        else if (starPattern != nullptr)
        {
            pattern = starPattern;
            name = ++starName;
        }
        else
            return false;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

bool DirectoryFind::MatchesWildcard(const std::string& name, const std::string& pattern)
{
    if (Match(name.c_str(), pattern.c_str()))
        return true;
    // "name.*" also finds "name", as the game's data tools expect.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
        return Match(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

bool DirectoryFind::First(const std::string& pattern)
{
    matches.clear();
    index = 0;

    std::string path = pattern;
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string namePattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (namePattern.empty())
        return false;

    std::string diskFolder = folder.empty() ? std::string() : ToDiskPath(folder);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(diskFolder.empty() ? "." : diskFolder.c_str()));
    if (!dir)
        return false;
    if (!diskFolder.empty() && diskFolder.back() != '/')
        diskFolder += '/';

    while (const dirent* entry = ::readdir(dir.get()))
    {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesWildcard(name, namePattern))
            continue;
        struct stat info = {};
        if (::stat((diskFolder + name).c_str(), &info) != 0)
            continue;
        FoundFile found;
        found.name = std::move(name);
        found.isFolder = S_ISDIR(info.st_mode);
        found.size = found.isFolder ? 0 : static_cast<uint64_t>(info.st_size);
        found.writeTime = ToFileTime(info.st_mtim);
        found.accessTime = ToFileTime(info.st_atim);
        // stat() keeps no creation time; the last modification stands in for it.
        found.creationTime = found.writeTime;
        matches.push_back(std::move(found));
    }
    std::sort(matches.begin(), matches.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return !matches.empty();
}

bool DirectoryFind::Next()
{
    if (index + 1 >= matches.size())
    {
        index = matches.empty() ? 0 : matches.size() - 1;
        return false;
    }
    ++index;
    return true;
}

} // namespace Vesk::Platform
