#pragma once

namespace Vesk
{

// One horizontal run of pixels of a scan-converted shape: width pixels from (x, y) rightwards.
struct Span
{
    int x = 0;
    int y = 0;
    int width = 0;
};

} // namespace Vesk
