#include "framework/resources/AnimDescription.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace Vesk
{
namespace
{

TEST(AnimDescriptionTest, PingPongPlaysUpAndBackWithoutRepeatingTheEnds)
{
    AnimDescription anim;
    anim.animType = AnimDescription::AnimPingPong;
    anim.frameDelay = 50;
    anim.Compute(4);
    EXPECT_EQ(anim.frameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(anim.numCels, 6);
    EXPECT_EQ(anim.totalAnimTime, 300);
    EXPECT_TRUE(anim.perFrameDelay.empty());

    // Two cels go 0, 1 and back; one cel has nothing to ping-pong.
    AnimDescription two;
    two.animType = AnimDescription::AnimPingPong;
    two.Compute(2);
    EXPECT_EQ(two.frameMap, (std::vector<int>{0, 1}));
    AnimDescription one;
    one.animType = AnimDescription::AnimPingPong;
    one.Compute(1);
    EXPECT_TRUE(one.frameMap.empty());
    EXPECT_EQ(one.numCels, 1);
}

TEST(AnimDescriptionTest, NonsenseCountsAndDelaysBecomeOne)
{
    AnimDescription anim;
    anim.animType = AnimDescription::AnimLoop;
    anim.frameDelay = -5;
    anim.Compute(0);
    EXPECT_EQ(anim.numCels, 1);
    EXPECT_EQ(anim.frameDelay, 1);
    EXPECT_EQ(anim.totalAnimTime, 1);
}

TEST(AnimDescriptionTest, FrameMapSetsTheNumberOfSteps)
{
    AnimDescription anim;
    anim.animType = AnimDescription::AnimOnce;
    anim.frameDelay = 10;
    anim.frameMap = {0, 0, 1, 2, 2, 2, 1};
    anim.Compute(3);
    EXPECT_EQ(anim.numCels, 7);
    EXPECT_EQ(anim.totalAnimTime, 70);
}

TEST(AnimDescriptionTest, BeginAndEndDelaysReplaceTheFirstAndLastStep)
{
    AnimDescription anim;
    anim.animType = AnimDescription::AnimLoop;
    anim.frameDelay = 20;
    anim.Compute(5, 200, 500);
    EXPECT_EQ(anim.perFrameDelay, (std::vector<int>{200, 20, 20, 20, 500}));
    EXPECT_EQ(anim.totalAnimTime, 760);

    // Only a begin delay: the list still covers every step.
    AnimDescription begin;
    begin.animType = AnimDescription::AnimLoop;
    begin.frameDelay = 20;
    begin.Compute(3, 100, 0);
    EXPECT_EQ(begin.perFrameDelay, (std::vector<int>{100, 20, 20}));
}

TEST(AnimDescriptionTest, PerFrameDelaysFitTheStepsAndFillGaps)
{
    AnimDescription longer;
    longer.animType = AnimDescription::AnimLoop;
    longer.frameDelay = 30;
    longer.perFrameDelay = {10, 0, -4, 40, 50, 60};
    longer.Compute(4);
    EXPECT_EQ(longer.perFrameDelay, (std::vector<int>{10, 30, 30, 40}));
    EXPECT_EQ(longer.totalAnimTime, 110);

    // A ping-pong of 3 cels has 4 steps: the missing delays are the frame delay.
    AnimDescription shorter;
    shorter.animType = AnimDescription::AnimPingPong;
    shorter.frameDelay = 25;
    shorter.perFrameDelay = {100};
    shorter.Compute(3);
    EXPECT_EQ(shorter.perFrameDelay, (std::vector<int>{100, 25, 25, 25}));
    EXPECT_EQ(shorter.totalAnimTime, 175);
}

TEST(AnimDescriptionTest, HugeDelaysDoNotWrapTheTotal)
{
    AnimDescription anim;
    anim.animType = AnimDescription::AnimLoop;
    anim.perFrameDelay = {INT_MAX, INT_MAX, INT_MAX};
    anim.Compute(3);
    EXPECT_EQ(anim.totalAnimTime, INT_MAX);

    AnimDescription even;
    even.animType = AnimDescription::AnimLoop;
    even.frameDelay = INT_MAX;
    even.Compute(4);
    EXPECT_EQ(even.totalAnimTime, INT_MAX);
}

} // namespace
} // namespace Vesk
