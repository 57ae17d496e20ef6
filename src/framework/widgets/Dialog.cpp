#include "framework/widgets/Dialog.h"

#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Vesk
{

namespace
{

std::string Text(const char* key, const char* english)
{
    return gAppBase != nullptr ? gAppBase->GetString(key, english) : std::string(english);
}

} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonImage, int id, bool isModal, const std::string& header,
               const std::string& lines, const std::string& footer, int buttonMode)
    : id(id), isModal(isModal), componentImage(componentImage), header(header), lines(lines), footer(footer),
      buttonMode(buttonMode), dialogListener(gAppBase)
{
    translucent = true;
    hasTransparentParts = true;
    overlayPriority = 1;
    static constexpr int kDefaultPalette[7][3] = {
        {255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255},
        {255, 255, 255}, {80, 80, 80},  {255, 255, 255},
    };
    Widget::SetPaletteRGB(kDefaultPalette, 7);
    if (buttonImage != nullptr)
        buttonHeight = buttonImage->GetHeight();

    if (buttonMode == BUTTONS_YES_NO || buttonMode == BUTTONS_OK_CANCEL)
    {
        yesButton = std::make_unique<DialogButton>(buttonImage, kYesButtonId, this);
        noButton = std::make_unique<DialogButton>(buttonImage, kNoButtonId, this);
        if (buttonMode == BUTTONS_YES_NO)
        {
            yesButton->label = "YES";
            noButton->label = "NO";
        }
        else
        {
            yesButton->label = Text("DIALOG_BUTTON_OK", "OK");
            noButton->label = Text("DIALOG_BUTTON_CANCEL", "CANCEL");
        }
    }
    else if (buttonMode == BUTTONS_FOOTER)
    {
        yesButton = std::make_unique<DialogButton>(buttonImage, kYesButtonId, this);
        yesButton->label = footer;
    }
    ApplyButtonColors();
}

Dialog::~Dialog()
{
    waitState->alive = false;
    waitState->result = result;
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
    }
}

void Dialog::ApplyButtonColors()
{
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (button == nullptr)
            continue;
        button->SetPaletteColor(0, GetPaletteColor(3));
        button->SetPaletteColor(1, GetPaletteColor(4));
    }
}

void Dialog::SetPaletteRGBA(const int (*rows)[4], int count)
{
    Widget::SetPaletteRGBA(rows, count);
    ApplyButtonColors();
}

void Dialog::SetPaletteRGB(const int (*rows)[3], int count)
{
    Widget::SetPaletteRGB(rows, count);
    ApplyButtonColors();
}

void Dialog::SetPaletteColor(int index, const Color& color)
{
    Widget::SetPaletteColor(index, color);
    if (index == 3 || index == 4)
        ApplyButtonColors();
}

void Dialog::SetButtonFont(Font* font)
{
    if (yesButton)
        yesButton->SetFont(font);
    if (noButton)
        noButton->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    headerFont = font != nullptr ? font->Duplicate() : nullptr;
    Invalidate();
}

void Dialog::SetLinesFont(Font* font)
{
    linesFont = font != nullptr ? font->Duplicate() : nullptr;
    Invalidate();
}

Font* Dialog::GetHeaderFont()
{
    if (!headerFont)
        headerFont = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 14);
    return headerFont.get();
}

Font* Dialog::GetLinesFont()
{
    if (!linesFont)
        linesFont = std::make_unique<SysFont>(GetApp(), "Arial Unicode MS", 12);
    return linesFont.get();
}

int Dialog::GetPreferredHeight(int width)
{
    int height = contentInsets.top + contentInsets.bottom + backgroundInsets.top + backgroundInsets.bottom;
    bool preceded = false;
    if (!header.empty())
    {
        Font* font = GetHeaderFont();
        height += font->GetHeight() - font->GetAscentPadding();
        preceded = true;
    }
    if (!lines.empty())
    {
        if (preceded)
            height += spaceAfterHeader;
        Font* font = GetLinesFont();
        Graphics measure;
        measure.SetFont(font);
        int textWidth =
            width - backgroundInsets.left - backgroundInsets.right - contentInsets.left - contentInsets.right - 4;
        height += MeasureWrappedHeight(measure, textWidth, lines, font->GetLineSpacing() + lineSpacingOffset);
        preceded = true;
    }
    if (!footer.empty() && buttonMode != BUTTONS_FOOTER)
    {
        if (preceded)
            height += 8;
        height += GetHeaderFont()->GetLineSpacing();
        preceded = true;
    }
    if (buttonMode != BUTTONS_NONE)
    {
        if (preceded)
            height += 8;
        height += buttonHeight + 8;
    }
    return height;
}

bool Dialog::IsModal()
{
    return isModal;
}

int Dialog::WaitForResult(bool autoKill)
{
    // Nothing of the dialog is touched once a step has deleted it: only the shared state.
    std::shared_ptr<WaitState> state = waitState;
    VeskAppBase* app = GetApp();
    int dialogId = id;
    while (app != nullptr && state->alive && manager != nullptr && result == kNoResult)
    {
        bool updated = false;
        if (!app->UpdateAppStep(updated))
            break;
    }
    int answer = state->alive ? result : state->result;
    if (autoKill && app != nullptr)
        app->KillDialog(dialogId);
    return answer;
}

