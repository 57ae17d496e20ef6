#pragma once

#include <memory>
#include <vector>

namespace Vesk
{

class Image;
class MemoryImage;

// Resizing a game's pictures once, when its set is loaded, so that the frames only copy them:
// a glass that shows a scene enlarged, and a scene that shows pictures drawn larger than they
// appear. Both work on premultiplied pixels, so transparent pixels lend no colour to the edges.
namespace PictureResize
{

// The largest side either operation makes (a broken set must not ask for gigabytes).
constexpr int kMaxSide = 4096;

// source drawn at width x height: a Catmull-Rom cubic when it grows (crisper edges than a linear
// blend), the average of the pixels each new one covers when it shrinks. Null for a null or
// unreadable source and for sizes below 1 or above kMaxSide.
std::unique_ptr<MemoryImage> Resize(Image* source, int width, int height);

// A picture kept ready for enlarging any part of it with the same cubic: a glass that shows a
// small window of a large enlargement makes that window only, not megabytes of picture.
class PartEnlarger
{
public:
    // Empty for a null source or one whose pixels cannot be read.
    explicit PartEnlarger(Image* source);

    bool Empty() const { return pixels.empty(); }
    // The part of the source enlarged by scale (> 0) whose corner lies at (left, top) of the
    // enlargement, as large as into, written into into; transparent where the enlargement does
    // not reach. Costs about a microsecond per hundred pixels.
    void Draw(double scale, int left, int top, MemoryImage& into) const;

private:
    int width = 0;
    int height = 0;
    std::vector<float> pixels; // premultiplied alpha, red, green, blue
};

} // namespace PictureResize

} // namespace Vesk
