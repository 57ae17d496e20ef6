#include "framework/graphics/ImageFont.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ListDataElement.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SingleDataElement.h"
#include "framework/resources/ImageData.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>

namespace Vesk
{

namespace
{

// The glyph records of one string, sorted into 256 order buckets without allocating. Shared by
// every image font, so a string is laid out and drawn under its lock.
struct GlyphPool
{
    struct Record
    {
        ImageFont::GlyphDraw glyph;
        int next = -1;
    };

    std::mutex mutex;
    std::array<Record, ImageFont::kGlyphPoolSize> records;
    std::array<int, 256> first{};
    std::array<int, 256> last{};
    int used = 0;

    void Reset()
    {
        used = 0;
        first.fill(-1);
        last.fill(-1);
    }

    // False when the pool is exhausted.
    bool Add(int order, const ImageFont::GlyphDraw& glyph)
    {
        if (used >= ImageFont::kGlyphPoolSize)
            return false;
        const size_t bucket = size_t(std::clamp(order + 128, 0, 255));
        const int index = used++;
        records[size_t(index)] = Record{glyph, -1};
        if (last[bucket] < 0)
            first[bucket] = index;
        else
            records[size_t(last[bucket])].next = index;
        last[bucket] = index;
        return true;
    }

    void Visit(const ImageFont::GlyphVisitor& visit) const
    {
        for (size_t bucket = 0; bucket < 256; ++bucket)
            for (int index = first[bucket]; index >= 0; index = records[size_t(index)].next)
                visit(records[size_t(index)].glyph);
    }
};

GlyphPool& Pool()
{
    static GlyphPool pool;
    return pool;
}

// Truncates toward zero like a cast, but keeps absurd descriptor values inside int.
int Truncate(double value)
{
    if (!(value > double(INT32_MIN)))
        return value != value ? 0 : INT32_MIN;
    if (!(value < double(INT32_MAX)))
        return INT32_MAX;
    return int(value);
}

int Clamp(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int Scaled(double multiplier, int value, int divisor)
{
    return Truncate(multiplier * value / divisor);
}

int Channel(uint32_t color, int shift)
{
    return int(color >> shift & 0xFF);
}

// Multiplies and adds per channel, alpha included, clamped at 255.
uint32_t LayerColor(uint32_t color, uint32_t multiply, uint32_t add)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int channel = std::min(255, Channel(multiply, shift) * Channel(color, shift) / 255 + Channel(add, shift));
        result |= uint32_t(channel) << shift;
    }
    return result;
}

// Copies source (a rectangle of picture) stretched into target (a rectangle of result),
// averaging the covered source area per pixel in premultiplied alpha.
void StretchGlyph(const ImageData& picture, const FontRect& source, ImageData& result, const FontRect& target)
{
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0)
        return;
    // A layer whose picture was replaced by a smaller one may keep rectangles that no longer fit.
    if (source.x < 0 || source.y < 0 || int64_t(source.x) + source.width > picture.width ||
        int64_t(source.y) + source.height > picture.height)
        return;
    const double stepX = double(source.width) / target.width;
    const double stepY = double(source.height) / target.height;
    for (int ty = 0; ty < target.height; ++ty)
    {
        const double y0 = ty * stepY;
        const double y1 = y0 + stepY;
        for (int tx = 0; tx < target.width; ++tx)
        {
            const double x0 = tx * stepX;
            const double x1 = x0 + stepX;
            double sum[4] = {0, 0, 0, 0};
            double area = 0;
            for (int sy = int(y0); sy < int(std::ceil(y1)) && sy < source.height; ++sy)
            {
                const double weightY = std::min(y1, sy + 1.0) - std::max(y0, double(sy));
                for (int sx = int(x0); sx < int(std::ceil(x1)) && sx < source.width; ++sx)
                {
                    const double weight = weightY * (std::min(x1, sx + 1.0) - std::max(x0, double(sx)));
                    const uint32_t pixel = picture.At(source.x + sx, source.y + sy);
                    const double alpha = (pixel >> 24) * weight;
                    sum[0] += alpha;
                    sum[1] += Channel(pixel, 16) * alpha;
                    sum[2] += Channel(pixel, 8) * alpha;
                    sum[3] += Channel(pixel, 0) * alpha;
                    area += weight;
                }
            }
            uint32_t out = 0;
            if (area > 0 && sum[0] > 0)
            {
                const auto clampByte = [](double value) { return uint32_t(std::clamp(value + 0.5, 0.0, 255.0)); };
                out = clampByte(sum[0] / area) << 24 | clampByte(sum[1] / sum[0]) << 16 |
                      clampByte(sum[2] / sum[0]) << 8 | clampByte(sum[3] / sum[0]);
            }
            result.At(target.x + tx, target.y + ty) = out;
        }
    }
}

