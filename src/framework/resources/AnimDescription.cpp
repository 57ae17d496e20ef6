#include "framework/resources/AnimDescription.h"

#include <climits>
#include <cstddef>

namespace Vesk
{

void AnimDescription::Compute(int cels, int beginDelay, int endDelay)
{
    numCels = cels > 0 ? cels : 1;
    if (frameDelay <= 0)
        frameDelay = 1;

    if (animType == AnimPingPong && numCels > 1)
    {
        frameMap.clear();
        for (int cel = 0; cel < numCels; ++cel)
            frameMap.push_back(cel);
        for (int cel = numCels - 2; cel >= 1; --cel)
            frameMap.push_back(cel);
    }
    if (!frameMap.empty())
        numCels = static_cast<int>(frameMap.size());

    const size_t steps = static_cast<size_t>(numCels);
    if (beginDelay > 0)
    {
        if (perFrameDelay.empty())
            perFrameDelay.resize(1);
        perFrameDelay.front() = beginDelay;
    }
    if (endDelay > 0)
    {
        if (perFrameDelay.size() < steps)
            perFrameDelay.resize(steps);
        perFrameDelay[steps - 1] = endDelay;
    }

    // Sums are kept inside int: a manifest asking for more than that gets the longest time an
    // int can hold rather than a wrapped, negative one.
    long long total = 0;
    if (!perFrameDelay.empty())
    {
        perFrameDelay.resize(steps);
        for (int& delay : perFrameDelay)
        {
            if (delay < 1)
                delay = frameDelay;
            total += delay;
            if (total > INT_MAX)
                total = INT_MAX;
        }
    }
    else
        total = static_cast<long long>(numCels) * frameDelay;
    totalAnimTime = total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

} // namespace Vesk
