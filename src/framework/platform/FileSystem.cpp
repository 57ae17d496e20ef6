#include "framework/platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Vesk::Platform
{

namespace
{

std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    std::filesystem::path base = (home != nullptr && home[0] != '\0') ? home : "/tmp";
    return base / fallbackUnderHome;
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0)
    {
        ssize_t written = ::write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

std::filesystem::path ConfigHome()
{
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path DataHome()
{
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

bool CreateFolders(const std::filesystem::path& folder)
{
    if (folder.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

namespace
{

bool ReplaceFile(const std::filesystem::path& path, const uint8_t* data, size_t size, bool durable)
{
    if (!CreateFolders(path.parent_path()))
        return false;

    std::string temporary = path.string() + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    // mkstemp makes the file private; give it the mode the file had, or the usual one.
    struct stat existing
    {
    };
    ::fchmod(fd, ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);

    bool ok = WriteAll(fd, data, size) && (!durable || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        ::unlink(temporary.c_str());
        return false;
    }

    if (!durable)
        return true;
    // Make the rename itself durable.
    std::filesystem::path parent = path.parent_path().empty() ? "." : path.parent_path();
    int dirFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0)
    {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const uint8_t* data, size_t size)
{
    return ReplaceFile(path, data, size, true);
}

bool ReplaceCacheFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    return ReplaceFile(path, bytes.data(), bytes.size(), false);
}

bool NothingAt(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR;
}

bool KeepBeside(const std::filesystem::path& path, const std::string& suffix)
{
    if (NothingAt(path))
        return true;
    constexpr int kMostKept = 1000;
    for (int number = 1; number <= kMostKept; ++number)
    {
        std::string aside = path.string() + suffix;
        if (number > 1)
            aside += '.' + std::to_string(number);
        if (!NothingAt(aside))
            continue;
        return ::link(path.c_str(), aside.c_str()) == 0 || ::rename(path.c_str(), aside.c_str()) == 0;
    }
    return false;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        content.insert(content.end(), chunk, chunk + got);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    if (ok)
        bytes = std::move(content);
    return ok;
}

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return self.parent_path();
}

} // namespace Vesk::Platform
