#include "framework/graphics/PixelRules.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/SaturationTable.h"
#include "framework/graphics/Tint.h"
#include "support/ReferenceRenderer.h"
#include "support/ScopedCpuLevel.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::ReferenceRenderer;
using TestSupport::ScopedCpuLevel;

TEST(PixelRulesTest, SaturationTableIsTheIndexThen255)
{
    const SaturationTable& table = SaturationTable::Get();
    EXPECT_EQ(SaturationTable::Size, 512);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(table[i], i < 256 ? i : 255) << i;
}

TEST(PixelRulesTest, FillAtHalfAlphaOverTransparentKeepsTheColourAndOverOpaqueStaysOpaque)
{
    MemoryImage image;
    image.Create(2, 1);
    image.FillRect(Rect(1, 0, 1, 1), Color(0, 0, 255), DRAWMODE_NORMAL);
    image.FillRect(Rect(0, 0, 2, 1), Color(200, 100, 50, 128), DRAWMODE_NORMAL);
    const uint32_t* bits = image.GetBits();
    EXPECT_EQ(bits[0], 0x80C86432u);
    EXPECT_EQ(bits[1] >> 24, 255u);
    EXPECT_EQ(bits[1], ReferenceRenderer::Over(0x80C86432u, 0xFF0000FFu));
    // Half over blue: halfway between the two.
    EXPECT_NEAR(int((bits[1] >> 16) & 0xFF), 100, 1);
    EXPECT_NEAR(int(bits[1] & 0xFF), (50 + 255) / 2, 1);
}

TEST(PixelRulesTest, AFillWithAlphaZeroOrAnOpaqueSourceOverAnythingBehaveExactly)
{
    for (uint32_t dst : {0x00000000u, 0x80123456u, 0xFF808080u})
    {
        EXPECT_EQ(PixelRules::Over(0x00FFFFFF, dst), dst);
        EXPECT_EQ(PixelRules::Over(0xFF102030, dst), 0xFF102030u);
        EXPECT_EQ(PixelRules::PremulOver(0xFF102030, dst), 0xFF102030u);
        EXPECT_EQ(PixelRules::PremulOver(0x00000000, dst), dst);
    }
}

TEST(PixelRulesTest, AdditiveWhiteOverWhiteStaysWhiteAndKeepsTheDestinationAlpha)
{
    const uint8_t* sat = SaturationTable::Get().Data();
    EXPECT_EQ(PixelRules::Add(0xFFFFFFFF, 0xFFFFFFFF, sat), 0xFFFFFFFFu);
    EXPECT_EQ(PixelRules::Add(0xFFFFFFFF, 0x40FFFFFF, sat), 0x40FFFFFFu);
    EXPECT_EQ(PixelRules::PremulAdd(0xFFFFFFFF, 0x7FFFFFFF, sat), 0x7FFFFFFFu);

    MemoryImage destination;
    destination.Create(1, 1);
    destination.FillRect(Rect(0, 0, 1, 1), Color(255, 255, 255, 200), DRAWMODE_NORMAL);
    MemoryImage white;
    std::vector<uint32_t> pixel = {0xFFFFFFFF};
    white.SetBits(pixel.data(), 1, 1, true);
    destination.Blt(&white, 0, 0, Rect(0, 0, 1, 1), Color::White, DRAWMODE_ADDITIVE);
    EXPECT_EQ(destination.GetBits()[0], 0xC8FFFFFFu);
}

