#include "framework/sound/Mixer.h"

#include "framework/sound/AudioDecoder.h"
#include "framework/sound/MixerSample.h"

#include <algorithm>
#include <cmath>

namespace Vesk
{

namespace
{

// Positions and rates are 32.32 fixed point: whole source frames above, the fraction below.
constexpr int kFractionBits = 32;
constexpr uint64_t kOne = uint64_t{1} << kFractionBits;
constexpr uint64_t kFractionMask = kOne - 1;
constexpr float kFractionScale = 1.0f / static_cast<float>(kOne);
// Frames a song decodes ahead at a time.
constexpr int kStreamBlockFrames = 2048;

uint64_t RateToStep(double frequency)
{
    double step = frequency / Mixer::kOutputRate * static_cast<double>(kOne);
    return static_cast<uint64_t>(std::clamp(step, 1.0, static_cast<double>(kOne) * 4096.0));
}

} // namespace

struct Mixer::Voice
{
    enum class State
    {
        Stopped,
        Playing,
        Paused
    };

    VoiceId id = kNoVoice;
    State state = State::Stopped;
    bool looping = false;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    uint64_t step = kOne;
    // A sample voice: the frame of the sample. A stream voice: the frame within `block`.
    uint64_t position = 0;

    std::shared_ptr<const MixerSample> sample;

    std::unique_ptr<AudioDecoder> decoder;
    std::vector<float> block; // stereo frames decoded ahead
    int blockFrames = 0;
    bool ended = false;

    void ResetStreamBlock()
    {
        blockFrames = 0;
        position = 0;
        ended = false;
    }
};

Mixer::Mixer() = default;

Mixer::~Mixer() = default;

Mixer::VoiceId Mixer::AddVoice(std::unique_ptr<Voice> voice)
{
    std::lock_guard lock(mutex);
    voice->id = nextVoiceId++;
    if (nextVoiceId == kNoVoice)
        nextVoiceId = 1;
    VoiceId id = voice->id;
    voices.push_back(std::move(voice));
    return id;
}

Mixer::VoiceId Mixer::AddSampleVoice(std::shared_ptr<const MixerSample> sample)
{
    if (sample == nullptr)
        return kNoVoice;
    auto voice = std::make_unique<Voice>();
    voice->step = RateToStep(sample->SampleRate());
    voice->sample = std::move(sample);
    return AddVoice(std::move(voice));
}

Mixer::VoiceId Mixer::AddStreamVoice(std::unique_ptr<AudioDecoder> decoder)
{
    if (decoder == nullptr || decoder->Channels() < 1 || decoder->Channels() > 2 || decoder->SampleRate() <= 0)
        return kNoVoice;
    auto voice = std::make_unique<Voice>();
    voice->step = RateToStep(decoder->SampleRate());
    voice->block.resize(static_cast<size_t>(kStreamBlockFrames + 1) * 2);
    voice->decoder = std::move(decoder);
    return AddVoice(std::move(voice));
}

void Mixer::RemoveVoice(VoiceId id)
{
    std::unique_ptr<Voice> removed;
    {
        std::lock_guard lock(mutex);
        auto found = std::find_if(voices.begin(), voices.end(), [id](const auto& voice) { return voice->id == id; });
        if (found == voices.end())
            return;
        removed = std::move(*found);
        voices.erase(found);
    }
    // The decoder may close files: done here, outside the lock.
}

Mixer::Voice* Mixer::Find(VoiceId id) const
{
    for (const auto& voice : voices)
    {
        if (voice->id == id)
            return voice.get();
    }
    return nullptr;
}

void Mixer::SetVoiceGain(VoiceId id, double left, double right)
{
    std::lock_guard lock(mutex);
    if (Voice* voice = Find(id))
    {
        voice->gainLeft = static_cast<float>(std::max(left, 0.0));
        voice->gainRight = static_cast<float>(std::max(right, 0.0));
    }
}

void Mixer::SetVoiceFrequency(VoiceId id, double frequency)
{
    std::lock_guard lock(mutex);
    if (Voice* voice = Find(id))
        voice->step = RateToStep(frequency);
}

void Mixer::PlayVoice(VoiceId id, bool looping)
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    if (voice == nullptr)
        return;
    if (voice->decoder != nullptr && voice->ended)
    {
        voice->decoder->SeekFrame(0);
        voice->ResetStreamBlock();
    }
    voice->looping = looping;
    voice->state = Voice::State::Playing;
}

