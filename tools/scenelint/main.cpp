// scenelint: checks scene scripts. See SceneLint.h.
#include "scenelint/SceneLint.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return Vesk::SceneLint::Run(arguments, std::cout, std::cerr);
}
