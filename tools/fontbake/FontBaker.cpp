#include "FontBaker.h"

#include "GposKerning.h"
#include "framework/platform/FileSystem.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

namespace Vesk
{

namespace
{

struct LibraryDeleter
{
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter
{
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

// One rendered glyph: its coverage bitmap and where it sits relative to the pen and baseline.
struct Glyph
{
    unsigned char character = 0;
    int advance = 0;
    int left = 0; // bitmap left of the pen
    int top = 0;  // bitmap top above the baseline
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;
    int atlasX = 0;
    int atlasY = 0;
};

// A face given as a path names a file that must exist; anything else is a face name that
// fontconfig resolves (it always finds some face, so a missing file must not get there).
bool IsFacePath(const std::string& face)
{
    if (face.find('/') != std::string::npos)
        return true;
    std::string extension = std::filesystem::path(face).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".ttf" || extension == ".otf" || extension == ".ttc" || extension == ".pfb";
}

std::string ResolveFace(const std::string& face)
{
    std::error_code error;
    if (std::filesystem::is_regular_file(face, error))
        return face;
    if (IsFacePath(face))
        return {};
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       FcInit();
                       std::atexit([] { FcFini(); }); // a clean exit for leak checkers
                   });
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.c_str()));
    if (pattern == nullptr)
        return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string path;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
        path = reinterpret_cast<const char*>(file);
    if (match != nullptr)
        FcPatternDestroy(match);
    return path;
}

// Renders one glyph of the face (already sized); false when FreeType cannot.
bool RenderGlyph(FT_Face face, FT_UInt index, unsigned char character, Glyph& glyph)
{
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    glyph = Glyph{};
    glyph.character = character;
    glyph.advance = int((slot->advance.x + 32) >> 6);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = int(slot->bitmap.width);
    glyph.height = int(slot->bitmap.rows);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            glyph.coverage.push_back(slot->bitmap.buffer[y * slot->bitmap.pitch + x]);
    return true;
}

std::string DefaultCharacters()
{
    std::string characters;
    for (int c = 32; c < 127; ++c)
        characters += char(c);
    for (int c = 160; c < 256; ++c)
        characters += char(c);
    return characters;
}

// The glyph grown by radius pixels in every direction (a disc-shaped maximum filter).
Glyph Dilate(const Glyph& glyph, int radius)
{
    Glyph grown = glyph;
    grown.width = glyph.width + 2 * radius;
    grown.height = glyph.height + 2 * radius;
    grown.left = glyph.left - radius;
    grown.top = glyph.top + radius;
    grown.coverage.assign(size_t(grown.width) * size_t(grown.height), 0);
    for (int y = 0; y < grown.height; ++y)
        for (int x = 0; x < grown.width; ++x)
        {
            uint8_t best = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx)
                {
                    if (dx * dx + dy * dy > radius * radius)
                        continue;
                    const int sx = x - radius + dx;
                    const int sy = y - radius + dy;
                    if (sx >= 0 && sy >= 0 && sx < glyph.width && sy < glyph.height)
                        best = std::max(best, glyph.coverage[size_t(sy) * size_t(glyph.width) + size_t(sx)]);
                }
            grown.coverage[size_t(y) * size_t(grown.width) + size_t(x)] = best;
        }
    return grown;
}

