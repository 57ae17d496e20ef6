#include "framework/widgets/EditWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/WidgetManager.h"
#include "support/FakeFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{

using TestSupport::FakeFont;

namespace
{

// A font that cannot draw digits (they measure 0).
class NoDigitsFont : public FakeFont
{
public:
    int CharWidthKern(char ch, char prevChar) override
    {
        return ch >= '0' && ch <= '9' ? 0 : FakeFont::CharWidthKern(ch, prevChar);
    }
    int CharWidth(char ch) override { return CharWidthKern(ch, 0); }
    int StringWidth(const std::string& text) override
    {
        int width = 0;
        for (char ch : text)
            width += CharWidth(ch);
        return width;
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<NoDigitsFont>(*this); }
};

struct Recorder : EditListener
{
    void OnEditText(int id, const std::string& text) override { entered.push_back(text); }
    bool AllowEditKey(int id, int keyCode) override { return keyCode != blockedKey; }
    bool AllowEditChar(int id, int character) override { return character != blockedChar; }
    bool AllowEditText(int id, const std::string& text) override { return text.find(blockedText) == std::string::npos; }

    std::vector<std::string> entered;
    int blockedKey = -1;
    int blockedChar = -1;
    std::string blockedText = "\x01";
};

// A focused edit field 200 x 20 at (100, 100) using a font of 4-pixel characters.
struct Field
{
    Field()
    {
        manager.ResizeDisplay({0, 0, 800, 600}, {0, 0, 800, 600});
        FakeFont font(1);
        edit.SetFont(&font);
        edit.SetBounds(100, 100, 200, 20);
        manager.AddChild(&edit);
        manager.SetFocusWidget(&edit);
    }
    ~Field() { manager.RemoveAllChildren(); }

    void Type(const std::string& text)
    {
        for (unsigned char c : text)
            manager.CharTyped(c);
    }
    void Key(int keyCode, bool shift = false, bool control = false)
    {
        if (shift)
            manager.KeyPressed(16);
        if (control)
            manager.KeyPressed(17);
        manager.KeyPressed(keyCode);
        manager.KeyReleased(keyCode);
        if (control)
            manager.KeyReleased(17);
        if (shift)
            manager.KeyReleased(16);
    }
    void ControlChar(int character)
    {
        manager.KeyPressed(17);
        manager.CharTyped(character);
        manager.KeyReleased(17);
    }

    WidgetManager manager{nullptr};
    Recorder recorder;
    EditWidget edit{4, &recorder};
};

} // namespace

TEST(EditWidgetTest, TypedTextStaysWithinTheCharacterAndPixelLimits)
{
    Field field;
    field.Type("hello");
    EXPECT_EQ(field.edit.text, "hello");
    EXPECT_EQ(field.edit.cursorPos, 5);

    // A field full to its pixel limit drops the last character again, wherever one is typed.
    field.edit.maxPixels = 20;
    field.Type("!");
    EXPECT_EQ(field.edit.text, "hello");
    field.Key(36); // Home
    field.Key(39); // Right
    field.Key(39);
    field.Type("X");
    EXPECT_EQ(field.edit.text, "heXll");
    EXPECT_EQ(field.edit.cursorPos, 3);

    field.edit.maxPixels = -1;
    field.edit.maxChars = 6;
    field.Key(35);
    field.Type("abc");
    EXPECT_EQ(field.edit.text, "heXlla");

    // Width-check fonts limit in their own measure: two 8-pixel characters fit in 16.
    field.edit.maxChars = -1;
    field.edit.SetText("");
    FakeFont wide(2);
    field.edit.AddWidthCheckFont(&wide, 16);
    field.Type("abc");
    EXPECT_EQ(field.edit.text, "ab");
}

TEST(EditWidgetTest, UndoRestoresTheTextBeforeTheLastChangeAndASecondUndoRedoesIt)
{
    Field field;
    field.Type("ab");
    field.ControlChar(26);
    EXPECT_EQ(field.edit.text, "a");
    EXPECT_EQ(field.edit.cursorPos, 1);
    field.ControlChar(26);
    EXPECT_EQ(field.edit.text, "ab");
    EXPECT_EQ(field.edit.cursorPos, 2);
    EXPECT_EQ(field.edit.lastModifyPos, -1);

    // Moving the cursor is no change to undo.
    field.Key(36);
    field.ControlChar(26);
    EXPECT_EQ(field.edit.text, "a");
}

