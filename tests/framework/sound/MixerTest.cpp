#include "framework/sound/Mixer.h"

#include "framework/sound/AudioDecoder.h"
#include "framework/sound/MixerSample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Vesk
{

namespace
{

std::shared_ptr<const MixerSample> MonoSample(std::vector<int16_t> samples, int rate = Mixer::kOutputRate)
{
    return std::make_shared<const MixerSample>(1, rate, std::move(samples));
}

std::vector<int16_t> Render(Mixer& mixer, int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
    mixer.RenderAudio(out.data(), frames);
    return out;
}

std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, int channel)
{
    std::vector<int16_t> values;
    for (size_t i = static_cast<size_t>(channel); i < stereo.size(); i += 2)
        values.push_back(stereo[i]);
    return values;
}

// A stream of a counter: frame i holds i (left) and -i (right); it can be told to end.
class CountingDecoder final : public AudioDecoder
{
public:
    CountingDecoder(int rate, int64_t length) : rate(rate), length(length) {}
    int Channels() const override { return 2; }
    int SampleRate() const override { return rate; }
    int64_t TotalFrames() const override { return length; }
    int Read(int16_t* interleaved, int frameCount) override
    {
        int frames = static_cast<int>(std::min<int64_t>(frameCount, length - next));
        for (int i = 0; i < frames; ++i)
        {
            interleaved[2 * i] = static_cast<int16_t>(next + i);
            interleaved[2 * i + 1] = static_cast<int16_t>(-(next + i));
        }
        next += std::max(frames, 0);
        ++reads;
        return std::max(frames, 0);
    }
    bool SeekFrame(int64_t frame) override
    {
        if (frame < 0 || frame > length)
            return false;
        next = frame;
        return true;
    }

    int rate;
    int64_t length;
    int64_t next = 0;
    int reads = 0;
};

} // namespace

TEST(MixerTest, IsSilentWithoutPlayingVoices)
{
    Mixer mixer;
    Mixer::VoiceId voice = mixer.AddSampleVoice(MonoSample({1000, 1000}));
    EXPECT_NE(voice, Mixer::kNoVoice);
    std::vector<int16_t> out = Render(mixer, 64);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
    EXPECT_FALSE(mixer.IsVoicePlaying(voice));
    EXPECT_EQ(mixer.AddSampleVoice(nullptr), Mixer::kNoVoice);
}

TEST(MixerTest, PlaysASampleOnceAtItsGainsThenStops)
{
    Mixer mixer;
    Mixer::VoiceId voice = mixer.AddSampleVoice(MonoSample({1000, -2000, 3000, 4000}));
    mixer.SetVoiceGain(voice, 0.5, 0.25);
    mixer.PlayVoice(voice, false);
    EXPECT_TRUE(mixer.IsVoicePlaying(voice));
    std::vector<int16_t> out = Render(mixer, 6);
    EXPECT_EQ(Channel(out, 0), (std::vector<int16_t>{500, -1000, 1500, 2000, 0, 0}));
    EXPECT_EQ(Channel(out, 1), (std::vector<int16_t>{250, -500, 750, 1000, 0, 0}));
    EXPECT_FALSE(mixer.IsVoicePlaying(voice));

    // Played again, it starts over.
    mixer.SetVoiceGain(voice, 1.0, 1.0);
    mixer.PlayVoice(voice, false);
    EXPECT_EQ(Channel(Render(mixer, 2), 0), (std::vector<int16_t>{1000, -2000}));
    // Stopping with rewind goes back to the start; pausing keeps the place.
    mixer.StopVoice(voice, true);
    mixer.PlayVoice(voice, false);
    EXPECT_EQ(Channel(Render(mixer, 1), 0), (std::vector<int16_t>{1000}));
    mixer.PauseVoice(voice);
    EXPECT_TRUE(mixer.IsVoicePaused(voice));
    EXPECT_EQ(Channel(Render(mixer, 1), 0), (std::vector<int16_t>{0}));
    mixer.PlayVoice(voice, false);
    EXPECT_EQ(Channel(Render(mixer, 1), 0), (std::vector<int16_t>{-2000}));
}

