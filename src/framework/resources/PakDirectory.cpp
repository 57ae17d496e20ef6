#include "framework/resources/PakDirectory.h"

namespace Vesk
{

namespace
{

// A cursor over the stored bytes that removes the key and never reads past the end.
class KeyedReader
{
public:
    KeyedReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    size_t Position() const { return position; }
    size_t Remaining() const { return size - position; }

    bool ReadByte(uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = data[position++] ^ PakDirectory::kKey;
        return true;
    }

    bool ReadLittleEndian(size_t byteCount, uint64_t& value)
    {
        if (Remaining() < byteCount)
            return false;
        value = 0;
        for (size_t i = 0; i < byteCount; ++i)
            value |= static_cast<uint64_t>(data[position + i] ^ PakDirectory::kKey) << (8 * i);
        position += byteCount;
        return true;
    }

    bool ReadText(size_t length, std::string& text)
    {
        if (Remaining() < length)
            return false;
        text.resize(length);
        for (size_t i = 0; i < length; ++i)
            text[i] = static_cast<char>(data[position + i] ^ PakDirectory::kKey);
        position += length;
        return true;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

} // namespace

bool PakDirectory::Fail(const std::string& text)
{
    entries.clear();
    skippedCount = 0;
    dataStart = 0;
    errorText = text;
    return false;
}

bool PakDirectory::Read(const uint8_t* data, size_t size)
{
    entries.clear();
    skippedCount = 0;
    dataStart = 0;
    errorText.clear();
    if (data == nullptr)
        size = 0;

    KeyedReader reader(data, size);
    uint64_t magic = 0;
    uint64_t version = 0;
    if (!reader.ReadLittleEndian(4, magic) || !reader.ReadLittleEndian(4, version))
        return Fail("too short for an archive");
    if (magic != kMagic)
        return Fail("not an archive");
    if (version != kVersion)
        return Fail("unknown archive version " + std::to_string(version));

    std::vector<PakDirectoryEntry> listed;
    for (;;)
    {
        uint8_t flags = 0;
        if (!reader.ReadByte(flags))
            return Fail("the directory has no end");
        if ((flags & 0x80) != 0)
            break;
        uint8_t nameLength = 0;
        PakDirectoryEntry entry;
        uint64_t fileSize = 0;
        if (!reader.ReadByte(nameLength) || !reader.ReadText(nameLength, entry.name) ||
            !reader.ReadLittleEndian(4, fileSize) || !reader.ReadLittleEndian(8, entry.fileTime))
            return Fail("the directory is cut off");
        entry.size = static_cast<uint32_t>(fileSize);
        listed.push_back(std::move(entry));
    }

    // Data follows the directory, each file where the previous one ended.
    dataStart = reader.Position();
    uint64_t offset = dataStart;
    for (PakDirectoryEntry& entry : listed)
    {
        entry.start = offset;
        offset += entry.size;
        if (entry.start + entry.size > size)
        {
            ++skippedCount;
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

} // namespace Vesk
