#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"
#include "support/ImageBytes.h"

#include <gtest/gtest.h>

namespace Vesk
{

using TestSupport::BuildTga;
using TestSupport::PatternPixels;

namespace
{

std::unique_ptr<ImageData> Decode(const std::vector<uint8_t>& bytes)
{
    MemoryImageStream stream(bytes.data(), bytes.size());
    return ImageLib::ReadTGA(stream);
}

} // namespace

TEST(TgaReaderTest, UncompressedTopLeft32BitImagesReadExactly)
{
    const std::vector<uint32_t> pixels = PatternPixels(5, 3);
    auto image = Decode(BuildTga(5, 3, pixels));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(image->pixels, pixels);

    // An identification text is skipped rather than read as pixels.
    image = Decode(BuildTga(5, 3, pixels, 32, 0x28, 2, "made by hand"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, pixels);
}

TEST(TgaReaderTest, OtherVariantsAndShortFilesAreRefused)
{
    const std::vector<uint32_t> pixels = PatternPixels(4, 4);
    EXPECT_FALSE(Decode(BuildTga(4, 4, pixels, 24, 0x20))) << "24 bits per pixel";
    EXPECT_FALSE(Decode(BuildTga(4, 4, pixels, 32, 0x28, 10))) << "run-length compressed";
    EXPECT_FALSE(Decode(BuildTga(4, 4, pixels, 32, 0x08))) << "bottom-left origin";
    EXPECT_FALSE(Decode(BuildTga(0, 4, {}))) << "zero width";

    // The header promises more pixels than the file holds.
    std::vector<uint8_t> bytes = BuildTga(4, 4, pixels);
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(Decode(bytes));
    bytes = BuildTga(4, 4, pixels);
    bytes[12] = 0xFF;
    bytes[13] = 0xFF;
    bytes[14] = 0xFF;
    bytes[15] = 0xFF;
    EXPECT_FALSE(Decode(bytes)) << "65535 x 65535 from 82 bytes";
    for (size_t length = 0; length < 18; ++length)
        EXPECT_FALSE(Decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(length))));
}

} // namespace Vesk
