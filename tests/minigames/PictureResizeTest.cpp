// Resizing a game's pictures: a reduction averages the pixels each new one covers without
// transparent pixels lending their colour, and a part enlarged for a glass's window is exactly
// that part of the whole enlargement, transparent beyond it.
#include "minigames/PictureResize.h"

#include "framework/graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Vesk
{
namespace
{

std::unique_ptr<MemoryImage> Made(const std::vector<uint32_t>& pixels, int width, int height)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

TEST(PictureResizeTest, AReductionAveragesCoveredPixelsWithoutTheColourOfTransparentOnes)
{
    // Two 3 x 3 blocks: opaque red; four opaque blue pixels among five clear black ones.
    std::vector<uint32_t> pixels(6 * 3, 0xFFFF0000u);
    for (int y = 0; y < 3; ++y)
        for (int x = 3; x < 6; ++x)
            pixels[size_t(y * 6 + x)] = (x + y) % 2 == 0 ? 0xFF0000FFu : 0x00000000u;
    auto source = Made(pixels, 6, 3);
    auto reduced = PictureResize::Resize(source.get(), 2, 1);
    ASSERT_NE(reduced, nullptr);
    ASSERT_EQ(reduced->GetWidth(), 2);
    const uint32_t* bits = reduced->GetBits();
    EXPECT_EQ(bits[0], 0xFFFF0000u);
    EXPECT_EQ(bits[1] & 0x00FFFFFFu, 0x0000FFu) << "no black from the clear pixels";
    EXPECT_EQ(bits[1] >> 24, 113u) << "four ninths opaque";

    EXPECT_EQ(PictureResize::Resize(nullptr, 2, 2), nullptr);
    EXPECT_EQ(PictureResize::Resize(source.get(), 0, 2), nullptr);
    EXPECT_EQ(PictureResize::Resize(source.get(), PictureResize::kMaxSide + 1, 2), nullptr);
}

TEST(PictureResizeTest, APartEnlargedIsThatPartOfTheWholeEnlargement)
{
    const int width = 23;
    const int height = 17;
    std::vector<uint32_t> pixels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y * width + x)] = uint32_t(255 - (x * 7 + y * 3) % 90) << 24 |
                                            uint32_t((x * 37) % 256) << 16 | uint32_t((y * 53) % 256) << 8 | 0x40u;
    auto source = Made(pixels, width, height);
    auto whole = PictureResize::Resize(source.get(), width * 3, height * 3);
    ASSERT_NE(whole, nullptr);
    PictureResize::PartEnlarger enlarger(source.get());
    ASSERT_FALSE(enlarger.Empty());

    MemoryImage part;
    part.Create(20, 20);
    for (const auto& [left, top] : {std::pair{0, 0}, std::pair{13, 29}, std::pair{55, 40}, std::pair{-5, -7}})
    {
        enlarger.Draw(3, left, top, part);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
            {
                const int wx = left + x;
                const int wy = top + y;
                const bool inside = wx >= 0 && wy >= 0 && wx < width * 3 && wy < height * 3;
                const uint32_t expected = inside ? whole->GetBits()[wy * width * 3 + wx] : 0u;
                ASSERT_EQ(part.GetBits()[y * 20 + x], expected) << left << ", " << top << " at " << x << ", " << y;
            }
    }
    EXPECT_TRUE(PictureResize::PartEnlarger(nullptr).Empty());
}

} // namespace
} // namespace Vesk
