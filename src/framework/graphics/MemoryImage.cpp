#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/Blitter.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/Span.h"
#include "framework/graphics/StretchFilter.h"
#include "framework/graphics/TransformRasterizer.h"

#include <algorithm>
#include <cstring>

namespace Vesk
{

namespace
{

// The source of a blit as a memory image. A blit of an image onto itself reads from a copy.
MemoryImage* AsSource(Image* image, const MemoryImage* destination, std::unique_ptr<MemoryImage>& copy)
{
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source)
        return nullptr;
    source->drawn = true;
    if (source == destination)
    {
        copy = std::make_unique<MemoryImage>(*source);
        return copy.get();
    }
    return source;
}

} // namespace

MemoryImage::MemoryImage(ImageSet* imageSet) : imageSet(imageSet)
{
    if (imageSet)
        imageSet->Add(this);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), bitsChangedCount(other.bitsChangedCount), hasTransparency(other.hasTransparency),
      hasAlpha(other.hasAlpha), forcedMode(other.forcedMode), isVolatile(other.isVolatile), purgeBits(other.purgeBits),
      wantPal(other.wantPal), bitsChanged(other.bitsChanged), textureFlags(other.textureFlags), bits(other.bits),
      palette(other.palette), colorIndices(other.colorIndices), nativeAlphaData(other.nativeAlphaData),
      rlAlphaData(other.rlAlphaData), rlAdditiveData(other.rlAdditiveData), rlAlphaRows(other.rlAlphaRows),
      rlAdditiveRows(other.rlAdditiveRows), imageSet(other.imageSet)
{
    if (imageSet)
        imageSet->Add(this);
}

MemoryImage::~MemoryImage()
{
    if (imageSet)
        imageSet->Remove(this);
}

// Storage

int MemoryImage::AlphaAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    const size_t at = size_t(y) * size_t(width) + size_t(x);
    if (IsPalettized())
        return at < colorIndices.size() && colorIndices[at] < palette.size() ? int(palette[colorIndices[at]] >> 24) : 0;
    const uint32_t* pixels = GetBits();
    return pixels != nullptr ? int(pixels[at] >> 24) : 0;
}

uint32_t* MemoryImage::GetBits()
{
    if (!bits.empty())
        return bits.data();
    size_t count = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
    if (count == 0)
        return nullptr;
    bits.assign(count + 1, 0);
    if (IsPalettized())
    {
        for (size_t i = 0; i < count; ++i)
            bits[i] = palette[colorIndices[i]];
        palette.clear();
        colorIndices.clear();
        nativeAlphaData.clear();
    }
    else if (nativeAlphaData.size() == count)
    {
        for (size_t i = 0; i < count; ++i)
            bits[i] = PixelRules::Unpremultiply(nativeAlphaData[i]);
    }
    bits[count] = GuardValue;
    return bits.data();
}

uint32_t* MemoryImage::DestinationBits()
{
    return GetBits();
}

bool MemoryImage::GuardIntact() const
{
    return bits.empty() || bits.back() == GuardValue;
}

void MemoryImage::BitsChanged()
{
    ++bitsChangedCount;
    bitsChanged = true;
    nativeAlphaData.clear();
    rlAlphaData.clear();
    rlAdditiveData.clear();
    rlAlphaRows.clear();
    rlAdditiveRows.clear();
}

void MemoryImage::CommitBits()
{
    if (bitsChanged && !forcedMode)
    {
        hasTransparency = false;
        hasAlpha = false;
        auto classify = [this](uint32_t pixel)
        {
            uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                hasTransparency = true;
            else if (alpha != 255)
                hasAlpha = true;
        };
        if (IsPalettized())
        {
            for (uint32_t color : palette)
                classify(color);
        }
        else if (const uint32_t* pixels = GetBits())
        {
            size_t count = size_t(width) * size_t(height);
            for (size_t i = 0; i < count && !(hasTransparency && hasAlpha); ++i)
                classify(pixels[i]);
        }
    }
    bitsChanged = false;
}

void MemoryImage::Clear()
{
    palette.clear();
    colorIndices.clear();
    size_t count = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
    bits.assign(count ? count + 1 : 0, 0);
    if (count)
        bits[count] = GuardValue;
    BitsChanged();
}

void MemoryImage::SetBits(const uint32_t* source, int newWidth, int newHeight, bool commit)
{
    palette.clear();
    colorIndices.clear();
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    size_t count = size_t(newWidth) * size_t(newHeight);
    if (newWidth != width || newHeight != height || bits.size() != count + 1)
        bits.assign(count + 1, 0);
    width = newWidth;
    height = newHeight;
    if (source && count)
        std::memcpy(bits.data(), source, count * 4);
    bits[count] = GuardValue;
    BitsChanged();
    if (commit)
        CommitBits();
}

