#pragma once

#include <string>

namespace Vesk
{

// Bakes an image font from a TrueType face: the glyphs go white (alpha = coverage) into an
// atlas PNG, and a font descriptor describes them in the descriptor language: the characters'
// rectangles, advances, offsets and the face's kerning pairs, with an optional shadow layer
// (the same glyphs, dark and offset, drawn under the text) or outline layer (dilated glyphs of
// their own atlas). A no-break space the face lacks advances like a space; other characters it
// lacks come from the fallback face when one is given, else are left out. Output: <folder>/<name>.txt, <name>.png and,
// for an outline, <name>_outline.png, each written whole or not at all.
class FontBaker
{
public:
    enum class Effect
    {
        None,
        Shadow,
        Outline,
    };

    struct Options
    {
        std::string face;         // a font file (a path: it must exist), or a face name for fontconfig
        int pointSize = 12;       // the descriptor's point size
        int pixelSize = 0;        // pixels per em; 0: pointSize x 96 / 72
        std::string fallbackFace; // characters the face lacks are taken from it (optional)
        std::string characters;   // empty: printable ASCII and Latin-1
        std::string outputFolder = ".";
        std::string name = "font";
        Effect effect = Effect::None;
        int outlineWidth = 1;       // pixels
        double shadowOpacity = 0.6; // 0..1
        int atlasWidth = 512;
    };

    // Bakes the font; on failure returns false with the reason in error.
    [[nodiscard]] static bool Bake(const Options& options, std::string& error);

    // A string as a descriptor token: double-quoted, with backslashes escaped and double
    // quotes doubled.
    static std::string Quote(const std::string& text);
};

} // namespace Vesk
