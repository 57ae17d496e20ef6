#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Shell.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::TestApp;
using TestSupport::TestDriver;
using Lines = std::vector<std::string>;

namespace
{

// The application of these scenarios: it writes down what its dialogs report.
struct WidgetsApp : TestApp
{
    void OnDialogButtonPressed(int dialogId, int buttonId) override
    {
        calls.push_back("dialog pressed " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonReleased(int dialogId, int buttonId) override
    {
        calls.push_back("dialog released " + std::to_string(dialogId) + " " + std::to_string(buttonId));
        TestApp::OnDialogButtonReleased(dialogId, buttonId);
    }
    Lines calls;
};

struct Recorder : ButtonListener, CheckboxListener, SliderListener, EditListener
{
    void OnButtonPressed(int id, int clickCount) override { calls.push_back("pressed " + std::to_string(id)); }
    void OnButtonReleased(int id) override { calls.push_back("click " + std::to_string(id)); }
    void OnCheckboxToggled(int id, bool checked) override
    {
        calls.push_back(std::string("checkbox ") + (checked ? "on" : "off"));
    }
    void OnSliderMoved(int id, double value) override
    {
        calls.push_back("slider " + std::to_string(int(value * 100 + 0.5)));
    }
    void OnEditText(int id, const std::string& text) override { calls.push_back("entered " + text); }
    Lines calls;
};

// The backdrop of the window: one flat colour.
struct Backdrop : Widget
{
    void Paint(Graphics& graphics) override
    {
        graphics.SetColor(Color(40, 60, 80));
        graphics.FillRect(0, 0, width, height);
    }
};

MemoryImage Solid(int width, int height, uint32_t color)
{
    MemoryImage image;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), color);
    image.SetBits(pixels.data(), width, height);
    return image;
}

constexpr uint32_t kBackdrop = 0xFF283C50u;
constexpr uint32_t kNormal = 0xFF208020u;
constexpr uint32_t kOver = 0xFFE0E020u;
constexpr uint32_t kDown = 0xFFC02020u;

// A window with a backdrop, an image button, a checkbox and a slider.
struct ControlsWindow
{
    ControlsWindow()
    {
        app = &driver.Create<WidgetsApp>();
        launched = driver.Launch();
        WidgetManager& manager = *app->GetWidgetManager();
        backdrop.SetBounds(0, 0, 800, 600);
        manager.AddChild(&backdrop);
        button.buttonImage = &normal;
        button.overImage = &over;
        button.downImage = &down;
        button.SetBounds(50, 50, 120, 30);
        manager.AddChild(&button);
        checkbox.SetBounds(200, 55, 16, 16);
        manager.AddChild(&checkbox);
        slider.SetBounds(300, 50, 212, 20);
        manager.AddChild(&slider);
        driver.RunUpdates(3);
    }

    TestDriver driver;
    WidgetsApp* app = nullptr;
    bool launched = false;
    Recorder recorder;
    MemoryImage normal = Solid(120, 30, kNormal);
    MemoryImage over = Solid(120, 30, kOver);
    MemoryImage down = Solid(120, 30, kDown);
    Backdrop backdrop;
    ButtonWidget button{1, &recorder};
    Checkbox checkbox{nullptr, 2, &recorder};
    Slider slider{nullptr, nullptr, 3, &recorder};
};

} // namespace

