// Checks the built pictures of the play interface (data/art/game): each exists at the size the
// screens are laid out for, and the pictures the game draws into or over keep their clear parts.
#include "support/BuiltPicture.h"
#include "support/BuiltPictureSizes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;

std::string PicturePath(const std::string& name)
{
    return "images/interface/" + name + ".png";
}

TEST(GameArtTest, EveryPictureIsBuiltAtItsLaidOutSize)
{
    for (const TestSupport::BuiltPictureSizes::Entry& entry : TestSupport::BuiltPictureSizes::Group("game"))
    {
        BuiltPicture picture;
        ASSERT_TRUE(picture.Load(entry.path)) << "build the data target first: " << entry.path;
        EXPECT_EQ(picture.width, entry.width) << entry.path;
        EXPECT_EQ(picture.height, entry.height) << entry.path;
    }
}

// The game draws the enlarged view into the 90 x 90 window at (15, 15) and lays the glass over
// it: only the rounded corners of the frame and a faint shadow of the rim may fall into the
// window, so the view shows through; the rim around it is solid.
TEST(GameArtTest, GlassWindowsStayClearInsideASolidRim)
{
    for (const char* name : {"glass", "glass8"})
    {
        BuiltPicture glass;
        ASSERT_TRUE(glass.Load(PicturePath(name))) << PicturePath(name);
        ASSERT_EQ(glass.width, 120);
        int covered = 0;
        for (int y = 20; y < 100; ++y)
        {
            for (int x = 20; x < 100; ++x)
            {
                if (glass.Alpha(x, y) > 40)
                    ++covered;
            }
        }
        EXPECT_EQ(covered, 0) << name << ": the window is drawn over";
        EXPECT_LT(glass.Alpha(60, 60), 8) << name;
        EXPECT_EQ(glass.Alpha(9, 60), 255) << name << ": left rim";
        EXPECT_EQ(glass.Alpha(60, 111), 255) << name << ": lower rim";
    }
}

// The charge bar is drawn from the hint button's left edge, at most the button's width less
// ISpy/hbdx (10) wide: all of it must lie in that span, so a full charge shows the whole bar.
TEST(GameArtTest, HintChargeBarFitsTheChargedSpan)
{
    BuiltPicture bar;
    ASSERT_TRUE(bar.Load(PicturePath("post_hint_b"))) << PicturePath("post_hint_b");
    ASSERT_EQ(bar.width, 80);
    int inside = 0;
    for (int y = 0; y < bar.height; ++y)
    {
        for (int x = 0; x < bar.width; ++x)
        {
            if (x >= 70)
                EXPECT_EQ(bar.Alpha(x, y), 0) << "column " << x << " row " << y;
            else if (bar.Alpha(x, y) > 128)
                ++inside;
        }
    }
    EXPECT_GT(inside, 100);
}

// Cel strips: each cel of the find effect, the outline, the tries counter and the page
// indicator draws something, and no two neighbouring cels are the same picture.
TEST(GameArtTest, AnimationCelsAreDistinct)
{
    const struct
    {
        const char* name;
        int cels;
    } strips[] = {{"effect", 8}, {"mg6_outline", 6}, {"try", 6}, {"mglast_pages", 4}};
    for (const auto& strip : strips)
    {
        BuiltPicture picture;
        ASSERT_TRUE(picture.Load(PicturePath(strip.name))) << PicturePath(strip.name);
        ASSERT_EQ(picture.width % strip.cels, 0) << strip.name;
        const int celWidth = picture.width / strip.cels;
        for (int cel = 0; cel < strip.cels; ++cel)
        {
            bool drawn = false;
            bool differs = cel == 0;
            for (int y = 0; y < picture.height; ++y)
            {
                for (int x = 0; x < celWidth; ++x)
                {
                    const size_t here = static_cast<size_t>(y) * picture.width + cel * celWidth + x;
                    drawn = drawn || (picture.pixels[here] >> 24) != 0;
                    if (cel > 0)
                        differs = differs || picture.pixels[here] != picture.pixels[here - celWidth];
                }
            }
            EXPECT_TRUE(drawn) << strip.name << " cel " << cel;
            EXPECT_TRUE(differs) << strip.name << " cel " << cel << " repeats the cel before it";
        }
    }
}

} // namespace
} // namespace Vesk
