#pragma once

namespace Vesk
{

// Margins on the four sides of a rectangle, in pixels.
struct Insets
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr Insets() = default;
    constexpr Insets(int left, int top, int right, int bottom) : left(left), top(top), right(right), bottom(bottom) {}
    constexpr bool operator==(const Insets&) const = default;
};

} // namespace Vesk
