#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

// One file listed in an archive's directory.
struct PakDirectoryEntry
{
    std::string name;      // as stored, with its case and backslashes
    uint64_t start = 0;    // offset of the file's data from the start of the archive
    uint32_t size = 0;     // in bytes
    uint64_t fileTime = 0; // FILETIME
};

// Reads the directory of an archive ("main.pak") held in memory exactly as stored.
//
// The format, every byte XOR-ed with kKey: magic 0xBAC04AC0 and version 0 (32-bit
// little-endian each), then directory entries (flags byte, name length byte, name, 32-bit
// size, 64-bit FILETIME) until a flags byte with its top bit set, then the files' data back
// to back in directory order.
//
// Damaged archives: a header that is short, foreign or of another version, and a directory
// that runs off the end of the file (an entry or the end mark cut off) make Read fail, so a
// truncated or foreign file is never taken for an archive. A listed file whose data would lie
// beyond the end of the archive is left out (and counted), so nothing is ever read outside
// the given bytes; the archive's other files stay usable.
class PakDirectory
{
public:
    static constexpr uint32_t kMagic = 0xBAC04AC0;
    static constexpr uint32_t kVersion = 0;
    // Every byte of an archive is stored XOR-ed with this key.
    static constexpr uint8_t kKey = 0xF7;

    // Parses the directory; false with an error text when the bytes are not a whole archive.
    [[nodiscard]] bool Read(const uint8_t* data, size_t size);

    const std::vector<PakDirectoryEntry>& GetEntries() const { return entries; }
    // Listed files left out because their data lies beyond the end of the archive.
    size_t GetSkippedCount() const { return skippedCount; }
    // Where the files' data begins: just after the end-of-directory mark.
    uint64_t GetDataStart() const { return dataStart; }
    const std::string& GetErrorText() const { return errorText; }

private:
    bool Fail(const std::string& text);

    std::vector<PakDirectoryEntry> entries;
    size_t skippedCount = 0;
    uint64_t dataStart = 0;
    std::string errorText;
};

} // namespace Vesk
