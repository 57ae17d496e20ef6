#include "framework/sound/StreamingMusicInterface.h"

#include "framework/sound/AudioDecoder.h"
#include "framework/sound/ModuleDecoder.h"
#include "framework/sound/Mp3Decoder.h"
#include "framework/sound/OggVorbisDecoder.h"
#include "framework/sound/WavStreamDecoder.h"

#include <algorithm>
#include <cctype>

namespace Vesk
{

namespace
{

// The library's volume scale: 0..100.
int ToPercent(double volume)
{
    return std::clamp(static_cast<int>(volume * 100.0), 0, 100);
}

std::string LowerCaseExtension(const std::string& fileName)
{
    size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

StreamingMusicInterface::StreamingMusicInterface(std::shared_ptr<Mixer> mixer) : mixer(std::move(mixer)) {}

StreamingMusicInterface::~StreamingMusicInterface()
{
    UnloadAllMusic();
}

StreamingMusicInterface::Song* StreamingMusicInterface::Find(int songId)
{
    auto found = songs.find(songId);
    return found != songs.end() ? &found->second : nullptr;
}

bool StreamingMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    if (mixer == nullptr)
        return false;
    const std::string extension = LowerCaseExtension(fileName);
    std::unique_ptr<AudioDecoder> decoder;
    bool isModule = false;
    if (extension == "wav")
        decoder = WavStreamDecoder::Open(fileName);
    else if (extension == "ogg")
        decoder = OggVorbisDecoder::Open(fileName);
    else if (extension == "mp3")
        decoder = Mp3Decoder::Open(fileName);
    else
    {
        decoder = ModuleDecoder::Open(fileName);
        isModule = true;
    }
    if (decoder == nullptr)
        return false;

    Song song;
    song.isModule = isModule;
    song.channels = decoder->Channels();
    song.voice = mixer->AddStreamVoice(std::move(decoder));
    if (song.voice == Mixer::kNoVoice)
        return false;

    Mixer::VoiceId replaced = Mixer::kNoVoice;
    {
        std::lock_guard lock(mutex);
        if (Song* old = Find(songId))
            replaced = old->voice;
        songs[songId] = song;
        ApplyChannelVolume(songs[songId]);
    }
    if (replaced != Mixer::kNoVoice)
        mixer->RemoveVoice(replaced);
    return true;
}

void StreamingMusicInterface::ApplyChannelVolume(Song& song)
{
    song.state.channelVolume = ToPercent(song.state.volume);
    double gain = song.state.channelVolume / 100.0 * (globalVolume / 100.0);
    mixer->SetVoiceGain(song.voice, gain, gain);
}

void StreamingMusicInterface::StartChannel(Song& song, int offset, bool noLoop)
{
    song.looping = !noLoop;
    if (song.isModule)
    {
        mixer->ControlStream(
            song.voice,
            [&](AudioDecoder& decoder)
            {
                decoder.SetRepeat(!noLoop);
                if (offset != -1)
                    decoder.SeekOrder(offset);
                return true;
            },
            offset == -1);
    }
    else if (offset != -1)
    {
        // Stream positions count bytes of the decoded 16-bit audio.
        const int64_t frame = std::max(offset, 0) / (song.channels * 2);
        mixer->ControlStream(song.voice, [frame](AudioDecoder& decoder) { return decoder.SeekFrame(frame); });
    }
    mixer->PlayVoice(song.voice, song.looping);
}

void StreamingMusicInterface::StopSong(Song& song)
{
    song.state.volume = 0.0;
    song.state.volumeStep = 0.0;
    ApplyChannelVolume(song);
    mixer->StopVoice(song.voice, false);
}

void StreamingMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    std::lock_guard lock(mutex);
    Song* song = Find(songId);
    if (song == nullptr)
        return;
    song->state.volume = song->state.maxVolume;
    song->state.volumeStep = 0.0;
    song->state.stopOnFade = noLoop;
    ApplyChannelVolume(*song);
    mixer->StopVoice(song->voice, false);
    StartChannel(*song, offset, noLoop);
}

void StreamingMusicInterface::StopMusic(int songId)
{
    std::lock_guard lock(mutex);
    if (Song* song = Find(songId))
        StopSong(*song);
}

void StreamingMusicInterface::PauseMusic(int songId)
{
    std::lock_guard lock(mutex);
    if (Song* song = Find(songId))
        mixer->PauseVoice(song->voice);
}

void StreamingMusicInterface::ResumeMusic(int songId)
{
    std::lock_guard lock(mutex);
    if (Song* song = Find(songId))
        mixer->PlayVoice(song->voice, song->looping);
}

void StreamingMusicInterface::StopAllMusic()
{
    std::lock_guard lock(mutex);
    for (auto& [songId, song] : songs)
        StopSong(song);
}

void StreamingMusicInterface::UnloadMusic(int songId)
{
    Mixer::VoiceId voice = Mixer::kNoVoice;
    {
        std::lock_guard lock(mutex);
        auto found = songs.find(songId);
        if (found == songs.end())
            return;
        voice = found->second.voice;
        songs.erase(found);
    }
    mixer->RemoveVoice(voice);
}

void StreamingMusicInterface::UnloadAllMusic()
{
    std::map<int, Song> unloaded;
    {
        std::lock_guard lock(mutex);
        unloaded.swap(songs);
    }
    for (auto& [songId, song] : unloaded)
        mixer->RemoveVoice(song.voice);
}

void StreamingMusicInterface::PauseAllMusic()
{
    std::lock_guard lock(mutex);
    for (auto& [songId, song] : songs)
    {
        if (mixer->IsVoicePlaying(song.voice))
            mixer->PauseVoice(song.voice);
    }
}

void StreamingMusicInterface::ResumeAllMusic()
{
    std::lock_guard lock(mutex);
    for (auto& [songId, song] : songs)
    {
        if (mixer->IsVoicePaused(song.voice))
            mixer->PlayVoice(song.voice, song.looping);
    }
}

void StreamingMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    std::lock_guard lock(mutex);
    Song* song = Find(songId);
    if (song == nullptr)
        return;
    song->state.volumeStep = speed;
    song->state.stopOnFade = noLoop;
    mixer->StopVoice(song->voice, false);
    ApplyChannelVolume(*song);
    StartChannel(*song, offset, noLoop);
}

