#pragma once

#include "framework/widgets/ButtonWidget.h"

namespace Vesk
{

// A button drawn from a framed component image: either cells of it (normalRect, overRect,
// downRect, disabledRect) stretched over the button, or the whole image as a nine-slice box.
// Its contents move by (downOffsetX, downOffsetY) while pressed. Without a component image it
// draws like a plain ButtonWidget. Shows the hand cursor on hover.
//
// Palette: 0 text, 1 hover text (both white), then as ButtonWidget.
class DialogButton : public ButtonWidget
{
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Paint(Graphics& graphics) override;

    Image* componentImage;
    int downOffsetX = 1;
    int downOffsetY = 1;
    int textOffsetX = 0;
    int textOffsetY = 0;
};

} // namespace Vesk
