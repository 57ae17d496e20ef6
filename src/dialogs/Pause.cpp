#include "dialogs/Pause.h"

#include "app/GameApp.h"
#include "app/Resources.h"

#include <bit>
#include <cstdint>

namespace Vesk
{

namespace
{

SettingsDialog::Motion PauseMotion(const GameConfig::GraphicsSection& layout)
{
    return {layout.PX_, layout.PY_, layout.PJUMP, layout.PANIM, layout.PDANIM, 600};
}

} // namespace

Pause::Pause(const std::string& header, const std::string& lines, GameApp& app)
    : SettingsDialog(header, lines, app, PauseMotion(app.config.graphics))
{
    const auto& layout = app.config.graphics;
    continueButton.x = layout.PCBX;
    continueButton.y = layout.BY;
    continueButton.w = layout.PCBW;
    continueButton.label = app.texts.interface.pause_continue;
    continueButton.labelX = layout.PCBX + layout.PCTX;
    continueButton.labelY = layout.BY + layout.BTY;
    exitButton.x = layout.PEBX;
    exitButton.y = layout.PEBY;
    exitButton.w = layout.PEBW;
    exitButton.label = app.texts.interface.pause_exit;
    exitButton.labelX = layout.PEBX + layout.PETX;
    exitButton.labelY = layout.PEBY + layout.BTY;
    buttons = {&continueButton, &exitButton};
}

void Pause::OnPress(int, int, int)
{
    for (DrawnButton* button : buttons)
    {
        if (button->hovered)
            button->pressed = true;
    }
}

void Pause::OnRelease(int x, int y, int)
{
    if (continueButton.pressed && continueButton.hovered)
    {
        if (x != 0 || y != 0)
            app.PlaySample(SOUND_CLICK);
        app.PlaySample(SOUND_WINDOW_MOVE);
        closing = true;
    }
    if (exitButton.pressed && exitButton.hovered)
        Quit();
}

void Pause::Quit()
{
    app.PlaySample(SOUND_CLICK);
    // Just above 1 while the exit question is up: neither in place (Escape is not answered) nor
    // sliding.
    slideProgress = std::bit_cast<float>(uint32_t{0x3F800347});
    // The game may end inside Shutdown: the tutorial box counts as it stands.
    ApplyTutorialChoice();
    app.Shutdown();
    slideProgress = 1;
}

void Pause::CloseByEscape()
{
    continueButton.hovered = true;
    continueButton.pressed = true;
    exitButton.hovered = false;
    exitButton.pressed = false;
    OnRelease(0, 0, 0);
}

void Pause::Remove()
{
    slideOffset = 600 - motion.y;
    SetBounds(0, 0, 0, 0);
    app.KillDialog(kPauseDialogId);
}

double Pause::Growth(const DrawnButton& button) const
{
    return button.hoverAnim * button.hoverAnim * app.config.graphics.BDY;
}

void Pause::PaintUnderButtons(Graphics& graphics)
{
    PaintDecoration(graphics);
}

} // namespace Vesk
