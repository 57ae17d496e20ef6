// Placeholder until the archive layer lands: plain file-system access only.
#include "framework/resources/PakInterface.h"

#include <cstdio>

namespace Vesk
{

struct PFILE
{
    FILE* stream = nullptr;
};

PFILE* p_fopen(const char* name, const char* mode)
{
    FILE* stream = std::fopen(name, mode);
    if (stream == nullptr)
        return nullptr;
    return new PFILE{stream};
}

int p_fclose(PFILE* file)
{
    std::fclose(file->stream);
    delete file;
    return 0;
}

int p_fseek(PFILE* file, long offset, int origin)
{
    return std::fseek(file->stream, offset, origin);
}
long p_ftell(PFILE* file)
{
    return std::ftell(file->stream);
}
size_t p_fread(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    return std::fread(buffer, elementSize, count, file->stream);
}
int p_fgetc(PFILE* file)
{
    return std::fgetc(file->stream);
}
int p_ungetc(int character, PFILE* file)
{
    return std::ungetc(character, file->stream);
}
char* p_fgets(char* buffer, int length, PFILE* file)
{
    return std::fgets(buffer, length, file->stream);
}
int p_feof(PFILE* file)
{
    return std::feof(file->stream);
}
PFindHandle p_FindFirstFile(const char*, PFindData*)
{
    return kInvalidFindHandle;
}
bool p_FindNextFile(PFindHandle, PFindData*)
{
    return false;
}
bool p_FindClose(PFindHandle)
{
    return true;
}
bool AddPakFile(const std::string&)
{
    return false;
}

} // namespace Vesk
