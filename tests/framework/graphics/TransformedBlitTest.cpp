#include "framework/graphics/DDImage.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/StretchFilter.h"
#include "framework/graphics/TriVertex.h"
#include "support/PixelComparison.h"
#include "support/ReferenceRenderer.h"
#include "support/ScopedCpuLevel.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::PixelComparison;
using TestSupport::ReferenceRenderer;
using TestSupport::ScopedCpuLevel;
using Canvas = ReferenceRenderer::Canvas;

std::vector<uint32_t> MakeSprite(int width, int height)
{
    return TestSupport::TestPictures::Sprite(width, height);
}

// Filtered colours are compared premultiplied: at low alpha a straight colour carries little
// information, and a rounding step there is not a visible difference.
PixelComparison ComparePremultiplied(const Canvas& expected, const uint32_t* actual, int tolerance)
{
    std::vector<uint32_t> a(expected.pixels.size()), b(expected.pixels.size());
    for (size_t i = 0; i < a.size(); ++i)
    {
        a[i] = ReferenceRenderer::Premultiply(expected.pixels[i]);
        b[i] = ReferenceRenderer::Premultiply(actual[i]);
    }
    return PixelComparison(a, b, expected.width, expected.height, tolerance);
}

struct Scene
{
    std::unique_ptr<MemoryImage> image;
    Canvas expected;
};

Scene MakeScene(bool screen, int width, int height)
{
    Scene scene;
    std::vector<uint32_t> background(size_t(width) * size_t(height));
    for (size_t i = 0; i < background.size(); ++i)
        background[i] = (screen ? 0xFF000000u : uint32_t(i * 7 % 256) << 24) | uint32_t(i * 2654435761u & 0xFFFFFF);
    if (screen)
    {
        auto display = std::make_unique<DDImage>();
        display->CreateScreen(width, height);
        scene.image = std::move(display);
    }
    else
    {
        scene.image = std::make_unique<MemoryImage>();
    }
    scene.image->SetBits(background.data(), width, height, true);
    scene.expected =
        Canvas(width, height, 0, screen ? ReferenceRenderer::Rule::Display : ReferenceRenderer::Rule::Straight);
    scene.expected.pixels = background;
    return scene;
}

TEST(TransformedBlitTest, AxisTapsSumToOneAndCoverTheSource)
{
    for (auto [source, dest] : std::vector<std::pair<int, int>>{{10, 10}, {10, 37}, {37, 10}, {767, 400}, {3, 1000}})
    {
        std::vector<int> first;
        std::vector<StretchFilter::Tap> taps;
        StretchFilter::AxisTaps(source, dest, first, taps);
        ASSERT_EQ(first.size(), size_t(dest) + 1);
        for (int j = 0; j < dest; ++j)
        {
            int sum = 0;
            for (int t = first[size_t(j)]; t < first[size_t(j) + 1]; ++t)
            {
                EXPECT_GE(taps[size_t(t)].index, 0);
                EXPECT_LT(taps[size_t(t)].index, source);
                sum += taps[size_t(t)].weight;
            }
            EXPECT_EQ(sum, StretchFilter::WeightOne) << source << " -> " << dest << " at " << j;
        }
    }
}

