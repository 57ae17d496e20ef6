#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceManifestReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace Vesk
{

namespace
{

const std::filesystem::path kData = ORLO_BUILT_DATA_DIR;

// The publication's fonts and whether their faces kern "AV" (all of them do; Comic Neue and
// Dancing Script only in their GPOS tables).
const std::map<std::string, bool> kKernsAV = {
    {"FONT_DEFAULT", true}, {"FONT_MAIN18", true},     {"FONT_MAIN22", true},
    {"FONT_MAIN24", true},  {"FONT_POST_IT_21", true}, {"FONT_POST_IT_24", true},
    {"FONT_SCRIPT", true},  {"FONT_SMALL", true},      {"FONT_SMALL_BOLD", true},
};

// The fonts the manifest declares, with their descriptors in the built data tree.
std::map<std::string, std::filesystem::path> ManifestFonts()
{
    std::map<std::string, std::filesystem::path> fonts;
    ResourceManifest manifest;
    ResourceManifestReader reader;
    const std::string manifestFile = (kData / "properties/resources.xml").string();
    EXPECT_TRUE(reader.Read(manifestFile, manifest)) << reader.GetErrorText();
    for (const ResourceGroup& group : manifest.groups)
        for (const ResourceDeclaration& declaration : group.resources)
            if (declaration.kind == ResourceKind::Font)
            {
                EXPECT_EQ(group.name, "Common") << declaration.id;
                EXPECT_FALSE(declaration.fontOptions.systemFont) << declaration.id;
                fonts[declaration.id] = kData / declaration.path;
            }
    return fonts;
}

// The bounds of the pixels whose alpha is not 0, or an empty rectangle.
Rect InkBounds(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    int left = image.GetWidth(), top = image.GetHeight(), right = -1, bottom = -1;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if ((bits[y * image.GetWidth() + x] >> 24) != 0)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? Rect() : Rect(left, top, right - left + 1, bottom - top + 1);
}

} // namespace

TEST(PublicationFontsTest, EveryBakedFontLoadsWithMetricsForItsSize)
{
    ASSERT_TRUE(std::filesystem::exists(kData / "fonts")) << "build the data target first: " << kData;
    const auto fonts = ManifestFonts();
    ASSERT_EQ(fonts.size(), kKernsAV.size());
    for (const auto& [id, descriptor] : fonts)
    {
        SCOPED_TRACE(id);
        ASSERT_TRUE(kKernsAV.count(id)) << "a font the test does not know";
        ImageFont font(nullptr, descriptor.string());
        ASSERT_TRUE(font.IsLoaded()) << font.fontData->errorReport;

        // The ascent and height follow the point size: about one em above the baseline and a
        // line of one to two ems (the note and stamp faces are a little smaller per point).
        const double points = font.GetPointSize();
        EXPECT_GE(font.GetAscent(), 0.6 * points);
        EXPECT_LE(font.GetAscent(), 1.4 * points);
        EXPECT_GE(font.GetHeight(), 1.0 * points);
        EXPECT_LE(font.GetHeight(), 1.8 * points);
        EXPECT_GT(font.GetDescent(), 0);
        EXPECT_GE(font.GetLineSpacing(), font.GetHeight());

        // Every printable ASCII and Latin-1 character advances (the game's texts are Latin-1:
        // names hold letters such as é, ö and ß).
        for (int c = 0x20; c <= 0xFF; ++c)
        {
            if (c >= 0x7F && c < 0xA0)
                continue;
            EXPECT_GT(font.CharWidth(char(c)), 0) << "character " << c;
        }
        // Letters with ink have a glyph.
        const FontLayer& main = *font.fontData->GetLayer("Main");
        for (unsigned char c : std::string("AZaz09\xC5\xC9\xD6\xDF\xE9\xF6\xFC\xF1"))
            EXPECT_GT(main.chars[c].imageRect.width, 0) << "character " << int(c);

        const int kerning = main.chars['A'].kerning['V'] + main.spacing;
        if (kKernsAV.at(id))
        {
            EXPECT_LT(kerning, 0);
            EXPECT_EQ(font.StringWidth("AV"), font.CharWidth('A') + kerning + font.CharWidth('V'));
            EXPECT_LT(font.StringWidth("AV"), font.CharWidth('A') + font.CharWidth('V'));
        }
        else
            EXPECT_EQ(font.StringWidth("AV"), font.CharWidth('A') + font.CharWidth('V'));
    }
}

TEST(PublicationFontsTest, TextDrawnThroughGraphicsTakesTheColourAndStaysOnItsLine)
{
    ASSERT_TRUE(std::filesystem::exists(kData / "fonts")) << "build the data target first: " << kData;
    const std::string text = "Hx M\xFCller \xC5";
    for (const auto& [id, descriptor] : ManifestFonts())
    {
        SCOPED_TRACE(id);
        ImageFont font(nullptr, descriptor.string());
        ASSERT_TRUE(font.IsLoaded());
        MemoryImage canvas;
        canvas.Create(400, 120);
        Graphics graphics(&canvas);
        graphics.SetFont(&font);
        const Color ink(0x2F, 0x6E, 0x6A);
        graphics.SetColor(ink);
        const int x = 20;
        const int baseline = 70;
        graphics.DrawString(text, x, baseline);

        // The ink lies on the line: from the ascent above the baseline to the descent below,
        // and about as wide as the measured string.
        const Rect bounds = InkBounds(canvas);
        ASSERT_GT(bounds.width, 0);
        EXPECT_GE(bounds.y, baseline - font.GetAscent() - 3);
        EXPECT_LE(bounds.y + bounds.height, baseline + font.GetDescent() + 3);
        EXPECT_GE(bounds.x, x - 3);
        EXPECT_LE(bounds.x + bounds.width, x + font.StringWidth(text) + 3);
        EXPECT_GT(bounds.width, font.StringWidth(text) / 2);

        // The glyphs are white and take the drawing colour; a shadow layer stays dark under
        // them. Opaque pixels are either the colour or the shadow's black.
        const bool hasShadow = font.fontData->GetLayer("Shadow") != nullptr;
        const uint32_t* bits = canvas.GetBits();
        int colourPixels = 0;
        for (int i = 0; i < canvas.GetWidth() * canvas.GetHeight(); ++i)
        {
            if ((bits[i] >> 24) != 0xFF)
                continue;
            const Color pixel = Color::FromARGB(bits[i]);
            if (pixel == ink)
                ++colourPixels;
            else if (hasShadow)
            {
                EXPECT_LE(pixel.red, ink.red) << i;
            }
            else
                ADD_FAILURE() << "an opaque pixel in another colour: " << std::hex << bits[i];
        }
        EXPECT_GT(colourPixels, 10);
    }
}

TEST(PublicationFontsTest, InterfaceFontsWithAShadowDrawItUnderTheGlyphs)
{
    ASSERT_TRUE(std::filesystem::exists(kData / "fonts")) << "build the data target first: " << kData;
    for (const char* name : {"fonts/main22.txt", "fonts/main24.txt"})
    {
        SCOPED_TRACE(name);
        ImageFont font(nullptr, (kData / name).string());
        ASSERT_TRUE(font.IsLoaded());
        const FontLayer* shadow = font.fontData->GetLayer("Shadow");
        const FontLayer* main = font.fontData->GetLayer("Main");
        ASSERT_NE(shadow, nullptr);
        ASSERT_NE(main, nullptr);
        EXPECT_LT(shadow->baseOrder, main->baseOrder);
        EXPECT_EQ(shadow->colorMult & 0x00FFFFFF, 0u); // black whatever the text colour
        EXPECT_GT(shadow->colorMult >> 24, 0u);
        EXPECT_LT(shadow->colorMult >> 24, 0xFFu);
        EXPECT_GT(shadow->offsetX, 0);
        EXPECT_GT(shadow->offsetY, 0);
    }
}

} // namespace Vesk
