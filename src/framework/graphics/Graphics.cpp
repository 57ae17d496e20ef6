#include "framework/graphics/Graphics.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Span.h"
#include "framework/graphics/Transform.h"
#include "framework/graphics/TriVertex.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// The destination of a Graphics made without one: empty, so everything drawn is clipped away.
Image* SharedEmptyImage()
{
    static MemoryImage empty;
    return &empty;
}

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

} // namespace

Graphics::Graphics(Image* destination)
{
    destImage = destination ? destination : SharedEmptyImage();
    clipRect = Rect(0, 0, destImage->GetWidth(), destImage->GetHeight());
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Create() const
{
    return std::make_unique<Graphics>(*this);
}

void Graphics::PushState()
{
    stateStack.push_back(static_cast<const GraphicsState&>(*this));
}

void Graphics::PopState()
{
    if (stateStack.empty())
        return;
    static_cast<GraphicsState&>(*this) = stateStack.back();
    stateStack.pop_back();
}

void Graphics::Translate(int dx, int dy)
{
    transX += float(dx);
    transY += float(dy);
}

void Graphics::TranslateF(float dx, float dy)
{
    transX += dx;
    transY += dy;
}

void Graphics::ClipRect(int x, int y, int width, int height)
{
    clipRect = clipRect.Intersection(Rect(x + int(transX), y + int(transY), width, height));
}

// Shapes

void Graphics::ClearRect(int x, int y, int width, int height)
{
    Rect area = Rect(x + int(transX), y + int(transY), width, height).Intersection(clipRect);
    if (!area.IsEmpty())
        destImage->ClearRect(area);
}

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (color.alpha == 0)
        return;
    Rect area = Rect(x + int(transX), y + int(transY), width, height).Intersection(clipRect);
    if (!area.IsEmpty())
        destImage->FillRect(area, color, drawMode);
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (width < 0 || height < 0 || color.alpha == 0)
        return;
    Rect outline(x + int(transX), y + int(transY), width + 1, height + 1);
    if (clipRect.Contains(outline))
    {
        destImage->DrawRect(Rect(outline.x, outline.y, width, height), color, drawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

bool Graphics::ClipLine(double& x1, double& y1, double& x2, double& y2) const
{
    double left = clipRect.x, top = clipRect.y;
    double right = clipRect.x + clipRect.width - 1;
    double bottom = clipRect.y + clipRect.height - 1;
    if (clipRect.IsEmpty())
        return false;
    // Against the left and right edges, end points ordered by x.
    if (x1 > x2)
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (x2 < left || x1 > right)
        return false;
    if (x1 < left)
    {
        y1 = y1 + (left - x1) * (y2 - y1) / (x2 - x1);
        x1 = left;
    }
    if (x2 > right)
    {
        y2 = y1 + (right - x1) * (y2 - y1) / (x2 - x1);
        x2 = right;
    }
    // Against the top and bottom edges, end points ordered by y.
    if (y1 > y2)
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y2 < top || y1 > bottom)
        return false;
    if (y1 < top)
    {
        x1 = x1 + (top - y1) * (x2 - x1) / (y2 - y1);
        y1 = top;
    }
    if (y2 > bottom)
    {
        x2 = x1 + (bottom - y1) * (x2 - x1) / (y2 - y1);
        y2 = bottom;
    }
    return true;
}

void Graphics::DrawLine(int startX, int startY, int endX, int endY)
{
    double x1 = startX + int(transX), y1 = startY + int(transY);
    double x2 = endX + int(transX), y2 = endY + int(transY);
    if (ClipLine(x1, y1, x2, y2))
        destImage->DrawLine(x1, y1, x2, y2, color, drawMode);
}

void Graphics::DrawLineAA(int startX, int startY, int endX, int endY)
{
    double x1 = startX + int(transX), y1 = startY + int(transY);
    double x2 = endX + int(transX), y2 = endY + int(transY);
    if (ClipLine(x1, y1, x2, y2))
        destImage->DrawLineAA(x1, y1, x2, y2, color, drawMode);
}

void Graphics::PolyFill(const Point* vertices, int count)
{
    if (!vertices || count < 3 || color.alpha == 0)
        return;
    int tx = int(transX), ty = int(transY);
    int minY = vertices[0].y, maxY = vertices[0].y;
    for (int i = 1; i < count; ++i)
    {
        minY = std::min(minY, vertices[i].y);
        maxY = std::max(maxY, vertices[i].y);
    }
    int top = std::max(minY + ty, clipRect.y);
    int bottom = std::min(maxY + ty, clipRect.y + clipRect.height);
    std::vector<Span> spans;
    std::vector<std::pair<double, int>> crossings;
    for (int y = top; y < bottom; ++y)
    {
        // Crossings of the scan line through the pixel centres, with the edge's winding.
        double scanY = y + 0.5 - ty;
        crossings.clear();
        for (int i = 0; i < count; ++i)
        {
            const Point& a = vertices[i];
            const Point& b = vertices[(i + 1) % count];
            if (a.y == b.y)
                continue;
            bool down = a.y < b.y;
            double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
            if (scanY < y0 || scanY >= y1)
                continue;
            double x = a.x + (scanY - a.y) * double(b.x - a.x) / double(b.y - a.y);
            crossings.emplace_back(x + tx, down ? 1 : -1);
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i)
        {
            winding += crossings[i].second;
            if (winding == 0)
                continue;
            int left = std::max(int(std::ceil(crossings[i].first - 0.5)), clipRect.x);
            int right = std::min(int(std::ceil(crossings[i + 1].first - 0.5)), clipRect.x + clipRect.width);
            if (right > left)
                spans.push_back(Span{left, y, right - left});
        }
    }
    if (!spans.empty())
        destImage->FillScanLines(spans.data(), int(spans.size()), color, drawMode);
}

void Graphics::PolyFillAA(const Point* vertices, int count)
{
    if (!vertices || count < 3 || color.alpha == 0)
        return;
    int tx = int(transX), ty = int(transY);
    int minX = vertices[0].x, maxX = vertices[0].x, minY = vertices[0].y, maxY = vertices[0].y;
    for (int i = 1; i < count; ++i)
    {
        minX = std::min(minX, vertices[i].x);
        maxX = std::max(maxX, vertices[i].x);
        minY = std::min(minY, vertices[i].y);
        maxY = std::max(maxY, vertices[i].y);
    }
    Rect area = Rect(minX + tx, minY + ty, maxX - minX + 1, maxY - minY + 1).Intersection(clipRect);
    if (area.IsEmpty())
        return;
    // Coverage from 16 sub-scan lines per pixel row, each contributing its exact horizontal
    // overlap (in 1/16 of a pixel) to the pixels it crosses.
    constexpr int SubLines = 16;
    std::vector<int> accumulated(size_t(area.width) * size_t(area.height), 0);
    std::vector<std::pair<double, int>> crossings;
    for (int row = 0; row < area.height; ++row)
    {
        int* line = accumulated.data() + size_t(row) * size_t(area.width);
        for (int sub = 0; sub < SubLines; ++sub)
        {
            double scanY = area.y + row + (sub + 0.5) / SubLines - ty;
            crossings.clear();
            for (int i = 0; i < count; ++i)
            {
                const Point& a = vertices[i];
                const Point& b = vertices[(i + 1) % count];
                if (a.y == b.y)
                    continue;
                bool down = a.y < b.y;
                double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
                if (scanY < y0 || scanY >= y1)
                    continue;
                double x = a.x + (scanY - a.y) * double(b.x - a.x) / double(b.y - a.y);
                crossings.emplace_back(x + tx - area.x, down ? 1 : -1);
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i)
            {
                winding += crossings[i].second;
                if (winding == 0)
                    continue;
                double left = std::max(crossings[i].first, 0.0);
                double right = std::min(crossings[i + 1].first, double(area.width));
                for (int x = int(left); x < area.width && x < right; ++x)
                {
                    double overlap = std::min(right, x + 1.0) - std::max(left, double(x));
                    line[x] += int(overlap * 16 + 0.5);
                }
            }
        }
    }
    std::vector<uint8_t> coverage(accumulated.size());
    std::vector<Span> spans;
    for (int row = 0; row < area.height; ++row)
    {
        int start = -1;
        for (int x = 0; x <= area.width; ++x)
        {
            size_t at = size_t(row) * size_t(area.width) + size_t(x);
            int value = x < area.width ? accumulated[at] : 0;
            if (x < area.width)
                coverage[at] = uint8_t(std::min(value, 255));
            if (value > 0 && start < 0)
                start = x;
            if (value <= 0 && start >= 0)
            {
                spans.push_back(Span{area.x + start, area.y + row, x - start});
                start = -1;
            }
        }
    }
    if (!spans.empty())
        destImage->FillScanLinesWithCoverage(spans.data(), int(spans.size()), color, drawMode, coverage.data(), area.x,
                                             area.y, area.width, area.height);
}

void Graphics::DrawString(const std::string& text, int x, int y)
{
    if (font)
        font->DrawString(this, x, y, text, color, clipRect);
}

// Images

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image)
        DrawImage(image, x, y, image->GetRect());
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    if (IsScaled())
    {
        int destX = int(std::floor((float(x + int(transX)) - scaleOrigX) * scaleX + scaleOrigX));
        int destY = int(std::floor((float(y + int(transY)) - scaleOrigY) * scaleY + scaleOrigY));
        int destWidth = int(std::ceil(float(srcRect.width) * scaleX));
        int destHeight = int(std::ceil(float(srcRect.height) * scaleY));
        destImage->StretchBlt(image, Rect(destX, destY, destWidth, destHeight), srcRect, clipRect, ImageColor(),
                              drawMode, fastStretch);
        return;
    }
    Rect dest = Rect(x + int(transX), y + int(transY), srcRect.width, srcRect.height);
    Rect visible = dest.Intersection(clipRect);
    if (visible.IsEmpty())
        return;
    Rect source(srcRect.x + visible.x - dest.x, srcRect.y + visible.y - dest.y, visible.width, visible.height);
    destImage->Blt(image, visible.x, visible.y, source, ImageColor(), drawMode);
}