void Mixer::PauseVoice(VoiceId id)
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    if (voice != nullptr && voice->state == Voice::State::Playing)
        voice->state = Voice::State::Paused;
}

void Mixer::StopVoice(VoiceId id, bool rewind)
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    if (voice == nullptr)
        return;
    voice->state = Voice::State::Stopped;
    if (!rewind)
        return;
    if (voice->decoder != nullptr)
    {
        voice->decoder->SeekFrame(0);
        voice->ResetStreamBlock();
    }
    else
    {
        voice->position = 0;
    }
}

bool Mixer::IsVoicePlaying(VoiceId id) const
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    return voice != nullptr && voice->state == Voice::State::Playing;
}

bool Mixer::IsVoicePaused(VoiceId id) const
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    return voice != nullptr && voice->state == Voice::State::Paused;
}

bool Mixer::ControlStream(VoiceId id, const std::function<bool(AudioDecoder&)>& operation, bool keepDecodedAudio)
{
    std::lock_guard lock(mutex);
    Voice* voice = Find(id);
    if (voice == nullptr || voice->decoder == nullptr)
        return false;
    bool result = operation(*voice->decoder);
    if (!keepDecodedAudio)
        voice->ResetStreamBlock();
    return result;
}

void Mixer::SetMasterGain(double gain)
{
    std::lock_guard lock(mutex);
    masterGain = std::clamp(gain, 0.0, 1.0);
}

double Mixer::GetMasterGain() const
{
    std::lock_guard lock(mutex);
    return masterGain;
}

size_t Mixer::VoiceCount() const
{
    std::lock_guard lock(mutex);
    return voices.size();
}

void Mixer::RenderAudio(int16_t* out, int frameCount)
{
    if (frameCount <= 0)
        return;
    std::lock_guard lock(mutex);
    size_t sampleCount = static_cast<size_t>(frameCount) * 2;
    if (mixBuffer.size() < sampleCount)
        mixBuffer.resize(sampleCount);
    float* mix = mixBuffer.data();
    std::fill(mix, mix + sampleCount, 0.0f);

    for (const auto& voice : voices)
    {
        if (voice->state != Voice::State::Playing)
            continue;
        if (voice->sample != nullptr)
            MixSample(*voice, mix, frameCount);
        else
            MixStream(*voice, mix, frameCount);
    }

    auto master = static_cast<float>(masterGain);
    for (size_t i = 0; i < sampleCount; ++i)
    {
        float value = std::clamp(mix[i] * master, -32768.0f, 32767.0f);
        out[i] = static_cast<int16_t>(std::lrint(value));
    }
}

