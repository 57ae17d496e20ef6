#include "framework/widgets/ListWidget.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ListListener.h"
#include "framework/widgets/ScrollbarWidget.h"

#include <algorithm>
#include <numeric>

namespace Vesk
{

namespace
{

// Keeps an index pointing at the same line when a line is inserted at (or removed from)
// position.
int AfterInsert(int index, int position)
{
    return index >= position ? index + 1 : index;
}

int AfterRemove(int index, int position)
{
    if (index == position)
        return -1;
    return index > position ? index - 1 : index;
}

} // namespace

ListWidget::ListWidget(int id, Font* font, ListListener* listener) : id(id), listener(listener)
{
    if (font != nullptr)
        this->font = font->Duplicate();
    static constexpr int kDefaultPalette[6][3] = {
        {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {0, 192, 0}, {0, 0, 128}, {255, 255, 255},
    };
    SetPaletteRGB(kDefaultPalette, 6);
}

ListWidget::~ListWidget()
{
    if (ScrollbarWidget* bar = LiveScrollbar(); bar != nullptr && bar->listener == this)
        bar->listener = nullptr;
    if (parentList != nullptr && parentList->childList == this)
        parentList->childList = nullptr;
    if (childList != nullptr && childList->parentList == this)
        childList->parentList = nullptr;
}

Font* ListWidget::EnsureFont()
{
    if (!font)
        font = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 10);
    return font.get();
}

void ListWidget::SetFont(Font* newFont)
{
    font = newFont != nullptr ? newFont->Duplicate() : nullptr;
    UpdatePageSize();
    Invalidate();
}

void ListWidget::UpdatePageSize()
{
    int lineHeight = GetItemHeight();
    pageSize = lineHeight + 8 < height ? static_cast<double>(height - 8) / lineHeight : 1.0;
    if (ScrollbarWidget* bar = LiveScrollbar())
        bar->SetPageSize(pageSize);
}

int ListWidget::GetItemHeight()
{
    int lineHeight = itemHeight > 0 ? itemHeight : EnsureFont()->GetHeight();
    return std::max(lineHeight, 1);
}

std::vector<ListWidget*> ListWidget::Columns()
{
    // From the first column to the last; a broken (circular) chain is cut where it repeats.
    ListWidget* first = this;
    std::vector<ListWidget*> seen{this};
    while (first->parentList != nullptr && std::find(seen.begin(), seen.end(), first->parentList) == seen.end())
    {
        first = first->parentList;
        seen.push_back(first);
    }
    std::vector<ListWidget*> columns;
    for (ListWidget* column = first; column != nullptr; column = column->childList)
    {
        if (std::find(columns.begin(), columns.end(), column) != columns.end())
            break;
        columns.push_back(column);
    }
    return columns;
}

void ListWidget::SetChildList(ListWidget* child)
{
    if (child == this)
        return;
    std::vector<ListWidget*> columns = Columns();
    if (child != nullptr && std::find(columns.begin(), columns.end(), child) != columns.end())
        return; // already part of this table
    if (childList != nullptr && childList->parentList == this)
        childList->parentList = nullptr;
    childList = child;
    if (child != nullptr)
        child->parentList = this;
}

void ListWidget::SetScrollbar(ScrollbarWidget* newScrollbar)
{
    if (ScrollbarWidget* old = LiveScrollbar(); old != nullptr && old->listener == this)
        old->listener = nullptr;
    scrollbar = newScrollbar;
    if (scrollbar == nullptr)
        return;
    scrollbarWatched = scrollbar;
    scrollbarAlive = scrollbar->alive;
    scrollbar->listener = this;
    scrollbar->SetPageSize(pageSize);
    scrollbar->SetMaxValue(static_cast<double>(lines.size()));
}

ScrollbarWidget* ListWidget::LiveScrollbar()
{
    if (scrollbar == nullptr)
        return nullptr;
    // A scrollbar set straight into the field is taken as alive and watched from then on.
    if (scrollbar != scrollbarWatched)
    {
        scrollbarWatched = scrollbar;
        scrollbarAlive = scrollbar->alive;
    }
    if (scrollbarAlive && !*scrollbarAlive)
    {
        scrollbar = nullptr;
        scrollbarWatched = nullptr;
        scrollbarAlive.reset();
    }
    return scrollbar;
}

void ListWidget::UpdateScrollbarMax()
{
    for (ListWidget* column : Columns())
    {
        if (ScrollbarWidget* bar = column->LiveScrollbar())
            bar->SetMaxValue(static_cast<double>(column->lines.size()));
    }
}

std::string ListWidget::GetSortKey(int index)
{
    std::string key = GetStringAt(index);
    if (key.size() < static_cast<size_t>(std::max(sortKeyPadding, 0)))
        key.insert(0, static_cast<size_t>(sortKeyPadding) - key.size(), '0');
    if (childList != nullptr && childList != this)
        key += childList->GetSortKey(index);
    return key;
}

void ListWidget::Sort(bool ascending)
{
    int count = static_cast<int>(lines.size());
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    for (int i = 0; i < count; ++i)
        keys.push_back(GetSortKey(i));
    // A stable sort: equal keys keep their order, as a bubble sort would.
    std::vector<int> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return ascending ? keys[a] < keys[b] : keys[b] < keys[a]; });
    std::vector<int> newIndex(order.size());
    for (int i = 0; i < count; ++i)
        newIndex[static_cast<size_t>(order[static_cast<size_t>(i)])] = i;

    for (ListWidget* column : Columns())
    {
        if (column->lines.size() != order.size())
            continue; // a column of another length cannot follow
        std::vector<std::string> sortedLines;
        std::vector<Color> sortedColors;
        for (int from : order)
        {
            sortedLines.push_back(std::move(column->lines[static_cast<size_t>(from)]));
            sortedColors.push_back(static_cast<size_t>(from) < column->lineColors.size()
                                       ? column->lineColors[static_cast<size_t>(from)]
                                       : column->GetPaletteColor(2));
        }
        column->lines = std::move(sortedLines);
        column->lineColors = std::move(sortedColors);
        if (column->selectIdx >= 0 && column->selectIdx < count)
            column->selectIdx = newIndex[static_cast<size_t>(column->selectIdx)];
        if (column->hiliteIdx >= 0 && column->hiliteIdx < count)
            column->hiliteIdx = newIndex[static_cast<size_t>(column->hiliteIdx)];
        column->Invalidate();
    }
}

