// widgetgallery: paints every standard control in its states, and a dialog of every button
// mode, onto 800 x 600 screens and writes them as controls.png and dialogs.png, for a person to
// look at.
//   widgetgallery --out FOLDER
#include "framework/appbase/PngWriter.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/ScrollbuttonWidget.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

// The desk the controls lie on, with a caption for each row.
struct Desk : Widget
{
    void Paint(Graphics& graphics) override
    {
        graphics.SetColor(Color(52, 66, 84));
        graphics.FillRect(0, 0, width, height);
        graphics.SetFont(&font);
        graphics.SetColor(Color(230, 230, 230));
        for (const auto& [y, text] : captions)
            graphics.DrawString(text, 16, y);
    }
    SysFont font{"Arial Unicode MS", 10};
    std::vector<std::pair<int, std::string>> captions;
};

// An 800 x 600 screen with the desk laid on it. Write paints it, writes the picture and takes
// every widget off the screen (the widgets may then go).
struct Screen
{
    Screen()
    {
        manager.ResizeDisplay({0, 0, 800, 600}, {0, 0, 800, 600});
        image.CreateScreen(800, 600);
        manager.screenImage = &image;
        desk.SetBounds(0, 0, 800, 600);
        manager.AddChild(&desk);
    }
    ~Screen() { manager.RemoveAllChildren(); }

    bool Write(const std::filesystem::path& file)
    {
        manager.PaintScreen();
        const bool written = PngWriter::Write(file, image.GetBits(), 800, 600, false);
        manager.RemoveAllChildren();
        return written;
    }

    WidgetManager manager{nullptr};
    DDImage image;
    Desk desk;
};

// A framed image with a light face: the component image of dialog buttons.
std::unique_ptr<MemoryImage> FramedImage(int size, uint32_t face, uint32_t edge)
{
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> pixels(size_t(size * size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            bool border = x < 2 || y < 2 || x >= size - 2 || y >= size - 2;
            bool corner = (x < 2 || x >= size - 2) && (y < 2 || y >= size - 2);
            pixels[size_t(y * size + x)] = corner ? 0 : border ? edge : face;
        }
    image->SetBits(pixels.data(), size, size);
    return image;
}

std::unique_ptr<MemoryImage> Gradient(int width, int height, uint32_t top, int step)
{
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> pixels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            int shade = y * step;
            auto channel = [&](int shift) { return uint32_t(std::clamp(int((top >> shift) & 0xFF) - shade, 0, 255)); };
            bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            pixels[size_t(y * width + x)] =
                edge ? 0xFF202020u : 0xFF000000u | channel(16) << 16 | channel(8) << 8 | channel(0);
        }
    image->SetBits(pixels.data(), width, height);
    return image;
}

