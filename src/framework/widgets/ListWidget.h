#pragma once

#include "framework/widgets/ScrollListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Font;
class ListListener;
class ScrollbarWidget;

// A list of text lines: the line under the pointer is highlighted, one line can be selected,
// each line has its own colour, and the list can be sorted and scrolled (by a linked scrollbar
// or the wheel). Several lists can be chained (parentList, childList) as the columns of one
// table: adding, removing, selecting, highlighting, colouring and sorting act on every column,
// and scrolling one scrolls the next.
//
// The creator owns it, its scrollbar and its listener; the list owns its font and listens to
// its scrollbar. Either of the list and its scrollbar may be destroyed first. Palette: 0 background, 1 outline, 2 text,
// 3 highlighted text, 4 selection bar, 5 selected text.
class ListWidget : public Widget, public ScrollListener
{
public:
    ListWidget(int id, Font* font, ListListener* listener);
    ~ListWidget() override;

    // The line padded on the left with "0" to sortKeyPadding characters, followed by the key of
    // the next column's line.
    virtual std::string GetSortKey(int index);
    virtual void Sort(bool ascending);
    // The line, or "" past the end.
    virtual std::string GetStringAt(int index);
    // Appends the line, or with alphabetical inserts it before the first line that sorts after
    // it. The other columns get an empty line at the same place. Returns the index.
    virtual int AddLine(const std::string& text, bool alphabetical);
    virtual void SetLine(int index, const std::string& text);
    virtual int GetLineCount();
    // The first line equal to text, or -1.
    virtual int GetLineIdx(const std::string& text);
    // Colours every line equal to text.
    virtual void SetColor(const std::string& text, const Color& color);
    virtual void SetLineColor(int index, const Color& color);
    virtual void RemoveLine(int index);
    virtual void RemoveAll();
    virtual int GetOptimalWidth();
    virtual int GetOptimalHeight();
    virtual void SetSelect(int index);

    // Keeps a copy of the font.
    void SetFont(Font* font);
    // The height of one line (the font's height unless itemHeight is set).
    int GetItemHeight();
    // Links a scrollbar (may be null): the list becomes its listener.
    void SetScrollbar(ScrollbarWidget* scrollbar);
    // Chains child as the next column of this list.
    void SetChildList(ListWidget* child);

    void OnScrolled(int id, double position) override;
    void SetBounds(int x, int y, int width, int height) override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerLeave() override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;
    void OnWheel(int delta) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnStackingChanged() override;

    int id;
    ListListener* listener;
    std::unique_ptr<Font> font;
    std::vector<std::string> lines;
    std::vector<Color> lineColors;
    // 0 left, 1 centred, other right.
    int justify = 0;
    // -1: the font's height.
    int itemHeight = -1;
    ScrollbarWidget* scrollbar = nullptr;
    // The first visible line (fractional) and the lines that fit.
    double position = 0;
    double pageSize = 0;
    int hiliteIdx = -1;
    int selectIdx = -1;
    // The neighbouring columns of a table.
    ListWidget* parentList = nullptr;
    ListWidget* childList = nullptr;
    int sortKeyPadding = 0;
    bool drawOutline = true;
    bool drawSelectWhenHilited = false;
    bool doFingerWhenHilited = true;

protected:
    Font* EnsureFont();
    // Every column of the table this list belongs to, first to last.
    std::vector<ListWidget*> Columns();
    void SetHilite(int index);
    void UpdateScrollbarMax();
    // The lines that fit the height, handed on to the scrollbar.
    void UpdatePageSize();
    void SetCursor(int cursor);
    // The linked scrollbar while it exists, else null (and the link is dropped).
    ScrollbarWidget* LiveScrollbar();

private:
    std::shared_ptr<bool> scrollbarAlive;
    ScrollbarWidget* scrollbarWatched = nullptr;
};

} // namespace Vesk