std::string ListWidget::GetStringAt(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= lines.size())
        return std::string();
    return lines[static_cast<size_t>(index)];
}

int ListWidget::AddLine(const std::string& text, bool alphabetical)
{
    int index = static_cast<int>(lines.size());
    if (alphabetical)
    {
        for (int i = 0; i < static_cast<int>(lines.size()); ++i)
        {
            if (lines[static_cast<size_t>(i)].compare(text) > 0)
            {
                index = i;
                break;
            }
        }
    }
    for (ListWidget* column : Columns())
    {
        int at = std::min(index, static_cast<int>(column->lines.size()));
        column->lines.insert(column->lines.begin() + at, column == this ? text : std::string());
        column->lineColors.resize(column->lines.size() - 1, column->GetPaletteColor(2));
        column->lineColors.insert(column->lineColors.begin() + at, column->GetPaletteColor(2));
        column->selectIdx = column->selectIdx >= 0 ? AfterInsert(column->selectIdx, at) : -1;
        column->hiliteIdx = column->hiliteIdx >= 0 ? AfterInsert(column->hiliteIdx, at) : -1;
        column->Invalidate();
    }
    UpdateScrollbarMax();
    return index;
}

void ListWidget::SetLine(int index, const std::string& text)
{
    if (index < 0 || static_cast<size_t>(index) >= lines.size())
        return;
    lines[static_cast<size_t>(index)] = text;
    Invalidate();
}

int ListWidget::GetLineCount()
{
    return static_cast<int>(lines.size());
}

