#include "publication/PageCurl.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr double Pi = std::numbers::pi;

// The light comes from the upper left, above the desk; the viewer looks straight down.
constexpr double LightX = -0.35, LightY = -0.45, LightZ = 1.0;
// How much of the light is ambient, how opaque the paper is where its back shows, and how much
// darker its back is than its face.
constexpr double Ambient = 0.3;
constexpr uint32_t BackAlpha = 232;
constexpr double BackShade = 0.93;

struct Vec3
{
    double a, n, z;
};

Vec3 Cross(const Vec3& p, const Vec3& q)
{
    return {p.n * q.z - p.z * q.n, p.z * q.a - p.a * q.z, p.a * q.n - p.n * q.a};
}

// Clips a convex polygon to the half-plane where a * x + b * y + c >= 0.
template <typename Point>
void ClipHalfPlane(std::vector<Point>& polygon, std::vector<Point>& scratch, double a, double b, double c)
{
    scratch.clear();
    size_t count = polygon.size();
    for (size_t i = 0; i < count; ++i)
    {
        const Point& p = polygon[i];
        const Point& q = polygon[(i + 1) % count];
        double dp = a * p.x + b * p.y + c;
        double dq = a * q.x + b * q.y + c;
        if (dp >= 0)
            scratch.push_back(p);
        if ((dp >= 0) != (dq >= 0))
        {
            double t = dp / (dp - dq);
            scratch.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
        }
    }
    polygon.swap(scratch);
}

uint32_t Shade(double level, uint32_t alpha, bool back)
{
    double r = std::clamp(level, 0.0, 1.0) * 255.0;
    double g = r * (back ? 0.985 : 1.0);
    double b = r * (back ? 0.95 : 1.0);
    return (alpha << 24) | (uint32_t(r + 0.5) << 16) | (uint32_t(g + 0.5) << 8) | uint32_t(b + 0.5);
}

} // namespace

PageCurl::PageCurl() = default;
PageCurl::~PageCurl() = default;

PageCurl::Vec2 PageCurl::ToLocal(double x, double y) const
{
    double lx = backward ? page.x + page.width - x : x - page.x;
    return {lx, y - page.y};
}

double PageCurl::ToScreenX(double lx) const
{
    return backward ? page.x + page.width - lx : page.x + lx;
}

void PageCurl::Bend(const Rect& page, double pointerX, double pointerY, bool backward, double curv, double prop)
{
    this->page = page;
    this->backward = backward;
    this->curv = curv;
    this->prop = prop;
    Solve(ToLocal(pointerX, pointerY));
}

void PageCurl::BendAtProgress(const Rect& page, double progress, double lift, bool backward, double curv, double prop)
{
    double t = std::clamp(progress, 0.0, 1.0);
    double w = page.width;
    double localX = w * (1 - 2 * t);
    double localY = page.height - lift * std::sin(Pi * t);
    double x = backward ? page.x + page.width - localX : page.x + localX;
    Bend(page, x, page.y + localY, backward, curv, prop);
}

// The grabbed corner can go no farther from the fixed edge's ends than the sheet reaches. The
// fold then lies across the line from the corner to the pointer; the cone's radius grows towards
// the middle of the turn and vanishes at both ends, so the turned sheet lies flat again.
void PageCurl::Solve(Vec2 target)
{
    double w = page.width, h = page.height;
    flat = true;
    if (w <= 0 || h <= 0 || !std::isfinite(target.x) || !std::isfinite(target.y))
        return;
    auto holdWithin = [&](Vec2 centre, double reach)
    {
        double dx = target.x - centre.x, dy = target.y - centre.y;
        double d = std::hypot(dx, dy);
        if (d > reach)
            target = {centre.x + dx * reach / d, centre.y + dy * reach / d};
    };
    holdWithin({0, h}, w);
    holdWithin({0, 0}, std::hypot(w, h));
    Vec2 corner{w, h};
    double dx = corner.x - target.x, dy = corner.y - target.y;
    double distance = std::hypot(dx, dy);
    progress = std::clamp((w - target.x) / (2 * w), 0.0, 1.0);
    if (distance < 0.5)
        return;
    flat = false;
    curlRadius = curv * w * 0.1 * std::sqrt(std::sin(Pi * std::max(progress, 0.03)));
    curlRadius = std::min(curlRadius, distance / 3);
    apexDistance = std::max(prop, 0.01) * h * 2;
    Vec2 grab{dx / distance, dy / distance};

    // Newton steps on the fold's distance from the corner and its turn, from the flat fold's
    // answer widened by the half turn round the curl.
    double s = (distance + Pi * curlRadius) / 2;
    double turn = 0;
    for (int iteration = 0; iteration < 8; ++iteration)
    {
        Place(s, turn, grab);
        Vec2 at = LandedCorner();
        double ex = at.x - target.x, ey = at.y - target.y;
        if (std::hypot(ex, ey) < 1e-3)
            break;
        constexpr double ds = 0.01, dt = 1e-5;
        Place(s + ds, turn, grab);
        Vec2 byS = LandedCorner();
        Place(s, turn + dt, grab);
        Vec2 byTurn = LandedCorner();
        double j11 = (byS.x - at.x) / ds, j21 = (byS.y - at.y) / ds;
        double j12 = (byTurn.x - at.x) / dt, j22 = (byTurn.y - at.y) / dt;
        double det = j11 * j22 - j12 * j21;
        if (std::fabs(det) < 1e-12)
            break;
        double stepS = (j22 * ex - j12 * ey) / det;
        double stepTurn = (-j21 * ex + j11 * ey) / det;
        s = std::clamp(s - stepS, 0.0, 2 * std::hypot(w, h));
        turn = std::clamp(turn - stepTurn, -1.2, 1.2);
    }
    Place(s, turn, grab);
}

