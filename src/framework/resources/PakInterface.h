#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

// The file layer every data read of the game goes through. It serves files from the
// registered archives ("main.pak") and falls back to the file system for anything they do not
// hold. Names are looked up without case and with either separator ("Images\cover.png" and
// "images//COVER.PNG" are the same entry); on disk, names that do not exist as written are
// also found without case.
//
// One instance serves the whole process (Get); it is created before main and lives until the
// process ends, and archives once added stay mapped. Tests make their own instance and install
// it with SetInstance. Archives are added by the main thread before the loading thread starts;
// afterwards the map is only read, so no lock is taken. Each open file belongs to one thread.
//
// Text and binary modes read the same bytes. FGetC and FGetS skip carriage returns (for
// archive entries and ordinary files alike, so loose and packed data read the same); FRead
// returns every byte.
class PakInterface
{
public:
    PakInterface();
    virtual ~PakInterface();
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // The process's file layer; null only when none is installed.
    static PakInterface* Get();
    // Installs the process's file layer and returns the one it replaces. With null installed
    // the p_ functions go straight to the file system.
    static PakInterface* SetInstance(PakInterface* instance);

    // Maps an archive and adds its files; false (nothing added) when the file is missing,
    // not an archive or damaged (see PakDirectory). A name already known from this or an
    // earlier archive now opens the newer entry.
    [[nodiscard]] bool AddPakFile(const std::string& path);

    // Modes "r", "rb" and "rt" (any case) look in the archives first; every other mode, and
    // any name the archives lack, opens the file on disk. Null when that fails.
    virtual PFILE* FOpen(const char* name, const char* mode);
    virtual int FClose(PFILE* file);
    // Origin 0 (start), 1 (current) or 2 (end); archive positions are clamped to the entry.
    virtual int FSeek(PFILE* file, long offset, int origin);
    virtual long FTell(PFILE* file);
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PFILE* file);
    // The next byte, skipping carriage returns; -1 at the end.
    virtual int FGetC(PFILE* file);
    // Steps back one byte (archive entries do not store the character).
    virtual int UnGetC(int character, PFILE* file);
    // Wide-character lines exist only for ordinary files; for archive entries the buffer is
    // returned untouched.
    virtual wchar_t* FGetWS(wchar_t* buffer, int length, PFILE* file);
    // A line with its line feed, carriage returns skipped; null when nothing is left.
    virtual char* FGetS(char* buffer, int length, PFILE* file);
    virtual bool FEof(PFILE* file);
    // Files matching a pattern such as "images\*.png": the archives' matches (in name
    // order) first, then the disk's. The archives need a '*' in the pattern: their keys
    // match when they begin with the part before it and end with the part after it (or that
    // part is empty or ".*"). -1 when nothing matches.
    virtual PFindHandle FindFirstFile(const char* pattern, PFindData* findData);
    virtual bool FindNextFile(PFindHandle handle, PFindData* findData);
    virtual bool FindClose(PFindHandle handle);

    // The key a name is looked up under: a leading current-folder prefix removed, runs of
    // '/' and '\' made one '\', "." components dropped, ".." removing the folder before it,
    // upper case.
    static std::string NormalizeName(const std::string& name);

private:
    struct Archive;
    struct Entry
    {
        const Archive* archive = nullptr;
        std::string fileName; // as stored, with its case
        uint64_t start = 0;
        uint64_t size = 0;
        uint64_t fileTime = 0;
    };

    // The next archive key after `lastKey` (from the first when `fromStart`) that matches a
    // find pattern split at its '*'; fills the find data and updates `lastKey`.
    bool NextArchiveMatch(const std::string& prefix, const std::string& suffix, bool fromStart, std::string& lastKey,
                          PFindData* findData) const;

    std::vector<std::unique_ptr<Archive>> archives;
    std::map<std::string, Entry> entries; // by normalised name
};

// Every file read of the game and the framework goes through these; each calls the installed
// PakInterface, or the file system directly when there is none.
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

// Registers an archive with the process's file layer; false when it is missing, unreadable or
// not an archive.
[[nodiscard]] bool AddPakFile(const std::string& path);

} // namespace Vesk
