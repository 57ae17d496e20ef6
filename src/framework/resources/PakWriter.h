#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

// Builds an archive in the format PakDirectory reads: files are stored in the order they were
// added, under the names given (the game's archives use backslashes as separators). Used by
// the build's "pak" tool and by tests; the game itself only reads archives.
class PakWriter
{
public:
    // The longest name an archive can store, in bytes.
    static constexpr size_t kMaxNameLength = 255;

    // Adds a file; false (and nothing added) when the name is empty or longer than
    // kMaxNameLength, or the data does not fit the format's 32-bit size.
    [[nodiscard]] bool AddFile(const std::string& name, std::vector<uint8_t> data, uint64_t fileTime);

    size_t GetFileCount() const { return files.size(); }

    // The whole archive as it is stored on disk.
    std::vector<uint8_t> Build() const;
    // Writes the archive atomically: the old file stays intact if writing fails.
    [[nodiscard]] bool Write(const std::filesystem::path& path) const;

private:
    struct File
    {
        std::string name;
        std::vector<uint8_t> data;
        uint64_t fileTime = 0;
    };

    std::vector<File> files;
};

} // namespace Vesk
