#include "publication/PageCurl.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/PixelComparison.h"
#include "support/PngFile.h"
#include "support/ScopedCpuLevel.h"
#include "support/TestOutput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Vesk;
using namespace Vesk::TestSupport;

namespace
{

const Rect PageRect(16, 6, 767, 588);
constexpr double Curv = 0.35;
constexpr double Prop = 0.25;

double Distance3(const PageCurl::Landing& a, const PageCurl::Landing& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// The length of the sheet's straight line from (x0, y0) to (x1, y1) once bent, in 3D.
double BentLength(const PageCurl& curl, double x0, double y0, double x1, double y1)
{
    constexpr int Steps = 400;
    double length = 0;
    PageCurl::Landing last = curl.Land(x0, y0);
    for (int i = 1; i <= Steps; ++i)
    {
        double t = double(i) / Steps;
        PageCurl::Landing next = curl.Land(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t);
        length += Distance3(last, next);
        last = next;
    }
    return length;
}

// Cream paper with lines of dark "text", a coloured picture and a frame, so that a person can
// see how the sheet bends.
std::vector<uint32_t> JournalFace(int width, int height, uint32_t ink, uint32_t picture)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint32_t grain = uint32_t((x * 7 + y * 13) % 9);
            uint32_t c = 0xFF000000 | ((236 - grain) << 16) | ((226 - grain) << 8) | (200 - grain);
            bool frame = (x > 30 && x < 34) || (x > width - 34 && x < width - 30) || (y > 30 && y < 34) ||
                         (y > height - 90 && y < height - 86);
            bool text = y > 60 && y < 330 && (y - 60) % 22 < 8 && x > 60 && x < width - 60 && (x / 9 + y / 22) % 7 != 0;
            bool art = x > 80 && x < 420 && y > 350 && y < height - 110;
            if (frame || text)
                c = ink;
            else if (art)
                c = picture ^ uint32_t(((x / 24 + y / 24) % 2) * 0x00202020);
            pixels[size_t(y) * size_t(width) + size_t(x)] = c;
        }
    return pixels;
}

MemoryImage Solid(uint32_t color)
{
    std::vector<uint32_t> pixels(size_t(PageRect.width) * size_t(PageRect.height), color);
    MemoryImage image;
    image.SetBits(pixels.data(), PageRect.width, PageRect.height, true);
    return image;
}

} // namespace

