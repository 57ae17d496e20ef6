#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "support/PixelComparison.h"
#include "support/ReferenceRenderer.h"
#include "support/ScopedCpuLevel.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::PixelComparison;
using TestSupport::ReferenceRenderer;
using TestSupport::ScopedCpuLevel;
using Canvas = ReferenceRenderer::Canvas;

std::vector<uint32_t> MakePicture(int width, int height, unsigned seed, bool fewColors = false)
{
    return TestSupport::TestPictures::Runs(width, height, seed, fewColors);
}

Canvas ToCanvas(MemoryImage& image, ReferenceRenderer::Rule rule)
{
    Canvas canvas(image.GetWidth(), image.GetHeight(), 0, rule);
    const uint32_t* bits = image.GetBits();
    canvas.pixels.assign(bits, bits + canvas.pixels.size());
    return canvas;
}

enum class Destination
{
    OpaqueMemory,
    TranslucentMemory,
    Screen,
};

struct Case
{
    Destination destination;
    bool palettized;
    Color color;
    int drawMode;
    bool mirror;
};

std::string Describe(const Case& c)
{
    return "destination " + std::to_string(int(c.destination)) + (c.palettized ? " palettized" : " 32-bit") +
           " colour " + std::to_string(c.color.ToARGB()) + " mode " + std::to_string(c.drawMode) +
           (c.mirror ? " mirrored" : "");
}

TEST(BlitTest, EveryBlitPathMatchesThePerPixelReference)
{
    const int width = 120, height = 90;
    std::vector<Case> cases;
    for (Destination destination : {Destination::OpaqueMemory, Destination::TranslucentMemory, Destination::Screen})
    {
        for (bool palettized : {false, true})
        {
            for (Color color : {Color::White, Color(255, 128, 0, 200), Color(90, 90, 90), Color(255, 255, 255, 77)})
            {
                for (int mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
                {
                    for (bool mirror : {false, true})
                        cases.push_back({destination, palettized, color, mode, mirror});
                }
            }
        }
    }

    for (CpuFeatures::Level level : ScopedCpuLevel::All())
        for (const Case& c : cases)
        {
            ScopedCpuLevel scoped(level);
            SCOPED_TRACE(ScopedCpuLevel::Name(level) + " " + Describe(c));
            std::vector<uint32_t> sourcePixels = MakePicture(70, 50, 5, c.palettized);
            MemoryImage source;
            source.SetBits(sourcePixels.data(), 70, 50, true);
            if (c.palettized)
            {
                ASSERT_TRUE(source.Palletize());
            }

            std::unique_ptr<MemoryImage> destination;
            ReferenceRenderer::Rule rule = ReferenceRenderer::Rule::Straight;
            if (c.destination == Destination::Screen)
            {
                auto screen = std::make_unique<DDImage>();
                screen->CreateScreen(width, height);
                rule = ReferenceRenderer::Rule::Display;
                destination = std::move(screen);
            }
            else
            {
                destination = std::make_unique<MemoryImage>();
                destination->Create(width, height);
            }
            std::vector<uint32_t> background = MakePicture(width, height, 9);
            if (c.destination != Destination::TranslucentMemory)
            {
                for (uint32_t& pixel : background)
                    pixel |= 0xFF000000;
            }
            destination->SetBits(background.data(), width, height, true);

            Canvas expected = ToCanvas(*destination, rule);
            Canvas sourceCanvas(70, 50);
            sourceCanvas.pixels = sourcePixels;
            // Inside, and hanging over each edge.
            const Rect srcRect(3, 2, 60, 45);
            for (auto [x, y] : std::vector<std::pair<int, int>>{{10, 12}, {-20, -7}, {90, 60}, {-5, 70}})
            {
                if (c.mirror)
                    destination->BltMirror(&source, x, y, srcRect, c.color, c.drawMode);
                else
                    destination->Blt(&source, x, y, srcRect, c.color, c.drawMode);
                ReferenceRenderer::Blt(expected, sourceCanvas, x, y, srcRect, c.color, c.drawMode, c.mirror);
            }
            PixelComparison comparison(expected.pixels.data(), destination->GetBits(), width, height);
            EXPECT_TRUE(comparison.Matches()) << comparison.Describe();
            EXPECT_TRUE(destination->GuardIntact());
            EXPECT_TRUE(source.drawn);
        }
}

// Rows of every shape the screen blits treat differently: long transparent gaps (walked), short
// gaps (blended whole), long opaque and black runs, single translucent pixels, empty rows and
// rows drawn to both ends.
std::vector<uint32_t> RowShapes(int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            uint32_t color = uint32_t(x * 37 + y * 11) & 0xFFFFFF;
            uint32_t pixel = 0;
            switch (y % 6)
            {
            case 0: // long gap inside
                pixel = x < 20 ? 0xFF000000u | color : (x >= width - 21 ? (uint32_t(x * 23 % 256) << 24) | color : 0);
                break;
            case 1: // short gaps between opaque and translucent runs
                pixel = (x / 5) % 3 == 0 ? 0 : ((x / 5) % 3 == 1 ? 0xFF000000u | color : 0x7F000000u | color);
                break;
            case 2: // nothing
                break;
            case 3: // opaque to both ends with black runs
                pixel = 0xFF000000u | ((x / 7) % 2 ? color : 0u);
                break;
            case 4: // single pixels
                pixel = x % 13 == 6 ? 0x40000000u | color : 0;
                break;
            default: // translucent everywhere, alpha 1 and 254 included
                pixel = (uint32_t(x % 3 == 0 ? 1 : (x % 3 == 1 ? 254 : x)) << 24) | color;
                break;
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = pixel;
        }
    }
    return pixels;
}

