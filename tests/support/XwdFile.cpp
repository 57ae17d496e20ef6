#include "support/XwdFile.h"

#include <fstream>
#include <iterator>

namespace Vesk::TestSupport
{

namespace
{

// The header: 25 big-endian 32-bit fields, then the window name up to headerSize.
enum Field
{
    HeaderSize,
    FileVersion,
    PixmapFormat,
    PixmapDepth,
    PixmapWidth,
    PixmapHeight,
    XOffset,
    ByteOrder,
    BitmapUnit,
    BitmapBitOrder,
    BitmapPad,
    BitsPerPixel,
    BytesPerLine,
    VisualClass,
    RedMask,
    GreenMask,
    BlueMask,
    BitsPerRgb,
    ColormapEntries,
    NColors,
    WindowWidth,
    WindowHeight,
    WindowX,
    WindowY,
    WindowBorderWidth,
    FieldCount
};

constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kTrueColor = 4;
constexpr uint32_t kDirectColor = 5;
constexpr size_t kColorSize = 12;

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// A mask's channel scaled to 0..255.
uint32_t Channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    uint32_t maximum = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / maximum;
}

} // namespace

bool XwdFile::Read(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Decode(bytes, pixels, width, height, error);
}

bool XwdFile::Decode(const std::vector<uint8_t>& bytes, std::vector<uint32_t>& pixels, int& width, int& height,
                     std::string& error)
{
    if (bytes.size() < FieldCount * 4)
    {
        error = "shorter than an XWD header";
        return false;
    }
    uint32_t header[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        header[i] = BigEndian32(bytes.data() + i * 4);
    if (header[FileVersion] != 7)
    {
        error = "not an XWD file of version 7";
        return false;
    }
    if (header[HeaderSize] < FieldCount * 4 || header[HeaderSize] > bytes.size())
    {
        error = "bad header size";
        return false;
    }
    if (header[PixmapFormat] != kZPixmap || (header[VisualClass] != kTrueColor && header[VisualClass] != kDirectColor))
    {
        error = "only true-colour Z pixmaps are read";
        return false;
    }
    uint32_t bits = header[BitsPerPixel];
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
    {
        error = "unsupported bits per pixel";
        return false;
    }
    uint64_t w = header[PixmapWidth];
    uint64_t h = header[PixmapHeight];
    uint64_t stride = header[BytesPerLine];
    if (w == 0 || h == 0 || w > 16384 || h > 16384 || stride < w * bits / 8)
    {
        error = "bad picture size";
        return false;
    }
    uint64_t start = uint64_t(header[HeaderSize]) + uint64_t(header[NColors]) * kColorSize;
    if (start > bytes.size() || (bytes.size() - start) / stride < h)
    {
        error = "the pixels are cut short";
        return false;
    }
    bool mostSignificantFirst = header[ByteOrder] == 1;
    size_t bytesPerPixel = bits / 8;
    pixels.assign(size_t(w * h), 0);
    for (uint64_t y = 0; y < h; ++y)
    {
        const uint8_t* row = bytes.data() + start + y * stride;
        for (uint64_t x = 0; x < w; ++x)
        {
            const uint8_t* at = row + x * bytesPerPixel;
            uint32_t value = 0;
            for (size_t b = 0; b < bytesPerPixel; ++b)
            {
                size_t index = mostSignificantFirst ? b : bytesPerPixel - 1 - b;
                value = value << 8 | at[index];
            }
            pixels[size_t(y * w + x)] = 0xFF000000u | Channel(value, header[RedMask]) << 16 |
                                        Channel(value, header[GreenMask]) << 8 | Channel(value, header[BlueMask]);
        }
    }
    width = int(w);
    height = int(h);
    return true;
}

} // namespace Vesk::TestSupport
