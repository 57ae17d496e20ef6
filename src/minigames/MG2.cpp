#include "minigames/MG2.h"

#include "app/GameApp.h"

namespace Vesk
{

MG2::MG2(GameApp& app) : MiniGame(app, "MG2", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame2);
}

void MG2::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG2::TickRules(float step)
{
    (void)step;
}

const std::string& MG2::Objective() const
{
    return app.texts.objectives.MG2;
}

void MG2::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
