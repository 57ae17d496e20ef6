#include "framework/resources/PakInterface.h"

#include "framework/platform/DirectoryFind.h"
#include "framework/platform/DiskPath.h"
#include "framework/platform/MappedFile.h"
#include "framework/resources/PakDirectory.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace Vesk
{

// An open file: a window onto a mapped archive entry, or a stream of the C runtime.
struct PFILE
{
    bool inArchive = false;
    const uint8_t* data = nullptr; // the entry's first stored byte
    uint64_t size = 0;
    uint64_t position = 0;
    FILE* stream = nullptr;
};

struct PakInterface::Archive
{
    std::string path;
    Platform::MappedFile file;
};

namespace
{

std::atomic<PakInterface*> installedInstance{nullptr};

// ---------------------------------------------------------------------------------------
// Operations on an open file, shared by the layer and the p_ functions when no layer exists.

PFILE* OpenOnDisk(const char* name, const char* mode)
{
    if (name == nullptr || mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return nullptr;
    // Text mode reads the same bytes here; the runtime needs no 't'.
    std::string streamMode;
    for (const char* c = mode; *c != '\0'; ++c)
    {
        if (*c != 't' && *c != 'T')
            streamMode += *c;
    }
    FILE* stream = std::fopen(Platform::ToDiskPath(name).c_str(), streamMode.c_str());
    if (stream == nullptr)
        return nullptr;
    auto* file = new PFILE;
    file->stream = stream;
    return file;
}

int CloseFile(PFILE* file)
{
    if (file == nullptr)
        return EOF;
    if (file->stream != nullptr)
        std::fclose(file->stream);
    delete file;
    return 0;
}

int SeekFile(PFILE* file, long offset, int origin)
{
    if (file == nullptr)
        return -1;
    if (!file->inArchive)
        return std::fseek(file->stream, offset, origin);

    int64_t base = 0;
    switch (origin)
    {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = static_cast<int64_t>(file->position);
        break;
    case SEEK_END:
        base = static_cast<int64_t>(file->size);
        break;
    default:
        return -1;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, static_cast<int64_t>(offset), &target))
        target = offset < 0 ? 0 : INT64_MAX;
    target = std::clamp<int64_t>(target, 0, static_cast<int64_t>(file->size));
    file->position = static_cast<uint64_t>(target);
    return 0;
}

long TellFile(PFILE* file)
{
    if (file == nullptr)
        return -1;
    if (!file->inArchive)
        return std::ftell(file->stream);
    return static_cast<long>(file->position);
}

size_t ReadFile(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    if (file == nullptr || buffer == nullptr || elementSize == 0 || count == 0)
        return 0;
    if (!file->inArchive)
        return std::fread(buffer, elementSize, count, file->stream);

    uint64_t wanted = count > SIZE_MAX / elementSize ? SIZE_MAX : elementSize * count;
    uint64_t bytes = std::min<uint64_t>(wanted, file->size - file->position);
    auto* out = static_cast<uint8_t*>(buffer);
    const uint8_t* in = file->data + file->position;
    for (uint64_t i = 0; i < bytes; ++i)
        out[i] = in[i] ^ PakDirectory::kKey;
    file->position += bytes;
    return static_cast<size_t>(bytes / elementSize);
}

// The next byte of either kind of file, carriage returns included; -1 at the end.
int RawGetC(PFILE* file)
{
    if (!file->inArchive)
        return std::fgetc(file->stream);
    if (file->position >= file->size)
        return EOF;
    return file->data[file->position++] ^ PakDirectory::kKey;
}

int GetCharacter(PFILE* file)
{
    if (file == nullptr)
        return EOF;
    int character;
    do
        character = RawGetC(file);
    while (character == '\r');
    return character;
}

int UnGetCharacter(int character, PFILE* file)
{
    if (file == nullptr)
        return EOF;
    if (!file->inArchive)
        return std::ungetc(character, file->stream);
    if (file->position == 0)
        return EOF;
    --file->position;
    return character;
}

bool AtEnd(PFILE* file)
{
    if (file == nullptr)
        return true;
    if (!file->inArchive)
        return std::feof(file->stream) != 0;
    return file->position >= file->size;
}

char* GetLine(char* buffer, int length, PFILE* file)
{
    if (file == nullptr || buffer == nullptr || length <= 0)
        return nullptr;
    int stored = 0;
    bool ended = false;
    while (stored < length - 1)
    {
        int character = RawGetC(file);
        if (character == EOF)
        {
            ended = true;
            break;
        }
        if (character == '\r')
            continue;
        buffer[stored++] = static_cast<char>(character);
        if (character == '\n')
            break;
    }
    if (stored == 0 && ended)
        return nullptr;
    buffer[stored] = '\0';
    return buffer;
}

wchar_t* GetWideLine(wchar_t* buffer, int length, PFILE* file)
{
    if (file == nullptr || buffer == nullptr)
        return nullptr;
    if (file->inArchive)
        return buffer;
    return std::fgetws(buffer, length, file->stream);
}

// ---------------------------------------------------------------------------------------
// Find handles

enum class FindPhase
{
    Archives,
    Disk,
    Done,
};

struct FindState
{
    std::string pattern; // as passed in, for the disk search
    std::string prefix;  // the normalised pattern before its '*'
    std::string suffix;  // and after it
    std::string lastKey;
    FindPhase phase = FindPhase::Disk;
    Platform::DirectoryFind disk;
};

std::mutex findMutex;
std::map<PFindHandle, std::unique_ptr<FindState>> findStates;
PFindHandle nextFindHandle = 1;

PFindHandle RegisterFind(std::unique_ptr<FindState> state)
{
    std::lock_guard<std::mutex> lock(findMutex);
    PFindHandle handle = nextFindHandle++;
    findStates[handle] = std::move(state);
    return handle;
}

FindState* LookUpFind(PFindHandle handle)
{
    std::lock_guard<std::mutex> lock(findMutex);
    auto found = findStates.find(handle);
    return found == findStates.end() ? nullptr : found->second.get();
}

bool EraseFind(PFindHandle handle)
{
    std::lock_guard<std::mutex> lock(findMutex);
    return findStates.erase(handle) > 0;
}

void FillFromDisk(const Platform::FoundFile& found, PFindData* findData)
{
    if (findData == nullptr)
        return;
    findData->attributes = found.isFolder ? 0x10 : 0;
    findData->fileName = found.name;
    findData->size = found.size;
    findData->creationTime = found.creationTime;
    findData->accessTime = found.accessTime;
    findData->writeTime = found.writeTime;
}

// Moves a search on to the disk, or on to the disk's next match.
bool NextOnDisk(FindState& state, PFindData* findData)
{
    bool found = false;
    if (state.phase == FindPhase::Archives)
    {
        state.phase = FindPhase::Disk;
        found = state.disk.First(state.pattern);
    }
    else if (state.phase == FindPhase::Disk)
        found = state.disk.Next();
    if (!found)
    {
        state.phase = FindPhase::Done;
        return false;
    }
    FillFromDisk(state.disk.Current(), findData);
    return true;
}

PFindHandle FindFirstOnDisk(const char* pattern, PFindData* findData)
{
    if (pattern == nullptr)
        return kInvalidFindHandle;
    auto state = std::make_unique<FindState>();
    state->pattern = pattern;
    state->phase = FindPhase::Archives; // nothing to search there: go straight to the disk
    if (!NextOnDisk(*state, findData))
        return kInvalidFindHandle;
    return RegisterFind(std::move(state));
}

bool FindNextOnDisk(PFindHandle handle, PFindData* findData)
{
    FindState* state = LookUpFind(handle);
    return state != nullptr && NextOnDisk(*state, findData);
}

char ToUpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Separators collapsed to single backslashes and letters upper-cased.
std::string CollapseSeparators(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name)
    {
        if (c == '/' || c == '\\')
        {
            if (out.empty() || out.back() != '\\')
                out += '\\';
        }
        else
            out += ToUpperAscii(c);
    }
    return out;
}

bool IsReadMode(const char* mode)
{
    std::string lower;
    for (const char* c = mode; *c != '\0'; ++c)
        lower += static_cast<char>((*c >= 'A' && *c <= 'Z') ? *c - 'A' + 'a' : *c);
    return lower == "r" || lower == "rb" || lower == "rt";
}

// The process's layer, created before main. Its constructor installs it.
PakInterface processInstance;

} // namespace

