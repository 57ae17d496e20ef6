// Rendering recipes and scores: the same input gives the same samples, levels and lengths are
// what the source asks for, pitches are in tune, and looping tunes fold their tails.
#include "synth/AudioBuffer.h"
#include "synth/Chorus.h"
#include "synth/RecipeReader.h"
#include "synth/ScoreReader.h"
#include "synth/SoundRenderer.h"
#include "synth/TuneRenderer.h"
#include "synth/WavWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace Vesk
{
namespace
{

constexpr double kRate = AudioBuffer::kRate;

AudioBuffer RenderRecipe(const std::string& text)
{
    RecipeReader reader;
    SoundRecipe recipe;
    EXPECT_TRUE(reader.Read(text, "test.recipe", recipe)) << reader.ErrorText();
    return SoundRenderer::Render(recipe);
}

TuneScore ReadScore(const std::string& text)
{
    ScoreReader reader;
    TuneScore score;
    EXPECT_TRUE(reader.Read(text, "test.score", score)) << reader.ErrorText();
    return score;
}

double Decibels(float level)
{
    return 20.0 * std::log10(level);
}

// The period of the strongest repetition in the samples, in samples (autocorrelation peak
// between minLag and maxLag, refined between neighbouring lags).
double Period(const std::vector<float>& samples, size_t from, size_t count, int minLag, int maxLag)
{
    std::vector<double> scores(static_cast<size_t>(maxLag + 2), 0.0);
    int best = minLag;
    for (int lag = minLag - 1; lag <= maxLag + 1; ++lag)
    {
        double sum = 0;
        for (size_t i = from; i < from + count; ++i)
            sum += static_cast<double>(samples[i]) * samples[i + static_cast<size_t>(lag)];
        scores[static_cast<size_t>(lag)] = sum;
    }
    for (int lag = minLag; lag <= maxLag; ++lag)
    {
        if (scores[static_cast<size_t>(lag)] > scores[static_cast<size_t>(best)])
            best = lag;
    }
    const double a = scores[static_cast<size_t>(best - 1)];
    const double b = scores[static_cast<size_t>(best)];
    const double c = scores[static_cast<size_t>(best + 1)];
    return best + 0.5 * (a - c) / (a - 2 * b + c);
}

const char* const kRichRecipe = "channels 2\npeak -3\necho 0.05 0.3 0.2\nreverb 0.2\n"
                                "voice\nosc noise 0.4\nosc pluck 1\nfreq 330\nlength 0.2\n"
                                "filter bandpass 2000 -> 500\npan 0.4\n"
                                "voice\nosc saw\nosc square 0.5 duty 0.3\nfreq 200 -> 600\nlength 0.1\n"
                                "vibrato 6 0.5\ntremolo 10 0.5\nrepeat 3 0.05 0.7\n";

TEST(SynthRenderTest, SameRecipeGivesTheSameSamples)
{
    const std::vector<uint8_t> first = WavWriter::Encode(RenderRecipe(kRichRecipe));
    const std::vector<uint8_t> second = WavWriter::Encode(RenderRecipe(kRichRecipe));
    EXPECT_GT(first.size(), 44u + 4410u);
    EXPECT_TRUE(first == second);
    const std::vector<uint8_t> reseeded = WavWriter::Encode(RenderRecipe(std::string("seed 2\n") + kRichRecipe));
    EXPECT_TRUE(first != reseeded);
}

TEST(SynthRenderTest, SoundLevelsAndLengths)
{
    AudioBuffer rich = RenderRecipe(kRichRecipe);
    EXPECT_EQ(rich.Channels(), 2);
    EXPECT_NEAR(Decibels(rich.Peak()), -3.0, 0.01);

    // A given length is exact; the cut fades to silence.
    AudioBuffer cut = RenderRecipe("length 0.25\npeak -1\nvoice\nosc sine\nfreq 440\nlength 2\n");
    EXPECT_EQ(cut.Frames(), static_cast<size_t>(0.25 * kRate));
    EXPECT_NEAR(Decibels(cut.Peak()), -1.0, 0.01);
    EXPECT_EQ(cut.Channel(0).back(), 0.0f);

    // Without a length the sound lasts while it is audible: held time plus release.
    AudioBuffer faded = RenderRecipe("voice\nosc sine\nfreq 440\nlength 0.1\nenvelope 0.01 0 1 0.05\n");
    const double seconds = static_cast<double>(faded.Frames()) / kRate;
    EXPECT_GT(seconds, 0.12);
    EXPECT_LE(seconds, 0.151);

    // A voice whose envelope has died early is not rendered out to its held time.
    AudioBuffer blip = RenderRecipe("voice\nosc sine\nfreq 440\nlength 5\nenvelope 0.001 0.02 0 0.01\n");
    EXPECT_LT(static_cast<double>(blip.Frames()) / kRate, 0.06);

    // Starts, repeats and echoes make the sound longer.
    AudioBuffer later = RenderRecipe("voice\nosc sine\nfreq 440\nlength 0.1\nenvelope 0.01 0 1 0.05\nstart 0.5\n");
    EXPECT_NEAR(static_cast<double>(later.Frames()) / kRate, seconds + 0.5, 0.002);
    AudioBuffer echoed =
        RenderRecipe("echo 0.2 0.5 0.5\nvoice\nosc sine\nfreq 440\nlength 0.1\nenvelope 0.01 0 1 0.05\n");
    EXPECT_GT(static_cast<double>(echoed.Frames()) / kRate, seconds + 0.6);
    AudioBuffer repeated =
        RenderRecipe("voice\nosc sine\nfreq 440\nlength 0.1\nenvelope 0.01 0 1 0.05\nrepeat 4 0.3 0.8\n");
    EXPECT_NEAR(static_cast<double>(repeated.Frames()) / kRate, seconds + 0.9, 0.002);

    // Silence stays silence instead of being scaled up from nothing.
    AudioBuffer silent = RenderRecipe("voice\nosc sine 0\nfreq 440\nlength 0.1\n");
    EXPECT_EQ(silent.Peak(), 0.0f);
}

TEST(SynthRenderTest, PitchesAreInTune)
{
    // A sine at a4: 440 rising zero crossings a second.
    AudioBuffer sine = RenderRecipe("voice\nosc sine\nfreq a4\nlength 1.2\nenvelope 0 0 1 0\n");
    const std::vector<float>& samples = sine.Channel(0);
    int crossings = 0;
    for (size_t i = 1000; i < 1000 + static_cast<size_t>(kRate); ++i)
    {
        if (samples[i - 1] < 0 && samples[i] >= 0)
            ++crossings;
    }
    EXPECT_NEAR(crossings, 440, 1);

    // Plucked strings are tuned to a fraction of a sample, low and high.
    for (const double frequency : {110.0, 220.0, 659.26})
    {
        AudioBuffer pluck = RenderRecipe("voice\nosc pluck 1 decay 4\nfreq " + std::to_string(frequency) +
                                         "\nlength 1\nenvelope 0 0 1 0\n");
        const double expected = kRate / frequency;
        const double period =
            Period(pluck.Channel(0), 4000, 8000, static_cast<int>(expected * 0.8), static_cast<int>(expected * 1.2));
        EXPECT_NEAR(period, expected, expected * 0.0005) << frequency << " Hz";
    }

    // An oscillator's ratio and detune move its pitch.
    AudioBuffer octave = RenderRecipe("voice\nosc square 1 ratio 2 detune 1200\nfreq 110\nlength 0.5\n");
    EXPECT_NEAR(Period(octave.Channel(0), 2000, 4000, 80, 120), kRate / 440.0, 0.2);
}

TEST(SynthRenderTest, PanPlacesAVoiceInStereo)
{
    AudioBuffer left = RenderRecipe("channels 2\nvoice\nosc sine\nfreq 440\nlength 0.2\npan -1\n");
    ASSERT_EQ(left.Channels(), 2);
    float right = 0;
    for (float sample : left.Channel(1))
        right = std::max(right, std::fabs(sample));
    EXPECT_LT(right, 1e-6f);
    EXPECT_GT(left.Peak(), 0.5f);
}

const char* const kLoopScore = "tempo 120\nmeter 4/4\npeak -1\n"
                               "instrument bell\nosc sine\nenvelope 0.001 0.5 0.3 1.5\n"
                               "track t bell\n"
                               "section A\nt: | r:3 a4:1 | r:4 |\n"
                               "section B\nt: | c5:4 |\n"
                               "form A B\n";

TEST(SynthRenderTest, TuneLengthLevelAndLoopFold)
{
    TuneScore score = ReadScore(kLoopScore);
    EXPECT_DOUBLE_EQ(TuneRenderer::FormSeconds(score), 6.0);
    AudioBuffer looped = TuneRenderer::Render(score);
    EXPECT_EQ(looped.Channels(), 2);
    EXPECT_EQ(looped.Frames(), static_cast<size_t>(6 * kRate));
    EXPECT_NEAR(Decibels(looped.Peak()), -1.0, 0.01);
    // The last note's release rings on over the start of the repeat.
    float start = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.2 * kRate); ++i)
        start = std::max(start, std::fabs(looped.Channel(0)[i]));
    EXPECT_GT(start, 0.01f);

    score.loop = false;
    AudioBuffer once = TuneRenderer::Render(score);
    EXPECT_GT(once.Frames(), static_cast<size_t>(6.5 * kRate)); // the release after the form
    float quietStart = 0;
    for (size_t i = 0; i < static_cast<size_t>(1.4 * kRate); ++i)
        quietStart = std::max(quietStart, std::fabs(once.Channel(0)[i]));
    EXPECT_EQ(quietStart, 0.0f); // a rest opens the tune
    EXPECT_NEAR(Decibels(once.Peak()), -1.0, 0.01);
}