TEST(TransformedBlitTest, StretchesMatchTheReferenceWithinOne)
{
    std::vector<uint32_t> sprite = MakeSprite(40, 30);
    MemoryImage source;
    source.SetBits(sprite.data(), 40, 30, true);
    Canvas sourceCanvas(40, 30);
    sourceCanvas.pixels = sprite;
    struct Stretch
    {
        Rect dest;
        Rect src;
    };
    std::vector<Stretch> stretches = {{Rect(5, 5, 97, 61), Rect(0, 0, 40, 30)},
                                      {Rect(110, 4, 23, 17), Rect(0, 0, 40, 30)},
                                      {Rect(-10, 70, 60, 13), Rect(5, 5, 30, 20)},
                                      {Rect(70, 40, 40, 30), Rect(0, 0, 40, 30)}};
    Rect clip(0, 0, 140, 90);
    for (CpuFeatures::Level level : ScopedCpuLevel::All())
        for (bool screen : {false, true})
        {
            ScopedCpuLevel scoped(level);
            SCOPED_TRACE(ScopedCpuLevel::Name(level));
            for (bool fast : {false, true})
            {
                for (bool mirror : {false, true})
                {
                    for (Color color : {Color::White, Color(255, 100, 50, 180)})
                    {
                        Scene scene = MakeScene(screen, 140, 90);
                        for (const Stretch& s : stretches)
                        {
                            if (mirror)
                                scene.image->StretchBltMirror(&source, s.dest, s.src, clip, color, DRAWMODE_NORMAL,
                                                              fast);
                            else
                                scene.image->StretchBlt(&source, s.dest, s.src, clip, color, DRAWMODE_NORMAL, fast);
                            ReferenceRenderer::Stretch(scene.expected, sourceCanvas, s.dest, s.src, clip, color,
                                                       DRAWMODE_NORMAL, fast, mirror);
                        }
                        // Nearest sampling is exact; filtering may round differently by one, and a memory
                        // image, taking the filtered colour back to straight form, by one more.
                        PixelComparison comparison =
                            fast ? PixelComparison(scene.expected.pixels.data(), scene.image->GetBits(), 140, 90)
                                 : ComparePremultiplied(scene.expected, scene.image->GetBits(), screen ? 1 : 2);
                        EXPECT_TRUE(comparison.Matches())
                            << (screen ? "screen" : "memory") << (fast ? " fast" : " filtered")
                            << (mirror ? " mirrored " : " ") << comparison.Describe();
                    }
                }
            }
        }
}

