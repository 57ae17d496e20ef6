#pragma once

#include "app/ContentModel.h"

#include <array>
#include <string>
#include <vector>

namespace Vesk
{

class Buffer;

// The saved progress of one page.
struct PageProgress
{
    bool open = false;
    bool done = false;
    bool notePrepared = false;
    bool stamped = false;
    bool openScenePlayed = false;
    std::array<int, kListSlotCount> listSlots{};
    std::array<double, kMaxPictureItems> itemFound{}; // saved as found or not: 1.0 or 0.0
};

// The per-player flags kept after the pages (a new player starts with every flag set).
struct PlayerFlags
{
    bool tutorialPending = true;
    bool introPending = true;
    bool sceneOption = true;
    bool warningPending = true;
    int bonusesTaken = 0;
    bool spareFlag1 = true;
    bool spareFlag2 = true;
    bool firstPagePending = true;
};

// Everything a player's save.dat holds.
struct SaveData
{
    std::vector<PageProgress> pages;
    PlayerFlags flags;
};

// The player's progress file, "players/<escaped name>/save.dat" in the application-data folder:
// for each page of the publication a block of 181 bytes (open, done, notePrepared, stamped,
// openScenePlayed as one byte each, the 12 list slots as 32-bit little-endian integers, one
// found byte per hidden object), then 11 bytes of player flags. No header and no version: the
// number of pages comes from the configuration. Reading never goes past the data, whatever
// its length.
class SaveFile
{
public:
    static constexpr size_t kPageBlockSize = 181;
    static constexpr size_t kTrailerSize = 11;

    // The length of the file for pageCount pages: pageCount x 181 + 11.
    static size_t SizeFor(int pageCount);

    static Buffer Write(const SaveData& data);
    // Always gives pageCount pages. A file of whole page blocks and the flags, written for
    // this or another number of pages, gives the pages both have and the flags from its last
    // 11 bytes; pages it lacks read as zeros. Any other length (a cut file) is read in order,
    // the missing bytes as zeros.
    static SaveData Read(Buffer& buffer, int pageCount);

    // A player name made safe as a folder name: "_" becomes "__", and each of
    // \ / : * ? " ' , < > | @ ! # $ % ^ ~ & ( ) + ; . becomes "_" and a letter.
    static std::string EscapePlayerName(const std::string& name);
    // Where the player's progress lives, below the application-data folder (ending in "/").
    static std::string PathFor(const std::string& appDataFolder, const std::string& playerName);
};

} // namespace Vesk
