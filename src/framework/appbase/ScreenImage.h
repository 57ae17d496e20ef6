#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vesk
{

// The picture the widgets paint and the display presents: width x height 32-bit pixels
// 0xAARRGGBB, owned by the application.
//
// TODO(graphics): stands in for the display's MemoryImage-based screen image; the widget
// manager's screenImage and VeskAppBase::GetScreenImage switch to that image when it exists.
class ScreenImage
{
public:
    void Create(int width, int height)
    {
        this->width = width;
        this->height = height;
        bits.assign(static_cast<size_t>(width) * height, 0xFF000000u);
    }
    uint32_t* GetBits() { return bits.data(); }
    const uint32_t* GetBits() const { return bits.data(); }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

    int width = 0;
    int height = 0;
    std::vector<uint32_t> bits;
};

} // namespace Vesk
