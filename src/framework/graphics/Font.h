#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <memory>
#include <string>

namespace Vesk
{

class Graphics;

// A font: its metrics, string measuring, and drawing of a string at a baseline through a
// Graphics (which passes its own colour and clip rectangle). Characters are single bytes.
// System fonts and image fonts derive from it; the base measures 0 and draws nothing.
class Font
{
public:
    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = delete;
    virtual ~Font();

    virtual int GetAscent() const;
    virtual int GetAscentPadding() const;
    // height - ascent.
    virtual int GetDescent() const;
    virtual int GetHeight() const;
    virtual int GetLineSpacingOffset() const;
    // height + line spacing offset.
    virtual int GetLineSpacing() const;
    virtual int StringWidth(const std::string& text);
    // StringWidth of the one-character string.
    virtual int CharWidth(char ch);
    // The advance of ch after prevChar (0: none); the base has no kerning.
    virtual int CharWidthKern(char ch, char prevChar);
    // Draws text with its baseline at y.
    virtual void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                            const Rect& clipRect);
    // A new, independent copy owned by the caller.
    virtual std::unique_ptr<Font> Duplicate() const = 0;

    int ascent = 0;
    int ascentPadding = 0;
    int height = 0;
    int lineSpacingOffset = 0;
};

} // namespace Vesk
