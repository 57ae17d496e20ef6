#include "framework/widgets/Slider.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/SliderListener.h"

#include <algorithm>

namespace Vesk
{

Slider::Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener)
    : id(id), listener(listener), trackImage(trackImage), thumbImage(thumbImage)
{
}

void Slider::SetValue(double newValue)
{
    value = std::clamp(newValue, 0.0, 1.0);
    InvalidateFully();
}

bool Slider::HasTransparencies()
{
    return true;
}

Rect Slider::GetThumbRect()
{
    int thumbWidth = thumbImage != nullptr ? thumbImage->GetWidth() : (horizontal ? kDefaultThumbLength : width);
    int thumbHeight = thumbImage != nullptr ? thumbImage->GetHeight() : (horizontal ? height : kDefaultThumbLength);
    if (horizontal)
        return {static_cast<int>((width - thumbWidth) * value), (height - thumbHeight) / 2, thumbWidth, thumbHeight};
    return {(width - thumbWidth) / 2, static_cast<int>((height - thumbHeight) * value), thumbWidth, thumbHeight};
}

void Slider::SetCursor(int cursor)
{
    if (VeskAppBase* app = GetApp())
        app->SetCursor(cursor);
}

void Slider::OnPress(int x, int y, int clickCode)
{
    Rect thumb = GetThumbRect();
    if (thumb.Contains(x, y))
    {
        dragging = true;
        SetCursor(2);
        relX = x - thumb.x;
        relY = y - thumb.y;
        return;
    }
    int length = horizontal ? width : height;
    if (length > 0)
        SetValue(static_cast<double>(horizontal ? x : y) / length);
}

void Slider::OnPointerMove(int x, int y)
{
    SetCursor(GetThumbRect().Contains(x, y) ? 2 : 0);
}

void Slider::OnPointerDrag(int x, int y)
{
    if (!dragging)
        return;
    Rect thumb = GetThumbRect();
    int travel = horizontal ? width - thumb.width : height - thumb.height;
    double moved = travel > 0 ? static_cast<double>(horizontal ? x - relX : y - relY) / travel : 0.0;
    moved = std::clamp(moved, 0.0, 1.0);
    if (moved == value)
        return;
    value = moved;
    if (listener != nullptr)
        listener->OnSliderMoved(id, value);
    InvalidateFully();
}

void Slider::OnReleaseAt(int x, int y)
{
    dragging = false;
    SetCursor(0);
    if (listener != nullptr)
        listener->OnSliderMoved(id, value);
}

void Slider::OnPointerLeave()
{
    if (!dragging)
        SetCursor(0);
}

void Slider::PaintTrack(Graphics& graphics)
{
    if (trackImage == nullptr)
    {
        // A groove across the middle.
        int thickness = 6;
        Rect groove = horizontal ? Rect(0, (height - thickness) / 2, width, thickness)
                                 : Rect((width - thickness) / 2, 0, thickness, height);
        graphics.SetColor(Color(80, 80, 80));
        graphics.FillRect(groove);
        graphics.SetColor(Color(132, 132, 132));
        graphics.FillRect(groove.x, groove.y, groove.width, 1);
        graphics.FillRect(groove.x, groove.y, 1, groove.height);
        graphics.SetColor(Color(255, 255, 255));
        graphics.FillRect(groove.x, groove.y + groove.height - 1, groove.width, 1);
        graphics.FillRect(groove.x + groove.width - 1, groove.y, 1, groove.height);
        return;
    }
    if (horizontal)
    {
        int cell = trackImage->GetWidth() / 3;
        int cellHeight = trackImage->GetHeight();
        int top = (height - cellHeight) / 2;
        if (cell <= 0)
            return;
        graphics.DrawImage(trackImage, 0, top, Rect(0, 0, cell, cellHeight));
        Graphics middle(graphics);
        middle.ClipRect(cell, top, width - 2 * cell, cellHeight);
        int repeats = (width - cell - 1) / cell;
        for (int i = 0; i < repeats; ++i)
            middle.DrawImage(trackImage, cell + i * cell, top, Rect(cell, 0, cell, cellHeight));
        graphics.DrawImage(trackImage, width - cell, top, Rect(2 * cell, 0, cell, cellHeight));
        return;
    }
    int cell = trackImage->GetHeight() / 3;
    int cellWidth = trackImage->GetWidth();
    int left = (width - cellWidth) / 2;
    if (cell <= 0)
        return;
    graphics.DrawImage(trackImage, left, 0, Rect(0, 0, cellWidth, cell));
    Graphics middle(graphics);
    middle.ClipRect(left, cell, cellWidth, height - 2 * cell);
    int repeats = (height - cell - 1) / cell;
    for (int i = 0; i < repeats; ++i)
        middle.DrawImage(trackImage, left, cell + i * cell, Rect(0, cell, cellWidth, cell));
    graphics.DrawImage(trackImage, left, height - cell, Rect(0, 2 * cell, cellWidth, cell));
}

void Slider::Paint(Graphics& graphics)
{
    PaintTrack(graphics);
    Rect thumb = GetThumbRect();
    if (thumbImage != nullptr)
    {
        graphics.DrawImage(thumbImage, thumb.x, thumb.y);
        return;
    }
    // A raised knob.
    graphics.SetColor(Color(212, 212, 212));
    graphics.FillRect(thumb);
    graphics.SetColor(Color(255, 255, 255));
    graphics.FillRect(thumb.x, thumb.y, thumb.width - 1, 1);
    graphics.FillRect(thumb.x, thumb.y, 1, thumb.height - 1);
    graphics.SetColor(Color(0, 0, 0));
    graphics.FillRect(thumb.x, thumb.y + thumb.height - 1, thumb.width, 1);
    graphics.FillRect(thumb.x + thumb.width - 1, thumb.y, 1, thumb.height);
    graphics.SetColor(Color(132, 132, 132));
    graphics.FillRect(thumb.x + 1, thumb.y + thumb.height - 2, thumb.width - 2, 1);
    graphics.FillRect(thumb.x + thumb.width - 2, thumb.y + 1, 1, thumb.height - 2);
}

} // namespace Vesk
