#pragma once

#include <string>

namespace Vesk
{

// Music addressed by small song ids that the game chooses. This base plays nothing: every load
// fails and nothing is ever playing. It is what the application uses when sound is off; the
// mixer-backed implementation derives from it.
class MusicInterface
{
public:
    MusicInterface() = default;
    virtual ~MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;

    virtual bool LoadMusic(int songId, const std::string& fileName) { return false; }
    virtual void PlayMusic(int songId, int offset = 0, bool noLoop = false) {}
    virtual void StopMusic(int songId) {}
    virtual void PauseMusic(int songId) {}
    virtual void ResumeMusic(int songId) {}
    virtual void StopAllMusic() {}
    virtual void UnloadMusic(int songId) {}
    virtual void UnloadAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    virtual void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false) {}
    virtual void FadeOut(int songId, bool stopWhenFaded = true, double speed = 0.004) {}
    virtual void FadeOutAll(bool stopWhenFaded = true, double speed = 0.004) {}
    virtual void SetSongVolume(int songId, double volume) {}
    virtual void SetSongMaxVolume(int songId, double maxVolume) {}
    virtual bool IsPlaying(int songId) { return false; }
    virtual void SetVolume(double volume) {}
    virtual void SetMusicAmplify(int songId, double amplify) {}
    // Once per fixed update: the fades.
    virtual void Update() {}
};

} // namespace Vesk
