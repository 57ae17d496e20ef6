#include "framework/resources/ImageLib.h"
#include "framework/resources/MemoryImageStream.h"
#include "support/ImageBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace Vesk
{

using TestSupport::BuildPng;
using TestSupport::PatternPixels;
using TestSupport::TempFolder;

namespace
{

std::unique_ptr<ImageData> DecodePng(const std::vector<uint8_t>& bytes)
{
    MemoryImageStream stream(bytes.data(), bytes.size());
    return ImageLib::ReadPNG(stream);
}

std::unique_ptr<ImageData> DecodeJpeg(const std::vector<uint8_t>& bytes)
{
    MemoryImageStream stream(bytes.data(), bytes.size());
    return ImageLib::ReadJPEG(stream);
}

std::vector<uint8_t> ReadBytes(const TempFolder& folder, const std::string& name)
{
    const std::string text = folder.ReadFile(name);
    return std::vector<uint8_t>(text.begin(), text.end());
}

ImageData Pattern(int width, int height)
{
    ImageData image(width, height);
    image.pixels = PatternPixels(width, height);
    return image;
}

int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
}

} // namespace

TEST(PngReaderTest, WrittenPicturesReadBackExactlyWithTheirAlpha)
{
    TempFolder folder;
    const ImageData original = Pattern(7, 5);
    ASSERT_TRUE(ImageLib::WritePNG("shots/one.png", original));
    auto image = DecodePng(ReadBytes(folder, "shots/one.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 7);
    EXPECT_EQ(image->height, 5);
    EXPECT_EQ(image->pixels, original.pixels);

    // Only the finished file is left behind, never a temporary one.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "shots"))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(PngReaderTest, PaletteGreyAndDeepImagesBecome32BitPixels)
{
    // Palette with transparency: index 0 clear, 1 half, 2 opaque (no tRNS entry).
    auto image = DecodePng(BuildPng(3, 1, 8, 3, {{0, 1, 2}}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {0, 128}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0x000A141E, 0x8028323C, 0xFF46505A}));

    image = DecodePng(BuildPng(2, 1, 8, 0, {{0x00, 0x7F}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F}));

    // One-bit grey expands to 0 and 255.
    image = DecodePng(BuildPng(3, 1, 1, 0, {{0b10100000}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}));

    // Sixteen bits per channel are reduced to eight.
    image = DecodePng(BuildPng(1, 1, 16, 6, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint32_t>{0xDE12569A}));
}

TEST(PngReaderTest, DamagedAndOversizedFilesAreRefused)
{
    const std::vector<uint8_t> good =
        BuildPng(4, 4, 8, 2, std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(12, 9)));
    ASSERT_TRUE(DecodePng(good));
    for (size_t length = 0; length < good.size() - 12; ++length) // all but a missing IEND
        EXPECT_FALSE(DecodePng(std::vector<uint8_t>(good.begin(), good.begin() + long(length)))) << length;

    std::vector<uint8_t> bytes = good;
    bytes[29] ^= 0x01; // inside the IHDR checksum
    EXPECT_FALSE(DecodePng(bytes));

    // A header of 4100 x 4100 pixels over a few rows of data, and one beyond the largest size.
    EXPECT_FALSE(
        DecodePng(BuildPng(4100, 4100, 8, 2, std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(12, 9)))));
    EXPECT_FALSE(DecodePng(BuildPng(20000, 1, 8, 0, {std::vector<uint8_t>(20000, 1)})));
    EXPECT_FALSE(DecodePng({'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}));
}

TEST(JpegReaderTest, WrittenPicturesReadBackCloseAndOpaque)
{
    TempFolder folder;
    ImageData original(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            original.At(x, y) = x < 8 ? 0x80C03020 : 0x00204080; // alpha is dropped
    ASSERT_TRUE(ImageLib::WriteJPEG("thumb.jpg", original));
    auto image = DecodeJpeg(ReadBytes(folder, "thumb.jpg"));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 16);
    ASSERT_EQ(image->height, 16);
    EXPECT_LE(ChannelDistance(image->At(2, 2), 0xFFC03020), 12);
    EXPECT_LE(ChannelDistance(image->At(13, 13), 0xFF204080), 12);
    for (uint32_t pixel : image->pixels)
        ASSERT_EQ(pixel >> 24, 0xFFu);
}

TEST(JpegReaderTest, ACutFileShowsWhatItHasAndGarbageIsRefused)
{
    TempFolder folder;
    const ImageData original = Pattern(64, 64);
    ASSERT_TRUE(ImageLib::WriteJPEG("cut.jpg", original));
    const std::vector<uint8_t> good = ReadBytes(folder, "cut.jpg");
    // Half the file: the header is whole, so the picture keeps its size.
    auto half = DecodeJpeg(std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)));
    ASSERT_TRUE(half);
    EXPECT_EQ(half->width, 64);
    EXPECT_EQ(half->height, 64);
    // Every cut at all: no crash, and within the headers no picture.
    for (size_t length = 0; length < good.size(); length += 7)
    {
        auto cut = DecodeJpeg(std::vector<uint8_t>(good.begin(), good.begin() + long(length)));
        if (length < 100)
        {
            EXPECT_FALSE(cut) << length;
        }
    }
    EXPECT_FALSE(DecodeJpeg({0xFF, 0xD8, 0xFF, 0x00, 0x12, 0x34}));
    EXPECT_FALSE(DecodeJpeg({}));
}

TEST(ImageWriterTest, AFailedWriteLeavesTheOldFileAndBadPicturesAreRefused)
{
    TempFolder folder;
    folder.WriteFile("keep.png", "old");
    ImageData broken(4, 4);
    broken.pixels.resize(3);
    EXPECT_FALSE(ImageLib::WritePNG("keep.png", broken));
    EXPECT_FALSE(ImageLib::WriteJPEG("keep.png", broken));
    EXPECT_FALSE(ImageLib::WritePNG("keep.png", ImageData()));
    EXPECT_EQ(folder.ReadFile("keep.png"), "old");

    std::filesystem::create_directories(folder / "taken.png");
    EXPECT_FALSE(ImageLib::WritePNG("taken.png", Pattern(2, 2)));
}

} // namespace Vesk
