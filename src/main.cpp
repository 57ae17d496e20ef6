// Orlo's entry point: refuses to start without its data, then runs the game application.
#include "app/GameApp.h"
#include "framework/platform/MessageBox.h"

#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file("play.url", error))
    {
        Vesk::Platform::ShowMessageBox("Some files are corrupt. The game may not run. Please reinstall the game.",
                                       "Error", Vesk::Platform::MB_OK);
        return 0;
    }

    auto app = std::make_unique<Vesk::GameApp>();
    app->Init();
    app->Start();
    app.reset();
    return 0;
}