TEST(PixelRulesTest, EveryPixelRuleMatchesThePlainReferenceOverAllAlphas)
{
    const uint8_t* sat = SaturationTable::Get().Data();
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i)
    {
        uint32_t src = random();
        uint32_t dst = random();
        if (i % 4 == 0)
            src = (src & 0xFFFFFF) | (uint32_t(i / 4 % 256) << 24);
        if (i % 3 == 0)
            dst |= 0xFF000000;
        ASSERT_EQ(PixelRules::Over(src, dst), ReferenceRenderer::Over(src, dst)) << std::hex << src << " " << dst;
        ASSERT_EQ(PixelRules::Add(src, dst, sat), ReferenceRenderer::Add(src, dst)) << std::hex << src << " " << dst;
        uint32_t native = PixelRules::Premultiply(src);
        ASSERT_EQ(native, ReferenceRenderer::Premultiply(src));
        ASSERT_EQ(PixelRules::PremulOver(native, dst), ReferenceRenderer::PremulOver(native, dst));
        ASSERT_EQ(PixelRules::PremulAdd(native, dst, sat), ReferenceRenderer::PremulAdd(native, dst));
        ASSERT_EQ(PixelRules::Unpremultiply(native), ReferenceRenderer::Unpremultiply(native));
    }
}

TEST(PixelRulesTest, TintMatchesTheReferenceAndWhiteLeavesPixelsAlone)
{
    std::mt19937 random(11);
    for (int i = 0; i < 2000; ++i)
    {
        Color color(int(random() % 256), int(random() % 256), int(random() % 256), int(random() % 256));
        Tint tint(color);
        for (int k = 0; k < 20; ++k)
        {
            uint32_t pixel = random();
            ASSERT_EQ(tint.Apply(pixel), ReferenceRenderer::Tint(pixel, color));
            uint32_t native = PixelRules::Premultiply(pixel);
            ASSERT_EQ(tint.ApplyPremultiplied(native), ReferenceRenderer::TintPremultiplied(native, color));
        }
    }
    Tint white(Color::White);
    EXPECT_TRUE(white.IsWhite());
    EXPECT_EQ(white.Apply(0x12345678u), 0x12345678u);
    // An opaque white pixel tinted red is red.
    Tint red(Color(255, 0, 0));
    EXPECT_EQ(red.Apply(0xFFFFFFFF), 0xFFFF0000u);
}

TEST(PixelRulesTest, TheVectorLevelIsClampedToWhatTheProcessorHasAndRestored)
{
    CpuFeatures::Level supported = CpuFeatures::Supported();
    EXPECT_EQ(CpuFeatures::Active(), supported);
    {
        ScopedCpuLevel scalar(CpuFeatures::Level::Scalar);
        EXPECT_EQ(CpuFeatures::Active(), CpuFeatures::Level::Scalar);
        EXPECT_FALSE(CpuFeatures::UseSse2());
        // Asking for more than the processor has gives what it has.
        EXPECT_EQ(CpuFeatures::SetActive(CpuFeatures::Level::Ssse3), CpuFeatures::Level::Scalar);
        EXPECT_EQ(CpuFeatures::Active(), supported);
        CpuFeatures::SetActive(CpuFeatures::Level::Scalar);
    }
    EXPECT_EQ(CpuFeatures::Active(), supported);
#if defined(__x86_64__)
    EXPECT_GE(supported, CpuFeatures::Level::Sse2);
#endif
}