// Places the glyphs on shelves of the given width; returns the atlas (white, alpha = coverage).
ImageData PackAtlas(std::vector<Glyph>& glyphs, int atlasWidth)
{
    const int padding = 1;
    int x = padding;
    int y = padding;
    int shelfHeight = 0;
    for (Glyph& glyph : glyphs)
    {
        if (glyph.width == 0 || glyph.height == 0)
            continue;
        if (x + glyph.width + padding > atlasWidth && x > padding)
        {
            x = padding;
            y += shelfHeight + padding;
            shelfHeight = 0;
        }
        glyph.atlasX = x;
        glyph.atlasY = y;
        x += glyph.width + padding;
        shelfHeight = std::max(shelfHeight, glyph.height);
    }
    int width = atlasWidth;
    for (const Glyph& glyph : glyphs)
        width = std::max(width, glyph.atlasX + glyph.width + padding);
    ImageData atlas(width, std::max(1, y + shelfHeight + padding));
    for (uint32_t& pixel : atlas.pixels)
        pixel = 0x00FFFFFF;
    for (const Glyph& glyph : glyphs)
        for (int gy = 0; gy < glyph.height; ++gy)
            for (int gx = 0; gx < glyph.width; ++gx)
                atlas.At(glyph.atlasX + gx, glyph.atlasY + gy) =
                    uint32_t(glyph.coverage[size_t(gy) * size_t(glyph.width) + size_t(gx)]) << 24 | 0x00FFFFFF;
    return atlas;
}

// The commands describing one layer's glyphs: image, map, widths and offsets.
void WriteGlyphCommands(std::ostringstream& out, const std::string& layer, const std::string& imageFile,
                        const std::vector<Glyph>& glyphs, int ascent)
{
    out << "LayerSetImage " << layer << ' ' << FontBaker::Quote(imageFile) << ";\n";
    out << "LayerSetImageMap " << layer << " (";
    bool first = true;
    for (const Glyph& glyph : glyphs)
    {
        if (glyph.width == 0 || glyph.height == 0)
            continue;
        out << (first ? "" : " ") << FontBaker::Quote(std::string(1, char(glyph.character)));
        first = false;
    }
    out << ")\n    (";
    first = true;
    for (const Glyph& glyph : glyphs)
    {
        if (glyph.width == 0 || glyph.height == 0)
            continue;
        out << (first ? "" : " ") << '(' << glyph.atlasX << ' ' << glyph.atlasY << ' ' << glyph.width << ' '
            << glyph.height << ')';
        first = false;
    }
    out << ");\n";
    out << "LayerSetCharWidths " << layer << " Chars (";
    for (size_t i = 0; i < glyphs.size(); ++i)
        out << (i > 0 ? " " : "") << glyphs[i].advance;
    out << ");\n";
    out << "LayerSetCharOffsets " << layer << " Chars (";
    for (size_t i = 0; i < glyphs.size(); ++i)
        out << (i > 0 ? " " : "") << '(' << glyphs[i].left << ' ' << ascent - glyphs[i].top << ')';
    out << ");\n";
}

} // namespace

std::string FontBaker::Quote(const std::string& text)
{
    std::string quoted = "\"";
    for (char character : text)
    {
        if (character == '\\')
            quoted += "\\\\";
        else if (character == '"')
            quoted += "\"\"";
        else
            quoted += character;
    }
    return quoted + "\"";
}

