#pragma once

#include "framework/platform/AudioDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Vesk
{

class AudioDecoder;
class MixerSample;

// Mixes every playing sound effect and song into the one stereo output at 44100 Hz. Sound
// effects are voices over a sample held in memory; songs are voices over a decoder that is
// read a block at a time while they play. Each voice has its own left and right gain and
// playback rate (resampled linearly), and everything passes through one master gain.
//
// The audio device's thread calls RenderAudio; the game's threads add, control and remove
// voices. One short lock guards all of it: control calls take it for a few instructions, a
// render holds it while it mixes one device buffer. Shared by the sound manager and the music
// interface; tests drive RenderAudio by hand.
class Mixer final : public Platform::AudioSource
{
public:
    static constexpr int kOutputRate = Platform::AudioDevice::kSampleRate;
    using VoiceId = uint32_t;
    static constexpr VoiceId kNoVoice = 0;

    Mixer();
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A stopped voice at the start of the sample (or stream), at the source's own rate, gain 1.
    VoiceId AddSampleVoice(std::shared_ptr<const MixerSample> sample);
    VoiceId AddStreamVoice(std::unique_ptr<AudioDecoder> decoder);
    // Stops and forgets the voice; a stream's decoder is destroyed outside the lock.
    void RemoveVoice(VoiceId voice);

    void SetVoiceGain(VoiceId voice, double left, double right);
    // Playback rate of the source in frames per second (pitch for sound effects).
    void SetVoiceFrequency(VoiceId voice, double frequency);
    // Plays from where the voice is; a stream that ran to its end starts again.
    void PlayVoice(VoiceId voice, bool looping);
    // Halts and keeps the position, remembering that the voice was paused.
    void PauseVoice(VoiceId voice);
    // Halts and keeps the position (the position goes back to the start with rewind).
    void StopVoice(VoiceId voice, bool rewind);
    bool IsVoicePlaying(VoiceId voice) const;
    bool IsVoicePaused(VoiceId voice) const;
    // Runs an operation on a stream voice's decoder under the lock (seeking, repeat mode),
    // dropping the audio decoded ahead unless told to keep it (for changes that do not move
    // the stream). False for unknown voices or when the operation fails.
    bool ControlStream(VoiceId voice, const std::function<bool(AudioDecoder&)>& operation,
                       bool keepDecodedAudio = false);

    // The game's master volume, a linear factor on everything mixed (0..1).
    void SetMasterGain(double gain);
    double GetMasterGain() const;

    size_t VoiceCount() const;

    void RenderAudio(int16_t* interleavedStereo, int frameCount) override;

private:
    struct Voice;

    Voice* Find(VoiceId voice) const;
    VoiceId AddVoice(std::unique_ptr<Voice> voice);
    void MixSample(Voice& voice, float* mix, int frameCount);
    void MixStream(Voice& voice, float* mix, int frameCount);
    bool RefillStream(Voice& voice);

    mutable std::mutex mutex;
    std::vector<std::unique_ptr<Voice>> voices;
    VoiceId nextVoiceId = 1;
    double masterGain = 1.0;
    std::vector<float> mixBuffer;
    std::vector<int16_t> decodeBuffer;
};

} // namespace Vesk
