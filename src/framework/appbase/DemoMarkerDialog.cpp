#include "framework/appbase/DemoMarkerDialog.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/ScrollbarWidget.h"

#include <algorithm>
#include <cstdio>

namespace Vesk
{

namespace
{

constexpr int kListGap = 12;
constexpr int kScrollbarWidth = 16;
const Color kPassedColor(150, 150, 150);

} // namespace

DemoMarkerDialog::DemoMarkerDialog(VeskAppBase* app, const std::vector<DemoFile::Marker>& markers, int currentUpdate)
    : Dialog(nullptr, nullptr, VeskAppBase::kDemoMarkerDialogId, true,
             app->GetString("DEMO_MARKERS_TITLE", "Marker List"),
             markers.empty() ? app->GetString("DEMO_MARKERS_NONE", "This recording has no markers.")
                             : app->GetString("DEMO_MARKERS_PROMPT", "Choose a marker to run ahead to it."),
             app->GetString("DEMO_MARKERS_CLOSE", "CLOSE"), BUTTONS_FOOTER),
      app(app), markers(markers), currentUpdate(currentUpdate)
{
    list = std::make_unique<ListWidget>(kListId, nullptr, this);
    scrollbar = std::make_unique<ScrollbarWidget>(kScrollbarId, list.get());
    scrollbar->SetInvisIfNoScroll(true);
    list->SetScrollbar(scrollbar.get());
    for (size_t i = 0; i < this->markers.size(); ++i)
    {
        int index = list->AddLine(FormatMarker(this->markers[i], app->frameTime), false);
        if (this->markers[i].updateCount <= currentUpdate)
            list->SetLineColor(index, kPassedColor);
    }
    if (!this->markers.empty())
    {
        AddChild(list.get());
        AddChild(scrollbar.get());
    }
}

DemoMarkerDialog::~DemoMarkerDialog()
{
    if (HasChild(scrollbar.get()))
        RemoveChild(scrollbar.get());
    if (HasChild(list.get()))
        RemoveChild(list.get());
}

std::string DemoMarkerDialog::FormatMarker(const DemoFile::Marker& marker, int frameTime)
{
    long long seconds = static_cast<long long>(std::max(marker.updateCount, 0)) * std::max(frameTime, 1) / 1000;
    char time[48];
    std::snprintf(time, sizeof(time), " (%02lld:%02lld:%02lld)", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return marker.name + time;
}

int DemoMarkerDialog::ListHeight()
{
    if (markers.empty())
        return 0;
    int shown = std::min(static_cast<int>(markers.size()), kVisibleLines);
    return shown * list->GetItemHeight() + 8;
}

int DemoMarkerDialog::GetPreferredHeight(int dialogWidth)
{
    int height = Dialog::GetPreferredHeight(dialogWidth);
    return markers.empty() ? height : height + ListHeight() + 2 * kListGap - 16;
}

void DemoMarkerDialog::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Dialog::SetBounds(newX, newY, newWidth, newHeight);
    int left = backgroundInsets.left + contentInsets.left;
    int right = backgroundInsets.right + contentInsets.right;
    int buttonsTop = newHeight - contentInsets.bottom - backgroundInsets.bottom - buttonHeight;
    int listHeight = ListHeight();
    int top = buttonsTop - kListGap - listHeight;
    int listWidth = newWidth - left - right;
    bool scrolls = static_cast<int>(markers.size()) > kVisibleLines;
    list->SetBounds(left, top, scrolls ? listWidth - kScrollbarWidth : listWidth, listHeight);
    scrollbar->ResizeScrollbar(left + listWidth - kScrollbarWidth, top, kScrollbarWidth, listHeight);
}

void DemoMarkerDialog::OnKeyPressed(int keyCode)
{
    if (keyCode == Platform::KEYCODE_ESCAPE)
        app->CloseDemoDialog(id);
}

void DemoMarkerDialog::OnButtonReleased(int buttonId)
{
    result = buttonId;
    if (buttonId == kYesButtonId)
        app->CloseDemoDialog(id);
}

void DemoMarkerDialog::OnListClicked(int listId, int index, int clickCount)
{
    if (index < 0 || index >= static_cast<int>(markers.size()))
        return;
    int target = markers[static_cast<size_t>(index)].updateCount;
    if (target <= currentUpdate)
        return;
    app->DemoJumpToUpdate(target);
    app->CloseDemoDialog(id);
}

} // namespace Vesk
