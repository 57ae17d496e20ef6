#pragma once

#include <memory>
#include <string>

namespace Vesk
{

class Graphics;
struct Color;
struct Rect;

// A font: reports its metrics, measures byte strings (characters 0..255) and draws a string
// with its baseline at y through a Graphics, which passes its own colour and clip rectangle.
// Implementations: SysFont (a face of the system) and ImageFont (glyphs cut from pictures).
class Font
{
public:
    Font() = default;
    virtual ~Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = delete;

    virtual int GetAscent() { return ascent; }
    virtual int GetAscentPadding() { return ascentPadding; }
    virtual int GetDescent() { return height - ascent; }
    virtual int GetHeight() { return height; }
    virtual int GetLineSpacingOffset() { return lineSpacingOffset; }
    virtual int GetLineSpacing() { return height + lineSpacingOffset; }
    virtual int StringWidth(const std::string& text) { return 0; }
    virtual int CharWidth(char character) { return StringWidth(std::string(1, character)); }
    // The advance of character when it follows prevChar (0: none); the base has no kerning.
    virtual int CharWidthKern(char character, char prevChar) { return CharWidth(character); }
    // y is the baseline. The base draws nothing.
    virtual void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                            const Rect& clipRect)
    {
    }
    // A new, independent copy owned by the caller.
    virtual std::unique_ptr<Font> Duplicate() = 0;

    int ascent = 0;
    int ascentPadding = 0;
    int height = 0;
    int lineSpacingOffset = 0;
};

} // namespace Vesk
