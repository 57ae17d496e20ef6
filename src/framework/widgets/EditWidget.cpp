#include "framework/widgets/EditWidget.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/platform/Shell.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace Vesk
{

namespace
{

constexpr int kShift = 16;
constexpr int kControl = 17;

// The longest prefix of text not wider than maxWidth in font. Advances are never negative, so
// the width grows with the prefix and a binary search finds it without measuring every length.
size_t FittingPrefix(Font& font, const std::string& text, int maxWidth)
{
    if (font.StringWidth(text) <= maxWidth)
        return text.size();
    size_t low = 0;
    size_t high = text.size(); // text[0..high) is too wide
    while (high - low > 1)
    {
        size_t middle = low + (high - low) / 2;
        if (font.StringWidth(text.substr(0, middle)) <= maxWidth)
            low = middle;
        else
            high = middle;
    }
    return low;
}

} // namespace

EditWidget::EditWidget(int id, EditListener* listener) : id(id), listener(listener)
{
    acceptsFocus = true;
    static constexpr int kDefaultPalette[5][3] = {
        {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255},
    };
    SetPaletteRGB(kDefaultPalette, 5);
}

EditWidget::~EditWidget() = default;

Font* EditWidget::EnsureFont()
{
    if (!font)
        font = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 10);
    return font.get();
}

bool EditWidget::KeyHeld(int keyCode)
{
    return manager != nullptr && manager->keyDown[static_cast<size_t>(keyCode)];
}

void EditWidget::SetCursor(int cursor)
{
    if (VeskAppBase* app = GetApp())
        app->SetCursor(cursor);
}

std::string EditWidget::GetDisplayString()
{
    if (passwordChar != 0)
        return std::string(text.size(), passwordChar);
    return text;
}

bool EditWidget::IsPartOfWord(int character)
{
    return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
           (character >= '0' && character <= '9') || character == '_';
}

bool EditWidget::AcceptsCharacter(int character)
{
    VeskAppBase* app = GetApp();
    int highest = app == nullptr || app->allow8BitCharacters ? 255 : 127;
    if (character < 32 || character > highest)
        return false;
    if (EnsureFont()->CharWidth(static_cast<char>(character)) <= 0)
        return false;
    return listener == nullptr || listener->AllowEditChar(id, character);
}

bool EditWidget::DeleteSelection()
{
    if (!HasSelection())
        return false;
    int start = std::min(cursorPos, hilitePos);
    int end = std::max(cursorPos, hilitePos);
    start = std::clamp(start, 0, static_cast<int>(text.size()));
    end = std::clamp(end, start, static_cast<int>(text.size()));
    text.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
    cursorPos = start;
    hilitePos = -1;
    return true;
}

void EditWidget::EnforceLimits()
{
    if (maxChars >= 0 && text.size() > static_cast<size_t>(maxChars))
        text.resize(static_cast<size_t>(maxChars));
    if (!widthCheckFonts.empty())
    {
        for (auto& [checkFont, maxWidth] : widthCheckFonts)
        {
            if (checkFont)
                text.resize(FittingPrefix(*checkFont, text, maxWidth));
        }
    }
    else if (maxPixels > 0)
        text.resize(FittingPrefix(*EnsureFont(), text, maxPixels));
}

