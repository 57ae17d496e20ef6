// The TGA reader: only the form the game's tools write, uncompressed 32-bit true colour stored
// top row first. Anything else is refused.
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageStream.h"

namespace Vesk::ImageLib
{

namespace
{

constexpr uint8_t kTrueColorUncompressed = 2;
constexpr uint8_t kTopLeftWith8AlphaBits = 0x28;

int Word(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8;
}

} // namespace

std::unique_ptr<ImageData> ReadTGA(ImageStream& stream)
{
    uint8_t header[18];
    if (!stream.ReadExact(header, sizeof header))
        return nullptr;
    const uint8_t identificationLength = header[0];
    const uint8_t colorMapType = header[1];
    const uint8_t imageType = header[2];
    const int colorMapLength = Word(header + 5);
    const uint8_t colorMapEntrySize = header[7];
    const int width = Word(header + 12);
    const int height = Word(header + 14);
    const uint8_t bitsPerPixel = header[16];
    const uint8_t descriptor = header[17];

    if (imageType != kTrueColorUncompressed || bitsPerPixel != 32 || descriptor != kTopLeftWith8AlphaBits)
        return nullptr;
    if (!ImageData::SizeAllowed(width, height))
        return nullptr;

    // Skip an identification text and a (pointless, for true colour) colour map if a tool wrote them.
    uint64_t skip = identificationLength;
    if (colorMapType == 1)
        skip += uint64_t(colorMapLength) * ((colorMapEntrySize + 7) / 8);
    if (!stream.Skip(skip))
        return nullptr;

    // A header that promises more pixels than the file holds is refused before allocating.
    const uint64_t byteCount = uint64_t(width) * uint64_t(height) * 4;
    if (stream.Remaining() < byteCount)
        return nullptr;

    auto image = std::make_unique<ImageData>(width, height);
    std::vector<uint8_t> row(size_t(width) * 4);
    for (int y = 0; y < height; ++y)
    {
        if (!stream.ReadExact(row.data(), row.size()))
            return nullptr;
        uint32_t* out = &image->At(0, y);
        for (int x = 0; x < width; ++x)
        {
            const uint8_t* bgra = &row[size_t(x) * 4];
            out[x] = uint32_t(bgra[3]) << 24 | uint32_t(bgra[2]) << 16 | uint32_t(bgra[1]) << 8 | bgra[0];
        }
    }
    return image;
}

} // namespace Vesk::ImageLib
