#include "pagecompile/PageCompiler.h"

#include "framework/platform/FileSystem.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

namespace Vesk
{

namespace
{

const std::string kPrefix = "obj-";
// The background is the last picture of the list, drawn first, under every object. The game
// names a picture after its file with digits and what comes before "_" after them dropped, so
// this one's name is empty (or ends in a space): never a name the list can show.
const std::string kBackgroundFile = "background_00.png";
// The game keeps at most 128 pictures per page, the background among them.
constexpr size_t kMaxObjects = 127;
// An object pixel counts as opaque above this alpha, as in the board's hit test.
constexpr uint32_t kOpaqueAlpha = 20;
constexpr int kMinOpaqueSide = 10;
// A pixel the face and the background disagree on but no object covers (a filter of an object
// spreading a little) goes to an object whose bounds come within this distance.
constexpr int kBleed = 8;

// The premultiplied pixels of a picture's row; call Flush first after cairo has drawn into it.
uint32_t* Row(const SvgImage& image, int y)
{
    unsigned char* data = cairo_image_surface_get_data(image.Surface());
    return reinterpret_cast<uint32_t*>(data +
                                       static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(image.Surface()));
}

void Flush(const SvgImage& image)
{
    cairo_surface_flush(image.Surface());
}

uint32_t Alpha(uint32_t pixel)
{
    return pixel >> 24;
}

bool Inside(const SvgPixelRect& rect, int x, int y)
{
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

bool Intersect(const SvgPixelRect& a, const SvgPixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool ValidName(const std::string& name)
{
    if (name.empty() || name.front() == '_' || name.back() == '_' || name.find("__") != std::string::npos)
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return c == '_' || std::isalpha(static_cast<unsigned char>(c)); });
}

// The XML entities a display name may use, decoded.
std::string DecodeEntities(const std::string& text)
{
    static const std::pair<const char*, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string decoded;
    for (size_t i = 0; i < text.size();)
    {
        bool matched = false;
        for (const auto& [entity, character] : kEntities)
        {
            if (text.compare(i, std::char_traits<char>::length(entity), entity) == 0)
            {
                decoded += character;
                i += std::char_traits<char>::length(entity);
                matched = true;
                break;
            }
        }
        if (!matched)
            decoded += text[i++];
    }
    return decoded;
}

bool WriteText(const std::filesystem::path& path, const std::string& text)
{
    return Platform::WriteFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool WritePicture(const std::filesystem::path& path, const SvgImage& picture)
{
    std::vector<uint8_t> bytes;
    return picture.EncodePng(bytes) && Platform::WriteFileAtomically(path, bytes);
}

} // namespace

struct PageCompiler::Candidate
{
    CompiledObject object;
    int number = 0;
    bool rendered = false;
    bool faulty = false;    // already reported; later checks say nothing more about it
    SvgImage alone{0, 0};   // the object drawn by itself, cropped to aloneRect
    SvgPixelRect aloneRect; // in face coordinates
    std::vector<int> stray; // face pixels (y * width + x) it takes over from no object
    SvgImage picture{0, 0};
};

void PageCompiler::Error(const std::string& id, const std::string& message)
{
    errors.push_back(fileName + ": " + (id.empty() ? "" : id + ": ") + message);
}

void PageCompiler::Warning(const std::string& id, const std::string& message)
{
    warnings.push_back(fileName + ": warning: " + (id.empty() ? "" : id + ": ") + message);
}

bool PageCompiler::Compile(const std::filesystem::path& svgFile, const std::filesystem::path& pageFolder,
                           const std::filesystem::path& namesFile, const std::filesystem::path& faceFile)
{
    fileName = svgFile.string();
    errors.clear();
    warnings.clear();
    objects.clear();

    SvgRenderer renderer;
    if (!renderer.Load(svgFile))
    {
        errors.push_back(renderer.ErrorText());
        return false;
    }
    renderer.SetViewport(layout.faceWidth, layout.faceHeight);
    const std::vector<std::string> ids = renderer.ElementIds(kPrefix);
    std::vector<Candidate> candidates;
    ParseIds(renderer, ids, candidates);
    if (ids.empty())
        Warning("", "no obj-NN_name groups: the page has no hidden objects");

    std::optional<SvgImage> face = renderer.RenderDocument();
    if (!face)
    {
        errors.push_back(renderer.ErrorText());
        return false;
    }
    RenderAlone(renderer, candidates);
    // Faulty objects stay in the background, so that they are reported once, not again as
    // pixels no object accounts for.
    std::vector<std::string> hidden;
    for (const Candidate& candidate : candidates)
        hidden.push_back(candidate.object.id);
    std::optional<SvgImage> background;
    if (renderer.SetHidden(hidden))
        background = renderer.RenderDocument();
    if (!background)
    {
        errors.push_back(renderer.ErrorText());
        return false;
    }

    CheckPlacement(candidates);
    CheckCovered(candidates);
    if (!CutPictures(*face, *background, candidates) || !errors.empty())
        return false;
    return Write(*background, candidates, pageFolder, namesFile) && (faceFile.empty() || WriteFace(*face, faceFile));
}

bool PageCompiler::WriteFace(const SvgImage& face, const std::filesystem::path& faceFile)
{
    if ((faceFile.has_parent_path() && !Platform::CreateFolders(faceFile.parent_path())) ||
        !WritePicture(faceFile, face))
    {
        Error("", "cannot write " + faceFile.string());
        return false;
    }
    return true;
}

void PageCompiler::ParseIds(SvgRenderer& renderer, const std::vector<std::string>& ids,
                            std::vector<Candidate>& candidates)
{
    if (ids.size() > kMaxObjects)
        Error("", std::to_string(ids.size()) + " objects; the game holds " + std::to_string(kMaxObjects));
    std::map<int, std::string> numbers;
    for (const std::string& id : ids)
    {
        const size_t digitsEnd = id.find_first_not_of("0123456789", kPrefix.size());
        const std::string digits = id.substr(kPrefix.size(), digitsEnd - kPrefix.size());
        if (digits.empty() || digits.size() > 3)
        {
            Error(id, "not of the form obj-NN_name (NN the object's number, two digits)");
            continue;
        }
        const std::string name =
            digitsEnd == std::string::npos || id[digitsEnd] != '_' ? std::string() : id.substr(digitsEnd + 1);
        if (name.empty())
        {
            Error(id, "the object has no name (obj-NN_name)");
            continue;
        }
        if (!ValidName(name))
        {
            Error(id, "the name \"" + name + "\" is not letters joined by single underscores");
            continue;
        }
        const int number = std::stoi(digits);
        auto [earlier, fresh] = numbers.emplace(number, id);
        if (!fresh)
        {
            Error(id, "the number " + digits + " is used twice (also by " + earlier->second + ")");
            continue;
        }

        Candidate candidate;
        candidate.number = number;
        candidate.object.id = id;
        candidate.object.fileName = digits + "_" + name + ".png";
        std::string displayName = DecodeEntities(renderer.Attribute(id, "data-name").value_or(""));
        if (displayName.find_first_of("\r\n") != std::string::npos)
        {
            Error(id, "the data-name runs over several lines");
            continue;
        }
        if (displayName.empty())
        {
            displayName = name;
            std::replace(displayName.begin(), displayName.end(), '_', ' ');
        }
        candidate.object.displayName = displayName;
        candidates.push_back(std::move(candidate));
    }
}

void PageCompiler::RenderAlone(SvgRenderer& renderer, std::vector<Candidate>& candidates)
{
    for (Candidate& candidate : candidates)
    {
        std::optional<SvgImage> alone = renderer.RenderElement(candidate.object.id, candidate.aloneRect);
        if (!alone)
        {
            Error(candidate.object.id, "draws nothing on the face");
            continue;
        }
        candidate.alone = std::move(*alone);
        candidate.rendered = true;
        Flush(candidate.alone);
    }
}

// An object's opaque pixels must lie inside the board area and off the face's outer edge (a
// shape running past the edge is cut there, so touching it means lying partly outside).
void PageCompiler::CheckPlacement(std::vector<Candidate>& candidates)
{
    for (Candidate& candidate : candidates)
    {
        if (!candidate.rendered)
            continue;
        const SvgPixelRect& rect = candidate.aloneRect;
        bool outside = false;
        for (int y = 0; y < rect.height && !outside; ++y)
        {
            const uint32_t* row = Row(candidate.alone, y);
            for (int x = 0; x < rect.width && !outside; ++x)
            {
                const int faceX = rect.x + x;
                const int faceY = rect.y + y;
                outside = Alpha(row[x]) > kOpaqueAlpha &&
                          (faceX == 0 || faceY == 0 || faceX >= layout.boardWidth - 1 || faceY >= layout.boardHeight);
            }
        }
        candidate.faulty = outside;
        if (outside)
            Error(candidate.object.id, "lies outside the board area (0, 0, " + std::to_string(layout.boardWidth) +
                                           " x " + std::to_string(layout.boardHeight) + "): it covers " +
                                           std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " +
                                           std::to_string(rect.width) + " x " + std::to_string(rect.height));
    }
}

// Walks the objects from the last (drawn on top) to the first, keeping the pixels that later
// objects cover fully; an object whose every opaque pixel is among them cannot be seen.
void PageCompiler::CheckCovered(std::vector<Candidate>& candidates)
{
    const int width = layout.faceWidth;
    std::vector<uint8_t> covered(static_cast<size_t>(width) * static_cast<size_t>(layout.faceHeight), 0);
    for (auto candidate = candidates.rbegin(); candidate != candidates.rend(); ++candidate)
    {
        if (!candidate->rendered)
            continue;
        const SvgPixelRect& rect = candidate->aloneRect;
        bool seen = false;
        bool hidden = true;
        for (int y = 0; y < rect.height; ++y)
        {
            const uint32_t* row = Row(candidate->alone, y);
            for (int x = 0; x < rect.width; ++x)
            {
                if (Alpha(row[x]) <= kOpaqueAlpha)
                    continue;
                seen = true;
                hidden = hidden && covered[static_cast<size_t>((rect.y + y) * width + rect.x + x)] != 0;
            }
        }
        if (seen && hidden && !candidate->faulty)
        {
            candidate->faulty = true;
            Error(candidate->object.id, "is completely covered by objects after it");
        }
        for (int y = 0; y < rect.height; ++y)
        {
            const uint32_t* row = Row(candidate->alone, y);
            for (int x = 0; x < rect.width; ++x)
                if (Alpha(row[x]) == 255)
                    covered[static_cast<size_t>((rect.y + y) * width + rect.x + x)] = 1;
        }
    }
}

// Gives every object the face pixels it changes: those it draws on (alone) where the face and
// the background differ and no later object covers it fully, plus nearby differing pixels no
// object draws on. Each picture holds the face's pixels there, opaque, and nothing elsewhere.
// Where objects overlap, both pictures hold the face's pixels at their soft edges, so the
// board's drawing order (the first object on top) changes nothing.
bool PageCompiler::CutPictures(const SvgImage& face, const SvgImage& background, std::vector<Candidate>& candidates)
{
    Flush(face);
    Flush(background);
    const int width = layout.boardWidth;
    const int height = std::min(layout.boardHeight, layout.faceHeight);
    auto differs = [&](int x, int y) { return Row(face, y)[x] != Row(background, y)[x]; };

    std::vector<uint8_t> claimed(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (const Candidate& candidate : candidates)
    {
        if (!candidate.rendered)
            continue;
        const SvgPixelRect& rect = candidate.aloneRect;
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x)
            {
                const int faceX = rect.x + x;
                const int faceY = rect.y + y;
                if (faceX < width && faceY < height && Alpha(Row(candidate.alone, y)[x]) > 0)
                    claimed[static_cast<size_t>(faceY * width + faceX)] = 1;
            }
    }

    int strayCount = 0;
    int firstStray = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            if (claimed[static_cast<size_t>(y * width + x)] || !differs(x, y))
                continue;
            auto owner = std::find_if(
                candidates.rbegin(), candidates.rend(),
                [&](const Candidate& c)
                {
                    const SvgPixelRect& r = c.aloneRect;
                    return c.rendered &&
                           Inside({r.x - kBleed, r.y - kBleed, r.width + 2 * kBleed, r.height + 2 * kBleed}, x, y);
                });
            if (owner != candidates.rend())
                owner->stray.push_back(y * width + x);
            else if (strayCount++ == 0)
                firstStray = y * width + x;
        }
    if (strayCount > 0)
        Error("", "the face and its background differ at " + std::to_string(strayCount) +
                      " pixels that no object draws on, the first at (" + std::to_string(firstStray % width) + ", " +
                      std::to_string(firstStray / width) +
                      "): something outside the obj- groups changes with them (a filter or a <use> of an object?)");

