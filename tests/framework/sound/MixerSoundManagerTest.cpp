#include "framework/sound/MixerSoundManager.h"

#include "framework/platform/FileSystem.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSoundInstance.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"
#include "framework/sound/SoundLevels.h"
#include "framework/sound/WavReader.h"
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

class MixerSoundManagerTest : public ::testing::Test
{
protected:
    MixerSoundManagerTest() : mixer(std::make_shared<Mixer>()), manager(mixer, folder / "data") {}

    void WriteWav(const std::string& name, std::vector<int16_t> samples, int rate = 22050)
    {
        folder.WriteFile(name, TestSounds::Wav16(1, rate, samples));
    }

    std::vector<int16_t> Render(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mixer->RenderAudio(out.data(), frames);
        return out;
    }

    MixerSoundInstance* Instance(int id) { return static_cast<MixerSoundInstance*>(manager.GetSoundInstance(id)); }

    TempFolder folder;
    std::shared_ptr<Mixer> mixer;
    MixerSoundManager manager;
};

} // namespace

TEST_F(MixerSoundManagerTest, PathFormHandsOutIdsFromTheTopAndReusesNames)
{
    WriteWav("sounds/click.wav", {1, 2, 3});
    WriteWav("sounds/bell.wav", {4, 5});
    EXPECT_TRUE(manager.Initialized());
    EXPECT_EQ(manager.LoadSound("sounds/click"), 255);
    EXPECT_EQ(manager.LoadSound("sounds/click"), 255);
    EXPECT_EQ(manager.LoadSound("sounds/bell"), 254);
    EXPECT_EQ(manager.GetNumSounds(), 2);
    EXPECT_EQ(manager.GetFreeSoundId(), 0);
    EXPECT_EQ(manager.GetSoundSize(255), 6u);
    // Names compare exactly.
    EXPECT_EQ(manager.LoadSound("sounds/missing"), -1);
    EXPECT_EQ(manager.GetNumSounds(), 2);

    manager.ReleaseSound(255);
    EXPECT_EQ(manager.GetNumSounds(), 1);
    EXPECT_EQ(manager.LoadSound("sounds/bell"), 254);
    EXPECT_EQ(manager.LoadSound("sounds/click"), 255);

    EXPECT_TRUE(manager.LoadSound(0, "sounds/bell"));
    EXPECT_EQ(manager.GetFreeSoundId(), 1);
    manager.ReleaseSounds();
    EXPECT_EQ(manager.GetNumSounds(), 0);
    EXPECT_EQ(manager.GetFreeSoundId(), 0);
}

TEST_F(MixerSoundManagerTest, RejectsIdsOutsideTheTableAndEmptiesFailedSlots)
{
    WriteWav("click.wav", {1, 2, 3});
    EXPECT_FALSE(manager.LoadSound(256, "click"));
    EXPECT_FALSE(manager.LoadSound(-1, "click"));
    EXPECT_FALSE(manager.SetBaseVolume(256, 0.5));
    EXPECT_FALSE(manager.SetBasePan(-1, 100));
    EXPECT_TRUE(manager.SetBaseVolume(255, 0.5));
    EXPECT_EQ(manager.GetSoundInstance(256), nullptr);
    EXPECT_EQ(manager.GetSoundInstance(-3), nullptr);
    // An empty id gives no instance.
    EXPECT_EQ(manager.GetSoundInstance(7), nullptr);

    ASSERT_TRUE(manager.LoadSound(7, "click"));
    EXPECT_FALSE(manager.LoadSound(7, "missing"));
    EXPECT_EQ(manager.GetNumSounds(), 0);
    EXPECT_EQ(manager.GetSoundInstance(7), nullptr);
    // The failed name is not remembered: the path form loads it fresh.
    EXPECT_EQ(manager.LoadSound("missing"), -1);

    // Every slot full: the path form has no id to give.
    for (int id = 0; id < SoundManager::kMaxSounds; ++id)
        ASSERT_TRUE(manager.LoadSound(id, "click"));
    EXPECT_EQ(manager.GetFreeSoundId(), -1);
    EXPECT_EQ(manager.LoadSound("click"), 0) << "the same name is found";
    WriteWav("other.wav", {1});
    EXPECT_EQ(manager.LoadSound("other"), -1);
}

