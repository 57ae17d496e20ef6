#pragma once

#include "framework/sound/Mixer.h"
#include "framework/sound/MusicInterface.h"

#include <map>
#include <memory>
#include <mutex>

namespace Vesk
{

// The music of the game, played on the mixer. Songs are streamed: Ogg Vorbis, WAV and MP3
// files are decoded a block at a time while they play and module music is rendered on demand,
// so no song is ever held decoded in memory. Any number of songs play at once (the game
// cross-fades its tunes). Volumes reach the mixer on a 0..100 scale, per song and for all
// music, as (int)(volume x 100).
//
// Called from the main thread; songs may also be loaded on the loading thread while the main
// loop steps the fades, so the song table is guarded by a short lock.
class StreamingMusicInterface final : public MusicInterface
{
public:
    explicit StreamingMusicInterface(std::shared_ptr<Mixer> mixer);
    ~StreamingMusicInterface() override;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset = 0, bool noLoop = false) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int songId) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false) override;
    void FadeOut(int songId, bool stopWhenFaded = true, double speed = 0.004) override;
    void FadeOutAll(bool stopWhenFaded = true, double speed = 0.004) override;
    void SetSongVolume(int songId, double volume) override;
    void SetSongMaxVolume(int songId, double maxVolume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int songId, double amplify) override;
    void Update() override;

    // A song's state as the fades see it; false for an unknown id.
    struct SongState
    {
        double volume = 0.0;
        double volumeStep = 0.0;
        double maxVolume = 1.0;
        bool stopOnFade = false;
        int channelVolume = 0; // 0..100, what the mixer was last given
    };
    bool GetSongState(int songId, SongState& state) const;
    int GetGlobalVolume() const;

private:
    struct Song
    {
        Mixer::VoiceId voice = Mixer::kNoVoice;
        bool isModule = false;
        int channels = 2;
        bool looping = true;
        SongState state;
    };

    Song* Find(int songId);
    void ApplyChannelVolume(Song& song);
    // Seeks to `offset` (unless -1) and starts the channel.
    void StartChannel(Song& song, int offset, bool noLoop);
    void StopSong(Song& song);

    std::shared_ptr<Mixer> mixer;
    mutable std::mutex mutex;
    std::map<int, Song> songs;
    int globalVolume = 100;
};

} // namespace Vesk