TEST(SynthRenderTest, SameScoreGivesTheSameSamples)
{
    const std::string score = "tempo 140\nreverb 0.3\nseed 9\n"
                              "instrument pluck\nosc pluck 1\nosc noise 0.1\n"
                              "instrument pad\nosc saw 0.5 detune -8\nosc saw 0.5 detune 8\nfilter lowpass 2x\n"
                              "track a pluck\nhumanize 0.02 0.2\nstrum 0.03\n"
                              "track b pad\nchorus 0.5\necho 0.2 0.3 0.3\npan 0.5\n"
                              "section A\na: [c4 e4 g4]:2 d5:1/3 e5 f5 g5:1\nb: [c3 g3]:4\n";
    const std::vector<uint8_t> first = WavWriter::Encode(TuneRenderer::Render(ReadScore(score)));
    const std::vector<uint8_t> second = WavWriter::Encode(TuneRenderer::Render(ReadScore(score)));
    EXPECT_TRUE(first == second);
    std::string reseeded = score;
    reseeded.replace(reseeded.find("seed 9"), 6, "seed 10");
    EXPECT_TRUE(first != WavWriter::Encode(TuneRenderer::Render(ReadScore(reseeded))));
}

TEST(SynthRenderTest, SoloTracksAddUpToTheWholeTune)
{
    const TuneScore score = ReadScore("reverb 0.4\ninstrument a\nosc triangle\ninstrument b\nosc pluck 1\n"
                                      "track high a\npan 0.5\nchorus 0.3\ntrack low b\necho 0.1 0.3 0.3\n"
                                      "section A\nhigh: e5:1 g5:1 c6:2\nlow: c3:2 g2:2\n");
    const AudioBuffer whole = TuneRenderer::Render(score);
    const AudioBuffer high = TuneRenderer::Render(score, 0);
    const AudioBuffer low = TuneRenderer::Render(score, 1);
    ASSERT_EQ(high.Frames(), whole.Frames());
    ASSERT_EQ(low.Frames(), whole.Frames());
    EXPECT_GT(high.Peak(), 0.05f);
    EXPECT_GT(low.Peak(), 0.05f);
    float worst = 0;
    for (int c = 0; c < 2; ++c)
    {
        for (size_t i = 0; i < whole.Frames(); ++i)
            worst = std::max(worst, std::fabs(high.Channel(c)[i] + low.Channel(c)[i] - whole.Channel(c)[i]));
    }
    EXPECT_LT(worst, 1e-5f);
}

