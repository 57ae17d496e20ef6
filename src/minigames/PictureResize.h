#pragma once

#include <memory>

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

} // namespace PictureResize

} // namespace Vesk
