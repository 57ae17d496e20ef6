#pragma once

#include "app/ContentModel.h"

#include <array>
#include <memory>

namespace Vesk
{

class Graphics;
class MemoryImage;

// The smear of the board's pictures while the page turns in or out (the publication's blur
// value b, 1 at the start of the turn, 0 at rest). The page's background (its last unfound
// item) stays sharp under a smeared copy of itself, and the objects fade in from a smear:
// each look is what 32 copies of the picture at the blur's offsets give, with the copies'
// strength and spread rising and falling with the turn.
//
// Drawing 32 copies of every object on every frame costs tens of milliseconds, so the smeared
// pictures are made once (at half size, then enlarged) and each frame blends at most four
// whole-page pictures. The board owns one and tells it when the page or its finds change.
class BoardBlur
{
public:
    BoardBlur();
    ~BoardBlur();
    BoardBlur(const BoardBlur&) = delete;
    BoardBlur& operator=(const BoardBlur&) = delete;

    // A new page: every cached picture goes.
    void Invalidate();
    // An object was found: the objects' pictures are made again at the next blurred frame.
    void InvalidateObjects();

    // Makes the smeared pictures that are out of date (tens of milliseconds); returns the index
    // of the background, or -1 when no item is left to draw.
    int Prepare(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude);
    // Paints the unfound items at (boardX + x, boardY + y) smeared for blur b in (0, 1].
    // amplitude: the copies' spread in pixels at the widest; transparency: a copy's alpha
    // (0..255) at the widest.
    void Paint(Graphics& graphics, std::array<PictureItem, kMaxPictureItems>& items, int count, int boardX, int boardY,
               double blur, double amplitude, double transparency);

    // The 32 copy directions, in pixels per unit of spread.
    static const std::array<std::array<float, 2>, 32> kOffsets;

    // The average of the 32 copies of source at the given spread, as large as source.
    // cutToPicture: each copy shows only what lies inside the picture (the background);
    // otherwise copies reach beyond it and fade at its edges (an object's layer).
    static std::unique_ptr<MemoryImage> Smear(MemoryImage& source, double spread, bool cutToPicture);

private:
    void MakeBackground(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude);
    void MakeObjects(std::array<PictureItem, kMaxPictureItems>& items, int count, double amplitude);

    int background = -1;
    bool backgroundMade = false;
    bool objectsMade = false;
    std::unique_ptr<MemoryImage> backgroundSmear;
    // The objects' picture and its smear, placed at (objectsX, objectsY) on the board.
    int objectsX = 0;
    int objectsY = 0;
    std::unique_ptr<MemoryImage> objects;
    std::unique_ptr<MemoryImage> objectsSmear;
};

} // namespace Vesk
