#pragma once

#include "framework/graphics/MemoryImage.h"
#include "support/FakeFont.h"

#include <memory>
#include <vector>

namespace Vesk
{
class Graphics;
}

namespace Vesk::TestSupport
{

// A frame painted the way the game paints its publication screen at rest: the desk tiled 5 x 5
// from its tile picture, the two publication shadows, the page face, a dozen small pictures with
// alpha and a line of text.
// With extras it also draws a rotated picture, a page corner mapped with textured triangles and
// some shapes. Used for the sample frame picture and the frame benchmark.
class PublicationFrame
{
public:
    PublicationFrame();

    void Paint(Graphics& g, bool extras);

    static constexpr int Width = 800;
    static constexpr int Height = 600;

private:
    MemoryImage deskTile;
    MemoryImage page;
    MemoryImage leftShadow;
    MemoryImage rightShadow;
    std::vector<std::unique_ptr<MemoryImage>> pictures;
    FakeFont font;
};

} // namespace Vesk::TestSupport
