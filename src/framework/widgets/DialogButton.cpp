#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

namespace Vesk
{

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), componentImage(componentImage)
{
    showHandOnHover = true;
    static constexpr int kDefaultPalette[6][3] = {
        {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
    };
    SetPaletteRGB(kDefaultPalette, 6);
}

void DialogButton::Paint(Graphics& graphics)
{
    if (noDraw)
        return;
    if (componentImage == nullptr)
    {
        ButtonWidget::Paint(graphics);
        return;
    }
    if (!label.empty())
        EnsureFont(12);

    bool down = IsButtonDown() != inverted;
    Rect whole(0, 0, width, height);
    int translateX = 0;
    int translateY = 0;
    if (normalRect.width != 0)
    {
        if (disabled && !disabledRect.IsEmpty())
            graphics.DrawImage(componentImage, whole, disabledRect);
        else if (down)
            graphics.DrawImage(componentImage, whole, downRect);
        else if (overAlpha > 0)
        {
            if (overAlpha < 1)
                graphics.DrawImage(componentImage, whole, normalRect);
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
            graphics.DrawImage(componentImage, whole, overRect);
            graphics.SetColorizeImages(false);
        }
        else if (isHovered)
            graphics.DrawImage(componentImage, whole, overRect);
        else
            graphics.DrawImage(componentImage, whole, normalRect);
        if (down)
        {
            translateX = downOffsetX;
            translateY = downOffsetY;
            graphics.Translate(translateX, translateY);
        }
    }
    else
    {
        if (down)
        {
            translateX = downOffsetX;
            translateY = downOffsetY;
            graphics.Translate(translateX, translateY);
        }
        graphics.DrawImageBox(whole, componentImage);
    }

    if (font && !label.empty())
    {
        int ascent = font->GetAscent();
        int textX = (width - font->StringWidth(label)) / 2 + textOffsetX;
        int textY = textOffsetY + (ascent + height - ascent / 6 - font->GetAscentPadding() - 1) / 2;
        graphics.SetFont(font.get());
        graphics.SetColor(GetPaletteColor(isHovered ? 1 : 0));
        graphics.DrawString(label, textX, textY);
    }
    graphics.Translate(-translateX, -translateY);
}

} // namespace Vesk
