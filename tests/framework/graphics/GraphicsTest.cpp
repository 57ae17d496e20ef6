#include "framework/graphics/Graphics.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Span.h"
#include "framework/graphics/Transform.h"
#include "framework/graphics/TriVertex.h"
#include "support/FakeFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

// A destination that records the primitive calls it receives.
class RecordingImage : public MemoryImage
{
public:
    RecordingImage(int w, int h) { Create(w, h); }
    void FillRect(const Rect& rect, const Color& color, int drawMode) override
    {
        calls.push_back(Text("FillRect ", Describe(rect)));
        MemoryImage::FillRect(rect, color, drawMode);
    }
    void DrawRect(const Rect& rect, const Color& color, int drawMode) override
    {
        calls.push_back(Text("DrawRect ", Describe(rect)));
        MemoryImage::DrawRect(rect, color, drawMode);
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override
    {
        calls.push_back(Text("DrawLine ", int(x1), ",", int(y1), " ", int(x2), ",", int(y2)));
        MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
    }
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override
    {
        calls.push_back(Text("Blt ", x, ",", y, " ", Describe(srcRect)));
        lastColor = color;
        MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
    }
    void BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override
    {
        calls.push_back(Text("BltMirror ", x, ",", y, " ", Describe(srcRect)));
        MemoryImage::BltMirror(image, x, y, srcRect, color, drawMode);
    }
    void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, bool fastStretch) override
    {
        calls.push_back(Text("StretchBlt ", Describe(destRect), " ", Describe(srcRect), fastStretch ? " fast" : ""));
        MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
    }
    void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, double angle, float centerX, float centerY) override
    {
        char text[120];
        std::snprintf(text, sizeof(text), "BltRotated %.2f,%.2f %.2f about %.1f,%.1f", double(x), double(y), angle,
                      double(centerX), double(centerY));
        calls.push_back(text);
    }
    void BltMatrix(Image*, float x, float y, const Matrix3&, const Rect&, const Color&, int, const Rect&,
                   bool blend) override
    {
        calls.push_back(Text("BltMatrix ", int(x), ",", int(y), blend ? " blend" : ""));
    }
    void BltF(Image*, float x, float y, const Rect& srcRect, const Rect&, const Color&, int) override
    {
        char text[80];
        std::snprintf(text, sizeof(text), "BltF %.2f,%.2f ", double(x), double(y));
        calls.push_back(Text(text, Describe(srcRect)));
    }
    void StretchBltMirror(Image*, const Rect& destRect, const Rect& srcRect, const Rect&, const Color&, int,
                          bool) override
    {
        calls.push_back(Text("StretchBltMirror ", Describe(destRect), " ", Describe(srcRect)));
    }

    template <class... Parts> static std::string Text(const Parts&... parts)
    {
        std::ostringstream out;
        (out << ... << parts);
        return out.str();
    }
    static std::string Describe(const Rect& r) { return Text("(", r.x, " ", r.y, " ", r.width, " ", r.height, ")"); }
    uint32_t At(int x, int y) { return GetBits()[y * width + x]; }

    std::vector<std::string> calls;
    Color lastColor;
};

MemoryImage MakeSolid(int width, int height, uint32_t pixel)
{
    MemoryImage image;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), pixel);
    image.SetBits(pixels.data(), width, height, true);
    return image;
}

int CountTouched(MemoryImage& image)
{
    int touched = 0;
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i)
        touched += image.GetBits()[i] != 0;
    return touched;
}