void Mixer::MixSample(Voice& voice, float* mix, int frameCount)
{
    const MixerSample& sample = *voice.sample;
    const uint64_t frames = sample.FrameCount();
    const int16_t* data = sample.Samples();
    const float gainLeft = voice.gainLeft;
    const float gainRight = voice.gainRight;
    const bool stereo = sample.Channels() == 2;
    const uint64_t step = voice.step;
    const uint64_t length = frames << kFractionBits;
    // Below this position a frame and the one after it are both inside the sample.
    const uint64_t safeEnd = frames > 0 ? (frames - 1) << kFractionBits : 0;
    uint64_t position = voice.position;

    int i = 0;
    while (i < frameCount)
    {
        if (position < safeEnd)
        {
            // The bulk of the sample: no bounds to check.
            int run = static_cast<int>(std::min<uint64_t>(frameCount - i, (safeEnd - position + step - 1) / step));
            if (stereo)
            {
                for (int end = i + run; i < end; ++i, position += step)
                {
                    const int16_t* frame = data + 2 * (position >> kFractionBits);
                    float fraction = static_cast<float>(position & kFractionMask) * kFractionScale;
                    mix[2 * i] += (frame[0] + (frame[2] - frame[0]) * fraction) * gainLeft;
                    mix[2 * i + 1] += (frame[1] + (frame[3] - frame[1]) * fraction) * gainRight;
                }
            }
            else
            {
                for (int end = i + run; i < end; ++i, position += step)
                {
                    const int16_t* frame = data + (position >> kFractionBits);
                    float fraction = static_cast<float>(position & kFractionMask) * kFractionScale;
                    float value = frame[0] + (frame[1] - frame[0]) * fraction;
                    mix[2 * i] += value * gainLeft;
                    mix[2 * i + 1] += value * gainRight;
                }
            }
            continue;
        }
        if (position >= length)
        {
            if (!voice.looping || frames == 0)
            {
                voice.state = Voice::State::Stopped;
                position = 0;
                break;
            }
            position %= length;
            continue;
        }
        // The last frame: it interpolates towards the start when looping.
        const uint64_t index = position >> kFractionBits;
        const uint64_t next = voice.looping ? 0 : index;
        const float fraction = static_cast<float>(position & kFractionMask) * kFractionScale;
        const int channels = stereo ? 2 : 1;
        const int right = stereo ? 1 : 0;
        float leftValue = data[index * channels] + (data[next * channels] - data[index * channels]) * fraction;
        float rightValue = data[index * channels + right] +
                           (data[next * channels + right] - data[index * channels + right]) * fraction;
        mix[2 * i] += leftValue * gainLeft;
        mix[2 * i + 1] += rightValue * gainRight;
        position += step;
        ++i;
    }
    voice.position = position;
}

bool Mixer::RefillStream(Voice& voice)
{
    AudioDecoder& decoder = *voice.decoder;
    const int channels = decoder.Channels();
    if (decodeBuffer.size() < static_cast<size_t>(kStreamBlockFrames) * 2)
        decodeBuffer.resize(static_cast<size_t>(kStreamBlockFrames) * 2);

    // Keep the last frame decoded so far: the interpolation runs across block boundaries.
    int carry = 0;
    if (voice.blockFrames > 0)
    {
        voice.block[0] = voice.block[2 * static_cast<size_t>(voice.blockFrames - 1)];
        voice.block[1] = voice.block[2 * static_cast<size_t>(voice.blockFrames - 1) + 1];
        voice.position -= static_cast<uint64_t>(voice.blockFrames - 1) << kFractionBits;
        voice.blockFrames = 1;
        carry = 1;
    }

    int decoded = decoder.Read(decodeBuffer.data(), kStreamBlockFrames);
    if (decoded <= 0 && voice.looping && decoder.SeekFrame(0))
        decoded = decoder.Read(decodeBuffer.data(), kStreamBlockFrames);
    if (decoded <= 0)
        return false;
    decoded = std::min(decoded, kStreamBlockFrames);

    float* target = voice.block.data() + 2 * carry;
    const int16_t* source = decodeBuffer.data();
    for (int i = 0; i < decoded; ++i)
    {
        target[2 * i] = source[i * channels];
        target[2 * i + 1] = source[i * channels + channels - 1];
    }
    voice.blockFrames = carry + decoded;
    return true;
}

void Mixer::MixStream(Voice& voice, float* mix, int frameCount)
{
    const float gainLeft = voice.gainLeft;
    const float gainRight = voice.gainRight;

    for (int i = 0; i < frameCount; ++i)
    {
        uint64_t index = voice.position >> kFractionBits;
        while (index + 1 >= static_cast<uint64_t>(voice.blockFrames))
        {
            if (!RefillStream(voice))
            {
                voice.state = Voice::State::Stopped;
                voice.blockFrames = 0;
                voice.position = 0;
                voice.ended = true;
                return;
            }
            index = voice.position >> kFractionBits;
        }
        const float* frame = voice.block.data() + 2 * index;
        float fraction = static_cast<float>(voice.position & kFractionMask) * kFractionScale;
        float left = frame[0] + (frame[2] - frame[0]) * fraction;
        float right = frame[1] + (frame[3] - frame[1]) * fraction;
        mix[2 * i] += left * gainLeft;
        mix[2 * i + 1] += right * gainRight;
        voice.position += voice.step;
    }
}

} // namespace Vesk
