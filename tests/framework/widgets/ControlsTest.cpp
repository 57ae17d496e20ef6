#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/WidgetManager.h"
#include "support/FakeFont.h"
#include "support/WidgetScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{

using TestSupport::FakeFont;
using Lines = std::vector<std::string>;

namespace
{

// Writes down every listener call, one line each.
struct Listener : ButtonListener, CheckboxListener, SliderListener, DialogListener
{
    void OnButtonPressed(int id, int clickCount) override
    {
        calls.push_back("pressed " + std::to_string(id) + " " + std::to_string(clickCount));
    }
    void OnButtonReleased(int id) override { calls.push_back("click " + std::to_string(id)); }
    void OnButtonHeldTick(int id) override { ++heldTicks; }
    void OnButtonPointerEnter(int id) override { calls.push_back("enter " + std::to_string(id)); }
    void OnButtonPointerLeave(int id) override { calls.push_back("leave " + std::to_string(id)); }
    void OnButtonPointerMove(int id, int x, int y) override { ++moves; }
    void OnCheckboxToggled(int id, bool checked) override
    {
        calls.push_back("checkbox " + std::to_string(id) + (checked ? " on" : " off"));
    }
    void OnSliderMoved(int id, double value) override
    {
        calls.push_back("slider " + std::to_string(id) + " " + std::to_string(int(value * 100 + 0.5)));
    }
    void OnDialogButtonPressed(int dialogId, int buttonId) override
    {
        calls.push_back("dialog pressed " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonReleased(int dialogId, int buttonId) override
    {
        calls.push_back("dialog released " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }

    Lines calls;
    int heldTicks = 0;
    int moves = 0;
};

using Screen = TestSupport::WidgetScreen;

MemoryImage SolidImage(int width, int height, uint32_t color)
{
    MemoryImage image;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), color);
    image.SetBits(pixels.data(), width, height);
    return image;
}

} // namespace

TEST(ControlsTest, AButtonClicksOnlyWhenReleasedOverItself)
{
    Screen screen;
    Listener listener;
    ButtonWidget button(7, &listener);
    button.SetBounds(100, 100, 80, 24);
    screen.manager.AddChild(&button);

    screen.Click(110, 110);
    EXPECT_EQ(listener.calls, (Lines{"enter 7", "pressed 7 1", "click 7"}));
    EXPECT_GT(listener.moves, 0);

    // Out before the release: no click. Back over it before the release: a click.
    listener.calls.clear();
    screen.manager.ButtonPressed(110, 110, 1);
    screen.manager.PointerMoved(300, 300);
    screen.manager.ButtonReleased(300, 300, 1);
    EXPECT_EQ(listener.calls, (Lines{"pressed 7 1", "leave 7"}));
    listener.calls.clear();
    screen.manager.PointerMoved(110, 110);
    screen.manager.ButtonPressed(110, 110, 1);
    screen.manager.PointerMoved(300, 300);
    screen.manager.PointerMoved(120, 112);
    screen.manager.ButtonReleased(120, 112, 1);
    EXPECT_EQ(listener.calls, (Lines{"enter 7", "pressed 7 1", "leave 7", "enter 7", "click 7"}));

    // Held down over the button it reports every tick; not while the pointer is off it.
    listener.calls.clear();
    screen.manager.ButtonPressed(120, 112, 1);
    for (int i = 0; i < 5; ++i)
        screen.manager.TickFrame();
    screen.manager.PointerMoved(300, 300);
    screen.manager.TickFrame();
    EXPECT_EQ(listener.heldTicks, 5);
    screen.manager.ButtonReleased(300, 300, 1);

    // A double click reports its count; a click without the application in front is none.
    listener.calls.clear();
    screen.manager.PointerMoved(120, 112);
    screen.manager.ButtonPressed(120, 112, 2);
    screen.manager.appHasFocus = false;
    screen.manager.ButtonReleased(120, 112, 2);
    screen.manager.appHasFocus = true;
    EXPECT_EQ(listener.calls, (Lines{"enter 7", "pressed 7 2"}));

    // Disabled: nothing at all.
    listener.calls.clear();
    button.SetDisabled(true);
    screen.Click(120, 112);
    EXPECT_EQ(listener.calls, (Lines{"leave 7"}));
}

TEST(ControlsTest, TheHoverImageFadesInByItsSpeedAndDropsAtOnceWithoutAFadeOut)
{
    Screen screen;
    Listener listener;
    ButtonWidget button(1, &listener);
    button.SetBounds(0, 0, 50, 20);
    button.overAlphaFadeInSpeed = 0.1;
    screen.manager.AddChild(&button);
    screen.manager.PointerMoved(10, 10);
    for (int i = 0; i < 9; ++i)
        screen.manager.TickFrame();
    EXPECT_LT(button.overAlpha, 1.0);
    EXPECT_GT(button.overAlpha, 0.85);
    screen.manager.TickFrame();
    EXPECT_EQ(button.overAlpha, 1.0);
    screen.manager.TickFrame();
    EXPECT_EQ(button.overAlpha, 1.0);

    screen.manager.PointerMoved(400, 400);
    EXPECT_EQ(button.overAlpha, 0.0);

    // With a fade-out speed the hover image goes away step by step.
    button.overAlphaFadeOutSpeed = 0.25;
    screen.manager.PointerMoved(10, 10);
    for (int i = 0; i < 10; ++i)
        screen.manager.TickFrame();
    screen.manager.PointerMoved(400, 400);
    EXPECT_EQ(button.overAlpha, 1.0);
    screen.manager.TickFrame();
    EXPECT_DOUBLE_EQ(button.overAlpha, 0.75);
    for (int i = 0; i < 3; ++i)
        screen.manager.TickFrame();
    EXPECT_EQ(button.overAlpha, 0.0);
    screen.manager.PaintScreen();
    EXPECT_FALSE(screen.manager.TickFrame()); // at rest: nothing to repaint
}

TEST(ControlsTest, TheDefaultButtonLooksRaisedAndSinksWhilePressedUnderThePointer)
{
    Screen screen;
    Listener listener;
    ButtonWidget button(1, &listener);
    FakeFont font(2);
    button.SetFont(&font);
    button.label = "OK";
    button.SetBounds(10, 10, 60, 24);
    screen.manager.AddChild(&button);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(40, 12), 0xFFD4D4D4u); // face
    EXPECT_EQ(screen.Pixel(10, 10), 0xFFFFFFFFu); // light top-left edge
    EXPECT_EQ(screen.Pixel(69, 33), 0xFF000000u); // outline bottom-right
    EXPECT_EQ(screen.Pixel(68, 32), 0xFF848484u); // dark edge inside it
    // The label, centred: "OK" is 16 pixels wide, at x = 22 in the button.
    auto* drawn = static_cast<FakeFont*>(button.font.get());
    ASSERT_FALSE(drawn->calls.empty());
    EXPECT_EQ(drawn->calls.back().x, 22);
    EXPECT_EQ(drawn->calls.back().color, Color(0, 0, 0));

