#include "support/RecordingWidget.h"

namespace Vesk::TestSupport
{

namespace
{

std::string At(int x, int y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

} // namespace

RecordingWidget::RecordingWidget()
{
    acceptsFocus = true;
}

void RecordingWidget::Tick()
{
    Widget::Tick();
    ++ticks;
    if (invalidateEachTick)
        Invalidate();
}

void RecordingWidget::OnFocusGained()
{
    Widget::OnFocusGained();
    log.push_back("focus+");
}

void RecordingWidget::OnFocusLost()
{
    Widget::OnFocusLost();
    log.push_back("focus-");
}

void RecordingWidget::OnCharTyped(int character)
{
    log.push_back("char " + std::to_string(character));
}

void RecordingWidget::OnKeyPressed(int keyCode)
{
    log.push_back("key " + std::to_string(keyCode));
}

void RecordingWidget::OnKeyReleased(int keyCode)
{
    log.push_back("keyup " + std::to_string(keyCode));
}

void RecordingWidget::OnPointerEnter()
{
    log.push_back("enter");
}

void RecordingWidget::OnPointerLeave()
{
    log.push_back("leave");
}

void RecordingWidget::OnPointerMove(int x, int y)
{
    log.push_back("move " + At(x, y));
}

void RecordingWidget::OnPress(int x, int y, int clickCode)
{
    log.push_back("press " + At(x, y) + " " + std::to_string(clickCode));
}

void RecordingWidget::OnRelease(int x, int y, int clickCode)
{
    log.push_back("release " + At(x, y) + " " + std::to_string(clickCode));
}

void RecordingWidget::OnPointerDrag(int x, int y)
{
    log.push_back("drag " + At(x, y));
}

void RecordingWidget::OnWheel(int delta)
{
    log.push_back("wheel " + std::to_string(delta));
}

std::vector<std::string> RecordingWidget::Lines(const std::string& word) const
{
    std::vector<std::string> lines;
    for (const std::string& line : log)
    {
        if (word.empty() || line.compare(0, word.size(), word) == 0)
            lines.push_back(line);
    }
    return lines;
}

} // namespace Vesk::TestSupport