void PageCurl::Place(double s, double turn, Vec2 grabDirection)
{
    double w = page.width, h = page.height;
    double c = std::cos(turn), sn = std::sin(turn);
    normal = {grabDirection.x * c - grabDirection.y * sn, grabDirection.x * sn + grabDirection.y * c};
    along = {normal.y, -normal.x};
    if (along.y > 0 || (along.y == 0 && along.x < 0))
        along = {-along.x, -along.y};
    Vec2 fold{w - s * normal.x, h - s * normal.y};
    double toBottom = along.y < -1e-3 ? (h - fold.y) / along.y : -w;
    toBottom = std::clamp(toBottom, -3 * w, 3 * w);
    double k = toBottom - apexDistance;
    apex = {fold.x + k * along.x, fold.y + k * along.y};
    double cornerReach = std::hypot(w - apex.x, h - apex.y);
    sinCone = std::clamp(curlRadius / std::max(cornerReach, 1.0), 0.0, 1.0);
    cosCone = std::sqrt(1 - sinCone * sinCone);
    wrapEnd = Pi * sinCone;
}

PageCurl::Vec2 PageCurl::LandedCorner() const
{
    Landing at = LandLocal({double(page.width), double(page.height)}, nullptr);
    return {at.x, at.y};
}

// The sheet's point p (page-local) on the cone: its distance from the apex is kept, and its
// angle from the fold line, seen from the apex, becomes an angle round the cone's axis.
PageCurl::Landing PageCurl::LandLocal(Vec2 p, double* normalOut) const
{
    Landing out{p.x, p.y, 0, false};
    double rx = p.x - apex.x, ry = p.y - apex.y;
    double pa = rx * along.x + ry * along.y;
    double pn = rx * normal.x + ry * normal.y;
    Vec3 surface{0, 0, 1};
    if (!flat && pn > 0)
    {
        double r = std::hypot(pa, pn);
        double alpha = std::atan2(pn, pa);
        double st = sinCone, ct = cosCone;
        double la, ln;
        if (alpha <= wrapEnd && st > 1e-9)
        {
            double beta = alpha / st;
            double cb = std::cos(beta), sb = std::sin(beta);
            la = r * (ct * ct + st * st * cb);
            ln = r * st * sb;
            out.z = r * st * ct * (1 - cb);
            Vec3 generator{ct * ct + st * st * cb, st * sb, st * ct * (1 - cb)};
            Vec3 round{-st * sb, cb, ct * sb};
            surface = Cross(generator, round);
        }
        else
        {
            double gamma = alpha - wrapEnd;
            double c2 = ct * ct - st * st, s2 = 2 * st * ct;
            la = r * std::cos(gamma) * c2;
            ln = -r * std::sin(gamma);
            out.z = r * std::cos(gamma) * s2;
            surface = {s2, 0, -c2};
        }
        out.x = apex.x + la * along.x + ln * normal.x;
        out.y = apex.y + la * along.y + ln * normal.y;
        out.back = surface.z < 0;
    }
    if (normalOut)
    {
        double nx = surface.a * along.x + surface.n * normal.x;
        double ny = surface.a * along.y + surface.n * normal.y;
        normalOut[0] = backward ? -nx : nx;
        normalOut[1] = ny;
        normalOut[2] = surface.z;
    }
    return out;
}

PageCurl::Landing PageCurl::OnScreen(Landing local) const
{
    local.x = ToScreenX(local.x);
    local.y += page.y;
    return local;
}

