#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FakeFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::FakeFont;

// Each character of the fake font advances 4 pixels; ascent 5, height 7.
struct TextFixture
{
    TextFixture(int width = 200, int height = 200) { image.Create(width, height); }
    MemoryImage image;
    FakeFont font;
};

std::vector<std::string> Texts(const FakeFont& font)
{
    std::vector<std::string> texts;
    for (const auto& call : font.calls)
        texts.push_back(call.text);
    return texts;
}

TEST(TextTest, ColourCodesSwitchColoursAndRestoreTheStartingOne)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    g.SetColor(Color(10, 20, 30, 200));
    int width = g.WriteString("The ^FF0000^red^oldclr^ word", 5, 20);
    ASSERT_EQ(f.font.calls.size(), 3u);
    EXPECT_EQ(f.font.calls[0].text, "The ");
    EXPECT_EQ(f.font.calls[0].x, 5);
    EXPECT_EQ(f.font.calls[0].color, Color(10, 20, 30, 200));
    EXPECT_EQ(f.font.calls[1].text, "red");
    EXPECT_EQ(f.font.calls[1].x, 5 + 16);
    // Red with the alpha kept.
    EXPECT_EQ(f.font.calls[1].color, Color(255, 0, 0, 200));
    EXPECT_EQ(f.font.calls[2].text, " word");
    EXPECT_EQ(f.font.calls[2].x, 5 + 28);
    EXPECT_EQ(f.font.calls[2].color, Color(10, 20, 30, 200));
    EXPECT_EQ(width, (4 + 3 + 5) * 4);

    // The colour stays as the last code left it.
    f.font.calls.clear();
    g.WriteString("^00FF00^green", 0, 20);
    EXPECT_EQ(g.GetColor(), Color(0, 255, 0, 200));
    // Restoring to an explicit colour.
    g.WriteString("x^oldclr^y", 0, 20, -1, -1, true, 0, -1, int(0xFF0000FFu));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 255, 255));

    // The drawn glyphs really are red.
    MemoryImage canvas;
    canvas.Create(40, 10);
    Graphics c(&canvas);
    c.SetFont(&f.font);
    c.SetColor(Color(255, 255, 255));
    c.WriteString("^FF0000^I", 0, 5);
    EXPECT_EQ(canvas.GetBits()[0], 0xFFFF0000u);
}

TEST(TextTest, CaretsCodesAtTheEndAndPlainMode)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    int width = g.WriteString("a^^b", 0, 10);
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"a^b"}));
    EXPECT_EQ(width, 12);

    // A code that would run past the end ends the text.
    f.font.calls.clear();
    width = g.WriteString("abc^FF00", 0, 10);
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(width, 12);

    // Offset and length pick part of the text.
    f.font.calls.clear();
    g.WriteString("0123456789", 0, 10, -1, -1, true, 2, 3);
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"234"}));

    // Measuring draws nothing and changes no colour.
    f.font.calls.clear();
    Color before = g.GetColor();
    EXPECT_EQ(g.WriteString("^FF0000^abcd", 0, 10, -1, -1, false), 16);
    EXPECT_TRUE(f.font.calls.empty());
    EXPECT_EQ(g.GetColor(), before);

    // Without coloured strings the codes are plain text.
    g.writeColoredString = false;
    EXPECT_EQ(g.WriteString("^FF0000^a", 0, 10), 36);
    EXPECT_EQ(f.font.calls.back().text, "^FF0000^a");

    Graphics noFont(&f.image);
    EXPECT_EQ(noFont.WriteString("abc", 0, 0), 0);
}

TEST(TextTest, JustificationCentresOrRightAlignsTheMeasuredText)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    g.WriteString("ab^FF0000^cd", 10, 20, 100, 0);
    EXPECT_EQ(f.font.calls[0].x, 10 + (100 - 16) / 2);
    f.font.calls.clear();
    g.WriteString("abcd", 10, 20, 100, 1);
    EXPECT_EQ(f.font.calls[0].x, 10 + 100 - 16);
}

