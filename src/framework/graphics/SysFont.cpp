#include "framework/graphics/SysFont.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageData.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace Vesk
{

namespace
{

constexpr int kDotsPerInch = 96;

// fontconfig keeps its configuration for the whole run; it is released when the process
// ends, so leak checkers see a clean exit.
void StartFontconfig()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       FcInit();
                       std::atexit([] { FcFini(); });
                   });
}

int PixelHeight(int pointSize)
{
    return int(std::lround(pointSize * double(kDotsPerInch) / 72.0));
}

// Straight-alpha "source over" of one pixel of colour at coverage onto the picture.
void Blend(ImageData& picture, int x, int y, uint32_t color, int coverage)
{
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height || coverage <= 0)
        return;
    const uint32_t sourceAlpha = (color >> 24) * uint32_t(coverage) / 255;
    if (sourceAlpha == 0)
        return;
    uint32_t& target = picture.At(x, y);
    const uint32_t targetAlpha = target >> 24;
    const uint32_t alpha = sourceAlpha + targetAlpha * (255 - sourceAlpha) / 255;
    uint32_t result = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const uint32_t source = color >> shift & 0xFF;
        const uint32_t below = target >> shift & 0xFF;
        const uint32_t channel = (source * sourceAlpha + below * targetAlpha * (255 - sourceAlpha) / 255) / alpha;
        result |= std::min<uint32_t>(channel, 255) << shift;
    }
    target = result;
}

} // namespace

struct SysFont::Face
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool emboldenGlyphs = false;
    bool slantGlyphs = false;

    ~Face()
    {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }

    // Advances measured so far (text is measured far more often than drawn).
    mutable std::array<int, 256> advances{};
    mutable std::array<bool, 256> measured{};

    // Loads one Latin-1 character into the glyph slot (bold and slant simulated when asked);
    // false when the face has none. A character without a glyph of its own (a control
    // character, say) is not drawn with the face's empty-box glyph: it has none.
    bool Load(unsigned char character) const
    {
        if (FT_Get_Char_Index(face, character) == 0)
            return false;
        if (FT_Load_Char(face, character, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0)
            return false;
        if (emboldenGlyphs)
            FT_GlyphSlot_Embolden(face->glyph);
        if (slantGlyphs)
            FT_GlyphSlot_Oblique(face->glyph);
        return true;
    }

    bool Render(unsigned char character) const
    {
        return Load(character) && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
    }

    int Advance(unsigned char character) const
    {
        if (!measured[character])
        {
            advances[character] = Load(character) ? int((face->glyph->advance.x + 32) >> 6) : 0;
            measured[character] = true;
        }
        return advances[character];
    }
};

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
    : faceName(face), pointSize(pointSize), bold(bold), italic(italic), underline(underline)
{
    Open();
}

SysFont::SysFont(VeskAppBase* app, const std::string& face, int pointSize, int charSet)
    : app(app), faceName(face), pointSize(pointSize)
{
    Open();
}

SysFont::~SysFont() = default;

void SysFont::Open()
{
    const int pixels = std::max(1, PixelHeight(pointSize));

    // fontconfig turns the face name into a file, falling back to the closest face it has.
    StartFontconfig();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(faceName.c_str()));
    if (pattern == nullptr)
        return;
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixels);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return;
    FcChar8* file = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
        facePath = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternDestroy(match);
    if (facePath.empty())
        return;

    auto opened = std::make_unique<Face>();
    if (FT_Init_FreeType(&opened->library) != 0 ||
        FT_New_Face(opened->library, facePath.c_str(), index, &opened->face) != 0 ||
        FT_Set_Pixel_Sizes(opened->face, 0, FT_UInt(pixels)) != 0)
        return;
    // A face without a bold or italic cut gets them simulated, as the system would.
    opened->emboldenGlyphs = bold && weight < FC_WEIGHT_BOLD;
    opened->slantGlyphs = italic && slant == FC_SLANT_ROMAN;

    // Ascent and height from the face's Windows metrics when it has them, as the system
    // reports them; otherwise from the horizontal header.
    FT_Face ftFace = opened->face;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && ftFace->units_per_EM != 0 && os2->usWinAscent != 0)
    {
        const double unit = double(pixels) / ftFace->units_per_EM;
        ascent = int(std::ceil(os2->usWinAscent * unit));
        height = ascent + int(std::ceil(os2->usWinDescent * unit));
    }
    else
    {
        ascent = int((ftFace->size->metrics.ascender + 63) >> 6);
        height = ascent + int((-ftFace->size->metrics.descender + 63) >> 6);
    }
    face = std::move(opened);
}

bool SysFont::IsLoaded() const
{
    return face != nullptr;
}

int SysFont::StringWidth(const std::string& text)
{
    if (!face)
        return 0;
    int width = 0;
    for (char character : text)
        width += face->Advance(static_cast<unsigned char>(character));
    return width;
}

ImageData SysFont::RenderString(const std::string& text, uint32_t color)
{
    const int textWidth = StringWidth(text);
    const int extraWidth = (shadow ? 1 : 0) + (simulateBold ? 1 : 0);
    if (!face || textWidth <= 0 || !ImageData::SizeAllowed(textWidth + extraWidth, height + (shadow ? 1 : 0)))
        return ImageData();
    ImageData picture(textWidth + extraWidth, height + (shadow ? 1 : 0));

    // Each pass draws the whole string at an offset: the shadow first, then the text.
    struct Pass
    {
        int dx;
        int dy;
        uint32_t color;
    };
    std::vector<Pass> passes;
    const uint32_t black = color & 0xFF000000;
    if (shadow)
    {
        passes.push_back({1, 1, black});
        if (simulateBold)
            passes.push_back({2, 1, black});
    }
    passes.push_back({0, 0, color});
    if (simulateBold)
        passes.push_back({1, 0, color});

    FT_Face ftFace = face->face;
    for (const Pass& pass : passes)
    {
        int pen = 0;
        for (char character : text)
        {
            if (!face->Render(static_cast<unsigned char>(character)))
                continue;
            const FT_GlyphSlot slot = ftFace->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            const int left = pen + slot->bitmap_left + pass.dx;
            const int top = ascent - slot->bitmap_top + pass.dy;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column)
                    Blend(picture, left + int(column), top + int(row), pass.color,
                          bitmap.buffer[int(row) * bitmap.pitch + int(column)]);
            pen += int((slot->advance.x + 32) >> 6);
        }
        if (underline)
        {
            const double unit = double(ftFace->size->metrics.y_ppem) / std::max<int>(1, ftFace->units_per_EM);
            const int lineY = ascent - int(std::lround(ftFace->underline_position * unit)) + pass.dy;
            const int thickness = std::max(1, int(std::lround(ftFace->underline_thickness * unit)));
            for (int y = lineY; y < lineY + thickness; ++y)
                for (int x = 0; x < textWidth; ++x)
                    Blend(picture, x + pass.dx, y, pass.color, 255);
        }
    }
    return picture;
}

void SysFont::DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                         const Rect& clipRect)
{
    if (graphics == nullptr)
        return;
    const ImageData picture = RenderString(text, color.ToARGB());
    if (picture.pixels.empty())
        return;
    MemoryImage image;
    image.SetBits(picture.pixels.data(), picture.width, picture.height, true);
    graphics->DrawImage(&image, x, y - ascent);
}

std::unique_ptr<Font> SysFont::Duplicate() const
{
    auto copy = std::make_unique<SysFont>(faceName, pointSize, bold, italic, underline);
    copy->app = app;
    copy->ascent = ascent;
    copy->height = height;
    return copy;
}

} // namespace Vesk