void Graphics::DrawImage(Image* image, const Rect& destRect, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    destImage->StretchBlt(image, destRect.Offset(int(transX), int(transY)), srcRect, clipRect, ImageColor(), drawMode,
                          fastStretch);
}

void Graphics::DrawImage(Image* image, int x, int y, int width, int height)
{
    if (image)
        DrawImage(image, Rect(x, y, width, height), image->GetRect());
}

void Graphics::DrawImageF(Image* image, float x, float y)
{
    if (image)
        DrawImageF(image, x, y, image->GetRect());
}

void Graphics::DrawImageF(Image* image, float x, float y, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    destImage->BltF(image, x + transX, y + transY, srcRect, clipRect, ImageColor(), drawMode);
}

void Graphics::DrawImageMirror(Image* image, int x, int y)
{
    if (image)
        DrawImageMirror(image, x, y, image->GetRect());
}

void Graphics::DrawImageMirror(Image* image, int x, int y, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    Rect dest = Rect(x + int(transX), y + int(transY), srcRect.width, srcRect.height);
    Rect visible = dest.Intersection(clipRect);
    if (visible.IsEmpty())
        return;
    // Columns cut on the left of the destination come off the right of the source.
    int cutRight = visible.x - dest.x;
    int cutLeft = (dest.x + dest.width) - (visible.x + visible.width);
    Rect source(srcRect.x + cutLeft, srcRect.y + visible.y - dest.y, srcRect.width - cutLeft - cutRight,
                visible.height);
    destImage->BltMirror(image, visible.x, visible.y, source, ImageColor(), drawMode);
}

