// Checks the built faces of the playable pages and the contents pictures: their sizes are the
// ones the publication screen lays out, the margin below a face is see-through (the sticker
// tabs show there), and a closed page's contents picture is the faded copy of the open one.
#include "support/BuiltPicture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

constexpr int kFaceWidth = 767;
constexpr int kFaceHeight = 588;
constexpr int kPageHeight = 532;
constexpr int kContentsWidth = 36;
constexpr int kContentsHeight = 48;

using TestSupport::BuiltPicture;

BuiltPicture ReadBuilt(const std::string& relative)
{
    BuiltPicture picture;
    EXPECT_TRUE(picture.Load(relative)) << "build the data target first: " << BuiltPicture::PathOf(relative);
    return picture;
}

int Alpha(uint32_t pixel)
{
    return static_cast<int>(pixel >> 24);
}

// The sum of the channel differences of two pixels.
int Distance(uint32_t a, uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum;
}

std::string TwoDigits(int n)
{
    std::string text = std::to_string(n);
    if (text.size() < 2)
        text.insert(text.begin(), '0');
    return text;
}

TEST(PageArtTest, FacesCoverThePageAndLeaveTheMarginBelowClear)
{
    for (int page = 3; page <= 18; ++page)
    {
        SCOPED_TRACE("page " + std::to_string(page));
        const BuiltPicture face = ReadBuilt("images/pages/page" + TwoDigits(page) + ".png");
        ASSERT_EQ(face.width, kFaceWidth);
        ASSERT_EQ(face.height, kFaceHeight);
        for (int x = 0; x < kFaceWidth; x += 7)
        {
            EXPECT_EQ(Alpha(face.At(x, 10)), 255) << "x " << x;
            EXPECT_EQ(Alpha(face.At(x, kPageHeight / 2)), 255) << "x " << x;
            EXPECT_EQ(Alpha(face.At(x, kPageHeight - 1)), 255) << "x " << x;
            EXPECT_EQ(Alpha(face.At(x, kFaceHeight - 1)), 0) << "x " << x;
        }
    }
}

TEST(PageArtTest, ContentsPicturesFitBesideTheirEntriesAndFadeWhenClosed)
{
    for (int page = 3; page <= 17; ++page)
    {
        SCOPED_TRACE("page " + std::to_string(page));
        const BuiltPicture open = ReadBuilt("images/contents/" + std::to_string(page) + "_on.png");
        const BuiltPicture closed = ReadBuilt("images/contents/" + std::to_string(page) + "_off.png");
        ASSERT_EQ(open.width, kContentsWidth);
        ASSERT_EQ(open.height, kContentsHeight);
        ASSERT_EQ(closed.width, kContentsWidth);
        ASSERT_EQ(closed.height, kContentsHeight);

        // The stamp's perforated corner is see-through, its middle is the picture.
        EXPECT_EQ(Alpha(open.At(0, 0)), 0);
        EXPECT_GT(Alpha(open.At(kContentsWidth / 2, kContentsHeight / 2)), 200);
        EXPECT_GT(Alpha(closed.At(kContentsWidth / 2, kContentsHeight / 2)), 200);

        // Closed: every visible pixel is a warm grey (red >= green >= blue); open: in colour,
        // so somewhere the two differ clearly.
        int warmGrey = 0;
        int visible = 0;
        int changed = 0;
        for (size_t i = 0; i < open.pixels.size(); ++i)
        {
            const uint32_t pixel = closed.pixels[i];
            if (Alpha(pixel) < 128)
                continue;
            ++visible;
            const int r = (pixel >> 16) & 0xFF;
            const int g = (pixel >> 8) & 0xFF;
            const int b = pixel & 0xFF;
            if (r + 2 >= g && g + 2 >= b)
                ++warmGrey;
            if (Distance(open.pixels[i], pixel) > 60)
                ++changed;
        }
        EXPECT_EQ(warmGrey, visible);
        EXPECT_GT(changed, visible / 10);
    }
}

} // namespace
} // namespace Vesk
