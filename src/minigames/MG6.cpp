#include "minigames/MG6.h"

#include "app/GameApp.h"

namespace Vesk
{

MG6::MG6(GameApp& app) : MiniGame(app, "MG6", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame6);
}

void MG6::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG6::TickRules(float step)
{
    (void)step;
}

const std::string& MG6::Objective() const
{
    return app.texts.objectives.MG6;
}

void MG6::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
