#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/ImageSet.h"
#include "framework/graphics/PixelRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace Vesk
{
namespace
{

std::vector<uint32_t> DistinctColors(int count)
{
    std::vector<uint32_t> pixels;
    for (int i = 0; i < count; ++i)
        pixels.push_back(0xFF000000u | uint32_t(i * 977));
    return pixels;
}

TEST(MemoryImageTest, SetBitsCopiesPixelsWritesTheGuardAndComputesTheFlags)
{
    MemoryImage image;
    std::vector<uint32_t> pixels = {0xFF112233, 0x00000000, 0x80FFFFFF, 0xFF000000};
    image.SetBits(pixels.data(), 2, 2, true);
    ASSERT_NE(image.GetBits(), nullptr);
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 4), pixels);
    EXPECT_EQ(image.GetBits()[4], MemoryImage::GuardValue);
    EXPECT_TRUE(image.GuardIntact());
    EXPECT_TRUE(image.HasTransparency());
    EXPECT_TRUE(image.HasAlpha());

    std::vector<uint32_t> opaque(6, 0xFF123456);
    image.SetBits(opaque.data(), 3, 2, true);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_FALSE(image.HasTransparency());
    EXPECT_FALSE(image.HasAlpha());

    // Without commit the flags wait for CommitBits.
    image.SetBits(pixels.data(), 2, 2, false);
    EXPECT_FALSE(image.HasTransparency());
    image.CommitBits();
    EXPECT_TRUE(image.HasTransparency());
}

TEST(MemoryImageTest, CreateAndClearGiveTransparentBlackAndEmptyImagesHaveNoBits)
{
    MemoryImage image;
    EXPECT_EQ(image.GetBits(), nullptr);
    image.Create(3, 2);
    ASSERT_NE(image.GetBits(), nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image.GetBits()[i], 0u);
    image.FillRect(Rect(0, 0, 3, 2), Color(10, 20, 30), DRAWMODE_NORMAL);
    EXPECT_EQ(image.GetBits()[5], 0xFF0A141Eu);
    int count = image.GetBitsChangedCount();
    image.Clear();
    EXPECT_EQ(image.GetBits()[5], 0u);
    EXPECT_GT(image.GetBitsChangedCount(), count);
    EXPECT_TRUE(image.GuardIntact());
}

TEST(MemoryImageTest, ExactlyTwoHundredFiftySixColoursPalettizeAndTwoHundredFiftySevenDoNot)
{
    std::vector<uint32_t> pixels = DistinctColors(256);
    // Repeat some colours so the palette must find them again.
    pixels.insert(pixels.end(), pixels.begin(), pixels.begin() + 64);
    MemoryImage image;
    image.SetBits(pixels.data(), 32, 10, true);
    ASSERT_TRUE(image.Palletize());
    EXPECT_TRUE(image.IsPalettized());
    EXPECT_EQ(image.GetPalette().size(), 256u);
    EXPECT_TRUE(image.wantPal);
    // Palette in order of first appearance.
    EXPECT_EQ(image.GetPalette()[0], pixels[0]);
    EXPECT_EQ(image.GetPalette()[255], pixels[255]);
    EXPECT_EQ(image.GetColorIndices()[256], 0);
    EXPECT_TRUE(image.Palletize());
    // Back to 32 bits: same pixels, palette dropped.
    const uint32_t* bits = image.GetBits();
    EXPECT_EQ(std::vector<uint32_t>(bits, bits + pixels.size()), pixels);
    EXPECT_FALSE(image.IsPalettized());

    std::vector<uint32_t> tooMany = DistinctColors(257);
    tooMany.resize(260, 0xFF000000);
    MemoryImage big;
    big.SetBits(tooMany.data(), 26, 10, true);
    EXPECT_FALSE(big.Palletize());
    EXPECT_FALSE(big.IsPalettized());
    EXPECT_FALSE(big.wantPal);
    EXPECT_EQ(std::vector<uint32_t>(big.GetBits(), big.GetBits() + 260), tooMany);
}

