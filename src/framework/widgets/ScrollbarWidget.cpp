#include "framework/widgets/ScrollbarWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/ScrollbuttonWidget.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// Holding an arrow or the track repeats from this many ticks on; paging then repeats every
// kPageRepeatTicks ticks.
constexpr int kRepeatDelay = 25;
constexpr int kPageRepeatTicks = 5;

const Color kTrackColor(232, 232, 232);
const Color kPagedTrackColor(150, 150, 150);

} // namespace

ScrollbarWidget::ScrollbarWidget(int id, ScrollListener* listener)
    : id(id), listener(listener), upButton(std::make_unique<ScrollbuttonWidget>(0, this)),
      downButton(std::make_unique<ScrollbuttonWidget>(1, this))
{
    upButton->arrowKind = 0;
    downButton->arrowKind = 1;
    AddChild(upButton.get());
    AddChild(downButton.get());
}

ScrollbarWidget::~ScrollbarWidget()
{
    *alive = false;
    RemoveChild(upButton.get());
    RemoveChild(downButton.get());
}

int ScrollbarWidget::UpButtonSize()
{
    return upButton->width;
}

void ScrollbarWidget::LayoutButtons()
{
    upButton->horizontal = horizontal;
    downButton->horizontal = horizontal;
    if (horizontal)
    {
        upButton->SetBounds(0, 0, height, height);
        downButton->SetBounds(width - height, 0, height, height);
    }
    else
    {
        upButton->SetBounds(0, 0, width, width);
        downButton->SetBounds(0, height - width, width, width);
    }
}

void ScrollbarWidget::SetBounds(int x, int y, int width, int height)
{
    Widget::SetBounds(x, y, width, height);
    LayoutButtons();
}

void ScrollbarWidget::ResizeScrollbar(int x, int y, int width, int height)
{
    SetBounds(x, y, width, height);
}

void ScrollbarWidget::SetInvisIfNoScroll(bool invisible)
{
    invisIfNoScroll = invisible;
    ClampValue();
}

void ScrollbarWidget::SetHorizontal(bool horizontal)
{
    this->horizontal = horizontal;
    LayoutButtons();
    Invalidate();
}

void ScrollbarWidget::MoveValue(double newValue)
{
    double old = value;
    value = std::clamp(newValue, 0.0, std::max(0.0, maxValue - pageSize));
    bool noScroll = maxValue <= pageSize;
    SetDisabled(noScroll);
    upButton->SetDisabled(noScroll);
    downButton->SetDisabled(noScroll);
    if (invisIfNoScroll)
        SetShown(!noScroll);
    else if (!shown && !noScroll)
        SetShown(true);
    if (value != old && listener != nullptr)
        listener->OnScrolled(id, value);
}

void ScrollbarWidget::ClampValue()
{
    MoveValue(value);
}