    screen.manager.PointerMoved(40, 20);
    screen.manager.ButtonPressed(40, 20, 1);
    screen.manager.PaintScreen();
    EXPECT_EQ(screen.Pixel(10, 10), 0xFF000000u); // sunken: the outline all round
    EXPECT_EQ(screen.Pixel(11, 11), 0xFF848484u);
    EXPECT_EQ(screen.Pixel(68, 32), 0xFFFFFFFFu);
    EXPECT_EQ(drawn->calls.back().x, 23); // the label sinks with it

    // Dragged off, it pops back up while still pressed.
    screen.manager.PointerMoved(300, 300);
    screen.manager.PaintScreen();
    EXPECT_EQ(screen.Pixel(10, 10), 0xFFFFFFFFu);
    screen.manager.ButtonReleased(300, 300, 1);

    // Hover text colour.
    button.SetPaletteColor(1, Color(200, 0, 0));
    screen.manager.PointerMoved(40, 20);
    screen.manager.PaintScreen();
    EXPECT_EQ(drawn->calls.back().color, Color(200, 0, 0));
}

TEST(ControlsTest, AnImageButtonShowsItsNormalHoverPressedAndDisabledImages)
{
    Screen screen;
    Listener listener;
    MemoryImage normal = SolidImage(40, 20, 0xFF101010u);
    MemoryImage over = SolidImage(40, 20, 0xFF202020u);
    MemoryImage down = SolidImage(40, 20, 0xFF303030u);
    MemoryImage off = SolidImage(40, 20, 0xFF404040u);
    ButtonWidget button(1, &listener);
    button.buttonImage = &normal;
    button.overImage = &over;
    button.SetBounds(0, 0, 40, 20);
    screen.manager.AddChild(&button);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(0, 0), 0xFF101010u);
    screen.manager.PointerMoved(5, 5);
    screen.manager.PaintScreen();
    EXPECT_EQ(screen.Pixel(0, 0), 0xFF202020u);

    // Pressed without a down image: the hover image moved by a pixel.
    screen.manager.ButtonPressed(5, 5, 1);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(0, 0), 0u);
    EXPECT_EQ(screen.Pixel(1, 1), 0xFF202020u);
    button.downImage = &down;
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(0, 0), 0xFF303030u);
    screen.manager.ButtonReleased(5, 5, 1);

    // Inverted: the pressed look at rest.
    button.inverted = true;
    screen.manager.PointerMoved(300, 300);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(0, 0), 0xFF303030u);
    button.inverted = false;

    button.disabledImage = &off;
    button.SetDisabled(true);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(0, 0), 0xFF404040u);

    // Cells of one image instead of separate images.
    MemoryImage sheet;
    std::vector<uint32_t> cells(80 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            cells[size_t(y * 80 + x)] = x < 40 ? 0xFF0000AAu : 0xFF00AA00u;
    sheet.SetBits(cells.data(), 80, 20);
    button.SetDisabled(false);
    button.buttonImage = &sheet;
    button.overImage = nullptr;
    button.downImage = nullptr;
    button.normalRect = Rect(0, 0, 40, 20);
    button.overRect = Rect(40, 0, 40, 20);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(5, 5), 0xFF0000AAu);
    screen.manager.PointerMoved(5, 5);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(5, 5), 0xFF00AA00u);

    button.noDraw = true;
    screen.image.Clear();
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(5, 5), 0u);
}