TEST(MixerTest, LoopsStereoSamplesAndAddsVoicesWithClipping)
{
    Mixer mixer;
    auto stereo =
        std::make_shared<const MixerSample>(2, Mixer::kOutputRate, std::vector<int16_t>{100, -100, 200, -200});
    Mixer::VoiceId looped = mixer.AddSampleVoice(stereo);
    mixer.PlayVoice(looped, true);
    std::vector<int16_t> out = Render(mixer, 5);
    EXPECT_EQ(Channel(out, 0), (std::vector<int16_t>{100, 200, 100, 200, 100}));
    EXPECT_EQ(Channel(out, 1), (std::vector<int16_t>{-100, -200, -100, -200, -100}));
    EXPECT_TRUE(mixer.IsVoicePlaying(looped));

    Mixer::VoiceId loud = mixer.AddSampleVoice(MonoSample({32700, -32700, -32767, -32767}));
    mixer.PlayVoice(loud, true);
    out = Render(mixer, 2);
    // 32700 + 200 (frame 1 of the loop) clips at the top; -32700 + 100 is in range.
    EXPECT_EQ(Channel(out, 0), (std::vector<int16_t>{32767, -32600}));
    out = Render(mixer, 2);
    // On the right, -32767 - 200 and -32767 - 100 clip at the bottom.
    EXPECT_EQ(Channel(out, 1), (std::vector<int16_t>{-32768, -32768}));

    mixer.RemoveVoice(loud);
    mixer.RemoveVoice(loud); // twice is harmless
    EXPECT_EQ(mixer.VoiceCount(), 1u);
    mixer.SetMasterGain(0.5);
    EXPECT_EQ(mixer.GetMasterGain(), 0.5);
    out = Render(mixer, 2);
    EXPECT_EQ(Channel(out, 0), (std::vector<int16_t>{100, 50}));
}

TEST(MixerTest, ResamplesByTheVoiceFrequency)
{
    Mixer mixer;
    std::vector<int16_t> ramp(100);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i * 100);
    // A sample at half the output rate plays each frame twice, interpolating in between.
    Mixer::VoiceId slow = mixer.AddSampleVoice(MonoSample(ramp, Mixer::kOutputRate / 2));
    mixer.PlayVoice(slow, false);
    EXPECT_EQ(Channel(Render(mixer, 5), 0), (std::vector<int16_t>{0, 50, 100, 150, 200}));
    mixer.RemoveVoice(slow);

    // Doubling the frequency skips every other frame and ends in half the time.
    Mixer::VoiceId fast = mixer.AddSampleVoice(MonoSample(ramp));
    mixer.SetVoiceFrequency(fast, 2.0 * Mixer::kOutputRate);
    mixer.PlayVoice(fast, false);
    std::vector<int16_t> left = Channel(Render(mixer, 60), 0);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(left[1], 200);
    EXPECT_EQ(left[49], 9800);
    EXPECT_EQ(left[50], 0);
    EXPECT_FALSE(mixer.IsVoicePlaying(fast));
}

TEST(MixerTest, StreamsDecodeAheadAndLoopOrEnd)
{
    Mixer mixer;
    auto decoder = std::make_unique<CountingDecoder>(Mixer::kOutputRate, 5000);
    CountingDecoder* counter = decoder.get();
    Mixer::VoiceId voice = mixer.AddStreamVoice(std::move(decoder));
    ASSERT_NE(voice, Mixer::kNoVoice);
    mixer.SetVoiceGain(voice, 1.0, 0.5);
    mixer.PlayVoice(voice, true);

    // Across block boundaries and the loop point the frames follow one another.
    std::vector<int16_t> out = Render(mixer, 12000);
    for (int i = 0; i < 12000; ++i)
    {
        int expected = i % 5000;
        ASSERT_EQ(out[2 * static_cast<size_t>(i)], expected) << i;
        ASSERT_EQ(out[2 * static_cast<size_t>(i) + 1], static_cast<int16_t>(std::lrint(-expected * 0.5))) << i;
    }
    // Decoded a block at a time, never the whole stream at once.
    EXPECT_GT(counter->reads, 5);

    // Seeking through the control drops what was decoded ahead.
    EXPECT_TRUE(mixer.ControlStream(voice, [](AudioDecoder& d) { return d.SeekFrame(100); }));
    EXPECT_EQ(Render(mixer, 1)[0], 100);

    // Without looping the stream ends (short of its very last frame) and says so.
    mixer.PlayVoice(voice, false);
    out = Render(mixer, 6000);
    EXPECT_FALSE(mixer.IsVoicePlaying(voice));
    EXPECT_EQ(out[2 * 4897], 4998);
    EXPECT_EQ(out[2 * 4898], 0);
    // Played again after its end, it starts from the beginning.
    mixer.PlayVoice(voice, false);
    EXPECT_EQ(Channel(Render(mixer, 3), 0), (std::vector<int16_t>{0, 1, 2}));
    EXPECT_FALSE(mixer.ControlStream(12345, [](AudioDecoder&) { return true; }));
}

TEST(MixerTest, ResamplesStreamsOfOtherRates)
{
    Mixer mixer;
    Mixer::VoiceId voice = mixer.AddStreamVoice(std::make_unique<CountingDecoder>(Mixer::kOutputRate / 2, 10000));
    mixer.PlayVoice(voice, false);
    std::vector<int16_t> left = Channel(Render(mixer, 8000), 0);
    for (int i = 0; i < 8000; ++i)
        ASSERT_EQ(left[static_cast<size_t>(i)], static_cast<int16_t>(std::lrint(i / 2.0))) << i;

    EXPECT_EQ(mixer.AddStreamVoice(nullptr), Mixer::kNoVoice);
}

} // namespace Vesk
