#include "framework/appbase/ScreenImage.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

namespace Vesk
{

using TestSupport::TestApp;
using TestSupport::TestDriver;

TEST(MainLoopTest, RunsFixedUpdatesOnTheVirtualClockAndPresentsWhatWasPainted)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Launch());
    uint32_t start = Platform::Clock::GetTickCount();
    EXPECT_EQ(driver.RunUpdates(100), 100);
    // Game time moves one frame per update, exactly.
    EXPECT_EQ(Platform::Clock::GetTickCount() - start, 1000u);
    EXPECT_EQ(app.board->ticks, 100);
    EXPECT_TRUE(app.loadingThreadCompleted);
    EXPECT_EQ(app.loadingCompletedCalls, 1);

    app.Fill(0xFF336699u);
    int draws = app.drawCount;
    driver.RunUpdates(2);
    EXPECT_GT(app.drawCount, draws);
    ASSERT_EQ(driver.PresentedFrame().size(), 800u * 600u);
    EXPECT_EQ(driver.PresentedFrame()[300 * 800 + 400], 0xFF336699u);
    EXPECT_EQ(driver.Pixel(799, 599), 0xFF336699u);
}

} // namespace Vesk