void Dialog::LayoutButtons()
{
    int left = x + backgroundInsets.left + contentInsets.left + buttonSidePadding;
    int top = y + height - contentInsets.bottom - backgroundInsets.bottom - buttonHeight;
    int inner = width - contentInsets.left - contentInsets.right - backgroundInsets.left - backgroundInsets.right;
    if (yesButton && noButton)
    {
        int buttonWidth = (inner - 2 * buttonSidePadding - buttonHorzSpacing) / 2;
        yesButton->SetBounds(left, top, buttonWidth, buttonHeight);
        noButton->SetBounds(left + buttonWidth + buttonHorzSpacing, top, buttonWidth, buttonHeight);
    }
    else if (yesButton)
        yesButton->SetBounds(left, top, inner - 2 * buttonSidePadding, buttonHeight);
}

void Dialog::SetBounds(int x, int y, int width, int height)
{
    Widget::SetBounds(x, y, width, height);
    LayoutButtons();
}

void Dialog::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (button == nullptr)
            continue;
        button->zOrder = zOrder;
        newManager->AddChild(button);
    }
}

void Dialog::OnDetachedFromManager(WidgetManager* oldManager)
{
    Widget::OnDetachedFromManager(oldManager);
    dragging = false;
    for (DialogButton* button : {yesButton.get(), noButton.get()})
    {
        if (button != nullptr && oldManager->HasChild(button))
            oldManager->RemoveChild(button);
    }
}

void Dialog::OnStackingChanged()
{
    if (manager == nullptr)
        return;
    for (DialogButton* button : {noButton.get(), yesButton.get()})
    {
        if (button != nullptr)
            manager->PlaceChildAbove(button, this);
    }
}

void Dialog::Paint(Graphics& graphics)
{
    if (componentImage != nullptr)
    {
        graphics.DrawImageBox(Rect(backgroundInsets.left, backgroundInsets.top,
                                   width - backgroundInsets.left - backgroundInsets.right,
                                   height - backgroundInsets.top - backgroundInsets.bottom),
                              componentImage);
    }
    else
    {
        graphics.SetColor(GetPaletteColor(6));
        graphics.DrawRect(12, 12, width - 25, height - 25);
        graphics.SetColor(GetPaletteColor(5));
        graphics.FillRect(13, 13, width - 26, height - 26);
        graphics.SetColor(Color(0, 0, 0, 128));
        graphics.FillRect(width - 12, 24, 12, height - 36);
        graphics.FillRect(24, height - 12, width - 24, 12);
    }

    int top = contentInsets.top + backgroundInsets.top;
    if (!header.empty())
    {
        Font* font = GetHeaderFont();
        graphics.SetFont(font);
        graphics.SetColor(GetPaletteColor(0));
        DrawCenteredLine(graphics, top - font->GetAscentPadding() + font->GetAscent(), header);
        top += font->GetHeight() - font->GetAscentPadding() + spaceAfterHeader;
    }

    int linesHeight = 0;
    if (!lines.empty())
    {
        Font* font = GetLinesFont();
        graphics.SetFont(font);
        graphics.SetColor(GetPaletteColor(1));
        int left = backgroundInsets.left + contentInsets.left + 2;
        int textWidth =
            width - backgroundInsets.left - backgroundInsets.right - contentInsets.left - contentInsets.right - 4;
        linesHeight = DrawWrappedText(graphics, Rect(left, top, textWidth, height - top), lines,
                                      font->GetLineSpacing() + lineSpacingOffset, textAlign);
    }

    if (!footer.empty() && buttonMode != BUTTONS_FOOTER)
    {
        Font* font = GetHeaderFont();
        graphics.SetFont(font);
        graphics.SetColor(GetPaletteColor(2));
        DrawCenteredLine(graphics, top + linesHeight + font->GetLineSpacing() + 8, footer);
    }
}

void Dialog::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    if (clickCount != 1)
        return;
    dragging = true;
    dragX = x;
    dragY = y;
    if (VeskAppBase* app = GetApp())
        app->SetCursor(2);
}

void Dialog::OnPointerDrag(int x, int y)
{
    if (!dragging)
        return;
    // The grabbed point stays well inside the dialog, and the dialog at most 8 pixels beyond
    // any edge of the screen.
    dragX = std::clamp(dragX, 8, std::max(8, width - 9));
    dragY = std::clamp(dragY, 8, std::max(8, height - 9));
    int areaWidth = manager != nullptr ? manager->width : width;
    int areaHeight = manager != nullptr ? manager->height : height;
    int newX = std::clamp(this->x + x - dragX, -8, std::max(-8, areaWidth - width + 8));
    int newY = std::clamp(this->y + y - dragY, -8, std::max(-8, areaHeight - height + 8));
    MoveTo(newX, newY);
}

void Dialog::OnButtonRelease(int x, int y, int buttonNumber, int clickCount)
{
    if (!dragging)
        return;
    dragging = false;
    if (VeskAppBase* app = GetApp())
        app->SetCursor(0);
}

void Dialog::OnButtonPressed(int buttonId)
{
    if ((buttonId == kYesButtonId || buttonId == kNoButtonId) && dialogListener != nullptr)
        dialogListener->OnDialogButtonPressed(id, buttonId);
}

void Dialog::OnButtonReleased(int buttonId)
{
    if (buttonId != kYesButtonId && buttonId != kNoButtonId)
        return;
    result = buttonId;
    waitState->result = buttonId;
    if (dialogListener != nullptr)
        dialogListener->OnDialogButtonReleased(id, buttonId);
}

} // namespace Vesk
