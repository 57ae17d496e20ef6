// pagecompile: compiles one hidden-object page for the content build.
//   pagecompile <page.svg> <page folder> <names.lng> [--face <face.png>]
//               [--notes-area x,y,width,height | --no-notes-area]
//   pagecompile --set <set.svg> <folder> --board X,Y
//     compiles a mini-game page's picture set (PictureSetCompiler.h); X,Y is the board's corner
//     on the screen.
// Faults are printed with the file and the object's id and end the program with 1; warnings are
// printed and the page is still written. See PageCompiler.h for what is written.
#include "pagecompile/PageCompiler.h"
#include "pagecompile/PictureSetCompiler.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace
{

int CompileSet(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    int boardX = 0;
    int boardY = 0;
    bool board = false;
    bool badUsage = false;
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        if (arguments[i] == "--board" && i + 1 < arguments.size() &&
            std::sscanf(arguments[i + 1].c_str(), "%d,%d", &boardX, &boardY) == 2)
        {
            board = true;
            ++i;
        }
        else if (arguments[i].rfind("--", 0) != 0)
            files.push_back(arguments[i]);
        else
            badUsage = true;
    }
    if (badUsage || !board || files.size() != 2)
    {
        std::cerr << "usage: pagecompile --set <set.svg> <folder> --board X,Y\n";
        return 2;
    }
    Vesk::PictureSetCompiler compiler(boardX, boardY);
    const bool compiled = compiler.Compile(files[0], files[1]);
    for (const std::string& error : compiler.Errors())
        std::cerr << error << '\n';
    if (!compiled)
        return 1;
    std::cout << files[0] << ": " << compiler.Pictures().size() << " pictures\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "--set")
        return CompileSet(arguments);
    Vesk::PageLayout layout;
    std::vector<std::string> files;
    std::string face;
    bool badUsage = false;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        Vesk::SvgPixelRect& area = layout.notesArea;
        if (arguments[i] == "--no-notes-area")
            area = Vesk::SvgPixelRect();
        else if (arguments[i] == "--notes-area" && i + 1 < arguments.size() &&
                 std::sscanf(arguments[i + 1].c_str(), "%d,%d,%d,%d", &area.x, &area.y, &area.width, &area.height) == 4)
            ++i;
        else if (arguments[i] == "--face" && i + 1 < arguments.size())
            face = arguments[++i];
        else if (arguments[i].rfind("--", 0) != 0)
            files.push_back(arguments[i]);
        else
            badUsage = true; // an unknown option or a malformed notes area
    }
    if (badUsage || files.size() != 3)
    {
        std::cerr << "usage: pagecompile <page.svg> <page folder> <names.lng> [--face <face.png>] "
                     "[--notes-area x,y,width,height | --no-notes-area]\n";
        return 2;
    }
    Vesk::PageCompiler compiler(layout);
    const bool compiled = compiler.Compile(files[0], files[1], files[2], face);
    for (const std::string& warning : compiler.Warnings())
        std::cerr << warning << '\n';
    for (const std::string& error : compiler.Errors())
        std::cerr << error << '\n';
    if (!compiled)
        return 1;
    std::cout << files[0] << ": " << compiler.Objects().size() << " objects\n";
    return 0;
}
