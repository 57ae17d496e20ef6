#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/PixelComparison.h"
#include "support/PngFile.h"
#include "support/PublicationFrame.h"
#include "support/ReferenceRenderer.h"
#include "support/TempFolder.h"
#include "support/TestOutput.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace Vesk
{
namespace
{

using namespace TestSupport;
using Canvas = ReferenceRenderer::Canvas;

// The reference pictures live beside this test: the reference renderer's scenes, looked at when
// they were made. They pin the reference renderer itself; the framework's drawing is compared
// with the reference renderer's picture of the same scene.
std::string ReferencePath(const std::string& name)
{
    return std::string(ORLO_SOURCE_DIR) + "/tests/framework/graphics/reference/" + name + ".png";
}

// Compares the drawn picture with the reference renderer's; on a difference both are written
// under the build folder to be looked at.
void ExpectMatchesCanvas(const std::string& name, const Canvas& expected, MemoryImage& drawn, int tolerance)
{
    ASSERT_EQ(expected.width, drawn.GetWidth());
    ASSERT_EQ(expected.height, drawn.GetHeight());
    PixelComparison comparison(expected.pixels.data(), drawn.GetBits(), expected.width, expected.height, tolerance);
    if (comparison.Matches())
        return;
    const std::string drawnPath = TestOutput::Path(name + "_drawn.png");
    const std::string expectedPath = TestOutput::Path(name + "_expected.png");
    (void)PngFile::Write(drawnPath, drawn.GetBits(), expected.width, expected.height);
    (void)PngFile::Write(expectedPath, expected.pixels.data(), expected.width, expected.height);
    ADD_FAILURE() << name << ": " << comparison.Describe() << " (written: " << drawnPath << ", " << expectedPath << ")";
}

// The reference renderer still draws the scene as it did when its picture was looked at. After
// a deliberate change to it, look at the picture it writes and copy that over the old one.
void ExpectReferencePictureUnchanged(const std::string& name, const Canvas& reference)
{
    std::vector<uint32_t> stored;
    int width = 0, height = 0;
    ASSERT_TRUE(PngFile::Read(ReferencePath(name), stored, width, height)) << ReferencePath(name);
    ASSERT_EQ(width, reference.width);
    ASSERT_EQ(height, reference.height);
    if (stored == reference.pixels)
        return;
    const std::string path = TestOutput::Path(name + ".png");
    (void)PngFile::Write(path, reference.pixels.data(), width, height);
    ADD_FAILURE() << "the reference renderer draws " << name << " differently from " << ReferencePath(name)
                  << " (its picture now: " << path << ")";
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
    ExpectReferencePictureUnchanged("screen_scene", reference);

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
    ExpectMatchesCanvas("screen_scene", reference, screen, 1);
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
    ExpectReferencePictureUnchanged("memory_scene", reference);

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
    ExpectMatchesCanvas("memory_scene", reference, image, 0);
}

// Whether every channel of two pixels differs by at most tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

// Counts the pixels of an area that are neither what lies below (the reference) nor one of the
// given text colours exactly, and the pixels of each colour.
struct TextCheck
{
    int strays = 0;
    std::vector<int> counts;
};

TextCheck CheckText(DDImage& screen, const Canvas& reference, const Rect& area, const std::vector<uint32_t>& colours)
{
    TextCheck check;
    check.counts.assign(colours.size(), 0);
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
        {
            const uint32_t pixel = screen.GetBits()[y * screen.GetWidth() + x];
            bool known = Near(pixel, reference.At(x, y), 1);
            for (size_t i = 0; i < colours.size(); ++i)
            {
                if (pixel == colours[i])
                {
                    ++check.counts[i];
                    known = true;
                }
            }
            check.strays += known ? 0 : 1;
        }
    return check;
}

// The publication frame, at rest and with its extras, is the reference renderer's picture of it
// wherever the reference renderer has a model (desk, shadows, page, pictures, the rotated picture,
// the additive square). What it has no model of is checked by hand: text pixels are the text
// colours exactly and the red words stand where they were written; the star's arm is its colour
// composited at alpha 160 over what lies below; the frame is solid; the page corner shows the page.
TEST(ReferencePictureTest, ThePublicationFrameIsTheReferenceRenderersFrame)
{
    PublicationFrame frame;
    const std::vector<uint32_t> page = TestPictures::Page(767, 588, 5);
    // The heading: FakeFont at scale 2 (ascent 10, 8 pixels a character), baseline 40.
    const Rect heading(60, 30, 62 * 8, 10);
    const Rect corner(700, 520, 84, 75);
    const Rect star(70, 470, 101, 91);
    const Rect framedLine(300, 470, 121, 81);
    const Rect wrapped(560, 68, 200, 56);
    for (bool extras : {false, true})
    {
        SCOPED_TRACE(extras ? "with extras" : "at rest");
        DDImage screen;
        screen.CreateScreen(PublicationFrame::Width, PublicationFrame::Height);
        Graphics g(&screen);
        frame.Paint(g, extras);
        const Canvas reference = frame.PaintReference(extras);
        auto pixel = [&](int x, int y) { return screen.GetBits()[y * screen.GetWidth() + x]; };

        std::vector<Rect> byHand = {heading};
        if (extras)
            byHand.insert(byHand.end(), {corner, star, framedLine, wrapped});
        int differing = 0;
        std::string first;
        for (int y = 0; y < PublicationFrame::Height; ++y)
            for (int x = 0; x < PublicationFrame::Width; ++x)
            {
                bool checkedByHand = false;
                for (const Rect& area : byHand)
                    checkedByHand = checkedByHand || area.Contains(x, y);
                if (checkedByHand || Near(pixel(x, y), reference.At(x, y), 1))
                    continue;
                if (differing++ == 0)
                    first = std::to_string(x) + ", " + std::to_string(y);
            }
        EXPECT_EQ(differing, 0) << "first at " << first;

        // "SALT MARSHES" follows the 32 characters "VELLINOR: A JOURNEY THROUGH THE ".
        const std::vector<uint32_t> textColours = {0xFF3C281Eu, 0xFFA02020u};
        const TextCheck text = CheckText(screen, reference, heading, textColours);
        EXPECT_EQ(text.strays, 0);
        EXPECT_GT(text.counts[0], 200);
        const Rect redWords(60 + 32 * 8, 30, 12 * 8, 10);
        EXPECT_EQ(CheckText(screen, reference, redWords, textColours).counts[0], 0);
        EXPECT_EQ(CheckText(screen, reference, redWords, textColours).counts[1], text.counts[1]);
        EXPECT_GT(text.counts[1], 50);
        if (!extras)
            continue;

        // The turned corner: (702, 522) samples the page near texel (655, 474).
        bool fromThePage = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                fromThePage = fromThePage || pixel(702, 522) == page[size_t((474 + dy) * 767 + 655 + dx)];
        EXPECT_TRUE(fromThePage) << std::hex << pixel(702, 522);

        // Inside the star's top arm: (30, 90, 160) at alpha 160 over what lies below.
        const uint32_t below = reference.At(120, 480);
        const auto over = [&](int colour, int shift)
        { return (colour * 160 + int((below >> shift) & 0xFF) * 95) / 255; };
        const uint32_t armColour =
            0xFF000000u | uint32_t(over(30, 16)) << 16 | uint32_t(over(90, 8)) << 8 | uint32_t(over(160, 0));
        EXPECT_TRUE(Near(pixel(120, 480), armColour, 2)) << std::hex << pixel(120, 480) << " " << armColour;

        // The red frame is solid; its diagonal runs through (360, 510).
        EXPECT_EQ(pixel(300, 520), 0xFFC81E1Eu);
        EXPECT_EQ(pixel(360, 470), 0xFFC81E1Eu);
        EXPECT_TRUE(Near(pixel(360, 510), 0xFFC81E1Eu, 40)) << std::hex << pixel(360, 510);

        const TextCheck lines = CheckText(screen, reference, wrapped, {0xFF141414u});
        EXPECT_EQ(lines.strays, 0);
        EXPECT_GT(lines.counts[0], 300);
    }
}

TEST(ReferencePictureTest, PngPicturesRoundTripAndBadFilesFail)
{
    TempFolder folder;
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