TEST(ControlsTest, ACheckboxTogglesOnAPressAndTellsItsListener)
{
    Screen screen;
    Listener listener;
    Checkbox box(nullptr, 3, &listener);
    box.SetBounds(10, 10, 12, 12);
    screen.manager.AddChild(&box);
    EXPECT_TRUE(box.showHandOnHover);
    screen.Click(15, 15);
    EXPECT_TRUE(box.IsChecked());
    screen.Click(15, 15);
    EXPECT_FALSE(box.IsChecked());
    box.SetChecked(true, false);
    box.SetChecked(false, true);
    EXPECT_EQ(listener.calls, (Lines{"checkbox 3 on", "checkbox 3 off", "checkbox 3 off"}));

    // Without images: a white outline, a grey inside and a yellow cross when checked.
    box.SetChecked(true, false);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(screen.Pixel(11, 11), 0xFFFFFF00u);
    EXPECT_EQ(screen.Pixel(16, 11), 0xFF505050u);
    box.SetChecked(false, false);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(11, 11), 0xFF505050u);

    // With cells of one image.
    MemoryImage sheet;
    std::vector<uint32_t> cells(24 * 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 24; ++x)
            cells[size_t(y * 24 + x)] = x < 12 ? 0xFF111111u : 0xFF222222u;
    sheet.SetBits(cells.data(), 24, 12);
    box.uncheckedImage = &sheet;
    box.checkedImage = &sheet;
    box.uncheckedRect = Rect(0, 0, 12, 12);
    box.checkedRect = Rect(12, 0, 12, 12);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(15, 15), 0xFF111111u);
    box.SetChecked(true, false);
    screen.Repaint();
    EXPECT_EQ(screen.Pixel(15, 15), 0xFF222222u);
}

TEST(ControlsTest, ASliderJumpsWhereClickedAndReportsOnReleaseAndFollowsItsThumb)
{
    Screen screen;
    Listener listener;
    MemoryImage thumb = SolidImage(10, 20, 0xFFAA0000u);
    Slider slider(nullptr, &thumb, 5, &listener);
    slider.SetBounds(100, 100, 210, 20);
    screen.manager.AddChild(&slider);

    // A click away from the thumb: the value jumps at once, the listener hears on release.
    screen.manager.PointerMoved(205, 110);
    screen.manager.ButtonPressed(205, 110, 1);
    EXPECT_DOUBLE_EQ(slider.value, 0.5);
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_FALSE(slider.dragging);
    screen.manager.ButtonReleased(205, 110, 1);
    EXPECT_EQ(listener.calls, (Lines{"slider 5 50"}));
    EXPECT_EQ(slider.GetThumbRect(), Rect(100, 0, 10, 20));

    // Dragging the thumb by its middle; the value follows and stays within 0..1.
    listener.calls.clear();
    screen.manager.ButtonPressed(205, 110, 1);
    EXPECT_TRUE(slider.dragging);
    EXPECT_EQ(slider.relX, 5);
    screen.manager.PointerMoved(155, 110);
    EXPECT_DOUBLE_EQ(slider.value, 0.25);
    screen.manager.PointerMoved(-400, 110);
    EXPECT_DOUBLE_EQ(slider.value, 0.0);
    screen.manager.PointerMoved(-300, 110); // still 0: no report
    screen.manager.ButtonReleased(-300, 110, 1);
    EXPECT_EQ(listener.calls, (Lines{"slider 5 25", "slider 5 0", "slider 5 0"}));
    EXPECT_FALSE(slider.dragging);

    slider.SetValue(7.0);
    EXPECT_EQ(slider.value, 1.0);
    slider.SetValue(-1.0);
    EXPECT_EQ(slider.value, 0.0);
    EXPECT_EQ(listener.calls.size(), 3u);

    screen.Repaint();
    EXPECT_EQ(screen.Pixel(100, 100), 0xFFAA0000u);
    EXPECT_EQ(screen.Pixel(110, 100), 0u);
}

