#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ImageData.h"

#include <gtest/gtest.h>

namespace Vesk
{

namespace
{

// Glyphs: 'A' a solid 4 x 6 block at (0, 0), 'V' a solid 3 x 6 block at (4, 0).
std::shared_ptr<FontData> BlockFont(const std::string& extra = "")
{
    auto data = std::make_shared<FontData>();
    data->imageLoader = [](const std::string&)
    {
        auto picture = std::make_shared<ImageData>(8, 6);
        picture->pixels.assign(picture->pixels.size(), 0xFFFFFFFF);
        return picture;
    };
    EXPECT_TRUE(data->LoadFromText(nullptr, "blocks.txt",
                                   "CreateLayer Main; LayerSetImage Main 'blocks.png'; LayerSetAscent Main 6;"
                                   "LayerSetImageMap Main ('A' 'V') ((0 0 4 6) (4 0 3 6));"
                                   "LayerSetCharWidths Main ('A' 'V') (5 4); LayerSetKerningPairs Main ('AV') (-1);" +
                                       extra))
        << data->errorReport;
    return data;
}

std::vector<uint32_t> Canvas(MemoryImage& image, int width, int height)
{
    std::vector<uint32_t> black(size_t(width) * size_t(height), 0xFF000000);
    image.SetBits(black.data(), width, height, true);
    return black;
}

uint32_t Pixel(MemoryImage& image, int x, int y)
{
    return image.GetBits()[y * image.GetWidth() + x];
}

} // namespace

TEST(FontDrawingTest, ImageFontGlyphsAreDrawnInTheColourAboveTheirShadows)
{
    ImageFont font(BlockFont("CreateLayerFrom Shadow Main; LayerSetOffset Shadow (1 1); LayerSetBaseOrder Shadow -1;"
                             "LayerSetColorMult Shadow 0xFF000000; LayerSetColorAdd Shadow 0x000000FF;"));
    MemoryImage canvas;
    Canvas(canvas, 20, 12);
    Graphics graphics(&canvas);
    graphics.SetColor(Color(1, 2, 3, 255));

    std::vector<Rect> rects;
    int width = -1;
    font.DrawStringEx(&graphics, 2, 8, "AV", Color(255, 0, 0), graphics.GetClipRect(), &rects, &width);
    EXPECT_EQ(width, 5 - 1 + 4);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0], Rect(2, 2, 4, 6));
    EXPECT_EQ(rects[2], Rect(6, 2, 3, 6));

    EXPECT_EQ(Pixel(canvas, 2, 2), 0xFFFF0000u);  // A, red
    EXPECT_EQ(Pixel(canvas, 8, 7), 0xFFFF0000u);  // V, red, above A's shadow
    EXPECT_EQ(Pixel(canvas, 9, 8), 0xFF0000FFu);  // V's shadow, one right and down
    EXPECT_EQ(Pixel(canvas, 10, 3), 0xFF000000u); // untouched
    EXPECT_EQ(Pixel(canvas, 1, 2), 0xFF000000u);
    // The drawing context comes back as it was.
    EXPECT_EQ(graphics.GetColor(), Color(1, 2, 3, 255));
    EXPECT_FALSE(graphics.GetColorizeImages());
    EXPECT_EQ(graphics.GetDrawMode(), 0);

    // The empty string draws nothing and is 0 wide.
    MemoryImage untouched;
    const std::vector<uint32_t> before = Canvas(untouched, 20, 12);
    Graphics other(&untouched);
    font.DrawStringEx(&other, 2, 8, "", Color(255, 0, 0), other.GetClipRect(), &rects, &width);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(rects.empty());
    EXPECT_EQ(std::vector<uint32_t>(untouched.GetBits(), untouched.GetBits() + before.size()), before);
}

TEST(FontDrawingTest, ImageFontDrawsThroughTheGraphicsClipAndDrawModes)
{
    ImageFont font(BlockFont("LayerSetDrawMode Main 1;"));
    MemoryImage canvas;
    std::vector<uint32_t> grey(20 * 12, 0xFF404040);
    canvas.SetBits(grey.data(), 20, 12, true);
    Graphics graphics(&canvas);
    graphics.ClipRect(0, 0, 4, 12);
    font.DrawString(&graphics, 2, 8, "A", Color(0x20, 0x20, 0x20), graphics.GetClipRect());
    EXPECT_EQ(Pixel(canvas, 3, 4), 0xFF606060u); // added, not painted over
    EXPECT_EQ(Pixel(canvas, 4, 4), 0xFF404040u); // clipped
    EXPECT_EQ(graphics.GetDrawMode(), 0);
}

TEST(FontDrawingTest, SystemFontTextLandsBelowTheAscentInItsColour)
{
    SysFont font("DejaVu Sans", 16);
    ASSERT_TRUE(font.IsLoaded());
    MemoryImage canvas;
    Canvas(canvas, 80, 40);
    Graphics graphics(&canvas);
    const int baseline = 30;
    font.DrawString(&graphics, 5, baseline, "HI", Color(0, 255, 0), graphics.GetClipRect());
    int green = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
        {
            const uint32_t pixel = Pixel(canvas, x, y);
            if (pixel == 0xFF000000)
                continue;
            EXPECT_GE(x, 5);
            EXPECT_LT(x, 5 + font.StringWidth("HI"));
            EXPECT_GE(y, baseline - font.GetAscent());
            EXPECT_LT(y, baseline);
            EXPECT_EQ(pixel & 0xFFFF00FF, 0xFF000000u) << "only shades of green";
            if (pixel == 0xFF00FF00)
                ++green;
        }
    EXPECT_GT(green, 20);
}

} // namespace Vesk
