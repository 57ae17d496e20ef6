#include "pak/PakTool.h"

#include "framework/platform/DirectoryFind.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/MappedFile.h"
#include "framework/resources/PakDirectory.h"
#include "framework/resources/PakInterface.h"
#include "framework/resources/PakWriter.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <map>
#include <ostream>
#include <system_error>

namespace Vesk
{

namespace
{

constexpr uint64_t kFileTimeEpochOffset = 11644473600ULL; // seconds from 1601 to 1970
constexpr uint64_t kDefaultPackSeconds = 1704067200ULL;   // 2024-01-01 00:00:00 UTC

const char* const kUsage = "usage: pak pack <folder> <archive> [--exclude <pattern>]...\n"
                           "       pak list <archive>\n"
                           "       pak extract <archive> <folder>\n";

std::vector<std::string> SplitName(const std::string& name)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : name)
    {
        if (c == '/' || c == '\\')
        {
            parts.push_back(part);
            part.clear();
        }
        else
            part += c;
    }
    parts.push_back(part);
    return parts;
}

// The relative path an archive name is extracted to; false for names that would leave the
// target folder or that name no file.
bool SafeRelativePath(const std::string& name, std::filesystem::path& path)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\' || name.find(':') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return false;
    path.clear();
    for (const std::string& part : SplitName(name))
    {
        if (part.empty())
            continue;
        if (part == "." || part == "..")
            return false;
        path /= part;
    }
    return !path.empty();
}

} // namespace

uint64_t PakTool::PackTime()
{
    uint64_t seconds = kDefaultPackSeconds;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
    {
        char* end = nullptr;
        unsigned long long value = std::strtoull(epoch, &end, 10);
        if (end != epoch && *end == '\0')
            seconds = value;
    }
    return (seconds + kFileTimeEpochOffset) * 10000000ULL;
}

bool PakTool::IsExcluded(const std::string& relativePath, const std::vector<std::string>& excludes)
{
    for (const std::string& pattern : excludes)
    {
        if (pattern.find('/') != std::string::npos)
        {
            if (Platform::DirectoryFind::MatchesWildcard(relativePath, pattern))
                return true;
            continue;
        }
        for (const std::string& part : SplitName(relativePath))
        {
            if (Platform::DirectoryFind::MatchesWildcard(part, pattern))
                return true;
        }
    }
    return false;
}

bool PakTool::Pack(const std::filesystem::path& folder, const std::filesystem::path& archive,
                   const std::vector<std::string>& excludes, uint64_t fileTime)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
    {
        err << "pak: " << folder.string() << " is not a folder\n";
        return false;
    }

    // Stored name -> file on disk, in name order.
    std::map<std::string, std::filesystem::path> files;
    std::map<std::string, std::string> keys; // normalised name -> stored name
    bool ok = true;
    // The archive may be written into the folder it packs; it never packs itself.
    std::filesystem::path archiveFile = std::filesystem::weakly_canonical(archive, error);
    error.clear();
    std::filesystem::recursive_directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
    {
        const std::filesystem::directory_entry& entry = *it;
        std::error_code entryError;
        std::string relative = entry.path().lexically_relative(folder).generic_string();
        if (IsExcluded(relative, excludes))
        {
            if (entry.is_directory(entryError))
                it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file(entryError))
            continue;
        if (std::filesystem::weakly_canonical(entry.path(), entryError) == archiveFile)
            continue;

        std::string stored = relative;
        std::replace(stored.begin(), stored.end(), '/', '\\');
        if (stored.size() > PakWriter::kMaxNameLength)
        {
            err << "pak: the name " << relative << " is longer than " << PakWriter::kMaxNameLength << " bytes\n";
            ok = false;
            continue;
        }
        // The game looks names up without case: two such files could not both be found.
        auto [known, added] = keys.emplace(PakInterface::NormalizeName(stored), stored);
        if (!added)
        {
            err << "pak: " << known->second << " and " << stored << " differ only in letter case\n";
            ok = false;
            continue;
        }
        files[stored] = entry.path();
    }
    if (error)
    {
        err << "pak: cannot read " << folder.string() << ": " << error.message() << "\n";
        return false;
    }
    if (!ok)
        return false;

    PakWriter writer;
    uint64_t totalBytes = 0;
    for (const auto& [stored, path] : files)
    {
        std::vector<uint8_t> bytes;
        if (!Platform::ReadWholeFile(path, bytes))
        {
            err << "pak: cannot read " << path.string() << "\n";
            return false;
        }
        totalBytes += bytes.size();
        if (!writer.AddFile(stored, std::move(bytes), fileTime))
        {
            err << "pak: " << path.string() << " is too large for an archive\n";
            return false;
        }
    }
    if (!writer.Write(archive))
    {
        err << "pak: cannot write " << archive.string() << "\n";
        return false;
    }
    out << "pak: packed " << files.size() << " files (" << totalBytes << " bytes) into " << archive.string() << "\n";
    return true;
}

