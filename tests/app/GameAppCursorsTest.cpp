// The game installs its custom cursor pictures from the "Common" group during Init.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/platform/MessageBox.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Vesk
{
namespace
{

TEST(GameAppCursorsTest, InitInstallsTheCursorPicturesAndTurnsThemOn)
{
    TestSupport::TempFolder folder;
    Platform::SetMessageBoxHandler([](const std::string&, const std::string&, int) { return Platform::IDOK; });
    std::filesystem::copy(ORLO_DATA_SOURCE_DIR, folder.Path(), std::filesystem::copy_options::recursive);
    {
        TestSupport::TestGameApp app;
        app.processCommandLine = "orlo";
        app.SetAppDataFolder((folder / "share").string());
        app.Init();
        ASSERT_FALSE(app.isShutdown);
        EXPECT_TRUE(app.customCursorsEnabled);
        ASSERT_NE(IMAGE_CUR_POINTER, nullptr);
        EXPECT_EQ(app.GetCursorImage(0), IMAGE_CUR_POINTER);
        EXPECT_EQ(app.GetCursorImage(1), IMAGE_CUR_FINGER);
        EXPECT_EQ(app.GetCursorImage(2), IMAGE_CUR_FINGER);
        EXPECT_EQ(app.GetCursorImage(10), IMAGE_CUR_HOURGLASS);
        EXPECT_EQ(app.GetCursorImage(12), IMAGE_CUR_ERASER);
        for (int number : {3, 4, 5, 6, 7, 8, 9, 11})
            EXPECT_EQ(app.GetCursorImage(number), nullptr) << number;
    }
    Platform::SetMessageBoxHandler({});
}

} // namespace
} // namespace Vesk
