#include "framework/graphics/Tint.h"

#include <algorithm>

namespace Vesk
{

Tint::Tint(const Color& color)
    : red(uint32_t(std::clamp(color.red, 0, 255) + 1)), green(uint32_t(std::clamp(color.green, 0, 255) + 1)),
      blue(uint32_t(std::clamp(color.blue, 0, 255) + 1)), white(color.IsWhite())
{
    uint32_t alpha = uint32_t(std::clamp(color.alpha, 0, 255));
    for (uint32_t i = 0; i < 256; ++i)
        alphaTable[i] = uint8_t(alpha * i / 255);
}

} // namespace Vesk