bool FontBaker::Bake(const Options& options, std::string& error)
{
    const std::string facePath = ResolveFace(options.face);
    if (facePath.empty())
    {
        error = IsFacePath(options.face) ? "font face file missing: " + options.face
                                         : "no font file for \"" + options.face + "\"";
        return false;
    }
    std::string fallbackPath;
    if (!options.fallbackFace.empty())
    {
        fallbackPath = ResolveFace(options.fallbackFace);
        if (fallbackPath.empty())
        {
            error = IsFacePath(options.fallbackFace) ? "font face file missing: " + options.fallbackFace
                                                     : "no font file for \"" + options.fallbackFace + "\"";
            return false;
        }
    }
    if (options.pointSize <= 0 || options.pointSize > 400 || options.pixelSize < 0 || options.pixelSize > 400 ||
        options.outlineWidth < 1 || options.outlineWidth > 16 || options.atlasWidth < 16 || options.atlasWidth > 8192 ||
        !(options.shadowOpacity >= 0.0 && options.shadowOpacity <= 1.0))
    {
        error = "point size must be 1..400, the pixel size 0..400, the outline width 1..16, the atlas width "
                "16..8192 and the shadow opacity 0..1";
        return false;
    }

    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0)
    {
        error = "FreeType cannot start";
        return false;
    }
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library(rawLibrary);
    const int pixels = options.pixelSize > 0 ? options.pixelSize : int(std::lround(options.pointSize * 96.0 / 72.0));
    auto openFace = [&](const std::string& path, std::unique_ptr<FT_FaceRec_, FaceDeleter>& face)
    {
        FT_Face rawFace = nullptr;
        if (FT_New_Face(library.get(), path.c_str(), 0, &rawFace) != 0)
        {
            error = "cannot open " + path;
            return false;
        }
        face.reset(rawFace);
        if (FT_Set_Pixel_Sizes(face.get(), 0, FT_UInt(pixels)) != 0)
        {
            error = "cannot size " + path;
            return false;
        }
        return true;
    };
    std::unique_ptr<FT_FaceRec_, FaceDeleter> face;
    std::unique_ptr<FT_FaceRec_, FaceDeleter> fallback;
    if (!openFace(facePath, face) || (!fallbackPath.empty() && !openFace(fallbackPath, fallback)))
        return false;

    // Render every character the face has; glyphIndices holds the face's glyph of each (0 for
    // one borrowed from the fallback face, which takes no part in kerning).
    const std::string characters = options.characters.empty() ? DefaultCharacters() : options.characters;
    std::vector<Glyph> glyphs;
    std::vector<FT_UInt> glyphIndices;
    for (char character : characters)
    {
        const auto code = static_cast<unsigned char>(character);
        if (std::any_of(glyphs.begin(), glyphs.end(), [&](const Glyph& g) { return g.character == code; }))
            continue;
        FT_UInt index = FT_Get_Char_Index(face.get(), code);
        FT_Face source = face.get();
        if (index == 0 && code == 0xA0)
            index = FT_Get_Char_Index(face.get(), ' '); // a no-break space is a space
        if (index == 0 && fallback && code != ' ')
        {
            source = fallback.get();
            index = FT_Get_Char_Index(source, code);
            if (index == 0)
                continue;
        }
        else if (index == 0 && code != ' ')
            continue;
        Glyph glyph;
        if (!RenderGlyph(source, index, code, glyph))
            continue;
        glyphs.push_back(std::move(glyph));
        glyphIndices.push_back(source == face.get() ? index : 0);
    }
    if (glyphs.empty())
    {
        error = "the face has none of the characters";
        return false;
    }

    const FT_Size_Metrics& metrics = face->size->metrics;
    const int ascent = int((metrics.ascender + 63) >> 6);
    const int descent = int((-metrics.descender + 63) >> 6);
    const int lineGap = std::max(0, int((metrics.height + 32) >> 6) - ascent - descent);

    // Kerning pairs the face defines among the baked characters: from its GPOS table when that
    // kerns (current faces often kern only there), else from its old "kern" table.
    GposKerning gpos;
    FT_ULong gposLength = 0;
    if (FT_IS_SFNT(face.get()) && FT_Load_Sfnt_Table(face.get(), TTAG_GPOS, 0, nullptr, &gposLength) == 0 &&
        gposLength > 0)
    {
        std::vector<uint8_t> bytes(gposLength);
        if (FT_Load_Sfnt_Table(face.get(), TTAG_GPOS, 0, bytes.data(), &gposLength) == 0)
            (void)gpos.Load(std::move(bytes));
    }
    const FT_Fixed xScale = face->size->metrics.x_scale;
    std::vector<std::pair<std::string, int>> kerning;
    if (!gpos.Empty() || FT_HAS_KERNING(face.get()))
        for (size_t a = 0; a < glyphs.size(); ++a)
            for (size_t b = 0; b < glyphs.size(); ++b)
            {
                if (glyphIndices[a] == 0 || glyphIndices[b] == 0)
                    continue;
                int value = 0;
                if (!gpos.Empty())
                {
                    const FT_Pos delta =
                        FT_MulFix(gpos.Get(uint16_t(glyphIndices[a]), uint16_t(glyphIndices[b])), xScale);
                    value = int(std::floor(double(delta) / 64.0 + 0.5));
                }
                else
                {
                    FT_Vector delta{};
                    if (FT_Get_Kerning(face.get(), glyphIndices[a], glyphIndices[b], FT_KERNING_DEFAULT, &delta) != 0)
                        continue;
                    value = int(delta.x >> 6);
                }
                value = std::clamp(value, -128, 127);
                if (value != 0)
                    kerning.emplace_back(std::string{char(glyphs[a].character), char(glyphs[b].character)}, value);
            }

    ImageData atlas = PackAtlas(glyphs, options.atlasWidth);
    std::vector<Glyph> outline;
    ImageData outlineAtlas;
    if (options.effect == Effect::Outline)
    {
        for (const Glyph& glyph : glyphs)
            outline.push_back(glyph.width > 0 && glyph.height > 0 ? Dilate(glyph, options.outlineWidth) : glyph);
        outlineAtlas = PackAtlas(outline, options.atlasWidth);
    }

    std::ostringstream out;
    out << "# " << options.name << ": " << std::filesystem::path(facePath).filename().string() << " at "
        << options.pointSize << " points (" << pixels << " pixels per em)";
    if (fallback)
        out << ", missing characters from " << std::filesystem::path(fallbackPath).filename().string();
    out << ", baked by fontbake.\n";
    out << "SetDefaultPointSize " << options.pointSize << ";\n";
    out << "Define Chars (";
    for (size_t i = 0; i < glyphs.size(); ++i)
        out << (i > 0 ? " " : "") << Quote(std::string(1, char(glyphs[i].character)));
    out << ");\n\n";

    out << "CreateLayer Main;\n";
    out << "LayerSetPointSize Main " << options.pointSize << ";\n";
    out << "LayerSetAscent Main " << ascent << ";\n";
    out << "LayerSetHeight Main " << ascent + descent << ";\n";
    out << "LayerSetLineSpacingOffset Main " << lineGap << ";\n";
    WriteGlyphCommands(out, "Main", options.name + ".png", glyphs, ascent);
    if (!kerning.empty())
    {
        out << "LayerSetKerningPairs Main (";
        for (size_t i = 0; i < kerning.size(); ++i)
            out << (i > 0 ? " " : "") << Quote(kerning[i].first);
        out << ")\n    (";
        for (size_t i = 0; i < kerning.size(); ++i)
            out << (i > 0 ? " " : "") << kerning[i].second;
        out << ");\n";
    }

    if (options.effect == Effect::Shadow)
    {
        const int distance = std::max(1, pixels / 16);
        out << "\n# A soft dark copy under every glyph of the string.\n";
        out << "CreateLayerFrom Shadow Main;\n";
        out << "LayerSetOffset Shadow (" << distance << ' ' << distance << ");\n";
        char opacity[16];
        std::snprintf(opacity, sizeof opacity, "%.3f", options.shadowOpacity);
        out << "LayerSetColorMult Shadow (0 0 0 " << opacity << ");\n";
        out << "LayerSetBaseOrder Shadow -1;\n";
    }
    else if (options.effect == Effect::Outline)
    {
        out << "\n# A dark outline under every glyph of the string.\n";
        out << "CreateLayerFrom Outline Main;\n";
        WriteGlyphCommands(out, "Outline", options.name + "_outline.png", outline, ascent);
        out << "LayerSetColorMult Outline (0 0 0 1);\n";
        out << "LayerSetBaseOrder Outline -1;\n";
    }

    const std::filesystem::path folder = options.outputFolder;
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    if (!ImageLib::WritePNG((folder / (options.name + ".png")).string(), atlas) ||
        (options.effect == Effect::Outline &&
         !ImageLib::WritePNG((folder / (options.name + "_outline.png")).string(), outlineAtlas)))
    {
        error = "cannot write the atlas into " + folder.string();
        return false;
    }
    const std::string text = out.str();
    if (!Platform::WriteFileAtomically(folder / (options.name + ".txt"), reinterpret_cast<const uint8_t*>(text.data()),
                                       text.size()))
    {
        error = "cannot write the descriptor into " + folder.string();
        return false;
    }
    return true;
}

} // namespace Vesk