// A sprite with transparent rows and columns around it and inside, so that filtered draws meet
// zero spans, edges and single texels.
std::vector<uint32_t> HoledSprite(int width, int height)
{
    std::vector<uint32_t> pixels = MakeSprite(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (y % 7 == 3 || (x > width / 3 && x < width / 2) || x == width - 1)
                pixels[size_t(y) * size_t(width) + size_t(x)] = 0;
    return pixels;
}

// Every filtered draw made by the plain loops and by each vector level, on the screen and on a
// memory image; the results must be identical pixel for pixel.
TEST(TransformedBlitTest, VectorFiltersGiveExactlyThePixelsOfThePlainLoops)
{
    struct SourceShape
    {
        int width, height;
        bool palettized;
    };
    const std::vector<SourceShape> shapes = {{41, 29, false}, {41, 29, true}, {1, 1, false},
                                             {1, 13, false},  {17, 1, false}, {2, 2, false}};
    auto draw = [&](const SourceShape& shape, bool screen)
    {
        std::vector<uint32_t> pixels = HoledSprite(shape.width, shape.height);
        if (shape.palettized)
            for (uint32_t& pixel : pixels)
                pixel &= 0xC0C0C000u;
        MemoryImage source;
        source.SetBits(pixels.data(), shape.width, shape.height, true);
        if (shape.palettized)
        {
            EXPECT_TRUE(source.Palletize());
        }
        Scene scene = MakeScene(screen, 150, 110);
        Rect clip(2, 3, 141, 101);
        Rect whole(0, 0, shape.width, shape.height);
        int step = 0;
        for (Color color : {Color::White, Color(120, 255, 40, 170)})
        {
            for (int mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
            {
                ++step;
                // Enlarged, shrunk, stretched one way and shrunk the other, mirrored, clipped.
                scene.image->StretchBlt(&source, Rect(-9 + step, 1, 97, 61), whole, clip, color, mode, false);
                scene.image->StretchBlt(&source, Rect(100, 40 + step, 13, 9), whole, clip, color, mode, false);
                scene.image->StretchBltMirror(&source, Rect(60, 70, 83, 7), whole, clip, color, mode, false);
                scene.image->StretchBlt(&source, Rect(120, -5, 3, 80), whole, clip, color, mode, false);
                scene.image->StretchBltMirror(&source, Rect(10, 80, 55, 45), whole, clip, color, mode, true);
                // Rotated about several centres, sub-pixel and clipped at the edges.
                scene.image->BltRotated(&source, 30.25f, 20.5f, whole, clip, color, mode, 0.3 * step, 5, 7);
                scene.image->BltRotated(&source, 130.5f, 90.75f, whole, clip, color, mode, -1.1 * step,
                                        float(shape.width) / 2, float(shape.height) / 2);
                scene.image->BltF(&source, -3.5f, 95.25f, whole, clip, color, mode);
            }
        }
        EXPECT_TRUE(scene.image->GuardIntact());
        const uint32_t* bits = scene.image->GetBits();
        return std::vector<uint32_t>(bits, bits + 150 * 110);
    };
    for (const SourceShape& shape : shapes)
    {
        for (bool screen : {false, true})
        {
            std::vector<uint32_t> plain;
            {
                ScopedCpuLevel scoped(CpuFeatures::Level::Scalar);
                plain = draw(shape, screen);
            }
            for (CpuFeatures::Level level : ScopedCpuLevel::All())
            {
                ScopedCpuLevel scoped(level);
                PixelComparison comparison(plain, draw(shape, screen), 150, 110);
                EXPECT_TRUE(comparison.Matches()) << ScopedCpuLevel::Name(level) << " " << shape.width << "x"
                                                  << shape.height << (shape.palettized ? " palettized " : " ")
                                                  << (screen ? "screen " : "memory ") << comparison.Describe();
            }
        }
    }
}

TEST(TransformedBlitTest, TexturedTrianglesMatchThePerPixelReferenceExactly)
{
    std::vector<uint32_t> sprite = MakeSprite(24, 18);
    MemoryImage source;
    source.SetBits(sprite.data(), 24, 18, true);
    Canvas sourceCanvas(24, 18);
    sourceCanvas.pixels = sprite;
    Rect clip(4, 2, 110, 84);
    for (bool screen : {false, true})
    {
        Scene scene = MakeScene(screen, 120, 90);
        // Quads turned, scaled and sheared, with fractional corners, some crossing the clip.
        for (int i = 0; i < 12; ++i)
        {
            double angle = 0.37 * i, scale = 0.6 + 0.25 * i;
            float cx = 10.3f + float(i * 9.7), cy = 8.6f + float((i * 31) % 80);
            TriVertex quad[4];
            for (int k = 0; k < 4; ++k)
            {
                double px = (k & 1 ? 12 : -12) * scale, py = (k & 2 ? 9 : -9) * scale * (1 + 0.1 * i);
                quad[k].x = cx + float(px * std::cos(angle) - py * std::sin(angle));
                quad[k].y = cy + float(px * std::sin(angle) + py * std::cos(angle));
                quad[k].u = k & 1 ? 1.0f : 0.0f;
                quad[k].v = k & 2 ? 1.0f : 0.0f;
            }
            TriVertex triangles[2][3] = {{quad[0], quad[1], quad[2]}, {quad[1], quad[3], quad[2]}};
            scene.image->BltTrianglesTex(&source, triangles, 2, clip, Color::White, DRAWMODE_NORMAL, 0.5f, -0.25f,
                                         false);
            for (const auto& triangle : triangles)
            {
                ReferenceRenderer::TexturedCorner corners[3];
                for (int k = 0; k < 3; ++k)
                    corners[k] = {triangle[k].x + 0.5f, triangle[k].y - 0.25f, triangle[k].u * 24.0f,
                                  triangle[k].v * 18.0f};
                ReferenceRenderer::TexturedTriangle(scene.expected, sourceCanvas, corners, clip, DRAWMODE_NORMAL);
            }
        }
        PixelComparison comparison(scene.expected.pixels.data(), scene.image->GetBits(), 120, 90);
        EXPECT_TRUE(comparison.Matches()) << (screen ? "screen " : "memory ") << comparison.Describe();
    }
}

TEST(TransformedBlitTest, FilteredTrianglesAgreeAtEveryLevelAndTakeTheirCornersColours)
{
    std::vector<uint32_t> sprite = MakeSprite(40, 30);
    MemoryImage source;
    source.SetBits(sprite.data(), 40, 30, true);
    // Turned, mirrored and sheared quads with shaded, translucent corners, some reaching past the
    // texture's edges (clamped there) and past the clip.
    std::vector<TriVertex> triangles;
    for (int i = 0; i < 10; ++i)
    {
        double angle = 0.61 * i, scale = 0.5 + 0.3 * i;
        float cx = 12.3f + float(i * 11.1), cy = 10.7f + float((i * 37) % 70);
        TriVertex quad[4];
        for (int k = 0; k < 4; ++k)
        {
            double px = (k & 1 ? 20 : -20) * scale * (i % 3 == 1 ? -1 : 1), py = (k & 2 ? 15 : -15) * scale;
            quad[k].x = cx + float(px * std::cos(angle) - py * std::sin(angle));
            quad[k].y = cy + float(px * std::sin(angle) + py * std::cos(angle) * (1 + 0.1 * i));
            quad[k].u = (k & 1 ? 1.05f : -0.05f);
            quad[k].v = (k & 2 ? 1.0f : 0.0f);
            quad[k].color = (uint32_t(255 - 40 * k) << 24) | (uint32_t(255 - 30 * k) << 16) | 0xC0FF;
        }
        for (int k : {0, 1, 2, 1, 3, 2})
            triangles.push_back(quad[k]);
    }
    const auto* list = reinterpret_cast<const TriVertex(*)[3]>(triangles.data());
    int count = int(triangles.size() / 3);
    Rect clip(3, 2, 112, 86);
    for (bool screen : {false, true})
    {
        std::vector<uint32_t> first;
        for (CpuFeatures::Level level : ScopedCpuLevel::All())
        {
            ScopedCpuLevel scoped(level);
            Scene scene = MakeScene(screen, 120, 90);
            scene.image->BltTrianglesTex(&source, list, count, clip, Color(255, 255, 255, 230), DRAWMODE_NORMAL, 0.25f,
                                         0.5f, true);
            const uint32_t* bits = scene.image->GetBits();
            if (first.empty())
            {
                first.assign(bits, bits + 120 * 90);
                continue;
            }
            PixelComparison comparison(first.data(), bits, 120, 90);
            EXPECT_TRUE(comparison.Matches())
                << (screen ? "screen " : "memory ") << ScopedCpuLevel::Name(level) << ": " << comparison.Describe();
        }
    }

    // Filtered or not, the triangles cover the same pixels.
    std::vector<uint32_t> opaque(40 * 30, 0xFF808080);
    MemoryImage solid;
    solid.SetBits(opaque.data(), 40, 30, true);
    std::vector<TriVertex> plain = triangles;
    for (TriVertex& vertex : plain)
        vertex.color = 0xFFFFFFFF;
    const auto* whiteList = reinterpret_cast<const TriVertex(*)[3]>(plain.data());
    std::vector<uint32_t> masks[2];
    for (bool blend : {false, true})
    {
        MemoryImage target;
        target.Create(120, 90);
        target.BltTrianglesTex(&solid, whiteList, count, clip, Color::White, DRAWMODE_NORMAL, 0.25f, 0.5f, blend);
        for (int i = 0; i < 120 * 90; ++i)
            masks[blend].push_back(target.GetBits()[i] >> 24 ? 1u : 0u);
    }
    EXPECT_EQ(masks[0], masks[1]);

    // One opaque white texel under corners of three colours: each corner's pixel takes its own
    // colour, and the middle of an edge the mean of its two corners.
    uint32_t white = 0xFFFFFFFF;
    MemoryImage texel;
    texel.SetBits(&white, 1, 1, true);
    TriVertex shaded[1][3] = {{{0, 0, 0, 0, 0xFFFF0000}, {60, 0, 0, 0, 0xFF0000FF}, {0, 60, 0, 0, 0xFF00FF00}}};
    DDImage screen;
    screen.CreateScreen(64, 64);
    screen.BltTrianglesTex(&texel, shaded, 1, Rect(0, 0, 64, 64), Color::White, DRAWMODE_NORMAL, 0, 0, true);
    const uint32_t* bits = screen.GetBits();
    auto near = [](uint32_t actual, uint32_t expected)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 6)
                return false;
        return true;
    };
    EXPECT_TRUE(near(bits[0], 0xFF0000)) << std::hex << bits[0];
    EXPECT_TRUE(near(bits[58], 0x0000FF)) << std::hex << bits[58];
    EXPECT_TRUE(near(bits[58 * 64], 0x00FF00)) << std::hex << bits[58 * 64];
    EXPECT_TRUE(near(bits[30], 0x800080)) << std::hex << bits[30];
}

