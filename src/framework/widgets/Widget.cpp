#include "framework/widgets/Widget.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace Vesk
{

namespace
{

// Keeps the graphics' colour-code switch on for one text call.
class ColoredStrings
{
public:
    explicit ColoredStrings(Graphics& graphics) : graphics(graphics), saved(graphics.writeColoredString)
    {
        graphics.writeColoredString = true;
    }
    ~ColoredStrings() { graphics.writeColoredString = saved; }
    ColoredStrings(const ColoredStrings&) = delete;
    ColoredStrings& operator=(const ColoredStrings&) = delete;

private:
    Graphics& graphics;
    bool saved;
};

} // namespace

Widget::~Widget()
{
    if (parent != nullptr)
        parent->RemoveChild(this);
    RemoveAllChildren(false, false);
}

VeskAppBase* Widget::GetApp()
{
    if (manager != nullptr && manager->app != nullptr)
        return manager->app;
    return gAppBase;
}

void Widget::OnStackingChanged() {}

void Widget::SetShown(bool shown)
{
    if (this->shown == shown)
        return;
    this->shown = shown;
    if (shown)
        Invalidate();
    else
        InvalidateFully();
    if (manager != nullptr)
        manager->RefreshPointer();
}

void Widget::SetPaletteRGBA(const int (*rows)[4], int count)
{
    palette.clear();
    for (int i = 0; i < count; ++i)
        palette.emplace_back(rows[i][0], rows[i][1], rows[i][2], rows[i][3]);
    Invalidate();
}

void Widget::SetPaletteRGB(const int (*rows)[3], int count)
{
    palette.clear();
    for (int i = 0; i < count; ++i)
        palette.emplace_back(rows[i][0], rows[i][1], rows[i][2], 255);
    Invalidate();
}

void Widget::SetPaletteColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= palette.size())
        palette.resize(static_cast<size_t>(index) + 1);
    palette[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetPaletteColorOr(int index, const Color& fallback)
{
    if (index < 0 || static_cast<size_t>(index) >= palette.size())
        return fallback;
    return palette[static_cast<size_t>(index)];
}

Color Widget::GetPaletteColor(int index)
{
    return GetPaletteColorOr(index, Color(0, 0, 0, 255));
}

void Widget::SetDisabled(bool disabled)
{
    if (this->disabled == disabled)
        return;
    this->disabled = disabled;
    if (disabled && manager != nullptr)
        manager->DropWidgetReferences(this);
    Invalidate();
    if (!disabled && manager != nullptr)
    {
        // The pointer may rest on the widget that just came back: let it know.
        Point origin = GetAbsolutePosition();
        Rect bounds(origin.x, origin.y, width, height);
        if (bounds.Contains(manager->lastPointerX, manager->lastPointerY))
            manager->PointerMoved(manager->lastPointerX, manager->lastPointerY);
    }
}

void Widget::ShowHandCursor(bool show)
{
    if (VeskAppBase* app = GetApp())
        app->SetCursor(show ? 1 : 0);
}

void Widget::SetBoundsRect(const Rect& rect)
{
    SetBounds(rect.x, rect.y, rect.width, rect.height);
}

void Widget::SetBounds(int x, int y, int width, int height)
{
    if (this->x == x && this->y == y && this->width == width && this->height == height)
        return;
    InvalidateFully();
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    Invalidate();
    if (manager != nullptr)
        manager->RefreshPointer();
}

void Widget::MoveTo(int x, int y)
{
    SetBounds(x, y, width, height);
}

bool Widget::AcceptsFocus()
{
    return acceptsFocus;
}

void Widget::PaintOverlayAt(Graphics& graphics, int priority)
{
    PaintOverlay(graphics);
}

void Widget::PaintOverlay(Graphics& graphics) {}

void Widget::OnFocusGained()
{
    hasFocus = true;
}

void Widget::OnFocusLost()
{
    hasFocus = false;
}

void Widget::OnCharTyped(int character) {}

void Widget::OnKeyPressed(int keyCode)
{
    if (keyCode != 9 || manager == nullptr)
        return;
    Widget* target = manager->keyDown[16] ? tabPrevious : tabNext;
    if (target != nullptr)
        manager->SetFocusWidget(target);
}

void Widget::OnKeyReleased(int keyCode) {}

void Widget::OnPointerEnter() {}

void Widget::OnPointerLeave() {}

void Widget::OnPointerMove(int x, int y) {}

void Widget::OnButtonPress(int x, int y, int buttonNumber, int clickCount) {}

void Widget::OnPress(int x, int y, int clickCode)
{
    if (clickCode == 3)
        OnButtonPress(x, y, 2, 1);
    else
        OnButtonPress(x, y, clickCode < 0 ? 1 : 0, std::abs(clickCode));
}

void Widget::OnButtonRelease(int x, int y, int buttonNumber, int clickCount) {}

void Widget::OnRelease(int x, int y, int clickCode)
{
    OnReleaseAt(x, y);
    if (clickCode == 3)
        OnButtonRelease(x, y, 2, 1);
    else
        OnButtonRelease(x, y, clickCode < 0 ? 1 : 0, std::abs(clickCode));
}

void Widget::OnReleaseAt(int x, int y) {}

void Widget::OnPointerDrag(int x, int y) {}

void Widget::OnWheel(int delta) {}

bool Widget::AcceptsPointAt(int x, int y)
{
    return true;
}

Rect Widget::DrawCenteredLineShadowed(Graphics& graphics, int y, const std::string& text, const Color& color,
                                      const Color& shadowColor, const Point& shadowOffset)
{
    Font* font = graphics.GetFont();
    int textWidth = font != nullptr ? font->StringWidth(text) : 0;
    int ascent = font != nullptr ? font->GetAscent() : 0;
    int fontHeight = font != nullptr ? font->GetHeight() : 0;
    int left = (width - textWidth) / 2;
    graphics.SetColor(shadowColor);
    graphics.DrawString(text, left + shadowOffset.x, y + shadowOffset.y);
    graphics.SetColor(color);
    graphics.DrawString(text, left, y);
    return {left + std::min(shadowOffset.x, 0), y + std::min(shadowOffset.y, 0) - ascent,
            textWidth + std::abs(shadowOffset.x), fontHeight + std::abs(shadowOffset.y)};
}

Rect Widget::DrawCenteredLine(Graphics& graphics, int y, const std::string& text)
{
    Font* font = graphics.GetFont();
    int textWidth = font != nullptr ? font->StringWidth(text) : 0;
    int left = (width - textWidth) / 2;
    graphics.DrawString(text, left, y);
    if (font == nullptr)
        return {left, y, 0, 0};
    return {left, y - font->GetAscent(), textWidth, font->GetHeight()};
}

int Widget::DrawTextRun(Graphics& graphics, const std::string& text, int x, int y, int width, int justification,
                        bool draw, int offset, int length)
{
    ColoredStrings colored(graphics);
    return graphics.WriteString(text, x, y, width, justification, draw, offset, length, -1);
}

int Widget::DrawWrappedText(Graphics& graphics, const Rect& rect, const std::string& text, int lineSpacing,
                            int justification)
{
    ColoredStrings colored(graphics);
    return graphics.WriteWordWrapped(rect, text, lineSpacing, justification);
}

int Widget::MeasureWrappedHeight(Graphics& graphics, int width, const std::string& text, int lineSpacing)
{
    return graphics.GetWordWrappedHeight(width, text, lineSpacing);
}

int Widget::CountDigits(int n)
{
    int digits = 1;
    for (int64_t power = 10; power <= n; power *= 10)
        ++digits;
    return digits;
}

void Widget::DrawNumberFromStrip(Graphics& graphics, int number, int x, int y, Image* stripImage, int spacing)
{
    if (stripImage == nullptr)
        return;
    // The strip has no minus sign: a negative number shows its digits.
    int64_t value = number < 0 ? -static_cast<int64_t>(number) : number;
    int digits = value > INT32_MAX ? 10 : CountDigits(static_cast<int>(value));
    int cellWidth = stripImage->GetWidth() / 10;
    int64_t divisor = 1;
    for (int i = 1; i < digits; ++i)
        divisor *= 10;
    int advance = 0;
    for (int i = 0; i < digits; ++i)
    {
        int digit = static_cast<int>((value / divisor) % 10);
        divisor /= 10;
        Graphics cell(graphics);
        cell.ClipRect(x + advance, y, cellWidth, stripImage->GetHeight());
        cell.DrawImage(stripImage, x + advance - cellWidth * digit, y);
        advance += cellWidth + spacing;
    }
}

bool Widget::ContainsPoint(int px, int py)
{
    return px >= x && px < x + width && py >= y && py < y + height;
}

Rect Widget::GetInnerRect()
{
    return {x + insets.left, y + insets.top, width - insets.left - insets.right, height - insets.top - insets.bottom};
}

} // namespace Vesk
