// The GIF reader: the first image of a GIF87a or GIF89a file, with its transparent colour and
// interlacing, decoded by an LZW decoder of our own that never trusts the stream.
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageStream.h"

#include <array>
#include <cstring>

namespace Vesk::ImageLib
{

namespace
{

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;

// Bounds-checked walk over the bytes of a GIF file.
class ByteCursor
{
public:
    explicit ByteCursor(const std::vector<uint8_t>& bytes) : bytes(bytes) {}

    bool Byte(int& value)
    {
        if (position >= bytes.size())
            return false;
        value = bytes[position++];
        return true;
    }
    bool Word(int& value)
    {
        if (bytes.size() - position < 2)
            return false;
        value = bytes[position] | bytes[position + 1] << 8;
        position += 2;
        return true;
    }
    bool Bytes(const uint8_t*& start, size_t count)
    {
        if (bytes.size() - position < count)
            return false;
        start = bytes.data() + position;
        position += count;
        return true;
    }
    // Skips data sub-blocks up to and including the zero-length terminator.
    bool SkipSubBlocks()
    {
        int length = 0;
        const uint8_t* ignored = nullptr;
        do
        {
            if (!Byte(length) || !Bytes(ignored, size_t(length)))
                return false;
        } while (length != 0);
        return true;
    }

private:
    const std::vector<uint8_t>& bytes;
    size_t position = 0;
};

bool ReadColorTable(ByteCursor& cursor, int flags, std::array<uint32_t, 256>& table)
{
    const int entries = 2 << (flags & 7);
    const uint8_t* rgb = nullptr;
    if (!cursor.Bytes(rgb, size_t(entries) * 3))
        return false;
    table.fill(0xFF000000);
    for (int i = 0; i < entries; ++i)
        table[size_t(i)] = 0xFF000000 | uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    return true;
}

// Reads LZW codes least significant bit first from the data sub-blocks.
class CodeReader
{
public:
    explicit CodeReader(ByteCursor& cursor) : cursor(cursor) {}

    // False when the sub-blocks end (terminator) or the file ends; truncated tells which.
    bool Next(int width, int& code)
    {
        while (bitCount < width)
        {
            if (blockLeft == 0)
            {
                if (finished || !cursor.Byte(blockLeft))
                {
                    truncated = !finished;
                    finished = true;
                    return false;
                }
                if (blockLeft == 0)
                {
                    finished = true;
                    return false;
                }
            }
            int byte = 0;
            if (!cursor.Byte(byte))
            {
                truncated = finished = true;
                return false;
            }
            --blockLeft;
            bits |= uint32_t(byte) << bitCount;
            bitCount += 8;
        }
        code = int(bits & ((1u << width) - 1));
        bits >>= width;
        bitCount -= width;
        return true;
    }

    // Walks past whatever is left of the image data, up to its terminator.
    bool SkipRest()
    {
        if (finished)
            return !truncated;
        const uint8_t* ignored = nullptr;
        if (!cursor.Bytes(ignored, size_t(blockLeft)))
            return false;
        finished = true;
        return cursor.SkipSubBlocks();
    }