TEST(WidgetsEndToEndTest, ButtonCheckboxAndSliderAnswerThePointerAndShowTheirStates)
{
    ControlsWindow window;
    ASSERT_TRUE(window.launched);
    TestDriver& driver = window.driver;
    EXPECT_EQ(driver.Pixel(10, 10), kBackdrop);
    EXPECT_EQ(driver.Pixel(110, 65), kNormal);

    // Hovered, pressed, dragged off (no click), then a real click.
    driver.MoveTo(110, 65);
    driver.RunUpdates(2);
    EXPECT_EQ(driver.Pixel(110, 65), kOver);
    driver.Press(110, 65);
    driver.RunUpdates(2);
    EXPECT_EQ(driver.Pixel(110, 65), kDown);
    driver.MoveTo(110, 200);
    driver.RunUpdates(2);
    EXPECT_EQ(driver.Pixel(110, 65), kOver); // pressed but off it: up, still lit
    driver.Release(110, 200);
    driver.Click(60, 60);
    driver.RunUpdates(2);
    EXPECT_EQ(window.recorder.calls, (Lines{"pressed 1", "pressed 1", "click 1"}));
    // What was painted is what the window shows.
    ASSERT_EQ(driver.PresentedFrame().size(), 800u * 600u);
    EXPECT_EQ(driver.PresentedFrame()[65 * 800 + 110], driver.Pixel(110, 65));

    // The checkbox: a yellow cross on grey when checked.
    window.recorder.calls.clear();
    driver.Click(208, 63);
    driver.RunUpdates(2);
    EXPECT_TRUE(window.checkbox.IsChecked());
    EXPECT_EQ(driver.Pixel(201, 56), 0xFFFFFF00u);
    EXPECT_EQ(driver.Pixel(207, 58), 0xFF505050u);
    EXPECT_EQ(driver.Pixel(200, 60), 0xFFFFFFFFu);
    driver.Click(208, 63);
    driver.RunUpdates(2);
    EXPECT_EQ(driver.Pixel(201, 56), 0xFF505050u);

    // The slider: a click on the track jumps, reported on release; then a drag of the thumb.
    driver.Press(406, 60);
    driver.RunUpdates(1);
    EXPECT_DOUBLE_EQ(window.slider.value, 0.5);
    EXPECT_EQ(window.recorder.calls, (Lines{"checkbox on", "checkbox off"}));
    driver.Release(406, 60);
    driver.Drag(406, 60, 356, 60);
    driver.RunUpdates(2);
    EXPECT_EQ(window.recorder.calls.back(), "slider 25");
    Rect thumb = window.slider.GetThumbRect();
    EXPECT_EQ(thumb.x, 50);
    EXPECT_EQ(driver.Pixel(300 + thumb.x + 5, 50 + 1), 0xFFD4D4D4u); // the knob's face
    EXPECT_EQ(driver.Pixel(300 + thumb.x + 5, 50), 0xFFFFFFFFu);     // its light edge

    // The hand cursor over the checkbox, the dragging hand over the slider's thumb.
    driver.MoveTo(208, 63);
    driver.RunUpdates(1);
    EXPECT_EQ(window.app->GetCursor(), 1);
    driver.MoveTo(300 + thumb.x + 5, 60);
    driver.RunUpdates(1);
    EXPECT_EQ(window.app->GetCursor(), 2);
    driver.MoveTo(700, 500);
    driver.RunUpdates(1);
    EXPECT_EQ(window.app->GetCursor(), 0);
}

