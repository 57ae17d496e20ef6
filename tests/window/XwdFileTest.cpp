#include "support/XwdFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

using TestSupport::XwdFile;

namespace
{

void Put32(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(uint8_t(value >> shift));
}

// An XWD file of width x height with the given pixel layout, its pixel bytes appended by the
// caller. Header: 25 fields, then the window name "w" and its terminator.
std::vector<uint8_t> Header(int width, int height, int bitsPerPixel, int bytesPerLine, bool mostSignificantFirst,
                            uint32_t red, uint32_t green, uint32_t blue, int colors = 0)
{
    std::vector<uint8_t> bytes;
    const uint32_t fields[25] = {102,
                                 7,
                                 2,
                                 uint32_t(bitsPerPixel == 32 ? 24 : bitsPerPixel),
                                 uint32_t(width),
                                 uint32_t(height),
                                 0,
                                 mostSignificantFirst ? 1u : 0u,
                                 32,
                                 mostSignificantFirst ? 1u : 0u,
                                 32,
                                 uint32_t(bitsPerPixel),
                                 uint32_t(bytesPerLine),
                                 4,
                                 red,
                                 green,
                                 blue,
                                 8,
                                 256,
                                 uint32_t(colors),
                                 uint32_t(width),
                                 uint32_t(height),
                                 0,
                                 0,
                                 0};
    for (uint32_t field : fields)
        Put32(bytes, field);
    bytes.push_back('w');
    bytes.push_back(0);
    bytes.insert(bytes.end(), size_t(colors) * 12, 0);
    return bytes;
}

} // namespace

TEST(XwdFileTest, TrueColourPixelsInBothByteOrdersAndDepths)
{
    // 32 bits, least significant byte first, rows padded to 12 bytes.
    std::vector<uint8_t> bytes = Header(2, 2, 32, 12, false, 0xFF0000, 0x00FF00, 0x0000FF, 3);
    const uint8_t rows[24] = {0x33, 0x22, 0x11, 0x00, 0xFF, 0x00, 0x00, 0x00, 9, 9, 9, 9,
                              0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 9, 9, 9, 9};
    bytes.insert(bytes.end(), rows, rows + 24);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    std::string error;
    ASSERT_TRUE(XwdFile::Decode(bytes, pixels, width, height, error)) << error;
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF112233u, 0xFF0000FFu, 0xFFFF0000u, 0xFF00FF00u}));

    // 16 bits 5-6-5, most significant byte first: channels scaled to 0..255.
    bytes = Header(2, 1, 16, 4, true, 0xF800, 0x07E0, 0x001F);
    const uint8_t row[4] = {0xF8, 0x00, 0x04, 0x1F}; // pure red; green 32 of 63 and full blue
    bytes.insert(bytes.end(), row, row + 4);
    ASSERT_TRUE(XwdFile::Decode(bytes, pixels, width, height, error)) << error;
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFFFF0000u, 0xFF0081FFu}));
}

TEST(XwdFileTest, DamagedOrUnsupportedFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> good = Header(4, 4, 32, 16, false, 0xFF0000, 0x00FF00, 0x0000FF);
    good.insert(good.end(), 64, 0x7F);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    std::string error;
    ASSERT_TRUE(XwdFile::Decode(good, pixels, width, height, error));

    // Every cut of the file is refused (the pixels or the header are short).
    for (size_t size = 0; size < good.size(); size += 7)
    {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(size));
        EXPECT_FALSE(XwdFile::Decode(cut, pixels, width, height, error)) << size;
        EXPECT_FALSE(error.empty());
    }
    auto changed = [&](size_t field, uint32_t value)
    {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[field * 4 + size_t(i)] = uint8_t(value >> (24 - 8 * i));
        return bytes;
    };
    struct Case
    {
        size_t field;
        uint32_t value;
        const char* reason;
    };
    for (const Case& bad : {Case{1, 6, "version 7"}, Case{0, 20, "header size"}, Case{0, 100000, "header size"},
                            Case{2, 1, "true-colour"}, Case{13, 3, "true-colour"}, Case{11, 12, "bits per pixel"},
                            Case{4, 0, "picture size"}, Case{12, 4, "picture size"}, Case{5, 0x7FFFFFFF, "size"},
                            Case{19, 0x10000000, "cut short"}})
    {
        error.clear();
        EXPECT_FALSE(XwdFile::Decode(changed(bad.field, bad.value), pixels, width, height, error)) << bad.field;
        EXPECT_NE(error.find(bad.reason), std::string::npos) << error;
    }
    EXPECT_FALSE(XwdFile::Read("/nonexistent/window.xwd", pixels, width, height, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

} // namespace Vesk