TEST(GraphicsTest, StartsWithTheDocumentedStateAndCopiesItWithAnEmptyStack)
{
    RecordingImage image(30, 20);
    Graphics g(&image);
    EXPECT_EQ(g.GetDestImage(), &image);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 30, 20));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));
    EXPECT_EQ(g.GetDrawMode(), DRAWMODE_NORMAL);
    EXPECT_FALSE(g.GetColorizeImages());
    EXPECT_FALSE(g.GetFastStretch());
    EXPECT_FALSE(g.GetLinearBlend());
    EXPECT_TRUE(g.writeColoredString);
    EXPECT_EQ(g.GetFont(), nullptr);

    Graphics nowhere;
    EXPECT_NE(nowhere.GetDestImage(), nullptr);
    EXPECT_TRUE(nowhere.GetClipRect().IsEmpty());
    nowhere.FillRect(0, 0, 10, 10);

    g.Translate(5, 6);
    g.SetColor(Color(1, 2, 3));
    g.PushState();
    auto copy = g.Create();
    EXPECT_EQ(copy->transX, 5);
    EXPECT_EQ(copy->GetColor(), Color(1, 2, 3));
    // The copy has no states to pop.
    copy->SetColor(Color(9, 9, 9));
    copy->PopState();
    EXPECT_EQ(copy->GetColor(), Color(9, 9, 9));
}

TEST(GraphicsTest, ClipRectOnlyShrinksAndPopStateRestoresIt)
{
    RecordingImage image(100, 100);
    Graphics g(&image);
    g.Translate(10, 10);
    g.PushState();
    g.ClipRect(0, 0, 50, 50);
    EXPECT_EQ(g.GetClipRect(), Rect(10, 10, 50, 50));
    g.ClipRect(-100, -100, 1000, 1000);
    EXPECT_EQ(g.GetClipRect(), Rect(10, 10, 50, 50));
    g.ClipRect(40, 40, 100, 100);
    EXPECT_EQ(g.GetClipRect(), Rect(50, 50, 10, 10));
    g.PopState();
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 100, 100));
    EXPECT_EQ(g.transX, 10);
    g.PopState();
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 100, 100));
}

TEST(GraphicsTest, FillsClearsAndRectanglesAreTranslatedAndClipped)
{
    RecordingImage image(40, 40);
    Graphics g(&image);
    g.SetColor(Color(0, 0, 0, 0));
    g.FillRect(0, 0, 40, 40);
    EXPECT_TRUE(image.calls.empty());
    EXPECT_EQ(CountTouched(image), 0);

    g.SetColor(Color(255, 0, 0));
    g.Translate(3, 4);
    g.FillRect(-10, -10, 15, 15);
    ASSERT_EQ(image.calls.size(), 1u);
    EXPECT_EQ(image.calls[0], "FillRect (0 0 8 9)");

    // A 10 x 10 outline touches 11 x 11 pixels, drawn by the image's own rectangle primitive.
    RecordingImage outline(40, 40);
    Graphics o(&outline);
    o.SetColor(Color(0, 255, 0));
    o.DrawRect(5, 5, 10, 10);
    EXPECT_EQ(outline.calls.front(), "DrawRect (5 5 10 10)");
    EXPECT_EQ(CountTouched(outline), 11 * 4 - 4);
    EXPECT_NE(outline.At(15, 15), 0u);
    EXPECT_EQ(outline.At(16, 15), 0u);
    EXPECT_EQ(outline.At(10, 10), 0u);

    // Crossing the clip: four clipped fills.
    RecordingImage cut(40, 40);
    Graphics c(&cut);
    c.SetColor(Color(0, 255, 0));
    c.ClipRect(0, 0, 12, 40);
    c.DrawRect(5, 5, 10, 10);
    EXPECT_EQ(cut.calls, (std::vector<std::string>{"FillRect (5 5 7 1)", "FillRect (5 15 7 1)", "FillRect (5 6 1 9)"}));

    g.ClearRect(0, 0, 2, 2);
    EXPECT_EQ(image.At(3, 4), 0u);
    EXPECT_NE(image.At(5, 6), 0u);
}

TEST(GraphicsTest, LinesAreClippedAndStraightOnesBecomeFills)
{
    RecordingImage image(50, 50);
    Graphics g(&image);
    g.SetColor(Color(255, 255, 255));
    g.ClipRect(10, 10, 20, 20);
    g.DrawLine(0, 0, 5, 40);
    EXPECT_TRUE(image.calls.empty());
    g.DrawLine(0, 20, 100, 20);
    ASSERT_EQ(image.calls.size(), 2u);
    EXPECT_EQ(image.calls[0], "DrawLine 10,20 29,20");
    EXPECT_EQ(image.calls[1], "FillRect (10 20 20 1)");
    image.calls.clear();
    g.DrawLine(0, 0, 40, 40);
    ASSERT_FALSE(image.calls.empty());
    EXPECT_EQ(image.calls[0], "DrawLine 10,10 29,29");
    EXPECT_NE(image.At(20, 20), 0u);
    EXPECT_EQ(image.At(9, 9), 0u);
    EXPECT_EQ(image.At(30, 30), 0u);
}