// ---------------------------------------------------------------------------------------
// PakInterface

PakInterface::PakInterface()
{
    PakInterface* none = nullptr;
    installedInstance.compare_exchange_strong(none, this);
}

PakInterface::~PakInterface()
{
    PakInterface* self = this;
    installedInstance.compare_exchange_strong(self, nullptr);
}

PakInterface* PakInterface::Get()
{
    return installedInstance.load();
}

PakInterface* PakInterface::SetInstance(PakInterface* instance)
{
    return installedInstance.exchange(instance);
}

std::string PakInterface::NormalizeName(const std::string& name)
{
    std::string collapsed = CollapseSeparators(name);

    // A path below the current folder is looked up as the relative name.
    if (!collapsed.empty() && collapsed[0] == '\\')
    {
        std::error_code error;
        std::string current = CollapseSeparators(std::filesystem::current_path(error).string());
        if (!error && !current.empty())
        {
            if (current.back() != '\\')
                current += '\\';
            if (collapsed.compare(0, current.size(), current) == 0)
                collapsed.erase(0, current.size());
        }
    }

    bool absolute = !collapsed.empty() && collapsed.front() == '\\';
    bool folder = collapsed.size() > 1 && collapsed.back() == '\\';
    std::vector<std::string> parts;
    size_t position = 0;
    while (position <= collapsed.size())
    {
        size_t end = collapsed.find('\\', position);
        if (end == std::string::npos)
            end = collapsed.size();
        std::string part = collapsed.substr(position, end - position);
        if (part == "..")
        {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else
                parts.push_back(part);
        }
        else if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
        position = end + 1;
    }

    std::string key = absolute ? "\\" : "";
    for (size_t i = 0; i < parts.size(); ++i)
    {
        if (i > 0)
            key += '\\';
        key += parts[i];
    }
    if (folder && !parts.empty())
        key += '\\';
    return key;
}

