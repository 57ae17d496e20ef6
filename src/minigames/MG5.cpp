#include "minigames/MG5.h"

#include "app/GameApp.h"

namespace Vesk
{

MG5::MG5(GameApp& app) : MiniGame(app, "MG5", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame5);
}

void MG5::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG5::TickRules(float step)
{
    (void)step;
}

const std::string& MG5::Objective() const
{
    return app.texts.objectives.MG5;
}

void MG5::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