// Buttons, image and dialog buttons, checkboxes, sliders, edit fields, a list with scrollbars and
// a modal dialog, each in its states.
bool PaintControls(const std::filesystem::path& file)
{
    Screen screen;
    WidgetManager& manager = screen.manager;
    Desk& desk = screen.desk;
    std::vector<std::unique_ptr<Widget>> widgets;
    auto add = [&](auto widget, int x, int y, int width, int height) -> decltype(widget.get())
    {
        auto* raw = widget.get();
        raw->SetBounds(x, y, width, height);
        manager.AddChild(raw);
        widgets.push_back(std::move(widget));
        return raw;
    };

    // Default buttons: at rest, hovered, pressed, disabled, inverted.
    desk.captions.push_back({28, "Buttons"});
    const char* states[] = {"Normal", "Hovered", "Pressed", "Disabled", "Inverted"};
    for (int i = 0; i < 5; ++i)
    {
        auto* button = add(std::make_unique<ButtonWidget>(i, nullptr), 130 + i * 130, 14, 110, 26);
        button->label = states[i];
        if (i == 1)
        {
            button->isHovered = true;
            button->SetPaletteColor(1, Color(0, 0, 160));
        }
        if (i == 2)
            button->isHovered = button->isPressed = true;
        if (i == 3)
        {
            button->SetDisabled(true);
            button->SetPaletteColor(0, Color(132, 132, 132));
        }
        if (i == 4)
            button->inverted = true;
    }

    // Image buttons: normal, hover image, pressed image, a hover image half faded in.
    desk.captions.push_back({74, "Image buttons"});
    auto normal = Gradient(110, 30, 0xFF5080C0u, 2);
    auto over = Gradient(110, 30, 0xFF80B0F0u, 2);
    auto down = Gradient(110, 30, 0xFF305080u, 1);
    for (int i = 0; i < 4; ++i)
    {
        auto* button = add(std::make_unique<ButtonWidget>(10 + i, nullptr), 130 + i * 130, 58, 110, 30);
        button->buttonImage = normal.get();
        button->overImage = over.get();
        button->downImage = down.get();
        button->label = i == 3 ? "Fading" : states[i];
        button->SetPaletteColor(0, Color(255, 255, 255));
        button->SetPaletteColor(1, Color(255, 255, 160));
        button->isHovered = i == 1 || i == 2;
        button->isPressed = i == 2;
        if (i == 3)
            button->overAlpha = 0.5;
    }

    // Dialog buttons drawn from a framed image (nine-slice), and as cells of it.
    desk.captions.push_back({118, "Dialog buttons"});
    auto frame = FramedImage(24, 0xFFB08850u, 0xFF503010u);
    for (int i = 0; i < 3; ++i)
    {
        auto* button = add(std::make_unique<DialogButton>(frame.get(), 20 + i, nullptr), 130 + i * 130, 102, 110, 28);
        button->label = states[i];
        button->isHovered = i > 0;
        button->isPressed = i == 2;
        button->SetPaletteColor(1, Color(255, 240, 180));
    }

    // Checkboxes.
    desk.captions.push_back({158, "Checkboxes"});
    auto* unchecked = add(std::make_unique<Checkbox>(nullptr, 30, nullptr), 130, 146, 16, 16);
    auto* checked = add(std::make_unique<Checkbox>(nullptr, 31, nullptr), 170, 146, 16, 16);
    checked->SetChecked(true, false);
    (void)unchecked;

    // Sliders at 0, a third and all the way.
    desk.captions.push_back({196, "Sliders"});
    for (int i = 0; i < 3; ++i)
    {
        auto* slider = add(std::make_unique<Slider>(nullptr, nullptr, 40 + i, nullptr), 130 + i * 200, 184, 180, 18);
        slider->SetValue(i / 2.0 - (i == 1 ? 0.17 : 0.0));
    }

    // Edit fields: empty with the caret, text with the caret, a selection, a password.
    desk.captions.push_back({236, "Edit fields"});
    const char* texts[] = {"", "Vellinor", "Mara of Orlo", "secret"};
    for (int i = 0; i < 4; ++i)
    {
        auto* edit = add(std::make_unique<EditWidget>(50 + i, nullptr), 130 + i * 165, 224, 150, 22);
        edit->SetText(texts[i]);
        edit->hasFocus = i < 2;
        edit->cursorVisible = i < 2;
        if (i == 2)
        {
            edit->hilitePos = 0;
            edit->cursorPos = 4;
        }
        if (i == 3)
            edit->passwordChar = '*';
    }

    // A list with its scrollbar: a highlighted and a selected line; a paged horizontal bar.
    desk.captions.push_back({276, "List, scrollbars"});
    auto* list = add(std::make_unique<ListWidget>(60, nullptr, nullptr), 130, 264, 200, 150);
    auto* bar = add(std::make_unique<ScrollbarWidget>(61, nullptr), 330, 264, 16, 150);
    bar->ResizeScrollbar(330, 264, 16, 150);
    list->SetScrollbar(bar);
    list->drawOutline = true;
    list->SetPaletteColor(1, Color(0, 0, 0));
    const char* players[] = {"Anton", "Ines", "Kim", "Mara", "Nils", "Oda",  "Pavel", "Rosa",
                             "Sami",  "Tove", "Ugo", "Vera", "Wim",  "Yara", "Zeno"};
    for (const char* player : players)
        list->AddLine(player, false);
    list->SetLineColor(7, Color(160, 0, 0));
    list->SetSelect(3);
    list->hiliteIdx = 1;
    bar->SetValue(1);
    auto* horizontal = add(std::make_unique<ScrollbarWidget>(62, nullptr), 380, 264, 300, 16);
    horizontal->SetHorizontal(true);
    horizontal->ResizeScrollbar(380, 264, 300, 16);
    horizontal->SetPageSize(10);
    horizontal->SetMaxValue(40);
    horizontal->SetValue(12);
    horizontal->pagingState = 2;
    horizontal->downButton->isHovered = horizontal->downButton->isPressed = true;
    auto* idle = add(std::make_unique<ScrollbarWidget>(63, nullptr), 380, 300, 300, 16);
    idle->SetHorizontal(true);
    idle->ResizeScrollbar(380, 300, 300, 16);
    idle->SetPageSize(10);
    idle->SetMaxValue(5); // nothing to scroll: disabled, grey arrows

    // A modal dialog in the corner, with two buttons and a footer.
    Dialog dialog(nullptr, nullptr, 70, true, "Leave the page?",
                  "Your progress on this page is kept. Come back to it from the contents.", "Press OK to go on",
                  Dialog::BUTTONS_OK_CANCEL);
    dialog.dialogListener = nullptr;
    dialog.SetBounds(380, 330, 400, dialog.GetPreferredHeight(400));
    manager.AddChild(&dialog);
    dialog.yesButton->isHovered = true;

    return screen.Write(file);
}

