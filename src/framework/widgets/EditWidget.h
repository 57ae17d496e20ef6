#pragma once

#include "framework/widgets/Widget.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{

class EditListener;
class Font;

// A one-line text field: typing, a selection (Shift with the arrows, dragging, a double click
// selects a word), the system clipboard (Ctrl+C, Ctrl+X, Ctrl+V), one level of undo (Ctrl+Z),
// word jumps (Ctrl+Left, Ctrl+Right), a blinking caret and horizontal scrolling. Characters are
// Latin-1 bytes; only those the font can draw and the listener allows get in. The text can be
// limited in characters and in pixels, and shown as a password.
//
// The creator owns it and its listener; the field owns its fonts. Palette: 0 background,
// 1 outline, 2 text, 3 selection background, 4 selected text.
class EditWidget : public Widget
{
public:
    EditWidget(int id, EditListener* listener);
    ~EditWidget() override;

    // One key (keyCode, with character 0) or one typed character (keyCode 0); Shift and
    // Control are read from the manager's key states.
    virtual void ProcessKey(int keyCode, int character);
    // Selects the word around the cursor.
    virtual void HiliteWord();
    // Keeps copies. A widthCheckFont replaces the width-check fonts with that one, limited to
    // maxPixels.
    virtual void SetFont(Font* font, Font* widthCheckFont = nullptr);
    virtual void SetText(const std::string& text, bool leaveCursorAlone = false);
    // Letters, digits and "_".
    virtual bool IsPartOfWord(int character);
    // The character index a click at local (x, y) puts the cursor at.
    virtual int GetCharAt(int x, int y);
    // Scrolls so that the cursor is shown, by 10 characters a step with bigJump, else by 1.
    virtual void FocusCursor(bool bigJump);

    // A further font whose rendering of the text must stay within maxWidth pixels.
    void AddWidthCheckFont(Font* font, int maxWidth);
    // The text as shown (the password character repeated when there is one).
    std::string GetDisplayString();
    bool HasSelection() const { return hilitePos >= 0 && hilitePos != cursorPos; }

    void Invalidate() override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnCharTyped(int character) override;
    void OnKeyPressed(int keyCode) override;
    void OnPointerEnter() override;
    void OnPointerLeave() override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;
    void OnButtonRelease(int x, int y, int buttonNumber, int clickCount) override;
    void OnPointerDrag(int x, int y) override;

    int id;
    EditListener* listener;
    std::string text;
    char passwordChar = 0;
    std::unique_ptr<Font> font;
    std::vector<std::pair<std::unique_ptr<Font>, int>> widthCheckFonts;
    // Without width-check fonts: the widest the text may be in font (0 or less: no limit).
    int maxPixels = -1;
    // The longest text (-1: no limit).
    int maxChars = -1;
    int cursorPos = 0;
    // The other end of the selection (-1: none).
    int hilitePos = -1;
    // The first character shown.
    int leftPos = 0;
    int blinkAcc = 0;
    int blinkDelay = 40;
    bool cursorVisible = false;
    std::string undoText;
    int undoCursor = 0;
    int undoHilite = 0;
    int lastModifyPos = 0;
    bool hadDoubleClick = false;

protected:
    // The font, made ("Arial Unicode MS", 10 points) when the field has none.
    Font* EnsureFont();
    bool KeyHeld(int keyCode);
    // Whether a character may be typed or pasted (range, font and listener).
    bool AcceptsCharacter(int character);
    // Removes the selected text; false when there is no selection.
    bool DeleteSelection();
    // Cuts the text to the character and pixel limits.
    void EnforceLimits();
    // The x of the boundary before character index in the shown text, or far outside the
    // field when it is not in the shown part.
    int XOfIndex(const std::string& shown, int index, int shownEnd);
    void SetCursor(int cursor);
};

} // namespace Vesk
