#pragma once

#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// The pictures the content build renders from data/art/<group>/, each with the size the screens
// are laid out for: the one table the art tests and the real-data resource test check against.
class BuiltPictureSizes
{
public:
    struct Entry
    {
        const char* group; // the art folder: "desk", "game" or "ui"
        const char* path;  // below the built data folder, as the manifest names it plus ".png"
        int width;
        int height;
    };

    static const std::vector<Entry>& All();
    // The entries of one art group, in table order.
    static std::vector<Entry> Group(const std::string& group);
    // The entry of a path, or null.
    static const Entry* Find(const std::string& path);
};

} // namespace Vesk::TestSupport
