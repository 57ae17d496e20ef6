// synth: renders sound effect recipes and tune scores for the content build. See SynthTool.h.
#include "synth/OggWriter.h"
#include "synth/SynthTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    Vesk::SynthTool tool(std::cout, std::cerr, &Vesk::OggWriter::Encode);
    return tool.Run(arguments);
}