TEST(MixerSoundManagerSilentTest, WithoutAudioDeviceLoadsSucceedAndPlaysAreSilent)
{
    TempFolder folder;
    MixerSoundManager manager(nullptr, folder / "data");
    EXPECT_FALSE(manager.Initialized());
    EXPECT_TRUE(manager.LoadSound(3, "nothing/at/all"));
    EXPECT_FALSE(manager.LoadSound(300, "nothing/at/all"));
    EXPECT_EQ(manager.LoadSound("nothing/at/all"), 255);
    EXPECT_EQ(manager.GetNumSounds(), 0);

    SoundInstance* instance = manager.GetSoundInstance(3);
    ASSERT_NE(instance, nullptr);
    instance->SetVolume(0.5);
    instance->AdjustPitch(3);
    EXPECT_FALSE(instance->Play(false, true));
    EXPECT_FALSE(instance->IsPlaying());
    // The silent play counts as over and is reclaimed.
    EXPECT_TRUE(instance->IsReleased());

    manager.SetMasterVolume(0.25);
    EXPECT_NEAR(manager.GetMasterVolume(), 0.25, 1.0 / 65535);
    EXPECT_FALSE(std::filesystem::exists(folder / "data"));
}

TEST_F(MixerSoundManagerTest, PitchDoublesPerOctaveWithinLimits)
{
    WriteWav("tone.wav", {1, 2, 3}, 22050);
    ASSERT_TRUE(manager.LoadSound(1, "tone"));
    MixerSoundInstance* instance = Instance(1);
    ASSERT_NE(instance, nullptr);
    EXPECT_DOUBLE_EQ(instance->GetFrequency(), 22050.0);
    instance->AdjustPitch(12);
    EXPECT_NEAR(instance->GetFrequency(), 44100.0, 1e-6);
    instance->AdjustPitch(-12);
    EXPECT_NEAR(instance->GetFrequency(), 11025.0, 1e-6);
    instance->AdjustPitch(0);
    EXPECT_DOUBLE_EQ(instance->GetFrequency(), 22050.0);
    instance->AdjustPitch(200);
    EXPECT_EQ(instance->GetFrequency(), 100000.0);
    instance->AdjustPitch(-200);
    EXPECT_EQ(instance->GetFrequency(), 100.0);
}

TEST_F(MixerSoundManagerTest, VolumesCombineIntoTheLevelFormula)
{
    WriteWav("tone.wav", {1000, 1000, 1000, 1000}, 44100);
    ASSERT_TRUE(manager.LoadSound(2, "tone"));
    MixerSoundInstance* instance = Instance(2);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->GetAppliedLevel(), 0);
    instance->SetVolume(0.1);
    EXPECT_EQ(instance->GetAppliedLevel(), -1682);
    EXPECT_EQ(instance->GetVolume(), 0.1);
    instance->SetVolume(0.05);
    EXPECT_EQ(instance->GetAppliedLevel(), -1956);
    instance->SetVolume(0.04);
    EXPECT_EQ(instance->GetAppliedLevel(), SoundLevels::kSilence);

    // volume x base volume x the manager's volume.
    instance->SetVolume(0.4);
    instance->SetBaseVolume(0.5);
    EXPECT_EQ(instance->GetAppliedLevel(), SoundLevels::VolumeToHundredthsOfDecibel(0.2));
    manager.SetVolume(0.5);
    EXPECT_EQ(instance->GetAppliedLevel(), -1682);
    manager.SetVolume(1.0);

    // A new play takes the slot's base volume and pan and the manager's volume.
    ASSERT_TRUE(manager.SetBaseVolume(2, 0.5));
    ASSERT_TRUE(manager.SetBasePan(2, -600));
    manager.SetVolume(0.2);
    MixerSoundInstance* second = Instance(2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetAppliedLevel(), -1682);
    EXPECT_EQ(second->GetAppliedPan(), -600);
    second->SetPan(-500);
    EXPECT_EQ(second->GetAppliedPan(), -1100);
    second->SetPan(-20000);
    EXPECT_EQ(second->GetAppliedPan(), SoundLevels::kPanLeft);
    second->SetBasePan(0);
    second->SetPan(600);
    EXPECT_EQ(second->GetAppliedPan(), 600);
}

