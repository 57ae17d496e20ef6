#include "framework/resources/PakWriter.h"

#include "framework/platform/FileSystem.h"
#include "framework/resources/PakDirectory.h"

#include <limits>
#include <system_error>

namespace Vesk
{

namespace
{

void AppendLittleEndian(std::vector<uint8_t>& out, uint64_t value, size_t byteCount)
{
    for (size_t i = 0; i < byteCount; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

bool PakWriter::AddFile(const std::string& name, std::vector<uint8_t> data, uint64_t fileTime)
{
    if (name.empty() || name.size() > kMaxNameLength || data.size() > std::numeric_limits<uint32_t>::max())
        return false;
    files.push_back(File{name, std::move(data), fileTime});
    return true;
}

std::vector<uint8_t> PakWriter::Build() const
{
    std::vector<uint8_t> out;
    size_t total = 9;
    for (const File& file : files)
        total += 14 + file.name.size() + file.data.size();
    out.reserve(total);

    AppendLittleEndian(out, PakDirectory::kMagic, 4);
    AppendLittleEndian(out, PakDirectory::kVersion, 4);
    for (const File& file : files)
    {
        out.push_back(0); // flags
        out.push_back(static_cast<uint8_t>(file.name.size()));
        out.insert(out.end(), file.name.begin(), file.name.end());
        AppendLittleEndian(out, file.data.size(), 4);
        AppendLittleEndian(out, file.fileTime, 8);
    }
    out.push_back(0x80); // end of the directory
    for (const File& file : files)
        out.insert(out.end(), file.data.begin(), file.data.end());

    for (uint8_t& byte : out)
        byte ^= PakDirectory::kKey;
    return out;
}

bool PakWriter::Write(const std::filesystem::path& path) const
{
    if (!Platform::WriteFileAtomically(path, Build()))
        return false;
    // Game data is read by whoever plays, not only by whoever built it.
    std::error_code error;
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 error);
    return true;
}

} // namespace Vesk