TEST(PixelRulesTest, EveryFormOfTheRowKernelsEqualsThePerPixelRulesAtEveryLengthAndAlignment)
{
    for (CpuFeatures::Level level : ScopedCpuLevel::All())
    {
        ScopedCpuLevel scoped(level);
        SCOPED_TRACE(ScopedCpuLevel::Name(level));
        std::mt19937 random(3);
        Tint tint(Color(200, 90, 255, 170));
        for (int length = 0; length < 40; ++length)
        {
            for (int offset = 0; offset < 4; ++offset)
            {
                std::vector<uint32_t> straight(64), native(64), dst(64);
                for (size_t i = 0; i < 64; ++i)
                {
                    // Runs of opaque and transparent pixels as well as single ones.
                    uint32_t pixel = random();
                    if (i / 8 % 3 == 1)
                        pixel |= 0xFF000000u;
                    else if (i / 8 % 3 == 2 && i % 5 != 0)
                        pixel &= 0x00FFFFFFu;
                    straight[i] = pixel;
                    native[i] = PixelRules::Premultiply(pixel);
                    dst[i] = random() | (i % 2 ? 0xFF000000u : 0u);
                }
                std::vector<uint32_t> over = dst, added = dst, tinted = dst, premultiplied = dst, retinted = native,
                                      reversed = dst;
                PixelKernels::PremulOverRow(over.data() + offset, native.data() + offset, length);
                PixelKernels::PremulAddRow(added.data() + offset, native.data() + offset, length);
                PixelKernels::TintedPremulOverRow(tinted.data() + offset, straight.data() + offset, length, tint);
                PixelKernels::TintedPremultiplyRow(premultiplied.data() + offset, straight.data() + offset, length,
                                                   tint);
                PixelKernels::TintPremultipliedRow(retinted.data() + offset, length, tint);
                PixelKernels::ReverseRow(reversed.data() + offset, native.data() + 63 - offset, length);
                for (int i = 0; i < 64; ++i)
                {
                    bool inside = i >= offset && i < offset + length;
                    uint32_t n = native[size_t(i)], d = dst[size_t(i)], s = straight[size_t(i)];
                    uint32_t tintedNative = PixelRules::Premultiply(tint.Apply(s));
                    ASSERT_EQ(over[size_t(i)], inside ? ReferenceRenderer::PremulOver(n, d) : d) << length << " " << i;
                    ASSERT_EQ(added[size_t(i)], inside ? ReferenceRenderer::PremulAdd(n, d) : d) << length << " " << i;
                    ASSERT_EQ(tinted[size_t(i)], inside ? ReferenceRenderer::PremulOver(tintedNative, d) : d)
                        << length << " " << i;
                    ASSERT_EQ(premultiplied[size_t(i)], inside ? tintedNative : d) << length << " " << i;
                    ASSERT_EQ(retinted[size_t(i)],
                              inside ? ReferenceRenderer::TintPremultiplied(n, Color(200, 90, 255, 170)) : n)
                        << length << " " << i;
                    ASSERT_EQ(reversed[size_t(i)], inside ? native[size_t(63 - i)] : d) << length << " " << i;
                }
            }
        }
    }
}

TEST(PixelRulesTest, TheTintedRowsEqualTheReferenceForEveryAlphaAndTintAlpha)
{
    for (CpuFeatures::Level level : ScopedCpuLevel::All())
    {
        ScopedCpuLevel scoped(level);
        SCOPED_TRACE(ScopedCpuLevel::Name(level));
        std::mt19937 random(5);
        std::vector<uint32_t> source(256 + 3), dst(256 + 3);
        for (int tintAlpha = 0; tintAlpha < 256; ++tintAlpha)
        {
            Color color(int(random() % 256), int(random() % 256), int(random() % 256), tintAlpha);
            Tint tint(color);
            for (size_t i = 0; i < source.size(); ++i)
            {
                source[i] = (random() & 0xFFFFFF) | (uint32_t(i % 256) << 24);
                dst[i] = random() | 0xFF000000u;
            }
            std::vector<uint32_t> result = dst;
            PixelKernels::TintedPremulOverRow(result.data(), source.data(), int(source.size()), tint);
            std::vector<uint32_t> natives(source.size());
            for (size_t i = 0; i < source.size(); ++i)
                natives[i] = ReferenceRenderer::Premultiply(source[i]);
            std::vector<uint32_t> retinted = natives;
            PixelKernels::TintPremultipliedRow(retinted.data(), int(retinted.size()), tint);
            for (size_t i = 0; i < source.size(); ++i)
            {
                uint32_t expected = ReferenceRenderer::PremulOver(
                    ReferenceRenderer::Premultiply(ReferenceRenderer::Tint(source[i], color)), dst[i]);
                ASSERT_EQ(result[i], expected) << tintAlpha << " " << i;
                ASSERT_EQ(retinted[i], ReferenceRenderer::TintPremultiplied(natives[i], color))
                    << tintAlpha << " " << i;
            }
        }
    }
}

} // namespace
} // namespace Vesk
