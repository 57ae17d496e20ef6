#pragma once

#include "framework/graphics/ActiveFontLayer.h"
#include "framework/graphics/Font.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class FontData;
class Image;
class VeskAppBase;
struct ImageData;

// A bitmap font whose glyphs are cut from pictures, described by a font descriptor (see
// FontData). The description is shared by every copy of the font; each copy has its own
// point size, tags and scale, from which it builds its active layers lazily. Drawing takes
// one process-wide lock per string, because the glyph records are a shared, fixed pool.
class ImageFont : public Font
{
public:
    // One glyph to draw: a rectangle of a picture at a position, in a colour and draw mode.
    struct GlyphDraw
    {
        const ImageData* image = nullptr;
        Image* drawable = nullptr; // the same picture as a drawable image
        int x = 0;
        int y = 0;
        FontRect source;
        uint32_t color = 0; // 0xAARRGGBB
        int drawMode = -1;  // -1: keep the drawing context's mode
    };
    using GlyphVisitor = std::function<void(const GlyphDraw&)>;

    // The glyph records available to one string; glyphs beyond them are not drawn.
    static constexpr int kGlyphPoolSize = 4096;

    // Loads the descriptor; IsLoaded tells whether that worked.
    ImageFont(VeskAppBase* app, const std::string& descriptorFile);
    // The older form: one picture with a metrics file beside it.
    ImageFont(std::shared_ptr<const ImageData> image, const std::string& metricsFile);
    // A font over an already parsed description.
    explicit ImageFont(std::shared_ptr<FontData> data);
    ~ImageFont() override;
    ImageFont(const ImageFont& other);

    bool IsLoaded() const;

    // Metrics and measuring rebuild the active layers first when they are out of date.
    int GetAscent() const override;
    int GetAscentPadding() const override;
    int GetDescent() const override;
    int GetHeight() const override;
    int GetLineSpacingOffset() const override;
    int GetLineSpacing() const override;
    int StringWidth(const std::string& text) override;
    int CharWidth(char character) override;
    int CharWidthKern(char character, char prevChar) override;
    void DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Duplicate() const override;

    // Rebuilds the active layers and the font metrics for the point size, tags and scale.
    virtual void GenerateActiveFontLayers();
    // Draws text with its baseline at y; optionally reports each glyph's rectangle and the
    // width of the string.
    virtual void DrawStringEx(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                              const Rect& clipRect, std::vector<Rect>* rectList, int* width);
    virtual void SetPointSize(int size);
    virtual int GetPointSize() const { return pointSize; }
    virtual void SetScale(double factor);
    virtual int GetDefaultPointSize() const;
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag) const;
    // A define of the descriptor as text: a list as "(" items joined by ", " ")"; "" when undefined.
    virtual std::string GetDefine(const std::string& name) const;
    virtual void Prepare();

    // Lays text out exactly as drawing does (layers, offsets, kerning, colours, order buckets
    // under the pool lock) and hands the glyphs to visit in drawing order. rectList receives
    // each glyph's rectangle; the result is the width of the string. color is 0xAARRGGBB.
    int LayoutString(int x, int y, const std::string& text, uint32_t color, const GlyphVisitor& visit,
                     std::vector<FontRect>* rectList = nullptr);

    std::shared_ptr<FontData> fontData;
    int pointSize = 0;
    std::vector<std::string> tags; // upper case
    bool activeLayersValid = false;
    std::vector<ActiveFontLayer> activeLayers;
    double scale = 1.0;
    bool forceScaledImagesWhite = false; // scaled pictures get white colour channels
};

} // namespace Vesk
