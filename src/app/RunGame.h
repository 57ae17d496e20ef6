#pragma once

#include <functional>
#include <memory>

namespace Vesk
{

class GameApp;

// True when "play.url" lies in the working directory or beside the program: the sign that the
// game's files were installed.
bool GameFilesPresent();

// The program's entry point: without the game's files shows "Some files are corrupt..." and
// returns; otherwise creates the application, runs Init and Start (which returns once the
// application has shut down) and destroys it. Returns the process exit code, 0.
int RunGame(const std::function<std::unique_ptr<GameApp>()>& createApp);

} // namespace Vesk