bool PakInterface::AddPakFile(const std::string& path)
{
    auto archive = std::make_unique<Archive>();
    archive->path = path;
    if (!archive->file.Open(Platform::ToDiskPath(path)))
        return false;
    PakDirectory directory;
    if (!directory.Read(archive->file.Data(), archive->file.Size()))
        return false;

    const Archive* owner = archive.get();
    archives.push_back(std::move(archive));
    // The archive itself can be read through the layer too (decoded, like its entries).
    entries[NormalizeName(path)] = Entry{owner, path, 0, owner->file.Size(), 0};
    for (const PakDirectoryEntry& listed : directory.GetEntries())
    {
        std::string key = NormalizeName(listed.name);
        if (!key.empty())
            entries[key] = Entry{owner, listed.name, listed.start, listed.size, listed.fileTime};
    }
    return true;
}

PFILE* PakInterface::FOpen(const char* name, const char* mode)
{
    if (name == nullptr || mode == nullptr)
        return nullptr;
    if (IsReadMode(mode))
    {
        auto found = entries.find(NormalizeName(name));
        if (found != entries.end())
        {
            const Entry& entry = found->second;
            auto* file = new PFILE;
            file->inArchive = true;
            file->data = entry.archive->file.Data() + entry.start;
            file->size = entry.size;
            return file;
        }
    }
    return OpenOnDisk(name, mode);
}

int PakInterface::FClose(PFILE* file)
{
    return CloseFile(file);
}

int PakInterface::FSeek(PFILE* file, long offset, int origin)
{
    return SeekFile(file, offset, origin);
}

long PakInterface::FTell(PFILE* file)
{
    return TellFile(file);
}

size_t PakInterface::FRead(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    return ReadFile(buffer, elementSize, count, file);
}

int PakInterface::FGetC(PFILE* file)
{
    return GetCharacter(file);
}

int PakInterface::UnGetC(int character, PFILE* file)
{
    return UnGetCharacter(character, file);
}

wchar_t* PakInterface::FGetWS(wchar_t* buffer, int length, PFILE* file)
{
    return GetWideLine(buffer, length, file);
}

char* PakInterface::FGetS(char* buffer, int length, PFILE* file)
{
    return GetLine(buffer, length, file);
}

