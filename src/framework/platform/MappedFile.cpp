#include "framework/platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Vesk::Platform
{

MappedFile::~MappedFile()
{
    Close();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : mapping(std::exchange(other.mapping, nullptr)), size(std::exchange(other.size, 0)),
      open(std::exchange(other.open, false))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other)
    {
        Close();
        mapping = std::exchange(other.mapping, nullptr);
        size = std::exchange(other.size, 0);
        open = std::exchange(other.open, false);
    }
    return *this;
}

bool MappedFile::Open(const std::filesystem::path& path)
{
    Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;

    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0)
    {
        ::close(fd);
        return false;
    }

    void* data = nullptr;
    auto length = static_cast<size_t>(info.st_size);
    if (length > 0)
    {
        data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data == MAP_FAILED)
        {
            ::close(fd);
            return false;
        }
    }
    // The mapping keeps the file's pages; the descriptor is no longer needed.
    ::close(fd);
    mapping = data;
    size = length;
    open = true;
    return true;
}

void MappedFile::Close()
{
    if (mapping != nullptr)
        ::munmap(mapping, size);
    mapping = nullptr;
    size = 0;
    open = false;
}

} // namespace Vesk::Platform