TEST(GraphicsTest, BresenhamLinesIncludeBothEndsAndStepOnePixelPerColumn)
{
    MemoryImage image;
    image.Create(20, 10);
    Graphics g(&image);
    g.SetColor(Color(255, 255, 255));
    g.DrawLine(1, 1, 8, 4);
    EXPECT_EQ(CountTouched(image), 8);
    EXPECT_NE(image.GetBits()[1 * 20 + 1], 0u);
    EXPECT_NE(image.GetBits()[4 * 20 + 8], 0u);

    MemoryImage smooth;
    smooth.Create(20, 20);
    Graphics s(&smooth);
    s.SetColor(Color(255, 255, 255));
    s.DrawLineAA(2, 2, 17, 9);
    // Every column gets one or two pixels whose alphas add up to about the colour's.
    for (int x = 2; x <= 17; ++x)
    {
        int total = 0;
        for (int y = 0; y < 20; ++y)
            total += int(smooth.GetBits()[y * 20 + x] >> 24);
        EXPECT_NEAR(total, 255, 3) << x;
    }
}

TEST(GraphicsTest, ImagesAreClippedAndColourizedOnlyWhenAsked)
{
    MemoryImage white = MakeSolid(10, 10, 0xFFFFFFFF);
    RecordingImage image(20, 20);
    Graphics g(&image);
    g.SetColor(Color(255, 0, 0));
    g.ClipRect(5, 5, 10, 10);
    g.DrawImage(&white, 0, 0);
    ASSERT_EQ(image.calls.size(), 1u);
    EXPECT_EQ(image.calls[0], "Blt 5,5 (5 5 5 5)");
    EXPECT_EQ(image.lastColor, Color::White);
    EXPECT_EQ(image.At(6, 6), 0xFFFFFFFFu);

    g.SetColorizeImages(true);
    g.DrawImage(&white, 10, 10);
    EXPECT_EQ(image.At(12, 12), 0xFFFF0000u);

    // Source rectangles that do not lie inside the image draw nothing.
    image.calls.clear();
    g.DrawImage(&white, 0, 0, Rect(0, 0, 11, 10));
    g.DrawImage(&white, Rect(0, 0, 5, 5), Rect(-1, 0, 5, 5));
    g.DrawImageF(&white, 0, 0, Rect(5, 5, 6, 5));
    g.DrawImageMirror(&white, 0, 0, Rect(0, 9, 10, 2));
    g.DrawImageRotated(&white, 0, 0, 1.0, Rect(0, 0, 20, 20));
    EXPECT_TRUE(image.calls.empty());
    g.DrawImage(&white, 30, 30);
    EXPECT_TRUE(image.calls.empty());
}

TEST(GraphicsTest, MirroredDrawsTakeTheVisiblePartFromTheMirroredSide)
{
    std::vector<uint32_t> stripes = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    MemoryImage source;
    source.SetBits(stripes.data(), 4, 1, true);
    RecordingImage image(10, 1);
    Graphics g(&image);
    g.ClipRect(3, 0, 10, 1);
    g.DrawImageMirror(&source, 1, 0);
    EXPECT_EQ(image.calls.at(0), "BltMirror 3,0 (0 0 2 1)");
    EXPECT_EQ(image.At(3, 0), 0xFF000002u);
    EXPECT_EQ(image.At(4, 0), 0xFF000001u);
    EXPECT_EQ(image.At(2, 0), 0u);

    g.DrawImageMirror(&source, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), false);
    EXPECT_EQ(image.calls.back(), "StretchBlt (0 0 4 1) (0 0 4 1)");
    g.DrawImageMirror(&source, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), true);
    EXPECT_EQ(image.calls.back(), "StretchBltMirror (0 0 4 1) (0 0 4 1)");
}

