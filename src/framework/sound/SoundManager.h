#pragma once

#include <string>

namespace Vesk
{

class SoundInstance;

// The sound effects of the game: a table of 256 loaded samples (ids 0..255) and up to 32
// plays at a time. The application creates it at start-up and plays effects through it; the
// resource manager loads the effects its manifest names.
class SoundManager
{
public:
    static constexpr int kMaxSounds = 256;
    static constexpr int kMaxChannels = 32;

    virtual ~SoundManager() = default;

    // True when sound is actually played (an audio device is open).
    virtual bool Initialized() = 0;
    // Loads a sound by path without extension; a name already loaded gives its id again.
    // Otherwise the highest free id is used. -1 when no id is free or the load fails.
    virtual int LoadSound(const std::string& path) = 0;
    // Loads a sound into a given id (0..255), replacing what it held. False on failure, with
    // the id left empty.
    virtual bool LoadSound(int id, const std::string& path) = 0;
    virtual void ReleaseSound(int id) = 0;
    // The volume of every sound effect, 0..1; applied to the plays at once.
    virtual void SetVolume(double volume) = 0;
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // A new play of a loaded sound; null for an empty id or when 32 plays are busy.
    virtual SoundInstance* GetSoundInstance(int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    // The game's overall output volume (music included), 0..1.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Flush() = 0;
    // Nothing to do for this audio back end; kept for the callers that tie sound to a window.
    virtual void SetCooperativeWindow(void* window, bool windowed) = 0;
    virtual void StopAllSounds() = 0;
    // The lowest free id, or -1.
    virtual int GetFreeSoundId() = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace Vesk
