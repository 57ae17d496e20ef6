#include "app/PictureListReader.h"

#include "app/StringConversion.h"
#include "framework/appbase/Buffer.h"

namespace Vesk
{

std::vector<PictureListEntry> PictureListReader::ReadObjects(Buffer& buffer)
{
    std::vector<PictureListEntry> entries;
    buffer.SeekFront();
    while (!buffer.AtEnd())
    {
        PictureListEntry entry;
        buffer.ReadLine();
        buffer.ReadLine();
        entry.fileName = buffer.ReadLine();
        buffer.ReadLine();
        StringToInt(buffer.ReadLine(), entry.x);
        StringToInt(buffer.ReadLine(), entry.y);
        if (!entry.fileName.empty())
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::pair<std::string, std::string>> PictureListReader::ReadDisplayNames(Buffer& buffer)
{
    std::vector<std::pair<std::string, std::string>> names;
    buffer.SeekFront();
    while (!buffer.AtEnd())
    {
        std::string fileName = buffer.ReadLine();
        std::string displayName = buffer.ReadLine();
        buffer.ReadLine();
        names.emplace_back(std::move(fileName), std::move(displayName));
    }
    return names;
}

} // namespace Vesk
