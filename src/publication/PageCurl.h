#pragma once

#include "framework/graphics/Rect.h"
#include "framework/graphics/TriVertex.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Vesk
{

class Graphics;
class Image;
class MemoryImage;

// The turning page of the publication: one sheet bent around a cone whose apex lies on the fold
// line beyond the grabbed edge, seen straight from above. The part of the sheet before the fold
// stays flat on the page beneath; the part beyond it wraps around the cone (tight near the apex,
// looser far from it) and, once it has come half way round, lies flat again face down, so that
// its back shows. The publication screen bends the sheet every frame, from the pointer holding its
// bottom corner or from the progress of a turn, and draws it over the desk: the face beneath
// where the sheet has lifted, the curl's soft shadow on it, then the sheet itself, lit like paper.
//
// Positions are in screen pixels. A forward turn holds the bottom-right corner and turns the
// sheet over its left edge; a backward turn is the same picture mirrored (the bottom-left corner,
// over the right edge), the faces themselves never mirrored.
class PageCurl
{
public:
    PageCurl();
    ~PageCurl();
    PageCurl(const PageCurl&) = delete;
    PageCurl& operator=(const PageCurl&) = delete;

    // A point of the bent sheet: where a point of the flat sheet lands on the screen, its height
    // above the page beneath, and whether its back faces the viewer.
    struct Landing
    {
        double x = 0;
        double y = 0;
        double z = 0;
        bool back = false;
    };

    // Bends the sheet lying on `page` so that its grabbed bottom corner lies at the pointer (held
    // within the reach of the fixed edge). curv (Pages/PageCurv) sets the curl's radius, prop
    // (Pages/PageProp) how far beyond the bottom edge the cone's apex lies: the nearer, the more
    // the bottom of the sheet curls ahead of its top.
    void Bend(const Rect& page, double pointerX, double pointerY, bool backward, double curv, double prop);
    // Bends the sheet for a turn at `progress` (0 flat, 1 turned over), its corner lifted by up to
    // `lift` pixels half way. The fold then lies near x = page.x + (1 - progress) x page.width (the
    // mirror of that for a backward turn), so a turning edge at e (0..1 across the page, from the
    // fixed edge) is drawn with progress 1 - e and the edge's lift.
    void BendAtProgress(const Rect& page, double progress, double lift, bool backward, double curv, double prop);

    // Where the flat sheet's point (x, y) (screen pixels at rest) lands.
    [[nodiscard]] Landing Land(double x, double y) const;
    // Where the grabbed corner landed (the pointer, once held within reach).
    [[nodiscard]] Landing GrabbedCorner() const;
    [[nodiscard]] bool IsFlat() const { return flat; }

    // Draws the turn: `under` where the sheet has lifted, the curl's shadow on it, and the sheet
    // with `front` on its face and `back` (read as it will lie once turned) on its reverse. The
    // three pictures have the page's size; any may be null (nothing drawn for it).
    void Draw(Graphics& g, Image* front, Image* back, Image* under);
    // Draws pictures of the page's size laid on the bent sheet (stickers, marks) over its front
    // and its back: call after Draw.
    void DrawOnSheet(Graphics& g, Image* frontPicture, Image* backPicture);

    // The mesh of the bent part of the sheet as last built by Draw (for tests and benchmarks):
    // each triangle with its texture coordinates on the front face.
    [[nodiscard]] const std::vector<TriVertex>& MeshTriangles() const { return meshTriangles; }

private:
    struct Vec2
    {
        double x, y;
    };
    struct Facet
    {
        int first;
        int count;
        double depth;
        bool back;
    };

    void Solve(Vec2 target);
    void Place(double s, double turn, Vec2 grabDirection);
    [[nodiscard]] Vec2 LandedCorner() const;
    // Where the page-local point p lands, page-local; the surface's normal (screen axes) when
    // asked for.
    [[nodiscard]] Landing LandLocal(Vec2 p, double* surfaceNormal) const;
    [[nodiscard]] Landing OnScreen(Landing local) const;
    [[nodiscard]] Vec2 ToLocal(double x, double y) const;
    [[nodiscard]] double ToScreenX(double lx) const;
    void BuildMesh();
    void DrawFlatSpans(Graphics& g, Image* front, Image* under);
    void DrawShadow(Graphics& g);
    void PrepareFacet(const Facet& facet);
    void DrawTurnedEdge(Graphics& g) const;

    Rect page;
    bool backward = false;
    double curv = 0;
    double prop = 0;
    double progress = 0;
    bool flat = true;
    double curlRadius = 0;
    double apexDistance = 0;
    // The fold, in page-local coordinates (x from the fixed edge towards the grabbed one, y down):
    // the apex, the fold line's direction away from the apex, and its normal towards the corner.
    Vec2 apex{0, 0};
    Vec2 along{0, -1};
    Vec2 normal{1, 0};
    double sinCone = 1;
    double cosCone = 0;
    double wrapEnd = 0;

    std::vector<TriVertex> meshTriangles;
    std::vector<float> meshLevels;
    std::vector<Facet> facets;
    std::vector<TriVertex> drawn;
    std::unique_ptr<MemoryImage> shadowInk;
};

} // namespace Vesk