TEST(PageCurlTest, TheBentSheetKeepsItsShapeAndFollowsTheCorner)
{
    for (bool backward : {false, true})
    {
        SCOPED_TRACE(backward ? "backward" : "forward");
        PageCurl curl;
        // At rest every point stays where it lies.
        curl.BendAtProgress(PageRect, 0, 90, backward, Curv, Prop);
        EXPECT_TRUE(curl.IsFlat());
        for (double x : {16.0, 300.5, 782.0})
            for (double y : {6.0, 250.25, 593.0})
            {
                PageCurl::Landing at = curl.Land(x, y);
                EXPECT_NEAR(at.x, x, 1e-9);
                EXPECT_NEAR(at.y, y, 1e-9);
                EXPECT_EQ(at.z, 0);
            }

        // Held anywhere within reach, the corner lands under the pointer and the sheet is neither
        // stretched nor shrunk: its edges and diagonal keep their lengths.
        const double pointers[][2] = {{700, 560}, {520, 470}, {380, 540}, {200, 420}, {60, 585}, {-300, 500}};
        for (const auto& pointer : pointers)
        {
            double px = backward ? 2 * PageRect.x + PageRect.width - pointer[0] : pointer[0];
            curl.Bend(PageRect, px, pointer[1], backward, Curv, Prop);
            SCOPED_TRACE(pointer[0]);
            PageCurl::Landing corner = curl.GrabbedCorner();
            EXPECT_NEAR(corner.x, px, 0.5);
            EXPECT_NEAR(corner.y, pointer[1], 0.5);
            double left = 16, right = 783, top = 6, bottom = 594;
            EXPECT_NEAR(BentLength(curl, left, bottom, right, bottom), 767, 767 * 0.005);
            EXPECT_NEAR(BentLength(curl, left, top, right, top), 767, 767 * 0.005);
            double grabbedEdge = backward ? left : right;
            EXPECT_NEAR(BentLength(curl, grabbedEdge, top, grabbedEdge, bottom), 588, 588 * 0.005);
            EXPECT_NEAR(BentLength(curl, left, top, right, bottom), std::hypot(767, 588), 6);
        }

        // A corner pulled too far comes no farther than the sheet reaches from its fixed edge.
        curl.Bend(PageRect, backward ? 2000 : -1500, 900, backward, Curv, Prop);
        PageCurl::Landing far = curl.GrabbedCorner();
        double fixedX = backward ? PageRect.x + PageRect.width : PageRect.x;
        EXPECT_LE(std::hypot(far.x - fixedX, far.y - 594), 767 + 0.5);

        // A pointer that is no number leaves the sheet flat, and so does an empty page.
        curl.Bend(PageRect, std::nan(""), 500, backward, Curv, Prop);
        EXPECT_TRUE(curl.IsFlat());
        curl.BendAtProgress(Rect(16, 6, 0, 588), 0.5, 90, backward, Curv, Prop);
        EXPECT_TRUE(curl.IsFlat());

        // Turned over, the sheet lies flat, mirrored over its fixed edge.
        curl.BendAtProgress(PageRect, 1, 90, backward, Curv, Prop);
        for (double x : {20.0, 400.0, 780.0})
            for (double y : {10.0, 300.0, 590.0})
            {
                PageCurl::Landing at = curl.Land(x, y);
                EXPECT_NEAR(at.x, 2 * fixedX - x, 1.0);
                EXPECT_NEAR(at.y, y, 1.0);
                EXPECT_NEAR(at.z, 0, 1.0);
            }

        // Through a whole turn with the corner lifted, no part of the mesh leaves the band of
        // the page and its mirror (the curl leans a pixel or two past the bottom edge, towards the
        // apex), nor rises far above the top.
        MemoryImage face = Solid(0xFFFFFFFF);
        DDImage screen;
        screen.CreateScreen(800, 600);
        for (int step = 0; step <= 20; ++step)
            for (double lift : {0.0, 45.0, 90.0})
            {
                curl.BendAtProgress(PageRect, step / 20.0, lift, backward, Curv, Prop);
                Graphics g(&screen);
                curl.Draw(g, &face, &face, &face);
                for (const TriVertex& v : curl.MeshTriangles())
                {
                    ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
                    EXPECT_GE(v.x, PageRect.x - PageRect.width - 1);
                    EXPECT_LE(v.x, PageRect.x + 2 * PageRect.width + 1);
                    EXPECT_GE(v.y, PageRect.y - lift - 150);
                    EXPECT_LE(v.y, PageRect.y + PageRect.height + 4);
                }
            }
    }
}

TEST(PageCurlTest, AMidTurnFrameShowsTheFaceBeneathTheBackAndTheShadow)
{
    const uint32_t frontColor = 0xFFE00000, backColor = 0xFF00C000, underColor = 0xFF0000E0;
    MemoryImage front = Solid(frontColor), back = Solid(backColor), under = Solid(underColor);
    DDImage screen;
    screen.CreateScreen(800, 600);
    PageCurl curl;
    curl.Bend(PageRect, 420, 520, false, Curv, Prop);
    {
        Graphics g(&screen);
        g.SetColor(Color(0, 0, 0, 255));
        g.FillRect(0, 0, 800, 600);
        curl.Draw(g, &front, &back, &under);
    }
    const uint32_t* bits = screen.GetBits();
    auto at = [&](int x, int y) { return bits[y * 800 + x]; };
    auto red = [](uint32_t c) { return int((c >> 16) & 0xFF); };
    auto green = [](uint32_t c) { return int((c >> 8) & 0xFF); };
    auto blue = [](uint32_t c) { return int(c & 0xFF); };

    // The corner the sheet left uncovers the face beneath, untouched.
    EXPECT_EQ(at(780, 590) & 0xFFFFFF, underColor & 0xFFFFFF);
    // The flat part at the fixed edge is the front face.
    EXPECT_EQ(at(20, 10) & 0xFFFFFF, frontColor & 0xFFFFFF);

    // Just inside the landed corner the back lies on top: mostly its colour, a little of the
    // front showing through the paper.
    PageCurl::Landing corner = curl.GrabbedCorner();
    PageCurl::Landing inside = curl.Land(783 - 12, 594 - 12);
    ASSERT_TRUE(inside.back);
    uint32_t backPixel = at(int(inside.x), int(inside.y));
    EXPECT_GT(green(backPixel), 150);
    EXPECT_GT(red(backPixel), 0);
    EXPECT_LT(red(backPixel), 40);
    EXPECT_NEAR(corner.x, 420, 0.5);

    // A mark on the back of the sheet near its corner, laid where the back face reads the right
    // way once turned (mirrored from the front), lands on the point under it.
    std::vector<uint32_t> marks(size_t(PageRect.width) * size_t(PageRect.height), 0);
    for (int y = 570; y < 583; ++y)
        for (int x = 6; x < 19; ++x)
            marks[size_t(y) * size_t(PageRect.width) + size_t(x)] = 0xFFFFFF00;
    MemoryImage backMarks;
    backMarks.SetBits(marks.data(), PageRect.width, PageRect.height, true);
    {
        Graphics g(&screen);
        curl.DrawOnSheet(g, nullptr, &backMarks);
    }
    uint32_t marked = at(int(inside.x), int(inside.y));
    EXPECT_GT(red(marked), 150);
    EXPECT_GT(green(marked), 150);

    // Along the bottom row, walking from the uncovered corner towards the curl, the face beneath
    // darkens in the curl's shadow before the sheet itself begins.
    int darkest = 255;
    for (int x = 780; x > 20; --x)
    {
        uint32_t c = at(x, 585);
        if (red(c) != 0 || green(c) != 0)
            break;
        darkest = std::min(darkest, blue(c));
    }
    EXPECT_LT(darkest, blue(underColor) * 8 / 10);
}

