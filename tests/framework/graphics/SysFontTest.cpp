#include "framework/graphics/SysFont.h"

#include "framework/resources/ImageData.h"

#include <gtest/gtest.h>

namespace Vesk
{

namespace
{

int Alpha(const ImageData& picture, int x, int y)
{
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
        return 0;
    return int(picture.At(x, y) >> 24);
}

} // namespace

TEST(SysFontTest, AMissingFaceFallsBackToACloseOneWithSensibleMetrics)
{
    SysFont font("Arial Unicode MS", 12);
    ASSERT_TRUE(font.IsLoaded());
    EXPECT_FALSE(font.GetFacePath().empty());
    // 12 points at 96 dots per inch are 16 pixels per em.
    EXPECT_GE(font.GetAscent(), 12);
    EXPECT_LE(font.GetAscent(), 18);
    EXPECT_GT(font.GetHeight(), font.GetAscent());
    EXPECT_LE(font.GetHeight(), 24);
    EXPECT_EQ(font.GetAscentPadding(), 0);
    EXPECT_EQ(font.GetLineSpacing(), font.GetHeight());

    SysFont large("DejaVu Sans", 24);
    EXPECT_GT(large.StringWidth("Orlo"), font.StringWidth("Orlo"));
    SysFont bold("DejaVu Sans", 12, true);
    EXPECT_NE(bold.GetFacePath().find("Bold"), std::string::npos) << bold.GetFacePath();
}

TEST(SysFontTest, WidthsAddUpPerCharacterIncludingLatin1)
{
    SysFont font("DejaVu Sans", 12);
    EXPECT_EQ(font.StringWidth(""), 0);
    EXPECT_EQ(font.StringWidth("Wi"), font.CharWidth('W') + font.CharWidth('i'));
    EXPECT_GT(font.CharWidth('W'), font.CharWidth('i'));
    EXPECT_GT(font.CharWidth('\xE9'), 0); // e acute
    EXPECT_EQ(font.CharWidthKern('i', 'W'), font.CharWidth('i'));
}

TEST(SysFontTest, ShadowAndSimulatedBoldDrawExtraCopiesWithoutChangingTheWidth)
{
    SysFont font("DejaVu Sans", 14);
    const int width = font.StringWidth("H");
    const ImageData plain = font.RenderString("H", 0xFFFFFFFF);
    ASSERT_EQ(plain.width, width);
    ASSERT_EQ(plain.height, font.GetHeight());

    font.simulateBold = true;
    EXPECT_EQ(font.StringWidth("H"), width);
    const ImageData bold = font.RenderString("H", 0xFFFFFFFF);
    font.simulateBold = false;
    font.shadow = true;
    const ImageData shadowed = font.RenderString("H", 0xFFFFFFFF);

    int solid = 0;
    int blackInShadow = 0;
    for (int y = 0; y < plain.height; ++y)
    {
        for (int x = 0; x < plain.width; ++x)
        {
            if (Alpha(plain, x, y) != 255)
                continue;
            ++solid;
            // The bold copy one pixel to the right.
            EXPECT_EQ(Alpha(bold, x, y), 255);
            EXPECT_EQ(Alpha(bold, x + 1, y), 255);
            // The shadow one pixel right and down, black where the text does not cover it.
            EXPECT_GT(Alpha(shadowed, x + 1, y + 1), 0);
            if (Alpha(plain, x + 1, y + 1) == 0 && (shadowed.At(x + 1, y + 1) & 0xFFFFFF) == 0)
                ++blackInShadow;
            EXPECT_EQ(shadowed.At(x, y), 0xFFFFFFFFu);
        }
    }
    EXPECT_GT(solid, 10);
    EXPECT_GT(blackInShadow, 0);
    for (uint32_t pixel : plain.pixels)
        ASSERT_TRUE((pixel >> 24) == 0 || (pixel & 0xFFFFFF) == 0xFFFFFF) << "only white text without a shadow";
}

TEST(SysFontTest, CopiesKeepTheFaceButNotTheEffects)
{
    SysFont font("DejaVu Sans", 10);
    font.shadow = true;
    font.simulateBold = true;
    std::unique_ptr<Font> copy = font.Duplicate();
    auto* sysCopy = dynamic_cast<SysFont*>(copy.get());
    ASSERT_NE(sysCopy, nullptr);
    EXPECT_FALSE(sysCopy->shadow);
    EXPECT_FALSE(sysCopy->simulateBold);
    EXPECT_EQ(sysCopy->GetAscent(), font.GetAscent());
    EXPECT_EQ(sysCopy->GetHeight(), font.GetHeight());
    EXPECT_EQ(sysCopy->StringWidth("copy"), font.StringWidth("copy"));
}

TEST(SysFontTest, CharactersWithoutAGlyphMeasureNothingAndDrawNothing)
{
    SysFont font("DejaVu Sans", 12);
    for (char control : {'\x01', '\x1B', '\x7F', '\x81', '\x9F'})
        EXPECT_EQ(font.CharWidth(control), 0) << int(static_cast<unsigned char>(control));
    EXPECT_EQ(font.StringWidth("a\x01"
                               "b"),
              font.StringWidth("ab"));
    EXPECT_EQ(font.RenderString("a\x01"
                                "b",
                                0xFFFFFFFF)
                  .pixels,
              font.RenderString("ab", 0xFFFFFFFF).pixels);
    // A string measures as its characters; measuring again (from the remembered advances) gives
    // the same.
    const int width = font.StringWidth("Wi");
    EXPECT_GT(width, 0);
    EXPECT_EQ(width, font.CharWidth('W') + font.CharWidth('i'));
    EXPECT_EQ(font.StringWidth("Wi"), width);
}

} // namespace Vesk
