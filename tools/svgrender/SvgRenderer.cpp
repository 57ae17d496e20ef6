#include "svgrender/SvgRenderer.h"

#include "framework/platform/FileSystem.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

namespace Vesk
{

namespace
{

constexpr int kMaxSide = 8192;

std::string TakeError(GError* error)
{
    std::string message = error && error->message ? error->message : "unknown error";
    if (error)
        g_error_free(error);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

// Skips to just past `end`, or to the end of the text.
size_t SkipPast(const std::string& text, size_t from, const char* end)
{
    size_t found = text.find(end, from);
    return found == std::string::npos ? text.size() : found + std::char_traits<char>::length(end);
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
}

// The value of the attribute `wanted` in one start tag (the text between '<' and '>'), or nothing.
std::optional<std::string> TagAttribute(const std::string& tag, const std::string& wanted)
{
    size_t i = 0;
    while (i < tag.size() && IsNameChar(tag[i]))
        ++i; // the element name
    while (i < tag.size())
    {
        while (i < tag.size() && !IsNameChar(tag[i]))
            ++i;
        size_t nameStart = i;
        while (i < tag.size() && IsNameChar(tag[i]))
            ++i;
        std::string attribute = tag.substr(nameStart, i - nameStart);
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            continue;
        const char quote = tag[i++];
        size_t valueEnd = tag.find(quote, i);
        if (valueEnd == std::string::npos)
            return std::nullopt;
        if (attribute == wanted)
            return tag.substr(i, valueEnd - i);
        i = valueEnd + 1;
    }
    return std::nullopt;
}

// Calls `visit` with each start tag of the document's text (the text between '<' and '>'), in
// file order, skipping comments, CDATA, declarations and end tags, until `visit` returns false.
void ForEachStartTag(const std::string& text, const std::function<bool(const std::string&)>& visit)
{
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos)
    {
        if (text.compare(i, 4, "<!--") == 0)
            i = SkipPast(text, i, "-->");
        else if (text.compare(i, 9, "<![CDATA[") == 0)
            i = SkipPast(text, i, "]]>");
        else if (text.compare(i, 2, "<?") == 0)
            i = SkipPast(text, i, "?>");
        else if (text.compare(i, 2, "<!") == 0 || text.compare(i, 2, "</") == 0)
            i = SkipPast(text, i, ">");
        else
        {
            // A start tag ends at the first '>' outside quotes.
            size_t end = i + 1;
            char quote = 0;
            while (end < text.size() && (quote || text[end] != '>'))
            {
                if (quote && text[end] == quote)
                    quote = 0;
                else if (!quote && (text[end] == '"' || text[end] == '\''))
                    quote = text[end];
                ++end;
            }
            if (!visit(text.substr(i + 1, end - i - 1)))
                return;
            i = end;
        }
    }
}

// A CSS string literal holding `value`.
std::string CssString(const std::string& value)
{
    std::string quoted = "\"";
    for (char c : value)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

void SvgRenderer::HandleDeleter::operator()(RsvgHandle* handle) const
{
    g_object_unref(handle);
}

SvgRenderer::SvgRenderer() = default;
SvgRenderer::~SvgRenderer() = default;

std::string SvgRenderer::Fragment(const std::string& id)
{
    return !id.empty() && id.front() == '#' ? id : "#" + id;
}

bool SvgRenderer::Fail(const std::string& message)
{
    errorText = name + ": " + message;
    return false;
}

bool SvgRenderer::Load(const std::filesystem::path& file, const std::filesystem::path& linkedFrom)
{
    std::vector<uint8_t> bytes;
    if (!Platform::ReadWholeFile(file, bytes))
    {
        handle.reset();
        text.clear();
        name = file.string();
        return Fail("cannot read the file");
    }
    // Pictures and styles the document refers to are found beside it, or in linkedFrom.
    const std::filesystem::path base =
        linkedFrom.empty() ? std::filesystem::absolute(file) : std::filesystem::absolute(linkedFrom) / file.filename();
    return Read(std::string(bytes.begin(), bytes.end()), file.string(), base);
}

bool SvgRenderer::LoadText(const std::string& text, const std::string& name)
{
    return Read(text, name, std::filesystem::current_path() / "document.svg");
}

bool SvgRenderer::Read(const std::string& text, const std::string& name, const std::filesystem::path& baseFile)
{
    handle.reset();
    this->name = name;
    this->text.clear();
    viewportWidth = viewportHeight = 0;
    std::unique_ptr<RsvgHandle, HandleDeleter> reading(rsvg_handle_new());
    GFile* base = g_file_new_for_path(baseFile.string().c_str());
    rsvg_handle_set_base_gfile(reading.get(), base);
    g_object_unref(base);
    GInputStream* stream = g_memory_input_stream_new_from_data(text.data(), static_cast<gssize>(text.size()), nullptr);
    GError* error = nullptr;
    const gboolean read = rsvg_handle_read_stream_sync(reading.get(), stream, nullptr, &error);
    g_object_unref(stream);
    if (!read)
        return Fail("not a readable SVG document: " + TakeError(error));
    handle = std::move(reading);
    this->text = text;
    return true;
}

bool SvgRenderer::Loaded()
{
    if (handle)
        return true;
    if (name.empty())
        name = "(no document)";
    return Fail("no document loaded");
}

bool SvgRenderer::NaturalSize(double& width, double& height)
{
    if (!Loaded())
        return false;
    if (rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &width, &height) && width > 0 && height > 0)
        return true;
    gboolean hasWidth = FALSE;
    gboolean hasHeight = FALSE;
    gboolean hasViewBox = FALSE;
    RsvgLength lengthW{};
    RsvgLength lengthH{};
    RsvgRectangle viewBox{};
    rsvg_handle_get_intrinsic_dimensions(handle.get(), &hasWidth, &lengthW, &hasHeight, &lengthH, &hasViewBox,
                                         &viewBox);
    if (hasViewBox && viewBox.width > 0 && viewBox.height > 0)
    {
        width = viewBox.width;
        height = viewBox.height;
        return true;
    }
    return Fail("the document has no size (give it width and height, or a viewBox)");
}

void SvgRenderer::SetViewport(int width, int height)
{
    viewportWidth = width;
    viewportHeight = height;
}

bool SvgRenderer::SetViewportScale(double scale)
{
    double width = 0;
    double height = 0;
    if (!NaturalSize(width, height))
        return false;
    if (!(scale > 0))
        return Fail("the scale must be above 0");
    SetViewport(static_cast<int>(std::lround(width * scale)), static_cast<int>(std::lround(height * scale)));
    return true;
}

bool SvgRenderer::SetViewportWidth(int width)
{
    double naturalWidth = 0;
    double naturalHeight = 0;
    if (!NaturalSize(naturalWidth, naturalHeight))
        return false;
    SetViewport(width, static_cast<int>(std::lround(width * naturalHeight / naturalWidth)));
    return true;
}

bool SvgRenderer::Viewport(int& width, int& height)
{
    if (viewportWidth == 0 && viewportHeight == 0 && !SetViewportScale(1.0))
        return false;
    if (viewportWidth <= 0 || viewportHeight <= 0 || viewportWidth > kMaxSide || viewportHeight > kMaxSide)
        return Fail("the picture size " + std::to_string(viewportWidth) + "x" + std::to_string(viewportHeight) +
                    " is out of range (1 to " + std::to_string(kMaxSide) + ")");
    width = viewportWidth;
    height = viewportHeight;
    return true;
}

bool SvgRenderer::HasElement(const std::string& id)
{
    if (!Loaded())
        return false;
    if (id.empty() || id == "#")
        return Fail("an element id is empty");
    if (!rsvg_handle_has_sub(handle.get(), Fragment(id).c_str()))
        return Fail("no element with the id \"" + Fragment(id).substr(1) + "\"");
    return true;
}

bool SvgRenderer::SetHidden(const std::vector<std::string>& ids)
{
    if (!Loaded())
        return false;
    std::string css;
    for (const std::string& id : ids)
    {
        if (!HasElement(id))
            return false;
        css += "[id=" + CssString(Fragment(id).substr(1)) + "] { display: none !important; }\n";
    }
    GError* error = nullptr;
    if (!rsvg_handle_set_stylesheet(handle.get(), reinterpret_cast<const guint8*>(css.data()), css.size(), &error))
        return Fail("cannot hide the elements: " + TakeError(error));
    return true;
}

bool SvgRenderer::RenderInto(SvgImage& image, const std::string* id)
{
    int width = 0;
    int height = 0;
    if (!Viewport(width, height))
        return false;
    if (image.IsEmpty())
        return Fail("out of memory for the picture");
    cairo_t* cr = cairo_create(image.Surface());
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    GError* error = nullptr;
    const gboolean drawn = id ? rsvg_handle_render_layer(handle.get(), cr, Fragment(*id).c_str(), &viewport, &error)
                              : rsvg_handle_render_document(handle.get(), cr, &viewport, &error);
    const cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (!drawn)
        return Fail("cannot render" + (id ? " \"" + Fragment(*id).substr(1) + "\"" : std::string()) + ": " +
                    TakeError(error));
    if (status != CAIRO_STATUS_SUCCESS)
        return Fail(std::string("cannot render: ") + cairo_status_to_string(status));
    cairo_surface_flush(image.Surface());
    return true;
}

std::optional<SvgImage> SvgRenderer::RenderDocument()
{
    int width = 0;
    int height = 0;
    if (!Loaded() || !Viewport(width, height))
        return std::nullopt;
    SvgImage image(width, height);
    if (!RenderInto(image, nullptr))
        return std::nullopt;
    return image;
}

// The element is drawn alone into a picture of the whole viewport, in its place in the
// document, and its bounds are read from the pixels it covers. That is exact for every kind
// of content (strokes, filters, clipping, text) and matches the full render pixel for pixel.
std::optional<SvgImage> SvgRenderer::RenderInPlace(const std::string& id, SvgPixelRect& bounds)
{
    int width = 0;
    int height = 0;
    if (!HasElement(id) || !Viewport(width, height))
        return std::nullopt;
    SvgImage image(width, height);
    if (!RenderInto(image, &id))
        return std::nullopt;
    if (!image.OpaqueBounds(bounds.x, bounds.y, bounds.width, bounds.height))
    {
        Fail("the element \"" + Fragment(id).substr(1) + "\" draws nothing inside the picture");
        return std::nullopt;
    }
    return image;
}

bool SvgRenderer::ElementBounds(const std::string& id, SvgPixelRect& bounds)
{
    return RenderInPlace(id, bounds).has_value();
}

std::optional<SvgImage> SvgRenderer::RenderElement(const std::string& id, SvgPixelRect& bounds)
{
    std::optional<SvgImage> whole = RenderInPlace(id, bounds);
    if (!whole)
        return std::nullopt;
    SvgImage image(bounds.width, bounds.height);
    image.CopyFrom(*whole, bounds.x, bounds.y, bounds.width, bounds.height, 0, 0);
    return image;
}

std::optional<SvgImage> SvgRenderer::RenderSheet(const std::vector<std::string>& ids, SheetAlign align,
                                                 SheetLayout& layout)
{
    layout = SheetLayout();
    if (!Loaded())
        return std::nullopt;
    if (ids.empty())
    {
        Fail("a sheet needs at least one element");
        return std::nullopt;
    }
    std::vector<SvgImage> pictures;
    std::vector<SvgPixelRect> bounds(ids.size());
    SvgPixelRect all;
    for (size_t i = 0; i < ids.size(); ++i)
    {
        std::optional<SvgImage> picture = RenderElement(ids[i], bounds[i]);
        if (!picture)
            return std::nullopt;
        pictures.push_back(std::move(*picture));
        const SvgPixelRect& b = bounds[i];
        if (i == 0)
            all = b;
        else
        {
            const int right = std::max(all.x + all.width, b.x + b.width);
            const int bottom = std::max(all.y + all.height, b.y + b.height);
            all.x = std::min(all.x, b.x);
            all.y = std::min(all.y, b.y);
            all.width = right - all.x;
            all.height = bottom - all.y;
        }
        layout.cellWidth = std::max(layout.cellWidth, b.width);
        layout.cellHeight = std::max(layout.cellHeight, b.height);
    }
    if (align == SheetAlign::Stacked)
    {
        layout.cellWidth = all.width;
        layout.cellHeight = all.height;
    }
    layout.count = static_cast<int>(ids.size());
    if (static_cast<long long>(layout.cellWidth) * layout.count > kMaxSide)
    {
        Fail("the sheet would be wider than " + std::to_string(kMaxSide) + " pixels");
        return std::nullopt;
    }

    SvgImage sheet(layout.cellWidth * layout.count, layout.cellHeight);
    if (sheet.IsEmpty())
    {
        Fail("out of memory for the sheet");
        return std::nullopt;
    }
    for (size_t i = 0; i < ids.size(); ++i)
    {
        const SvgPixelRect& b = bounds[i];
        const int cellX = static_cast<int>(i) * layout.cellWidth;
        int placeX = cellX + (layout.cellWidth - b.width) / 2;
        int placeY = (layout.cellHeight - b.height) / 2;
        if (align == SheetAlign::Bottom)
            placeY = layout.cellHeight - b.height;
        else if (align == SheetAlign::Stacked)
        {
            placeX = cellX + b.x - all.x;
            placeY = b.y - all.y;
        }
        sheet.CopyFrom(pictures[i], 0, 0, b.width, b.height, placeX, placeY);
    }
    return sheet;
}

std::vector<std::string> SvgRenderer::ElementIds(const std::string& prefix) const
{
    std::vector<std::string> ids;
    ForEachStartTag(text,
                    [&](const std::string& tag)
                    {
                        std::optional<std::string> id = TagAttribute(tag, "id");
                        if (id && id->compare(0, prefix.size(), prefix) == 0)
                            ids.push_back(*id);
                        return true;
                    });
    return ids;
}

std::optional<std::string> SvgRenderer::Attribute(const std::string& id, const std::string& attribute) const
{
    std::optional<std::string> value;
    ForEachStartTag(text,
                    [&](const std::string& tag)
                    {
                        if (TagAttribute(tag, "id") != id)
                            return true;
                        value = TagAttribute(tag, attribute);
                        return false;
                    });
    return value;
}

} // namespace Vesk
