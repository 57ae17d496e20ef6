// pak: the archive tool of the build. See PakTool.h for the commands.
#include "pak/PakTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    Vesk::PakTool tool(std::cout, std::cerr);
    return tool.Run(arguments);
}
