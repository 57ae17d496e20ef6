#include "svgrender/SvgRenderTool.h"

#include "framework/platform/FileSystem.h"
#include "svgrender/SvgRenderer.h"

#include <cstdlib>
#include <ostream>
#include <sstream>

namespace Vesk
{

namespace
{

const char* const kUsage =
    "usage: svgrender render  <in.svg> <out.png> [size] [--hide <id>]...\n"
    "       svgrender element <in.svg> <id> <out.png> [size] [--hide <id>]... [--bounds-file <file>]\n"
    "       svgrender sheet   <in.svg> <out.png> <id>... [--align center|bottom|stacked] [size] [--hide <id>]...\n"
    "       svgrender bounds  <in.svg> [--prefix <text>] [size] [--hide <id>]...\n"
    "size:  --size <width>x<height> | --width <width> | --scale <factor>   (default: natural size)\n"
    "--linked-from <folder>: pictures the document links to are read from this folder\n";

bool ParseInt(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
    }
    value = std::atoi(text.c_str());
    return value > 0;
}

bool ParseScale(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && value > 0 && value <= 64;
}

std::string RectText(const SvgPixelRect& rect)
{
    std::ostringstream line;
    line << rect.x << ' ' << rect.y << ' ' << rect.width << ' ' << rect.height;
    return line.str();
}

} // namespace

struct SvgRenderTool::Options
{
    std::vector<std::string> positional;
    std::vector<std::string> hidden;
    std::string boundsFile;
    std::string linkedFrom;
    std::string prefix;
    std::string align = "center";
    int width = 0;
    int height = 0;
    double scale = 0;
};

int SvgRenderTool::Usage(const std::string& problem)
{
    err << "svgrender: " << problem << "\n" << kUsage;
    return 2;
}

int SvgRenderTool::Failed(const std::string& message)
{
    err << "svgrender: " << message << "\n";
    return 1;
}

bool SvgRenderTool::ParseOptions(const std::vector<std::string>& arguments, Options& options)
{
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument.compare(0, 2, "--") != 0)
        {
            options.positional.push_back(argument);
            continue;
        }
        if (i + 1 >= arguments.size())
        {
            Usage(argument + " needs a value");
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--hide")
            options.hidden.push_back(value);
        else if (argument == "--bounds-file")
            options.boundsFile = value;
        else if (argument == "--linked-from")
            options.linkedFrom = value;
        else if (argument == "--prefix")
            options.prefix = value;
        else if (argument == "--align")
        {
            if (value != "center" && value != "bottom" && value != "stacked")
            {
                Usage("--align takes center, bottom or stacked, not \"" + value + "\"");
                return false;
            }
            options.align = value;
        }
        else if (argument == "--size")
        {
            const size_t x = value.find('x');
            if (x == std::string::npos || !ParseInt(value.substr(0, x), options.width) ||
                !ParseInt(value.substr(x + 1), options.height))
            {
                Usage("--size takes <width>x<height>, not \"" + value + "\"");
                return false;
            }
        }
        else if (argument == "--width")
        {
            if (!ParseInt(value, options.width))
            {
                Usage("--width takes a number of pixels, not \"" + value + "\"");
                return false;
            }
        }
        else if (argument == "--scale")
        {
            if (!ParseScale(value, options.scale))
            {
                Usage("--scale takes a factor above 0, not \"" + value + "\"");
                return false;
            }
        }
        else
        {
            Usage("unknown option " + argument);
            return false;
        }
    }
    return true;
}

bool SvgRenderTool::Prepare(SvgRenderer& renderer, const Options& options)
{
    if (!renderer.Load(options.positional[0], options.linkedFrom))
        return false;
    if (options.scale > 0)
    {
        if (!renderer.SetViewportScale(options.scale))
            return false;
    }
    else if (options.width > 0 && options.height > 0)
        renderer.SetViewport(options.width, options.height);
    else if (options.width > 0 && !renderer.SetViewportWidth(options.width))
        return false;
    return renderer.SetHidden(options.hidden);
}

bool SvgRenderTool::WriteText(const std::string& file, const std::string& text)
{
    if (Platform::WriteFileAtomically(file, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        return true;
    Failed(file + ": cannot write the file");
    return false;
}

int SvgRenderTool::Run(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return Usage("no command");
    const std::string& command = arguments[0];
    Options options;
    if (!ParseOptions(arguments, options))
        return 2;

    size_t minimum = 0;
    size_t maximum = 0;
    if (command == "render")
        minimum = maximum = 2;
    else if (command == "element")
        minimum = maximum = 3;
    else if (command == "sheet")
    {
        minimum = 3;
        maximum = static_cast<size_t>(-1);
    }
    else if (command == "bounds")
        minimum = maximum = 1;
    else
        return Usage("unknown command \"" + command + "\"");
    if (options.positional.size() < minimum || options.positional.size() > maximum)
        return Usage("wrong number of arguments for " + command);

    SvgRenderer renderer;
    if (!Prepare(renderer, options))
        return Failed(renderer.ErrorText());

    std::optional<SvgImage> image;
    std::string output;
    if (command == "render")
    {
        output = options.positional[1];
        image = renderer.RenderDocument();
    }
    else if (command == "element")
    {
        output = options.positional[2];
        SvgPixelRect bounds;
        image = renderer.RenderElement(options.positional[1], bounds);
        if (image)
        {
            const std::string line = RectText(bounds) + "\n";
            out << line;
            if (!options.boundsFile.empty() && !WriteText(options.boundsFile, line))
                return 1;
        }
    }
    else if (command == "sheet")
    {
        output = options.positional[1];
        const std::vector<std::string> ids(options.positional.begin() + 2, options.positional.end());
        const SheetAlign align = options.align == "bottom"    ? SheetAlign::Bottom
                                 : options.align == "stacked" ? SheetAlign::Stacked
                                                              : SheetAlign::Center;
        SheetLayout layout;
        image = renderer.RenderSheet(ids, align, layout);
        if (image)
            out << layout.cellWidth << ' ' << layout.cellHeight << ' ' << layout.count << "\n";
    }
    else
    {
        for (const std::string& id : renderer.ElementIds(options.prefix))
        {
            SvgPixelRect bounds;
            if (!renderer.ElementBounds(id, bounds))
                return Failed(renderer.ErrorText());
            out << id << ' ' << RectText(bounds) << "\n";
        }
        return 0;
    }

    if (!image)
        return Failed(renderer.ErrorText());
    std::vector<uint8_t> png;
    if (!image->EncodePng(png))
        return Failed(output + ": cannot encode the picture");
    if (!Platform::WriteFileAtomically(output, png))
        return Failed(output + ": cannot write the file");
    return 0;
}

} // namespace Vesk
