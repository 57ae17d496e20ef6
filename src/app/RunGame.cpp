#include "app/RunGame.h"

#include "app/GameApp.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/MessageBox.h"

#include <filesystem>
#include <system_error>

namespace Vesk
{

bool GameFilesPresent()
{
    std::error_code error;
    if (std::filesystem::is_regular_file("play.url", error))
        return true;
    std::filesystem::path programFolder = Platform::ProgramFolder();
    return !programFolder.empty() && std::filesystem::is_regular_file(programFolder / "play.url", error);
}

int RunGame(const std::function<std::unique_ptr<GameApp>()>& createApp)
{
    if (!GameFilesPresent())
    {
        Platform::ShowMessageBox("Some files are corrupt. The game may not run. Please reinstall the game.", "Error",
                                 Platform::MB_OK);
        return 0;
    }
    std::unique_ptr<GameApp> app = createApp();
    app->Init();
    app->Start();
    app.reset();
    return 0;
}

} // namespace Vesk
