#pragma once

#include "framework/sound/SoundCache.h"
#include "framework/sound/SoundManager.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace Vesk
{

class Mixer;
class MixerSample;
class MixerSoundInstance;
struct PcmSound;

// The sound manager of the game, playing through the mixer. Owns the 256-slot sample table
// and the 32 plays. Sounds load from "<path>.wav", or are decoded from "<path>.ogg", ".au" (and
// ".mp3" when MP3 decoding is on) into the decoded-sound cache below the data folder.
//
// Without a mixer (no audio device) it behaves as a machine without sound: loads report
// success without loading anything and plays are silent.
//
// Loads may run on the loading thread while the main thread plays loaded sounds; the table is
// guarded by a short lock. Plays (GetSoundInstance and the instances) belong to the main thread.
class MixerSoundManager final : public SoundManager
{
public:
    MixerSoundManager(std::shared_ptr<Mixer> mixer, std::filesystem::path dataFolder);
    ~MixerSoundManager() override;
    MixerSoundManager(const MixerSoundManager&) = delete;
    MixerSoundManager& operator=(const MixerSoundManager&) = delete;

    // MP3 sound effects are tried (before Ogg Vorbis) only when this is on. Off by default.
    void SetMp3Enabled(bool enabled) { mp3Enabled = enabled; }
    // The clock (milliseconds) that paces the sweep of finished plays, at most once a second.
    // Without one, every new play sweeps.
    void SetClock(std::function<uint64_t()> milliseconds) { clock = std::move(milliseconds); }
    // The volume of every sound effect (SetVolume).
    double GetVolumeScale() const { return volumeScale; }
    const SoundCache& Cache() const { return cache; }

    bool Initialized() override;
    int LoadSound(const std::string& path) override;
    bool LoadSound(int id, const std::string& path) override;
    void ReleaseSound(int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(int id, double volume) override;
    bool SetBasePan(int id, int pan) override;
    SoundInstance* GetSoundInstance(int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void Flush() override {}
    void SetCooperativeWindow(void* window, bool windowed) override {}
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // Bytes of samples held for an id (0 when empty).
    size_t GetSoundSize(int id) const;

private:
    struct SampleSlot
    {
        std::shared_ptr<const MixerSample> sample;
        std::string name;
        size_t size = 0;
        double baseVolume = 1.0;
        int basePan = 0;
    };

    static bool IsValidId(int id) { return id >= 0 && id < kMaxSounds; }
    // The sound of a path, from the cache, the WAV file or a compressed file (then cached).
    bool ReadSound(const std::string& path, PcmSound& sound) const;
    void SweepReleasedInstances();

    std::shared_ptr<Mixer> mixer;
    SoundCache cache;
    bool mp3Enabled = false;
    std::function<uint64_t()> clock;

    mutable std::mutex tableMutex;
    std::array<SampleSlot, kMaxSounds> slots;

    std::array<std::unique_ptr<MixerSoundInstance>, kMaxChannels> instances;
    double volumeScale = 1.0;
    int masterLevel = 65535; // used while there is no mixer
    uint64_t lastSweep = 0;
    bool swept = false;
};

} // namespace Vesk