TEST(GraphicsTest, ScaledPlainDrawsBecomeStretchedDrawsAboutTheScaleOrigin)
{
    MemoryImage source = MakeSolid(10, 7, 0xFF00FF00);
    RecordingImage image(100, 100);
    Graphics g(&image);
    g.Translate(3, 0);
    g.scaleX = 1.5f;
    g.scaleY = 2;
    g.scaleOrigX = 10;
    g.scaleOrigY = 10;
    g.SetFastStretch(true);
    g.DrawImage(&source, 20, 20);
    // x' = floor((23 - 10) * 1.5) + 10 = 29, y' = floor((20 - 10) * 2) + 10 = 30.
    EXPECT_EQ(image.calls.at(0), "StretchBlt (29 30 15 14) (0 0 10 7) fast");
}

TEST(GraphicsTest, CelsAndTheNineSliceBox)
{
    std::vector<uint32_t> cells(6 * 2);
    for (int i = 0; i < 12; ++i)
        cells[size_t(i)] = 0xFF000000u | uint32_t(i / 2 % 3 + 1 + (i / 6) * 3);
    MemoryImage strip;
    strip.SetBits(cells.data(), 6, 2, true);
    strip.columns = 3;
    strip.rows = 2;
    RecordingImage image(20, 20);
    Graphics g(&image);
    g.DrawImageCel(&strip, 0, 0, 4);
    EXPECT_EQ(image.calls.at(0), "Blt 0,0 (2 1 2 1)");
    EXPECT_EQ(image.At(0, 0), 0xFF000005u);
    image.calls.clear();
    g.DrawImageCel(&strip, 0, 0, 6);
    g.DrawImageCel(&strip, 0, 0, -1);
    g.DrawImageCel(&strip, 0, 0, 3, 0);
    EXPECT_TRUE(image.calls.empty());
    g.DrawImageCel(&strip, 0, 0, 2, 1);
    EXPECT_EQ(image.calls.at(0), "Blt 0,0 (4 1 2 1)");

    // A 3 x 3 source whose pixels name their piece: corners stay, edges and centre repeat.
    std::vector<uint32_t> box(9);
    for (int i = 0; i < 9; ++i)
        box[size_t(i)] = 0xFF000000u | uint32_t(i + 1);
    MemoryImage pieces;
    pieces.SetBits(box.data(), 3, 3, true);
    MemoryImage canvas;
    canvas.Create(8, 8);
    Graphics b(&canvas);
    b.DrawImageBox(Rect(1, 1, 5, 4), &pieces);
    auto at = [&](int x, int y) { return canvas.GetBits()[y * 8 + x] & 0xFF; };
    EXPECT_EQ(at(1, 1), 1u);
    EXPECT_EQ(at(5, 1), 3u);
    EXPECT_EQ(at(1, 4), 7u);
    EXPECT_EQ(at(5, 4), 9u);
    EXPECT_EQ(at(2, 1), 2u);
    EXPECT_EQ(at(4, 1), 2u);
    EXPECT_EQ(at(1, 2), 4u);
    EXPECT_EQ(at(5, 3), 6u);
    EXPECT_EQ(at(3, 3), 5u);
    EXPECT_EQ(at(6, 1), 0u);
    EXPECT_EQ(at(3, 5), 0u);
    EXPECT_EQ(CountTouched(canvas), 20);
}

