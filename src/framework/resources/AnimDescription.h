#pragma once

#include <vector>

namespace Vesk
{

// How the cells of a manifest image play as an animation, as the manifest describes it: the
// type, the delays and the order of the cells. Filled while the manifest is read and completed
// by Compute; the resource manager hands it to the image when the image is loaded.
//
// Field for field the same as the animation info images carry, so handing it over is a copy.
class AnimDescription
{
public:
    static constexpr int AnimNone = 0;
    static constexpr int AnimOnce = 1;
    static constexpr int AnimPingPong = 2;
    static constexpr int AnimLoop = 3;

    int animType = AnimNone;
    // Milliseconds per step unless a step has a delay of its own.
    int frameDelay = 1;
    // After Compute: the number of steps the animation takes (the cells, or the frame map's
    // length when there is one).
    int numCels = 1;
    // One delay per step; empty when every step lasts frameDelay.
    std::vector<int> perFrameDelay;
    // The cell shown at each step; empty when the steps show the cells in order.
    std::vector<int> frameMap;
    int totalAnimTime = 0;

    // Completes the description for an image of cels cells: a ping-pong of n cells plays
    // 0 .. n-1 and back down to 1 (2n - 2 steps); a frame map sets the number of steps; a
    // positive beginDelay or endDelay replaces the delay of the first or last step; delays
    // below 1 become frameDelay; totalAnimTime becomes the sum of the step delays.
    void Compute(int cels, int beginDelay = 0, int endDelay = 0);
};

} // namespace Vesk
