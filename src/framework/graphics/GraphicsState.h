#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Rect.h"

namespace Vesk
{

class Font;

// Everything a Graphics draws with, copied as a whole by PushState and PopState.
struct GraphicsState
{
    Image* destImage = nullptr;
    float transX = 0;
    float transY = 0;
    // When not 1, plain image draws become stretched draws about the scale origin.
    float scaleX = 1;
    float scaleY = 1;
    float scaleOrigX = 0;
    float scaleOrigY = 0;
    Rect clipRect;
    Color color;
    Font* font = nullptr;
    int drawMode = DRAWMODE_NORMAL;
    bool colorizeImages = false;
    bool fastStretch = false;
    bool writeColoredString = true;
    bool linearBlend = false;
    bool is3D = false;
};

} // namespace Vesk
