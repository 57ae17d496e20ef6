#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "publication/Cover.h"
#include "publication/Tutorial.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

constexpr int kWidth = 100;
constexpr int kHeight = 80;
constexpr uint32_t kInk = 0xFF3366AAu;
constexpr uint32_t kDarkened = 0xFF5F5F5Fu; // white under 160 of black

class CoverTutorialTest : public ::testing::Test
{
protected:
    CoverTutorialTest()
    {
        app.SetAppDataFolder((folder / "share").string());
        folder.WriteFile("log.txt", "");
        app.config.common.COVERT = 0.05;
        app.config.common.COVERC = 160;
        auto& ispy = app.config.ispy;
        ispy.EPRt = 10;
        ispy.EPCt = 0.35;
        ispy.EPCta = 0.15;
        ispy.st0 = 40;
        ispy.st1 = 50;
        ispy.st2 = 70;
        ispy.ss1 = 110;
        ispy.ss2 = 100;
        ispy.dyb = -20;
        ispy.dyo = -30;
        std::vector<uint32_t> pixels(size_t(kWidth * kHeight), kInk);
        source.SetBits(pixels.data(), kWidth, kHeight);
    }
    ~CoverTutorialTest() override { ResetResourceIdentifiers(); }

    // The screen point over a pixel of the picture (centred at (400, 300 + dyo)).
    static int ScreenX(int pictureX) { return pictureX - kWidth / 2 + 400; }
    static int ScreenY(int pictureY) { return pictureY - kHeight / 2 + 270; }
    uint32_t Alpha(int x, int y) { return tutorial.picture->GetBits()[size_t(y * kWidth + x)] >> 24; }
    std::vector<uint32_t> Alphas()
    {
        const uint32_t* bits = tutorial.picture->GetBits();
        std::vector<uint32_t> alphas(bits, bits + kWidth * kHeight);
        for (uint32_t& pixel : alphas)
            pixel >>= 24;
        return alphas;
    }
    // Presses at one picture point, drags to another and lets go.
    void Rub(int fromX, int fromY, int toX, int toY)
    {
        tutorial.OnPointerMove(ScreenX(fromX), ScreenY(fromY));
        tutorial.OnPress(ScreenX(fromX), ScreenY(fromY), 1);
        tutorial.OnPointerDrag(ScreenX(toX), ScreenY(toY));
        tutorial.OnRelease(ScreenX(toX), ScreenY(toY), 1);
    }
    // How many times the scene player was asked for a script (the log records each request).
    int ScenesPlayed(const std::string& script)
    {
        std::string log = folder.ReadFile("log.txt");
        std::string line = "PlayScene " + script + "\r\n";
        int count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    }
    uint32_t PaintedPixel(Widget& widget, int x, int y)
    {
        MemoryImage screen;
        std::vector<uint32_t> white(800 * 600, 0xFFFFFFFFu);
        screen.SetBits(white.data(), 800, 600);
        Graphics graphics(&screen);
        widget.Paint(graphics);
        return screen.GetBits()[size_t(y * 800 + x)];
    }

    TestSupport::TempFolder folder;
    TestSupport::TestGameApp app;
    DDImage source;
    Cover cover{app};
    Tutorial tutorial{app};
};

TEST_F(CoverTutorialTest, CoverRisesWhileMutedAndFallsAndHidesAfterScaledByTheStep)
{
    EXPECT_FALSE(cover.shown);
    app.Mute();
    cover.Fade(1);
    EXPECT_TRUE(cover.shown);
    EXPECT_NEAR(cover.alpha, 0.05, 1e-6);
    cover.Fade(4);
    EXPECT_NEAR(cover.alpha, 0.25, 1e-6);
    for (int i = 0; i < 30; ++i)
        cover.Fade(1);
    EXPECT_EQ(cover.alpha, 1.0f);
    EXPECT_EQ(PaintedPixel(cover, 10, 590), kDarkened);

    app.Unmute();
    cover.Fade(0.5f);
    EXPECT_NEAR(cover.alpha, 0.975, 1e-6);
    for (int i = 0; i < 30; ++i)
        cover.Fade(1);
    EXPECT_EQ(cover.alpha, 0.0f);
    EXPECT_FALSE(cover.shown);

    // A speed of 0 from the data completes each fade at once.
    app.config.common.COVERT = 0;
    app.Mute();
    cover.Fade(1);
    EXPECT_EQ(cover.alpha, 1.0f);
    app.Unmute();
    cover.Fade(1);
    EXPECT_FALSE(cover.shown);
}

