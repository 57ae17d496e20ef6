#pragma once

#include "framework/graphics/Image.h"
#include "framework/graphics/SourcePixels.h"

#include <cstdint>
#include <vector>

namespace Vesk
{

class ImageSet;

// An image whose pixels live in memory: 32-bit 0xAARRGGBB with straight (not premultiplied)
// colour, or a palettized form of up to 256 exact colours. Every drawing primitive is done here
// in software. Derived arrays (premultiplied native data, run-length alpha, run-length additive)
// are built on first use and dropped whenever the pixels change.
//
// Owned by whoever created it (the resource manager for manifest images). When created with an
// image set it registers itself there and leaves it on destruction.
class MemoryImage : public Image
{
public:
    static constexpr uint32_t GuardValue = 0x4BEEFADE;

    explicit MemoryImage(ImageSet* imageSet = nullptr);
    // A deep copy (pixels, palettized form, flags, cells and animation); it joins the same set.
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
    void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void FillScanLines(const Span* spans, int count, const Color& color, int drawMode) override;
    void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                   const uint8_t* coverage, int coverageX, int coverageY, int coverageWidth,
                                   int coverageHeight) override;
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, double angle, float centerX, float centerY) override;
    void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, bool fastStretch) override;
    void BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const Rect& clipRect, const Color& color,
                   int drawMode, const Rect& srcRect, bool blend) override;
    void BltTrianglesTex(Image* texture, const TriVertex (*vertices)[3], int count, const Rect& clipRect,
                         const Color& color, int drawMode, float tx, float ty, bool blend) override;
    void BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void StretchBltMirror(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                          const Color& color, int drawMode, bool fastStretch) override;

    // Derived data, built on first use. Native data: width x height premultiplied pixels in the
    // display's format (256 entries when palettized). Run-length arrays: per pixel, the number of
    // pixels from it to the end of its run within the row (capped at 255).
    const uint32_t* GetNativeAlphaData();
    const uint8_t* GetRLAlphaData();
    const uint8_t* GetRLAdditiveData();
    // Per row, the extent of the pixels that are not transparent (alpha) or not black (additive),
    // built with the run-length array of the same name.
    const RowExtent* GetRLAlphaRows();
    const RowExtent* GetRLAdditiveRows();

    // Drops the memory copy once the image lives on the display (only display images can).
    virtual void PurgeBits();
    // Ensures 32-bit bits exist, then drops native data and both run-length arrays.
    virtual void DeleteSWBuffers();
    virtual void Delete3DBuffers();
    void DeleteExtraBuffers();
    // Re-applies the reduced-memory state after the display was rebuilt.
    virtual void ReInit();
    // Call after writing into GetBits(): counts the change and drops every derived array.
    virtual void BitsChanged();
    // Recomputes the transparency flags from the pixels when they changed (unless forced).
    void CommitBits();
    void DeleteNativeData();

    // Every pixel becomes 0.
    virtual void Clear();
    // Copies width x height pixels; drops any palettized form. With commit, the flags are
    // recomputed at once.
    virtual void SetBits(const uint32_t* bits, int width, int height, bool commit = true);
    // Drops the pixels and sets the size; the pixels read as transparent black.
    virtual void Create(int width, int height);
    // The 32-bit pixels (width x height, then the guard value), rebuilt from the palettized form
    // or the native data when needed; null for an empty image. Writing into them must be followed
    // by BitsChanged.
    virtual uint32_t* GetBits();
    // Fixes the two transparency flags; drawing no longer recomputes them.
    void SetImageMode(bool hasTransparency, bool hasAlpha);
    void SetVolatile(bool isVolatile);
    // Keeps the pixels as indices into a palette of the exact colours; fails (and changes
    // nothing) when the image has more than 256 distinct colours.
    [[nodiscard]] virtual bool Palletize();

    bool IsPalettized() const { return !colorIndices.empty(); }
    // The alpha of the pixel at (x, y), 0 outside the picture. A palettized picture is read
    // through its palette and stays palettized.
    int AlphaAt(int x, int y);
    bool HasTransparency() const { return hasTransparency; }
    bool HasAlpha() const { return hasAlpha; }
    bool IsForcedMode() const { return forcedMode; }
    int GetBitsChangedCount() const { return bitsChangedCount; }
    const std::vector<uint32_t>& GetPalette() const { return palette; }
    const std::vector<uint8_t>& GetColorIndices() const { return colorIndices; }
    // False when something wrote past the end of the pixels.
    bool GuardIntact() const;
    ImageSet* GetImageSet() const { return imageSet; }

    // The pixels as a blit source; native data and the run-length alpha on request (both: the
    // run-length additive array as well).
    SourcePixels GetSourcePixels(bool withNative, bool withRunLengths);

    int bitsChangedCount = 0;
    bool hasTransparency = false;
    bool hasAlpha = false;
    bool forcedMode = false;
    bool isVolatile = false;
    bool purgeBits = false;
    bool wantPal = false;
    bool bitsChanged = false;
    // Hints for display textures: 1 fewer subdivisions, 2 fixed 64 x 64 pieces, 4 prefer 4-bit
    // channels, 8 keep 8-bit channels.
    int textureFlags = 0;

protected:
    // Whether primitives drawing into this image use the display rule (premultiplied source over
    // an opaque destination). Memory images composite with destination alpha.
    virtual bool UsesDisplayRule() { return false; }
    // Whether a memory copy of the pixels is kept elsewhere (display images); purging needs one.
    virtual bool HasDisplayCopy() const { return false; }

    std::vector<uint32_t> bits;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> colorIndices;
    std::vector<uint32_t> nativeAlphaData;
    std::vector<uint8_t> rlAlphaData;
    std::vector<uint8_t> rlAdditiveData;
    std::vector<RowExtent> rlAlphaRows;
    std::vector<RowExtent> rlAdditiveRows;

private:
    // The destination pixels for a primitive: the bits, created when missing.
    uint32_t* DestinationBits();
    void BuildRunLengths(std::vector<uint8_t>& runs, std::vector<RowExtent>& rows, bool additive);

    ImageSet* imageSet = nullptr;
};

} // namespace Vesk