bool PakTool::List(const std::filesystem::path& archive)
{
    Platform::MappedFile file;
    if (!file.Open(archive))
    {
        err << "pak: cannot open " << archive.string() << "\n";
        return false;
    }
    PakDirectory directory;
    if (!directory.Read(file.Data(), file.Size()))
    {
        err << "pak: " << archive.string() << ": " << directory.GetErrorText() << "\n";
        return false;
    }
    for (const PakDirectoryEntry& entry : directory.GetEntries())
        out << std::setw(10) << entry.size << "  " << entry.name << "\n";
    if (directory.GetSkippedCount() > 0)
    {
        err << "pak: " << archive.string() << ": " << directory.GetSkippedCount()
            << " listed files lie beyond the end of the archive\n";
        return false;
    }
    return true;
}

bool PakTool::Extract(const std::filesystem::path& archive, const std::filesystem::path& folder)
{
    Platform::MappedFile file;
    if (!file.Open(archive))
    {
        err << "pak: cannot open " << archive.string() << "\n";
        return false;
    }
    PakDirectory directory;
    if (!directory.Read(file.Data(), file.Size()))
    {
        err << "pak: " << archive.string() << ": " << directory.GetErrorText() << "\n";
        return false;
    }

    bool ok = directory.GetSkippedCount() == 0;
    if (!ok)
        err << "pak: " << archive.string() << ": " << directory.GetSkippedCount()
            << " listed files lie beyond the end of the archive\n";
    size_t written = 0;
    for (const PakDirectoryEntry& entry : directory.GetEntries())
    {
        std::filesystem::path relative;
        if (!SafeRelativePath(entry.name, relative))
        {
            err << "pak: refusing to extract " << entry.name << "\n";
            ok = false;
            continue;
        }
        std::vector<uint8_t> bytes(file.Data() + entry.start, file.Data() + entry.start + entry.size);
        for (uint8_t& byte : bytes)
            byte ^= PakDirectory::kKey;
        if (!Platform::WriteFileAtomically(folder / relative, bytes))
        {
            err << "pak: cannot write " << (folder / relative).string() << "\n";
            ok = false;
            continue;
        }
        std::error_code error;
        std::filesystem::permissions(folder / relative,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                     error);
        ++written;
    }
    out << "pak: extracted " << written << " files into " << folder.string() << "\n";
    return ok;
}

int PakTool::Run(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
    {
        err << kUsage;
        return 2;
    }
    const std::string& command = arguments[0];
    bool ok = false;
    if (command == "pack" && arguments.size() >= 3)
    {
        std::vector<std::string> excludes;
        for (size_t i = 3; i < arguments.size(); i += 2)
        {
            if (arguments[i] != "--exclude" || i + 1 >= arguments.size())
            {
                err << kUsage;
                return 2;
            }
            excludes.push_back(arguments[i + 1]);
        }
        ok = Pack(arguments[1], arguments[2], excludes, PackTime());
    }
    else if (command == "list" && arguments.size() == 2)
        ok = List(arguments[1]);
    else if (command == "extract" && arguments.size() == 3)
        ok = Extract(arguments[1], arguments[2]);
    else
    {
        err << kUsage;
        return 2;
    }
    return ok ? 0 : 1;
}

} // namespace Vesk
