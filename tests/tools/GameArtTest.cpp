// Checks the built pictures of the play interface (data/art/game): each exists at the size the
// screens are laid out for, and the pictures the game draws into or over keep their clear parts.
#include "support/PngFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

struct ExpectedPicture
{
    const char* name;
    int width;
    int height;
};

const ExpectedPicture kPictures[] = {
    {"post_1", 170, 122},      {"post_2", 170, 122},      {"post_3", 170, 122},      {"post_4", 170, 122},
    {"post_5", 170, 122},      {"post_6", 170, 122},      {"post_7", 170, 122},      {"post_8", 170, 122},
    {"post_back", 200, 122},   {"post_back_b", 80, 40},   {"post_back_bg", 100, 60}, {"post_back_bh", 80, 40},
    {"post_back_bp", 80, 40},  {"post_hint_b", 80, 40},   {"post_hint_bc", 80, 40},  {"post_hint_bg", 100, 60},
    {"post_hint_bh", 80, 40},  {"post_hint_bp", 80, 40},  {"sticker_1l", 90, 150},   {"sticker_1r", 90, 150},
    {"sticker_1rg", 110, 170}, {"sticker_2l", 90, 150},   {"sticker_2r", 90, 150},   {"sticker_2rg", 110, 170},
    {"sticker_3l", 90, 150},   {"sticker_3r", 90, 150},   {"sticker_3rg", 110, 170}, {"icon_gl", 40, 40},
    {"icon_gr", 40, 40},       {"icon_gr_x", 40, 40},     {"icon_ml", 40, 40},       {"icon_mr", 40, 40},
    {"icon_mr_x", 40, 40},     {"effect", 768, 96},       {"finger", 48, 48},        {"glass", 120, 120},
    {"glass8", 120, 120},      {"glass8_handle", 70, 70}, {"glass_btn", 24, 24},     {"mg3_pb", 70, 40},
    {"mg3_pbn", 70, 40},       {"mg4_no", 48, 48},        {"mg4_rb", 70, 40},        {"mg4_rbn", 70, 40},
    {"mg4_sb", 70, 40},        {"mg4_sbn", 70, 40},       {"mg4_yes", 48, 48},       {"mg5_scanner_light", 120, 24},
    {"mg6_outline", 384, 64},  {"mg9_light", 24, 20},     {"mglast_larr", 32, 32},   {"mglast_larrd", 32, 32},
    {"mglast_note", 200, 420}, {"mglast_pages", 240, 16}, {"mglast_rarr", 32, 32},   {"mglast_rarrd", 32, 32},
    {"mms", 160, 60},          {"mms_s", 160, 60},        {"pencil", 60, 60},        {"sms", 160, 60},
    {"sms_s", 160, 60},        {"try", 240, 40},
};

struct Picture
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    [[nodiscard]] int Alpha(int x, int y) const
    {
        return static_cast<int>(pixels[static_cast<size_t>(y) * width + x] >> 24);
    }
};

std::string PicturePath(const std::string& name)
{
    return (std::filesystem::path(ORLO_BUILT_DATA_DIR) / "images" / "interface" / (name + ".png")).string();
}

bool Load(const std::string& name, Picture& picture)
{
    return TestSupport::PngFile::Read(PicturePath(name), picture.pixels, picture.width, picture.height);
}

TEST(GameArtTest, EveryPictureIsBuiltAtItsLaidOutSize)
{
    for (const ExpectedPicture& expected : kPictures)
    {
        Picture picture;
        ASSERT_TRUE(Load(expected.name, picture)) << "build the data target first: " << PicturePath(expected.name);
        EXPECT_EQ(picture.width, expected.width) << expected.name;
        EXPECT_EQ(picture.height, expected.height) << expected.name;
    }
}

// The game draws the enlarged view into the 90 x 90 window at (15, 15) and lays the glass over
// it: only the rounded corners of the frame and a faint shadow of the rim may fall into the
// window, so the view shows through; the rim around it is solid.
TEST(GameArtTest, GlassWindowsStayClearInsideASolidRim)
{
    for (const char* name : {"glass", "glass8"})
    {
        Picture glass;
        ASSERT_TRUE(Load(name, glass)) << PicturePath(name);
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
    Picture bar;
    ASSERT_TRUE(Load("post_hint_b", bar)) << PicturePath("post_hint_b");
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
        Picture picture;
        ASSERT_TRUE(Load(strip.name, picture)) << PicturePath(strip.name);
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