void Graphics::DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror)
{
    if (!mirror)
        return DrawImage(image, destRect, srcRect);
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    destImage->StretchBltMirror(image, destRect.Offset(int(transX), int(transY)), srcRect, clipRect, ImageColor(),
                                drawMode, fastStretch);
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle)
{
    if (image)
        DrawImageRotated(image, x, y, angle, image->GetRect());
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, const Rect& srcRect)
{
    DrawImageRotated(image, x, y, angle, srcRect.width / 2, srcRect.height / 2, srcRect);
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY)
{
    if (image)
        DrawImageRotated(image, x, y, angle, centerX, centerY, image->GetRect());
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY, const Rect& srcRect)
{
    DrawImageRotatedF(image, float(x), float(y), angle, float(centerX), float(centerY), srcRect);
}

void Graphics::DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                                 const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    destImage->BltRotated(image, x + transX, y + transY, srcRect, clipRect, ImageColor(), drawMode, angle, centerX,
                          centerY);
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, float x, float y)
{
    if (image)
        DrawImageMatrix(image, matrix, x, y, image->GetRect());
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, float x, float y, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    destImage->BltMatrix(image, x + transX, y + transY, matrix, clipRect, ImageColor(), drawMode, srcRect, linearBlend);
}

void Graphics::DrawImageTransform(Image* image, const Transform& transform, float x, float y)
{
    if (image)
        DrawImageTransform(image, transform, x, y, image->GetRect(), false);
}

