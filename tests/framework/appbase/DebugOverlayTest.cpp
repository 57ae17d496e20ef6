#include "framework/appbase/DebugOverlay.h"

#include "framework/platform/WindowMessage.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Vesk
{

using namespace Platform;
using TestSupport::TestApp;
using TestSupport::TestDriver;

namespace
{

struct OverlayApp : TestApp
{
    using VeskAppBase::debugOverlay;
};

// The smallest rectangle holding every pixel where two 800 x 600 frames differ (empty when
// they are the same).
Rect Difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    int left = 800, top = 600, right = -1, bottom = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (a[size_t(y) * 800 + size_t(x)] != b[size_t(y) * 800 + size_t(x)])
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? Rect() : Rect(left, top, right - left + 1, bottom - top + 1);
}

} // namespace

TEST(DebugOverlayTest, F3DrawsTheTextIntoThePresentedFrameOnlyAndShiftF3ShowsThePointer)
{
    TestDriver driver;
    auto& app = driver.Create<OverlayApp>();
    ASSERT_TRUE(driver.Launch());
    app.debugKeysEnabled = true;
    app.Fill(0xFF204060u);
    driver.RunUpdates(150);
    const std::vector<uint32_t> plain = driver.PresentedFrame();
    ASSERT_EQ(plain.size(), 800u * 600u);

    driver.PressKey(KEYCODE_F3);
    driver.RunUpdates(3);
    ASSERT_TRUE(app.showOverlay);
    ASSERT_NE(app.debugOverlay, nullptr);
    EXPECT_EQ(app.debugOverlay->GetMainText().rfind("FPS: ", 0), 0u);
    EXPECT_EQ(app.debugOverlay->GetTimeText(), "");
    const std::vector<uint32_t> withFps = driver.PresentedFrame();
    Rect fps = Difference(plain, withFps);
    // Text in the bottom-right corner, 10 pixels in from both edges (the shadow reaches 1 further).
    ASSERT_GT(fps.width, 10);
    ASSERT_GT(fps.height, 4);
    EXPECT_GE(fps.x, 700);
    EXPECT_GE(fps.y, 560);
    EXPECT_LE(fps.x + fps.width, 791);
    EXPECT_LE(fps.y + fps.height, 591);
    // The screen image the widgets paint into keeps no trace of it.
    std::vector<uint32_t> screen = driver.ScreenPixels();
    EXPECT_TRUE(std::all_of(screen.begin(), screen.end(), [](uint32_t pixel) { return pixel == 0xFF204060u; }));

    // Shift+F3: the pointer position instead.
    driver.MoveTo(123, 45);
    driver.PressKey(KEYCODE_F3, TestDriver::Shift);
    driver.RunUpdates(3);
    EXPECT_TRUE(app.showOverlay);
    EXPECT_EQ(app.overlayMode, 1);
    EXPECT_EQ(app.debugOverlay->GetMainText(), "123,45");
    EXPECT_NE(Difference(withFps, driver.PresentedFrame()).width, 0);

    // F3 again: the frame is the plain one.
    driver.PressKey(KEYCODE_F3);
    driver.RunUpdates(3);
    EXPECT_FALSE(app.showOverlay);
    EXPECT_EQ(Difference(plain, driver.PresentedFrame()).width, 0);
}

TEST(DebugOverlayTest, DuringAPlaybackTheTimeStandsAboveTheFirstLine)
{
    TestDriver driver;
    {
        driver.Create<TestApp>();
        ASSERT_TRUE(driver.Launch("-record -demofile=short.dmo"));
        driver.RunUpdates(400);
        driver.Close();
        driver.Pump();
        driver.Destroy();
    }
    auto& app = driver.Create<OverlayApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=short.dmo"));
    app.Fill(0xFF204060u);
    driver.RunUpdates(150);
    const std::vector<uint32_t> plain = driver.PresentedFrame();
    ASSERT_EQ(plain.size(), 800u * 600u);
    // During a playback every key press reaches the debug keys.
    driver.PressKey(KEYCODE_F3);
    driver.RunUpdates(120);
    ASSERT_TRUE(app.showOverlay);
    EXPECT_EQ(app.debugOverlay->GetTimeText(), "00:00:02");
    Rect both = Difference(plain, driver.PresentedFrame());
    EXPECT_LE(both.y + both.height, 591);
    // Two lines: the time's reaches well above a single line of text.
    EXPECT_GE(both.height, 15 + 5);
    EXPECT_LE(both.y, 600 - 10 - 15 - 5);
}

TEST(DebugOverlayTest, DrawAndRestoreLeaveThePixelsAsTheyWereEvenAtTinySizes)
{
    DebugOverlay overlay;
    EXPECT_TRUE(overlay.Prepare("FPS: 99", "01:02:03"));
    EXPECT_FALSE(overlay.Prepare("FPS: 99", "01:02:03"));
    for (int size : {4, 30, 200})
    {
        std::vector<uint32_t> pixels(size_t(size) * size_t(size));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        std::vector<uint32_t> original = pixels;
        overlay.Draw(pixels.data(), size, size);
        if (size == 200)
        {
            EXPECT_NE(pixels, original);
        }
        overlay.Restore(pixels.data(), size, size);
        EXPECT_EQ(pixels, original) << size;
    }
}

} // namespace Vesk