TEST_F(MixerSoundManagerTest, PlaysReachTheMixerAtTheirGainAndPan)
{
    WriteWav("tone.wav", {1000, -2000, 3000}, 44100);
    ASSERT_TRUE(manager.LoadSound(4, "tone"));
    SoundInstance* instance = manager.GetSoundInstance(4);
    ASSERT_NE(instance, nullptr);
    instance->SetVolume(0.1); // -16.82 dB
    instance->SetPan(-600);   // right side 6 dB down
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_TRUE(instance->IsPlaying());
    std::vector<int16_t> out = Render(4);
    const double gain = std::pow(10.0, -1682 / 2000.0);
    const double right = gain * std::pow(10.0, -600 / 2000.0);
    EXPECT_NEAR(out[0], 1000 * gain, 0.5);
    EXPECT_NEAR(out[1], 1000 * right, 0.5);
    EXPECT_NEAR(out[2], -2000 * gain, 0.5);
    EXPECT_NEAR(out[5], 3000 * right, 0.5);
    EXPECT_EQ(out[6], 0);
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_FALSE(instance->IsReleased()) << "no auto release";

    // The game's master volume scales everything.
    manager.SetMasterVolume(0.5);
    instance->SetVolume(1.0);
    instance->SetPan(0);
    ASSERT_TRUE(instance->Play(false, false));
    out = Render(1);
    EXPECT_NEAR(out[0], 500, 1);
}

TEST_F(MixerSoundManagerTest, ThirtyTwoPlaysAtATimeAndEndedOnesAreReclaimed)
{
    WriteWav("short.wav", {100, 100}, 44100);
    ASSERT_TRUE(manager.LoadSound(9, "short"));
    uint64_t now = 0;
    manager.SetClock([&now] { return now; });

    std::vector<SoundInstance*> plays;
    for (int i = 0; i < SoundManager::kMaxChannels; ++i)
    {
        SoundInstance* instance = manager.GetSoundInstance(9);
        ASSERT_NE(instance, nullptr) << i;
        plays.push_back(instance);
    }
    EXPECT_EQ(manager.GetSoundInstance(9), nullptr);
    EXPECT_EQ(mixer->VoiceCount(), 32u);

    // A released instance frees its place.
    plays[5]->Release();
    EXPECT_TRUE(plays[5]->IsReleased());
    SoundInstance* replacement = manager.GetSoundInstance(9);
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(manager.GetSoundInstance(9), nullptr);

    // Auto-release plays free their places once they have ended, not before.
    for (SoundInstance* instance : plays)
    {
        if (instance != plays[5])
        {
            ASSERT_TRUE(instance->Play(false, true));
        }
    }
    EXPECT_EQ(manager.GetSoundInstance(9), nullptr);
    Render(8);
    now = 5000;
    EXPECT_NE(manager.GetSoundInstance(9), nullptr);
    // The sweep deleted every ended play at once: 31 freed, 1 taken.
    EXPECT_EQ(mixer->VoiceCount(), 2u);

    // A looping play without auto release is kept.
    replacement->Play(true, false);
    Render(8);
    now = 10000;
    for (int i = 0; i < 30; ++i)
        ASSERT_NE(manager.GetSoundInstance(9), nullptr);
    EXPECT_TRUE(replacement->IsPlaying());
    EXPECT_EQ(manager.GetSoundInstance(9), nullptr);

    manager.ReleaseChannels();
    EXPECT_EQ(mixer->VoiceCount(), 0u);
}

