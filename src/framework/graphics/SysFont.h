#pragma once

#include "framework/graphics/Font.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Vesk
{

class VeskAppBase;
struct ImageData;

// A font of the system, found by face name through fontconfig (a face the machine lacks
// falls back to the closest match, e.g. DejaVu Sans for "Arial Unicode MS") and rendered with
// FreeType at point size x 96 / 72 pixels per em. Characters 0..255 are Latin-1. Optionally
// drawn with a black shadow one pixel right and down, and with a simulated bold (the text
// again one pixel to the right); neither changes the measured width. Owns its face.
class SysFont : public Font
{
public:
    SysFont(const std::string& face, int pointSize, bool bold = false, bool italic = false, bool underline = false);
    // The form the widgets use; the character set is always Latin-1 here.
    SysFont(VeskAppBase* app, const std::string& face, int pointSize, int charSet = 0);
    ~SysFont() override;
    SysFont& operator=(const SysFont&) = delete;

    // Whether a face file was found and opened (without one the font measures 0).
    bool IsLoaded() const;
    // The file fontconfig chose for the face name.
    const std::string& GetFacePath() const { return facePath; }

    int StringWidth(const std::string& text) override;
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    // A font of the same face and size; shadow and simulated bold are not copied.
    std::unique_ptr<Font> Duplicate() const override;

    // The text as a picture whose top left lies at (x, baseline - ascent): transparent where
    // nothing is drawn, with the shadow and simulated bold applied. color is 0xAARRGGBB.
    ImageData RenderString(const std::string& text, uint32_t color);

    VeskAppBase* app = nullptr;
    bool shadow = false;
    bool simulateBold = false;

private:
    struct Face;

    void Open();

    std::string faceName;
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string facePath;
    std::unique_ptr<Face> face;
};

} // namespace Vesk