void ScrollbarWidget::SetMaxValue(double newMax)
{
    maxValue = newMax;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetPageSize(double newPageSize)
{
    pageSize = newPageSize;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetValue(double newValue)
{
    // Clamped quietly, then told once whatever came out.
    ScrollListener* told = listener;
    listener = nullptr;
    MoveValue(newValue);
    listener = told;
    if (listener != nullptr)
        listener->OnScrolled(id, value);
    Invalidate();
}

bool ScrollbarWidget::AtBottom()
{
    return maxValue - pageSize - value <= 1;
}

void ScrollbarWidget::GoToBottom()
{
    SetValue(maxValue - pageSize);
}

int ScrollbarWidget::GetTrackSize()
{
    return (horizontal ? width : height) - 2 * UpButtonSize();
}

int ScrollbarWidget::GetThumbSize()
{
    if (maxValue < pageSize || maxValue <= 0)
        return 0;
    int size = static_cast<int>(std::lround(GetTrackSize() * pageSize / maxValue));
    return std::max(size, 8);
}

int ScrollbarWidget::GetThumbPosition()
{
    double range = maxValue - pageSize;
    if (maxValue < pageSize || range <= 0)
        return UpButtonSize();
    return static_cast<int>(std::lround((GetTrackSize() - GetThumbSize()) * value / range)) + UpButtonSize();
}

void ScrollbarWidget::SetThumbPosition(int position)
{
    int travel = GetTrackSize() - GetThumbSize();
    if (travel <= 0)
        return;
    SetValue((maxValue - pageSize) * (position - UpButtonSize()) / travel);
}

int ScrollbarWidget::ThumbCompare(int x, int y)
{
    int along = horizontal ? x : y;
    int thumbPosition = GetThumbPosition();
    if (along < thumbPosition)
        return -1;
    if (along >= thumbPosition + GetThumbSize())
        return 1;
    return 0;
}

void ScrollbarWidget::OnButtonPressed(int buttonId)
{
    repeatCount = 0;
    SetValue(value + (buttonId == 1 ? 1 : -1));
}

void ScrollbarWidget::OnButtonHeldTick(int buttonId)
{
    if (++repeatCount >= kRepeatDelay)
        SetValue(value + (buttonId == 1 ? 1 : -1));
}

void ScrollbarWidget::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    if (disabled)
        return;
    mouseDownX = lastMouseX = x;
    mouseDownY = lastMouseY = y;
    int where = ThumbCompare(x, y);
    if (where < 0)
    {
        SetValue(value - pageSize);
        pagingState = 1;
        repeatCount = 0;
    }
    else if (where > 0)
    {
        SetValue(value + pageSize);
        pagingState = 2;
        repeatCount = 0;
    }
    else
    {
        pressedOnThumb = true;
        mouseDownThumbPos = GetThumbPosition();
    }
    Invalidate();
}

void ScrollbarWidget::OnPointerDrag(int x, int y)
{
    lastMouseX = x;
    lastMouseY = y;
    if (pressedOnThumb)
        SetThumbPosition(mouseDownThumbPos + (horizontal ? x - mouseDownX : y - mouseDownY));
}

void ScrollbarWidget::OnButtonRelease(int x, int y, int buttonNumber, int clickCount)
{
    pagingState = 0;
    pressedOnThumb = false;
    Invalidate();
}

void ScrollbarWidget::Tick()
{
    Widget::Tick();
    if (pagingState == 0)
        return;
    int where = ThumbCompare(lastMouseX, lastMouseY);
    bool beyond = pagingState == 1 ? where < 0 : where > 0;
    if (!beyond)
    {
        // The thumb has reached the pointer.
        pagingState = 0;
        Invalidate();
        return;
    }
    if (++repeatCount >= kRepeatDelay)
    {
        SetValue(value + (pagingState == 1 ? -pageSize : pageSize));
        repeatCount = kRepeatDelay - kPageRepeatTicks;
    }
}

void ScrollbarWidget::DrawThumb(Graphics& graphics, int x, int y, int width, int height)
{
    graphics.SetColor(Color(212, 212, 212));
    graphics.FillRect(x, y, width, height);
    graphics.SetColor(Color(255, 255, 255));
    graphics.FillRect(x, y, width - 1, 1);
    graphics.FillRect(x, y, 1, height - 1);
    graphics.SetColor(Color(0, 0, 0));
    graphics.FillRect(x, y + height - 1, width, 1);
    graphics.FillRect(x + width - 1, y, 1, height);
    graphics.SetColor(Color(132, 132, 132));
    graphics.FillRect(x + 1, y + height - 2, width - 2, 1);
    graphics.FillRect(x + width - 2, y + 1, 1, height - 2);
}

void ScrollbarWidget::Paint(Graphics& graphics)
{
    int start = UpButtonSize();
    int end = start + GetTrackSize();
    int thumbPosition = GetThumbPosition();
    int thumbSize = GetThumbSize();
    auto fillAlong = [&](int from, int to, const Color& color)
    {
        if (to <= from)
            return;
        graphics.SetColor(color);
        if (horizontal)
            graphics.FillRect(from, 0, to - from, height);
        else
            graphics.FillRect(0, from, width, to - from);
    };
    fillAlong(start, thumbPosition, pagingState == 1 ? kPagedTrackColor : kTrackColor);
    fillAlong(thumbPosition + thumbSize, end, pagingState == 2 ? kPagedTrackColor : kTrackColor);
    if (thumbSize > 0)
    {
        if (horizontal)
            DrawThumb(graphics, thumbPosition, 0, thumbSize, height);
        else
            DrawThumb(graphics, 0, thumbPosition, width, thumbSize);
    }
}

} // namespace Vesk