void EditWidget::ProcessKey(int keyCode, int character)
{
    if (keyCode == kShift || keyCode == kControl)
        return;
    bool shift = KeyHeld(kShift);
    bool control = KeyHeld(kControl);
    bool startedSelection = false;
    if (shift && hilitePos < 0)
    {
        hilitePos = cursorPos;
        startedSelection = true;
    }
    std::string oldText = text;
    int oldCursor = cursorPos;
    int oldHilite = hilitePos;
    int length = static_cast<int>(text.size());

    if ((character == 3 || character == 24) && HasSelection())
    {
        int start = std::clamp(std::min(cursorPos, hilitePos), 0, length);
        int end = std::clamp(std::max(cursorPos, hilitePos), start, length);
        (void)Platform::SetClipboardText(GetDisplayString().substr(static_cast<size_t>(start), size_t(end - start)));
        if (character == 24)
            DeleteSelection();
    }
    else if (character == 22)
    {
        // One line of the clipboard (up to its first line break), only what can be typed.
        std::string clipboard = Platform::GetClipboardText();
        size_t lineEnd = clipboard.find_first_of("\r\n");
        if (lineEnd != std::string::npos)
            clipboard.resize(lineEnd);
        // Nothing beyond the character limit can stay: do not filter it.
        if (maxChars >= 0 && clipboard.size() > static_cast<size_t>(maxChars))
            clipboard.resize(static_cast<size_t>(maxChars));
        std::string pasted;
        for (char c : clipboard)
        {
            if (AcceptsCharacter(static_cast<unsigned char>(c)))
                pasted += c;
        }
        DeleteSelection();
        cursorPos = std::clamp(cursorPos, 0, static_cast<int>(text.size()));
        text.insert(static_cast<size_t>(cursorPos), pasted);
        cursorPos += static_cast<int>(pasted.size());
    }
    else if (character == 26)
    {
        std::swap(text, undoText);
        std::swap(cursorPos, undoCursor);
        std::swap(hilitePos, undoHilite);
        lastModifyPos = -1;
    }
    else if (keyCode == 8)
    {
        if (!DeleteSelection() && cursorPos > 0 && cursorPos <= length)
        {
            text.erase(static_cast<size_t>(cursorPos - 1), 1);
            --cursorPos;
        }
    }
    else if (keyCode == 13)
    {
        if (listener != nullptr)
            listener->OnEditText(id, text);
    }
    else if (keyCode == 35)
        cursorPos = length;
    else if (keyCode == 36)
        cursorPos = 0;
    else if (keyCode == 37)
    {
        if (control)
        {
            while (cursorPos > 0 && cursorPos <= length &&
                   !IsPartOfWord(static_cast<unsigned char>(text[cursorPos - 1])))
                --cursorPos;
            while (cursorPos > 0 && cursorPos <= length &&
                   IsPartOfWord(static_cast<unsigned char>(text[cursorPos - 1])))
                --cursorPos;
        }
        else if (shift)
            --cursorPos;
        else if (HasSelection())
            cursorPos = std::min(cursorPos, hilitePos);
        else
            --cursorPos;
    }
    else if (keyCode == 39)
    {
        if (control)
        {
            while (cursorPos >= 0 && cursorPos < length && !IsPartOfWord(static_cast<unsigned char>(text[cursorPos])))
                ++cursorPos;
            while (cursorPos >= 0 && cursorPos < length && IsPartOfWord(static_cast<unsigned char>(text[cursorPos])))
                ++cursorPos;
        }
        else if (shift)
            ++cursorPos;
        else if (HasSelection())
            cursorPos = std::max(cursorPos, hilitePos);
        else
            ++cursorPos;
    }
    else if (keyCode == 46)
    {
        if (!DeleteSelection() && cursorPos >= 0 && cursorPos < length)
            text.erase(static_cast<size_t>(cursorPos), 1);
    }
    else if (keyCode == 0 && AcceptsCharacter(character))
    {
        DeleteSelection();
        cursorPos = std::clamp(cursorPos, 0, static_cast<int>(text.size()));
        text.insert(static_cast<size_t>(cursorPos), 1, static_cast<char>(character));
        ++cursorPos;
        hilitePos = -1;
        FocusCursor(false);
    }
    else if (startedSelection)
        hilitePos = -1;

    EnforceLimits();
    length = static_cast<int>(text.size());
    cursorPos = std::clamp(cursorPos, 0, length);
    if (hilitePos >= 0)
        hilitePos = std::min(hilitePos, length);
    if (cursorPos != oldCursor)
    {
        blinkAcc = 0;
        cursorVisible = true;
    }
    FocusCursor(true);
    if (!(shift && HasSelection()))
        hilitePos = -1;

    if (listener != nullptr && !listener->AllowEditText(id, text))
    {
        text = std::move(oldText);
        cursorPos = oldCursor;
        hilitePos = oldHilite;
        if (!(shift && HasSelection()))
            hilitePos = -1;
        FocusCursor(true);
    }
    else if (text != oldText)
    {
        undoText = std::move(oldText);
        undoCursor = oldCursor;
        undoHilite = oldHilite;
        if (character != 26)
            lastModifyPos = cursorPos;
    }
    Invalidate();
}

