#pragma once

#include "svgrender/SvgImage.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _RsvgHandle RsvgHandle;

namespace Vesk
{

// A rectangle of pixels in the rendered document.
struct SvgPixelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// How the elements of a sheet sit in their cells.
enum class SheetAlign
{
    Center,  // cells as large as the largest element; each element centred in its cell
    Bottom,  // the same cells; each element centred horizontally and standing on the cell's bottom
    Stacked, // cells as large as the union of all elements; each keeps its place in the document
             // (for states drawn on top of each other, such as a button's three looks)
};

// The layout of a rendered sheet: `count` cells of `cellWidth` x `cellHeight` side by side.
struct SheetLayout
{
    int cellWidth = 0;
    int cellHeight = 0;
    int count = 0;
};

// Renders one SVG document with librsvg and cairo: the whole document, single elements
// cropped to their bounds, or strips of elements. The document is drawn into a viewport of
// whole pixels (its natural size unless set), scaled to fit with its aspect ratio kept.
// Elements can be hidden for every render (the page background without its objects).
// Failures return false or nothing and leave a message naming the file in ErrorText.
class SvgRenderer
{
public:
    SvgRenderer();
    ~SvgRenderer();
    SvgRenderer(const SvgRenderer&) = delete;
    SvgRenderer& operator=(const SvgRenderer&) = delete;

    // Loads a document from a file, or from text (`name` is used in messages). A failed load
    // leaves no document loaded.
    // Pictures the document links to (`<image href>`) are found beside it, or in
    // `linkedFrom` when given (a folder of built pictures, e.g. rendered page faces).
    [[nodiscard]] bool Load(const std::filesystem::path& file, const std::filesystem::path& linkedFrom = {});
    [[nodiscard]] bool LoadText(const std::string& text, const std::string& name);

    const std::string& ErrorText() const { return errorText; }

    // The document's natural size in pixels (96 dots per inch; a document with only a view
    // box uses the view box's size). False when it has neither.
    [[nodiscard]] bool NaturalSize(double& width, double& height);

    // The viewport the document is drawn into. Without a call, the natural size rounded.
    void SetViewport(int width, int height);
    // Sets the viewport from the natural size times `scale`, or to `width` with the height
    // following the aspect ratio.
    [[nodiscard]] bool SetViewportScale(double scale);
    [[nodiscard]] bool SetViewportWidth(int width);
    [[nodiscard]] bool Viewport(int& width, int& height);

    // Hides these elements (ids with or without '#') in every later render. False, naming the
    // first, when an id is not in the document.
    [[nodiscard]] bool SetHidden(const std::vector<std::string>& ids);

    // The whole document at the viewport size.
    std::optional<SvgImage> RenderDocument();
    // The rectangle of the viewport's pixels the element covers (alpha above 0). False when
    // the element does not exist or draws nothing inside the viewport.
    [[nodiscard]] bool ElementBounds(const std::string& id, SvgPixelRect& bounds);
    // The element alone, cropped to ElementBounds, drawn exactly as in the whole document.
    std::optional<SvgImage> RenderElement(const std::string& id, SvgPixelRect& bounds);
    // The elements side by side in equal cells, in the order given.
    std::optional<SvgImage> RenderSheet(const std::vector<std::string>& ids, SheetAlign align, SheetLayout& layout);

    // The ids of the document's elements that start with `prefix`, in file order. Read from
    // the document's text, so only Load and LoadText documents have them.
    std::vector<std::string> ElementIds(const std::string& prefix) const;
    // The value of `attribute` on the element with the id `id`, as written in the document's
    // text (entities are not decoded); nothing when there is no such element or attribute.
    std::optional<std::string> Attribute(const std::string& id, const std::string& attribute) const;

    // "#id" for "id" or "#id".
    static std::string Fragment(const std::string& id);

private:
    struct HandleDeleter
    {
        void operator()(RsvgHandle* handle) const;
    };

    bool Fail(const std::string& message);
    bool Read(const std::string& text, const std::string& name, const std::filesystem::path& baseFile);
    bool Loaded();
    bool HasElement(const std::string& id);
    bool RenderInto(SvgImage& image, const std::string* id);
    std::optional<SvgImage> RenderInPlace(const std::string& id, SvgPixelRect& bounds);

    std::unique_ptr<RsvgHandle, HandleDeleter> handle;
    std::string name;
    std::string text;
    std::string errorText;
    int viewportWidth = 0;
    int viewportHeight = 0;
};

} // namespace Vesk
