#include "support/WidgetScreen.h"

namespace Vesk::TestSupport
{

WidgetScreen::WidgetScreen()
{
    manager.ResizeDisplay({0, 0, 800, 600}, {0, 0, 800, 600});
    image.Create(800, 600);
    manager.screenImage = &image;
}

WidgetScreen::~WidgetScreen()
{
    manager.RemoveAllChildren();
}

void WidgetScreen::Click(int x, int y)
{
    manager.PointerMoved(x, y);
    manager.ButtonPressed(x, y, 1);
    manager.ButtonReleased(x, y, 1);
}

uint32_t WidgetScreen::Pixel(int x, int y)
{
    return image.GetBits()[y * image.GetWidth() + x];
}

void WidgetScreen::Repaint()
{
    image.Clear();
    manager.InvalidateAll();
    manager.PaintScreen();
}

} // namespace Vesk::TestSupport