void MemoryImage::Create(int newWidth, int newHeight)
{
    bits.clear();
    palette.clear();
    colorIndices.clear();
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    BitsChanged();
}

void MemoryImage::SetImageMode(bool transparency, bool alpha)
{
    forcedMode = true;
    hasTransparency = transparency;
    hasAlpha = alpha;
}

void MemoryImage::SetVolatile(bool value)
{
    isVolatile = value;
}

bool MemoryImage::Palletize()
{
    CommitBits();
    if (IsPalettized())
        return true;
    const uint32_t* pixels = GetBits();
    if (!pixels)
        return false;
    size_t count = size_t(width) * size_t(height);
    // The colours found so far, kept sorted with their palette index for a binary search.
    std::vector<uint32_t> sorted;
    std::vector<uint8_t> sortedIndex;
    std::vector<uint32_t> newPalette;
    std::vector<uint8_t> indices(count);
    uint32_t lastColor = 0;
    uint8_t lastIndex = 0;
    bool haveLast = false;
    for (size_t i = 0; i < count; ++i)
    {
        uint32_t color = pixels[i];
        if (haveLast && color == lastColor)
        {
            indices[i] = lastIndex;
            continue;
        }
        auto at = std::lower_bound(sorted.begin(), sorted.end(), color);
        size_t position = size_t(at - sorted.begin());
        uint8_t index;
        if (at != sorted.end() && *at == color)
        {
            index = sortedIndex[position];
        }
        else
        {
            if (newPalette.size() == 256)
                return false;
            index = uint8_t(newPalette.size());
            newPalette.push_back(color);
            sorted.insert(at, color);
            sortedIndex.insert(sortedIndex.begin() + long(position), index);
        }
        indices[i] = index;
        lastColor = color;
        lastIndex = index;
        haveLast = true;
    }
    palette = std::move(newPalette);
    colorIndices = std::move(indices);
    bits.clear();
    nativeAlphaData.clear();
    wantPal = true;
    return true;
}

void MemoryImage::PurgeBits()
{
    purgeBits = true;
    if (HasDisplayCopy())
    {
        bits.clear();
        palette.clear();
        colorIndices.clear();
    }
}

void MemoryImage::DeleteSWBuffers()
{
    GetBits();
    nativeAlphaData.clear();
    rlAlphaData.clear();
    rlAdditiveData.clear();
    rlAlphaRows.clear();
    rlAdditiveRows.clear();
}

void MemoryImage::Delete3DBuffers() {}

void MemoryImage::DeleteExtraBuffers()
{
    DeleteSWBuffers();
    Delete3DBuffers();
}

void MemoryImage::ReInit()
{
    if (wantPal)
        (void)Palletize();
    if (purgeBits)
        PurgeBits();
}

void MemoryImage::DeleteNativeData()
{
    GetBits();
    nativeAlphaData.clear();
    rlAdditiveData.clear();
    rlAdditiveRows.clear();
}

// Derived data

const uint32_t* MemoryImage::GetNativeAlphaData()
{
    if (!nativeAlphaData.empty())
        return nativeAlphaData.data();
    if (IsPalettized())
    {
        nativeAlphaData.resize(palette.size());
        for (size_t i = 0; i < palette.size(); ++i)
            nativeAlphaData[i] = PixelRules::Premultiply(palette[i]);
        return nativeAlphaData.data();
    }
    const uint32_t* pixels = GetBits();
    if (!pixels)
        return nullptr;
    size_t count = size_t(width) * size_t(height);
    nativeAlphaData.resize(count);
    for (size_t i = 0; i < count; ++i)
        nativeAlphaData[i] = PixelRules::Premultiply(pixels[i]);
    return nativeAlphaData.data();
}

