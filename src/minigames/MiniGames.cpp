#include "minigames/MiniGames.h"

namespace Vesk
{

std::unique_ptr<MiniGame> CreateMiniGame(GameApp& app, int mode)
{
    (void)app;
    switch (mode)
    {
    default:
        return nullptr;
    }
}

} // namespace Vesk