TEST_F(CoverTutorialTest, DragRubsOneDiscAtAPressWithoutAMoveAndABandAlongALineNeverRaisingAlpha)
{
    ASSERT_TRUE(tutorial.Begin(&source));
    // Pressed where the pointer already was when the tutorial appeared: a drag on the spot
    // erases one disc there, and nothing along a line from an older pointer position.
    tutorial.OnPress(ScreenX(30), ScreenY(40), 1);
    tutorial.OnPointerDrag(ScreenX(30), ScreenY(40));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            if ((x - 30) * (x - 30) + (y - 40) * (y - 40) <= 100)
                continue;
            ASSERT_EQ(Alpha(x, y), 255u) << x << ", " << y;
        }
    EXPECT_EQ(Alpha(30, 40), 0u);
    EXPECT_EQ(Alpha(35, 40), 127u);
    EXPECT_EQ(Alpha(40, 40), 255u) << "the rim keeps its alpha";
    EXPECT_EQ(source.GetBits()[size_t(40 * kWidth + 30)], kInk) << "the source is never rubbed";

    // Across the picture through the first disc: a continuous clear band; no pixel gains alpha.
    std::vector<uint32_t> before = Alphas();
    tutorial.OnPointerDrag(ScreenX(kWidth - 1), ScreenY(40));
    for (int x = 30; x < kWidth; ++x)
        EXPECT_EQ(Alpha(x, 40), 0u) << x;
    std::vector<uint32_t> after = Alphas();
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_LE(after[i], before[i]) << i;
    EXPECT_EQ(Alpha(64, 51), 255u);
    EXPECT_EQ(tutorial.strokes, 1);

    // A radius from the data far beyond any picture wears the whole picture clear, no overflow.
    app.config.ispy.EPRt = 1 << 30;
    tutorial.OnPointerDrag(ScreenX(kWidth - 1), ScreenY(kHeight - 1));
    EXPECT_EQ(Alpha(0, 0), 0u);
}

TEST_F(CoverTutorialTest, ReleaseAboveTheThresholdAsksForMoreBelowItPassesThenNothingMoreUntilHidden)
{
    ASSERT_TRUE(tutorial.Begin(&source));
    tutorial.StepClock(70);
    EXPECT_EQ(PaintedPixel(tutorial, 5, 5), kDarkened);
    EXPECT_EQ(PaintedPixel(tutorial, ScreenX(0), ScreenY(0)), kInk);
    EXPECT_EQ(PaintedPixel(tutorial, ScreenX(kWidth), ScreenY(kHeight - 1)), kDarkened);

    // A click without rubbing says nothing. Sweeps along the sample rows 0, 8, ... 48: the first
    // stroke's release asks for more; the next start no stroke within the cooldown, so their
    // releases stay silent until enough is gone.
    tutorial.OnPress(ScreenX(50), ScreenY(40), 1);
    tutorial.OnRelease(ScreenX(50), ScreenY(40), 1);
    for (int y = 0; y <= 48; y += 8)
        Rub(0, y, kWidth - 1, y);
    EXPECT_EQ(tutorial.CoverageCount(), 30);
    EXPECT_EQ(ScenesPlayed("scenes/t_notenough.scr"), 1);
    EXPECT_EQ(ScenesPlayed("scenes/t_good.scr"), 1);
    EXPECT_TRUE(tutorial.fading);
    EXPECT_EQ(tutorial.clock, 70.0f);

    // Once passed, drags and releases do nothing.
    std::vector<uint32_t> before = Alphas();
    Rub(0, 72, kWidth - 1, 72);
    EXPECT_EQ(Alphas(), before);
    EXPECT_EQ(ScenesPlayed("scenes/t_good.scr"), 1);

    // The fade runs the clock back and hides the widget below 0.
    for (int i = 0; i < 70; ++i)
        tutorial.Tick();
    EXPECT_TRUE(tutorial.shown);
    tutorial.Tick();
    EXPECT_FALSE(tutorial.shown);
    EXPECT_FALSE(tutorial.fading);
}

TEST_F(CoverTutorialTest, OfferedOnceOnTheFirstPageThenFreshAndPassedDuringADragWhenNearlyAllIsGone)
{
    app.tutorial = std::make_unique<Tutorial>(app);
    IMAGE_TUTOR_OBJ = &source;
    app.sceneOption = false;
    EXPECT_FALSE(app.OfferEraseTutorial());
    EXPECT_FALSE(app.tutorial->shown);
    app.sceneOption = true;
    EXPECT_FALSE(app.OfferEraseTutorial()) << "only on the player's first page";
    app.firstPagePending = true;
    EXPECT_TRUE(app.OfferEraseTutorial());
    EXPECT_TRUE(app.tutorial->shown);
    EXPECT_EQ(app.tutorial->CoverageCount(), 100);

    // A second showing starts afresh.
    ASSERT_TRUE(tutorial.Begin(&source));
    for (int y = 0; y <= 72; y += 8)
        Rub(0, y, kWidth - 1, y);
    ASSERT_TRUE(tutorial.finished);
    ASSERT_TRUE(tutorial.Begin(&source));
    EXPECT_FALSE(tutorial.finished);
    EXPECT_EQ(tutorial.clock, 0.0f);
    EXPECT_EQ(tutorial.CoverageCount(), 100);

    // Without a release: once fewer than 15 samples are left, the drag itself passes.
    tutorial.OnPress(ScreenX(0), ScreenY(0), 1);
    for (int y = 0; y <= 76 && !tutorial.finished; y += 4)
        tutorial.OnPointerDrag(ScreenX(y % 8 == 0 ? kWidth - 1 : 0), ScreenY(y));
    EXPECT_TRUE(tutorial.finished);
    EXPECT_LT(tutorial.CoverageCount(), 15);
    EXPECT_EQ(ScenesPlayed("scenes/t_good.scr"), 2);
    EXPECT_FALSE(tutorial.Begin(nullptr));
}

} // namespace
} // namespace Vesk
