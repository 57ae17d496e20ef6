#pragma once

#include "svgrender/SvgRenderer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

// One picture of a mini-game's set as the compiler wrote it.
struct CompiledPicture
{
    std::string id;    // "pic-d1_anchor"
    std::string name;  // "d1_anchor": the file name without ".png"
    SvgPixelRect crop; // the picture's rectangle in screen pixels
    int x = 0;         // the place written to picture.cfg: the crop's corner minus the origin
    int y = 0;
};

// Compiles a mini-game page's picture set drawn as one SVG in screen space (800 x 600, the board
// at `boardX`, `boardY`): every element whose id is "pic-NAME" becomes NAME.png, drawn alone
// (everything outside it hidden, <defs> and <symbol> still usable) and cropped to its ink, or to
// its data-crop="x y w h" (screen pixels). picture.cfg lists the pictures in document order, six
// lines each (the id, its number from 1, the file name, "WxH", x, y), x and y being the crop's
// corner minus the origin its data-origin names: "board" (the default, the board's corner),
// "screen" (none) or the id of an earlier picture (that picture's crop corner), plus its
// data-offset="dx dy" when given (a place off the screen, such as a piece waiting beyond its
// right edge, drawn on the screen like the others). A duplicate or
// malformed NAME, a picture without ink, a bad crop or origin fail the whole set, naming the file
// and the id, and then nothing is written.
class PictureSetCompiler
{
public:
    static constexpr int kScreenWidth = 800;
    static constexpr int kScreenHeight = 600;

    PictureSetCompiler(int boardX, int boardY) : boardX(boardX), boardY(boardY) {}

    // Writes the set into `folder`, removing pictures of the folder the set no longer has.
    [[nodiscard]] bool Compile(const std::filesystem::path& svgFile, const std::filesystem::path& folder);

    // One line per fault, each starting with the SVG file's name.
    const std::vector<std::string>& Errors() const { return errors; }
    const std::vector<CompiledPicture>& Pictures() const { return pictures; }

private:
    void Error(const std::string& id, const std::string& message);
    bool Write(const std::vector<SvgImage>& images, const std::filesystem::path& folder);

    int boardX;
    int boardY;
    std::string fileName;
    std::vector<std::string> errors;
    std::vector<CompiledPicture> pictures;
};

} // namespace Vesk