TEST(BlitTest, ScreenBlitsOfEveryRowShapeSizeAndClipMatchTheReferenceAtEveryVectorLevel)
{
    struct Source
    {
        int width, height;
    };
    // Odd widths, one-pixel images and a picture wide enough for long runs.
    const std::vector<Source> sources = {{157, 24}, {1, 9}, {9, 1}, {1, 1}, {5, 7}};
    const int screenWidth = 96, screenHeight = 40;
    for (CpuFeatures::Level level : ScopedCpuLevel::All())
    {
        ScopedCpuLevel scoped(level);
        for (const Source& size : sources)
        {
            for (bool palettized : {false, true})
            {
                std::vector<uint32_t> pixels = RowShapes(size.width, size.height);
                if (palettized)
                {
                    // Few enough colours for a palette: five alphas, eight colours.
                    for (uint32_t& pixel : pixels)
                    {
                        uint32_t alpha = pixel >> 24;
                        alpha = alpha == 255 ? 255 : alpha & 0xC0;
                        pixel = (alpha << 24) | ((pixel >> 8) & 0x7) * 0x203040u;
                    }
                }
                MemoryImage source;
                source.SetBits(pixels.data(), size.width, size.height, true);
                if (palettized)
                {
                    ASSERT_TRUE(source.Palletize());
                }
                Canvas sourceCanvas(size.width, size.height);
                sourceCanvas.pixels = pixels;
                for (Color color : {Color::White, Color(250, 128, 30, 190)})
                {
                    for (int mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
                    {
                        for (bool mirror : {false, true})
                        {
                            SCOPED_TRACE(ScopedCpuLevel::Name(level) + " " + std::to_string(size.width) + "x" +
                                         std::to_string(size.height) + (palettized ? " palettized" : "") + " colour " +
                                         std::to_string(color.ToARGB()) + " mode " + std::to_string(mode) +
                                         (mirror ? " mirrored" : ""));
                            DDImage screen;
                            screen.CreateScreen(screenWidth, screenHeight);
                            std::vector<uint32_t> background =
                                TestSupport::TestPictures::Page(screenWidth, screenHeight, 4);
                            screen.SetBits(background.data(), screenWidth, screenHeight, true);
                            Canvas expected = ToCanvas(screen, ReferenceRenderer::Rule::Display);
                            // Inside, and cut by the left, right, top and bottom edges and all four.
                            Rect srcRect(0, 0, size.width, size.height);
                            for (auto [x, y] : std::vector<std::pair<int, int>>{{3, 2},
                                                                                {-4, 10},
                                                                                {screenWidth - 3, 5},
                                                                                {20, -3},
                                                                                {30, screenHeight - 2},
                                                                                {-70, -10}})
                            {
                                if (mirror)
                                    screen.BltMirror(&source, x, y, srcRect, color, mode);
                                else
                                    screen.Blt(&source, x, y, srcRect, color, mode);
                                ReferenceRenderer::Blt(expected, sourceCanvas, x, y, srcRect, color, mode, mirror);
                            }
                            // A source rectangle inside the picture, off its corner.
                            Rect part(size.width / 3, size.height / 4, size.width - size.width / 3,
                                      size.height - size.height / 4);
                            screen.Blt(&source, 40, 12, part, color, mode);
                            ReferenceRenderer::Blt(expected, sourceCanvas, 40, 12, part, color, mode, false);
                            PixelComparison comparison(expected.pixels.data(), screen.GetBits(), screenWidth,
                                                       screenHeight);
                            ASSERT_TRUE(comparison.Matches()) << comparison.Describe();
                        }
                    }
                }
            }
        }
    }
}

TEST(BlitTest, FillsMatchTheReferenceOnMemoryImagesAndTheScreen)
{
    for (bool screen : {false, true})
    {
        for (int mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
        {
            std::unique_ptr<MemoryImage> image;
            if (screen)
            {
                auto display = std::make_unique<DDImage>();
                display->CreateScreen(50, 40);
                image = std::move(display);
            }
            else
            {
                image = std::make_unique<MemoryImage>();
            }
            std::vector<uint32_t> background = MakePicture(50, 40, 21);
            if (screen)
            {
                for (uint32_t& pixel : background)
                    pixel |= 0xFF000000;
            }
            image->SetBits(background.data(), 50, 40, true);
            Canvas expected =
                ToCanvas(*image, screen ? ReferenceRenderer::Rule::Display : ReferenceRenderer::Rule::Straight);
            for (Color color : {Color(10, 200, 30), Color(250, 20, 90, 128), Color(255, 255, 255, 1)})
            {
                Rect rect(-3, 5, 30, 50);
                image->FillRect(rect, color, mode);
                ReferenceRenderer::Fill(expected, rect, color, mode);
            }
            PixelComparison comparison(expected.pixels.data(), image->GetBits(), 50, 40);
            EXPECT_TRUE(comparison.Matches())
                << (screen ? "screen " : "memory ") << mode << ": " << comparison.Describe();
        }
    }
}

TEST(BlitTest, SourcesThatAreNotMemoryImagesDrawNothing)
{
    MemoryImage destination;
    destination.Create(4, 4);
    Image plain;
    plain.width = 4;
    plain.height = 4;
    destination.Blt(&plain, 0, 0, Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL);
    destination.StretchBlt(&plain, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL,
                           false);
    destination.BltRotated(&plain, 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL, 1.0, 2, 2);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(destination.GetBits()[i], 0u);
}

TEST(BlitTest, BlittingAnImageOntoItselfReadsTheOriginalPixels)
{
    std::vector<uint32_t> pixels = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    MemoryImage image;
    image.SetBits(pixels.data(), 4, 1, true);
    image.Blt(&image, 1, 0, Rect(0, 0, 3, 1), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 4),
              (std::vector<uint32_t>{0xFF000001, 0xFF000001, 0xFF000002, 0xFF000003}));
}

TEST(BlitTest, SourceRectanglesReachingOutsideTheSourceAreCutNotRead)
{
    std::vector<uint32_t> pixels(16, 0xFF00FF00);
    MemoryImage source;
    source.SetBits(pixels.data(), 4, 4, true);
    MemoryImage destination;
    destination.Create(8, 8);
    destination.Blt(&source, 2, 2, Rect(-2, -2, 8, 8), Color::White, DRAWMODE_NORMAL);
    const uint32_t* bits = destination.GetBits();
    // The source's own pixels land where the rectangle places them.
    EXPECT_EQ(bits[4 * 8 + 4], 0xFF00FF00u);
    EXPECT_EQ(bits[7 * 8 + 7], 0xFF00FF00u);
    EXPECT_EQ(bits[3 * 8 + 3], 0u);
    EXPECT_TRUE(destination.GuardIntact());
}

} // namespace
} // namespace Vesk
