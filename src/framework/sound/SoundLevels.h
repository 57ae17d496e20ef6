#pragma once

namespace Vesk::SoundLevels
{

// The framework's volume and pan units. Volumes are 0..1; the level sent to the mixer is in
// hundredths of a decibel, 0 (full) down to kSilence; pan is in hundredths of a decibel taken
// off the other side, -10000 (left only) .. 10000 (right only).
constexpr int kSilence = -10000;
constexpr int kPanLeft = -10000;
constexpr int kPanRight = 10000;

// (int)((log10(volume x 9 + 1) - 1) x 2333): 1.0 gives 0, anything below -2000 becomes kSilence.
int VolumeToHundredthsOfDecibel(double volume);
// The amplitude factor of a level: 10 ^ (level / 2000), exactly 0 for kSilence and below.
double HundredthsOfDecibelToGain(int level);
// The left and right amplitude factors of a pan; values beyond the ends are clamped.
void PanToGains(int pan, double& left, double& right);

} // namespace Vesk::SoundLevels