void MemoryImage::BuildRunLengths(std::vector<uint8_t>& runs, std::vector<RowExtent>& rows, bool additive)
{
    // A skippable run at least this long inside a row's extent is worth walking around, an opaque
    // one worth copying.
    constexpr int WalkRun = 64;
    size_t count = size_t(width) * size_t(height);
    runs.resize(count);
    rows.assign(size_t(height), RowExtent());
    const uint32_t* native = additive ? GetNativeAlphaData() : nullptr;
    const uint32_t* pixels = IsPalettized() ? nullptr : GetBits();
    // Class 0 is the skippable one: transparent, or black for additive drawing.
    auto classOf = [&](size_t i) -> int
    {
        if (additive)
        {
            uint32_t n = IsPalettized() ? native[colorIndices[i]] : native[i];
            return (n & 0xFFFFFF) != 0 ? 1 : 0;
        }
        uint32_t alpha = (IsPalettized() ? palette[colorIndices[i]] : pixels[i]) >> 24;
        return alpha == 0 ? 0 : (alpha == 255 ? 1 : 2);
    };
    for (int y = 0; y < height; ++y)
    {
        size_t rowStart = size_t(y) * size_t(width);
        RowExtent& extent = rows[size_t(y)];
        int run = 0;
        int skipped = 0;
        int longestInside = 0;
        int opaqueRun = 0;
        int previousClass = -1;
        for (int x = width - 1; x >= 0; --x)
        {
            int pixelClass = classOf(rowStart + size_t(x));
            run = pixelClass == previousClass ? std::min(run + 1, 255) : 1;
            previousClass = pixelClass;
            runs[rowStart + size_t(x)] = uint8_t(run);
            opaqueRun = !additive && pixelClass == 1 ? opaqueRun + 1 : 0;
            if (opaqueRun >= WalkRun)
                extent.opaque = true;
            if (pixelClass != 0)
            {
                if (extent.end == 0)
                    extent.end = x + 1;
                extent.first = x;
                longestInside = std::max(longestInside, skipped);
                skipped = 0;
            }
            else if (extent.end != 0)
            {
                ++skipped;
            }
        }
        extent.walk = longestInside >= WalkRun;
    }
}

const uint8_t* MemoryImage::GetRLAlphaData()
{
    if (rlAlphaData.empty() && width > 0 && height > 0)
    {
        if (!IsPalettized())
            GetBits();
        BuildRunLengths(rlAlphaData, rlAlphaRows, false);
    }
    return rlAlphaData.empty() ? nullptr : rlAlphaData.data();
}

const uint8_t* MemoryImage::GetRLAdditiveData()
{
    if (rlAdditiveData.empty() && width > 0 && height > 0)
        BuildRunLengths(rlAdditiveData, rlAdditiveRows, true);
    return rlAdditiveData.empty() ? nullptr : rlAdditiveData.data();
}

const RowExtent* MemoryImage::GetRLAlphaRows()
{
    return GetRLAlphaData() ? rlAlphaRows.data() : nullptr;
}

const RowExtent* MemoryImage::GetRLAdditiveRows()
{
    return GetRLAdditiveData() ? rlAdditiveRows.data() : nullptr;
}

SourcePixels MemoryImage::GetSourcePixels(bool withNative, bool withRunLengths)
{
    CommitBits();
    SourcePixels source;
    if (width <= 0 || height <= 0)
        return source;
    if (withNative)
        source.native = GetNativeAlphaData();
    if (withRunLengths)
    {
        source.rlAlpha = GetRLAlphaData();
        source.rlAlphaRows = GetRLAlphaRows();
    }
    if (withRunLengths && withNative)
    {
        source.rlAdditive = GetRLAdditiveData();
        source.rlAdditiveRows = GetRLAdditiveRows();
    }
    source.width = width;
    source.height = height;
    if (IsPalettized())
    {
        source.palette = palette.data();
        source.indices = colorIndices.data();
    }
    else
    {
        source.bits = GetBits();
    }
    source.hasTransparency = hasTransparency;
    source.hasAlpha = hasAlpha;
    return source;
}

// Primitives

void MemoryImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!DestinationBits())
        return;
    bool display = UsesDisplayRule();
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    Blitter::FillRect(target, rect, color, display ? drawMode : DRAWMODE_NORMAL);
    BitsChanged();
}

void MemoryImage::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    Image::DrawRect(rect, color, drawMode);
}

void MemoryImage::ClearRect(const Rect& rect)
{
    if (!DestinationBits())
        return;
    Rect area = rect.Intersection(GetRect());
    for (int y = area.y; y < area.y + area.height; ++y)
        std::fill_n(bits.data() + size_t(y) * size_t(width) + size_t(area.x), area.width, 0u);
    BitsChanged();
}

