#include "framework/appbase/Buffer.h"

#include <algorithm>

namespace Vesk
{

Buffer::Buffer(std::vector<uint8_t> bytes) : bytes(std::move(bytes))
{
    bitLength = this->bytes.size() * 8;
}

void Buffer::Clear()
{
    bytes.clear();
    bitLength = 0;
    readBitPos = 0;
}

void Buffer::WriteNumBits(uint32_t value, int bitCount)
{
    for (int bit = 0; bit < bitCount; ++bit)
    {
        if (bitLength % 8 == 0)
            bytes.push_back(0);
        if ((value >> bit) & 1)
            bytes.back() |= static_cast<uint8_t>(1u << (bitLength % 8));
        ++bitLength;
    }
}

void Buffer::WriteString(const std::string& text)
{
    size_t length = std::min<size_t>(text.size(), 0xFFFF);
    WriteShort(static_cast<uint16_t>(length));
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), length);
}

void Buffer::WriteBytes(const uint8_t* data, size_t count)
{
    if (bitLength % 8 == 0)
    {
        bytes.insert(bytes.end(), data, data + count);
        bitLength += count * 8;
        return;
    }
    for (size_t i = 0; i < count; ++i)
        WriteByte(data[i]);
}

uint32_t Buffer::ReadNumBits(int bitCount, bool isSigned)
{
    uint32_t value = 0;
    for (int bit = 0; bit < bitCount; ++bit)
    {
        if (readBitPos < bitLength && ((bytes[readBitPos / 8] >> (readBitPos % 8)) & 1))
            value |= 1u << bit;
        ++readBitPos;
    }
    if (isSigned && bitCount > 0 && bitCount < 32 && (value & (1u << (bitCount - 1))))
        value |= ~0u << bitCount;
    return value;
}

std::string Buffer::ReadString()
{
    size_t length = ReadShort();
    std::string text(length, '\0');
    ReadBytes(reinterpret_cast<uint8_t*>(text.data()), length);
    return text;
}

void Buffer::ReadBytes(uint8_t* data, size_t count)
{
    if (readBitPos % 8 == 0)
    {
        size_t start = std::min(readBitPos / 8, bytes.size());
        size_t available = std::min(count, bytes.size() - start);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(start), available, data);
        std::fill(data + available, data + count, uint8_t{0});
        readBitPos += count * 8;
        return;
    }
    for (size_t i = 0; i < count; ++i)
        data[i] = ReadByte();
}

std::string Buffer::ReadLine()
{
    std::string line;
    while (!AtEnd())
    {
        char c = static_cast<char>(ReadByte());
        if (c == '\n')
            break;
        if (c != '\r')
            line += c;
    }
    return line;
}

} // namespace Vesk