int ListWidget::GetLineIdx(const std::string& text)
{
    auto found = std::find(lines.begin(), lines.end(), text);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

void ListWidget::SetColor(const std::string& text, const Color& color)
{
    for (int i = 0; i < static_cast<int>(lines.size()); ++i)
    {
        if (lines[static_cast<size_t>(i)] == text)
            SetLineColor(i, color);
    }
}

void ListWidget::SetLineColor(int index, const Color& color)
{
    for (ListWidget* column : Columns())
    {
        if (index < 0 || static_cast<size_t>(index) >= column->lines.size())
            continue;
        column->lineColors.resize(column->lines.size(), column->GetPaletteColor(2));
        column->lineColors[static_cast<size_t>(index)] = color;
        column->Invalidate();
    }
}

void ListWidget::RemoveLine(int index)
{
    for (ListWidget* column : Columns())
    {
        if (index < 0 || static_cast<size_t>(index) >= column->lines.size())
            continue;
        column->lines.erase(column->lines.begin() + index);
        if (static_cast<size_t>(index) < column->lineColors.size())
            column->lineColors.erase(column->lineColors.begin() + index);
        column->selectIdx = column->selectIdx >= 0 ? AfterRemove(column->selectIdx, index) : -1;
        column->hiliteIdx = column->hiliteIdx >= 0 ? AfterRemove(column->hiliteIdx, index) : -1;
        column->Invalidate();
    }
    UpdateScrollbarMax();
}

void ListWidget::RemoveAll()
{
    for (ListWidget* column : Columns())
    {
        column->lines.clear();
        column->lineColors.clear();
        column->hiliteIdx = -1;
        column->selectIdx = -1;
        column->Invalidate();
    }
    UpdateScrollbarMax();
}

int ListWidget::GetOptimalWidth()
{
    Font* listFont = EnsureFont();
    int widest = 0;
    for (const std::string& line : lines)
        widest = std::max(widest, listFont->StringWidth(line));
    return widest + 16;
}

int ListWidget::GetOptimalHeight()
{
    return GetItemHeight() * static_cast<int>(lines.size()) + 8;
}

void ListWidget::SetSelect(int index)
{
    for (ListWidget* column : Columns())
    {
        column->selectIdx = index;
        column->Invalidate();
    }
}

void ListWidget::SetHilite(int index)
{
    for (ListWidget* column : Columns())
    {
        if (column->hiliteIdx == index)
            continue;
        column->hiliteIdx = index;
        column->Invalidate();
    }
}

void ListWidget::SetCursor(int cursor)
{
    if (VeskAppBase* app = GetApp())
        app->SetCursor(cursor);
}

void ListWidget::OnScrolled(int scrollId, double newPosition)
{
    position = newPosition;
    if (childList != nullptr && childList != this)
        childList->OnScrolled(scrollId, newPosition);
    Invalidate();
}

void ListWidget::SetBounds(int x, int y, int width, int height)
{
    Widget::SetBounds(x, y, width, height);
    UpdatePageSize();
}

void ListWidget::OnPointerMove(int x, int y)
{
    // The 4-pixel margin above the lines belongs to the first visible line.
    double rows = std::max(0.0, static_cast<double>(y - 4) / GetItemHeight());
    int line = static_cast<int>(rows + position);
    if (line < 0 || line >= static_cast<int>(lines.size()))
        line = -1;
    if (line != hiliteIdx)
    {
        int old = hiliteIdx;
        SetHilite(line);
        if (listener != nullptr)
            listener->OnListHighlightChanged(id, old, line);
    }
    SetCursor(line >= 0 && doFingerWhenHilited ? 1 : 0);
}

void ListWidget::OnPointerLeave()
{
    SetHilite(-1);
    SetCursor(0);
}

void ListWidget::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    if (hiliteIdx >= 0 && listener != nullptr)
        listener->OnListClicked(id, hiliteIdx, clickCount);
}

void ListWidget::OnWheel(int delta)
{
    ScrollbarWidget* bar = LiveScrollbar();
    if (bar == nullptr || delta == 0)
        return;
    bar->SetValue(bar->value + (delta > 0 ? -5 : 5));
}

void ListWidget::OnDetachedFromManager(WidgetManager* oldManager)
{
    Widget::OnDetachedFromManager(oldManager);
    if (listener != nullptr)
        listener->OnListClosed(id);
}

void ListWidget::OnStackingChanged()
{
    if (parent == nullptr)
        return;
    if (childList != nullptr && childList != this && parent->HasChild(childList))
        parent->PlaceChildAbove(childList, this);
    if (ScrollbarWidget* bar = LiveScrollbar(); bar != nullptr && parent->HasChild(bar))
        parent->PlaceChildAbove(bar, this);
}

void ListWidget::Paint(Graphics& graphics)
{
    Font* listFont = EnsureFont();
    int lineHeight = GetItemHeight();
    graphics.SetColor(GetPaletteColor(0));
    graphics.FillRect(0, 0, width, height);

    Graphics text(graphics);
    text.ClipRect(4, 4, width - 8, height - 8);
    text.SetFont(listFont);
    int count = static_cast<int>(lines.size());
    double top = std::max(position, 0.0);
    int first = static_cast<int>(top);
    int last = std::min(count - 1, static_cast<int>(top + pageSize + 1));
    for (int i = first; i <= last; ++i)
    {
        int lineY = static_cast<int>((i - top) * lineHeight) + 4;
        bool selected = i == selectIdx;
        bool hilited = i == hiliteIdx;
        if (selected || (hilited && drawSelectWhenHilited))
        {
            graphics.SetColor(GetPaletteColor(4));
            graphics.FillRect(0, lineY, width, lineHeight);
        }
        Color color = hilited    ? GetPaletteColor(3)
                      : selected ? GetPaletteColor(5)
                                 : (static_cast<size_t>(i) < lineColors.size() ? lineColors[static_cast<size_t>(i)]
                                                                               : GetPaletteColor(2));
        const std::string& line = lines[static_cast<size_t>(i)];
        int textWidth = listFont->StringWidth(line);
        int textX = justify == 0 ? 4 : justify == 1 ? (width - textWidth) / 2 : width - textWidth - 4;
        text.SetColor(color);
        text.DrawString(line, textX, lineY + listFont->GetAscent() + (lineHeight - listFont->GetHeight()) / 2);
    }

    if (drawOutline)
    {
        graphics.SetColor(GetPaletteColor(1));
        graphics.DrawRect(0, 0, width - 1, height - 1);
    }
}

} // namespace Vesk