void MemoryImage::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    int x1 = int(startX), y1 = int(startY), x2 = int(endX), y2 = int(endY);
    if (y1 == y2)
        return FillRect(Rect(std::min(x1, x2), y1, std::abs(x2 - x1) + 1, 1), color, drawMode);
    if (x1 == x2)
        return FillRect(Rect(x1, std::min(y1, y2), 1, std::abs(y2 - y1) + 1), color, drawMode);
    if (!DestinationBits())
        return;
    PixelTarget target{bits.data(), width, height, UsesDisplayRule() ? BlendRule::Display : BlendRule::Straight};
    Blitter::DrawLine(target, x1, y1, x2, y2, color, drawMode);
    BitsChanged();
}

void MemoryImage::DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!DestinationBits())
        return;
    PixelTarget target{bits.data(), width, height, UsesDisplayRule() ? BlendRule::Display : BlendRule::Straight};
    Blitter::DrawLineAA(target, startX, startY, endX, endY, color, drawMode);
    BitsChanged();
}

void MemoryImage::FillScanLines(const Span* spans, int count, const Color& color, int drawMode)
{
    if (!DestinationBits())
        return;
    bool display = UsesDisplayRule();
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    for (int i = 0; i < count; ++i)
        Blitter::FillRect(target, Rect(spans[i].x, spans[i].y, spans[i].width, 1), color,
                          display ? drawMode : DRAWMODE_NORMAL);
    BitsChanged();
}

void MemoryImage::FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                            const uint8_t* coverage, int coverageX, int coverageY, int coverageWidth,
                                            int coverageHeight)
{
    if (!DestinationBits())
        return;
    PixelTarget target{bits.data(), width, height, UsesDisplayRule() ? BlendRule::Display : BlendRule::Straight};
    Blitter::FillSpansWithCoverage(target, spans, count, color, drawMode, coverage, coverageX, coverageY, coverageWidth,
                                   coverageHeight);
    BitsChanged();
}

void MemoryImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    CommitBits();
    bool opaque = !hasTransparency && !hasAlpha;
    bool runLengths = display || (opaque && color.IsWhite() && drawMode == DRAWMODE_NORMAL);
    SourcePixels pixels = source->GetSourcePixels(display, runLengths);
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    Blitter::Blt(target, pixels, x, y, srcRect, color, drawMode, false, opaque);
    BitsChanged();
}

void MemoryImage::BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(display, false);
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    Blitter::Blt(target, pixels, x, y, srcRect, color, drawMode, true, false);
    BitsChanged();
}

void MemoryImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                       int drawMode)
{
    BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(true, false);
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    TransformRasterizer::Rotated(target, pixels, x, y, srcRect, clipRect, color, drawMode, angle, centerX, centerY);
    BitsChanged();
}

void MemoryImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, bool fastStretch)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(display || !fastStretch, !fastStretch);
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    StretchFilter::Stretch(target, pixels, destRect, srcRect, clipRect, color, drawMode, fastStretch, false);
    BitsChanged();
}

void MemoryImage::StretchBltMirror(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                   const Color& color, int drawMode, bool fastStretch)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(display || !fastStretch, !fastStretch);
    PixelTarget target{bits.data(), width, height, display ? BlendRule::Display : BlendRule::Straight};
    StretchFilter::Stretch(target, pixels, destRect, srcRect, clipRect, color, drawMode, fastStretch, true);
    BitsChanged();
}

void MemoryImage::BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                            const Color& color, int drawMode, const Rect& srcRect, bool blend)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(image, this, copy);
    if (!source || !DestinationBits())
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(true, false);
    BlendRule rule = display
                         ? BlendRule::Display
                         : (forcedMode && !hasTransparency && !hasAlpha ? BlendRule::KeepAlpha : BlendRule::Straight);
    PixelTarget target{bits.data(), width, height, rule};
    TransformRasterizer::Matrix(target, pixels, x, y, matrix, clipRect, color, drawMode, srcRect, blend);
    BitsChanged();
}

void MemoryImage::BltTrianglesTex(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clipRect,
                                  const Color& color, int drawMode, float tx, float ty, bool blend)
{
    std::unique_ptr<MemoryImage> copy;
    MemoryImage* source = AsSource(texture, this, copy);
    if (!source || !DestinationBits() || !vertices || count <= 0)
        return;
    bool display = UsesDisplayRule();
    SourcePixels pixels = source->GetSourcePixels(true, false);
    BlendRule rule = display
                         ? BlendRule::Display
                         : (forcedMode && !hasTransparency && !hasAlpha ? BlendRule::KeepAlpha : BlendRule::Straight);
    PixelTarget target{bits.data(), width, height, rule};
    TransformRasterizer::Triangles(target, pixels, vertices, count, clipRect, color, drawMode, tx, ty, blend);
    BitsChanged();
}

} // namespace Vesk
