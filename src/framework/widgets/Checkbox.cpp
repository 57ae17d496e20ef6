#include "framework/widgets/Checkbox.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/CheckboxListener.h"

namespace Vesk
{

Checkbox::Checkbox(Image* image, int id, CheckboxListener* listener)
    : id(id), listener(listener), checkedImage(image), uncheckedImage(image)
{
    showHandOnHover = true;
}

void Checkbox::SetChecked(bool checked, bool notify)
{
    this->checked = checked;
    if (notify && listener != nullptr)
        listener->OnCheckboxToggled(id, checked);
    Invalidate();
}

bool Checkbox::IsChecked()
{
    return checked;
}

void Checkbox::OnButtonPress(int x, int y, int buttonNumber, int clickCount)
{
    checked = !checked;
    if (listener != nullptr)
        listener->OnCheckboxToggled(id, checked);
    Invalidate();
}

void Checkbox::Paint(Graphics& graphics)
{
    if (checkedRect.width == 0 && checkedImage != nullptr && uncheckedImage != nullptr)
    {
        graphics.DrawImage(checked ? checkedImage : uncheckedImage, 0, 0);
        return;
    }
    if (checkedRect.width != 0 && uncheckedImage != nullptr)
    {
        graphics.DrawImage(uncheckedImage, 0, 0, checked ? checkedRect : uncheckedRect);
        return;
    }
    if (checkedImage != nullptr || uncheckedImage != nullptr)
        return;
    graphics.SetColor(outlineColor);
    graphics.FillRect(0, 0, width, height);
    graphics.SetColor(insideColor);
    graphics.FillRect(1, 1, width - 2, height - 2);
    if (checked)
    {
        graphics.SetColor(checkColor);
        graphics.DrawLine(1, 1, width - 2, height - 2);
        graphics.DrawLine(width - 2, 1, 1, height - 2);
    }
}

} // namespace Vesk