TEST_F(MixerSoundManagerTest, StopAllSoundsKeepsEachAutoRelease)
{
    WriteWav("long.wav", std::vector<int16_t>(1000, 50), 44100);
    ASSERT_TRUE(manager.LoadSound(1, "long"));
    SoundInstance* oneShot = manager.GetSoundInstance(1);
    SoundInstance* loop = manager.GetSoundInstance(1);
    ASSERT_TRUE(oneShot->Play(false, true));
    ASSERT_TRUE(loop->Play(true, false));
    Render(10);
    manager.StopAllSounds();
    EXPECT_FALSE(oneShot->IsPlaying());
    EXPECT_FALSE(loop->IsPlaying());
    EXPECT_TRUE(oneShot->IsReleased());
    EXPECT_FALSE(loop->IsReleased());
    // Stop itself clears auto release.
    ASSERT_TRUE(loop->Play(false, true));
    loop->Stop();
    EXPECT_FALSE(loop->IsReleased());
    // A released sample keeps playing where it already plays.
    ASSERT_TRUE(loop->Play(true, false));
    manager.ReleaseSound(1);
    EXPECT_EQ(Render(1)[0], 50);
    EXPECT_EQ(manager.GetSoundInstance(1), nullptr);
}

TEST_F(MixerSoundManagerTest, DecodesCompressedSoundsIntoTheCache)
{
    folder.WriteFile("sounds/chime.ogg", TestSounds::OggTone(1, 22050, 440.0, 0.25));
    folder.WriteFile("sounds/beep.au", TestSounds::Au(1, 8000, 1, {0xff, 0x80, 0x00, 0x80}));
    int chime = manager.LoadSound("sounds/chime");
    ASSERT_EQ(chime, 255);
    const std::filesystem::path chimeCache = folder / "data/cached/sounds/chime.wav";
    ASSERT_TRUE(std::filesystem::exists(chimeCache));
    EXPECT_EQ(manager.GetSoundSize(chime), 5513u * 2) << "a quarter second of 16-bit mono";

    WavFile cached;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(chimeCache, bytes));
    ASSERT_TRUE(WavReader::Parse(bytes.data(), bytes.size(), cached));
    EXPECT_EQ(cached.dependencyName, "sounds/chime.ogg");
    EXPECT_EQ(cached.dependencyTime, SoundFileLoader::LastWriteTime("sounds/chime.ogg"));
    EXPECT_NE(cached.dependencyTime, 0u);
    EXPECT_EQ(cached.sound.sampleRate, 22050);

    ASSERT_EQ(manager.LoadSound("sounds/beep"), 254);
    EXPECT_EQ(manager.GetSoundSize(254), 8u);
    EXPECT_TRUE(std::filesystem::exists(folder / "data/cached/sounds/beep.wav"));

    // A later run reads the cached copy: shown here by a copy that differs from the source.
    PcmSound marker;
    marker.channels = 1;
    marker.sampleRate = 22050;
    marker.data = TestSounds::SamplesToBytes({7, 7, 7});
    folder.WriteFile("data/cached/sounds/chime.wav",
                     SoundCache::BuildCachedWav(marker, "sounds/chime.ogg", cached.dependencyTime, 0x21));
    MixerSoundManager later(mixer, folder / "data");
    EXPECT_EQ(later.LoadSound("sounds/chime"), 255);
    EXPECT_EQ(later.GetSoundSize(255), 6u);

    // Sounds given by absolute path are not cached.
    MixerSoundManager absolute(mixer, folder / "elsewhere");
    EXPECT_EQ(absolute.LoadSound((folder / "sounds/chime").string()), 255);
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
}

