#pragma once

#include "framework/graphics/MemoryImage.h"
#include "support/FakeFont.h"
#include "support/ReferenceRenderer.h"

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
// some shapes. Used for the frame test and the frame benchmark.
class PublicationFrame
{
public:
    PublicationFrame();

    void Paint(Graphics& g, bool extras);
    // The same frame drawn pixel by pixel by the reference renderer, without what it has no model
    // of: the text and, with extras, the page corner, the star, the framed line and the wrapped
    // text (the frame test checks those by hand).
    ReferenceRenderer::Canvas PaintReference(bool extras) const;

    static constexpr int Width = 800;
    static constexpr int Height = 600;

private:
    MemoryImage deskTile;
    MemoryImage page;
    MemoryImage leftShadow;
    MemoryImage rightShadow;
    std::vector<std::unique_ptr<MemoryImage>> pictures;
    // The same pictures for the reference renderer.
    ReferenceRenderer::Canvas deskTileCanvas;
    ReferenceRenderer::Canvas leftShadowCanvas;
    ReferenceRenderer::Canvas rightShadowCanvas;
    ReferenceRenderer::Canvas pageCanvas;
    std::vector<ReferenceRenderer::Canvas> pictureCanvases;
    FakeFont font;
};

} // namespace Vesk::TestSupport