void Graphics::DrawImageTransformF(Image* image, const Transform& transform, float x, float y)
{
    if (image)
        DrawImageTransform(image, transform, x, y, image->GetRect(), true);
}

void Graphics::DrawImageTransform(Image* image, const Transform& transform, float x, float y, const Rect& srcRect,
                                  bool floatPlacement)
{
    if (!image)
        return;
    float halfWidth = float(srcRect.width) / 2;
    float halfHeight = float(srcRect.height) / 2;
    auto round = [](float value) { return int(value + 0.5f); };
    if (transform.general || (is3D && floatPlacement))
    {
        DrawImageMatrix(image, transform.GetMatrix(), x, y, srcRect);
    }
    else if (transform.hasRotation)
    {
        float centerX = halfWidth - transform.preX;
        float centerY = halfHeight - transform.preY;
        float destX = x + transform.postX - centerX;
        float destY = y + transform.postY - centerY;
        if (floatPlacement)
            DrawImageRotatedF(image, destX, destY, transform.angle, centerX, centerY, srcRect);
        else
            DrawImageRotatedF(image, float(round(destX)), float(round(destY)), transform.angle, centerX, centerY,
                              srcRect);
    }
    else if (transform.hasScale)
    {
        if (transform.sx == -1 && transform.sy == 1)
        {
            DrawImageMirror(image, round(x + transform.preX + transform.postX - halfWidth),
                            round(y + transform.preY + transform.postY - halfHeight), srcRect);
        }
        else
        {
            float width = 2 * halfWidth * std::fabs(transform.sx);
            float height = 2 * halfHeight * std::fabs(transform.sy);
            Rect dest(round(x + transform.postX - width / 2), round(y + transform.postY - height / 2), round(width),
                      round(height));
            DrawImageMirror(image, dest, srcRect, transform.sx == -1);
        }
    }
    else
    {
        float destX = x + transform.preX + transform.postX - halfWidth;
        float destY = y + transform.preY + transform.postY - halfHeight;
        if (floatPlacement)
            DrawImageF(image, destX, destY, srcRect);
        else
            DrawImage(image, round(destX), round(destY), srcRect);
    }
}

void Graphics::DrawTrianglesTex(Image* texture, const TriVertex (*vertices)[3], int count)
{
    if (!texture || !vertices || count <= 0)
        return;
    destImage->BltTrianglesTex(texture, vertices, count, clipRect, ImageColor(), drawMode, transX, transY, linearBlend);
}

void Graphics::DrawImageCel(Image* image, int x, int y, int cel)
{
    if (!image || cel < 0 || cel >= image->rows * image->columns)
        return;
    DrawImage(image, x, y, image->GetCelRect(cel));
}

void Graphics::DrawImageCel(Image* image, int x, int y, int column, int row)
{
    if (!image || column < 0 || row < 0 || column >= image->columns || row >= image->rows)
        return;
    DrawImage(image, x, y, image->GetCelRect(column, row));
}

void Graphics::DrawImageCel(Image* image, const Rect& destRect, int cel)
{
    if (!image || cel < 0 || cel >= image->rows * image->columns)
        return;
    DrawImage(image, destRect, image->GetCelRect(cel));
}

void Graphics::DrawImageCel(Image* image, const Rect& destRect, int column, int row)
{
    if (!image || column < 0 || row < 0 || column >= image->columns || row >= image->rows)
        return;
    DrawImage(image, destRect, image->GetCelRect(column, row));
}

void Graphics::DrawImageBox(const Rect& destRect, Image* image)
{
    if (image)
        DrawImageBox(destRect, image, image->GetRect());
}