TEST(WidgetsEndToEndTest, AModalDialogWithTwoButtonsAndAnEditFieldTakesTheInputUntilClosed)
{
    ControlsWindow window;
    ASSERT_TRUE(window.launched);
    TestDriver& driver = window.driver;
    WidgetsApp& app = *window.app;
    WidgetManager& manager = *app.GetWidgetManager();

    Dialog* dialog = app.DoDialog(7, true, "Your name", "Type the name for your stamp.", "", Dialog::BUTTONS_OK_CANCEL);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->GetBounds(), Rect(200, 120, 400, dialog->GetPreferredHeight(400)));
    EditWidget edit(10, &window.recorder);
    edit.SetBounds(40, 80, 320, 24);
    dialog->AddChild(&edit);
    dialog->SetBounds(200, 120, 400, 200);
    driver.RunUpdates(3);

    // The frame: the outline 12 pixels in, the grey inside, a shadow darker than the backdrop.
    EXPECT_EQ(driver.Pixel(200 + 12, 120 + 40), 0xFFFFFFFFu);
    EXPECT_EQ(driver.Pixel(200 + 16, 120 + 40), 0xFF505050u);
    EXPECT_EQ(driver.Pixel(200 + 5, 120 + 40), kBackdrop);
    uint32_t shadow = driver.Pixel(200 + 400 - 6, 120 + 100);
    EXPECT_LT(shadow & 0xFF, kBackdrop & 0xFF);
    EXPECT_GT(shadow & 0xFF, 0u);
    // The OK button (left) stands raised.
    Rect ok = dialog->yesButton->GetBounds();
    EXPECT_EQ(ok, Rect(224, 120 + 200 - 24 - 24, 172, 24));
    EXPECT_EQ(driver.Pixel(ok.x, ok.y), 0xFFFFFFFFu);
    EXPECT_EQ(driver.Pixel(ok.x + 3, ok.y + 3), 0xFFD4D4D4u);
    EXPECT_EQ(driver.Pixel(ok.x + ok.width - 1, ok.y + ok.height - 1), 0xFF000000u);

    // Below the modal dialog nothing takes the pointer.
    driver.Click(110, 65);
    driver.RunUpdates(2);
    EXPECT_TRUE(window.recorder.calls.empty());
    EXPECT_EQ(driver.Pixel(110, 65), kNormal);

    // Into the edit field: click, type, see the caret after the text.
    driver.Click(200 + 40 + 100, 120 + 80 + 12);
    driver.Type("Mara");
    driver.RunUpdates(3);
    EXPECT_EQ(edit.text, "Mara");
    EXPECT_EQ(manager.focusWidget, &edit);
    int left = 200 + 40;
    int top = 120 + 80;
    int textWidth = edit.font->StringWidth("Mara");
    int caretTop = (24 - edit.font->GetHeight()) / 2;
    EXPECT_EQ(driver.Pixel(left + 4 + textWidth, top + 12), 0xFF000000u);
    EXPECT_EQ(driver.Pixel(left + 4 + textWidth + 1, top + 12), 0xFF000000u);
    EXPECT_EQ(driver.Pixel(left + 4 + textWidth + 3, top + 12), 0xFFFFFFFFu);
    EXPECT_EQ(driver.Pixel(left + 5, top + caretTop), 0xFFFFFFFFu);

    // Shift+Home selects it all: black behind the selected text.
    driver.PressKey(KEYCODE_HOME, TestDriver::Shift);
    driver.RunUpdates(2);
    EXPECT_EQ(edit.hilitePos, 4);
    EXPECT_EQ(edit.cursorPos, 0);
    EXPECT_EQ(driver.Pixel(left + 5, top + caretTop), 0xFF000000u);
    EXPECT_EQ(driver.Pixel(left + 4 + textWidth - 1, top + caretTop), 0xFF000000u);
    int lightInSelection = 0;
    for (int x = left + 4; x < left + 4 + textWidth; ++x)
        for (int y = top + caretTop; y < top + caretTop + edit.font->GetHeight(); ++y)
            lightInSelection += (driver.Pixel(x, y) & 0xFF) > 0x80 ? 1 : 0;
    EXPECT_GT(lightInSelection, 20); // the text, white over the selection

    // Type over the selection, then Enter.
    driver.Type("Ines");
    driver.PressKey(KEYCODE_RETURN);
    driver.RunUpdates(2);
    EXPECT_EQ(edit.text, "Ines");
    EXPECT_EQ(window.recorder.calls, (Lines{"entered Ines"}));

    // The OK button: pressed, it sinks; released over it, the dialog closes.
    driver.MoveTo(ok.x + 20, ok.y + 10);
    driver.Press(ok.x + 20, ok.y + 10);
    driver.RunUpdates(2);
    EXPECT_EQ(driver.Pixel(ok.x, ok.y), 0xFF000000u);
    driver.Release(ok.x + 20, ok.y + 10);
    driver.RunUpdates(3);
    EXPECT_EQ(app.calls, (Lines{"dialog pressed 7 1000", "dialog released 7 1000"}));
    EXPECT_EQ(app.GetDialog(7), nullptr);
    EXPECT_EQ(edit.manager, nullptr);
    EXPECT_EQ(manager.modalBase, nullptr);
    EXPECT_EQ(manager.focusWidget, app.board.get()); // the focus returns to the board
    EXPECT_EQ(driver.Pixel(200 + 16, 120 + 40), kBackdrop);

    // The window takes the pointer again.
    driver.Click(110, 65);
    driver.RunUpdates(2);
    EXPECT_EQ(window.recorder.calls.back(), "click 1");
}

