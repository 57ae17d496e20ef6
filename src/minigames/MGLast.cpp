#include "minigames/MGLast.h"

#include "app/GameApp.h"

namespace Vesk
{

MGLast::MGLast(GameApp& app) : MiniGame(app, "MGLast", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGameLast);
}

void MGLast::LoadPicture(const std::string& dir)
{
    (void)dir;
}

void MGLast::TickRules(float step)
{
    (void)step;
}

const std::string& MGLast::Objective() const
{
    return app.texts.objectives.MGLast;
}

void MGLast::PaintPlayArea(Graphics& graphics)
{
    (void)graphics;
}

} // namespace Vesk
