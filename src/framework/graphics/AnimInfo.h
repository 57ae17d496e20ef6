#pragma once

#include <vector>

namespace Vesk
{

// How the cells of an image play as an animation: the type (0 none, 2 ping-pong, any other value
// plays the cels in order), the delay per frame in milliseconds, per-frame delays and the frame
// map. Copied deeply with its image.
class AnimInfo
{
public:
    static constexpr int AnimNone = 0;
    static constexpr int AnimPingPong = 2;

    int animType = AnimNone;
    int frameDelay = 1;
    int numCels = 1;
    std::vector<int> perFrameDelay;
    std::vector<int> frameMap;
    int totalAnimTime = 0;

    // Builds the frame map and total time for numCels cels. A positive beginFrameTime or
    // endFrameTime replaces the delay of the first or last frame.
    void Compute(int numCels, int beginFrameTime = 0, int endFrameTime = 0);
    // The cel shown at time (ms) into the animation.
    int GetCel(int time) const;
    int GetPerFrameCel(int time) const;
};

} // namespace Vesk