TEST(SynthRenderTest, ChorusWeighsTheDrySignalAlikeFromTheFirstSample)
{
    // A steady signal: before the delay has filled only the (weakened) dry part sounds, after it
    // the dry part at the same weight plus the delayed copy; no jump in the dry level between.
    AudioBuffer buffer(2, static_cast<size_t>(0.1 * kRate));
    for (int c = 0; c < 2; ++c)
        std::fill(buffer.Channel(c).begin(), buffer.Channel(c).end(), 0.5f);
    Chorus::Apply(ChorusSpec{0.6, 3.0, 1.0}, buffer);
    for (int c = 0; c < 2; ++c)
    {
        const std::vector<float>& channel = buffer.Channel(c);
        EXPECT_NEAR(channel[0], 0.5f * 0.7f, 1e-6f);
        EXPECT_NEAR(channel[static_cast<size_t>(0.011 * kRate)], 0.5f * 0.7f, 1e-6f); // the delay is at least 12 ms
        EXPECT_NEAR(channel[static_cast<size_t>(0.05 * kRate)], 0.5f * 1.3f, 1e-5f);
    }
}

TEST(SynthRenderTest, WavFileLayout)
{
    AudioBuffer buffer(2, 3);
    buffer.Channel(0) = {0.0f, 1.0f, -2.0f}; // the last one clips
    buffer.Channel(1) = {0.5f, -1.0f, 0.25f};
    const std::vector<uint8_t> wav = WavWriter::Encode(buffer);
    ASSERT_EQ(wav.size(), 44u + 12u);
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(wav[at] | (wav[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    auto s16 = [&](size_t at) { return static_cast<int16_t>(u16(at)); };
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 12u + 36u);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1u);      // PCM
    EXPECT_EQ(u16(22), 2u);      // channels
    EXPECT_EQ(u32(24), 44100u);  // rate
    EXPECT_EQ(u32(28), 176400u); // bytes per second
    EXPECT_EQ(u16(32), 4u);      // block align
    EXPECT_EQ(u16(34), 16u);     // bits
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(u32(40), 12u);
    EXPECT_EQ(s16(44), 0);
    EXPECT_EQ(s16(46), 16384);
    EXPECT_EQ(s16(48), 32767);
    EXPECT_EQ(s16(50), -32767);
    EXPECT_EQ(s16(52), -32767);
    EXPECT_EQ(s16(54), 8192);
}

} // namespace
} // namespace Vesk
