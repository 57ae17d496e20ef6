#include "support/FakeFont.h"

#include "framework/graphics/Graphics.h"

#include <cctype>

namespace Vesk::TestSupport
{

namespace
{

// Rows of the 3 x 5 glyphs, three bits each (most significant on the left), for the characters
// from ' ' to '_'.
struct Glyph
{
    char ch;
    const char* rows;
};

constexpr Glyph Glyphs[] = {
    {'A', "010101111101101"}, {'B', "110101110101110"},  {'C', "011100100100011"}, {'D', "110101101101110"},
    {'E', "111100110100111"}, {'F', "111100110100100"},  {'G', "011100101101011"}, {'H', "101101111101101"},
    {'I', "111010010010111"}, {'J', "001001001101010"},  {'K', "101101110101101"}, {'L', "100100100100111"},
    {'M', "101111111101101"}, {'N', "110101101101101"},  {'O', "010101101101010"}, {'P', "110101110100100"},
    {'Q', "010101101110011"}, {'R', "110101110101101"},  {'S', "011100010001110"}, {'T', "111010010010010"},
    {'U', "101101101101111"}, {'V', "101101101101010"},  {'W', "101101111111101"}, {'X', "101101010101101"},
    {'Y', "101101010010010"}, {'Z', "111001010100111"},  {'0', "111101101101111"}, {'1', "010110010010111"},
    {'2', "110001010100111"}, {'3', "110001010001110"},  {'4', "101101111001001"}, {'5', "111100110001110"},
    {'6', "011100111101111"}, {'7', "111001010010010"},  {'8', "111101111101111"}, {'9', "111101111001110"},
    {'.', "000000000000010"}, {',', "000000000010100"},  {'!', "010010010000010"}, {'?', "110001010000010"},
    {'-', "000000111000000"}, {'\'', "010010000000000"}, {'^', "010101000000000"}, {':', "000010000010000"},
};

constexpr int AtlasColumns = 16;
constexpr int FirstChar = 32;
constexpr int CharCount = 64;

int GlyphIndex(char ch)
{
    int c = std::toupper(static_cast<unsigned char>(ch));
    return c >= FirstChar && c < FirstChar + CharCount ? c - FirstChar : -1;
}

} // namespace

FakeFont::FakeFont(int scale) : scale(scale), atlas(std::make_shared<MemoryImage>())
{
    ascent = 5 * scale;
    height = 7 * scale;
    int cell = 4 * scale;
    int atlasWidth = AtlasColumns * cell;
    int atlasHeight = (CharCount / AtlasColumns) * height;
    std::vector<uint32_t> pixels(size_t(atlasWidth) * size_t(atlasHeight), 0);
    for (const Glyph& glyph : Glyphs)
    {
        int index = GlyphIndex(glyph.ch);
        int left = (index % AtlasColumns) * cell;
        int top = (index / AtlasColumns) * height;
        for (int bit = 0; bit < 15; ++bit)
        {
            if (glyph.rows[bit] != '1')
                continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                {
                    int x = left + (bit % 3) * scale + dx;
                    int y = top + (bit / 3) * scale + dy;
                    pixels[size_t(y) * size_t(atlasWidth) + size_t(x)] = 0xFFFFFFFF;
                }
        }
    }
    atlas->SetBits(pixels.data(), atlasWidth, atlasHeight, true);
    (void)atlas->Palletize();
}

FakeFont::FakeFont(const FakeFont& other) : Font(other), scale(other.scale), kerning(other.kerning), atlas(other.atlas)
{
}

int FakeFont::CharWidthKern(char ch, char prevChar)
{
    int width = 4 * scale;
    if (prevChar != 0)
    {
        auto at = kerning.find({prevChar, ch});
        if (at != kerning.end())
            width += at->second;
    }
    return width;
}

int FakeFont::StringWidth(const std::string& text)
{
    int width = 0;
    char previous = 0;
    for (char ch : text)
    {
        width += CharWidthKern(ch, previous);
        previous = ch;
    }
    return width;
}

void FakeFont::DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color, const Rect&)
{
    calls.push_back({text, x, y, color});
    bool colorize = graphics->GetColorizeImages();
    Color oldColor = graphics->GetColor();
    graphics->SetColorizeImages(true);
    graphics->SetColor(color);
    int pen = x;
    char previous = 0;
    int cell = 4 * scale;
    for (char ch : text)
    {
        pen += previous ? CharWidthKern(ch, previous) - cell : 0;
        int index = GlyphIndex(ch);
        if (index >= 0)
            graphics->DrawImage(
                atlas.get(), pen, y - ascent,
                Rect((index % AtlasColumns) * cell, (index / AtlasColumns) * height, 3 * scale, 5 * scale));
        pen += cell;
        previous = ch;
    }
    graphics->SetColor(oldColor);
    graphics->SetColorizeImages(colorize);
}

std::unique_ptr<Font> FakeFont::Duplicate() const
{
    return std::make_unique<FakeFont>(*this);
}

} // namespace Vesk::TestSupport
