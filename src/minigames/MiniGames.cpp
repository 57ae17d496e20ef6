#include "minigames/MiniGames.h"

#include "minigames/MG1.h"
#include "minigames/MG2.h"
#include "minigames/MG3.h"
#include "minigames/MG4.h"
#include "minigames/MG5.h"
#include "minigames/MG6.h"
#include "minigames/MG8.h"
#include "minigames/MG9.h"
#include "minigames/MGLast.h"

namespace Vesk
{

std::unique_ptr<MiniGame> CreateMiniGame(GameApp& app, int mode)
{
    switch (mode)
    {
    case 1:
        return std::make_unique<MG1>(app);
    case 2:
        return std::make_unique<MG2>(app);
    case 3:
        return std::make_unique<MG3>(app);
    case 4:
        return std::make_unique<MG4>(app);
    case 5:
        return std::make_unique<MG5>(app);
    case 6:
        return std::make_unique<MG6>(app);
    case 8:
        return std::make_unique<MG8>(app);
    case 9:
        return std::make_unique<MG9>(app);
    case 10:
        return std::make_unique<MGLast>(app);
    default:
        return nullptr;
    }
}

} // namespace Vesk