void EditWidget::HiliteWord()
{
    int length = static_cast<int>(text.size());
    int start = std::clamp(cursorPos, 0, length);
    int end = start;
    while (start > 0 && IsPartOfWord(static_cast<unsigned char>(text[start - 1])))
        --start;
    while (end < length && IsPartOfWord(static_cast<unsigned char>(text[end])))
        ++end;
    hilitePos = start;
    cursorPos = end;
    Invalidate();
}

void EditWidget::SetFont(Font* newFont, Font* widthCheckFont)
{
    font = newFont != nullptr ? newFont->Duplicate() : nullptr;
    if (widthCheckFont != nullptr)
    {
        widthCheckFonts.clear();
        widthCheckFonts.emplace_back(widthCheckFont->Duplicate(), maxPixels);
    }
    FocusCursor(true);
    Invalidate();
}

void EditWidget::AddWidthCheckFont(Font* checkFont, int maxWidth)
{
    if (checkFont != nullptr)
        widthCheckFonts.emplace_back(checkFont->Duplicate(), maxWidth);
}

void EditWidget::SetText(const std::string& newText, bool leaveCursorAlone)
{
    text = newText;
    int length = static_cast<int>(text.size());
    if (!leaveCursorAlone)
    {
        cursorPos = length;
        hilitePos = -1;
    }
    cursorPos = std::clamp(cursorPos, 0, length);
    if (hilitePos > length)
        hilitePos = length;
    leftPos = std::clamp(leftPos, 0, std::max(0, length - 1));
    FocusCursor(true);
    Invalidate();
}

int EditWidget::GetCharAt(int x, int y)
{
    Font* textFont = EnsureFont();
    std::string shown = GetDisplayString();
    int length = static_cast<int>(shown.size());
    int position = std::clamp(leftPos, 0, length);
    int advance = 0;
    for (int i = position; i < length; ++i)
    {
        int charWidth = textFont->CharWidth(shown[static_cast<size_t>(i)]);
        if (advance + charWidth / 2 + 5 > x)
            break;
        advance += charWidth;
        position = i + 1;
    }
    return position;
}

void EditWidget::FocusCursor(bool bigJump)
{
    int step = bigJump ? 10 : 1;
    int length = static_cast<int>(text.size());
    int lastStart = std::max(0, length - 1);
    leftPos = std::clamp(leftPos, 0, lastStart);
    while (cursorPos < leftPos && leftPos > 0)
        leftPos = std::max(0, leftPos - step);

    // Every drawable character is at least a pixel wide, so a start more characters before the
    // cursor than the field is wide can never show it: skip those starts without measuring.
    int limit = width - 8;
    int nearest = cursorPos - std::max(limit, 0);
    if (leftPos < nearest)
        leftPos = std::min(leftPos + (nearest - leftPos + step - 1) / step * step, lastStart);
    Font* textFont = EnsureFont();
    std::string shown = GetDisplayString();
    while (leftPos < lastStart && cursorPos > leftPos &&
           textFont->StringWidth(shown.substr(static_cast<size_t>(leftPos), size_t(cursorPos - leftPos))) >= limit)
        leftPos = std::min(leftPos + step, lastStart);
}

void EditWidget::Invalidate()
{
    // A see-through background lets what lies below show: that must be repainted too.
    if (GetPaletteColor(0).alpha < 255)
        InvalidateFully();
    else
        Widget::Invalidate();
}

void EditWidget::Tick()
{
    Widget::Tick();
    if (!hasFocus)
        return;
    if (++blinkAcc > blinkDelay)
    {
        blinkAcc = 0;
        cursorVisible = !cursorVisible;
        Invalidate();
    }
}

