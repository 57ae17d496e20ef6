#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Vesk
{

// An open file of the file layer: an archive entry or an ordinary file on disk.
struct PFILE;

// What a directory search reports for one match.
struct PFindData
{
    uint32_t attributes = 0; // 0x10 for a folder
    std::string fileName;    // the name after the last separator
    uint64_t size = 0;
    uint64_t creationTime = 0; // FILETIME: 100 ns steps since 1601-01-01
    uint64_t accessTime = 0;
    uint64_t writeTime = 0;
};

using PFindHandle = intptr_t;
constexpr PFindHandle kInvalidFindHandle = -1;

// Every file read of the game and the framework goes through these. They serve files from
// the registered archives ("main.pak") and fall back to the file system. Text mode and binary
// mode read the same bytes; p_fgetc and p_fgets skip carriage returns.
PFILE* p_fopen(const char* name, const char* mode);
int p_fclose(PFILE* file);
int p_fseek(PFILE* file, long offset, int origin);
long p_ftell(PFILE* file);
size_t p_fread(void* buffer, size_t elementSize, size_t count, PFILE* file);
int p_fgetc(PFILE* file);
int p_ungetc(int character, PFILE* file);
char* p_fgets(char* buffer, int length, PFILE* file);
int p_feof(PFILE* file);
PFindHandle p_FindFirstFile(const char* pattern, PFindData* findData);
bool p_FindNextFile(PFindHandle handle, PFindData* findData);
bool p_FindClose(PFindHandle handle);

// Registers an archive; false when it is missing, unreadable or not an archive.
[[nodiscard]] bool AddPakFile(const std::string& path);

} // namespace Vesk
