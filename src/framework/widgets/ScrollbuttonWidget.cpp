#include "framework/widgets/ScrollbuttonWidget.h"

#include "framework/graphics/Graphics.h"

namespace Vesk
{

ScrollbuttonWidget::ScrollbuttonWidget(int id, ButtonListener* listener) : ButtonWidget(id, listener) {}

void ScrollbuttonWidget::Paint(Graphics& graphics)
{
    bool down = IsButtonDown();
    graphics.SetColor(GetPaletteColor(5));
    graphics.FillRect(0, 0, width, height);
    DrawDefaultFrame(graphics, down);

    // Eight centred lines growing by two pixels: 1, 3, ..., 15 long, the tip first.
    graphics.SetColor(disabled ? Color(132, 132, 132) : Color(0, 0, 0));
    int shift = down ? 1 : 0;
    int centerX = width / 2 + shift;
    int centerY = height / 2 + shift;
    for (int i = 0; i < 8; ++i)
    {
        int half = i;
        // The tip lies 4 pixels before the centre, the base 3 pixels after it.
        int offset = arrowKind == 0 ? i - 4 : 3 - i;
        if (horizontal)
            graphics.FillRect(centerX + offset, centerY - half, 1, 2 * half + 1);
        else
            graphics.FillRect(centerX - half, centerY + offset, 2 * half + 1, 1);
    }
}

} // namespace Vesk
