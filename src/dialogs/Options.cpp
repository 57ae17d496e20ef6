#include "dialogs/Options.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Page.h"

namespace Vesk
{

namespace
{

SettingsDialog::Motion OptionsMotion(const GameConfig::GraphicsSection& layout)
{
    // It sinks 50 pixels further than it rose from, below the bottom edge.
    return {layout.OX_, layout.OY_, layout.OJUMP, layout.OANIM, layout.ODANIM, 650};
}

} // namespace

Options::Options(const std::string& header, const std::string& lines, GameApp& app)
    : SettingsDialog(header, lines, app, OptionsMotion(app.config.graphics))
{
    const auto& layout = app.config.graphics;
    closeButton.x = layout.BX;
    closeButton.y = layout.BY;
    closeButton.w = layout.BW;
    closeButton.label = app.texts.interface.options_button3;
    closeButton.labelX = layout.BX + layout.BTX;
    closeButton.labelY = layout.BY + layout.BTY;
    buttons = {&closeButton};
}

void Options::OnPress(int, int, int)
{
    closeButton.pressed = closeButton.hovered;
}

void Options::OnRelease(int x, int y, int)
{
    if (!closeButton.pressed || !closeButton.hovered)
        return;
    closing = true;
    app.PlaySample(SOUND_WINDOW_MOVE);
    if (x != 0 || y != 0)
        app.PlaySample(SOUND_CLICK);
}

void Options::CloseByEscape()
{
    closeButton.hovered = true;
    closeButton.pressed = true;
    OnRelease(0, 0, 0);
}

void Options::Remove()
{
    app.KillDialog(this);
    app.GetWidgetManager()->SetFocusWidget(app.pageScreen.get());
    slideOffset = 600 - motion.y;
    SetBounds(0, 0, 0, 0);
}

double Options::Growth(const DrawnButton& button) const
{
    return button.hoverAnim * app.config.graphics.BDY;
}

} // namespace Vesk
