#include "support/PublicationFrame.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/TriVertex.h"
#include "support/TestPictures.h"

#include <cmath>

namespace Vesk::TestSupport
{

namespace
{

ReferenceRenderer::Canvas CanvasOf(const std::vector<uint32_t>& pixels, int width, int height)
{
    ReferenceRenderer::Canvas canvas(width, height);
    canvas.pixels = pixels;
    return canvas;
}

Rect Whole(const ReferenceRenderer::Canvas& canvas)
{
    return Rect(0, 0, canvas.width, canvas.height);
}

} // namespace

PublicationFrame::PublicationFrame() : font(2)
{
    // A wood-like desk tile.
    std::vector<uint32_t> tile(256 * 192);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
        {
            uint32_t ring = uint32_t(std::lround(18 + 18 * std::sin((x + 3 * std::sin(y * 0.2)) * 0.35)));
            tile[size_t(y * 256 + x)] = 0xFF000000u | ((100 + ring) << 16) | ((60 + ring / 2) << 8) | 40;
        }
    deskTile.SetBits(tile.data(), 256, 192, true);
    deskTileCanvas = CanvasOf(tile, 256, 192);

    std::vector<uint32_t> face = TestPictures::Page(767, 588, 5);
    page.SetBits(face.data(), 767, 588, true);
    pageCanvas = CanvasOf(face, 767, 588);

    // The two shadows of the open publication: black, softly fading out beyond the page's edges
    // (the part under the page is transparent).
    auto makeShadow = [](MemoryImage& shadow, ReferenceRenderer::Canvas& canvas, bool left)
    {
        const int w = 420, h = 600;
        std::vector<uint32_t> soft(size_t(w) * size_t(h), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                double outside = std::max(left ? 16.0 - x : x - (w - 16.0), std::max(6.0 - y, y - 594.0));
                double inside = std::min(left ? x - 16.0 : (w - 16.0) - x, std::min(y - 6.0, 594.0 - y));
                double a = inside > 8 ? 0 : outside > 12 ? 0 : 140 * (1 - std::max(outside, 0.0) / 12);
                soft[size_t(y * w + x)] = uint32_t(a) << 24;
            }
        shadow.SetBits(soft.data(), w, h, true);
        canvas = CanvasOf(soft, w, h);
    };
    makeShadow(leftShadow, leftShadowCanvas, true);
    makeShadow(rightShadow, rightShadowCanvas, false);

    for (int i = 0; i < 12; ++i)
    {
        auto picture = std::make_unique<MemoryImage>();
        int size = 40 + i * 5;
        std::vector<uint32_t> sprite = TestPictures::Sprite(size, size * 3 / 4);
        picture->SetBits(sprite.data(), size, size * 3 / 4, true);
        pictureCanvases.push_back(CanvasOf(sprite, size, size * 3 / 4));
        pictures.push_back(std::move(picture));
    }
}

void PublicationFrame::Paint(Graphics& g, bool extras)
{
    // The desk: its tile 5 x 5 from the world's corner, the camera at rest.
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 5; ++column)
            g.DrawImage(&deskTile, column * 256 - 300, row * 192 - 200);

    g.DrawImage(&leftShadow, 0, 0);
    g.DrawImage(&rightShadow, 380, 0);

    g.DrawImage(&page, 16, 6);

    for (int i = 0; i < 12; ++i)
    {
        MemoryImage* picture = pictures[size_t(i)].get();
        g.DrawImage(picture, 40 + (i % 4) * 180, 60 + (i / 4) * 170);
    }

    g.SetFont(&font);
    g.SetColor(Color(60, 40, 30));
    g.WriteString("VELLINOR: A JOURNEY THROUGH THE ^A02020^SALT MARSHES^oldclr^ - PAGE 3", 60, 40);

    if (!extras)
        return;
    g.DrawImageRotated(pictures[5].get(), 560, 420, 0.45);

    // A turned-up page corner: the page's own corner mapped onto two triangles.
    TriVertex corner[2][3] = {
        {{700, 520, 0.85f, 0.8f}, {783, 520, 1, 0.8f}, {700, 594, 0.85f, 1}},
        {{783, 520, 1, 0.8f}, {760, 580, 1, 1, 0xFFC0C0C0}, {700, 594, 0.85f, 1}},
    };
    g.DrawTrianglesTex(&page, corner, 2);

    g.SetColor(Color(30, 90, 160, 160));
    Point star[5] = {{120, 470}, {150, 560}, {70, 505}, {170, 505}, {90, 560}};
    g.PolyFillAA(star, 5);
    g.SetColor(Color(200, 30, 30));
    g.DrawRect(300, 470, 120, 80);
    g.DrawLineAA(300, 470, 420, 550);
    g.SetDrawMode(DRAWMODE_ADDITIVE);
    g.SetColor(Color(90, 70, 20));
    g.FillRect(440, 470, 80, 80);
    g.SetDrawMode(DRAWMODE_NORMAL);
    g.SetColor(Color(20, 20, 20));
    g.DrawStringWordWrapped("FOUND: THE BRASS KEY, THE OWL AND THE LANTERN OF THE OLD MILL.", 560, 80, 200);
}

ReferenceRenderer::Canvas PublicationFrame::PaintReference(bool extras) const
{
    using Renderer = ReferenceRenderer;
    Renderer::Canvas canvas(Width, Height, 0xFF000000, Renderer::Rule::Display);
    const Rect screen(0, 0, Width, Height);
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 5; ++column)
            Renderer::Blt(canvas, deskTileCanvas, column * 256 - 300, row * 192 - 200, Whole(deskTileCanvas),
                          Color::White, DRAWMODE_NORMAL);
    Renderer::Blt(canvas, leftShadowCanvas, 0, 0, Whole(leftShadowCanvas), Color::White, DRAWMODE_NORMAL);
    Renderer::Blt(canvas, rightShadowCanvas, 380, 0, Whole(rightShadowCanvas), Color::White, DRAWMODE_NORMAL);
    Renderer::Blt(canvas, pageCanvas, 16, 6, Whole(pageCanvas), Color::White, DRAWMODE_NORMAL);
    for (int i = 0; i < 12; ++i)
    {
        const Renderer::Canvas& picture = pictureCanvases[size_t(i)];
        Renderer::Blt(canvas, picture, 40 + (i % 4) * 180, 60 + (i / 4) * 170, Whole(picture), Color::White,
                      DRAWMODE_NORMAL);
    }
    if (!extras)
        return canvas;
    const Renderer::Canvas& turned = pictureCanvases[5];
    Renderer::Rotated(canvas, turned, 560, 420, Whole(turned), screen, Color::White, DRAWMODE_NORMAL, 0.45,
                      turned.width / 2, turned.height / 2);
    Renderer::Fill(canvas, Rect(440, 470, 80, 80), Color(90, 70, 20), DRAWMODE_ADDITIVE);
    return canvas;
}

} // namespace Vesk::TestSupport