PageCurl::Landing PageCurl::Land(double x, double y) const
{
    return OnScreen(LandLocal(ToLocal(x, y), nullptr));
}

PageCurl::Landing PageCurl::GrabbedCorner() const
{
    return OnScreen(LandLocal({double(page.width), double(page.height)}, nullptr));
}

// The bent part of the sheet is cut along rays from the apex: the cone maps each slice between
// two rays onto a flat facet, exactly, so the facets follow the curl with no seam. Enough slices
// keep the facets within half a pixel of the true curl.
void PageCurl::BuildMesh()
{
    meshTriangles.clear();
    meshLevels.clear();
    facets.clear();
    if (flat)
        return;
    double w = page.width, h = page.height;
    Vec2 corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    double reach = 0;
    for (const Vec2& c : corners)
        reach = std::max(reach, std::hypot(c.x - apex.x, c.y - apex.y));
    double largestRadius = reach * sinCone;
    int slices = sinCone > 1e-9 ? std::clamp(int(std::ceil(Pi * std::sqrt(largestRadius / 8))), 4, 16) : 0;

    // Page corners in the fold's frame: x along the fold from the apex, y towards the corner.
    std::vector<Vec2> rest, polygon, scratch;
    std::vector<float> levels;
    for (const Vec2& c : corners)
        rest.push_back({(c.x - apex.x) * along.x + (c.y - apex.y) * along.y,
                        (c.x - apex.x) * normal.x + (c.y - apex.y) * normal.y});
    auto slice = [&](double from, double to)
    {
        polygon = rest;
        ClipHalfPlane(polygon, scratch, -std::sin(from), std::cos(from), 0);
        if (polygon.size() >= 3)
            ClipHalfPlane(polygon, scratch, std::sin(to), -std::cos(to), 0);
        if (polygon.size() < 3)
            return;
        Facet facet{int(meshTriangles.size() / 3), 0, 0, false};
        std::vector<TriVertex> ring;
        levels.clear();
        double restArea = 0, landedArea = 0;
        for (const Vec2& f : polygon)
        {
            Vec2 local{apex.x + f.x * along.x + f.y * normal.x, apex.y + f.x * along.y + f.y * normal.y};
            double surface[3];
            Landing at = OnScreen(LandLocal(local, surface));
            TriVertex vertex;
            vertex.x = float(at.x);
            vertex.y = float(at.y);
            vertex.u = float((ToScreenX(local.x) - page.x) / w);
            vertex.v = float(local.y / h);
            // Lambert's law against the light, relative to the flat page, on the side in view.
            double side = surface[2] < 0 ? -1 : 1;
            double length = std::sqrt(LightX * LightX + LightY * LightY + LightZ * LightZ);
            double lit = side * (surface[0] * LightX + surface[1] * LightY + surface[2] * LightZ) / length;
            double flatLit = LightZ / length;
            double level = Ambient + (1 - Ambient) * std::max(lit, 0.0) / flatLit;
            vertex.color = 0xFFFFFFFF;
            levels.push_back(float(level));
            facet.depth += at.z;
            ring.push_back(vertex);
        }
        size_t count = ring.size();
        for (size_t i = 0; i < count; ++i)
        {
            const TriVertex& p = ring[i];
            const TriVertex& q = ring[(i + 1) % count];
            landedArea += double(p.x) * q.y - double(q.x) * p.y;
            restArea += double(p.u) * q.v - double(q.u) * p.v;
        }
        facet.depth /= double(count);
        facet.back = (landedArea > 0) != (restArea > 0);
        for (size_t i = 1; i + 1 < count; ++i)
        {
            for (size_t k : {size_t(0), i, i + 1})
            {
                meshTriangles.push_back(ring[k]);
                meshLevels.push_back(levels[k]);
            }
            ++facet.count;
        }
        facets.push_back(facet);
    };
    for (int k = 0; k < slices; ++k)
        slice(wrapEnd * k / slices, wrapEnd * (k + 1) / slices);
    if (wrapEnd < Pi)
        slice(wrapEnd, Pi);
    std::stable_sort(facets.begin(), facets.end(), [](const Facet& a, const Facet& b) { return a.depth < b.depth; });
}

