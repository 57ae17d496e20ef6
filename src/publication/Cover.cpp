#include "publication/Cover.h"

#include "app/GameApp.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>

namespace Vesk
{

Cover::Cover(GameApp& app) : app(app)
{
    SetBounds(0, 0, 800, 600);
    zOrder = kZOrder;
    shown = false;
    // What lies below shows through the veil, so it is repainted with it.
    translucent = true;
    hasTransparentParts = true;
}

Cover::~Cover() = default;

void Cover::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
}

void Cover::Paint(Graphics& graphics)
{
    int darkest = std::clamp(app.config.common.COVERC, 0, 255);
    int strength = int(float(darkest) * alpha);
    if (strength <= 0)
        return;
    graphics.SetColor(Color(0, 0, 0, strength));
    graphics.FillRect(0, 0, 800, 600);
}

void Cover::SetAlpha(double newAlpha)
{
    float clamped = float(std::clamp(newAlpha, 0.0, 1.0));
    SetShown(clamped > 0);
    if (clamped != alpha)
    {
        alpha = clamped;
        Invalidate();
    }
}

void Cover::Fade(float step)
{
    double speed = app.config.common.COVERT * double(step);
    bool complete = app.config.common.COVERT <= 0;
    if (app.IsMuted())
        SetAlpha(complete ? 1.0 : double(alpha) + speed);
    else
        SetAlpha(complete ? 0.0 : double(alpha) - speed);
}

} // namespace Vesk
