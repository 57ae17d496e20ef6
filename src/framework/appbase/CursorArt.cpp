#include "framework/appbase/CursorArt.h"

namespace Vesk
{

namespace
{

// clang-format off
const char* const handRows[32] = {
    "                                ",
    "                                ",
    "                                ",
    "          XX                    ",
    "         X..X                   ",
    "         X..X                   ",
    "         X..X                   ",
    "         X..X                   ",
    "         X..X                   ",
    "         X..XXX                 ",
    "         X..X..XXX              ",
    "         X..X..X..XX            ",
    "         X..X..X..X.X           ",
    "      XX X..X..X..X..X          ",
    "     X..XX........X..X          ",
    "     X...X...........X          ",
    "      X..............X          ",
    "      X..............X          ",
    "       X.............X          ",
    "       X............X           ",
    "        X...........X           ",
    "        X..........X            ",
    "         X.........X            ",
    "         X.........X            ",
    "         XXXXXXXXXXX            ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

const char* const draggingRows[32] = {
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "           XX XX XX             ",
    "          X..X..X..XX           ",
    "          X........X.X          ",
    "       XX X..........X          ",
    "      X..XX..........X          ",
    "      X...X..........X          ",
    "       X.............X          ",
    "       X.............X          ",
    "        X............X          ",
    "        X...........X           ",
    "         X..........X           ",
    "         X.........X            ",
    "          X........X            ",
    "          X........X            ",
    "          XXXXXXXXXX            ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};
// clang-format on

} // namespace

CursorArt CursorArt::Hand()
{
    return {handRows, 11, 4};
}

CursorArt CursorArt::Dragging()
{
    return {draggingRows, 15, 10};
}

} // namespace Vesk