TEST_F(MixerSoundManagerTest, StaleOrDamagedCacheIsRebuiltFromTheSource)
{
    folder.WriteFile("chime.ogg", TestSounds::OggTone(2, 44100, 440.0, 0.1));
    ASSERT_TRUE(manager.LoadSound(1, "chime"));
    const size_t realSize = manager.GetSoundSize(1);
    ASSERT_EQ(realSize, 4410u * 4);
    const std::filesystem::path cacheFile = folder / "data/cached/chime.wav";
    const uint64_t sourceTime = SoundFileLoader::LastWriteTime("chime.ogg");

    PcmSound marker;
    marker.channels = 1;
    marker.sampleRate = 22050;
    marker.data = TestSounds::SamplesToBytes({7, 7, 7});
    // The source changed since the copy was made.
    folder.WriteFile("data/cached/chime.wav", SoundCache::BuildCachedWav(marker, "chime.ogg", sourceTime - 1, 0x21));
    ASSERT_TRUE(manager.LoadSound(1, "chime"));
    EXPECT_EQ(manager.GetSoundSize(1), realSize);
    WavFile rebuilt;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(cacheFile, bytes));
    ASSERT_TRUE(WavReader::Parse(bytes.data(), bytes.size(), rebuilt));
    EXPECT_EQ(rebuilt.dependencyTime, sourceTime);
    EXPECT_EQ(rebuilt.sound.data.size(), realSize);

    // A cut-off copy.
    bytes.resize(bytes.size() / 2);
    folder.WriteFile("data/cached/chime.wav", bytes);
    ASSERT_TRUE(manager.LoadSound(1, "chime"));
    EXPECT_EQ(manager.GetSoundSize(1), realSize);
    ASSERT_TRUE(Platform::ReadWholeFile(cacheFile, bytes));
    EXPECT_EQ(bytes.size(), realSize + 80) << "header, fmt, dep with its 9-byte name, xor, data";

    // Garbage.
    folder.WriteFile("data/cached/chime.wav", std::string("RIFF\x10\0\0\0WAVEdata\xff\xff\xff\xff", 20));
    ASSERT_TRUE(manager.LoadSound(1, "chime"));
    EXPECT_EQ(manager.GetSoundSize(1), realSize);

    // With the source gone, a stale copy is not trusted.
    std::filesystem::remove(folder / "chime.ogg");
    EXPECT_FALSE(manager.LoadSound(1, "chime"));
}

TEST_F(MixerSoundManagerTest, BrokenFilesFailToLoad)
{
    folder.WriteFile("lying.wav", TestSounds::Wav(1, 22050, 16, {1, 2, 3, 4}, 1000000));
    folder.WriteFile("empty.wav", std::string());
    folder.WriteFile("noise.ogg", std::string(5000, 'x'));
    const std::vector<uint8_t> tone = TestSounds::OggTone(1, 22050, 300.0, 0.5);
    std::vector<uint8_t> damaged = tone;
    std::fill(damaged.begin() + static_cast<long>(damaged.size() / 2),
              damaged.begin() + static_cast<long>(damaged.size() / 2) + 64, 0x55);
    folder.WriteFile("damaged.ogg", damaged);
    folder.WriteFile("cut.ogg", std::vector<uint8_t>(tone.begin(), tone.begin() + 100));
    folder.WriteFile("alaw.au", TestSounds::Au(27, 8000, 1, {1, 2, 3}));
    folder.WriteFile("noise.mp3", std::string(5000, 'x'));
    manager.SetMp3Enabled(true);
    for (const char* name : {"lying", "empty", "noise", "damaged", "cut", "alaw"})
        EXPECT_EQ(manager.LoadSound(name), -1) << name;
    EXPECT_EQ(manager.GetNumSounds(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "data/cached"));
}

TEST_F(MixerSoundManagerTest, Mp3IsTriedOnlyWhenEnabled)
{
    folder.WriteFile("steps.mp3", TestSounds::SilentMp3(10));
    EXPECT_EQ(manager.LoadSound("steps"), -1);
    manager.SetMp3Enabled(true);
    ASSERT_EQ(manager.LoadSound("steps"), 255);
    EXPECT_GE(manager.GetSoundSize(255), 8u * 1152 * 2);
    EXPECT_LE(manager.GetSoundSize(255), 10u * 1152 * 2);
    EXPECT_TRUE(std::filesystem::exists(folder / "data/cached/steps.wav"));
}

} // namespace Vesk
