#include "minigames/MG9.h"

#include "app/GameApp.h"

namespace Vesk
{

MG9::MG9(GameApp& app) : MiniGame(app, "MG9", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame9);
}

void MG9::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG9::TickRules(float step)
{
    (void)step;
}

const std::string& MG9::Objective() const
{
    return app.texts.objectives.MG9;
}

void MG9::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