TEST(WidgetsEndToEndTest, ClipboardTextsArePastedOneLineAtATime)
{
    ControlsWindow window;
    ASSERT_TRUE(window.launched);
    TestDriver& driver = window.driver;
    WidgetManager& manager = *window.app->GetWidgetManager();
    EditWidget edit(10, &window.recorder);
    edit.SetBounds(100, 300, 300, 24);
    manager.AddChild(&edit);
    driver.Click(150, 310);
    driver.RunUpdates(1);
    ASSERT_EQ(manager.focusWidget, &edit);

    ASSERT_TRUE(SetClipboardText("first line\r\nsecond line"));
    driver.PressKey('V', TestDriver::Ctrl);
    driver.RunUpdates(1);
    EXPECT_EQ(edit.text, "first line");
    ASSERT_TRUE(SetClipboardText("up\ndown"));
    driver.PressKey('V', TestDriver::Ctrl);
    driver.RunUpdates(1);
    EXPECT_EQ(edit.text, "first lineup");

    // Copy and cut go to the clipboard, Latin-1 letters included.
    edit.SetText("caf\xE9 noir");
    driver.PressKey(KEYCODE_HOME);
    for (int i = 0; i < 4; ++i)
        driver.PressKey(KEYCODE_RIGHT, TestDriver::Shift);
    driver.PressKey('C', TestDriver::Ctrl);
    driver.RunUpdates(1);
    EXPECT_EQ(GetClipboardText(), "caf\xE9");
    driver.PressKey(KEYCODE_END);
    driver.PressKey('V', TestDriver::Ctrl);
    driver.RunUpdates(1);
    EXPECT_EQ(edit.text, "caf\xE9 noircaf\xE9");
    for (int i = 0; i < 4; ++i)
        driver.PressKey(KEYCODE_LEFT, TestDriver::Shift);
    driver.PressKey('X', TestDriver::Ctrl);
    driver.RunUpdates(1);
    EXPECT_EQ(edit.text, "caf\xE9 noir");

    // A huge paste into a field limited in pixels stops at the limit, quickly.
    edit.SetText("");
    edit.maxPixels = 200;
    ASSERT_TRUE(SetClipboardText(std::string(2 << 20, 'm') + "\nnext"));
    driver.PressKey('V', TestDriver::Ctrl);
    driver.RunUpdates(2);
    EXPECT_FALSE(edit.text.empty());
    EXPECT_LE(edit.font->StringWidth(edit.text), 200);
    EXPECT_GT(edit.font->StringWidth(edit.text + "m"), 200);

    // Without limits the whole line goes in, and the field still shows its end.
    edit.SetText("");
    edit.maxPixels = -1;
    driver.PressKey('V', TestDriver::Ctrl);
    driver.RunUpdates(2);
    EXPECT_EQ(edit.text.size(), size_t(2 << 20));
    EXPECT_EQ(edit.cursorPos, 2 << 20);
    EXPECT_LT(edit.font->StringWidth(edit.text.substr(size_t(edit.leftPos))), 300);
    manager.RemoveChild(&edit);
}