// The sheet's slices are drawn as whole polygons by the vector samplers, tinted as they are
// sampled: the plain loops must give the same frame.
TEST(PageCurlTest, ATurnIsDrawnAlikeAtEveryKernelLevel)
{
    std::vector<uint32_t> a = JournalFace(767, 588, 0xFF3A2A20, 0xFF4A7AA0);
    std::vector<uint32_t> b = JournalFace(767, 588, 0xFF20303A, 0xFFA06A3A);
    MemoryImage front, back;
    front.SetBits(a.data(), 767, 588, true);
    back.SetBits(b.data(), 767, 588, true);
    MemoryImage under = Solid(0xFF5A7050);
    PageCurl curl;
    for (bool backward : {false, true})
        for (double progress : {0.15, 0.45, 0.75})
        {
            std::vector<uint32_t> first;
            for (CpuFeatures::Level level : ScopedCpuLevel::All())
            {
                ScopedCpuLevel scoped(level);
                DDImage screen;
                screen.CreateScreen(800, 600);
                {
                    Graphics g(&screen);
                    curl.BendAtProgress(PageRect, progress, 90, backward, Curv, Prop);
                    curl.Draw(g, &front, &back, &under);
                }
                std::vector<uint32_t> frame(screen.GetBits(), screen.GetBits() + 800 * 600);
                if (first.empty())
                {
                    first = frame;
                    continue;
                }
                PixelComparison comparison(first, frame, 800, 600);
                EXPECT_TRUE(comparison.Matches()) << (backward ? "backward " : "forward ") << progress << " "
                                                  << ScopedCpuLevel::Name(level) << ": " << comparison.Describe();
            }
        }
}

TEST(PageCurlTest, MidTurnPictureForAPerson)
{
    std::vector<uint32_t> desk(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            desk[size_t(y * 800 + x)] =
                0xFF000000 | uint32_t(90 + (x * 3 + y) % 17) << 16 | uint32_t(58 + (x + y * 5) % 11) << 8 | 36u;
    MemoryImage deskImage;
    deskImage.SetBits(desk.data(), 800, 600, true);
    std::vector<uint32_t> a = JournalFace(767, 588, 0xFF3A2A20, 0xFF4A7AA0);
    std::vector<uint32_t> b = JournalFace(767, 588, 0xFF20303A, 0xFFA06A3A);
    std::vector<uint32_t> c = JournalFace(767, 588, 0xFF402030, 0xFF5A9A50);
    MemoryImage front, back, under;
    front.SetBits(a.data(), 767, 588, true);
    back.SetBits(b.data(), 767, 588, true);
    under.SetBits(c.data(), 767, 588, true);
    DDImage screen;
    screen.CreateScreen(800, 600);
    PageCurl curl;
    const double poses[][3] = {{0.18, 60, 0}, {0.45, 90, 0}, {0.3, 90, 1}};
    const char* names[] = {"page-curl-early.png", "page-curl.png", "page-curl-backward.png"};
    for (int i = 0; i < 3; ++i)
    {
        curl.BendAtProgress(PageRect, poses[i][0], poses[i][1], poses[i][2] != 0, Curv, Prop);
        {
            Graphics g(&screen);
            g.DrawImage(&deskImage, 0, 0);
            curl.Draw(g, &front, &back, &under);
        }
        std::vector<uint32_t> pixels(screen.GetBits(), screen.GetBits() + 800 * 600);
        for (uint32_t& p : pixels)
            p |= 0xFF000000;
        EXPECT_TRUE(PngFile::Write(TestOutput::Path(names[i]), pixels.data(), 800, 600));
    }
}
