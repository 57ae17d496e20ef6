#pragma once

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace Vesk
{

// A picture rendered from SVG: a 32-bit image with alpha, held as a cairo image surface
// (premultiplied inside). It owns its surface; moving hands the surface over.
class SvgImage
{
public:
    // A fully transparent picture; a zero or negative size gives an empty picture.
    SvgImage(int width, int height);

    int Width() const { return width; }
    int Height() const { return height; }
    bool IsEmpty() const { return surface == nullptr; }
    cairo_surface_t* Surface() const { return surface.get(); }

    // The pixel at (x, y) as straight-alpha 0xAARRGGBB, the form the game's images use;
    // 0 outside the picture.
    uint32_t PixelAt(int x, int y) const;

    // The smallest rectangle holding every pixel that is not fully transparent; false when the
    // picture is empty or wholly transparent.
    [[nodiscard]] bool OpaqueBounds(int& x, int& y, int& width, int& height) const;

    // Copies a rectangle of `source` (which must lie inside it) to (toX, toY) of this picture,
    // pixel for pixel, replacing what was there.
    void CopyFrom(const SvgImage& source, int x, int y, int width, int height, int toX, int toY);

    // Encodes the picture as an 8-bit PNG (RGBA with straight alpha; RGB when every pixel is
    // opaque, which the game reads as opaque RGBA). Deterministic: the same
    // pixels always give the same bytes.
    [[nodiscard]] bool EncodePng(std::vector<uint8_t>& bytes) const;

private:
    struct SurfaceDeleter
    {
        void operator()(cairo_surface_t* surface) const;
    };

    int width = 0;
    int height = 0;
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface;
};

} // namespace Vesk