    // From the last object (on top) to the first: pixels a later object covers fully are left to
    // it, so that a press there finds the object the player sees.
    std::vector<uint8_t> covered(claimed.size(), 0);
    for (auto each = candidates.rbegin(); each != candidates.rend(); ++each)
    {
        Candidate& candidate = *each;
        if (!candidate.rendered)
            continue;
        std::vector<int> pixels = candidate.stray;
        const SvgPixelRect& rect = candidate.aloneRect;
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x)
            {
                const int faceX = rect.x + x;
                const int faceY = rect.y + y;
                const uint32_t alpha = Alpha(Row(candidate.alone, y)[x]);
                if (faceX >= width || faceY >= height || alpha == 0)
                    continue;
                const size_t at = static_cast<size_t>(faceY * width + faceX);
                if (!covered[at] && differs(faceX, faceY))
                    pixels.push_back(faceY * width + faceX);
                if (alpha == 255)
                    covered[at] = 1;
            }
        const std::string& id = candidate.object.id;
        if (candidate.faulty)
            continue;
        if (pixels.empty())
        {
            Error(id, "changes no pixel of the face (is it hidden behind the scene?)");
            continue;
        }
        int left = width;
        int top = height;
        int right = -1;
        int bottom = -1;
        for (int pixel : pixels)
        {
            left = std::min(left, pixel % width);
            right = std::max(right, pixel % width);
            top = std::min(top, pixel / width);
            bottom = std::max(bottom, pixel / width);
        }
        SvgPixelRect& place = candidate.object.rect;
        place = {left, top, right - left + 1, bottom - top + 1};
        if (place.width < kMinOpaqueSide || place.height < kMinOpaqueSide)
            Error(id, "is smaller than 10 x 10 opaque pixels (it shows " + std::to_string(place.width) + " x " +
                          std::to_string(place.height) + ")");
        candidate.picture = SvgImage(place.width, place.height);
        if (candidate.picture.IsEmpty())
            return false;
        Flush(candidate.picture);
        bool seeThrough = false;
        for (int pixel : pixels)
        {
            const uint32_t value = Row(face, pixel / width)[pixel % width];
            seeThrough = seeThrough || Alpha(value) != 255;
            Row(candidate.picture, pixel / width - top)[pixel % width - left] = value;
        }
        cairo_surface_mark_dirty(candidate.picture.Surface());
        if (seeThrough)
            Error(id, "lies over a see-through part of the face");
        if (layout.notesArea.width > 0 && Intersect(place, layout.notesArea))
            Warning(id, "reaches into the list notes' area (from y " + std::to_string(layout.notesArea.y) +
                            "), where the notes hide it while the page is played");
    }
    return true;
}