TEST(WidgetsEndToEndTest, BadInputNeverReachesAWidgetItShouldNot)
{
    ControlsWindow window;
    ASSERT_TRUE(window.launched);
    TestDriver& driver = window.driver;
    WidgetsApp& app = *window.app;
    WidgetManager& manager = *app.GetWidgetManager();
    EditWidget edit(10, &window.recorder);
    edit.SetBounds(100, 300, 300, 24);
    manager.AddChild(&edit);
    driver.Click(150, 310);

    // Characters the font cannot draw (controls, C1 controls) are refused; Latin-1 letters
    // are welcome.
    for (int character : {1, 7, 27, 127, 0x81, 0x9F, 0xE9, 0xFC, int('k')})
        driver.Character(character);
    driver.RunUpdates(2);
    EXPECT_EQ(edit.text, "\xE9\xFCk");
    // With 8-bit characters off only ASCII gets in.
    app.allow8BitCharacters = false;
    driver.Character(0xE9);
    driver.Character('o');
    driver.RunUpdates(1);
    EXPECT_EQ(edit.text, "\xE9\xFCko");

    // Pointer positions far outside the window.
    driver.MoveTo(32000, -32000);
    driver.Press(-32000, 32000);
    driver.MoveTo(-31000, 31000);
    driver.Release(-31000, 31000);
    driver.RunUpdates(2);
    EXPECT_TRUE(window.recorder.calls.empty());

    // A button removed between press and release: no click, no stale capture.
    driver.MoveTo(110, 65);
    driver.Press(110, 65);
    driver.RunUpdates(1);
    EXPECT_EQ(manager.capturedWidget, &window.button);
    manager.RemoveChild(&window.button);
    EXPECT_EQ(manager.capturedWidget, nullptr);
    driver.MoveTo(115, 66);
    driver.Release(115, 66);
    driver.RunUpdates(2);
    EXPECT_EQ(window.recorder.calls, (Lines{"pressed 1"}));

    // A dialog killed while its field holds the pointer and the keyboard.
    Dialog* dialog = app.DoDialog(3, true, "Header", "Lines", "", Dialog::BUTTONS_YES_NO);
    EditWidget inner(11, &window.recorder);
    inner.SetBounds(40, 40, 200, 24);
    dialog->AddChild(&inner);
    driver.RunUpdates(2);
    Point origin = inner.GetAbsolutePosition();
    driver.Press(origin.x + 10, origin.y + 10);
    driver.RunUpdates(1);
    EXPECT_EQ(manager.focusWidget, &inner);
    EXPECT_TRUE(app.KillDialog(3));
    driver.MoveTo(origin.x + 50, origin.y + 12);
    driver.Type("zz");
    driver.Release(origin.x + 50, origin.y + 12);
    driver.RunUpdates(3);
    EXPECT_TRUE(inner.text.empty());
    EXPECT_EQ(inner.manager, nullptr);
    EXPECT_EQ(manager.capturedWidget, nullptr);
    EXPECT_EQ(manager.modalBase, nullptr);
    EXPECT_EQ(manager.focusWidget, &edit); // back where it was before the dialog
    EXPECT_EQ(edit.text, "\xE9\xFCkozz");  // typed after the dialog was gone
    manager.RemoveChild(&edit);
}

TEST(WidgetsEndToEndTest, WaitingForADialogsAnswerSurvivesTheDialogBeingDeleted)
{
    ControlsWindow window;
    ASSERT_TRUE(window.launched);
    TestDriver& driver = window.driver;
    WidgetsApp& app = *window.app;

    // The click is queued; the wait runs the loop that handles it, and the application kills
    // (and deletes) the dialog inside that loop.
    Dialog* dialog = app.DoDialog(5, true, "Quit?", "Really leave the publication?", "", Dialog::BUTTONS_YES_NO);
    driver.RunUpdates(2);
    Rect no = dialog->noButton->GetBounds();
    driver.MoveTo(no.x + 10, no.y + 10);
    driver.Click(no.x + 10, no.y + 10);
    EXPECT_EQ(dialog->WaitForResult(true), Dialog::kNoButtonId);
    EXPECT_EQ(app.GetDialog(5), nullptr);
    EXPECT_EQ(app.calls, (Lines{"dialog pressed 5 1001", "dialog released 5 1001"}));

    // Killed from elsewhere without an answer: the wait ends with none.
    struct Killer : Widget
    {
        void Tick() override
        {
            Widget::Tick();
            if (tickCount == 20)
                app->KillDialog(6);
        }
        VeskAppBase* app = nullptr;
    } killer;
    killer.app = &app;
    app.GetWidgetManager()->AddChild(&killer);
    Dialog* silent = app.DoDialog(6, false, "Wait", "", "", Dialog::BUTTONS_NONE);
    EXPECT_EQ(silent->WaitForResult(false), Dialog::kNoResult);
    EXPECT_EQ(app.GetDialog(6), nullptr);
    app.GetWidgetManager()->RemoveChild(&killer);
}

} // namespace Vesk
