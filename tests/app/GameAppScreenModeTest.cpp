// The screen mode a first start opens in.
#include "app/GameApp.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Window.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace Vesk
{
namespace
{

TEST(GameAppScreenModeTest, AFirstStartWithDefaultFullscreenOpensFullScreen)
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    TestSupport::TempFolder folder;
    Platform::SetMessageBoxHandler([](const std::string&, const std::string&, int) { return Platform::IDOK; });
    folder.WriteFile("properties/config.xml", "<?xml version=\"1.0\"?>\n"
                                              "<Common><default_fullscreen>true</default_fullscreen></Common>\n");
    folder.WriteFile("properties/local.xml",
                     "<?xml version=\"1.0\"?>\n<Common><default_name>Traveller</default_name></Common>\n");
    std::filesystem::copy_file(std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml",
                               folder / "properties" / "resources.xml");
    {
        TestSupport::TestGameApp app;
        app.processCommandLine = "orlo";
        app.SetAppDataFolder((folder / "share").string());
        app.Init();
        ASSERT_FALSE(app.isShutdown);
        ASSERT_TRUE(app.isNewPlayer);
        EXPECT_FALSE(app.windowed);
        EXPECT_FALSE(app.physicallyWindowed) << "the window itself must be full screen, not only the setting";
        ASSERT_NE(app.GetWindow(), nullptr);
        EXPECT_TRUE(app.GetWindow()->IsFullScreen());
    }
    Platform::SetMessageBoxHandler({});
}

} // namespace
} // namespace Vesk
