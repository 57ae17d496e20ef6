// Sound: the sound manager and music interface, playing samples, volumes and muting.
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/Clock.h"
#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSoundManager.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/sound/StreamingMusicInterface.h"

namespace Vesk
{

using Platform::Clock;

void VeskAppBase::ApplyVolumes()
{
    if (musicInterface)
        musicInterface->SetVolume(IsMuted() ? 0.0 : musicVolume);
    if (soundManager)
        soundManager->SetVolume(IsMuted() ? 0.0 : sfxVolume);
}

MusicInterface* VeskAppBase::CreateMusicInterface()
{
    if (!mixer)
        return new MusicInterface();
    return new StreamingMusicInterface(mixer);
}

SoundManager* VeskAppBase::CreateSoundManager()
{
    auto manager = std::make_unique<MixerSoundManager>(mixer, GetAppDataFolder());
    manager->SetMp3Enabled(useFMod);
    manager->SetClock([] { return static_cast<uint64_t>(Platform::Clock::GetTickCount()); });
    return manager.release();
}

void VeskAppBase::PlaySample(int soundId, int pan)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(soundId);
    if (instance == nullptr)
        return;
    instance->SetPan(pan);
    instance->Play(false, true);
}

void VeskAppBase::PlaySample(int soundId)
{
    if (!soundManager)
        return;
    SoundInstance* instance = soundManager->GetSoundInstance(soundId);
    if (instance != nullptr)
        instance->Play(false, true);
}

double VeskAppBase::GetMasterVolume()
{
    return soundManager ? soundManager->GetMasterVolume() : 1.0;
}

void VeskAppBase::SetMasterVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetMasterVolume(volume);
}

void VeskAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface)
        musicInterface->SetVolume(IsMuted() ? 0.0 : volume);
}

void VeskAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager)
        soundManager->SetVolume(IsMuted() ? 0.0 : volume);
}

void VeskAppBase::Mute(bool autoMute)
{
    ++muteCount;
    if (autoMute)
        ++autoMuteCount;
    ApplyVolumes();
}

void VeskAppBase::Unmute(bool autoMute)
{
    if (muteCount > 0)
    {
        --muteCount;
        if (autoMute && autoMuteCount > 0)
            --autoMuteCount;
    }
    ApplyVolumes();
}

} // namespace Vesk
