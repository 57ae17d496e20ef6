#include "framework/sound/SoundLevels.h"

#include <algorithm>
#include <cmath>

namespace Vesk::SoundLevels
{

int VolumeToHundredthsOfDecibel(double volume)
{
    if (!(volume > 0.0)) // also catches NaN
        volume = 0.0;
    int level = static_cast<int>((std::log10(volume * 9.0 + 1.0) - 1.0) * 2333.0);
    if (level < -2000)
        return kSilence;
    return std::min(level, 0);
}

double HundredthsOfDecibelToGain(int level)
{
    if (level <= kSilence)
        return 0.0;
    return std::pow(10.0, std::min(level, 0) / 2000.0);
}

void PanToGains(int pan, double& left, double& right)
{
    pan = std::clamp(pan, kPanLeft, kPanRight);
    left = pan > 0 ? HundredthsOfDecibelToGain(-pan) : 1.0;
    right = pan < 0 ? HundredthsOfDecibelToGain(pan) : 1.0;
}

} // namespace Vesk::SoundLevels