TEST(EditWidgetTest, ShiftSelectsWithTheArrowsAndEditingReplacesTheSelection)
{
    Field field;
    field.Type("hello world");
    field.Key(36);
    field.Key(39, true);
    field.Key(39, true);
    EXPECT_EQ(field.edit.hilitePos, 0);
    EXPECT_EQ(field.edit.cursorPos, 2);
    field.Key(8); // Backspace
    field.manager.CharTyped(8);
    EXPECT_EQ(field.edit.text, "llo world");
    EXPECT_EQ(field.edit.cursorPos, 0);
    EXPECT_EQ(field.edit.hilitePos, -1);

    // Typing over a selection replaces it; Left and Right end a selection at its ends.
    field.Key(39, true);
    field.Key(39, true);
    field.Type("J");
    EXPECT_EQ(field.edit.text, "Jo world");
    field.Key(39, true);
    field.Key(39, true);
    field.Key(37); // to the selection's start
    EXPECT_EQ(field.edit.cursorPos, 1);
    EXPECT_FALSE(field.edit.HasSelection());
    field.Key(39, true);
    field.Key(39, true);
    field.Key(39);
    EXPECT_EQ(field.edit.cursorPos, 3);
    field.Key(46); // Delete
    EXPECT_EQ(field.edit.text, "Jo orld");

    // Ctrl with the arrows jumps over words.
    field.edit.SetText("one, two_2 three");
    field.Key(37, false, true);
    EXPECT_EQ(field.edit.cursorPos, 11);
    field.Key(37, false, true);
    EXPECT_EQ(field.edit.cursorPos, 5);
    field.Key(37, false, true);
    EXPECT_EQ(field.edit.cursorPos, 0);
    field.Key(39, false, true);
    EXPECT_EQ(field.edit.cursorPos, 3);
    field.Key(39, true, true);
    EXPECT_EQ(field.edit.cursorPos, 10);
    EXPECT_EQ(field.edit.hilitePos, 3);

    // Enter hands the text to the listener; the arrows cannot leave the text.
    field.Key(13);
    EXPECT_EQ(field.recorder.entered, (std::vector<std::string>{"one, two_2 three"}));
    field.Key(35);
    field.Key(39);
    EXPECT_EQ(field.edit.cursorPos, 16);
    field.Key(36);
    field.Key(37);
    field.Key(8);
    EXPECT_EQ(field.edit.cursorPos, 0);
}

TEST(EditWidgetTest, OnlyCharactersTheFontDrawsAndTheListenerAllowsGetIn)
{
    Field field;
    field.Type(std::string("a\x01\x1F\tb\xE9\xFF"));
    EXPECT_EQ(field.edit.text, "ab\xE9\xFF"); // Latin-1 letters are welcome

    field.recorder.blockedChar = 'x';
    field.Type("xyz");
    EXPECT_EQ(field.edit.text, "ab\xE9\xFFyz");

    field.recorder.blockedKey = 8;
    field.Key(8);
    EXPECT_EQ(field.edit.text, "ab\xE9\xFFyz");
    field.recorder.blockedKey = -1;

    // A change the listener refuses leaves everything as it was.
    field.recorder.blockedText = "yzq";
    field.Type("q");
    EXPECT_EQ(field.edit.text, "ab\xE9\xFFyz");
    EXPECT_EQ(field.edit.cursorPos, 6);

    NoDigitsFont font;
    field.edit.SetFont(&font);
    field.edit.SetText("");
    field.Type("r2d2");
    EXPECT_EQ(field.edit.text, "rd");
}

TEST(EditWidgetTest, ThePointerPlacesTheCursorDragsASelectionAndDoubleClicksAWord)
{
    Field field;
    field.edit.SetText("alpha beta_1 gamma");
    // Characters are 4 pixels wide from x = 4; a click lands after the characters whose middle
    // plus 5 pixels is at or before it.
    EXPECT_EQ(field.edit.GetCharAt(0, 5), 0);
    EXPECT_EQ(field.edit.GetCharAt(7, 5), 1);
    EXPECT_EQ(field.edit.GetCharAt(10, 5), 1);
    EXPECT_EQ(field.edit.GetCharAt(11, 5), 2);
    EXPECT_EQ(field.edit.GetCharAt(1000, 5), 18);

    field.manager.PointerMoved(100 + 11, 110);
    field.manager.ButtonPressed(100 + 11, 110, 1);
    EXPECT_EQ(field.edit.cursorPos, 2);
    field.manager.PointerMoved(100 + 27, 110);
    EXPECT_EQ(field.edit.hilitePos, 2);
    EXPECT_EQ(field.edit.cursorPos, 6);
    field.manager.ButtonReleased(100 + 27, 110, 1);
    EXPECT_TRUE(field.edit.HasSelection());

    // A click without a drag leaves no selection.
    field.manager.ButtonPressed(100 + 27, 110, 1);
    field.manager.ButtonReleased(100 + 27, 110, 1);
    EXPECT_FALSE(field.edit.HasSelection());

    // A double click selects the word under it, and again where it is released.
    field.manager.PointerMoved(100 + 35, 110);
    field.manager.ButtonPressed(100 + 35, 110, 1);
    field.manager.ButtonReleased(100 + 35, 110, 1);
    field.manager.ButtonPressed(100 + 35, 110, 2);
    EXPECT_EQ(field.edit.hilitePos, 6);
    EXPECT_EQ(field.edit.cursorPos, 12);
    field.manager.ButtonReleased(100 + 60, 110, 2);
    EXPECT_EQ(field.edit.hilitePos, 13);
    EXPECT_EQ(field.edit.cursorPos, 18);
    EXPECT_FALSE(field.edit.hadDoubleClick);
}

