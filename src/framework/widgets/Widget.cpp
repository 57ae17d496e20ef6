#include "framework/widgets/Widget.h"

#include "framework/widgets/WidgetManager.h"

namespace Vesk
{

void Widget::SetShown(bool shown)
{
    if (this->shown == shown)
        return;
    this->shown = shown;
    Invalidate();
    if (manager != nullptr)
        manager->dirty = true;
}

void Widget::SetDisabled(bool disabled)
{
    if (this->disabled == disabled)
        return;
    this->disabled = disabled;
    if (disabled && manager != nullptr)
        manager->DropWidgetReferences(this);
    Invalidate();
}

void Widget::SetBounds(int x, int y, int width, int height)
{
    if (this->x == x && this->y == y && this->width == width && this->height == height)
        return;
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    Invalidate();
}

} // namespace Vesk
