#include "framework/graphics/SharedImage.h"

#include "framework/graphics/MemoryImage.h"

namespace Vesk
{

SharedImage::SharedImage() = default;

SharedImage::~SharedImage() = default;

} // namespace Vesk