// The drawable form of a glyph picture, made (and palettized) the first time any font needs
// it and shared while any font holds it.
std::shared_ptr<MemoryImage> DrawableFor(const std::shared_ptr<const ImageData>& picture)
{
    if (!picture || picture->pixels.empty())
        return nullptr;
    static std::mutex mutex;
    static std::map<const ImageData*, std::weak_ptr<MemoryImage>> drawables;
    std::lock_guard<std::mutex> lock(mutex);
    for (auto entry = drawables.begin(); entry != drawables.end();)
        entry = entry->second.expired() ? drawables.erase(entry) : std::next(entry);
    if (auto shared = drawables[picture.get()].lock())
        return shared;
    auto image = std::make_shared<MemoryImage>();
    image->SetBits(picture->pixels.data(), picture->width, picture->height, true);
    (void)image->Palletize(); // more than 256 colours stay 32-bit
    drawables[picture.get()] = image;
    return image;
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::string ElementText(const DataElement& element)
{
    if (!element.isList)
        return DescParser::Unquote(static_cast<const SingleDataElement&>(element).value);
    std::string text = "(";
    const auto& items = static_cast<const ListDataElement&>(element).elements;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (i > 0)
            text += ", ";
        text += ElementText(*items[i]);
    }
    text += ')';
    return text;
}

} // namespace

ImageFont::ImageFont(VeskAppBase* app, const std::string& descriptorFile) : fontData(std::make_shared<FontData>())
{
    (void)fontData->Load(app, descriptorFile);
    pointSize = fontData->defaultPointSize;
    GenerateActiveFontLayers();
    activeLayersValid = true;
}

ImageFont::ImageFont(std::shared_ptr<const ImageData> image, const std::string& metricsFile)
    : fontData(std::make_shared<FontData>())
{
    (void)fontData->LoadLegacy(std::move(image), metricsFile);
    pointSize = fontData->defaultPointSize;
    GenerateActiveFontLayers();
    activeLayersValid = true;
}

ImageFont::ImageFont(std::shared_ptr<FontData> data) : fontData(std::move(data))
{
    pointSize = fontData->defaultPointSize;
    GenerateActiveFontLayers();
    activeLayersValid = true;
}

ImageFont::~ImageFont() = default;

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), fontData(other.fontData), pointSize(other.pointSize), tags(other.tags),
      activeLayersValid(other.activeLayersValid), scale(other.scale),
      forceScaledImagesWhite(other.forceScaledImagesWhite)
{
    if (activeLayersValid)
        activeLayers = other.activeLayers;
}

bool ImageFont::IsLoaded() const
{
    return fontData->loaded;
}

int ImageFont::GetAscent() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetAscent();
}

int ImageFont::GetAscentPadding() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetAscentPadding();
}

int ImageFont::GetDescent() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetDescent();
}

int ImageFont::GetHeight() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetHeight();
}

int ImageFont::GetLineSpacingOffset() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetLineSpacingOffset();
}

int ImageFont::GetLineSpacing() const
{
    const_cast<ImageFont*>(this)->Prepare(); // the metrics are a lazily rebuilt cache
    return Font::GetLineSpacing();
}