TEST(GraphicsTest, TransformsPickTheCheapestPrimitive)
{
    MemoryImage source = MakeSolid(10, 6, 0xFFFFFFFF);
    RecordingImage image(100, 100);
    Graphics g(&image);

    Transform plain;
    plain.Translate(2, 3);
    g.DrawImageTransform(&source, plain, 50, 40);
    EXPECT_EQ(image.calls.back(), "Blt 47,40 (0 0 10 6)");
    g.DrawImageTransformF(&source, plain, 50.25f, 40);
    EXPECT_EQ(image.calls.back(), "BltF 47.25,40.00 (0 0 10 6)");

    Transform turned;
    turned.RotateRad(0.5f);
    turned.Translate(4, 0);
    EXPECT_TRUE(turned.hasRotation);
    EXPECT_EQ(turned.postX, 4);
    g.DrawImageTransform(&source, turned, 50, 40);
    EXPECT_EQ(image.calls.back(), "BltRotated 49.00,37.00 0.50 about 5.0,3.0");

    Transform stretched;
    stretched.Scale(2, 3);
    g.DrawImageTransform(&source, stretched, 50, 40);
    EXPECT_EQ(image.calls.back(), "StretchBlt (40 31 20 18) (0 0 10 6)");

    Transform mirrored;
    mirrored.sx = -1;
    mirrored.hasScale = true;
    g.DrawImageTransform(&source, mirrored, 50, 40);
    EXPECT_EQ(image.calls.back(), "BltMirror 45,37 (0 0 10 6)");

    Transform general;
    general.Scale(2, 2);
    general.RotateRad(1);
    EXPECT_TRUE(general.general);
    g.SetLinearBlend(true);
    g.DrawImageTransform(&source, general, 50, 40);
    EXPECT_EQ(image.calls.back(), "BltMatrix 50,40 blend");
}

TEST(GraphicsTest, TransformMatricesFollowPreTranslationThenRotationThenPostTranslation)
{
    Transform t;
    t.Translate(1, 0);
    t.RotateDeg(90);
    t.Translate(10, 20);
    float x, y;
    t.GetMatrix().Apply(0, 0, x, y);
    EXPECT_NEAR(x, 10, 1e-4);
    EXPECT_NEAR(y, 19, 1e-4);

    Transform scaled;
    scaled.Scale(2, 3);
    scaled.Scale(0.5f, 1);
    EXPECT_FALSE(scaled.general);
    EXPECT_FLOAT_EQ(scaled.sx, 1);
    EXPECT_FLOAT_EQ(scaled.sy, 3);
    scaled.Scale(-1, 1);
    EXPECT_TRUE(scaled.general);
    scaled.GetMatrix().Apply(1, 1, x, y);
    EXPECT_NEAR(x, -1, 1e-4);
    EXPECT_NEAR(y, 3, 1e-4);
    scaled.Reset();
    EXPECT_FALSE(scaled.general);
    EXPECT_FALSE(scaled.hasScale);
}

TEST(GraphicsTest, PolygonsFillTheirInsideOnly)
{
    MemoryImage image;
    image.Create(20, 20);
    Graphics g(&image);
    g.SetColor(Color(255, 255, 255));
    Point square[4] = {{2, 2}, {12, 2}, {12, 8}, {2, 8}};
    g.PolyFill(square, 4);
    EXPECT_EQ(CountTouched(image), 60);

    MemoryImage smooth;
    smooth.Create(20, 20);
    Graphics s(&smooth);
    s.SetColor(Color(255, 255, 255));
    Point triangle[3] = {{0, 0}, {16, 0}, {0, 16}};
    s.PolyFillAA(triangle, 3);
    int coverage = 0;
    for (int i = 0; i < 400; ++i)
        coverage += int(smooth.GetBits()[i] >> 24);
    // Area 128 pixels.
    EXPECT_NEAR(coverage / 255.0, 128.0, 2.0);
    EXPECT_EQ(smooth.GetBits()[0] >> 24, 255u);
    EXPECT_EQ(smooth.GetBits()[15 * 20 + 15], 0u);
}

TEST(GraphicsTest, TrianglesAreTranslatedAndClipped)
{
    MemoryImage source = MakeSolid(4, 4, 0xFF00FF00);
    MemoryImage image;
    image.Create(20, 20);
    Graphics g(&image);
    g.Translate(5, 5);
    g.ClipRect(0, 0, 3, 20);
    TriVertex triangle[1][3] = {{{0, 0, 0, 0}, {8, 0, 1, 0}, {0, 8, 0, 1}}};
    g.DrawTrianglesTex(&source, triangle, 1);
    EXPECT_EQ(image.GetBits()[5 * 20 + 5], 0xFF00FF00u);
    EXPECT_EQ(image.GetBits()[5 * 20 + 8], 0u);
    EXPECT_EQ(image.GetBits()[4 * 20 + 5], 0u);
}

} // namespace
} // namespace Vesk