bool PageCompiler::Write(const SvgImage& background, const std::vector<Candidate>& candidates,
                         const std::filesystem::path& pageFolder, const std::filesystem::path& namesFile)
{
    if (!Platform::CreateFolders(pageFolder) ||
        (namesFile.has_parent_path() && !Platform::CreateFolders(namesFile.parent_path())))
    {
        Error("", "cannot create the folder " + pageFolder.string() + " or " + namesFile.parent_path().string());
        return false;
    }
    SvgImage board(layout.boardWidth, layout.boardHeight);
    board.CopyFrom(background, 0, 0, layout.boardWidth, layout.boardHeight, 0, 0);
    if (!WritePicture(pageFolder / kBackgroundFile, board))
    {
        Error("", "cannot write " + (pageFolder / kBackgroundFile).string());
        return false;
    }

    std::string list;
    std::string names;
    std::set<std::string> written = {kBackgroundFile};
    for (const Candidate& candidate : candidates)
    {
        const CompiledObject& object = candidate.object;
        if (!WritePicture(pageFolder / object.fileName, candidate.picture))
        {
            Error(object.id, "cannot write " + (pageFolder / object.fileName).string());
            return false;
        }
        written.insert(object.fileName);
        list += object.id + "\n" + std::to_string(candidate.number) + "\n" + object.fileName + "\n" +
                std::to_string(object.rect.width) + " " + std::to_string(object.rect.height) + "\n" +
                std::to_string(object.rect.x) + "\n" + std::to_string(object.rect.y) + "\n";
        names += object.fileName + "\n" + object.displayName + "\n" + object.id + "\n";
        objects.push_back(object);
    }
    // A page without objects is not played: its list stays empty.
    if (!candidates.empty())
        list += "background\n0\n" + kBackgroundFile + "\n" + std::to_string(layout.boardWidth) + " " +
                std::to_string(layout.boardHeight) + "\n0\n0\n";
    if (!WriteText(pageFolder / "picture.cfg", list) || !WriteText(namesFile, names))
    {
        Error("", "cannot write " + (pageFolder / "picture.cfg").string() + " or " + namesFile.string());
        return false;
    }

    // Pictures of objects that were renamed or taken off the page would still be packed.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(pageFolder, error))
    {
        const std::filesystem::path& path = entry.path();
        if (entry.is_regular_file(error) && path.extension() == ".png" && !written.count(path.filename().string()))
            std::filesystem::remove(path, error);
    }
    return true;
}

} // namespace Vesk
