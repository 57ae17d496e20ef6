#include "pagecompile/PictureSetCompiler.h"

#include "framework/platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sstream>
#include <system_error>

namespace Vesk
{

namespace
{

const std::string kPrefix = "pic-";

bool ValidName(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(),
                                        [](char c) { return c == '_' || std::isalnum(static_cast<unsigned char>(c)); });
}

// "x y w h" in whole pixels (commas allowed between them); false for anything else.
bool ParseCrop(const std::string& text, SvgPixelRect& rect)
{
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::istringstream in(spaced);
    std::string rest;
    return static_cast<bool>(in >> rect.x >> rect.y >> rect.width >> rect.height) && !(in >> rest) && rect.width > 0 &&
           rect.height > 0;
}

// "dx dy" in whole pixels (commas allowed between them); false for anything else.
bool ParseOffset(const std::string& text, int& dx, int& dy)
{
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::istringstream in(spaced);
    std::string rest;
    return static_cast<bool>(in >> dx >> dy) && !(in >> rest);
}

} // namespace

void PictureSetCompiler::Error(const std::string& id, const std::string& message)
{
    errors.push_back(fileName + ": " + (id.empty() ? "" : id + ": ") + message);
}

bool PictureSetCompiler::Compile(const std::filesystem::path& svgFile, const std::filesystem::path& folder)
{
    fileName = svgFile.string();
    errors.clear();
    pictures.clear();

    SvgRenderer renderer;
    double width = 0;
    double height = 0;
    if (!renderer.Load(svgFile) || !renderer.NaturalSize(width, height))
    {
        errors.push_back(renderer.ErrorText());
        return false;
    }
    // The set is drawn in screen space; a document of another size would be scaled into it and
    // every place would be off.
    if (std::lround(width) != kScreenWidth || std::lround(height) != kScreenHeight)
    {
        Error("", "the set is drawn at " + std::to_string(std::lround(width)) + " x " +
                      std::to_string(std::lround(height)) + "; it must be the screen, 800 x 600");
        return false;
    }
    renderer.SetViewport(kScreenWidth, kScreenHeight);

    const std::vector<std::string> ids = renderer.ElementIds(kPrefix);
    if (ids.empty())
        Error("", "no pic-NAME groups: the set has no pictures");
    std::vector<SvgImage> images;
    std::set<std::string> names;
    for (const std::string& id : ids)
    {
        CompiledPicture picture;
        picture.id = id;
        picture.name = id.substr(kPrefix.size());
        if (!ValidName(picture.name))
        {
            Error(id, "the name \"" + picture.name + "\" must be letters, digits and '_' only");
            continue;
        }
        if (!names.insert(picture.name).second)
        {
            Error(id, "the name " + picture.name + " is used twice");
            continue;
        }

        SvgPixelRect ink;
        std::optional<SvgImage> alone = renderer.RenderElement(id, ink);
        if (!alone)
        {
            Error(id, "draws nothing on the screen");
            continue;
        }
        picture.crop = ink;
        if (std::optional<std::string> crop = renderer.Attribute(id, "data-crop"))
        {
            const SvgPixelRect& c = picture.crop;
            if (!ParseCrop(*crop, picture.crop) || c.x < 0 || c.y < 0 || c.x + c.width > kScreenWidth ||
                c.y + c.height > kScreenHeight)
            {
                Error(id, "data-crop=\"" + *crop + "\" is not \"x y w h\" inside the screen (800 x 600)");
                continue;
            }
            // The ink cut to the crop, transparent where the crop reaches past it.
            SvgImage cropped(c.width, c.height);
            cropped.CopyFrom(*alone, c.x - ink.x, c.y - ink.y, c.width, c.height, 0, 0);
            alone = std::move(cropped);
        }

        const std::string origin = renderer.Attribute(id, "data-origin").value_or("board");
        if (origin == "board")
        {
            picture.x = picture.crop.x - boardX;
            picture.y = picture.crop.y - boardY;
        }
        else if (origin == "screen")
        {
            picture.x = picture.crop.x;
            picture.y = picture.crop.y;
        }
        else
        {
            auto earlier = std::find_if(pictures.begin(), pictures.end(),
                                        [&](const CompiledPicture& p) { return p.id == origin; });
            if (earlier == pictures.end())
            {
                Error(id, "data-origin=\"" + origin + "\" is neither board, screen nor an earlier picture's id");
                continue;
            }
            picture.x = picture.crop.x - earlier->crop.x;
            picture.y = picture.crop.y - earlier->crop.y;
        }
        // A place the screen cannot hold (a firefly waiting beyond its right edge) is drawn on
        // the screen and moved there in picture.cfg.
        if (std::optional<std::string> offset = renderer.Attribute(id, "data-offset"))
        {
            int dx = 0;
            int dy = 0;
            if (!ParseOffset(*offset, dx, dy))
            {
                Error(id, "data-offset=\"" + *offset + "\" is not \"dx dy\" in whole pixels");
                continue;
            }
            picture.x += dx;
            picture.y += dy;
        }
        pictures.push_back(picture);
        images.push_back(std::move(*alone));
    }
    if (!errors.empty())
        return false;
    return Write(images, folder);
}

bool PictureSetCompiler::Write(const std::vector<SvgImage>& images, const std::filesystem::path& folder)
{
    if (!Platform::CreateFolders(folder))
    {
        Error("", "cannot create the folder " + folder.string());
        return false;
    }
    std::string list;
    std::set<std::string> written;
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        const CompiledPicture& picture = pictures[i];
        const std::string file = picture.name + ".png";
        std::vector<uint8_t> bytes;
        if (!images[i].EncodePng(bytes) || !Platform::WriteFileAtomically(folder / file, bytes))
        {
            Error(picture.id, "cannot write " + (folder / file).string());
            return false;
        }
        written.insert(file);
        // The size is one token ("WxH"), so a reader taking whitespace-separated words finds x
        // and y as the fifth and sixth.
        list += picture.id + "\n" + std::to_string(i + 1) + "\n" + file + "\n" + std::to_string(picture.crop.width) +
                "x" + std::to_string(picture.crop.height) + "\n" + std::to_string(picture.x) + "\n" +
                std::to_string(picture.y) + "\n";
    }
    if (!Platform::WriteFileAtomically(folder / "picture.cfg", reinterpret_cast<const uint8_t*>(list.data()),
                                       list.size()))
    {
        Error("", "cannot write " + (folder / "picture.cfg").string());
        return false;
    }
    // Pictures taken out of the set (or renamed) would still be packed and loaded.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        const std::filesystem::path& path = entry.path();
        if (entry.is_regular_file(error) && path.extension() == ".png" && !written.count(path.filename().string()))
            std::filesystem::remove(path, error);
    }
    return true;
}

} // namespace Vesk