TEST(TextTest, WordWrapBreaksAtSpacesAndInsideLongWords)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    f.font.lineSpacingOffset = 3;
    // 40 pixels hold ten characters.
    int height = g.WriteWordWrapped(Rect(0, 10, 40, 100), "one two three four abcdefghijklmnop");
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"one two", "three four", "abcdefghij", "klmnop"}));
    ASSERT_EQ(f.font.calls.size(), 4u);
    EXPECT_EQ(f.font.calls[0].y, 15);
    EXPECT_EQ(f.font.calls[1].y, 25);
    EXPECT_EQ(f.font.calls[3].y, 45);
    // ascent + 3 line spacings + descent.
    EXPECT_EQ(height, 5 + 3 * 10 + 2);
    EXPECT_EQ(g.GetWordWrappedHeight(40, "one two three four abcdefghijklmnop"), height);

    // Forced breaks; spaces at the start of a line are skipped; a final line break adds a line.
    f.font.calls.clear();
    height = g.WriteWordWrapped(Rect(0, 10, 40, 100), "ab\n   cd\n");
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(height, 5 + 2 * 10 + 2);

    // A width smaller than one character still writes one character per line.
    f.font.calls.clear();
    g.WriteWordWrapped(Rect(0, 10, 2, 100), "xyz");
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"x", "y", "z"}));

    // Kerning counts when measuring.
    f.font.calls.clear();
    f.font.kerning[{'a', 'b'}] = 10;
    g.WriteWordWrapped(Rect(0, 10, 20, 100), "ab cd");
    EXPECT_EQ(Texts(f.font), (std::vector<std::string>{"ab", "cd"}));
}

TEST(TextTest, WordWrapCarriesColoursAndRestoresTheStartingColourAtTheEnd)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    g.SetColor(Color(1, 2, 3));
    g.WriteWordWrapped(Rect(0, 0, 40, 100), "aa ^FF0000^bbbbb cc^oldclr^ dd");
    ASSERT_EQ(Texts(f.font), (std::vector<std::string>{"aa ", "bbbbb", "cc", " dd"}));
    EXPECT_EQ(f.font.calls[1].color, Color(255, 0, 0));
    // The second line starts red, carried over; the restore code goes back to the colour before
    // the call.
    EXPECT_EQ(f.font.calls[2].color, Color(255, 0, 0));
    EXPECT_EQ(f.font.calls[3].color, Color(1, 2, 3));
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    // Codes take no width: "aa bbbbb" would be eight characters, the line broke at the space.
    EXPECT_EQ(f.font.calls[2].y, f.font.calls[0].y + 7);
}

TEST(TextTest, LinesOutsideTheClipAreSkippedButLinesCutInsideWordsAreDrawn)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    g.ClipRect(0, 30, 200, 20);
    // Baselines 5, 12, 19, ... (line spacing 7). Lines ending at a space above the clip or a full
    // line spacing below it are skipped; the last line is always drawn.
    std::string text;
    for (int i = 0; i < 12; ++i)
    {
        text += i ? " L" : "L";
        text += std::to_string(i);
    }
    int height = g.WriteWordWrapped(Rect(0, 0, 12, 200), text);
    std::vector<int> baselines;
    for (const auto& call : f.font.calls)
        baselines.push_back(call.y);
    EXPECT_EQ(baselines, (std::vector<int>{33, 40, 47, 54, 82}));
    EXPECT_EQ(Texts(f.font).front(), "L4");
    // Every line counts towards the height, drawn or not.
    EXPECT_EQ(height, 5 + 11 * 7 + 2);

    // A line cut inside a word is drawn even out of view, so its colour codes take effect.
    f.font.calls.clear();
    g.WriteWordWrapped(Rect(0, 0, 8, 200), "^00FF00^abcdef");
    ASSERT_FALSE(f.font.calls.empty());
    EXPECT_EQ(f.font.calls.front().y, 5);
    EXPECT_EQ(f.font.calls.front().color, Color(0, 255, 0));
}

TEST(TextTest, DrawStringWordWrappedPutsTheFirstBaselineAtY)
{
    TextFixture f;
    Graphics g(&f.image);
    g.SetFont(&f.font);
    f.font.ascentPadding = 1;
    g.DrawStringWordWrapped("hello world", 3, 50, 30);
    ASSERT_EQ(f.font.calls.size(), 2u);
    EXPECT_EQ(f.font.calls[0].x, 3);
    EXPECT_EQ(f.font.calls[0].y, 50);
    EXPECT_EQ(f.font.calls[1].y, 57);
    // Centred lines.
    f.font.calls.clear();
    g.WriteWordWrapped(Rect(0, 0, 40, 50), "ab cd", -1, 0);
    EXPECT_EQ(f.font.calls[0].x, (40 - 20) / 2);
}

} // namespace
} // namespace Vesk
