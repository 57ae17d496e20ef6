#pragma once

#include "framework/sound/Mixer.h"
#include "framework/sound/SoundInstance.h"

#include <memory>

namespace Vesk
{

class MixerSoundManager;

// A play of a sample as a voice of the mixer. Volume and pan are worked out in the framework's
// units (hundredths of a decibel) and handed to the voice as left and right gains; the pitch
// sets the voice's playback rate. Without a mixer (no audio device) the instance is silent.
// Owned by its MixerSoundManager.
class MixerSoundInstance final : public SoundInstance
{
public:
    static constexpr double kMinFrequency = 100.0;
    static constexpr double kMaxFrequency = 100000.0;

    // `voice` belongs to the instance from now on; the default frequency is the sample's rate.
    MixerSoundInstance(MixerSoundManager* manager, std::shared_ptr<Mixer> mixer, Mixer::VoiceId voice,
                       double defaultFrequency);
    ~MixerSoundInstance() override;
    MixerSoundInstance(const MixerSoundInstance&) = delete;
    MixerSoundInstance& operator=(const MixerSoundInstance&) = delete;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double steps) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override { return volume; }

    // Sends the volume again (the manager's volume changed).
    void ApplyVolume();
    // Stops without touching the auto-release flag, so an ended auto-release play is reclaimed.
    void StopKeepingAutoRelease();

    // What the voice was last given: the level and pan in hundredths of a decibel, the rate.
    int GetAppliedLevel() const { return appliedLevel; }
    int GetAppliedPan() const { return appliedPan; }
    double GetFrequency() const { return frequency; }

private:
    void ApplyPan();
    void ApplyGains();

    MixerSoundManager* manager;
    std::shared_ptr<Mixer> mixer;
    Mixer::VoiceId voice;
    double baseVolume = 1.0;
    int basePan = 0;
    double volume = 1.0;
    int pan = 0;
    double defaultFrequency;
    double frequency;
    bool autoRelease = false;
    bool hasPlayed = false;
    bool released = false;
    int appliedLevel = 0;
    int appliedPan = 0;
};

} // namespace Vesk
