#pragma once

#include "framework/widgets/ButtonWidget.h"

namespace Vesk
{

// One of a scrollbar's two arrow buttons: the default button frame with an arrow pointing up or
// left (arrowKind 0) or down or right (arrowKind 1). The arrow is grey while disabled and moves
// by a pixel while pressed.
class ScrollbuttonWidget : public ButtonWidget
{
public:
    ScrollbuttonWidget(int id, ButtonListener* listener);

    void Paint(Graphics& graphics) override;

    bool horizontal = false;
    // 0 up or left, 1 down or right.
    int arrowKind = 0;
};

} // namespace Vesk
