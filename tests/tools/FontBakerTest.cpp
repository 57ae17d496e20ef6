#include "FontBaker.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/SingleDataElement.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace Vesk
{

namespace
{

constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

FontBaker::Options BakeOptions(FontBaker::Effect effect)
{
    FontBaker::Options options;
    options.face = kFace;
    options.pointSize = 16;
    options.outputFolder = "fonts";
    options.name = "body";
    options.effect = effect;
    options.atlasWidth = 256;
    return options;
}

// Whether any pixel of the rectangle of the picture is not transparent.
bool HasInk(const ImageData& picture, const FontRect& rect)
{
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            if ((picture.At(x, y) >> 24) != 0)
                return true;
    return false;
}

} // namespace

TEST(FontBakerTest, ABakedFontLoadsBackWithTheFacesWidthsAndKerning)
{
    TestSupport::TempFolder folder;
    std::string error;
    ASSERT_TRUE(FontBaker::Bake(BakeOptions(FontBaker::Effect::Shadow), error)) << error;
    ASSERT_TRUE(folder.Exists("fonts/body.txt"));
    ASSERT_TRUE(folder.Exists("fonts/body.png"));

    ImageFont font(nullptr, "fonts/body.txt");
    ASSERT_TRUE(font.IsLoaded()) << font.fontData->errorReport;
    EXPECT_EQ(font.GetDefaultPointSize(), 16);
    ASSERT_EQ(font.fontData->layers.size(), 2u);
    const FontLayer& main = *font.fontData->GetLayer("Main");
    const FontLayer& shadow = *font.fontData->GetLayer("Shadow");
    EXPECT_EQ(shadow.baseOrder, -1);
    EXPECT_EQ(shadow.image, main.image);

    // The same face at the same size, rendered by the system font path, advances alike.
    SysFont reference(kFace, 16);
    for (char character : std::string("AVWaving 0123 ,.;'\"\\()"))
        EXPECT_EQ(main.chars[static_cast<unsigned char>(character)].width, reference.CharWidth(character)) << character;
    EXPECT_GT(font.GetAscent(), 0);
    EXPECT_EQ(font.GetAscent(), main.ascent);
    EXPECT_GT(font.GetHeight(), font.GetAscent());

    // "AV" is kerned closer; the measure includes it.
    const int kerning = main.chars['A'].kerning['V'];
    EXPECT_LT(kerning, 0);
    EXPECT_EQ(font.StringWidth("AV"), font.CharWidth('A') + kerning + font.CharWidth('V'));

    // Every baked glyph's rectangle lies inside the atlas and holds ink; the space has none.
    const ImageData& atlas = *main.image;
    for (unsigned char c : std::string("AV&g@\xE9\xDF"))
    {
        const FontRect& rect = main.chars[c].imageRect;
        ASSERT_GT(rect.width, 0) << int(c);
        EXPECT_LE(rect.x + rect.width, atlas.width);
        EXPECT_LE(rect.y + rect.height, atlas.height);
        EXPECT_TRUE(HasInk(atlas, rect)) << int(c);
    }
    EXPECT_EQ(main.chars[' '].imageRect.width, 0);
    EXPECT_GT(main.chars[' '].width, 0);
    // A descender hangs below the baseline: its offset puts the glyph's top lower than 'A's.
    EXPECT_GT(main.chars['g'].offsetY + main.chars['g'].imageRect.height, main.ascent);
}

TEST(FontBakerTest, AnOutlineLayerHasItsOwnWiderGlyphs)
{
    TestSupport::TempFolder folder;
    FontBaker::Options options = BakeOptions(FontBaker::Effect::Outline);
    options.outlineWidth = 2;
    options.characters = "AVo\"\\";
    std::string error;
    ASSERT_TRUE(FontBaker::Bake(options, error)) << error;
    ASSERT_TRUE(folder.Exists("fonts/body_outline.png"));

    ImageFont font(nullptr, "fonts/body.txt");
    ASSERT_TRUE(font.IsLoaded()) << font.fontData->errorReport;
    const FontLayer& main = *font.fontData->GetLayer("main");
    const FontLayer& outline = *font.fontData->GetLayer("outline");
    EXPECT_NE(outline.image, main.image);
    for (unsigned char c : std::string("AVo\"\\"))
    {
        EXPECT_EQ(outline.chars[c].imageRect.width, main.chars[c].imageRect.width + 4) << c;
        EXPECT_EQ(outline.chars[c].offsetX, main.chars[c].offsetX - 2) << c;
        EXPECT_EQ(outline.chars[c].width, main.chars[c].width) << c;
    }
    EXPECT_EQ(main.chars['x'].width, 0);
    EXPECT_EQ(outline.colorMult, 0xFF000000u);
    // The outline is drawn first, under the glyphs.
    std::vector<int> modes;
    int count = 0;
    font.LayoutString(0, 20, "Ao", 0xFFFFFFFF,
                      [&](const ImageFont::GlyphDraw& glyph)
                      {
                          EXPECT_EQ(glyph.image, count < 2 ? outline.image.get() : main.image.get());
                          ++count;
                      });
    EXPECT_EQ(count, 4);
}

TEST(FontBakerTest, AFallbackFaceLendsMissingCharactersAndANoBreakSpaceIsASpace)
{
    TestSupport::TempFolder folder;
    FontBaker::Options options = BakeOptions(FontBaker::Effect::Shadow);
    options.face = "/usr/share/fonts/opentype/dancingscript/DancingScript-Regular.otf";
    options.pointSize = 28;
    options.pixelSize = 30;
    options.shadowOpacity = 0.25;
    std::string error;
    ASSERT_TRUE(FontBaker::Bake(options, error)) << error;
    std::unique_ptr<ImageFont> font = std::make_unique<ImageFont>(nullptr, "fonts/body.txt");
    ASSERT_TRUE(font->IsLoaded()) << font->fontData->errorReport;
    // The face has no macron; a no-break space advances like a space.
    EXPECT_EQ(font->CharWidth('\xAF'), 0);
    EXPECT_GT(font->CharWidth('\xA0'), 0);
    EXPECT_EQ(font->CharWidth('\xA0'), font->CharWidth(' '));
    // The em is 30 pixels, not 28 points at 96 dpi (37 pixels): Dancing Script's ascent is
    // 0.92 em.
    EXPECT_EQ(font->GetAscent(), 28);
    EXPECT_EQ(font->GetDefaultPointSize(), 28);
    EXPECT_EQ(font->fontData->GetLayer("Shadow")->colorMult, 0x3F000000u);
    EXPECT_LT(font->fontData->GetLayer("Main")->chars['T'].kerning['o'], 0);

    options.fallbackFace = kFace;
    ASSERT_TRUE(FontBaker::Bake(options, error)) << error;
    font = std::make_unique<ImageFont>(nullptr, "fonts/body.txt");
    ASSERT_TRUE(font->IsLoaded()) << font->fontData->errorReport;
    const FontLayer& main = *font->fontData->GetLayer("Main");
    EXPECT_GT(main.chars[0xAF].width, 0);
    EXPECT_GT(main.chars[0xAF].imageRect.width, 0);
    // Borrowed glyphs take no part in the face's kerning.
    for (int c = 0; c < 256; ++c)
    {
        EXPECT_EQ(main.chars[0xAF].kerning[c], 0) << c;
        EXPECT_EQ(main.chars[c].kerning[0xAF], 0) << c;
    }
}

TEST(FontBakerTest, AFaceThatKernsOnlyInItsGposTableIsKerned)
{
    TestSupport::TempFolder folder;
    FontBaker::Options options = BakeOptions(FontBaker::Effect::None);
    options.face = "/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf"; // no "kern" table
    options.pixelSize = 40;
    options.characters = "AVTox";
    std::string error;
    ASSERT_TRUE(FontBaker::Bake(options, error)) << error;
    ImageFont font(nullptr, "fonts/body.txt");
    ASSERT_TRUE(font.IsLoaded()) << font.fontData->errorReport;
    const FontLayer& main = *font.fontData->GetLayer("Main");
    EXPECT_LT(main.chars['A'].kerning['V'], 0);
    EXPECT_LT(main.chars['T'].kerning['o'], 0);
    EXPECT_EQ(main.chars['x'].kerning['x'], 0);
    EXPECT_EQ(font.StringWidth("To"), font.CharWidth('T') + main.chars['T'].kerning['o'] + font.CharWidth('o'));
}

TEST(FontBakerTest, QuotedCharactersSurviveTheDescriptorLanguage)
{
    FontData data;
    std::string text = "Define All (";
    std::string expected;
    for (int c = 32; c < 256; ++c)
    {
        text += FontBaker::Quote(std::string(1, char(c))) + " ";
        expected += char(c);
    }
    text += "); Define Pairs (" + FontBaker::Quote("\"\"") + " " + FontBaker::Quote("\\'") + ");";
    ASSERT_TRUE(data.LoadFromText(nullptr, "x.txt", text)) << data.errorReport;
    std::vector<std::string> all;
    ASSERT_TRUE(data.DataToStringVector(SingleDataElement("All"), all));
    ASSERT_EQ(all.size(), expected.size());
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i], std::string(1, expected[i])) << i;
    std::vector<std::string> pairs;
    ASSERT_TRUE(data.DataToStringVector(SingleDataElement("Pairs"), pairs));
    EXPECT_EQ(pairs, (std::vector<std::string>{"\"\"", "\\'"}));
}

