#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Vesk
{

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : id(id), listener(listener)
{
    translucent = true;
    static constexpr int kDefaultPalette[6][3] = {
        {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
    };
    SetPaletteRGB(kDefaultPalette, 6);
}

ButtonWidget::~ButtonWidget() = default;

Font* ButtonWidget::EnsureFont(int pointSize)
{
    if (!font)
        font = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", pointSize);
    return font.get();
}

void ButtonWidget::DrawButtonImage(Graphics& graphics, Image* image, const Rect& rect, int x, int y)
{
    if (rect.width != 0)
    {
        if (buttonImage != nullptr)
            graphics.DrawImage(buttonImage, x, y, rect);
    }
    else if (image != nullptr)
        graphics.DrawImage(image, x, y);
}

void ButtonWidget::SetFont(Font* newFont)
{
    font = newFont != nullptr ? newFont->Duplicate() : nullptr;
    Invalidate();
}

bool ButtonWidget::IsButtonDown()
{
    return isPressed && isHovered && !disabled;
}

bool ButtonWidget::HoverChangesLook()
{
    return isPressed || HasOverLook() || !(GetPaletteColor(0) == GetPaletteColor(1));
}

void ButtonWidget::SetDisabled(bool disabled)
{
    bool changed = this->disabled != disabled;
    Widget::SetDisabled(disabled);
    if (changed && HasDisabledLook())
        Invalidate();
}

void ButtonWidget::Tick()
{
    Widget::Tick();
    if (isPressed && isHovered && listener != nullptr)
        listener->OnButtonHeldTick(id);

    if (isHovered && overAlphaFadeInSpeed > 0)
    {
        if (overAlpha < 1)
        {
            overAlpha += overAlphaFadeInSpeed;
            // Ten steps of 0.1 make a whole, whatever the rounding says.
            if (overAlpha > 1 - 1e-9)
                overAlpha = 1;
            Invalidate();
        }
    }
    else if (!isHovered && !isPressed && overAlpha > 0)
    {
        overAlpha = overAlphaFadeOutSpeed > 0 ? overAlpha - overAlphaFadeOutSpeed : 0;
        if (overAlpha < 1e-9)
            overAlpha = 0;
        Invalidate();
    }
}

void ButtonWidget::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    if (listener != nullptr)
        listener->OnButtonPressed(id, clickCount);
    Invalidate();
}

void ButtonWidget::OnButtonRelease(int x, int y, int buttonNumber, int clickCount)
{
    // The click: released while still over the button, with the application in front.
    bool appFocused = manager == nullptr || manager->appHasFocus;
    if (isHovered && appFocused && listener != nullptr)
        listener->OnButtonReleased(id);
    Invalidate();
}

void ButtonWidget::OnPointerEnter()
{
    if (overAlphaFadeInSpeed == 0 && overAlpha > 0)
        overAlpha = 0;
    if (HoverChangesLook())
        Invalidate();
    if (listener != nullptr)
        listener->OnButtonPointerEnter(id);
}

void ButtonWidget::OnPointerLeave()
{
    if (overAlphaFadeOutSpeed == 0 && overAlpha > 0)
        overAlpha = 0;
    if (overAlphaFadeOutSpeed > 0 && overAlpha == 0)
        overAlpha = 1;
    if (HoverChangesLook())
        Invalidate();
    if (listener != nullptr)
        listener->OnButtonPointerLeave(id);
}

void ButtonWidget::OnPointerMove(int x, int y)
{
    if (listener != nullptr)
        listener->OnButtonPointerMove(id, x, y);
}

void ButtonWidget::DrawDefaultFrame(Graphics& graphics, bool down)
{
    if (down)
    {
        // Sunken: the outline, then dark lines along the inner top and left and light ones
        // along the inner bottom and right.
        graphics.SetColor(GetPaletteColor(2));
        graphics.DrawRect(0, 0, width - 1, height - 1);
        graphics.SetColor(GetPaletteColor(4));
        graphics.FillRect(1, 1, width - 2, 1);
        graphics.FillRect(1, 2, 1, height - 3);
        graphics.SetColor(GetPaletteColor(3));
        graphics.FillRect(2, height - 2, width - 3, 1);
        graphics.FillRect(width - 2, 2, 1, height - 4);
        return;
    }
    // Raised: light top and left edges, the outline along the bottom and right with a dark line
    // just inside it.
    graphics.SetColor(GetPaletteColor(3));
    graphics.FillRect(0, 0, width - 1, 1);
    graphics.FillRect(0, 1, 1, height - 2);
    graphics.SetColor(GetPaletteColor(2));
    graphics.FillRect(0, height - 1, width, 1);
    graphics.FillRect(width - 1, 0, 1, height - 1);
    graphics.SetColor(GetPaletteColor(4));
    graphics.FillRect(1, height - 2, width - 2, 1);
    graphics.FillRect(width - 2, 1, 1, height - 3);
}

void ButtonWidget::Paint(Graphics& graphics)
{
    if (noDraw)
        return;
    if (!label.empty())
        EnsureFont(10);

    bool down = IsButtonDown() != inverted;
    int ascent = font ? font->GetAscent() : 0;
    int labelWidth = font ? font->StringWidth(label) : 0;
    int textX = labelJustify == 0 ? (width - labelWidth) / 2 : labelJustify == 1 ? width - labelWidth : 0;
    int textY = (ascent + height - ascent / 6 - 1) / 2;
    graphics.SetFont(font.get());

    Color textColor;
    if (buttonImage != nullptr || downImage != nullptr)
    {
        if (down)
        {
            if (HasDownLook())
                DrawButtonImage(graphics, downImage, downRect, 0, 0);
            else if (HasOverLook())
                DrawButtonImage(graphics, overImage, overRect, 1, 1);
            else
                DrawButtonImage(graphics, buttonImage, normalRect, 1, 1);
            textColor = GetPaletteColor(1);
            ++textX;
            ++textY;
        }
        else
        {
            if (disabled && HasDisabledLook())
                DrawButtonImage(graphics, disabledImage, disabledRect, 0, 0);
            else if (overAlpha > 0 && HasOverLook())
            {
                if (overAlpha < 1)
                    DrawButtonImage(graphics, buttonImage, normalRect, 0, 0);
                graphics.SetColorizeImages(true);
                graphics.SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
                DrawButtonImage(graphics, overImage, overRect, 0, 0);
                graphics.SetColorizeImages(false);
            }
            else if ((isHovered || isPressed) && HasOverLook())
                DrawButtonImage(graphics, overImage, overRect, 0, 0);
            else
                DrawButtonImage(graphics, buttonImage, normalRect, 0, 0);
            textColor = GetPaletteColor(isHovered ? 1 : 0);
        }
    }
    else
    {
        if (!frameNoDraw)
        {
            graphics.SetColor(GetPaletteColor(5));
            graphics.FillRect(0, 0, width, height);
            DrawDefaultFrame(graphics, down);
        }
        if (down)
        {
            ++textX;
            ++textY;
        }
        textColor = GetPaletteColor(isHovered ? 1 : 0);
    }

    if (!label.empty())
    {
        graphics.SetColor(textColor);
        graphics.DrawString(label, textX, textY);
    }
}

void ButtonWidget::PaintInPlace(Graphics& graphics)
{
    const bool ownDrawing = noDraw;
    noDraw = false;
    graphics.PushState();
    graphics.Translate(x, y);
    Paint(graphics);
    graphics.PopState();
    noDraw = ownDrawing;
}

} // namespace Vesk
