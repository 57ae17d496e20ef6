#include "framework/platform/FileSystem.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace Vesk
{
namespace
{

using TestSupport::TestApp;
using TestSupport::TestDriver;
using TestSupport::TestSounds;

// Plays one loud sample through the application's own sound path (PlaySample, the sfx volume,
// muting) on SDL's disk driver, and returns the peak of what reached the "speaker".
int PeakOfPlayedSample(bool muted)
{
    std::filesystem::path recording =
        std::filesystem::temp_directory_path() / ("orlo-app-sound-" + std::to_string(::getpid()) + ".raw");
    std::filesystem::remove(recording);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
    {
        TestDriver driver;
        TestApp& app = driver.Create<TestApp>();
        driver.Folder().WriteFile("sounds/tone.wav", TestSounds::Wav16(1, 44100, std::vector<int16_t>(4410, 16000)));
        EXPECT_TRUE(driver.Launch());
        SoundManager* sounds = app.GetSoundManager();
        EXPECT_NE(sounds, nullptr);
        EXPECT_NE(app.GetMusicInterface(), nullptr);
        if (sounds == nullptr)
            return -1;
        EXPECT_TRUE(sounds->Initialized());
        int tone = sounds->LoadSound("sounds/tone");
        EXPECT_EQ(tone, 255);
        app.SetSfxVolume(1.0);
        if (muted)
            app.Mute(false);
        app.PlaySample(tone);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        driver.Destroy();
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("SDL_DISKAUDIOFILE");

    std::vector<uint8_t> bytes;
    if (!Platform::ReadWholeFile(recording, bytes))
        return -1;
    std::filesystem::remove(recording);
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8))));
    return peak;
}

TEST(AppSoundTest, PlaySampleReachesTheDeviceUnlessMuted)
{
    int loud = PeakOfPlayedSample(false);
    EXPECT_GT(loud, 8000) << "the sample plays at full volume";
    int muted = PeakOfPlayedSample(true);
    EXPECT_EQ(muted, 0) << "a muted application plays nothing";
}

} // namespace
} // namespace Vesk