void PageCurl::DrawFlatSpans(Graphics& g, Image* front, Image* under)
{
    int w = page.width, h = page.height;
    if (flat)
    {
        if (front)
            g.DrawImage(front, page.x, page.y, Rect(0, 0, w, h));
        return;
    }
    // The sheet stays flat before the fold (towards the fixed edge); the face beneath shows
    // beyond it. Where the fold runs steeply, the columns wholly on one side of it are plain
    // copies; the rest of each part is drawn texel for texel as triangles sharing the fold's
    // edge, so every pixel along it goes to one side only.
    double frontEnd = 0, underStart = w;
    if (std::fabs(normal.x) > 0.5)
    {
        double atTop = apex.x + apex.y * normal.y / normal.x;
        double atBottom = apex.x - (h - apex.y) * normal.y / normal.x;
        double lo = std::min(atTop, atBottom), hi = std::max(atTop, atBottom);
        if (normal.x > 0)
        {
            frontEnd = std::clamp(std::floor(lo - 0.5), 0.0, double(w));
            underStart = std::clamp(std::ceil(hi + 0.5), frontEnd, double(w));
        }
    }
    auto copyColumns = [&](Image* image, double from, double to)
    {
        int a = int(from), b = int(to);
        if (!image || b <= a)
            return;
        int screenFrom = backward ? w - b : a;
        g.DrawImage(image, page.x + screenFrom, page.y, Rect(screenFrom, 0, b - a, h));
    };
    copyColumns(front, 0, frontEnd);
    copyColumns(under, underStart, w);
    std::vector<Vec2> polygon, scratch;
    for (int side = 0; side < 2; ++side)
    {
        Image* image = side == 0 ? front : under;
        if (!image)
            continue;
        polygon = {{frontEnd, 0}, {underStart, 0}, {underStart, double(h)}, {frontEnd, double(h)}};
        double sign = side == 0 ? -1 : 1;
        ClipHalfPlane(polygon, scratch, sign * normal.x, sign * normal.y,
                      -sign * (apex.x * normal.x + apex.y * normal.y));
        if (polygon.size() < 3)
            continue;
        drawn.clear();
        auto vertex = [&](Vec2 p)
        {
            TriVertex v;
            v.x = float(ToScreenX(p.x));
            v.y = float(page.y + p.y);
            v.u = float((ToScreenX(p.x) - page.x) / w);
            v.v = float(p.y / h);
            return v;
        };
        for (size_t k = 1; k + 1 < polygon.size(); ++k)
        {
            drawn.push_back(vertex(polygon[0]));
            drawn.push_back(vertex(polygon[k]));
            drawn.push_back(vertex(polygon[k + 1]));
        }
        g.DrawTrianglesTex(image, reinterpret_cast<const TriVertex(*)[3]>(drawn.data()), int(drawn.size() / 3));
    }
}

