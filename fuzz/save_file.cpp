// Fuzzes the save file reader: any bytes read for any page count must give a progress that
// writes back to exactly pageCount x 181 + 11 bytes and reads back unchanged.
#include "app/SaveFile.h"
#include "framework/appbase/Buffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    int pageCount = data[0] % 129;
    Vesk::Buffer file(std::vector<uint8_t>(data + 1, data + size));
    Vesk::SaveData read = Vesk::SaveFile::Read(file, pageCount);
    if (read.pages.size() != static_cast<size_t>(pageCount))
        std::abort();

    Vesk::Buffer written = Vesk::SaveFile::Write(read);
    if (written.GetDataLen() !=
        static_cast<size_t>(pageCount) * Vesk::SaveFile::kPageBlockSize + Vesk::SaveFile::kTrailerSize)
        std::abort();
    Vesk::SaveData again = Vesk::SaveFile::Read(written, pageCount);
    for (size_t i = 0; i < read.pages.size(); ++i)
    {
        const Vesk::PageProgress& a = read.pages[i];
        const Vesk::PageProgress& b = again.pages[i];
        if (a.open != b.open || a.done != b.done || a.notePrepared != b.notePrepared || a.stamped != b.stamped ||
            a.openScenePlayed != b.openScenePlayed || a.listSlots != b.listSlots || a.itemFound != b.itemFound)
            std::abort();
    }
    if (read.flags.bonusesTaken != again.flags.bonusesTaken || read.flags.sceneOption != again.flags.sceneOption ||
        read.flags.firstPagePending != again.flags.firstPagePending)
        std::abort();
    return 0;
}
