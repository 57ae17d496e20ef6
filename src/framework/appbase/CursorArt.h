#pragma once

namespace Vesk
{

// The framework's two drawn cursors, 32 x 32 monochrome: 'X' black, '.' white, blank clear.
struct CursorArt
{
    const char* const* rows;
    int hotX;
    int hotY;

    // A pointing hand; the fingertip is the hot spot (11, 4).
    static CursorArt Hand();
    // A closed hand holding what it drags; hot spot (15, 10).
    static CursorArt Dragging();
};

} // namespace Vesk