void StreamingMusicInterface::FadeOut(int songId, bool stopWhenFaded, double speed)
{
    std::lock_guard lock(mutex);
    Song* song = Find(songId);
    if (song == nullptr || song->state.volume == 0.0)
        return;
    song->state.volumeStep = -speed;
    song->state.stopOnFade = stopWhenFaded;
}

void StreamingMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    std::lock_guard lock(mutex);
    for (auto& [songId, song] : songs)
    {
        song.state.volumeStep = -speed;
        song.state.stopOnFade = stopWhenFaded;
    }
}

void StreamingMusicInterface::SetSongVolume(int songId, double volume)
{
    std::lock_guard lock(mutex);
    if (Song* song = Find(songId))
    {
        song->state.volume = volume;
        ApplyChannelVolume(*song);
    }
}

void StreamingMusicInterface::SetSongMaxVolume(int songId, double maxVolume)
{
    std::lock_guard lock(mutex);
    if (Song* song = Find(songId))
    {
        song->state.maxVolume = maxVolume;
        song->state.volume = std::min(song->state.volume, maxVolume);
        ApplyChannelVolume(*song);
    }
}

bool StreamingMusicInterface::IsPlaying(int songId)
{
    std::lock_guard lock(mutex);
    Song* song = Find(songId);
    return song != nullptr && mixer->IsVoicePlaying(song->voice);
}

void StreamingMusicInterface::SetVolume(double volume)
{
    std::lock_guard lock(mutex);
    globalVolume = ToPercent(volume);
    for (auto& [songId, song] : songs)
        ApplyChannelVolume(song);
}

void StreamingMusicInterface::SetMusicAmplify(int songId, double amplify)
{
    std::lock_guard lock(mutex);
    Song* song = Find(songId);
    if (song == nullptr || !song->isModule)
        return;
    const int percent = static_cast<int>(amplify * 100.0);
    mixer->ControlStream(
        song->voice,
        [percent](AudioDecoder& decoder)
        {
            decoder.SetAmplify(percent);
            return true;
        },
        true);
}

void StreamingMusicInterface::Update()
{
    std::lock_guard lock(mutex);
    for (auto& [songId, song] : songs)
    {
        SongState& state = song.state;
        if (state.volumeStep == 0.0)
            continue;
        state.volume += state.volumeStep;
        if (state.volume > state.maxVolume)
        {
            state.volume = state.maxVolume;
            state.volumeStep = 0.0;
        }
        else if (state.volume < 0.0)
        {
            state.volume = 0.0;
            state.volumeStep = 0.0;
            if (state.stopOnFade)
                mixer->StopVoice(song.voice, false);
        }
        ApplyChannelVolume(song);
    }
}

bool StreamingMusicInterface::GetSongState(int songId, SongState& state) const
{
    std::lock_guard lock(mutex);
    auto found = songs.find(songId);
    if (found == songs.end())
        return false;
    state = found->second.state;
    return true;
}

int StreamingMusicInterface::GetGlobalVolume() const
{
    std::lock_guard lock(mutex);
    return globalVolume;
}

} // namespace Vesk
