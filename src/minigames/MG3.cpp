#include "minigames/MG3.h"

#include "app/GameApp.h"

namespace Vesk
{

MG3::MG3(GameApp& app) : MiniGame(app, "MG3", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame3);
}

void MG3::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG3::TickRules(float step)
{
    (void)step;
}

const std::string& MG3::Objective() const
{
    return app.texts.objectives.MG3;
}

void MG3::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
