#pragma once

#include "framework/widgets/Widget.h"

namespace Vesk
{

class CheckboxListener;
class Image;

// A box the player ticks and unticks with a click. Drawn from its images (whole images, or the
// checkedRect and uncheckedRect cells of uncheckedImage), or without images as a filled box
// with a cross when checked. Shows the hand cursor on hover.
class Checkbox : public Widget
{
public:
    // image serves as both the checked and the unchecked image (may be null).
    Checkbox(Image* image, int id, CheckboxListener* listener);

    // Stores the state; tells the listener only when notify is true.
    virtual void SetChecked(bool checked, bool notify = true);
    virtual bool IsChecked();

    void Paint(Graphics& graphics) override;
    void OnButtonPress(int x, int y, int buttonNumber, int clickCount) override;

    int id;
    CheckboxListener* listener;
    bool checked = false;
    Image* checkedImage;
    Image* uncheckedImage;
    Rect checkedRect;
    Rect uncheckedRect;
    Color outlineColor{255, 255, 255};
    Color insideColor{80, 80, 80};
    Color checkColor{255, 255, 0};
};

} // namespace Vesk
