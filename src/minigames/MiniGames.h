#pragma once

#include "minigames/MiniGame.h"

#include <memory>

namespace Vesk
{

class GameApp;

// The mini-game of a mode (1 .. 9 for the games MG1 .. MG9, 10 for the final game), created
// hidden; null for a mode without a game.
std::unique_ptr<MiniGame> CreateMiniGame(GameApp& app, int mode);

} // namespace Vesk
