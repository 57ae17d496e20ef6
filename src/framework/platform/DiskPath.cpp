#include "framework/platform/DiskPath.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace Vesk::Platform
{

namespace
{

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Exists(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry of `folder` whose name equals `component` without case; the smallest such name
// when several differ only in case, so the choice does not depend on the folder's order.
bool FindIgnoringCase(const std::string& folder, const std::string& component, std::string& found)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return false;
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir.get()))
    {
        std::string name = entry->d_name;
        if (name != "." && name != ".." && EqualsIgnoringCase(name, component))
            matches.push_back(std::move(name));
    }
    if (matches.empty())
        return false;
    found = *std::min_element(matches.begin(), matches.end());
    return true;
}

} // namespace

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

std::string ToDiskPath(const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path))
        return path;

    // Walk the components, resolving each against the folder found so far.
    std::string resolved;
    size_t position = 0;
    if (path[0] == '/')
    {
        resolved = "/";
        position = 1;
    }
    bool resolving = true;
    while (position <= path.size())
    {
        size_t end = path.find('/', position);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(position, end - position);
        std::string folder = resolved;
        if (!resolved.empty() && resolved.back() != '/')
            resolved += '/';
        if (resolving && !component.empty() && component != "." && component != "..")
        {
            std::string candidate = resolved + component;
            std::string found;
            if (Exists(candidate))
                resolved = std::move(candidate);
            else if (FindIgnoringCase(folder, component, found))
                resolved += found;
            else
            {
                // Nothing further down can exist; keep the rest as written.
                resolved = std::move(candidate);
                resolving = false;
            }
        }
        else
            resolved += component;
        if (end == path.size())
            break;
        position = end + 1;
    }
    return resolved;
}

} // namespace Vesk::Platform
