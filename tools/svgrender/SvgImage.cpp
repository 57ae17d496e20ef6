#include "svgrender/SvgImage.h"

#include <cairo.h>

#include <algorithm>

namespace Vesk
{

void SvgImage::SurfaceDeleter::operator()(cairo_surface_t* surface) const
{
    cairo_surface_destroy(surface);
}

SvgImage::SvgImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    cairo_surface_t* created = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(created) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(created);
        return;
    }
    surface.reset(created);
    this->width = width;
    this->height = height;
}

uint32_t SvgImage::PixelAt(int x, int y) const
{
    if (!surface || x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const uint32_t premultiplied = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
    const uint32_t alpha = premultiplied >> 24;
    if (alpha == 0)
        return 0;
    auto unpremultiply = [alpha](uint32_t channel) { return (channel * 255 + alpha / 2) / alpha; };
    const uint32_t red = unpremultiply((premultiplied >> 16) & 0xFF);
    const uint32_t green = unpremultiply((premultiplied >> 8) & 0xFF);
    const uint32_t blue = unpremultiply(premultiplied & 0xFF);
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

bool SvgImage::OpaqueBounds(int& x, int& y, int& width, int& height) const
{
    if (!surface)
        return false;
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    int left = this->width;
    int top = this->height;
    int right = -1;
    int bottom = -1;
    for (int row = 0; row < this->height; ++row)
    {
        const uint32_t* pixels = reinterpret_cast<const uint32_t*>(data + row * stride);
        int first = 0;
        while (first < this->width && (pixels[first] >> 24) == 0)
            ++first;
        if (first == this->width)
            continue;
        int last = this->width - 1;
        while ((pixels[last] >> 24) == 0)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, row);
        bottom = row;
    }
    if (right < 0)
        return false;
    x = left;
    y = top;
    width = right - left + 1;
    height = bottom - top + 1;
    return true;
}

void SvgImage::CopyFrom(const SvgImage& source, int x, int y, int width, int height, int toX, int toY)
{
    if (!surface || !source.surface)
        return;
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr, toX, toY, width, height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, source.surface.get(), toX - x, toY - y);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface.get());
}

bool SvgImage::EncodePng(std::vector<uint8_t>& bytes) const
{
    bytes.clear();
    if (!surface)
        return false;
    auto append = [](void* closure, const unsigned char* data, unsigned int length)
    {
        auto* out = static_cast<std::vector<uint8_t>*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    return cairo_surface_write_to_png_stream(surface.get(), append, &bytes) == CAIRO_STATUS_SUCCESS;
}

} // namespace Vesk
