#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

// A growable byte buffer with a write position and a read position, both counted in bits.
// Demo files use its bit-level fields; the save file uses whole bytes and 32-bit integers;
// object lists are read from it line by line.
//
// Bits are written least-significant first, filling each byte from bit 0 upwards. "Byte"
// fields sit at the current bit position (not aligned), 32-bit fields are four bytes low byte
// first, a boolean is a whole byte (0 or 1) and a string is a 16-bit length and its bytes.
// Reading past the end never fails: missing bits read as 0.
class Buffer
{
public:
    Buffer() = default;
    explicit Buffer(std::vector<uint8_t> bytes);

    void Clear();
    void SeekFront() { readBitPos = 0; }

    void WriteNumBits(uint32_t value, int bitCount);
    void WriteByte(uint8_t value) { WriteNumBits(value, 8); }
    void WriteShort(uint16_t value) { WriteNumBits(value, 16); }
    void WriteLong(uint32_t value) { WriteNumBits(value, 32); }
    void WriteBoolean(bool value) { WriteByte(value ? 1 : 0); }
    // A 16-bit length and the bytes; a longer text is cut at 65535 bytes.
    void WriteString(const std::string& text);
    void WriteBytes(const uint8_t* data, size_t count);
    void WriteBytes(const std::string& text) { WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

    // Reads bitCount (1..32) bits; a signed field is sign-extended from its top bit.
    uint32_t ReadNumBits(int bitCount, bool isSigned = false);
    uint8_t ReadByte() { return static_cast<uint8_t>(ReadNumBits(8)); }
    uint16_t ReadShort() { return static_cast<uint16_t>(ReadNumBits(16)); }
    uint32_t ReadLong() { return ReadNumBits(32); }
    bool ReadBoolean() { return ReadByte() != 0; }
    std::string ReadString();
    // Reads count bytes; the part past the end of the data is filled with 0.
    void ReadBytes(uint8_t* data, size_t count);
    // Reads up to the next line feed (which is consumed, not returned); carriage returns are
    // dropped. At the end of the data returns what is left.
    std::string ReadLine();

    // True when the read position has reached the end of the written data.
    bool AtEnd() const { return readBitPos >= bitLength; }
    size_t GetDataLen() const { return (bitLength + 7) / 8; }
    size_t GetBitLength() const { return bitLength; }
    const std::vector<uint8_t>& GetData() const { return bytes; }
    size_t GetReadBitPos() const { return readBitPos; }

private:
    std::vector<uint8_t> bytes;
    size_t bitLength = 0;
    size_t readBitPos = 0;
};

} // namespace Vesk