TEST(ControlsTest, ADialogLaysOutItsButtonsAndReportsTheirClicks)
{
    Screen screen;
    Listener listener;
    FakeFont font(2);
    Dialog dialog(nullptr, nullptr, 42, true, "Title", "Some lines", "Foot", Dialog::BUTTONS_OK_CANCEL);
    dialog.dialogListener = &listener;
    dialog.SetHeaderFont(&font);
    dialog.SetLinesFont(&font);
    dialog.SetButtonFont(&font);
    ASSERT_TRUE(dialog.yesButton && dialog.noButton);
    EXPECT_EQ(dialog.yesButton->label, "OK");
    EXPECT_EQ(dialog.noButton->label, "CANCEL");
    EXPECT_EQ(dialog.yesButton->id, 1000);
    EXPECT_EQ(dialog.noButton->id, 1001);

    // Insets 48, header 14, space 10, one line of text 14, footer 8 + 14, buttons 8 + 24 + 8.
    EXPECT_EQ(dialog.GetPreferredHeight(400), 148);
    dialog.SetBounds(200, 100, 400, 148);
    EXPECT_EQ(dialog.yesButton->GetBounds(), Rect(224, 200, 172, 24));
    EXPECT_EQ(dialog.noButton->GetBounds(), Rect(404, 200, 172, 24));

    // The buttons are the manager's children, just above the dialog.
    Widget cover;
    cover.SetBounds(0, 0, 10, 10);
    screen.manager.AddChild(&dialog);
    screen.manager.AddChild(&cover);
    ASSERT_EQ(screen.manager.children.size(), 4u);
    EXPECT_EQ(screen.manager.children.front(), &dialog);
    screen.manager.LowerChild(&cover);
    screen.manager.RaiseChild(&dialog);
    std::vector<Widget*> order(screen.manager.children.begin(), screen.manager.children.end());
    EXPECT_EQ(order[0], &cover);
    EXPECT_EQ(order[1], &dialog);

    screen.Click(300, 210);
    EXPECT_EQ(listener.calls, (Lines{"dialog pressed 42 1000", "dialog released 42 1000"}));
    EXPECT_EQ(dialog.result, 1000);
    screen.Click(500, 210);
    EXPECT_EQ(dialog.result, 1001);

    // Moving the dialog takes the buttons along; removing it removes them.
    dialog.MoveTo(100, 50);
    EXPECT_EQ(dialog.yesButton->GetBounds(), Rect(124, 150, 172, 24));
    screen.manager.RemoveChild(&dialog);
    EXPECT_FALSE(screen.manager.HasChild(dialog.yesButton.get()));
    EXPECT_FALSE(screen.manager.HasChild(dialog.noButton.get()));
    EXPECT_EQ(screen.manager.children.size(), 1u);
}

