#pragma once

namespace Vesk
{

class SoundInstance;

// The sound effects: a table of loaded samples and the instances playing them.
//
// TODO(sound): the operations the application base calls; loading, the sample table and the
// mixer come with the sound manager itself.
class SoundManager
{
public:
    virtual ~SoundManager() = default;

    // The effects volume 0..1 (the application passes 0 while muted).
    virtual void SetVolume(double volume) = 0;
    // The audio layer's master gain 0..1.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    // A new instance of a loaded sample, or null.
    virtual SoundInstance* GetSoundInstance(int soundId) = 0;
    virtual void StopAllSounds() = 0;
    // The window changed (mode switch).
    virtual void SetCooperativeWindow(bool windowed) {}
};

} // namespace Vesk
