#pragma once

namespace Vesk
{

// A position in pixels.
struct Point
{
    int x = 0;
    int y = 0;

    constexpr Point() = default;
    constexpr Point(int x, int y) : x(x), y(y) {}
    constexpr bool operator==(const Point&) const = default;
};

} // namespace Vesk