TEST(ControlsTest, ADialogIsDraggedAtMostEightPixelsBeyondTheScreen)
{
    Screen screen;
    Dialog dialog(nullptr, nullptr, 1, false, "Header", "", "", Dialog::BUTTONS_NONE);
    dialog.dialogListener = nullptr;
    dialog.SetBounds(100, 100, 200, 150);
    screen.manager.AddChild(&dialog);
    screen.manager.PointerMoved(150, 120);
    screen.manager.ButtonPressed(150, 120, 1);
    EXPECT_TRUE(dialog.dragging);
    screen.manager.PointerMoved(160, 125);
    EXPECT_EQ(dialog.x, 110);
    EXPECT_EQ(dialog.y, 105);
    screen.manager.PointerMoved(-5000, -5000);
    EXPECT_EQ(dialog.x, -8);
    EXPECT_EQ(dialog.y, -8);
    screen.manager.PointerMoved(5000, 5000);
    EXPECT_EQ(dialog.x, 800 - 200 + 8);
    EXPECT_EQ(dialog.y, 600 - 150 + 8);
    screen.manager.ButtonReleased(5000, 5000, 1);
    EXPECT_FALSE(dialog.dragging);
    screen.manager.PointerMoved(300, 300);
    EXPECT_EQ(dialog.x, 608);

    // A double click does not start a drag.
    screen.manager.PointerMoved(650, 500);
    screen.manager.ButtonPressed(650, 500, 2);
    EXPECT_FALSE(dialog.dragging);
    screen.manager.ButtonReleased(650, 500, 2);
}

TEST(ControlsTest, AFooterModeDialogPutsTheFooterOnItsOneButtonAndDrawsTheFrame)
{
    Screen screen;
    FakeFont font(1);
    Dialog dialog(nullptr, nullptr, 9, false, "Head", "Body text", "Continue", Dialog::BUTTONS_FOOTER);
    dialog.dialogListener = nullptr;
    dialog.SetHeaderFont(&font);
    dialog.SetLinesFont(&font);
    ASSERT_TRUE(dialog.yesButton);
    EXPECT_FALSE(dialog.noButton);
    EXPECT_EQ(dialog.yesButton->label, "Continue");
    // Side padding insets the one button on both sides, as it does the pair.
    dialog.buttonSidePadding = 10;
    dialog.SetBounds(100, 100, 300, dialog.GetPreferredHeight(300));
    EXPECT_EQ(dialog.yesButton->GetBounds().x, 100 + 24 + 10);
    EXPECT_EQ(dialog.yesButton->GetBounds().width, 300 - 48 - 20);
    dialog.buttonSidePadding = 0;
    dialog.SetBounds(100, 100, 300, dialog.GetPreferredHeight(300));
    EXPECT_EQ(dialog.yesButton->GetBounds().width, 300 - 48);
    screen.manager.AddChild(&dialog);
    screen.Repaint();

    auto* header = static_cast<FakeFont*>(dialog.headerFont.get());
    for (const auto& call : header->calls)
        EXPECT_NE(call.text, "Continue");
    ASSERT_FALSE(header->calls.empty());
    EXPECT_EQ(header->calls.front().text, "Head");
    EXPECT_EQ(header->calls.front().color, Color(255, 255, 255));
    auto* body = static_cast<FakeFont*>(dialog.linesFont.get());
    ASSERT_FALSE(body->calls.empty());
    EXPECT_EQ(body->calls.back().color, Color(255, 255, 0));

    // The frame: a white outline at 12 pixels in, the grey inside, a half-black shadow.
    EXPECT_EQ(screen.Pixel(100 + 12, 100 + 12), 0xFFFFFFFFu);
    EXPECT_EQ(screen.Pixel(100 + 20, 100 + 40), 0xFF505050u);
    EXPECT_EQ(screen.Pixel(100 + 11, 100 + 40), 0u);
    uint32_t shadow = screen.Pixel(100 + 300 - 5, 100 + 50);
    EXPECT_EQ(shadow >> 24, 128u);
    EXPECT_EQ(shadow & 0xFFFFFF, 0u);
    screen.manager.RemoveChild(&dialog);
}

TEST(ControlsTest, DialogButtonsWithoutAnImageWereDrawnDarkerThanTheDefaultLook)
{
    Screen screen;
    FakeFont font(1);
    Dialog dialog(nullptr, nullptr, 9, false, "Head", "", "", Dialog::BUTTONS_YES_NO);
    dialog.dialogListener = nullptr;
    dialog.SetHeaderFont(&font);
    dialog.SetButtonFont(&font);
    dialog.SetBounds(100, 100, 300, dialog.GetPreferredHeight(300));
    screen.manager.AddChild(&dialog);
    screen.Repaint();
    for (DialogButton* button : {dialog.yesButton.get(), dialog.noButton.get()})
    {
        const Rect bounds = button->GetBounds();
        EXPECT_EQ(screen.Pixel(bounds.x, bounds.y), 0xFFFFFFFFu);         // light edge
        EXPECT_EQ(screen.Pixel(bounds.x + 3, bounds.y + 3), 0xFFD4D4D4u); // face
    }
    screen.manager.RemoveChild(&dialog);
}

} // namespace Vesk
