#include "framework/sound/MixerSoundInstance.h"

#include "framework/sound/MixerSoundManager.h"
#include "framework/sound/SoundLevels.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// One equal-tempered semitone.
constexpr double kSemitone = 1.0594630943592953;

} // namespace

MixerSoundInstance::MixerSoundInstance(MixerSoundManager* manager, std::shared_ptr<Mixer> mixer, Mixer::VoiceId voice,
                                       double defaultFrequency)
    : manager(manager), mixer(std::move(mixer)), voice(voice), defaultFrequency(defaultFrequency),
      frequency(defaultFrequency)
{
}

MixerSoundInstance::~MixerSoundInstance()
{
    if (mixer != nullptr && voice != Mixer::kNoVoice)
        mixer->RemoveVoice(voice);
}

void MixerSoundInstance::Release()
{
    Stop();
    released = true;
}

void MixerSoundInstance::SetBaseVolume(double newVolume)
{
    baseVolume = newVolume;
    ApplyVolume();
}

void MixerSoundInstance::SetBasePan(int newPan)
{
    basePan = newPan;
    ApplyPan();
}

void MixerSoundInstance::SetVolume(double newVolume)
{
    volume = newVolume;
    ApplyVolume();
}

void MixerSoundInstance::SetPan(int newPan)
{
    pan = newPan;
    ApplyPan();
}

void MixerSoundInstance::AdjustPitch(double steps)
{
    frequency = std::clamp(defaultFrequency * std::pow(kSemitone, steps), kMinFrequency, kMaxFrequency);
    if (mixer != nullptr)
        mixer->SetVoiceFrequency(voice, frequency);
}

void MixerSoundInstance::ApplyVolume()
{
    double managerVolume = manager != nullptr ? manager->GetVolumeScale() : 1.0;
    appliedLevel = SoundLevels::VolumeToHundredthsOfDecibel(volume * baseVolume * managerVolume);
    ApplyGains();
}

void MixerSoundInstance::ApplyPan()
{
    appliedPan = std::clamp(basePan + pan, SoundLevels::kPanLeft, SoundLevels::kPanRight);
    ApplyGains();
}

void MixerSoundInstance::ApplyGains()
{
    if (mixer == nullptr)
        return;
    double gain = SoundLevels::HundredthsOfDecibelToGain(appliedLevel);
    double left = 1.0;
    double right = 1.0;
    SoundLevels::PanToGains(appliedPan, left, right);
    mixer->SetVoiceGain(voice, gain * left, gain * right);
}

bool MixerSoundInstance::Play(bool looping, bool newAutoRelease)
{
    Stop();
    hasPlayed = true;
    autoRelease = newAutoRelease;
    if (mixer == nullptr || voice == Mixer::kNoVoice)
        return false;
    mixer->PlayVoice(voice, looping);
    return true;
}

void MixerSoundInstance::Stop()
{
    StopKeepingAutoRelease();
    autoRelease = false;
}

void MixerSoundInstance::StopKeepingAutoRelease()
{
    if (mixer != nullptr)
        mixer->StopVoice(voice, true);
}

bool MixerSoundInstance::IsPlaying()
{
    return hasPlayed && mixer != nullptr && mixer->IsVoicePlaying(voice);
}

bool MixerSoundInstance::IsReleased()
{
    if (!released && autoRelease && hasPlayed && !IsPlaying())
        Release();
    return released;
}

} // namespace Vesk