TEST(MemoryImageTest, PalettizedFlagsComeFromThePaletteAndDrawingUnpalettizes)
{
    std::vector<uint32_t> pixels = {0xFFFF0000, 0x00000000, 0xFFFF0000, 0x40102030};
    MemoryImage image;
    image.SetBits(pixels.data(), 4, 1, true);
    ASSERT_TRUE(image.Palletize());
    EXPECT_TRUE(image.HasTransparency());
    EXPECT_TRUE(image.HasAlpha());
    image.FillRect(Rect(1, 0, 1, 1), Color(0, 0, 255), DRAWMODE_NORMAL);
    EXPECT_FALSE(image.IsPalettized());
    EXPECT_EQ(image.GetBits()[1], 0xFF0000FFu);
    EXPECT_EQ(image.GetBits()[0], 0xFFFF0000u);
}

TEST(MemoryImageTest, RunLengthArraysCountDownToTheEndOfEachRun)
{
    // Row: 2 transparent, 3 opaque, 1 partial, 2 opaque; second row all partial.
    std::vector<uint32_t> pixels = {0,          0,          0xFF000000, 0xFF111111, 0xFF222222, 0x80FFFFFF,
                                    0xFF000000, 0xFF000000, 0x10000000, 0x20000000, 0x30000000, 0x40000000,
                                    0x50000000, 0x60000000, 0x70000000, 0x80000000};
    MemoryImage image;
    image.SetBits(pixels.data(), 8, 2, true);
    const uint8_t* runs = image.GetRLAlphaData();
    ASSERT_NE(runs, nullptr);
    std::vector<uint8_t> expected = {2, 1, 3, 2, 1, 1, 2, 1, 8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 16), expected);

    // Additive classes: black (adds nothing) or not; transparent pixels are black too.
    const uint8_t* additive = image.GetRLAdditiveData();
    ASSERT_NE(additive, nullptr);
    std::vector<uint8_t> expectedAdditive = {3, 2, 1, 3, 2, 1, 2, 1, 8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(std::vector<uint8_t>(additive, additive + 16), expectedAdditive);
}

TEST(MemoryImageTest, OnePixelWideImagesStoreOneEverywhere)
{
    std::vector<uint32_t> pixels = {0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0x80FFFFFF};
    MemoryImage image;
    image.SetBits(pixels.data(), 1, 5, true);
    const uint8_t* runs = image.GetRLAlphaData();
    const uint8_t* additive = image.GetRLAdditiveData();
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(runs[i], 1);
        EXPECT_EQ(additive[i], 1);
    }
}

TEST(MemoryImageTest, LongRunsAreCappedAt255AndStillWalkToTheRunEnd)
{
    std::vector<uint32_t> pixels(600, 0xFFFFFFFF);
    std::fill(pixels.begin() + 300, pixels.end(), 0u);
    MemoryImage image;
    image.SetBits(pixels.data(), 600, 1, true);
    const uint8_t* runs = image.GetRLAlphaData();
    EXPECT_EQ(runs[0], 255);
    EXPECT_EQ(runs[44], 255);
    EXPECT_EQ(runs[45], 255);
    EXPECT_EQ(runs[46], 254);
    EXPECT_EQ(runs[299], 1);
    EXPECT_EQ(runs[300], 255);
    EXPECT_EQ(runs[599], 1);
    // Walking by the stored counts lands exactly on run boundaries.
    int position = 0;
    std::vector<int> stops;
    while (position < 600)
    {
        stops.push_back(position);
        position += runs[position];
    }
    EXPECT_EQ(stops, (std::vector<int>{0, 255, 300, 555}));
}

