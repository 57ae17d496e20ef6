#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace Vesk
{

class SvgRenderer;

// The SVG renderer of the content build:
//   svgrender render  <in.svg> <out.png> [size] [--hide <id>]...
//   svgrender element <in.svg> <id> <out.png> [size] [--hide <id>]... [--bounds-file <file>]
//   svgrender sheet   <in.svg> <out.png> <id>... [--align center|bottom|stacked] [size] [--hide <id>]...
//   svgrender bounds  <in.svg> [--prefix <text>] [size] [--hide <id>]...
// where [size] is one of --size <w>x<h>, --width <w> or --scale <factor> (default: the
// document's natural size). "element" prints the crop's place in the document as
// "x y width height" (and writes that line to --bounds-file); "sheet" prints
// "cellWidth cellHeight count"; "bounds" prints "id x y width height" for each element whose id
// starts with the prefix, in file order. Pictures are written whole or not at all.
class SvgRenderTool
{
public:
    SvgRenderTool(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    // Runs one command line (without the program name); returns the exit code: 0 done,
    // 1 failed (the message names the file), 2 bad usage.
    int Run(const std::vector<std::string>& arguments);

private:
    struct Options;

    int Usage(const std::string& problem);
    int Failed(const std::string& message);
    bool ParseOptions(const std::vector<std::string>& arguments, Options& options);
    bool Prepare(SvgRenderer& renderer, const Options& options);
    bool WriteText(const std::string& file, const std::string& text);

    std::ostream& out;
    std::ostream& err;
};

} // namespace Vesk
