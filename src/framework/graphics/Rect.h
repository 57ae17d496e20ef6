#pragma once

namespace Vesk
{

// A rectangle of pixels: top-left corner and size (signed 32-bit).
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool operator==(const Rect&) const = default;
};

// A point in pixels.
struct Point
{
    int x = 0;
    int y = 0;

    bool operator==(const Point&) const = default;
};

} // namespace Vesk