TEST(EditWidgetTest, ALongTextScrollsToKeepTheCursorShown)
{
    Field field;
    field.edit.SetBounds(100, 100, 48, 20); // 40 pixels for text: fewer than 10 characters
    field.Type("abcdefghijklmnopqrst");
    // The text from leftPos to the cursor is narrower than width - 8.
    EXPECT_LT((field.edit.cursorPos - field.edit.leftPos) * 4, 40);
    EXPECT_GT(field.edit.leftPos, 0);
    field.Key(36);
    EXPECT_EQ(field.edit.leftPos, 0);
    field.Key(35);
    EXPECT_LT((20 - field.edit.leftPos) * 4, 40);

    // A huge text costs nothing special: the cursor is still shown and painting draws only the
    // visible part.
    std::string huge(1 << 20, 'w');
    field.edit.SetText(huge);
    EXPECT_EQ(field.edit.cursorPos, 1 << 20);
    EXPECT_LT((field.edit.cursorPos - field.edit.leftPos) * 4, 40);
    field.Type("z");
    EXPECT_EQ(field.edit.text.size(), huge.size() + 1);
    MemoryImage screen;
    screen.Create(800, 600);
    field.manager.screenImage = &screen;
    field.manager.PaintScreen();
    auto* font = static_cast<FakeFont*>(field.edit.font.get());
    ASSERT_FALSE(font->calls.empty());
    EXPECT_LE(font->calls.back().text.size(), 16u);
    field.Key(36);
    EXPECT_EQ(field.edit.leftPos, 0);
}

TEST(EditWidgetTest, PaintsTheTextCaretSelectionAndPasswordCharacters)
{
    Field field;
    MemoryImage screen;
    screen.Create(800, 600);
    field.manager.screenImage = &screen;
    auto pixel = [&](int x, int y) { return screen.GetBits()[(100 + y) * 800 + 100 + x]; };
    field.Type("ab");
    field.manager.PaintScreen();
    EXPECT_EQ(pixel(0, 0), 0xFF000000u);  // outline
    EXPECT_EQ(pixel(2, 10), 0xFFFFFFFFu); // background
    // The caret after "ab": x = 4 + 8, from the font's top, two pixels wide.
    int top = (20 - 7) / 2;
    EXPECT_EQ(pixel(12, top + 1), 0xFF000000u);
    EXPECT_EQ(pixel(13, top + 1), 0xFF000000u);
    EXPECT_EQ(pixel(14, top + 1), 0xFFFFFFFFu);

    // The caret blinks while focused.
    for (int i = 0; i < 41; ++i)
        field.manager.TickFrame();
    EXPECT_FALSE(field.edit.cursorVisible);
    field.manager.PaintScreen();
    EXPECT_EQ(pixel(12, top + 1), 0xFFFFFFFFu);

    // A selection: black behind, the text in white over it.
    field.Key(36);
    field.Key(39, true);
    field.manager.PaintScreen();
    EXPECT_EQ(pixel(4, top), 0xFF000000u);
    EXPECT_EQ(pixel(7, top), 0xFF000000u);
    EXPECT_EQ(pixel(5, top), 0xFFFFFFFFu); // the top of the white "A"
    EXPECT_EQ(pixel(9, top + 1), 0xFFFFFFFFu);

    // Losing the focus hides the caret; a selection stays shown.
    field.manager.SetFocusWidget(nullptr);
    EXPECT_FALSE(field.edit.cursorVisible);

    field.edit.passwordChar = '*';
    EXPECT_EQ(field.edit.GetDisplayString(), "**");
    field.edit.Invalidate();
    field.manager.PaintScreen();
    auto* font = static_cast<FakeFont*>(field.edit.font.get());
    EXPECT_EQ(font->calls.back().text, "**");

    // A see-through background repaints what lies below.
    field.edit.SetPaletteColor(0, Color(255, 255, 255, 128));
    Widget below;
    below.SetBounds(0, 0, 800, 600);
    field.manager.AddChild(&below);
    field.manager.LowerChild(&below);
    field.manager.PaintScreen();
    field.edit.Invalidate();
    EXPECT_TRUE(below.dirty);
    field.manager.RemoveChild(&below);
}

} // namespace Vesk
