#include "minigames/MG4.h"

#include "app/GameApp.h"

namespace Vesk
{

MG4::MG4(GameApp& app) : MiniGame(app, "MG4", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame4);
}

void MG4::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG4::TickRules(float step)
{
    (void)step;
}

const std::string& MG4::Objective() const
{
    return app.texts.objectives.MG4;
}

void MG4::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
