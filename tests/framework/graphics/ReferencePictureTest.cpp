#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/PixelComparison.h"
#include "support/PngFile.h"
#include "support/PublicationFrame.h"
#include "support/ReferenceRenderer.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace Vesk
{
namespace
{

using namespace TestSupport;
using Canvas = ReferenceRenderer::Canvas;

// The reference pictures live beside this test. They are drawn by the per-pixel reference
// renderer; ORLO_WRITE_REFERENCE_PICTURES=1 writes them again (look at them before committing).
std::string ReferencePath(const std::string& name)
{
    return std::string(ORLO_SOURCE_DIR) + "/tests/framework/graphics/reference/" + name + ".png";
}

bool WritingReferences()
{
    const char* value = std::getenv("ORLO_WRITE_REFERENCE_PICTURES");
    return value && std::string(value) == "1";
}

void ExpectMatchesReference(const std::string& name, MemoryImage& drawn, int tolerance)
{
    std::vector<uint32_t> expected;
    int width = 0, height = 0;
    ASSERT_TRUE(PngFile::Read(ReferencePath(name), expected, width, height)) << ReferencePath(name);
    ASSERT_EQ(width, drawn.GetWidth());
    ASSERT_EQ(height, drawn.GetHeight());
    PixelComparison comparison(expected.data(), drawn.GetBits(), width, height, tolerance);
    if (!comparison.Matches())
        (void)PngFile::Write(name + "_drawn.png", drawn.GetBits(), width, height);
    EXPECT_TRUE(comparison.Matches()) << name << ": " << comparison.Describe() << " (drawn picture written to " << name
                                      << "_drawn.png)";
}

struct Sources
{
    Sources()
    {
        sprite = TestPictures::Sprite(40, 30);
        spriteImage.SetBits(sprite.data(), 40, 30, true);
        spriteCanvas = Canvas(40, 30);
        spriteCanvas.pixels = sprite;
        runs = TestPictures::Runs(50, 20, 17);
        runsImage.SetBits(runs.data(), 50, 20, true);
        runsCanvas = Canvas(50, 20);
        runsCanvas.pixels = runs;
    }
    std::vector<uint32_t> sprite, runs;
    MemoryImage spriteImage, runsImage;
    Canvas spriteCanvas, runsCanvas;
};

TEST(ReferencePictureTest, ThePrimitivesDrawTheScreenSceneOfTheReference)
{
    Sources s;
    const Rect clip(0, 0, 160, 120);
    const Rect whole(0, 0, 40, 30);
    Canvas reference(160, 120, 0xFF000000, ReferenceRenderer::Rule::Display);
    ReferenceRenderer::Fill(reference, clip, Color(40, 60, 90), 0);
    ReferenceRenderer::Fill(reference, Rect(10, 10, 60, 40), Color(250, 200, 50, 128), 0);
    ReferenceRenderer::Fill(reference, Rect(50, 80, 40, 30), Color(60, 0, 0), 1);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 20, 30, whole, Color::White, 0);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 70, 20, whole, Color(255, 120, 120, 200), 0);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 100, 60, whole, Color::White, 1);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 5, 75, whole, Color::White, 0, true);
    ReferenceRenderer::Blt(reference, s.runsCanvas, 105, 95, Rect(0, 0, 50, 20), Color::White, 0);
    ReferenceRenderer::Stretch(reference, s.spriteCanvas, Rect(60, 70, 70, 45), whole, clip, Color::White, 0, false);
    ReferenceRenderer::Stretch(reference, s.spriteCanvas, Rect(120, 5, 30, 20), whole, clip, Color::White, 0, true);
    ReferenceRenderer::Rotated(reference, s.spriteCanvas, 90, 30, whole, clip, Color::White, 0, 0.6, 20, 15);
    ReferenceRenderer::Line(reference, 2, 118, 157, 81, Color(255, 255, 255), 0);
    if (WritingReferences())
    {
        ASSERT_TRUE(PngFile::Write(ReferencePath("screen_scene"), reference.pixels.data(), 160, 120));
    }

    DDImage screen;
    screen.CreateScreen(160, 120);
    Graphics g(&screen);
    g.SetColor(Color(40, 60, 90));
    g.FillRect(clip);
    g.SetColor(Color(250, 200, 50, 128));
    g.FillRect(10, 10, 60, 40);
    g.SetColor(Color(60, 0, 0));
    g.SetDrawMode(DRAWMODE_ADDITIVE);
    g.FillRect(50, 80, 40, 30);
    g.DrawImage(&s.spriteImage, 100, 60);
    g.SetDrawMode(DRAWMODE_NORMAL);
    g.DrawImage(&s.spriteImage, 20, 30);
    g.SetColorizeImages(true);
    g.SetColor(Color(255, 120, 120, 200));
    g.DrawImage(&s.spriteImage, 70, 20);
    g.SetColorizeImages(false);
    g.DrawImageMirror(&s.spriteImage, 5, 75);
    g.DrawImage(&s.runsImage, 105, 95);
    g.DrawImage(&s.spriteImage, Rect(60, 70, 70, 45), whole);
    g.SetFastStretch(true);
    g.DrawImage(&s.spriteImage, 120, 5, 30, 20);
    g.DrawImageRotated(&s.spriteImage, 90, 30, 0.6);
    g.SetColor(Color(255, 255, 255));
    g.DrawLine(2, 118, 157, 81);
    ExpectMatchesReference("screen_scene", screen, 1);
}

