#include "framework/graphics/ImageFont.h"

#include "framework/graphics/FontData.h"
#include "framework/resources/ImageData.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace Vesk
{

namespace
{

// A 40 x 10 picture: 'A' at x 0..9 (opaque white), 'V' at 10..19, 'W' at 20..29 (half alpha).
std::shared_ptr<const ImageData> GlyphPicture()
{
    auto picture = std::make_shared<ImageData>(40, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x)
            picture->At(x, y) = x < 20 ? 0xFFFFFFFF : x < 30 ? 0x80FFFFFF : 0;
    return picture;
}

std::shared_ptr<FontData> Parse(const std::string& text)
{
    auto data = std::make_shared<FontData>();
    data->imageLoader = [](const std::string&) { return GlyphPicture(); };
    EXPECT_TRUE(data->LoadFromText(nullptr, "fonts/test.txt", text)) << data->errorReport;
    return data;
}

const char* const kBasicFont = "SetDefaultPointSize 10;\n"
                               "CreateLayer Main;\n"
                               "LayerSetImage Main 'glyphs.png';\n"
                               "LayerSetImageMap Main ('A' 'V' 'W') ((0 0 10 10) (10 0 10 10) (20 0 10 10));\n"
                               "LayerSetCharWidths Main ('A' 'V' 'W' ' ') (9 8 12 4);\n"
                               "LayerSetKerningPairs Main ('AV' 'VA') (-2 -1);\n"
                               "LayerSetSpacing Main 1;\n"
                               "LayerSetAscent Main 8;\n";

struct Drawn
{
    std::vector<ImageFont::GlyphDraw> glyphs;
    int width = 0;
};

Drawn Layout(ImageFont& font, const std::string& text, int x = 100, int y = 50, uint32_t color = 0xFFFFFFFF)
{
    Drawn drawn;
    drawn.width =
        font.LayoutString(x, y, text, color, [&](const ImageFont::GlyphDraw& glyph) { drawn.glyphs.push_back(glyph); });
    return drawn;
}

} // namespace

TEST(ImageFontTest, KerningAndSpacingApplyBetweenCharactersOnly)
{
    ImageFont font(Parse(kBasicFont));
    ASSERT_TRUE(font.IsLoaded());
    EXPECT_EQ(font.CharWidth('A'), 9);
    EXPECT_EQ(font.CharWidthKern('V', 'A'), 8 - 2 + 1);
    EXPECT_EQ(font.StringWidth("AV"), 9 + (-2 + 1) + 8);
    EXPECT_EQ(font.StringWidth("A"), 9);
    EXPECT_EQ(font.StringWidth("VA"), 8 + (-1 + 1) + 9);
    EXPECT_EQ(font.StringWidth(""), 0);

    // Drawing advances the same way and reports the same width.
    const Drawn drawn = Layout(font, "AV");
    EXPECT_EQ(drawn.width, font.StringWidth("AV"));
    ASSERT_EQ(drawn.glyphs.size(), 2u);
    EXPECT_EQ(drawn.glyphs[0].x, 100);
    EXPECT_EQ(drawn.glyphs[1].x, 100 + 9 - 2 + 1);
    EXPECT_EQ(drawn.glyphs[0].y, 50 - 8);
    EXPECT_EQ(drawn.glyphs[1].source, (FontRect{10, 0, 10, 10}));

    const Drawn empty = Layout(font, "");
    EXPECT_EQ(empty.width, 0);
    EXPECT_TRUE(empty.glyphs.empty());
}

TEST(ImageFontTest, MetricsComeFromTheLayersInUse)
{
    ImageFont font(Parse(std::string(kBasicFont) + "LayerSetAscentPadding Main 3; LayerSetLineSpacingOffset Main 2;"
                                                   "CreateLayer Big; LayerSetHeight Big 14; LayerSetAscent Big 11;"
                                                   "LayerSetAscentPadding Big 1; LayerSetLineSpacingOffset Big -4;"));
    EXPECT_EQ(font.GetAscent(), 11);
    EXPECT_EQ(font.GetHeight(), 14);           // Big's height beats Main's picture height (10)
    EXPECT_EQ(font.GetAscentPadding(), 1);     // the smallest
    EXPECT_EQ(font.GetLineSpacingOffset(), 2); // the largest
    EXPECT_EQ(font.GetLineSpacing(), 16);
    EXPECT_EQ(font.GetDescent(), 3);
}

TEST(ImageFontTest, PointRangesAndTagsChooseTheLayers)
{
    ImageFont font(Parse(std::string(kBasicFont) +
                         "CreateLayer Always; LayerSetCharWidths Always ('A') (20);"
                         "CreateLayer Large; LayerPointRange Large 12 -1; LayerSetCharWidths Large ('A') (30);"
                         "CreateLayer Middle; LayerPointRange Middle 5 8; LayerSetCharWidths Middle ('A') (25);"
                         "CreateLayer Bold; LayerRequireTags Bold ('bold'); LayerSetCharWidths Bold ('A') (40);"
                         "CreateLayer Plain; LayerExcludeTags Plain ('Plain' 'bold'); LayerSetCharWidths Plain ('A') "
                         "(35);"));
    // The widest layer in use decides the advance.
    EXPECT_EQ(font.CharWidth('A'), 35);
    font.SetPointSize(6);
    EXPECT_EQ(font.CharWidth('A'), 35);
    EXPECT_EQ(font.activeLayers.size(), 4u); // Main, Always, Middle, Plain
    font.SetPointSize(12);
    font.SetPointSize(400);
    EXPECT_EQ(font.CharWidth('A'), 35);
    EXPECT_EQ(font.activeLayers.size(), 4u); // Main, Always, Large, Plain

    EXPECT_TRUE(font.AddTag("Bold"));
    EXPECT_FALSE(font.AddTag("BOLD"));
    EXPECT_TRUE(font.HasTag("bold"));
    EXPECT_EQ(font.CharWidth('A'), 40);
    EXPECT_EQ(font.activeLayers.size(), 4u); // Main, Always, Large, Bold
    EXPECT_TRUE(font.RemoveTag("bOLD"));
    EXPECT_FALSE(font.RemoveTag("bold"));
    EXPECT_TRUE(font.AddTag("plain"));
    EXPECT_EQ(font.CharWidth('A'), 30);
}

TEST(ImageFontTest, LayersWithAPointSizeScaleWithTheFont)
{
    ImageFont font(Parse(std::string(kBasicFont) +
                         "LayerSetPointSize Main 10;"
                         "CreateLayer Fixed; LayerSetImage Fixed 'glyphs.png';"
                         "LayerSetImageMap Fixed ('A') ((0 0 10 10)); LayerSetAscent Fixed 4;"));
    EXPECT_FALSE(font.activeLayers[0].ownsImage);
    font.SetPointSize(5);
    EXPECT_EQ(font.CharWidth('A'), 4); // trunc(9 * 5 / 10)
    EXPECT_EQ(font.CharWidthKern('V', 'A'), 4 + int(5.0 * (-2 + 1) / 10));
    EXPECT_EQ(font.GetAscent(), 4);  // Main: trunc(8 * 5 / 10) = 4; Fixed stays 4
    EXPECT_EQ(font.GetHeight(), 10); // Fixed is never rescaled for the point size

    const ActiveFontLayer& main = font.activeLayers[0];
    ASSERT_TRUE(main.ownsImage);
    EXPECT_EQ(main.scaledRects['A'], (FontRect{0, 0, 5, 5}));
    EXPECT_EQ(main.scaledRects['V'], (FontRect{5, 0, 5, 5}));
    EXPECT_EQ(main.scaledRects['W'], (FontRect{10, 0, 5, 5}));
    EXPECT_EQ(main.scaledImage->width, 15);
    EXPECT_EQ(main.scaledImage->height, 5);
    EXPECT_EQ(main.scaledImage->At(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(main.scaledImage->At(12, 2), 0x80FFFFFFu);
    const ActiveFontLayer& fixed = font.activeLayers[1];
    EXPECT_FALSE(fixed.ownsImage);
    EXPECT_EQ(fixed.scaledRects['A'], (FontRect{0, 0, 10, 10}));

    // The scale rescales every layer, including one without a point size.
    font.SetPointSize(10);
    font.SetScale(2.0);
    EXPECT_EQ(font.CharWidth('A'), 18);
    EXPECT_TRUE(font.activeLayers[1].ownsImage);
    EXPECT_EQ(font.activeLayers[1].scaledRects['A'], (FontRect{0, 0, 20, 20}));
}

TEST(ImageFontTest, OrdersOffsetsAndColoursShapeTheGlyphs)
{
    ImageFont font(
        Parse(std::string(kBasicFont) +
              "LayerSetCharOffsets Main ('V') ((1 2)); LayerSetOffset Main (0 -1);"
              "LayerSetColorMult Main (1 0.5 1 1); LayerSetColorAdd Main 0x00000010;"
              "CreateLayerFrom Shadow Main; LayerSetOffset Shadow (2 2); LayerSetBaseOrder Shadow -1;"
              "LayerSetColorMult Shadow (0 0 0 0.5); LayerSetColorAdd Shadow (0 0 0 0); LayerSetDrawMode Shadow 1;"));
    const Drawn drawn = Layout(font, "AV", 0, 20, 0xFF8040C0);
    ASSERT_EQ(drawn.glyphs.size(), 4u);
    // Every shadow glyph comes before every main glyph.
    EXPECT_EQ(drawn.glyphs[0].drawMode, 1);
    EXPECT_EQ(drawn.glyphs[1].drawMode, 1);
    EXPECT_EQ(drawn.glyphs[2].drawMode, -1);
    EXPECT_EQ(drawn.glyphs[3].drawMode, -1);
    EXPECT_EQ(drawn.glyphs[0].x, 2);
    EXPECT_EQ(drawn.glyphs[0].y, 20 - (8 - 2));
    EXPECT_EQ(drawn.glyphs[2].x, 0);
    EXPECT_EQ(drawn.glyphs[2].y, 20 - (8 + 1));
    EXPECT_EQ(drawn.glyphs[3].x, 9 - 2 + 1 + 1);
    EXPECT_EQ(drawn.glyphs[3].y, 20 - (8 - (2 - 1)));
    // Per channel: multiply / 255 + add, at most 255 (alpha included).
    EXPECT_EQ(drawn.glyphs[2].color, 0xFF801FD0u); // 255, 128, 127 * 64 / 255, 192 + 16
    EXPECT_EQ(drawn.glyphs[0].color, 0x7F000000u);

    std::vector<FontRect> rects;
    font.LayoutString(0, 20, "AV", 0xFFFFFFFF, nullptr, &rects);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[1], (FontRect{2, 14, 10, 10})); // A's shadow, in layout order
}

TEST(ImageFontTest, TheGlyphPoolLimitsOneString)
{
    ImageFont font(Parse(kBasicFont));
    const Drawn drawn = Layout(font, std::string(5000, 'W'), 0);
    EXPECT_EQ(drawn.glyphs.size(), size_t(ImageFont::kGlyphPoolSize));
    // The pen stops at the last glyph that found a record; the spacing follows each but the last.
    EXPECT_EQ(drawn.width, ImageFont::kGlyphPoolSize * (12 + 1));
    EXPECT_EQ(font.StringWidth(std::string(5000, 'W')), 5000 * 12 + 4999);
}

TEST(ImageFontTest, CopiesShareTheDescriptionButNotTheirSettings)
{
    auto data = Parse(std::string(kBasicFont) + "Define Palette (1 (2 \"three\") 'four');");
    ImageFont font(data);
    font.AddTag("x");
    font.SetPointSize(20);
    std::unique_ptr<Font> copy = font.Duplicate();
    auto* imageCopy = dynamic_cast<ImageFont*>(copy.get());
    ASSERT_NE(imageCopy, nullptr);
    EXPECT_EQ(imageCopy->fontData, font.fontData);
    EXPECT_EQ(data.use_count(), 3);
    EXPECT_EQ(imageCopy->GetPointSize(), 20);
    EXPECT_TRUE(imageCopy->HasTag("X"));
    imageCopy->SetScale(2.0);
    EXPECT_EQ(imageCopy->CharWidth('A'), 18);
    EXPECT_EQ(font.CharWidth('A'), 9);
    EXPECT_EQ(font.GetDefaultPointSize(), 10);
    EXPECT_EQ(font.GetDefine("palette"), "(1, (2, three), four)");
    EXPECT_EQ(font.GetDefine("none"), "");
}

TEST(ImageFontTest, CharacterMapsApplyToMeasuringAndDrawing)
{
    ImageFont font(Parse(std::string(kBasicFont) + "SetCharMap ('a' 'v') ('A' 'V');"));
    EXPECT_EQ(font.StringWidth("av"), font.StringWidth("AV"));
    EXPECT_EQ(Layout(font, "av").glyphs[1].source, (FontRect{10, 0, 10, 10}));
}

TEST(ImageFontTest, LegacyMetricsFilesDescribeAStripOfGlyphs)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("old.txt", "4 9\nA 10\nb 8 c 12\n1 5\n");
    ImageFont font(GlyphPicture(), "old.txt");
    ASSERT_TRUE(font.IsLoaded());
    EXPECT_EQ(font.GetAscent(), 9);
    EXPECT_EQ(font.GetHeight(), 10);
    EXPECT_EQ(font.CharWidth(' '), 4);
    EXPECT_EQ(font.CharWidth('c'), 12);
    EXPECT_EQ(font.CharWidth('1'), 5);
    EXPECT_EQ(font.CharWidth('a'), 10); // mapped to 'A'
    EXPECT_EQ(font.CharWidth('B'), 8);  // mapped to 'b'
    EXPECT_EQ(font.CharWidth('d'), 0);
    const FontLayer& layer = *font.fontData->layers[0];
    EXPECT_EQ(layer.chars['b'].imageRect, (FontRect{10, 0, 8, 10}));
    EXPECT_EQ(layer.chars['1'].imageRect, (FontRect{30, 0, 5, 10}));

    ImageFont missing(GlyphPicture(), "absent.txt");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.StringWidth("Ab"), 0);
    EXPECT_EQ(Layout(missing, "Ab").glyphs.size(), 0u);
}

} // namespace Vesk
