#pragma once

#include "framework/graphics/GraphicsState.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Matrix3;
class Transform;
struct Point;
struct TriVertex;

// The drawing context every widget receives when it paints. It carries a drawing state
// (destination image, translation, clip rectangle, colour, font, draw mode and flags) and turns
// each request into one primitive call on the destination image after translating and clipping
// it; it never touches pixels itself. Text is drawn through the current font, with colour codes
// and word wrapping added here.
//
// Lives on the caller's stack (the widget manager makes one per frame for the screen image).
// Pushed states must be popped by the same drawing code; states left on the stack are dropped
// with the object.
class Graphics : public GraphicsState
{
public:
    // A context drawing into destination (a shared empty image when null); the clip is the
    // image's bounds.
    explicit Graphics(Image* destination = nullptr);
    // The same state, with an empty stack.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    std::unique_ptr<Graphics> Create() const;

    void PushState();
    // Restores the last pushed state; nothing when none was pushed.
    void PopState();

    void SetFont(Font* newFont) { font = newFont; }
    Font* GetFont() const { return font; }
    void SetColor(const Color& newColor) { color = newColor; }
    const Color& GetColor() const { return color; }
    void SetDrawMode(int mode) { drawMode = mode; }
    int GetDrawMode() const { return drawMode; }
    void SetColorizeImages(bool colorize) { colorizeImages = colorize; }
    bool GetColorizeImages() const { return colorizeImages; }
    void SetFastStretch(bool fast) { fastStretch = fast; }
    bool GetFastStretch() const { return fastStretch; }
    void SetLinearBlend(bool linear) { linearBlend = linear; }
    bool GetLinearBlend() const { return linearBlend; }
    void Translate(int dx, int dy);
    void TranslateF(float dx, float dy);
    // Intersects the clip with the translated rectangle: the clip can only shrink.
    void ClipRect(int x, int y, int width, int height);
    void ClipRect(const Rect& rect) { ClipRect(rect.x, rect.y, rect.width, rect.height); }
    const Rect& GetClipRect() const { return clipRect; }
    Image* GetDestImage() const { return destImage; }

    // Shapes, in the translated coordinates, within the clip.
    void ClearRect(int x, int y, int width, int height);
    void ClearRect(const Rect& rect) { ClearRect(rect.x, rect.y, rect.width, rect.height); }
    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& rect) { FillRect(rect.x, rect.y, rect.width, rect.height); }
    // The outline covering (width + 1) x (height + 1) pixels.
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& rect) { DrawRect(rect.x, rect.y, rect.width, rect.height); }
    void DrawLine(int startX, int startY, int endX, int endY);
    void DrawLineAA(int startX, int startY, int endX, int endY);
    // Filled polygons (non-zero winding); the AA form weights edge pixels by their coverage.
    void PolyFill(const Point* vertices, int count);
    void PolyFillAA(const Point* vertices, int count);
    // The font draws text with its baseline at (x, y); nothing without a font.
    void DrawString(const std::string& text, int x, int y);

    // Images. Every form draws nothing when srcRect does not lie inside the image.
    void DrawImage(Image* image, int x, int y);
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    void DrawImage(Image* image, const Rect& destRect, const Rect& srcRect);
    void DrawImage(Image* image, int x, int y, int width, int height);
    void DrawImageF(Image* image, float x, float y);
    void DrawImageF(Image* image, float x, float y, const Rect& srcRect);
    void DrawImageMirror(Image* image, int x, int y);
    void DrawImageMirror(Image* image, int x, int y, const Rect& srcRect);
    void DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror);
    // Rotated by angle (radians, counter-clockwise on screen) about (centerX, centerY) of the
    // source rectangle (default: its middle); with angle 0 the image lies at (x, y).
    void DrawImageRotated(Image* image, int x, int y, double angle);
    void DrawImageRotated(Image* image, int x, int y, double angle, const Rect& srcRect);
    void DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY);
    void DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY, const Rect& srcRect);
    void DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                           const Rect& srcRect);
    // The source rectangle, centred on its own middle, placed by matrix at (x, y).
    void DrawImageMatrix(Image* image, const Matrix3& matrix, float x, float y);
    void DrawImageMatrix(Image* image, const Matrix3& matrix, float x, float y, const Rect& srcRect);
    void DrawImageTransform(Image* image, const Transform& transform, float x, float y);
    void DrawImageTransform(Image* image, const Transform& transform, float x, float y, const Rect& srcRect,
                            bool floatPlacement = false);
    void DrawImageTransformF(Image* image, const Transform& transform, float x, float y);
    void DrawTrianglesTex(Image* texture, const TriVertex (*vertices)[3], int count);
    // One cell of an image divided into rows x columns; out-of-range cells draw nothing.
    void DrawImageCel(Image* image, int x, int y, int cel);
    void DrawImageCel(Image* image, int x, int y, int column, int row);
    void DrawImageCel(Image* image, const Rect& destRect, int cel);
    void DrawImageCel(Image* image, const Rect& destRect, int column, int row);
    // A nine-slice box: corners as they are, edges and centre tiled.
    void DrawImageBox(const Rect& destRect, Image* image);
    void DrawImageBox(const Rect& destRect, Image* image, const Rect& srcRect);

    // Text with colour codes ("^RRGGBB^" sets the colour, "^oldclr^" restores oldColor,
    // "^^" writes a caret): length characters from offset at baseline y; justification -1 left,
    // 0 centred in width, 1 right-aligned in width. Returns the width written; with draw false it
    // only measures. oldColor is 0xAARRGGBB, -1 meaning the colour at the start of the call.
    int WriteString(const std::string& text, int x, int y, int width = -1, int justification = -1, bool draw = true,
                    int offset = 0, int length = -1, int oldColor = -1);
    // Word-wrapped text within rect.width, first baseline at rect.y + ascent - ascent padding.
    // Returns the height used. lineSpacing -1 is the font's.
    int WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing = -1, int justification = -1);
    // The height WriteWordWrapped would use, drawing nothing.
    int GetWordWrappedHeight(int width, const std::string& text, int lineSpacing = -1);
    // WriteWordWrapped at x, width wide, with the first baseline at y.
    int DrawStringWordWrapped(const std::string& text, int x, int y, int width, int lineSpacing = -1,
                              int justification = -1);

private:
    Color ImageColor() const { return colorizeImages ? color : Color::White; }
    bool IsScaled() const { return scaleX != 1 || scaleY != 1; }
    // Clips the segment to the clip rectangle; false when nothing remains.
    bool ClipLine(double& x1, double& y1, double& x2, double& y2) const;
    int WriteStringWithOldColor(const std::string& text, int x, int y, int width, int justification, bool draw,
                                int offset, int length, const Color& oldColor);
    void DrawImageTiled(Image* image, const Rect& area, const Rect& piece, int startX, int startY);

    std::vector<GraphicsState> stateStack;
};

} // namespace Vesk
