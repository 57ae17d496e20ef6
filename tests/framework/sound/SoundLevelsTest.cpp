#include "framework/sound/SoundLevels.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Vesk
{

TEST(SoundLevelsTest, VolumeBecomesHundredthsOfDecibelWithSilenceBelowMinus2000)
{
    using SoundLevels::VolumeToHundredthsOfDecibel;
    EXPECT_EQ(VolumeToHundredthsOfDecibel(1.0), 0);
    // -2333 x (1 - log10(1.9)) = -1682.7, truncated.
    EXPECT_EQ(VolumeToHundredthsOfDecibel(0.1), -1682);
    EXPECT_EQ(VolumeToHundredthsOfDecibel(0.05), -1956);
    // -2021 is below -2000: silence.
    EXPECT_EQ(VolumeToHundredthsOfDecibel(0.04), SoundLevels::kSilence);
    EXPECT_EQ(VolumeToHundredthsOfDecibel(0.0), SoundLevels::kSilence);
    EXPECT_EQ(VolumeToHundredthsOfDecibel(-3.0), SoundLevels::kSilence);
    EXPECT_EQ(VolumeToHundredthsOfDecibel(std::nan("")), SoundLevels::kSilence);
    // Louder than full stays at full.
    EXPECT_EQ(VolumeToHundredthsOfDecibel(2.5), 0);
    // The curve only ever goes up with the volume.
    int previous = SoundLevels::kSilence;
    for (int step = 0; step <= 100; ++step)
    {
        int level = VolumeToHundredthsOfDecibel(step / 100.0);
        EXPECT_GE(level, previous) << step;
        previous = level;
    }
}

TEST(SoundLevelsTest, LevelsBecomeAmplitudeGains)
{
    using SoundLevels::HundredthsOfDecibelToGain;
    EXPECT_DOUBLE_EQ(HundredthsOfDecibelToGain(0), 1.0);
    EXPECT_NEAR(HundredthsOfDecibelToGain(-600), 0.501187, 1e-6);   // -6 dB
    EXPECT_NEAR(HundredthsOfDecibelToGain(-2000), 0.1, 1e-12);      // -20 dB
    EXPECT_NEAR(HundredthsOfDecibelToGain(-1682), 0.1442115, 1e-6); // volume 0.1
    EXPECT_EQ(HundredthsOfDecibelToGain(SoundLevels::kSilence), 0.0);
    EXPECT_EQ(HundredthsOfDecibelToGain(-20000), 0.0);
    EXPECT_DOUBLE_EQ(HundredthsOfDecibelToGain(300), 1.0);
}

TEST(SoundLevelsTest, PanAttenuatesTheOtherSide)
{
    double left = 0.0;
    double right = 0.0;
    SoundLevels::PanToGains(0, left, right);
    EXPECT_EQ(left, 1.0);
    EXPECT_EQ(right, 1.0);

    SoundLevels::PanToGains(-600, left, right);
    EXPECT_EQ(left, 1.0);
    EXPECT_NEAR(right, 0.501187, 1e-6);

    SoundLevels::PanToGains(2000, left, right);
    EXPECT_NEAR(left, 0.1, 1e-12);
    EXPECT_EQ(right, 1.0);

    SoundLevels::PanToGains(SoundLevels::kPanRight, left, right);
    EXPECT_EQ(left, 0.0);
    EXPECT_EQ(right, 1.0);
    SoundLevels::PanToGains(-50000, left, right);
    EXPECT_EQ(left, 1.0);
    EXPECT_EQ(right, 0.0);
}

} // namespace Vesk