void ImageFont::GenerateActiveFontLayers()
{
    if (!fontData->loaded)
        return;
    activeLayers.clear();
    ascent = ascentPadding = height = lineSpacingOffset = 0;

    bool first = true;
    for (const auto& layerPointer : fontData->layers)
    {
        const FontLayer& layer = *layerPointer;
        if (pointSize < layer.minPointSize || (pointSize > layer.maxPointSize && layer.maxPointSize != -1))
            continue;
        if (!std::all_of(layer.requiredTags.begin(), layer.requiredTags.end(),
                         [&](const std::string& tag) { return Contains(tags, tag); }))
            continue;
        if (std::any_of(tags.begin(), tags.end(),
                        [&](const std::string& tag) { return Contains(layer.excludedTags, tag); }))
            continue;

        ActiveFontLayer& active = activeLayers.emplace_back();
        active.baseLayer = &layer;
        double multiplier = scale;
        int divisor = 1;
        if (layer.pointSize != 0)
        {
            multiplier = pointSize * scale;
            divisor = layer.pointSize;
        }

        if (layer.image && (scale != 1.0 || (layer.pointSize != 0 && layer.pointSize != pointSize)))
        {
            int64_t totalWidth = 0;
            int tallest = 0;
            for (size_t c = 0; c < 256; ++c)
            {
                const FontRect& rect = layer.chars[c].imageRect;
                FontRect& scaled = active.scaledRects[c];
                scaled = FontRect{Clamp(totalWidth), 0, std::max(0, Scaled(multiplier, rect.width, divisor)),
                                  std::max(0, Scaled(multiplier, rect.height, divisor))};
                totalWidth += scaled.width;
                tallest = std::max(tallest, scaled.height);
            }
            if (ImageData::SizeAllowed(totalWidth, tallest))
            {
                auto picture = std::make_shared<ImageData>(int(totalWidth), tallest);
                for (size_t c = 0; c < 256; ++c)
                    StretchGlyph(*layer.image, layer.chars[c].imageRect, *picture, active.scaledRects[c]);
                if (forceScaledImagesWhite)
                    for (uint32_t& pixel : picture->pixels)
                        pixel |= 0x00FFFFFF;
                active.scaledImage = std::move(picture);
                active.ownsImage = true;
            }
            else
            {
                active.scaledRects.fill(FontRect{}); // nothing sensible to draw at this size
            }
        }
        else
        {
            active.scaledImage = layer.image;
            active.ownsImage = false;
            for (size_t c = 0; c < 256; ++c)
                active.scaledRects[c] = layer.chars[c].imageRect;
        }

        active.drawable = DrawableFor(active.scaledImage);

        const int layerHeight = layer.height != 0 ? layer.height : layer.defaultHeight;
        ascent = std::max(ascent, Scaled(multiplier, layer.ascent, divisor));
        height = std::max(height, Scaled(multiplier, layerHeight, divisor));
        const int padding = Scaled(multiplier, layer.ascentPadding, divisor);
        const int spacingOffset = Scaled(multiplier, layer.lineSpacingOffset, divisor);
        ascentPadding = first ? padding : std::min(ascentPadding, padding);
        lineSpacingOffset = first ? spacingOffset : std::max(lineSpacingOffset, spacingOffset);
        first = false;
    }
}

void ImageFont::Prepare()
{
    if (!activeLayersValid)
    {
        GenerateActiveFontLayers();
        activeLayersValid = true;
    }
}

int ImageFont::CharWidthKern(char character, char prevChar)
{
    Prepare();
    const uint8_t c = fontData->charMap[static_cast<unsigned char>(character)];
    const uint8_t previous = prevChar == 0 ? 0 : fontData->charMap[static_cast<unsigned char>(prevChar)];
    int widest = 0;
    bool any = false;
    for (const ActiveFontLayer& active : activeLayers)
    {
        const FontLayer& layer = *active.baseLayer;
        const int width = layer.chars[c].width;
        const int64_t kerning = previous != 0 ? int64_t(layer.chars[previous].kerning[c]) + layer.spacing : 0;
        int w = 0;
        int kern = 0;
        if (layer.pointSize != 0)
        {
            const double k = pointSize * scale;
            w = Truncate(width * k / layer.pointSize);
            if (previous != 0)
                kern = Truncate(k * double(kerning) / layer.pointSize);
        }
        else
        {
            w = Truncate(width * scale);
            kern = Truncate(double(kerning) * scale);
        }
        const int total = Clamp(int64_t(w) + kern);
        widest = any ? std::max(widest, total) : total;
        any = true;
    }
    return widest;
}

int ImageFont::CharWidth(char character)
{
    return CharWidthKern(character, 0);
}

int ImageFont::StringWidth(const std::string& text)
{
    int64_t width = 0;
    char previous = 0;
    for (char character : text)
    {
        width += CharWidthKern(character, previous);
        previous = character;
    }
    return Clamp(width);
}

