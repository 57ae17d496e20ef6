#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class FontData;
struct ImageData;

// A rectangle of a font layer's picture (x, y, width, height in pixels).
struct FontRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const FontRect&) const = default;
};

// What a layer knows about one character (indexed by the mapped byte).
struct CharData
{
    FontRect imageRect;
    int offsetX = 0;
    int offsetY = 0;
    // Extra advance when this character is followed by the indexed one.
    std::array<int8_t, 256> kerning{};
    int width = 0; // the advance
    int order = 0; // drawing order among the glyphs of one string
};

// One layer of an image font: a picture with a rectangle per character and the metrics,
// colours, order and conditions (point range, tags) under which it is drawn. Layers are
// written by the descriptor commands and only read afterwards; the font data owns them.
struct FontLayer
{
    FontData* fontData = nullptr;
    std::vector<std::string> requiredTags; // upper case
    std::vector<std::string> excludedTags;
    std::array<CharData, 256> chars{};
    uint32_t colorMult = 0xFFFFFFFF; // 0xAARRGGBB
    uint32_t colorAdd = 0x00000000;
    // The glyph picture, shared by every layer and font that uses the same file.
    std::shared_ptr<const ImageData> image;
    std::string imageFile;
    int drawMode = -1; // -1 keeps the drawing context's mode; 0 normal, 1 additive
    int offsetX = 0;
    int offsetY = 0;
    int spacing = 0; // added to every kerning value
    int minPointSize = -1;
    int maxPointSize = -1;
    int pointSize = 0; // 0: never rescaled for the point size
    int ascent = 0;
    int ascentPadding = 0;
    int height = 0; // 0: use defaultHeight
    int defaultHeight = 0;
    int lineSpacingOffset = 0;
    int baseOrder = 0;
};

} // namespace Vesk