TEST(MemoryImageTest, RowExtentsSpanTheDrawnPixelsAndAskForAWalkAroundLongGaps)
{
    const int width = 100;
    std::vector<uint32_t> pixels(size_t(width) * 4, 0);
    // Row 0: transparent, then one opaque pixel at 3, a gap of 70, translucent pixels 74..79.
    pixels[3] = 0xFF102030;
    for (int x = 74; x < 80; ++x)
        pixels[size_t(x)] = 0x80405060;
    // Row 1: a short gap only (opaque 10..19, transparent 20..29, opaque 30..39).
    for (int x = 10; x < 40; ++x)
        pixels[size_t(width + x)] = x < 20 || x >= 30 ? 0xFF010203u : 0u;
    // Row 2: nothing drawn. Row 3: opaque black everywhere but the last pixel.
    for (int x = 0; x < width; ++x)
        pixels[size_t(3 * width + x)] = x == width - 1 ? 0xFF00FF00u : 0xFF000000u;
    MemoryImage image;
    image.SetBits(pixels.data(), width, 4, true);

    const RowExtent* alpha = image.GetRLAlphaRows();
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha[0].first, 3);
    EXPECT_EQ(alpha[0].end, 80);
    EXPECT_TRUE(alpha[0].walk);
    EXPECT_EQ(alpha[1].first, 10);
    EXPECT_EQ(alpha[1].end, 40);
    EXPECT_FALSE(alpha[1].walk);
    EXPECT_EQ(alpha[2].first, alpha[2].end);
    EXPECT_EQ(alpha[3].first, 0);
    EXPECT_EQ(alpha[3].end, width);
    EXPECT_TRUE(alpha[3].opaque);
    EXPECT_FALSE(alpha[1].opaque);

    // For additive drawing black pixels are skippable as well.
    const RowExtent* additive = image.GetRLAdditiveRows();
    ASSERT_NE(additive, nullptr);
    EXPECT_EQ(additive[3].first, width - 1);
    EXPECT_EQ(additive[3].end, width);
    EXPECT_FALSE(additive[3].walk);

    // Extents go with the run-length arrays when the pixels change.
    image.GetBits()[3] = 0;
    image.BitsChanged();
    EXPECT_EQ(image.GetRLAlphaRows()[0].first, 74);
    EXPECT_FALSE(image.GetRLAlphaRows()[0].walk);
}

TEST(MemoryImageTest, NativeDataIsPremultipliedAndDroppedOnChange)
{
    std::vector<uint32_t> pixels = {0xFFC08040, 0x80FF8000, 0x00FFFFFF};
    MemoryImage image;
    image.SetBits(pixels.data(), 3, 1, true);
    const uint32_t* native = image.GetNativeAlphaData();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native[0], 0xFFC08040u);
    EXPECT_EQ(native[1], (0x80u << 24) | ((255u * 129 >> 8) << 16) | ((128u * 129 >> 8) << 8));
    EXPECT_EQ(native[2], 0u);

    SourcePixels before = image.GetSourcePixels(true, true);
    EXPECT_NE(before.rlAdditive, nullptr);
    image.FillRect(Rect(0, 0, 1, 1), Color(0, 0, 0), DRAWMODE_NORMAL);
    SourcePixels after = image.GetSourcePixels(false, false);
    EXPECT_EQ(after.native, nullptr);
    EXPECT_EQ(image.GetNativeAlphaData()[0], 0xFF000000u);

    // Bits can be rebuilt from the native data alone.
    MemoryImage opaque;
    std::vector<uint32_t> colors = {0xFF102030, 0xFFFFFFFF};
    opaque.SetBits(colors.data(), 2, 1, true);
    opaque.GetNativeAlphaData();
    EXPECT_EQ(PixelRules::Unpremultiply(PixelRules::Premultiply(0xFF102030)), 0xFF102030u);
}

TEST(MemoryImageTest, SetImageModeFixesTheFlagsAgainstDrawing)
{
    MemoryImage image;
    image.Create(4, 4);
    image.FillRect(Rect(0, 0, 4, 4), Color(255, 255, 255), DRAWMODE_NORMAL);
    image.CommitBits();
    EXPECT_FALSE(image.HasTransparency());

    image.SetImageMode(false, false);
    image.ClearRect(Rect(0, 0, 2, 2));
    image.FillRect(Rect(2, 2, 1, 1), Color(0, 0, 0, 100), DRAWMODE_NORMAL);
    image.CommitBits();
    EXPECT_TRUE(image.IsForcedMode());
    EXPECT_FALSE(image.HasTransparency());
    EXPECT_FALSE(image.HasAlpha());

    MemoryImage unforced;
    unforced.Create(2, 2);
    unforced.FillRect(Rect(0, 0, 2, 2), Color(1, 2, 3), DRAWMODE_NORMAL);
    unforced.ClearRect(Rect(0, 0, 1, 1));
    unforced.CommitBits();
    EXPECT_TRUE(unforced.HasTransparency());
}

