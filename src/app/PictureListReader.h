#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Vesk
{

class Buffer;

// One hidden object as a page's picture.cfg lists it.
struct PictureListEntry
{
    std::string fileName;
    int x = 0;
    int y = 0;
};

// Reads the two small text formats of a hidden-object page: "picture.cfg" in the page's folder
// (six lines per object: two ignored, the file name, one ignored, x, y) and
// "images/local/page%d.lng" (three lines per object: the file name, its display name, one
// ignored). Both are read leniently: a malformed number reads as 0, a short last record as
// empty lines; nothing is ever read past the data.
class PictureListReader
{
public:
    // The objects in file order. A record without a file name (such as blank lines at the end
    // of the file) is skipped.
    static std::vector<PictureListEntry> ReadObjects(Buffer& buffer);
    // The (file name, display name) pairs in file order.
    static std::vector<std::pair<std::string, std::string>> ReadDisplayNames(Buffer& buffer);
};

} // namespace Vesk