int ImageFont::LayoutString(int x, int y, const std::string& text, uint32_t color, const GlyphVisitor& visit,
                            std::vector<FontRect>* rectList)
{
    GlyphPool& pool = Pool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (rectList != nullptr)
        rectList->clear();
    if (!fontData->loaded)
        return 0;
    Prepare();
    pool.Reset();

    int64_t pen = x;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const uint8_t c = fontData->charMap[static_cast<unsigned char>(text[i])];
        const uint8_t next = i + 1 < text.size() ? fontData->charMap[static_cast<unsigned char>(text[i + 1])] : 0;
        int64_t nextPen = pen;
        for (const ActiveFontLayer& active : activeLayers)
        {
            const FontLayer& layer = *active.baseLayer;
            const CharData& data = layer.chars[c];
            const double s = layer.pointSize != 0 ? scale * (double(pointSize) / layer.pointSize) : scale;

            GlyphDraw glyph;
            glyph.image = active.scaledImage.get();
            glyph.drawable = active.drawable.get();
            glyph.x = Clamp(pen + Truncate(s * (double(data.offsetX) + layer.offsetX)));
            glyph.y = Clamp(y - int64_t(Truncate(s * (double(layer.ascent) - (double(data.offsetY) + layer.offsetY)))));
            glyph.source = active.scaledRects[c];
            glyph.color = LayerColor(color, layer.colorMult, layer.colorAdd);
            glyph.drawMode = layer.drawMode;
            const int advance = Truncate(s * data.width);
            const int kern = next != 0 ? Truncate(s * (double(data.kerning[next]) + layer.spacing)) : 0;

            if (!pool.Add(data.order + layer.baseOrder, glyph))
            {
                nextPen = pen; // out of glyph records: the rest of this character is not drawn
                break;
            }
            if (rectList != nullptr)
                rectList->push_back(FontRect{glyph.x, glyph.y, glyph.source.width, glyph.source.height});
            nextPen = std::max(nextPen, pen + advance + kern);
        }
        pen = nextPen;
    }
    if (visit)
        pool.Visit(visit);
    return Clamp(pen - x);
}

void ImageFont::DrawString(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                           const Rect& clipRect)
{
    DrawStringEx(graphics, x, y, text, color, clipRect, nullptr, nullptr);
}

void ImageFont::DrawStringEx(Graphics* graphics, int x, int y, const std::string& text, const Color& color,
                             const Rect& clipRect, std::vector<Rect>* rectList, int* width)
{
    // The clip rectangle is the Graphics' business: it clips every glyph it draws.
    const bool colorize = graphics != nullptr && graphics->GetColorizeImages();
    const Color previousColor = graphics != nullptr ? graphics->GetColor() : Color();
    if (graphics != nullptr)
        graphics->SetColorizeImages(true);

    std::vector<FontRect> rects;
    const int drawnWidth = LayoutString(
        x, y, text, color.ToARGB(),
        [graphics](const GlyphDraw& glyph)
        {
            if (graphics == nullptr || glyph.drawable == nullptr || glyph.source.width <= 0 || glyph.source.height <= 0)
                return;
            const int previousMode = graphics->GetDrawMode();
            if (glyph.drawMode != -1)
                graphics->SetDrawMode(glyph.drawMode);
            graphics->SetColor(Color::FromARGB(glyph.color));
            graphics->DrawImage(glyph.drawable, glyph.x, glyph.y,
                                Rect(glyph.source.x, glyph.source.y, glyph.source.width, glyph.source.height));
            if (glyph.drawMode != -1)
                graphics->SetDrawMode(previousMode);
        },
        rectList != nullptr ? &rects : nullptr);

    if (graphics != nullptr)
    {
        graphics->SetColor(previousColor);
        graphics->SetColorizeImages(colorize);
    }
    if (rectList != nullptr)
    {
        rectList->clear();
        for (const FontRect& rect : rects)
            rectList->emplace_back(rect.x, rect.y, rect.width, rect.height);
    }
    if (width != nullptr)
        *width = drawnWidth;
}

std::unique_ptr<Font> ImageFont::Duplicate() const
{
    return std::make_unique<ImageFont>(*this);
}

void ImageFont::SetPointSize(int size)
{
    pointSize = size;
    activeLayersValid = false;
}

void ImageFont::SetScale(double factor)
{
    scale = factor;
    activeLayersValid = false;
}

int ImageFont::GetDefaultPointSize() const
{
    return fontData->defaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag)
{
    if (HasTag(tag))
        return false;
    tags.push_back(DescParser::ToUpper(tag));
    activeLayersValid = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    auto found = std::find(tags.begin(), tags.end(), DescParser::ToUpper(tag));
    if (found == tags.end())
        return false;
    tags.erase(found);
    activeLayersValid = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag) const
{
    return Contains(tags, DescParser::ToUpper(tag));
}

std::string ImageFont::GetDefine(const std::string& name) const
{
    const DataElement* define = fontData->GetDefine(name);
    return define == nullptr ? std::string() : ElementText(*define);
}

} // namespace Vesk
