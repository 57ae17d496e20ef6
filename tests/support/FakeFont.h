#pragma once

#include "framework/graphics/Font.h"
#include "framework/graphics/MemoryImage.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk::TestSupport
{

// A tiny bitmap font for tests and benchmarks: capitals, digits and some punctuation drawn as
// 3 x 5 pixel glyphs (lower case shows as capitals), each pixel scale x scale, advancing
// 4 x scale per character. It draws like an image font, through Graphics::DrawImage of a glyph
// atlas with colourizing on, and logs every DrawString call so tests can see what was written.
class FakeFont : public Font
{
public:
    explicit FakeFont(int scale = 1);
    FakeFont(const FakeFont& other);

    struct DrawCall
    {
        std::string text;
        int x;
        int y;
        Color color;
    };

    int CharWidthKern(char ch, char prevChar) override;
    int CharWidth(char ch) override { return CharWidthKern(ch, 0); }
    int StringWidth(const std::string& text) override;
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Duplicate() const override;

    int scale;
    // Extra advance of a character after another one.
    std::map<std::pair<char, char>, int> kerning;
    std::vector<DrawCall> calls;

private:
    std::shared_ptr<MemoryImage> atlas;
};

} // namespace Vesk::TestSupport
