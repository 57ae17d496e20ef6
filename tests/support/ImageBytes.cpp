#include "support/ImageBytes.h"

#include <array>

namespace Vesk::TestSupport
{

namespace
{

void PutWord(std::vector<uint8_t>& out, int value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t position = 0;
    do
    {
        const size_t length = std::min<size_t>(raw.size() - position, 65535);
        const bool last = position + length == raw.size();
        out.push_back(last ? 1 : 0);
        PutWord(out, int(length));
        PutWord(out, int(~length & 0xFFFF));
        out.insert(out.end(), raw.begin() + long(position), raw.begin() + long(position + length));
        position += length;
    } while (position < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, b << 16 | a);
    return out;
}

void PutColorTable(std::vector<uint8_t>& out, const std::vector<uint32_t>& palette, int entries)
{
    for (int i = 0; i < entries; ++i)
    {
        const uint32_t color = size_t(i) < palette.size() ? palette[size_t(i)] : 0;
        out.push_back(uint8_t(color >> 16));
        out.push_back(uint8_t(color >> 8));
        out.push_back(uint8_t(color));
    }
}

} // namespace

std::vector<uint8_t> LzwLiteralBlocks(int minCodeSize, const std::vector<uint8_t>& literals, bool emitClearWhenFull,
                                      int stopAfter)
{
    const int clear = 1 << minCodeSize;
    std::vector<uint8_t> codeBytes;
    uint32_t bits = 0;
    int bitCount = 0;
    int width = minCodeSize + 1;
    auto emit = [&](int code)
    {
        bits |= uint32_t(code) << bitCount;
        bitCount += width;
        while (bitCount >= 8)
        {
            codeBytes.push_back(uint8_t(bits));
            bits >>= 8;
            bitCount -= 8;
        }
    };

    int nextCode = clear + 2;
    bool first = true;
    emit(clear);
    int written = 0;
    for (uint8_t literal : literals)
    {
        if (stopAfter >= 0 && written == stopAfter)
            break;
        emit(literal);
        ++written;
        // The decoder adds a table entry for every code after the first one of a run.
        if (!first && nextCode < 4096)
        {
            ++nextCode;
            if (nextCode == (1 << width) && width < 12)
                ++width;
        }
        first = false;
        if (emitClearWhenFull && nextCode >= 4094)
        {
            emit(clear);
            width = minCodeSize + 1;
            nextCode = clear + 2;
            first = true;
        }
    }
    emit(clear + 1);
    if (bitCount > 0)
        codeBytes.push_back(uint8_t(bits));

    std::vector<uint8_t> out;
    for (size_t position = 0; position < codeBytes.size(); position += 255)
    {
        const size_t length = std::min<size_t>(255, codeBytes.size() - position);
        out.push_back(uint8_t(length));
        out.insert(out.end(), codeBytes.begin() + long(position), codeBytes.begin() + long(position + length));
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> BuildGif(int width, int height, const std::vector<uint32_t>& palette,
                              const std::vector<uint8_t>& indices, const GifOptions& options)
{
    const int tableBits = options.minCodeSize < 2 ? 1 : options.minCodeSize; // 2^tableBits entries
    const int entries = 1 << tableBits;
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(options.localColorTable ? 0x00 : uint8_t(0x80 | (tableBits - 1)));
    out.push_back(0); // background
    out.push_back(0); // aspect
    if (!options.localColorTable)
        PutColorTable(out, palette, entries);

    if (options.withComment)
    {
        out.insert(out.end(), {'!', 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
        out.insert(out.end(), {'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    }
    if (options.transparentIndex >= 0)
        out.insert(out.end(), {'!', 0xF9, 4, 0x01, 0, 0, uint8_t(options.transparentIndex), 0});

    out.push_back(',');
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    uint8_t flags = options.interlaced ? 0x40 : 0x00;
    if (options.localColorTable)
        flags |= uint8_t(0x80 | (tableBits - 1));
    out.push_back(flags);
    if (options.localColorTable)
        PutColorTable(out, palette, entries);

    std::vector<uint8_t> stored;
    if (options.interlaced)
    {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kStart[pass]; y < height; y += kStep[pass])
                stored.insert(stored.end(), indices.begin() + long(y) * width, indices.begin() + long(y + 1) * width);
    }
    else
    {
        stored = indices;
    }
    out.push_back(uint8_t(options.minCodeSize));
    const std::vector<uint8_t> blocks =
        LzwLiteralBlocks(options.minCodeSize, stored, options.emitClearWhenFull, options.stopAfterPixels);
    out.insert(out.end(), blocks.begin(), blocks.end());
    out.push_back(';');
    return out;
}

std::vector<uint8_t> BuildTga(int width, int height, const std::vector<uint32_t>& pixels, int bitsPerPixel,
                              int descriptor, int imageType, const std::string& identification)
{
    std::vector<uint8_t> out;
    out.push_back(uint8_t(identification.size()));
    out.push_back(0); // no colour map
    out.push_back(uint8_t(imageType));
    PutWord(out, 0);
    PutWord(out, 0);
    out.push_back(0);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(uint8_t(bitsPerPixel));
    out.push_back(uint8_t(descriptor));
    out.insert(out.end(), identification.begin(), identification.end());
    for (uint32_t pixel : pixels)
    {
        out.push_back(uint8_t(pixel));
        out.push_back(uint8_t(pixel >> 8));
        out.push_back(uint8_t(pixel >> 16));
        if (bitsPerPixel == 32)
            out.push_back(uint8_t(pixel >> 24));
    }
    return out;
}

std::vector<uint8_t> BuildPng(int width, int height, int bitDepth, int colorType,
                              const std::vector<std::vector<uint8_t>>& rows, const std::vector<uint8_t>& palette,
                              const std::vector<uint8_t>& transparency, bool interlaced)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, uint32_t(width));
    PutBigEndian(header, uint32_t(height));
    header.insert(header.end(), {uint8_t(bitDepth), uint8_t(colorType), 0, 0, uint8_t(interlaced ? 1 : 0)});
    PutChunk(out, "IHDR", header);
    if (!palette.empty())
        PutChunk(out, "PLTE", palette);
    if (!transparency.empty())
        PutChunk(out, "tRNS", transparency);
    std::vector<uint8_t> raw;
    for (const std::vector<uint8_t>& row : rows)
    {
        raw.push_back(0); // filter: none
        raw.insert(raw.end(), row.begin(), row.end());
    }
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return out;
}

std::vector<uint32_t> PatternPixels(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(uint32_t((x * 37 + y * 11) & 0xFF) << 24 | uint32_t(x * 40 & 0xFF) << 16 |
                             uint32_t(y * 50 & 0xFF) << 8 | uint32_t((x + y) * 13 & 0xFF));
    return pixels;
}

} // namespace Vesk::TestSupport
