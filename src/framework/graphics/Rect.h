#pragma once

#include <algorithm>

namespace Vesk
{

// An axis-aligned rectangle: top-left corner and size in pixels (signed 32-bit). A rectangle
// whose width or height is not positive is empty.
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height) : x(x), y(y), width(width), height(height) {}

    constexpr bool IsEmpty() const { return width <= 0 || height <= 0; }
    constexpr bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    // Whether other lies wholly inside this rectangle (an empty other at a point inside counts).
    constexpr bool Contains(const Rect& other) const
    {
        return other.x >= x && other.y >= y && other.x + other.width <= x + width &&
               other.y + other.height <= y + height;
    }
    constexpr bool Intersects(const Rect& other) const { return !Intersection(other).IsEmpty(); }

    // The common part; width and height are 0 when the rectangles do not overlap.
    constexpr Rect Intersection(const Rect& other) const
    {
        int left = std::max(x, other.x);
        int top = std::max(y, other.y);
        int right = std::min(x + width, other.x + other.width);
        int bottom = std::min(y + height, other.y + other.height);
        if (right <= left || bottom <= top)
            return Rect(left, top, 0, 0);
        return Rect(left, top, right - left, bottom - top);
    }
    // The smallest rectangle holding both; an empty rectangle does not count.
    constexpr Rect Union(const Rect& other) const
    {
        if (IsEmpty())
            return other;
        if (other.IsEmpty())
            return *this;
        int left = std::min(x, other.x);
        int top = std::min(y, other.y);
        int right = std::max(x + width, other.x + other.width);
        int bottom = std::max(y + height, other.y + other.height);
        return Rect(left, top, right - left, bottom - top);
    }
    constexpr Rect Offset(int dx, int dy) const { return Rect(x + dx, y + dy, width, height); }

    constexpr bool operator==(const Rect&) const = default;
};

} // namespace Vesk