// A soft shadow on the page beneath, along the outside of the curl: it widens and darkens with
// the curl's radius and fades out at both ends of the turn.
void PageCurl::DrawShadow(Graphics& g)
{
    if (flat)
        return;
    if (!shadowInk)
    {
        shadowInk = std::make_unique<MemoryImage>();
        uint32_t black = 0xFF000000;
        shadowInk->SetBits(&black, 1, 1, true);
    }
    double w = page.width, h = page.height;
    double strength = std::sqrt(std::sin(Pi * std::clamp(progress, 0.0, 1.0)));
    double darkest = 40 + 110 * strength;
    double lo = 1e30, hi = -1e30;
    for (Vec2 c : {Vec2{0, 0}, Vec2{w, 0}, Vec2{w, h}, Vec2{0, h}})
    {
        double t = (c.x - apex.x) * along.x + (c.y - apex.y) * along.y;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    // Offsets from the fold towards the corner where the shadow starts, half-way and ends.
    auto bands = [&](double t, double out[3])
    {
        double radius = std::max(t, 0.0) * sinCone;
        out[0] = radius * 0.85;
        out[1] = radius + 3 + 0.15 * radius;
        out[2] = radius + 12 + 0.5 * radius;
    };
    const double levels[3] = {darkest, darkest * 0.45, 0};
    constexpr int Steps = 12;
    std::vector<Vec2> polygon, scratch;
    drawn.clear();
    for (int i = 0; i < Steps; ++i)
        for (int band = 0; band < 2; ++band)
        {
            double t0 = lo + (hi - lo) * i / Steps, t1 = lo + (hi - lo) * (i + 1) / Steps;
            double b0[3], b1[3];
            bands(t0, b0);
            bands(t1, b1);
            polygon = {{t0, b0[band]}, {t1, b1[band]}, {t1, b1[band + 1]}, {t0, b0[band + 1]}};
            // Into page-local coordinates, then cut to the page.
            for (Vec2& p : polygon)
                p = {apex.x + p.x * along.x + p.y * normal.x, apex.y + p.x * along.y + p.y * normal.y};
            ClipHalfPlane(polygon, scratch, 1, 0, 0);
            ClipHalfPlane(polygon, scratch, -1, 0, w);
            ClipHalfPlane(polygon, scratch, 0, 1, 0);
            ClipHalfPlane(polygon, scratch, 0, -1, h);
            if (polygon.size() < 3)
                continue;
            auto vertex = [&](Vec2 p)
            {
                double t = (p.x - apex.x) * along.x + (p.y - apex.y) * along.y;
                double off = (p.x - apex.x) * normal.x + (p.y - apex.y) * normal.y;
                double b[3];
                bands(t, b);
                double level = off <= b[1] ? levels[0] + (levels[1] - levels[0]) * (off - b[0]) / (b[1] - b[0])
                                           : levels[1] * (b[2] - off) / (b[2] - b[1]);
                TriVertex v;
                v.x = float(ToScreenX(p.x));
                v.y = float(page.y + p.y);
                v.u = 0.5f;
                v.v = 0.5f;
                v.color = (uint32_t(std::clamp(level, 0.0, 255.0) + 0.5) << 24) | 0xFFFFFF;
                return v;
            };
            for (size_t k = 1; k + 1 < polygon.size(); ++k)
            {
                drawn.push_back(vertex(polygon[0]));
                drawn.push_back(vertex(polygon[k]));
                drawn.push_back(vertex(polygon[k + 1]));
            }
        }
    if (!drawn.empty())
        g.DrawTrianglesTex(shadowInk.get(), reinterpret_cast<const TriVertex(*)[3]>(drawn.data()),
                           int(drawn.size() / 3));
}

// The facet's triangles as drawn: lit, and on the back with the face read as it will lie once
// turned, a little darker and letting a little of what lies below show through.
void PageCurl::PrepareFacet(const Facet& facet)
{
    size_t first = size_t(facet.first) * 3, end = first + size_t(facet.count) * 3;
    drawn.assign(meshTriangles.begin() + long(first), meshTriangles.begin() + long(end));
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        TriVertex& v = drawn[i];
        double level = meshLevels[first + i];
        if (facet.back)
            v.u = 1 - v.u;
        v.color = Shade(level * (facet.back ? BackShade : 1.0), facet.back ? BackAlpha : 255, facet.back);
    }
}

void PageCurl::Draw(Graphics& g, Image* front, Image* back, Image* under)
{
    g.PushState();
    g.SetLinearBlend(true);
    DrawFlatSpans(g, front, under);
    DrawShadow(g);
    BuildMesh();
    for (const Facet& facet : facets)
    {
        Image* texture = facet.back ? back : front;
        if (!texture)
            continue;
        PrepareFacet(facet);
        g.DrawTrianglesTex(texture, reinterpret_cast<const TriVertex(*)[3]>(drawn.data()), facet.count);
    }
    DrawTurnedEdge(g);
    g.PopState();
}

// A thin, soft line along the edges of the part of the sheet that lies turned over, as the
// paper's cut edge catches the shadow: it also smooths the stairs of the sheet's outline.
void PageCurl::DrawTurnedEdge(Graphics& g) const
{
    if (flat)
        return;
    double w = page.width, h = page.height;
    const Vec2 corners[5] = {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
    constexpr int Steps = 32;
    g.SetColor(Color(70, 52, 36, 110));
    for (int side = 0; side < 4; ++side)
    {
        Landing last{};
        bool lastShown = false;
        for (int i = 0; i <= Steps; ++i)
        {
            double t = double(i) / Steps;
            Vec2 p{corners[side].x + (corners[side + 1].x - corners[side].x) * t,
                   corners[side].y + (corners[side + 1].y - corners[side].y) * t};
            Landing at = OnScreen(LandLocal(p, nullptr));
            bool shown = at.back;
            if (shown && lastShown)
                g.DrawLineAA(int(std::lround(last.x)), int(std::lround(last.y)), int(std::lround(at.x)),
                             int(std::lround(at.y)));
            last = at;
            lastShown = shown;
        }
    }
}

void PageCurl::DrawOnSheet(Graphics& g, Image* frontPicture, Image* backPicture)
{
    g.PushState();
    g.SetLinearBlend(true);
    if (flat && frontPicture)
        g.DrawImage(frontPicture, page.x, page.y);
    for (const Facet& facet : facets)
    {
        Image* picture = facet.back ? backPicture : frontPicture;
        if (!picture)
            continue;
        PrepareFacet(facet);
        g.DrawTrianglesTex(picture, reinterpret_cast<const TriVertex(*)[3]>(drawn.data()), facet.count);
    }
    g.PopState();
}

} // namespace Vesk
