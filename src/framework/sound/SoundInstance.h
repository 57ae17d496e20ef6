#pragma once

namespace Vesk
{

// One play of a loaded sound effect, with its own volume, pan and pitch. Made by
// SoundManager::GetSoundInstance and owned by the manager: the caller releases it (or lets it
// release itself after an auto-release play) and must not use it afterwards.
class SoundInstance
{
public:
    virtual ~SoundInstance() = default;

    // Stops the play and hands the instance back to the manager.
    virtual void Release() = 0;
    // Volumes 0..1; the level heard is volume x base volume x the manager's volume.
    virtual void SetBaseVolume(double volume) = 0;
    // Pans in hundredths of a decibel, -10000 (left) .. 10000 (right); base pan + pan is heard.
    virtual void SetBasePan(int pan) = 0;
    // Pitch in semitones from the sample's own rate, kept within 100..100000 Hz.
    virtual void AdjustPitch(double steps) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    // Plays from the start; with autoRelease the instance releases itself once it has ended.
    // False when there is nothing to play.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    // Stops and rewinds; clears auto release.
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // True once released (an ended auto-release play releases itself here).
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Vesk
