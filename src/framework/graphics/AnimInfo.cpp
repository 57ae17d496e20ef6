#include "framework/graphics/AnimInfo.h"

#include <algorithm>

namespace Vesk
{

void AnimInfo::Compute(int cels, int beginFrameTime, int endFrameTime)
{
    numCels = std::max(1, cels);
    frameDelay = std::max(1, frameDelay);

    if (animType == AnimPingPong && numCels > 1)
    {
        frameMap.clear();
        for (int i = 0; i < numCels; ++i)
            frameMap.push_back(i);
        for (int i = numCels - 2; i >= 1; --i)
            frameMap.push_back(i);
        numCels = int(frameMap.size());
    }
    if (beginFrameTime > 0 || endFrameTime > 0)
    {
        if (perFrameDelay.size() < size_t(numCels))
            perFrameDelay.resize(size_t(numCels), 0);
        if (beginFrameTime > 0)
            perFrameDelay.front() = beginFrameTime;
        if (endFrameTime > 0)
            perFrameDelay.back() = endFrameTime;
    }

    if (!perFrameDelay.empty())
    {
        totalAnimTime = 0;
        for (int& delay : perFrameDelay)
        {
            if (delay < 1)
                delay = frameDelay;
            totalAnimTime += delay;
        }
    }
    else
    {
        totalAnimTime = numCels * frameDelay;
    }
}

int AnimInfo::GetPerFrameCel(int time) const
{
    for (size_t i = 0; i < perFrameDelay.size(); ++i)
    {
        time -= perFrameDelay[i];
        if (time < 0)
            return int(i);
    }
    return numCels - 1;
}

int AnimInfo::GetCel(int time) const
{
    if (animType == AnimNone || totalAnimTime <= 0)
        return 0;
    time = ((time % totalAnimTime) + totalAnimTime) % totalAnimTime;
    int frame = perFrameDelay.empty() ? time / frameDelay : GetPerFrameCel(time);
    frame = std::clamp(frame, 0, numCels - 1);
    if (!frameMap.empty() && size_t(frame) < frameMap.size())
        return frameMap[size_t(frame)];
    return frame;
}

} // namespace Vesk