void Graphics::DrawImageTiled(Image* image, const Rect& area, const Rect& piece, int startX, int startY)
{
    if (area.width <= 0 || area.height <= 0 || piece.width <= 0 || piece.height <= 0)
        return;
    PushState();
    ClipRect(area);
    int across = (area.width + piece.width - 1) / piece.width;
    int down = (area.height + piece.height - 1) / piece.height;
    for (int row = 0; row < down; ++row)
        for (int column = 0; column < across; ++column)
            DrawImage(image, startX + column * piece.width, startY + row * piece.height, piece);
    PopState();
}

void Graphics::DrawImageBox(const Rect& destRect, Image* image, const Rect& srcRect)
{
    if (!image || srcRect.IsEmpty() || !image->GetRect().Contains(srcRect))
        return;
    int cornerWidth = srcRect.width / 3;
    int cornerHeight = srcRect.height / 3;
    int middleWidth = srcRect.width - 2 * cornerWidth;
    int middleHeight = srcRect.height - 2 * cornerHeight;
    int left = destRect.x, top = destRect.y;
    int right = destRect.x + destRect.width - cornerWidth;
    int bottom = destRect.y + destRect.height - cornerHeight;
    int srcRight = srcRect.x + cornerWidth + middleWidth;
    int srcBottom = srcRect.y + cornerHeight + middleHeight;
    int spanWidth = destRect.width - 2 * cornerWidth;
    int spanHeight = destRect.height - 2 * cornerHeight;

    DrawImage(image, left, top, Rect(srcRect.x, srcRect.y, cornerWidth, cornerHeight));
    DrawImage(image, right, top, Rect(srcRight, srcRect.y, cornerWidth, cornerHeight));
    DrawImage(image, left, bottom, Rect(srcRect.x, srcBottom, cornerWidth, cornerHeight));
    DrawImage(image, right, bottom, Rect(srcRight, srcBottom, cornerWidth, cornerHeight));

    int innerX = left + cornerWidth, innerY = top + cornerHeight;
    DrawImageTiled(image, Rect(innerX, top, spanWidth, cornerHeight),
                   Rect(srcRect.x + cornerWidth, srcRect.y, middleWidth, cornerHeight), innerX, top);
    DrawImageTiled(image, Rect(innerX, bottom, spanWidth, cornerHeight),
                   Rect(srcRect.x + cornerWidth, srcBottom, middleWidth, cornerHeight), innerX, bottom);
    DrawImageTiled(image, Rect(left, innerY, cornerWidth, spanHeight),
                   Rect(srcRect.x, srcRect.y + cornerHeight, cornerWidth, middleHeight), left, innerY);
    DrawImageTiled(image, Rect(right, innerY, cornerWidth, spanHeight),
                   Rect(srcRight, srcRect.y + cornerHeight, cornerWidth, middleHeight), right, innerY);
    DrawImageTiled(image, Rect(innerX, innerY, spanWidth, spanHeight),
                   Rect(srcRect.x + cornerWidth, srcRect.y + cornerHeight, middleWidth, middleHeight), innerX, innerY);
}

// Text

int Graphics::WriteString(const std::string& text, int x, int y, int width, int justification, bool draw, int offset,
                          int length, int oldColor)
{
    Color old = oldColor == -1 ? color : Color::FromARGB(uint32_t(oldColor));
    return WriteStringWithOldColor(text, x, y, width, justification, draw, offset, length, old);
}

