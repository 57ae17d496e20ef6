#include "framework/sound/AudioOutput.h"

#include "framework/platform/FileSystem.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSoundManager.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundLevels.h"
#include "framework/sound/StreamingMusicInterface.h"
#include "support/TempFolder.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

namespace Vesk
{

using TestSupport::TempFolder;
using TestSupport::TestSounds;

namespace
{

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment
{
public:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        saved.push_back({name, old != nullptr, old != nullptr ? old : ""});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        {
            if (it->existed)
                ::setenv(it->name.c_str(), it->value.c_str(), 1);
            else
                ::unsetenv(it->name.c_str());
        }
    }

private:
    struct Saved
    {
        std::string name;
        bool existed;
        std::string value;
    };
    std::vector<Saved> saved;
};

void Sleep(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace

TEST(AudioOutputTest, WithoutADeviceThereIsNoMixer)
{
    ScopedEnvironment environment;
    environment.Set("SDL_AUDIODRIVER", "no-such-driver");
    AudioOutput output;
    EXPECT_FALSE(output.Open());
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(output.GetMixer(), nullptr);
    EXPECT_FALSE(output.LastError().empty());
}

// The whole path to the speaker: the disk driver writes what the device is given.
TEST(AudioOutputTest, DiskDriverRecordsASoundAtItsGainAndPanThenAFadingSong)
{
    TempFolder folder;
    ScopedEnvironment environment;
    const std::filesystem::path recording = folder / "output.raw";
    environment.Set("SDL_AUDIODRIVER", "disk");
    environment.Set("SDL_DISKAUDIOFILE", recording.string());

    // The sound: a cosine (so its first frame is loud) at the output rate.
    std::vector<int16_t> effect(3000);
    for (size_t i = 0; i < effect.size(); ++i)
        effect[i] = static_cast<int16_t>(std::lround(20000.0 * std::cos(2.0 * 3.14159265358979 * 441.0 * i / 44100.0)));
    folder.WriteFile("sounds/ping.wav", TestSounds::Wav16(1, 44100, effect));
    folder.WriteFile("music/steady.wav", TestSounds::Wav16(2, 44100, std::vector<int16_t>(2 * 44100, 8000)));

    {
        AudioOutput output;
        ASSERT_TRUE(output.Open()) << output.LastError();
        MixerSoundManager sounds(output.GetMixer(), folder / "data");
        StreamingMusicInterface music(output.GetMixer());
        ASSERT_TRUE(sounds.Initialized());
        int ping = sounds.LoadSound("sounds/ping");
        ASSERT_EQ(ping, 255);
        ASSERT_TRUE(music.LoadMusic(1, "music/steady.wav"));

        Sleep(50);
        SoundInstance* instance = sounds.GetSoundInstance(ping);
        ASSERT_NE(instance, nullptr);
        instance->SetVolume(0.5);
        instance->SetPan(1000);
        ASSERT_TRUE(instance->Play(false, true));
        for (int wait = 0; wait < 200 && !instance->IsReleased(); ++wait)
            Sleep(10);
        ASSERT_TRUE(instance->IsReleased());

        // A quick fade-in stepped at the game's update rate.
        Sleep(30);
        music.FadeIn(1, -1, 0.02, false);
        for (int update = 0; update < 60; ++update)
        {
            music.Update();
            Sleep(10);
        }
        Sleep(100);
    }

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(recording, bytes));
    std::vector<int16_t> frames(bytes.size() / 2);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    const size_t frameCount = frames.size() / 2;
    ASSERT_GT(frameCount, 44100u / 2);

    // The sound, exactly at its gain on the right and 10 dB lower on the left.
    size_t start = 0;
    while (start < frameCount && frames[2 * start] == 0 && frames[2 * start + 1] == 0)
        ++start;
    ASSERT_LT(start + effect.size(), frameCount);
    const double gain = SoundLevels::HundredthsOfDecibelToGain(SoundLevels::VolumeToHundredthsOfDecibel(0.5));
    const double left = gain * SoundLevels::HundredthsOfDecibelToGain(-1000);
    for (size_t i = 0; i < effect.size(); ++i)
    {
        ASSERT_NEAR(frames[2 * (start + i)], effect[i] * left, 1.0) << i;
        ASSERT_NEAR(frames[2 * (start + i) + 1], effect[i] * gain, 1.0) << i;
    }

    // Then silence until the song, whose level climbs in steps of 1% of 8000 to the full 8000.
    size_t song = start + effect.size();
    while (song < frameCount && frames[2 * song] == 0)
        ++song;
    ASSERT_LT(song, frameCount);
    int previous = 0;
    int levels = 0;
    for (size_t i = song; i < frameCount; ++i)
    {
        int value = frames[2 * i];
        ASSERT_EQ(frames[2 * i + 1], value) << i;
        ASSERT_EQ(value % 80, 0) << i;
        ASSERT_GE(value, previous) << i;
        if (value != previous)
            ++levels;
        previous = value;
    }
    EXPECT_EQ(previous, 8000);
    EXPECT_GE(levels, 10) << "a ramp, not a jump";
}

// Sounds are loaded on one thread while the main thread plays, fades and changes volumes and
// the device's thread mixes: the sanitizer build checks this for data races.
TEST(AudioOutputTest, LoadingPlayingAndMixingRunOnTheirOwnThreads)
{
    TempFolder folder;
    ScopedEnvironment environment;
    environment.Set("SDL_AUDIODRIVER", "dummy");
    for (int i = 0; i < 16; ++i)
        folder.WriteFile("sounds/s" + std::to_string(i) + ".wav",
                         TestSounds::Wav16(1, 22050, TestSounds::Sine(1, 22050, 300.0 + i * 50, 0.3, 2000)));
    folder.WriteFile("music/a.wav", TestSounds::Wav16(2, 44100, TestSounds::Sine(2, 44100, 220.0, 0.3, 20000)));
    folder.WriteFile("music/b.ogg", TestSounds::OggTone(2, 44100, 330.0, 1.0, 0.3));

    AudioOutput output;
    ASSERT_TRUE(output.Open()) << output.LastError();
    MixerSoundManager sounds(output.GetMixer(), folder / "data");
    StreamingMusicInterface music(output.GetMixer());
    ASSERT_TRUE(music.LoadMusic(1, "music/a.wav"));
    music.FadeIn(1, -1, 0.01, false);

    std::atomic<int> loaded{0};
    std::thread loader(
        [&]
        {
            for (int i = 0; i < 16; ++i)
            {
                if (sounds.LoadSound("sounds/s" + std::to_string(i)) >= 0)
                    ++loaded;
            }
            (void)music.LoadMusic(2, "music/b.ogg");
        });

    int plays = 0;
    for (int update = 0; update < 60; ++update)
    {
        for (int id = 255; id > 255 - 16; --id)
        {
            if (SoundInstance* instance = sounds.GetSoundInstance(id))
            {
                instance->SetVolume(0.5);
                instance->AdjustPitch(update % 7 - 3);
                if (instance->Play(false, true))
                    ++plays;
            }
        }
        if (update == 20)
            music.FadeIn(2, -1, 0.01, false);
        if (update == 40)
            music.FadeOutAll(true, 0.01);
        sounds.SetVolume(0.5 + (update % 2) * 0.5);
        music.SetVolume(0.7);
        music.Update();
        Sleep(5);
    }
    loader.join();
    EXPECT_EQ(loaded, 16);
    EXPECT_GT(plays, 0);
    sounds.StopAllSounds();
    music.StopAllMusic();
}

} // namespace Vesk
