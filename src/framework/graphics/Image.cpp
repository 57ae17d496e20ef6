#include "framework/graphics/Image.h"

#include "framework/graphics/Point.h"
#include "framework/graphics/Span.h"

namespace Vesk
{

Image::Image(const Image& other)
    : drawn(other.drawn), filePath(other.filePath), width(other.width), height(other.height), rows(other.rows),
      columns(other.columns), animInfo(other.animInfo ? std::make_unique<AnimInfo>(*other.animInfo) : nullptr)
{
}

Image::~Image() = default;

bool Image::PolyFill3D(const Point*, int, const Rect*, const Color&, int, int, int)
{
    return false;
}

void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    FillRect(Rect(rect.x, rect.y, rect.width + 1, 1), color, drawMode);
    FillRect(Rect(rect.x, rect.y + rect.height, rect.width + 1, 1), color, drawMode);
    FillRect(Rect(rect.x, rect.y + 1, 1, rect.height - 1), color, drawMode);
    FillRect(Rect(rect.x + rect.width, rect.y + 1, 1, rect.height - 1), color, drawMode);
}

void Image::ClearRect(const Rect&) {}

void Image::DrawLine(double, double, double, double, const Color&, int) {}

void Image::DrawLineAA(double, double, double, double, const Color&, int) {}

void Image::FillScanLines(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i)
        FillRect(Rect(spans[i].x, spans[i].y, spans[i].width, 1), color, drawMode);
}

void Image::FillScanLinesWithCoverage(const Span*, int, const Color&, int, const uint8_t*, int, int, int, int) {}

void Image::Blt(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BltF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}

void Image::BltRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float, float) {}

void Image::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void Image::BltMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, int, const Rect&, bool) {}

void Image::BltTrianglesTex(Image*, const TriVertex (*)[3], int, const Rect&, const Color&, int, float, float, bool) {}

void Image::BltMirror(Image*, int, int, const Rect&, const Color&, int) {}

void Image::StretchBltMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

Rect Image::GetCelRect(int cel) const
{
    int cols = columns > 0 ? columns : 1;
    return GetCelRect(cel % cols, cel / cols);
}

Rect Image::GetCelRect(int column, int row) const
{
    int celWidth = GetCelWidth();
    int celHeight = GetCelHeight();
    return Rect(column * celWidth, row * celHeight, celWidth, celHeight);
}

int Image::GetAnimCel(int time) const
{
    return animInfo ? animInfo->GetCel(time) : 0;
}

Rect Image::GetAnimCelRect(int time) const
{
    return GetCelRect(GetAnimCel(time));
}

void Image::CopyAttributes(const Image& from)
{
    filePath = from.filePath;
    rows = from.rows;
    columns = from.columns;
    animInfo = from.animInfo ? std::make_unique<AnimInfo>(*from.animInfo) : nullptr;
}

} // namespace Vesk
