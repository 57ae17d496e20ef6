#include "framework/graphics/Font.h"

namespace Vesk
{

Font::~Font() = default;

int Font::GetAscent() const
{
    return ascent;
}

int Font::GetAscentPadding() const
{
    return ascentPadding;
}

int Font::GetDescent() const
{
    return height - ascent;
}

int Font::GetHeight() const
{
    return height;
}

int Font::GetLineSpacingOffset() const
{
    return lineSpacingOffset;
}

int Font::GetLineSpacing() const
{
    return height + lineSpacingOffset;
}

int Font::StringWidth(const std::string&)
{
    return 0;
}

int Font::CharWidth(char ch)
{
    return StringWidth(std::string(1, ch));
}

int Font::CharWidthKern(char ch, char)
{
    return CharWidth(ch);
}

void Font::DrawString(Graphics*, int, int, const std::string&, const Color&, const Rect&) {}

} // namespace Vesk
