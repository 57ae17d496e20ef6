#include "app/SaveFile.h"

#include "framework/appbase/Buffer.h"

#include <string_view>
#include <vector>

namespace Vesk
{

Buffer SaveFile::Write(const SaveData& data)
{
    Buffer buffer;
    for (const PageProgress& page : data.pages)
    {
        buffer.WriteBoolean(page.open);
        buffer.WriteBoolean(page.done);
        buffer.WriteBoolean(page.notePrepared);
        buffer.WriteBoolean(page.stamped);
        buffer.WriteBoolean(page.openScenePlayed);
        for (int slot : page.listSlots)
            buffer.WriteLong(static_cast<uint32_t>(slot));
        for (double found : page.itemFound)
            buffer.WriteByte(found > 0.0 ? 1 : 0);
    }
    const PlayerFlags& flags = data.flags;
    buffer.WriteBoolean(flags.tutorialPending);
    buffer.WriteBoolean(flags.introPending);
    buffer.WriteBoolean(flags.sceneOption);
    buffer.WriteBoolean(flags.warningPending);
    buffer.WriteLong(static_cast<uint32_t>(flags.bonusesTaken));
    buffer.WriteBoolean(flags.spareFlag1);
    buffer.WriteBoolean(flags.spareFlag2);
    buffer.WriteBoolean(flags.firstPagePending);
    return buffer;
}

namespace
{

void ReadPage(Buffer& buffer, PageProgress& page)
{
    page.open = buffer.ReadBoolean();
    page.done = buffer.ReadBoolean();
    page.notePrepared = buffer.ReadBoolean();
    page.stamped = buffer.ReadBoolean();
    page.openScenePlayed = buffer.ReadBoolean();
    for (int& slot : page.listSlots)
        slot = static_cast<int>(buffer.ReadLong());
    for (double& found : page.itemFound)
        found = buffer.ReadByte() != 0 ? 1.0 : 0.0;
}

void ReadFlags(Buffer& buffer, PlayerFlags& flags)
{
    flags.tutorialPending = buffer.ReadBoolean();
    flags.introPending = buffer.ReadBoolean();
    flags.sceneOption = buffer.ReadBoolean();
    flags.warningPending = buffer.ReadBoolean();
    flags.bonusesTaken = static_cast<int>(buffer.ReadLong());
    flags.spareFlag1 = buffer.ReadBoolean();
    flags.spareFlag2 = buffer.ReadBoolean();
    flags.firstPagePending = buffer.ReadBoolean();
}

} // namespace

size_t SaveFile::SizeFor(int pageCount)
{
    return static_cast<size_t>(pageCount > 0 ? pageCount : 0) * kPageBlockSize + kTrailerSize;
}

SaveData SaveFile::Read(Buffer& buffer, int pageCount)
{
    SaveData data;
    data.pages.resize(static_cast<size_t>(pageCount > 0 ? pageCount : 0));
    const std::vector<uint8_t>& bytes = buffer.GetData();
    bool wholeBlocks = bytes.size() >= kTrailerSize && (bytes.size() - kTrailerSize) % kPageBlockSize == 0;
    size_t pagesInFile = wholeBlocks ? (bytes.size() - kTrailerSize) / kPageBlockSize : data.pages.size();

    buffer.SeekFront();
    for (size_t i = 0; i < data.pages.size() && i < pagesInFile; ++i)
        ReadPage(buffer, data.pages[i]);
    if (wholeBlocks)
    {
        Buffer trailer(std::vector<uint8_t>(bytes.end() - kTrailerSize, bytes.end()));
        ReadFlags(trailer, data.flags);
    }
    else
        ReadFlags(buffer, data.flags);
    return data;
}

std::string SaveFile::EscapePlayerName(const std::string& name)
{
    // The characters a folder name cannot safely hold, and the letter each becomes after "_".
    static constexpr std::string_view kEscaped = "_\\/:*?\"',<>|@!#$%^~&()+;.";
    static constexpr std::string_view kCodes = "_sbcmqwvylgiaoruphtnjkxzf";
    static_assert(kEscaped.size() == kCodes.size());

    std::string escaped;
    escaped.reserve(name.size() * 2);
    for (char c : name)
    {
        size_t found = kEscaped.find(c);
        if (found == std::string_view::npos)
            escaped += c;
        else
        {
            escaped += '_';
            escaped += kCodes[found];
        }
    }
    return escaped;
}

std::string SaveFile::PathFor(const std::string& appDataFolder, const std::string& playerName)
{
    return appDataFolder + "players/" + EscapePlayerName(playerName) + "/save.dat";
}

} // namespace Vesk
