#include "framework/sound/StreamingMusicInterface.h"

#include "framework/sound/Mixer.h"
#include "support/TempFolder.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Vesk
{

using TestSupport::TempFolder;
using TestSupport::TestSounds;

namespace
{

class StreamingMusicInterfaceTest : public ::testing::Test
{
protected:
    StreamingMusicInterfaceTest() : mixer(std::make_shared<Mixer>()), music(mixer)
    {
        // A steady level, so the output shows the volume directly.
        folder.WriteFile("steady.wav", TestSounds::Wav16(2, 44100, std::vector<int16_t>(2 * 4000, 10000)));
        // Frame i holds i, so the output shows the position.
        std::vector<int16_t> ramp(2 * 3000);
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = static_cast<int16_t>(i / 2);
        folder.WriteFile("ramp.wav", TestSounds::Wav16(2, 44100, ramp));
    }

    StreamingMusicInterface::SongState State(int songId)
    {
        StreamingMusicInterface::SongState state;
        EXPECT_TRUE(music.GetSongState(songId, state));
        return state;
    }

    void Updates(int count)
    {
        for (int i = 0; i < count; ++i)
            music.Update();
    }

    std::vector<int16_t> Render(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mixer->RenderAudio(out.data(), frames);
        return out;
    }

    TempFolder folder;
    std::shared_ptr<Mixer> mixer;
    StreamingMusicInterface music;
};

double Rms(const std::vector<int16_t>& samples)
{
    double sum = 0.0;
    for (int16_t value : samples)
        sum += static_cast<double>(value) * value;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

} // namespace

TEST(MusicInterfaceTest, SilentMusicDoesNothing)
{
    TempFolder folder;
    folder.WriteFile("song.wav", TestSounds::Wav16(1, 22050, {1, 2, 3}));
    MusicInterface silent;
    EXPECT_FALSE(silent.LoadMusic(1, "song.wav"));
    silent.PlayMusic(1);
    silent.FadeIn(1);
    silent.Update();
    EXPECT_FALSE(silent.IsPlaying(1));

    StreamingMusicInterface withoutMixer(nullptr);
    EXPECT_FALSE(withoutMixer.LoadMusic(1, "song.wav"));
}

TEST_F(StreamingMusicInterfaceTest, UnknownSongsAndFailedLoadsAreIgnored)
{
    EXPECT_FALSE(music.LoadMusic(1, "missing.ogg"));
    EXPECT_FALSE(music.LoadMusic(1, "missing.mod"));
    folder.WriteFile("noise.xm", std::string(4000, 'x'));
    EXPECT_FALSE(music.LoadMusic(1, "noise.xm"));
    folder.WriteFile("noise.mp3", std::string(4000, 'x'));
    EXPECT_FALSE(music.LoadMusic(1, "noise.mp3"));
    folder.WriteFile("noise.ogg", std::string(4000, 'x'));
    EXPECT_FALSE(music.LoadMusic(1, "noise.ogg"));
    EXPECT_EQ(mixer->VoiceCount(), 0u);

    StreamingMusicInterface::SongState state;
    EXPECT_FALSE(music.GetSongState(1, state));
    music.PlayMusic(1);
    music.FadeIn(1);
    music.FadeOut(1);
    music.SetSongVolume(1, 1.0);
    music.SetSongMaxVolume(1, 0.5);
    music.PauseMusic(1);
    music.ResumeMusic(1);
    music.StopMusic(1);
    music.UnloadMusic(1);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_FALSE(music.GetSongState(1, state));
}

TEST_F(StreamingMusicInterfaceTest, FadeInTakesFiveSecondsAndFadeOutTwoAndAHalf)
{
    // Extensions compare without case.
    folder.WriteFile("loud.WAV", TestSounds::Wav16(1, 44100, std::vector<int16_t>(1000, 10000)));
    ASSERT_TRUE(music.LoadMusic(2, "loud.WAV"));
    StreamingMusicInterface::SongState state = State(2);
    EXPECT_EQ(state.volume, 0.0);
    EXPECT_EQ(state.maxVolume, 1.0);
    EXPECT_FALSE(music.IsPlaying(2));

    music.FadeIn(2, -1, 0.002, false);
    EXPECT_TRUE(music.IsPlaying(2));
    EXPECT_EQ(State(2).volumeStep, 0.002);
    Updates(250);
    EXPECT_NEAR(State(2).volume, 0.5, 1e-9);
    EXPECT_GE(State(2).channelVolume, 49);
    EXPECT_LE(State(2).channelVolume, 50);
    Updates(249);
    EXPECT_LT(State(2).volume, 1.0);
    EXPECT_EQ(State(2).volumeStep, 0.002);
    Updates(2);
    EXPECT_EQ(State(2).volume, 1.0);
    EXPECT_EQ(State(2).volumeStep, 0.0);
    EXPECT_EQ(State(2).channelVolume, 100);

    music.FadeOut(2, true, 0.004);
    Updates(249);
    EXPECT_GT(State(2).volume, 0.0);
    EXPECT_TRUE(music.IsPlaying(2));
    Updates(2);
    state = State(2);
    EXPECT_EQ(state.volume, 0.0);
    EXPECT_EQ(state.volumeStep, 0.0);
    EXPECT_EQ(state.channelVolume, 0);
    EXPECT_FALSE(music.IsPlaying(2)) << "stopped when faded";

    // Without stop-when-faded the song plays on at volume 0.
    music.PlayMusic(2);
    music.FadeOut(2, false, 0.5);
    Updates(3);
    EXPECT_EQ(State(2).volume, 0.0);
    EXPECT_TRUE(music.IsPlaying(2));
}

TEST_F(StreamingMusicInterfaceTest, FadeOutAtVolumeZeroChangesNothing)
{
    ASSERT_TRUE(music.LoadMusic(1, "steady.wav"));
    music.FadeIn(1, -1, 0.002, false);
    music.SetSongVolume(1, 0.0);
    music.FadeOut(1, true, 0.004);
    StreamingMusicInterface::SongState state = State(1);
    EXPECT_EQ(state.volumeStep, 0.002) << "the fade-in goes on";
    EXPECT_FALSE(state.stopOnFade);
    EXPECT_TRUE(music.IsPlaying(1));

    // FadeOutAll fades every song, whatever its volume.
    music.FadeOutAll(true, 0.004);
    EXPECT_EQ(State(1).volumeStep, -0.004);
    Updates(1);
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST_F(StreamingMusicInterfaceTest, MaximumVolumeCapsFadesAndPlays)
{
    ASSERT_TRUE(music.LoadMusic(1, "steady.wav"));
    music.FadeIn(1, -1, 0.002, false);
    Updates(100);
    music.SetSongMaxVolume(1, 0.5);
    Updates(400);
    StreamingMusicInterface::SongState state = State(1);
    EXPECT_EQ(state.volume, 0.5);
    EXPECT_EQ(state.volumeStep, 0.0);
    EXPECT_EQ(state.channelVolume, 50);

    // Lowering the maximum turns a louder song down at once.
    music.SetSongMaxVolume(1, 1.0);
    music.SetSongVolume(1, 0.8);
    music.SetSongMaxVolume(1, 0.3);
    EXPECT_EQ(State(1).volume, 0.3);
    EXPECT_EQ(State(1).channelVolume, 30);
    music.PlayMusic(1);
    EXPECT_EQ(State(1).volume, 0.3);
}

TEST_F(StreamingMusicInterfaceTest, PlayMusicAfterAFadeOutRestartsAtFullVolume)
{
    ASSERT_TRUE(music.LoadMusic(1, "steady.wav"));
    music.PlayMusic(1, 0, false);
    EXPECT_EQ(State(1).volume, 1.0);
    music.FadeOut(1, true, 0.004);
    Updates(300);
    EXPECT_FALSE(music.IsPlaying(1));
    music.PlayMusic(1, 0, false);
    StreamingMusicInterface::SongState state = State(1);
    EXPECT_EQ(state.volume, 1.0);
    EXPECT_EQ(state.volumeStep, 0.0);
    EXPECT_FALSE(state.stopOnFade);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_EQ(Render(1)[0], 10000);
}

TEST_F(StreamingMusicInterfaceTest, PauseAllThenResumeAllLeavesStoppedSongsStopped)
{
    ASSERT_TRUE(music.LoadMusic(1, "steady.wav"));
    ASSERT_TRUE(music.LoadMusic(2, "steady.wav"));
    ASSERT_TRUE(music.LoadMusic(3, "ramp.wav"));
    music.PlayMusic(1);
    music.PlayMusic(2);
    music.StopMusic(2);
    EXPECT_EQ(State(2).volume, 0.0);
    music.PauseAllMusic();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_EQ(Render(8)[0], 0);
    music.ResumeAllMusic();
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_FALSE(music.IsPlaying(2));
    EXPECT_FALSE(music.IsPlaying(3));
    EXPECT_EQ(Render(8)[0], 10000);

    music.StopAllMusic();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_EQ(State(1).volume, 0.0);
}

TEST_F(StreamingMusicInterfaceTest, SongsMixAtTheirVolumesLoopAndSeek)
{
    ASSERT_TRUE(music.LoadMusic(1, "steady.wav"));
    ASSERT_TRUE(music.LoadMusic(2, "ramp.wav"));
    music.PlayMusic(1);
    music.SetSongVolume(1, 0.5);
    music.SetVolume(0.8);
    EXPECT_EQ(music.GetGlobalVolume(), 80);
    std::vector<int16_t> out = Render(10);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[19], 4000);

    // A second song plays at the same time, from a byte offset (4 bytes a stereo frame).
    music.PlayMusic(2, 4 * 1000, true);
    music.SetVolume(1.0);
    music.SetSongVolume(1, 0.0);
    out = Render(2);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[2], 1001);

    // The non-looping song ends (its last frame aside); the looping one wraps around.
    out = Render(3000);
    EXPECT_EQ(out[2 * 1996], 2998);
    EXPECT_EQ(out[2 * 1997], 0);
    EXPECT_FALSE(music.IsPlaying(2));
    music.SetSongVolume(1, 1.0);
    Render(4000);
    EXPECT_TRUE(music.IsPlaying(1));
    EXPECT_EQ(Render(1)[0], 10000);

    // Played again with offset -1 after its end, a stream starts from the beginning.
    music.SetSongVolume(1, 0.0);
    music.FadeIn(2, -1, 0.002, false);
    music.SetSongVolume(2, 1.0);
    EXPECT_EQ(Render(1)[0], 0);
    EXPECT_EQ(Render(1)[0], 1);
    // Paused and resumed, it carries on where it was.
    music.PauseMusic(2);
    EXPECT_EQ(Render(1)[0], 0);
    music.ResumeMusic(2);
    EXPECT_EQ(Render(1)[0], 2);

    music.UnloadMusic(2);
    EXPECT_EQ(mixer->VoiceCount(), 1u);
    music.UnloadAllMusic();
    EXPECT_EQ(mixer->VoiceCount(), 0u);
}

TEST_F(StreamingMusicInterfaceTest, StreamsOggMp3AndModules)
{
    folder.WriteFile("tune.ogg", TestSounds::OggTone(2, 22050, 500.0, 1.0, 0.5));
    folder.WriteFile("quiet.mp3", TestSounds::SilentMp3(50));
    folder.WriteFile("tune.mod", TestSounds::Module(2));
    ASSERT_TRUE(music.LoadMusic(1, "tune.ogg"));
    ASSERT_TRUE(music.LoadMusic(2, "quiet.mp3"));
    ASSERT_TRUE(music.LoadMusic(3, "tune.mod"));
    // Loading the same id again replaces the song.
    ASSERT_TRUE(music.LoadMusic(3, "tune.mod"));
    EXPECT_EQ(mixer->VoiceCount(), 3u);

    music.PlayMusic(1);
    EXPECT_NEAR(Rms(Render(22050)), 0.5 / std::sqrt(2.0) * 32767, 800);
    music.StopMusic(1);

    music.PlayMusic(2);
    EXPECT_EQ(Rms(Render(4410)), 0.0);
    EXPECT_TRUE(music.IsPlaying(2));
    music.StopMusic(2);

    // Module music starts at a pattern order and can be turned down by its amplification.
    music.PlayMusic(3, 1, false);
    EXPECT_TRUE(music.IsPlaying(3));
    const double loud = Rms(Render(8820));
    EXPECT_GT(loud, 1000.0);
    music.SetMusicAmplify(3, 0.0);
    Render(4410);
    EXPECT_LT(Rms(Render(4410)), loud / 100.0);
    music.SetMusicAmplify(3, 0.5);
    Render(4410);
    EXPECT_NEAR(Rms(Render(4410)), loud, loud * 0.2);
    // Played once to its end (about 7.7 s from order 1), it stops.
    music.PlayMusic(3, 1, true);
    Render(44100 * 8);
    EXPECT_FALSE(music.IsPlaying(3));
}

} // namespace Vesk
