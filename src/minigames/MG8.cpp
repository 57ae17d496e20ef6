#include "minigames/MG8.h"

#include "app/GameApp.h"

namespace Vesk
{

MG8::MG8(GameApp& app) : MiniGame(app, "MG8", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame8);
}

void MG8::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MG8::TickRules(float step)
{
    (void)step;
}

const std::string& MG8::Objective() const
{
    return app.texts.objectives.MG8;
}

void MG8::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