TEST(MemoryImageTest, BufferDroppingKeepsThePixels)
{
    std::vector<uint32_t> pixels = {0xFF0000FF, 0x00000000, 0xFF0000FF, 0xFF00FF00};
    MemoryImage image;
    image.SetBits(pixels.data(), 2, 2, true);
    ASSERT_TRUE(image.Palletize());
    image.DeleteSWBuffers();
    EXPECT_FALSE(image.IsPalettized());
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 4), pixels);

    // ReInit palettizes again what wanted a palette.
    image.ReInit();
    EXPECT_TRUE(image.IsPalettized());
    image.DeleteNativeData();
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 4), pixels);

    // Purging keeps the memory copy when nothing else holds the pixels.
    image.PurgeBits();
    EXPECT_TRUE(image.purgeBits);
    ASSERT_NE(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetBits()[3], 0xFF00FF00u);
}

TEST(MemoryImageTest, ImagesJoinAndLeaveTheirImageSet)
{
    ImageSet set;
    {
        MemoryImage first(&set);
        EXPECT_TRUE(set.Contains(&first));
        first.Create(2, 2);
        MemoryImage copy(first);
        EXPECT_EQ(set.Count(), 2u);
        int visited = 0;
        set.ForEach([&](MemoryImage&) { ++visited; });
        EXPECT_EQ(visited, 2);
    }
    EXPECT_EQ(set.Count(), 0u);
    MemoryImage loose;
    EXPECT_EQ(set.Count(), 0u);
}

TEST(MemoryImageTest, CopiesAreDeepAndIndependent)
{
    MemoryImage image;
    std::vector<uint32_t> pixels = {0xFF010203, 0xFF040506};
    image.SetBits(pixels.data(), 2, 1, true);
    image.rows = 1;
    image.columns = 2;
    image.animInfo = std::make_unique<AnimInfo>();
    image.animInfo->frameDelay = 50;
    MemoryImage copy(image);
    image.FillRect(Rect(0, 0, 2, 1), Color(9, 9, 9), DRAWMODE_NORMAL);
    image.animInfo->frameDelay = 10;
    EXPECT_EQ(copy.GetBits()[0], 0xFF010203u);
    EXPECT_EQ(copy.columns, 2);
    ASSERT_NE(copy.animInfo, nullptr);
    EXPECT_EQ(copy.animInfo->frameDelay, 50);
}

TEST(AnimInfoTest, PingPongMapsFramesBackAndPerFrameDelaysFillIn)
{
    AnimInfo info;
    info.animType = AnimInfo::AnimPingPong;
    info.frameDelay = 100;
    info.Compute(4);
    EXPECT_EQ(info.frameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(info.numCels, 6);
    EXPECT_EQ(info.totalAnimTime, 600);
    EXPECT_EQ(info.GetCel(450), 2);

    AnimInfo timed;
    timed.animType = 1;
    timed.frameDelay = 20;
    timed.perFrameDelay = {0, 50, 0};
    timed.Compute(3, 0, 200);
    EXPECT_EQ(timed.perFrameDelay, (std::vector<int>{20, 50, 200}));
    EXPECT_EQ(timed.totalAnimTime, 270);
    EXPECT_EQ(timed.GetCel(60), 1);

    AnimInfo single;
    single.animType = AnimInfo::AnimPingPong;
    single.Compute(1);
    EXPECT_TRUE(single.frameMap.empty());
    EXPECT_EQ(single.totalAnimTime, 1);
}

} // namespace
} // namespace Vesk
