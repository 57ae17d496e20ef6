#pragma once

#include <string>

namespace Vesk
{

// The game's music: songs addressed by small ids the game chooses, each loaded from a file and
// played, looped, paused, faded in and out. Volumes are 0..1. The application creates it at
// start-up, sets the music volume and calls Update once per fixed update (100 a second), which
// steps the fades. This base class is the silent music of a machine without sound: it does
// nothing, reports failure and that nothing is playing.
class MusicInterface
{
public:
    MusicInterface() = default;
    virtual ~MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;

    // A song from a file: "wav", "ogg" and "mp3" stream; any other extension is module music.
    virtual bool LoadMusic(int songId, const std::string& fileName);
    // Plays at the song's maximum volume from `offset` (a pattern order for module music, a
    // byte position of the decoded 16-bit stream otherwise; -1 keeps the current position).
    virtual void PlayMusic(int songId, int offset = 0, bool noLoop = false);
    virtual void StopMusic(int songId);
    virtual void PauseMusic(int songId);
    virtual void ResumeMusic(int songId);
    virtual void StopAllMusic();
    virtual void UnloadMusic(int songId);
    virtual void UnloadAllMusic();
    virtual void PauseAllMusic();
    virtual void ResumeAllMusic();
    // Plays and raises the volume by `speed` every update up to the maximum volume.
    virtual void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false);
    // Lowers the volume by `speed` every update; at 0 the song stops when asked to.
    virtual void FadeOut(int songId, bool stopWhenFaded = true, double speed = 0.004);
    virtual void FadeOutAll(bool stopWhenFaded = true, double speed = 0.004);
    virtual void SetSongVolume(int songId, double volume);
    // The ceiling of the song's volume and of its fades; a louder song is turned down to it.
    virtual void SetSongMaxVolume(int songId, double maxVolume);
    virtual bool IsPlaying(int songId);
    // The volume of all music.
    virtual void SetVolume(double volume);
    // Module music only: 0..1, 0.5 leaving the module at its own level.
    virtual void SetMusicAmplify(int songId, double amplify);
    // One fade step of every fading song.
    virtual void Update();
};

} // namespace Vesk