int Graphics::WriteStringWithOldColor(const std::string& text, int x, int y, int width, int justification, bool draw,
                                      int offset, int length, const Color& oldColor)
{
    if (!font)
        return 0;
    size_t begin = size_t(std::clamp(offset, 0, int(text.size())));
    size_t end = length < 0 ? text.size() : std::min(text.size(), begin + size_t(length));

    if (draw && justification != -1 && width >= 0)
    {
        int measured = WriteStringWithOldColor(text, x, y, width, -1, false, offset, length, oldColor);
        x += justification == 0 ? (width - measured) / 2 : width - measured;
    }

    if (!writeColoredString)
    {
        std::string plain = text.substr(begin, end - begin);
        if (draw)
            DrawString(plain, x, y);
        return font->StringWidth(plain);
    }

    int pen = x;
    int total = 0;
    std::string run;
    auto flush = [&]()
    {
        if (run.empty())
            return;
        if (draw)
            DrawString(run, pen, y);
        int runWidth = font->StringWidth(run);
        pen += runWidth;
        total += runWidth;
        run.clear();
    };
    for (size_t i = begin; i < end; ++i)
    {
        char ch = text[i];
        if (ch != '^')
        {
            run += ch;
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^')
        {
            run += '^';
            ++i;
            continue;
        }
        // A code is eight characters; one that runs past the end ends the text.
        if (i + 8 > end)
            break;
        flush();
        std::string code = text.substr(i + 1, 7);
        if (draw)
        {
            if (code == "oldclr^")
            {
                color = oldColor;
            }
            else if (code[6] == '^')
            {
                int digits[6];
                bool valid = true;
                for (int k = 0; k < 6; ++k)
                    valid = valid && (digits[k] = HexDigit(code[size_t(k)])) >= 0;
                if (valid)
                    color = Color(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5],
                                  color.alpha);
            }
        }
        i += 7;
    }
    flush();
    return total;
}

int Graphics::WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing, int justification)
{
    if (!font)
        return 0;
    Color originalColor = color;
    int ascent = font->GetAscent() - font->GetAscentPadding();
    if (lineSpacing == -1)
        lineSpacing = font->GetLineSpacing();

    int baseline = rect.y + ascent;
    int lines = 1;
    size_t length = text.size();
    size_t lineStart = 0;
    size_t position = 0;
    long spacePosition = -1;
    int lineWidth = 0;
    char previous = 0;

    // Lines cut at a space (or a line break) are drawn only when they can be seen; the rest
    // always, so their colour codes take effect.
    auto writeLine = [&](size_t from, size_t to, bool mayskip)
    {
        int translated = baseline + int(transY);
        bool hidden = translated < clipRect.y || translated >= clipRect.y + clipRect.height + lineSpacing;
        if (mayskip && hidden)
            return;
        WriteStringWithOldColor(text.substr(from, to - from), rect.x, baseline, rect.width, justification, true, 0, -1,
                                originalColor);
    };

    while (position < length)
    {
        size_t charStart = position;
        char ch = text[position];
        if (ch == '^' && writeColoredString)
        {
            // "^^" is one caret; any other code takes eight characters and no width.
            if (position + 1 < length && text[position + 1] == '^')
            {
                ++position;
            }
            else
            {
                position += 8;
                continue;
            }
        }
        size_t charEnd = position + 1;
        bool forceBreak = ch == '\n';
        if (ch == ' ' || forceBreak)
            spacePosition = long(charStart);
        if (!forceBreak)
            lineWidth += font->CharWidthKern(ch, previous);
        previous = ch;

        if (!forceBreak && lineWidth <= rect.width)
        {
            position = charEnd;
            continue;
        }
        if (spacePosition >= 0)
        {
            writeLine(lineStart, size_t(spacePosition), true);
            position = size_t(spacePosition) + 1;
            while (position < length && text[position] == ' ')
                ++position;
        }
        else
        {
            // Cut before this character, keeping at least one on the line.
            size_t cut = charStart > lineStart ? charStart : charEnd;
            writeLine(lineStart, cut, false);
            position = cut;
        }
        baseline += lineSpacing;
        ++lines;
        lineStart = position;
        spacePosition = -1;
        lineWidth = 0;
        previous = 0;
    }
    if (lineStart < length)
        writeLine(lineStart, length, false);

    color = originalColor;
    return ascent + (lines - 1) * lineSpacing + font->GetDescent();
}

int Graphics::GetWordWrappedHeight(int width, const std::string& text, int lineSpacing)
{
    Graphics measuring;
    measuring.font = font;
    measuring.writeColoredString = writeColoredString;
    measuring.clipRect = Rect(0, 0, 0, 0);
    return measuring.WriteWordWrapped(Rect(0, 0, width, 0), text, lineSpacing, -1);
}

int Graphics::DrawStringWordWrapped(const std::string& text, int x, int y, int width, int lineSpacing,
                                    int justification)
{
    int ascent = font ? font->GetAscent() - font->GetAscentPadding() : 0;
    return WriteWordWrapped(Rect(x, y - ascent, width, 0), text, lineSpacing, justification);
}

} // namespace Vesk
