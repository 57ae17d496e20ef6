#include "support/PublicationFrame.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/TriVertex.h"
#include "support/TestPictures.h"

#include <cmath>

namespace Vesk::TestSupport
{

PublicationFrame::PublicationFrame() : font(2)
{
    // A wood-like desk tile.
    std::vector<uint32_t> tile(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            uint32_t ring = uint32_t(std::lround(18 * std::sin((x + 3 * std::sin(y * 0.2)) * 0.35)));
            tile[size_t(y * 64 + x)] = 0xFF000000u | ((110 + ring) << 16) | ((70 + ring / 2) << 8) | 40;
        }
    deskTile.SetBits(tile.data(), 64, 64, true);

    std::vector<uint32_t> face = TestPictures::Page(767, 588, 5);
    page.SetBits(face.data(), 767, 588, true);

    // A soft shadow: black with alpha falling off towards the edges.
    std::vector<uint32_t> soft(96 * 96);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
        {
            double dx = std::min(x, 95 - x) / 24.0, dy = std::min(y, 95 - y) / 24.0;
            double a = std::min(1.0, std::min(dx, dy)) * 150;
            soft[size_t(y * 96 + x)] = uint32_t(a) << 24;
        }
    shadow.SetBits(soft.data(), 96, 96, true);

    for (int i = 0; i < 12; ++i)
    {
        auto picture = std::make_unique<MemoryImage>();
        int size = 40 + i * 5;
        std::vector<uint32_t> sprite = TestPictures::Sprite(size, size * 3 / 4);
        picture->SetBits(sprite.data(), size, size * 3 / 4, true);
        pictures.push_back(std::move(picture));
    }
}

void PublicationFrame::Paint(Graphics& g, bool extras)
{
    // The desk.
    for (int y = 0; y < Height; y += 64)
        for (int x = 0; x < Width; x += 64)
            g.DrawImage(&deskTile, x, y);

    // Two shadows under the page, stretched from the soft picture.
    g.DrawImage(&shadow, Rect(6, 2, 790, 600), Rect(0, 0, 96, 96));
    g.DrawImage(&shadow, Rect(380, 0, 60, 600), Rect(0, 0, 96, 96));

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

} // namespace Vesk::TestSupport
