#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"
#include "support/ImageBytes.h"

#include <gtest/gtest.h>

namespace Vesk
{

using TestSupport::BuildGif;
using TestSupport::GifOptions;

namespace
{

std::unique_ptr<ImageData> Decode(const std::vector<uint8_t>& bytes)
{
    MemoryImageStream stream(bytes.data(), bytes.size());
    return ImageLib::ReadGIF(stream);
}

const std::vector<uint32_t> kPalette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};

std::vector<uint8_t> Ramp(int width, int height)
{
    std::vector<uint8_t> indices;
    for (int i = 0; i < width * height; ++i)
        indices.push_back(uint8_t((i / width + i % width) % 4));
    return indices;
}

} // namespace

TEST(GifReaderTest, ColoursComeOutOpaqueAndTheTransparentIndexBecomesTransparentBlack)
{
    const std::vector<uint8_t> indices = {0, 1, 2, 3, 3, 2};
    auto image = Decode(BuildGif(3, 2, kPalette, indices));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels,
              (std::vector<uint32_t>{0xFF102030, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0000FF, 0xFF00FF00}));

    GifOptions options;
    options.transparentIndex = 2;
    options.withComment = true;
    image = Decode(BuildGif(3, 2, kPalette, indices, options));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->At(2, 0), 0u);
    EXPECT_EQ(image->At(2, 1), 0u);
    EXPECT_EQ(image->At(1, 0), 0xFFFF0000);

    options.localColorTable = true;
    image = Decode(BuildGif(3, 2, kPalette, indices, options));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->At(0, 0), 0xFF102030);
    EXPECT_EQ(image->At(2, 0), 0u);
}

TEST(GifReaderTest, InterlacedImagesComeOutInNormalRowOrder)
{
    // Thirteen rows reach all four passes; every row has its own colour pattern.
    const int width = 2, height = 13;
    const std::vector<uint8_t> indices = Ramp(width, height);
    GifOptions options;
    options.interlaced = true;
    auto interlaced = Decode(BuildGif(width, height, kPalette, indices, options));
    auto plain = Decode(BuildGif(width, height, kPalette, indices));
    ASSERT_TRUE(interlaced);
    ASSERT_TRUE(plain);
    EXPECT_EQ(interlaced->pixels, plain->pixels);
    for (int y = 0; y < height; ++y)
        EXPECT_EQ(plain->At(0, y), 0xFF000000 | kPalette[size_t(y % 4)]) << "row " << y;
}

TEST(GifReaderTest, CodesPastAFullTableAreDecodedWithoutAClear)
{
    // 10000 literal codes fill the 4096-entry table; the encoder never clears it.
    const int width = 100, height = 100;
    const std::vector<uint8_t> indices = Ramp(width, height);
    GifOptions options;
    options.emitClearWhenFull = false;
    auto image = Decode(BuildGif(width, height, kPalette, indices, options));
    ASSERT_TRUE(image);
    for (int i = 0; i < width * height; ++i)
        ASSERT_EQ(image->pixels[size_t(i)], 0xFF000000 | kPalette[indices[size_t(i)]]) << "pixel " << i;

    options.emitClearWhenFull = true;
    image = Decode(BuildGif(width, height, kPalette, indices, options));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels.back(), 0xFF000000 | kPalette[indices.back()]);
}

TEST(GifReaderTest, AnEarlyEndCodeLeavesTheRestTransparent)
{
    GifOptions options;
    options.stopAfterPixels = 4;
    auto image = Decode(BuildGif(3, 2, kPalette, {1, 1, 1, 1, 1, 1}, options));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->At(0, 1), 0xFFFF0000);
    EXPECT_EQ(image->At(1, 1), 0u);
    EXPECT_EQ(image->At(2, 1), 0u);
}

TEST(GifReaderTest, DamagedFilesAreRefused)
{
    const std::vector<uint8_t> good = BuildGif(3, 2, kPalette, {0, 1, 2, 3, 0, 1});
    ASSERT_TRUE(Decode(good));

    std::vector<uint8_t> bytes = good;
    bytes[3] = '7';
    bytes[4] = '7'; // "GIF77"
    EXPECT_FALSE(Decode(bytes)) << "signature";

    // Zero width in the image descriptor (screen 6+7 bytes, table 12 bytes, then ",").
    bytes = good;
    const size_t descriptor = 13 + 12;
    ASSERT_EQ(bytes[descriptor], ',');
    bytes[descriptor + 5] = 0;
    bytes[descriptor + 6] = 0;
    EXPECT_FALSE(Decode(bytes)) << "zero width";

    // The trailer where the image should start.
    bytes = good;
    bytes[descriptor] = ';';
    EXPECT_FALSE(Decode(bytes)) << "no image";

    // A code the table cannot hold yet: the first data byte after the clear code.
    bytes = good;
    const size_t lzwMinimum = descriptor + 10;
    bytes[lzwMinimum + 2] = 0xFF;
    EXPECT_FALSE(Decode(bytes)) << "bad code";

    // A minimum code size that would need codes wider than 12 bits.
    bytes = good;
    bytes[lzwMinimum] = 12;
    EXPECT_FALSE(Decode(bytes)) << "code size";

    // A file cut short fails unless every pixel was already decoded; nothing is read past its end.
    const auto whole = Decode(good);
    for (size_t length = 0; length < good.size(); ++length)
    {
        auto cut = Decode(std::vector<uint8_t>(good.begin(), good.begin() + long(length)));
        if (length <= lzwMinimum + 2)
        {
            EXPECT_FALSE(cut) << length;
        }
        else if (cut)
        {
            EXPECT_EQ(cut->pixels, whole->pixels) << length;
        }
    }
}

} // namespace Vesk