    bool truncated = false;

private:
    ByteCursor& cursor;
    uint32_t bits = 0;
    int bitCount = 0;
    int blockLeft = 0;
    bool finished = false;
};

// Decodes up to pixelCount colour indices. False on a damaged stream or a file that ends
// inside the image data; a stream that simply ends early leaves the remaining pixels unset.
bool DecodeLzw(ByteCursor& cursor, int minCodeSize, size_t pixelCount, std::vector<uint8_t>& indices)
{
    if (minCodeSize < 1 || minCodeSize > 8)
        return false;
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;

    std::array<uint16_t, kMaxCodes> prefix{};
    std::array<uint8_t, kMaxCodes> suffix{};
    std::array<uint8_t, kMaxCodes> first{};
    std::array<uint8_t, kMaxCodes> stack{};
    for (int i = 0; i < clearCode; ++i)
    {
        suffix[size_t(i)] = uint8_t(i);
        first[size_t(i)] = uint8_t(i);
    }

    int codeSize = minCodeSize + 1;
    int nextCode = clearCode + 2;
    int previous = -1;
    CodeReader reader(cursor);
    int code = 0;

    while (indices.size() < pixelCount && reader.Next(codeSize, code))
    {
        if (code == clearCode)
        {
            codeSize = minCodeSize + 1;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode)
            break;

        int emitted = code;
        uint8_t firstByte = 0;
        if (previous < 0)
        {
            if (code >= clearCode)
                return false; // the first code after a clear must be a literal
            firstByte = uint8_t(code);
        }
        else if (code < nextCode)
        {
            firstByte = first[size_t(code)];
        }
        else if (code == nextCode && nextCode < kMaxCodes)
        {
            firstByte = first[size_t(previous)];
        }
        else
        {
            return false; // a code the table cannot hold yet
        }

        if (previous >= 0 && nextCode < kMaxCodes)
        {
            prefix[size_t(nextCode)] = uint16_t(previous);
            suffix[size_t(nextCode)] = firstByte;
            first[size_t(nextCode)] = first[size_t(previous)];
            ++nextCode;
            if (nextCode == (1 << codeSize) && codeSize < kMaxCodeBits)
                ++codeSize;
        }

        // Each entry's prefix is an older entry, so the chain is at most kMaxCodes long.
        size_t depth = 0;
        while (emitted >= clearCode)
        {
            stack[depth++] = suffix[size_t(emitted)];
            emitted = prefix[size_t(emitted)];
        }
        stack[depth++] = uint8_t(emitted);
        while (depth > 0 && indices.size() < pixelCount)
            indices.push_back(stack[--depth]);
        previous = code;
    }
    if (reader.truncated)
        return false;
    return reader.SkipRest() || indices.size() == pixelCount;
}

// The order in which the rows of an interlaced image arrive.
std::vector<int> InterlacedRows(int height)
{
    std::vector<int> rows;
    rows.reserve(size_t(height));
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            rows.push_back(y);
    return rows;
}

} // namespace

std::unique_ptr<ImageData> ReadGIF(ImageStream& stream)
{
    const std::vector<uint8_t> bytes = stream.ReadRest();
    ByteCursor cursor(bytes);

    const uint8_t* signature = nullptr;
    if (!cursor.Bytes(signature, 6))
        return nullptr;
    if (std::memcmp(signature, "GIF87", 5) != 0 && std::memcmp(signature, "GIF89", 5) != 0)
        return nullptr;

    int screenWidth = 0, screenHeight = 0, screenFlags = 0, background = 0, aspect = 0;
    if (!cursor.Word(screenWidth) || !cursor.Word(screenHeight) || !cursor.Byte(screenFlags) ||
        !cursor.Byte(background) || !cursor.Byte(aspect))
        return nullptr;
    std::array<uint32_t, 256> colors;
    colors.fill(0xFF000000);
    if ((screenFlags & 0x80) != 0 && !ReadColorTable(cursor, screenFlags, colors))
        return nullptr;

    int transparentIndex = -1;
    for (;;)
    {
        int block = 0;
        if (!cursor.Byte(block) || block == ';')
            return nullptr;
        if (block == ',')
            break;
        if (block != '!')
            return nullptr;
        int label = 0;
        if (!cursor.Byte(label))
            return nullptr;
        if (label == 0xF9)
        {
            int length = 0;
            const uint8_t* data = nullptr;
            if (!cursor.Byte(length) || !cursor.Bytes(data, size_t(length)))
                return nullptr;
            if (length >= 4 && (data[0] & 1) != 0)
                transparentIndex = data[3];
            if (length != 0 && !cursor.SkipSubBlocks())
                return nullptr;
        }
        else if (!cursor.SkipSubBlocks())
        {
            return nullptr; // comments, application blocks ("NETSCAPE2.0") and anything else
        }
    }

    int left = 0, top = 0, width = 0, height = 0, imageFlags = 0;
    if (!cursor.Word(left) || !cursor.Word(top) || !cursor.Word(width) || !cursor.Word(height) ||
        !cursor.Byte(imageFlags))
        return nullptr;
    if (!ImageData::SizeAllowed(width, height))
        return nullptr;
    if ((imageFlags & 0x80) != 0 && !ReadColorTable(cursor, imageFlags, colors))
        return nullptr;
    if (transparentIndex >= 0)
        colors[size_t(transparentIndex)] = 0;

    int minCodeSize = 0;
    if (!cursor.Byte(minCodeSize))
        return nullptr;
    const size_t pixelCount = size_t(width) * size_t(height);
    std::vector<uint8_t> indices;
    if (!DecodeLzw(cursor, minCodeSize, pixelCount, indices))
        return nullptr;

    auto image = std::make_unique<ImageData>(width, height);
    const bool interlaced = (imageFlags & 0x40) != 0;
    const std::vector<int> rows = interlaced ? InterlacedRows(height) : std::vector<int>();
    for (size_t i = 0; i < indices.size(); ++i)
    {
        const int sourceRow = int(i / size_t(width));
        const int x = int(i % size_t(width));
        const int y = interlaced ? rows[size_t(sourceRow)] : sourceRow;
        image->At(x, y) = colors[indices[i]];
    }
    return image;
}

} // namespace Vesk::ImageLib
