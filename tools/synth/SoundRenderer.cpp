#include "synth/SoundRenderer.h"

#include "synth/Echo.h"
#include "synth/Reverb.h"
#include "synth/SynthRandom.h"
#include "synth/VoiceRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr double kRate = AudioBuffer::kRate;
constexpr double kFadeSeconds = 0.005;

size_t Frames(double seconds)
{
    return static_cast<size_t>(std::ceil(std::max(seconds, 0.0) * kRate));
}

// Shortens the buffer to `frames`, fading the last few milliseconds so the cut does not click.
void CutWithFade(AudioBuffer& buffer, size_t frames)
{
    buffer.Resize(frames);
    const size_t fade = std::min(frames, Frames(kFadeSeconds));
    for (int c = 0; c < buffer.Channels(); ++c)
    {
        std::vector<float>& channel = buffer.Channel(c);
        for (size_t i = 0; i < fade; ++i)
            channel[frames - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
    }
}

// The frame after the last sample that is still audible next to the loudest one (-90 dB).
size_t AudibleEnd(const AudioBuffer& buffer)
{
    const float threshold = buffer.Peak() * 3.2e-5f;
    size_t end = 0;
    for (int c = 0; c < buffer.Channels(); ++c)
    {
        const std::vector<float>& channel = buffer.Channel(c);
        for (size_t i = channel.size(); i > end; --i)
        {
            if (std::fabs(channel[i - 1]) > threshold)
            {
                end = i;
                break;
            }
        }
    }
    return end;
}

} // namespace

AudioBuffer SoundRenderer::Render(const SoundRecipe& recipe)
{
    AudioBuffer buffer(recipe.channels, 0);
    for (size_t v = 0; v < recipe.voices.size(); ++v)
    {
        const RecipeVoice& voice = recipe.voices[v];
        const uint32_t seed = SynthRandom::Mix(recipe.seed * 7919u + static_cast<uint32_t>(v));
        AudioBuffer layer(1, 0);
        layer.Channel(0) = VoiceRenderer::Render(voice.voice, voice.frequency, voice.length, 1.0, seed);
        layer.Resize(layer.Frames() + Frames(Echo::TailTime(voice.echo)));
        Echo::Apply(voice.echo, layer);

        const double angle = (voice.pan + 1.0) * std::numbers::pi / 4.0;
        const float gains[2] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
        double level = 1.0;
        for (int r = 0; r < voice.repeatCount; ++r)
        {
            const size_t at = Frames(voice.start + r * voice.repeatInterval);
            for (int c = 0; c < buffer.Channels(); ++c)
            {
                const float pan = buffer.Channels() == 2 ? gains[c] : 1.0f;
                buffer.MixMono(c, layer.Channel(0), at, static_cast<float>(level) * pan);
            }
            level *= voice.repeatFactor;
        }
    }

    buffer.Resize(buffer.Frames() + Frames(Echo::TailTime(recipe.echo)));
    Echo::Apply(recipe.echo, buffer);
    buffer.Resize(buffer.Frames() + Frames(Reverb::TailTime(recipe.reverb)));
    Reverb::Apply(recipe.reverb, buffer, buffer);

    if (recipe.length > 0)
        CutWithFade(buffer, std::max<size_t>(Frames(recipe.length), 1));
    else
        CutWithFade(buffer, std::max<size_t>(AudibleEnd(buffer), 1));
    buffer.NormalizePeak(recipe.peakDb);
    return buffer;
}

} // namespace Vesk
