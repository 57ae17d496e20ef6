#include "minigames/MG1.h"

#include "app/GameApp.h"

namespace Vesk
{

MG1::MG1(GameApp& app) : MiniGame(app, "MG1", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame1);
}

void MG1::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG1::TickRules(float step)
{
    (void)step;
}

const std::string& MG1::Objective() const
{
    return app.texts.objectives.MG1a;
}

void MG1::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
