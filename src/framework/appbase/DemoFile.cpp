#include "framework/appbase/DemoFile.h"

#include <algorithm>

namespace Vesk
{

namespace
{

// A little-endian cursor over the file's bytes that refuses to read past the end.
class ByteReader
{
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : bytes(bytes) {}

    bool Has(size_t count) const { return bytes.size() - position >= count; }
    bool Read32(uint32_t& value)
    {
        if (!Has(4))
            return false;
        value = bytes[position] | (bytes[position + 1] << 8) | (bytes[position + 2] << 16) |
                (static_cast<uint32_t>(bytes[position + 3]) << 24);
        position += 4;
        return true;
    }
    bool Read16(uint32_t& value)
    {
        if (!Has(2))
            return false;
        value = bytes[position] | (bytes[position + 1] << 8);
        position += 2;
        return true;
    }
    bool ReadBytes(size_t count, std::vector<uint8_t>& out)
    {
        if (!Has(count))
            return false;
        out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                   bytes.begin() + static_cast<std::ptrdiff_t>(position + count));
        position += count;
        return true;
    }
    size_t Position() const { return position; }

private:
    const std::vector<uint8_t>& bytes;
    size_t position = 0;
};

void Append32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

bool DemoFile::Parse(const std::vector<uint8_t>& bytes, std::string& error)
{
    const std::string invalid = "Invalid demo file.";
    ByteReader reader(bytes);
    uint32_t magic = 0;
    uint32_t fileVersion = 0;
    uint32_t seed = 0;
    uint32_t stringLength = 0;
    if (!reader.Read32(magic) || magic != kMagic || !reader.Read32(fileVersion) || fileVersion < 1 ||
        fileVersion > kVersion || !reader.Read32(seed) || !reader.Read16(stringLength) || stringLength > 255)
    {
        error = invalid;
        return false;
    }
    std::vector<uint8_t> stringBytes;
    if (!reader.ReadBytes(stringLength, stringBytes))
    {
        error = invalid;
        return false;
    }

    std::vector<Marker> readMarkers;
    if (fileVersion > 1)
    {
        uint32_t blockLength = 0;
        std::vector<uint8_t> block;
        if (!reader.Read32(blockLength) || !reader.ReadBytes(blockLength, block))
        {
            error = invalid;
            return false;
        }
        Buffer markerBuffer(std::move(block));
        uint32_t count = markerBuffer.ReadLong();
        // Each marker takes at least six bytes (empty name and its update count).
        if (count > blockLength / 6)
        {
            error = invalid;
            return false;
        }
        for (uint32_t i = 0; i < count; ++i)
        {
            Marker marker;
            uint16_t nameLength = markerBuffer.ReadShort();
            if ((markerBuffer.GetBitLength() - markerBuffer.GetReadBitPos()) / 8 < nameLength + 4u)
            {
                error = invalid;
                return false;
            }
            marker.name.resize(nameLength);
            markerBuffer.ReadBytes(reinterpret_cast<uint8_t*>(marker.name.data()), nameLength);
            marker.updateCount = static_cast<int>(markerBuffer.ReadLong());
            readMarkers.push_back(std::move(marker));
        }
    }

    uint32_t total = 0;
    if (!reader.Read32(total) || total > 0x7FFFFFFF)
    {
        error = invalid;
        return false;
    }
    std::vector<uint8_t> stream;
    (void)reader.ReadBytes(bytes.size() - reader.Position(), stream);

    version = fileVersion;
    randomSeed = seed;
    versionString.assign(stringBytes.begin(), stringBytes.end());
    markers = std::move(readMarkers);
    totalUpdates = static_cast<int>(total);
    events = Buffer(std::move(stream));
    return true;
}

std::vector<uint8_t> DemoFile::Serialise() const
{
    std::vector<uint8_t> out;
    Append32(out, kMagic);
    Append32(out, version);
    Append32(out, randomSeed);
    size_t length = std::min<size_t>(versionString.size(), 255);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(0);
    out.insert(out.end(), versionString.begin(), versionString.begin() + static_cast<std::ptrdiff_t>(length));
    if (version > 1)
    {
        Buffer markerBuffer;
        markerBuffer.WriteLong(static_cast<uint32_t>(markers.size()));
        for (const Marker& marker : markers)
        {
            markerBuffer.WriteString(marker.name);
            markerBuffer.WriteLong(static_cast<uint32_t>(marker.updateCount));
        }
        Append32(out, static_cast<uint32_t>(markerBuffer.GetDataLen()));
        out.insert(out.end(), markerBuffer.GetData().begin(), markerBuffer.GetData().end());
    }
    Append32(out, static_cast<uint32_t>(totalUpdates));
    out.insert(out.end(), events.GetData().begin(), events.GetData().end());
    return out;
}

} // namespace Vesk