TEST(TransformedBlitTest, AnEqualSizeFilteredStretchIsAPlainBlit)
{
    std::vector<uint32_t> sprite = MakeSprite(30, 20);
    MemoryImage source;
    source.SetBits(sprite.data(), 30, 20, true);
    DDImage stretched, plain;
    stretched.CreateScreen(40, 30);
    plain.CreateScreen(40, 30);
    stretched.StretchBlt(&source, Rect(5, 5, 30, 20), Rect(0, 0, 30, 20), Rect(0, 0, 40, 30), Color::White,
                         DRAWMODE_NORMAL, false);
    plain.Blt(&source, 5, 5, Rect(0, 0, 30, 20), Color::White, DRAWMODE_NORMAL);
    PixelComparison comparison(plain.GetBits(), stretched.GetBits(), 40, 30);
    EXPECT_TRUE(comparison.Matches()) << comparison.Describe();
}

TEST(TransformedBlitTest, RotatedAndSubPixelBlitsMatchTheReferenceWithinOne)
{
    std::vector<uint32_t> sprite = MakeSprite(36, 28);
    MemoryImage source;
    source.SetBits(sprite.data(), 36, 28, true);
    Canvas sourceCanvas(36, 28);
    sourceCanvas.pixels = sprite;
    Rect clip(3, 3, 114, 84);
    for (CpuFeatures::Level level : ScopedCpuLevel::All())
        for (bool screen : {false, true})
        {
            ScopedCpuLevel scoped(level);
            SCOPED_TRACE(ScopedCpuLevel::Name(level));
            for (int mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
            {
                Scene scene = MakeScene(screen, 120, 90);
                struct Placement
                {
                    double x, y, angle, cx, cy;
                };
                for (const Placement& p : std::vector<Placement>{{10.25, 8.5, 0.0, 0, 0},
                                                                 {50, 20, 0.7, 18, 14},
                                                                 {80.5, 50.75, -2.2, 5, 20},
                                                                 {-10, 60, 3.14159265 / 2, 18, 14}})
                {
                    scene.image->BltRotated(&source, float(p.x), float(p.y), Rect(0, 0, 36, 28), clip,
                                            Color(200, 255, 255, 230), mode, p.angle, float(p.cx), float(p.cy));
                    ReferenceRenderer::Rotated(scene.expected, sourceCanvas, p.x, p.y, Rect(0, 0, 36, 28), clip,
                                               Color(200, 255, 255, 230), mode, p.angle, p.cx, p.cy);
                }
                PixelComparison comparison =
                    ComparePremultiplied(scene.expected, scene.image->GetBits(), screen ? 1 : 2);
                EXPECT_TRUE(comparison.Matches())
                    << (screen ? "screen " : "memory ") << mode << ": " << comparison.Describe();
            }
        }
}

TEST(TransformedBlitTest, RotationByZeroAtWholePixelsIsAPlainBlit)
{
    std::vector<uint32_t> sprite = MakeSprite(20, 16);
    MemoryImage source;
    source.SetBits(sprite.data(), 20, 16, true);
    DDImage rotated, plain;
    rotated.CreateScreen(30, 30);
    plain.CreateScreen(30, 30);
    rotated.BltF(&source, 4, 6, Rect(0, 0, 20, 16), Rect(0, 0, 30, 30), Color::White, DRAWMODE_NORMAL);
    plain.Blt(&source, 4, 6, Rect(0, 0, 20, 16), Color::White, DRAWMODE_NORMAL);
    PixelComparison comparison(plain.GetBits(), rotated.GetBits(), 30, 30);
    EXPECT_TRUE(comparison.Matches()) << comparison.Describe();
}

TEST(TransformedBlitTest, MatrixAndTriangleBlitsPlaceTheSourceExactly)
{
    std::vector<uint32_t> sprite = MakeSprite(20, 16);
    MemoryImage source;
    source.SetBits(sprite.data(), 20, 16, true);
    DDImage plain;
    plain.CreateScreen(40, 40);
    plain.Blt(&source, 7, 9, Rect(0, 0, 20, 16), Color::White, DRAWMODE_NORMAL);

    // The identity matrix centred on the image's middle is a plain blit, sampled nearest or
    // filtered (texel centres fall on pixel centres).
    for (bool blend : {false, true})
    {
        DDImage matrix;
        matrix.CreateScreen(40, 40);
        matrix.BltMatrix(&source, 17, 17, Matrix3(), Rect(0, 0, 40, 40), Color::White, DRAWMODE_NORMAL,
                         Rect(0, 0, 20, 16), blend);
        PixelComparison comparison(plain.GetBits(), matrix.GetBits(), 40, 40);
        EXPECT_TRUE(comparison.Matches()) << "blend " << blend << ": " << comparison.Describe();
    }

    // Two triangles covering the image's rectangle give the same picture, without seams or
    // doubled pixels along the shared diagonal.
    TriVertex triangles[2][3] = {{{7, 9, 0, 0}, {27, 9, 1, 0}, {7, 25, 0, 1}},
                                 {{27, 9, 1, 0}, {27, 25, 1, 1}, {7, 25, 0, 1}}};
    DDImage textured;
    textured.CreateScreen(40, 40);
    textured.BltTrianglesTex(&source, triangles, 2, Rect(0, 0, 40, 40), Color::White, DRAWMODE_NORMAL, 0, 0, false);
    PixelComparison comparison(plain.GetBits(), textured.GetBits(), 40, 40);
    EXPECT_TRUE(comparison.Matches()) << comparison.Describe();

    // A matrix rotating by a quarter turn moves the source's top-left corner to its bottom-left.
    std::vector<uint32_t> square(16, 0xFF0000FF);
    square[0] = 0xFFFF0000;
    MemoryImage marked;
    marked.SetBits(square.data(), 4, 4, true);
    Matrix3 quarter;
    quarter.RotateRad(3.14159265f / 2);
    DDImage turned;
    turned.CreateScreen(10, 10);
    turned.BltMatrix(&marked, 5, 5, quarter, Rect(0, 0, 10, 10), Color::White, DRAWMODE_NORMAL, Rect(0, 0, 4, 4),
                     false);
    EXPECT_EQ(turned.GetBits()[6 * 10 + 3], 0xFFFF0000u);
    EXPECT_EQ(turned.GetBits()[3 * 10 + 3], 0xFF0000FFu);
}

TEST(TransformedBlitTest, ForcedOpaqueDestinationsKeepTheirAlphaUnderMatrixDraws)
{
    std::vector<uint32_t> half(4, 0x80FF0000);
    MemoryImage source;
    source.SetBits(half.data(), 2, 2, true);
    MemoryImage destination;
    std::vector<uint32_t> background(4, 0x100000FF);
    destination.SetBits(background.data(), 2, 2, true);
    destination.SetImageMode(false, false);
    destination.BltMatrix(&source, 1, 1, Matrix3(), Rect(0, 0, 2, 2), Color::White, DRAWMODE_NORMAL, Rect(0, 0, 2, 2),
                          false);
    EXPECT_EQ(destination.GetBits()[0] >> 24, 0x10u);
    EXPECT_GT((destination.GetBits()[0] >> 16) & 0xFF, 0x70u);

    MemoryImage free;
    free.SetBits(background.data(), 2, 2, true);
    free.BltMatrix(&source, 1, 1, Matrix3(), Rect(0, 0, 2, 2), Color::White, DRAWMODE_NORMAL, Rect(0, 0, 2, 2), false);
    EXPECT_EQ(free.GetBits()[0], ReferenceRenderer::Over(0x80FF0000, 0x100000FF));
}

} // namespace
} // namespace Vesk
