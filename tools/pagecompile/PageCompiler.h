#pragma once

#include "svgrender/SvgImage.h"
#include "svgrender/SvgRenderer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

// Where a hidden-object page's pictures lie: the face as the publication shows it, the board
// area at its top left (the part the board draws object by object) and, optionally, the band
// the list notes cover while the page is played, in board coordinates.
struct PageLayout
{
    int faceWidth = 767;
    int faceHeight = 588;
    int boardWidth = 767;
    int boardHeight = 532;
    SvgPixelRect notesArea{0, 472, 767, 60}; // width 0: no notes area is checked
};

// One findable object of a page as the compiler wrote it.
struct CompiledObject
{
    std::string id;          // "obj-07_brass_key"
    std::string fileName;    // "07_brass_key.png"
    std::string displayName; // "brass key", or the group's data-name
    SvgPixelRect rect;       // the picture's place, relative to the board origin
};

// Compiles one hidden-object page drawn as an SVG scene into the page folder the board plays:
// every group whose id is "obj-NN_name" is a findable object. It writes one picture per object
// cropped to the pixels it changes on the face, "background_00.png" (the board area drawn
// without the objects), "picture.cfg" (six lines per picture: the id, NN, the file name, the
// picture's size, x and y relative to the board origin; the objects in document order, then the
// background, which the board draws first and never lists) and the display-name file (three
// lines per object: the file name, the name shown on the list, the id).
//
// An object's picture holds the face's own pixels, opaque, wherever the object changes the face
// and no later object hides it, and is transparent elsewhere, so the board's background with
// every object drawn over it, in any order, is the face to the pixel. Faulty objects (outside the board area, wholly
// covered by later objects, without a usable name, smaller than 10 x 10 opaque pixels, a number used twice) are
// reported with the file and the id, and then nothing is written.
class PageCompiler
{
public:
    explicit PageCompiler(PageLayout layout = PageLayout()) : layout(layout) {}

    // Compiles `svgFile` into `pageFolder` and writes the display names to `namesFile` and,
    // when given, the whole face (the publication's picture of the page) to `faceFile`. False
    // when the page cannot be read or has faulty objects (see Errors); the files then keep what
    // they held. Pictures of objects no longer on the page are removed from the folder.
    [[nodiscard]] bool Compile(const std::filesystem::path& svgFile, const std::filesystem::path& pageFolder,
                               const std::filesystem::path& namesFile, const std::filesystem::path& faceFile = {});

    // One line per fault or remark, each starting with the SVG file's name.
    const std::vector<std::string>& Errors() const { return errors; }
    const std::vector<std::string>& Warnings() const { return warnings; }
    const std::vector<CompiledObject>& Objects() const { return objects; }

private:
    struct Candidate;

    void Error(const std::string& id, const std::string& message);
    void Warning(const std::string& id, const std::string& message);
    void ParseIds(SvgRenderer& renderer, const std::vector<std::string>& ids, std::vector<Candidate>& candidates);
    void RenderAlone(SvgRenderer& renderer, std::vector<Candidate>& candidates);
    void CheckPlacement(std::vector<Candidate>& candidates);
    void CheckCovered(std::vector<Candidate>& candidates);
    bool CutPictures(const SvgImage& face, const SvgImage& background, std::vector<Candidate>& candidates);
    bool Write(const SvgImage& background, const std::vector<Candidate>& candidates,
               const std::filesystem::path& pageFolder, const std::filesystem::path& namesFile);
    bool WriteFace(const SvgImage& face, const std::filesystem::path& faceFile);

    PageLayout layout;
    std::string fileName;
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::vector<CompiledObject> objects;
};

} // namespace Vesk
