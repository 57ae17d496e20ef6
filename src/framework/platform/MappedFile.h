#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace Vesk::Platform
{

// A whole file mapped read-only into memory, for the archive layer: the bytes stay readable
// until the object is closed or destroyed, without copying the file. The file must not be
// shortened while it is mapped. An empty file opens with no data.
class MappedFile
{
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    // Maps a regular file; false (and nothing mapped) when it is missing, not a regular file
    // or cannot be mapped.
    [[nodiscard]] bool Open(const std::filesystem::path& path);
    void Close();

    bool IsOpen() const { return open; }
    const uint8_t* Data() const { return static_cast<const uint8_t*>(mapping); }
    size_t Size() const { return size; }

private:
    void* mapping = nullptr;
    size_t size = 0;
    bool open = false;
};

} // namespace Vesk::Platform