bool PakInterface::FEof(PFILE* file)
{
    return AtEnd(file);
}

bool PakInterface::NextArchiveMatch(const std::string& prefix, const std::string& suffix, bool fromStart,
                                    std::string& lastKey, PFindData* findData) const
{
    // Keys beginning with the prefix sit together in the ordered map.
    auto it = fromStart ? entries.lower_bound(prefix) : entries.upper_bound(lastKey);
    for (; it != entries.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
    {
        const std::string& key = it->first;
        bool matches = suffix.empty() || suffix == ".*" ||
                       (key.size() >= prefix.size() + suffix.size() &&
                        key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0);
        if (!matches)
            continue;
        lastKey = key;
        if (findData != nullptr)
        {
            const Entry& entry = it->second;
            size_t separator = entry.fileName.find_last_of("\\/");
            findData->attributes = 0;
            findData->fileName = separator == std::string::npos ? entry.fileName : entry.fileName.substr(separator + 1);
            findData->size = entry.size;
            findData->creationTime = entry.fileTime;
            findData->accessTime = entry.fileTime;
            findData->writeTime = entry.fileTime;
        }
        return true;
    }
    return false;
}

PFindHandle PakInterface::FindFirstFile(const char* pattern, PFindData* findData)
{
    if (pattern == nullptr)
        return kInvalidFindHandle;
    auto state = std::make_unique<FindState>();
    state->pattern = pattern;
    state->phase = FindPhase::Archives;
    std::string key = NormalizeName(pattern);
    size_t star = key.find('*');
    if (star != std::string::npos)
    {
        state->prefix = key.substr(0, star);
        state->suffix = key.substr(star + 1);
        if (NextArchiveMatch(state->prefix, state->suffix, true, state->lastKey, findData))
            return RegisterFind(std::move(state));
    }
    if (!NextOnDisk(*state, findData))
        return kInvalidFindHandle;
    return RegisterFind(std::move(state));
}

bool PakInterface::FindNextFile(PFindHandle handle, PFindData* findData)
{
    FindState* state = LookUpFind(handle);
    if (state == nullptr)
        return false;
    if (state->phase == FindPhase::Archives &&
        NextArchiveMatch(state->prefix, state->suffix, false, state->lastKey, findData))
        return true;
    return NextOnDisk(*state, findData);
}

bool PakInterface::FindClose(PFindHandle handle)
{
    return EraseFind(handle);
}

// ---------------------------------------------------------------------------------------
// The free functions

PFILE* p_fopen(const char* name, const char* mode)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FOpen(name, mode);
    return OpenOnDisk(name, mode);
}

int p_fclose(PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FClose(file);
    return CloseFile(file);
}

int p_fseek(PFILE* file, long offset, int origin)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FSeek(file, offset, origin);
    return SeekFile(file, offset, origin);
}

long p_ftell(PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FTell(file);
    return TellFile(file);
}

size_t p_fread(void* buffer, size_t elementSize, size_t count, PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FRead(buffer, elementSize, count, file);
    return ReadFile(buffer, elementSize, count, file);
}

int p_fgetc(PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FGetC(file);
    return GetCharacter(file);
}

int p_ungetc(int character, PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->UnGetC(character, file);
    return UnGetCharacter(character, file);
}

char* p_fgets(char* buffer, int length, PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FGetS(buffer, length, file);
    return GetLine(buffer, length, file);
}

int p_feof(PFILE* file)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FEof(file) ? 1 : 0;
    return AtEnd(file) ? 1 : 0;
}

PFindHandle p_FindFirstFile(const char* pattern, PFindData* findData)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FindFirstFile(pattern, findData);
    return FindFirstOnDisk(pattern, findData);
}

bool p_FindNextFile(PFindHandle handle, PFindData* findData)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FindNextFile(handle, findData);
    return FindNextOnDisk(handle, findData);
}

bool p_FindClose(PFindHandle handle)
{
    if (PakInterface* pak = PakInterface::Get())
        return pak->FindClose(handle);
    return EraseFind(handle);
}

bool AddPakFile(const std::string& path)
{
    PakInterface* pak = PakInterface::Get();
    return pak != nullptr && pak->AddPakFile(path);
}

} // namespace Vesk
