// Fuzzes archive registration: arbitrary bytes are written to a file, added as an archive to a
// fresh file layer, and every file it lists is opened, read, seeked and read by line.
#include "framework/resources/PakDirectory.h"
#include "framework/resources/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

std::string TemporaryFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/orlo-fuzz-pak-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        std::abort();
    ::close(fd);
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = TemporaryFile();

    // The directory reader on its own, straight from memory.
    Vesk::PakDirectory directory;
    bool readable = directory.Read(data, size);
    for (const Vesk::PakDirectoryEntry& entry : directory.GetEntries())
    {
        if (entry.start + entry.size > size)
            std::abort();
    }

    // And the whole registration through a file, as the game does it.
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    Vesk::PakInterface pak;
    Vesk::PakInterface* previous = Vesk::PakInterface::SetInstance(&pak);
    bool added = pak.AddPakFile(path);
    if (added != readable)
        std::abort();
    if (added)
    {
        std::vector<uint8_t> buffer(4096);
        char line[64];
        for (const Vesk::PakDirectoryEntry& entry : directory.GetEntries())
        {
            Vesk::PFILE* entryFile = Vesk::p_fopen(entry.name.c_str(), "rb");
            if (entryFile == nullptr)
                continue; // a later entry of the same name, or a name that is not a file name
            while (Vesk::p_fread(buffer.data(), 1, buffer.size(), entryFile) > 0)
            {
            }
            Vesk::p_fseek(entryFile, -3, SEEK_END);
            while (Vesk::p_fgets(line, sizeof(line), entryFile) != nullptr)
            {
            }
            Vesk::p_fseek(entryFile, 0, SEEK_SET);
            while (Vesk::p_fgetc(entryFile) != -1)
            {
            }
            Vesk::p_fclose(entryFile);
        }
        Vesk::PFindData found;
        Vesk::PFindHandle handle = Vesk::p_FindFirstFile("*", &found);
        // Only the archive's own names: the disk search of "*" would list the working folder.
        for (size_t i = 0; handle != Vesk::kInvalidFindHandle && i < directory.GetEntries().size(); ++i)
        {
            if (!Vesk::p_FindNextFile(handle, &found))
                break;
        }
        if (handle != Vesk::kInvalidFindHandle)
            Vesk::p_FindClose(handle);
    }
    Vesk::PakInterface::SetInstance(previous);
    return 0;
}