TEST(FontBakerTest, BadRequestsFailWithAReasonAndWriteNothing)
{
    TestSupport::TempFolder folder;
    FontBaker::Options options = BakeOptions(FontBaker::Effect::None);
    options.face = "fonts/none.ttf";
    folder.WriteFile("fonts/none.ttf", "not a font");
    std::string error;
    EXPECT_FALSE(FontBaker::Bake(options, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    // A face file that is not there fails with its name (fontconfig would quietly substitute
    // some other face for it).
    options.face = "/usr/share/fonts/truetype/none/Missing-Face.ttf";
    EXPECT_FALSE(FontBaker::Bake(options, error));
    EXPECT_EQ(error, "font face file missing: /usr/share/fonts/truetype/none/Missing-Face.ttf");
    options.face = kFace;
    options.fallbackFace = "Missing-Fallback.otf";
    EXPECT_FALSE(FontBaker::Bake(options, error));
    EXPECT_EQ(error, "font face file missing: Missing-Fallback.otf");
    options.fallbackFace.clear();
    options.shadowOpacity = 1.5;
    EXPECT_FALSE(FontBaker::Bake(options, error));
    options.shadowOpacity = 0.5;
    options.pointSize = 0;
    EXPECT_FALSE(FontBaker::Bake(options, error));
    EXPECT_FALSE(folder.Exists("fonts/body.txt"));
    EXPECT_FALSE(folder.Exists("fonts/body.png"));
}

} // namespace Vesk