// A dialog of every button mode, plain and framed.
bool PaintDialogs(const std::filesystem::path& file)
{
    Screen screen;
    WidgetManager& manager = screen.manager;

    auto frame = FramedImage(30, 0xFF3A4A5Au, 0xFFD0C090u);
    auto buttonFrame = FramedImage(24, 0xFFB08850u, 0xFF503010u);
    Dialog plain(nullptr, nullptr, 1, false, "No buttons", "A dialog only tells.", "", Dialog::BUTTONS_NONE);
    Dialog yesNo(nullptr, nullptr, 2, true, "Delete player?", "Mara's progress will be lost.", "",
                 Dialog::BUTTONS_YES_NO);
    Dialog footer(frame.get(), buttonFrame.get(), 3, true, "Page solved", "Every object on the list was found.",
                  "Continue", Dialog::BUTTONS_FOOTER);
    Dialog okCancel(frame.get(), buttonFrame.get(), 4, true, "Options",
                    "Music and sound are set here; the text is long enough to wrap onto a second line.", "Footer text",
                    Dialog::BUTTONS_OK_CANCEL);
    int x = 10;
    int y = 10;
    for (Dialog* dialog : {&plain, &yesNo, &footer, &okCancel})
    {
        dialog->dialogListener = nullptr;
        dialog->SetBounds(x, y, 380, dialog->GetPreferredHeight(380));
        manager.AddChild(dialog);
        x += 400;
        if (x > 500)
        {
            x = 10;
            y += 290;
        }
    }
    footer.yesButton->isHovered = true;
    okCancel.noButton->isHovered = okCancel.noButton->isPressed = true;
    return screen.Write(file);
}
} // namespace
} // namespace Vesk

int main(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "--out")
    {
        std::fprintf(stderr, "usage: widgetgallery --out FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool written = true;
    for (const auto& [name, paint] :
         {std::pair{"controls.png", &Vesk::PaintControls}, std::pair{"dialogs.png", &Vesk::PaintDialogs}})
    {
        if (!paint(folder / name))
        {
            std::fprintf(stderr, "widgetgallery: cannot write %s\n", (folder / name).c_str());
            written = false;
        }
    }
    return written ? 0 : 1;
}
