// svgrender: renders SVG art to PNG for the content build. See SvgRenderTool.h for the commands.
#include "svgrender/SvgRenderTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    Vesk::SvgRenderTool tool(std::cout, std::cerr);
    return tool.Run(arguments);
}