int EditWidget::XOfIndex(const std::string& shown, int index, int shownEnd)
{
    if (index < leftPos)
        return 0;
    if (index > shownEnd)
        return width + 16;
    return 4 + font->StringWidth(shown.substr(static_cast<size_t>(leftPos), static_cast<size_t>(index - leftPos)));
}

void EditWidget::Paint(Graphics& graphics)
{
    Font* textFont = EnsureFont();
    graphics.SetColor(GetPaletteColor(0));
    graphics.FillRect(0, 0, width, height);

    // Only the part that fits is drawn: a long text costs no more than a short one.
    std::string shown = GetDisplayString();
    int length = static_cast<int>(shown.size());
    int start = std::clamp(leftPos, 0, length);
    int end = start;
    for (int advance = 0; end < length && advance < width; ++end)
        advance += textFont->CharWidth(shown[static_cast<size_t>(end)]);
    std::string visible = shown.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    int top = (height - textFont->GetHeight()) / 2;
    int baseline = top + textFont->GetAscent();

    Graphics textGraphics(graphics);
    textGraphics.ClipRect(4, 0, width - 8, height);
    textGraphics.SetFont(textFont);
    textGraphics.SetColor(GetPaletteColor(2));
    textGraphics.DrawString(visible, 4, baseline);

    bool selection = HasSelection();
    if (selection || (hasFocus && cursorVisible))
    {
        int cursorX = XOfIndex(shown, std::clamp(cursorPos, 0, length), end);
        Rect mark(cursorX, top, 2, textFont->GetHeight());
        if (selection)
        {
            int hiliteX = XOfIndex(shown, std::clamp(hilitePos, 0, length), end);
            mark.x = std::min(cursorX, hiliteX);
            mark.width = std::abs(cursorX - hiliteX);
        }
        Graphics markGraphics(graphics);
        markGraphics.ClipRect(4, 0, width - 8, height);
        markGraphics.ClipRect(mark);
        markGraphics.SetColor(GetPaletteColor(3));
        markGraphics.FillRect(mark);
        markGraphics.SetFont(textFont);
        markGraphics.SetColor(GetPaletteColor(4));
        markGraphics.DrawString(visible, 4, baseline);
    }

    graphics.SetColor(GetPaletteColor(1));
    graphics.DrawRect(0, 0, width - 1, height - 1);
}

void EditWidget::OnFocusGained()
{
    Widget::OnFocusGained();
    cursorVisible = true;
    blinkAcc = 0;
    Invalidate();
}

void EditWidget::OnFocusLost()
{
    Widget::OnFocusLost();
    cursorVisible = false;
    Invalidate();
}

void EditWidget::OnCharTyped(int character)
{
    ProcessKey(0, character);
}

void EditWidget::OnKeyPressed(int keyCode)
{
    // Letters arrive as typed characters.
    bool letter = keyCode >= 'A' && keyCode <= 'Z';
    if (!letter && (listener == nullptr || listener->AllowEditKey(id, keyCode)))
        ProcessKey(keyCode, 0);
    Widget::OnKeyPressed(keyCode);
}

void EditWidget::OnPointerEnter()
{
    SetCursor(3);
}

void EditWidget::OnPointerLeave()
{
    SetCursor(0);
}

void EditWidget::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    hilitePos = -1;
    cursorPos = GetCharAt(x, y);
    if (clickCount > 1)
    {
        hadDoubleClick = true;
        HiliteWord();
    }
    FocusCursor(false);
    blinkAcc = 0;
    cursorVisible = true;
    Invalidate();
}

void EditWidget::OnPointerDrag(int x, int y)
{
    if (hilitePos < 0)
        hilitePos = cursorPos;
    cursorPos = GetCharAt(x, y);
    FocusCursor(false);
    Invalidate();
}

void EditWidget::OnButtonRelease(int x, int y, int buttonNumber, int clickCount)
{
    if (hilitePos == cursorPos)
        hilitePos = -1;
    if (hadDoubleClick)
    {
        hadDoubleClick = false;
        hilitePos = -1;
        cursorPos = GetCharAt(x, y);
        HiliteWord();
    }
    Invalidate();
}

} // namespace Vesk