TEST(ReferencePictureTest, ThePrimitivesDrawTheMemorySceneOfTheReference)
{
    Sources s;
    const Rect whole(0, 0, 40, 30);
    Canvas reference(120, 90, 0, ReferenceRenderer::Rule::Straight);
    ReferenceRenderer::Fill(reference, Rect(0, 0, 60, 90), Color(30, 140, 60), 0);
    ReferenceRenderer::Fill(reference, Rect(20, 20, 80, 50), Color(200, 30, 200, 128), 0);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 5, 5, whole, Color::White, 0);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 70, 10, whole, Color(100, 100, 255, 180), 0);
    ReferenceRenderer::Blt(reference, s.spriteCanvas, 40, 50, whole, Color(255, 255, 255), 1);
    ReferenceRenderer::Blt(reference, s.runsCanvas, 60, 65, Rect(0, 0, 50, 20), Color::White, 0, true);
    ReferenceRenderer::Stretch(reference, s.spriteCanvas, Rect(0, 60, 35, 28), whole, Rect(0, 0, 120, 90), Color::White,
                               0, true);
    ReferenceRenderer::Line(reference, 119, 0, 0, 87, Color(255, 255, 0, 200), 0);
    if (WritingReferences())
    {
        ASSERT_TRUE(PngFile::Write(ReferencePath("memory_scene"), reference.pixels.data(), 120, 90));
    }

    MemoryImage image;
    image.Create(120, 90);
    Graphics g(&image);
    g.SetColor(Color(30, 140, 60));
    g.FillRect(0, 0, 60, 90);
    g.SetColor(Color(200, 30, 200, 128));
    g.FillRect(20, 20, 80, 50);
    g.DrawImage(&s.spriteImage, 5, 5);
    g.SetColorizeImages(true);
    g.SetColor(Color(100, 100, 255, 180));
    g.DrawImage(&s.spriteImage, 70, 10);
    g.SetColorizeImages(false);
    g.SetDrawMode(DRAWMODE_ADDITIVE);
    g.DrawImage(&s.spriteImage, 40, 50);
    g.SetDrawMode(DRAWMODE_NORMAL);
    g.DrawImageMirror(&s.runsImage, 60, 65);
    g.SetFastStretch(true);
    g.DrawImage(&s.spriteImage, 0, 60, 35, 28);
    g.SetColor(Color(255, 255, 0, 200));
    g.DrawLine(119, 0, 0, 87);
    ExpectMatchesReference("memory_scene", image, 0);
}

// The sample frame is a regression picture of a whole publication screen (text, shapes, blits,
// a rotated and a triangle-mapped picture), drawn once by the primitives and checked by eye.
// Every run writes it as sample_frame.png into the test's working folder.
TEST(ReferencePictureTest, TheSampleFrameStaysAsItWasCheckedByEye)
{
    PublicationFrame frame;
    DDImage screen;
    screen.CreateScreen(PublicationFrame::Width, PublicationFrame::Height);
    Graphics g(&screen);
    frame.Paint(g, true);
    ASSERT_TRUE(PngFile::Write("sample_frame.png", screen.GetBits(), screen.GetWidth(), screen.GetHeight()));
    if (WritingReferences())
    {
        ASSERT_TRUE(
            PngFile::Write(ReferencePath("sample_frame"), screen.GetBits(), screen.GetWidth(), screen.GetHeight()));
    }
    ExpectMatchesReference("sample_frame", screen, 1);
}

TEST(ReferencePictureTest, PngPicturesRoundTripAndBadFilesFail)
{
    std::vector<uint32_t> pixels = TestPictures::Runs(13, 7, 2);
    ASSERT_TRUE(PngFile::Write("round_trip.png", pixels.data(), 13, 7));
    std::vector<uint32_t> back;
    int width = 0, height = 0;
    ASSERT_TRUE(PngFile::Read("round_trip.png", back, width, height));
    EXPECT_EQ(width, 13);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(back, pixels);
    EXPECT_FALSE(PngFile::Read("no_such_picture.png", back, width, height));
}

} // namespace
} // namespace Vesk
