#include "synth/TuneRenderer.h"

#include "synth/Chorus.h"
#include "synth/Echo.h"
#include "synth/Reverb.h"
#include "synth/SynthRandom.h"
#include "synth/SynthScriptReader.h"
#include "synth/VoiceRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr double kRate = AudioBuffer::kRate;

size_t Frames(double seconds)
{
    return static_cast<size_t>(std::ceil(std::max(seconds, 0.0) * kRate));
}

double FormBeats(const TuneScore& score)
{
    double beats = 0;
    for (int section : score.form)
        beats += score.sections[static_cast<size_t>(section)].beats;
    return beats;
}

// Every note of one track through the whole form, mono.
std::vector<float> RenderTrack(const TuneScore& score, size_t trackIndex, size_t frames)
{
    const TrackSpec& track = score.tracks[trackIndex];
    const VoiceSpec& voice = score.instruments[static_cast<size_t>(track.instrument)].voice;
    const double beatSeconds = 60.0 / score.tempo;
    SynthRandom random(SynthRandom::Mix(score.seed * 31u + static_cast<uint32_t>(trackIndex)));
    std::vector<float> out(frames, 0.0f);

    double sectionStart = 0;
    for (int sectionIndex : score.form)
    {
        const Section& section = score.sections[static_cast<size_t>(sectionIndex)];
        for (const NoteEvent& event : section.events)
        {
            if (event.track != static_cast<int>(trackIndex))
                continue;
            double start = (sectionStart + event.beat) * beatSeconds;
            double velocity = event.velocity;
            if (track.humanizeTime > 0)
                start += (random.Unit() * 2.0 - 1.0) * track.humanizeTime;
            if (track.humanizeVelocity > 0)
                velocity *= 1.0 + (random.Unit() * 2.0 - 1.0) * track.humanizeVelocity;
            start = std::max(start, 0.0);
            const double held = event.beats * beatSeconds * track.gate * (event.staccato ? 0.5 : 1.0);

            std::vector<int> pitches = event.pitches;
            std::sort(pitches.begin(), pitches.end());
            for (size_t n = 0; n < pitches.size(); ++n)
            {
                const double note = pitches[n] + track.transpose;
                const double frequency = SynthScriptReader::NoteFrequency(note);
                const Sweep pitch{frequency, frequency, false, true, false};
                const double delay = static_cast<double>(n) * track.strum;
                const std::vector<float> sound =
                    VoiceRenderer::Render(voice, pitch, std::max(held - delay, 0.01), velocity, random.Next());
                const size_t at = Frames(start + delay);
                if (at >= out.size())
                    continue;
                const size_t count = std::min(sound.size(), out.size() - at);
                for (size_t i = 0; i < count; ++i)
                    out[at + i] += sound[i];
            }
        }
        sectionStart += section.beats;
    }
    return out;
}

} // namespace

double TuneRenderer::FormSeconds(const TuneScore& score)
{
    return FormBeats(score) * 60.0 / score.tempo;
}

namespace
{

// Folds a looping tune's tail onto its start, or trims a tune that ends after its tail.
void Finish(const TuneScore& score, size_t formFrames, AudioBuffer& master)
{
    if (score.loop)
    {
        // Everything after the end rings on over the start of the repeat.
        for (int c = 0; c < 2; ++c)
        {
            std::vector<float>& channel = master.Channel(c);
            for (size_t i = formFrames; i < channel.size(); ++i)
                channel[i % formFrames] += channel[i];
        }
        master.Resize(formFrames);
        return;
    }
    const float threshold = master.Peak() * 3.2e-5f;
    size_t end = formFrames;
    for (int c = 0; c < 2; ++c)
    {
        const std::vector<float>& channel = master.Channel(c);
        for (size_t i = channel.size(); i > end; --i)
        {
            if (std::fabs(channel[i - 1]) > threshold)
            {
                end = i;
                break;
            }
        }
    }
    master.Resize(end);
}

} // namespace

AudioBuffer TuneRenderer::Render(const TuneScore& score, int soloTrack)
{
    const size_t formFrames = std::max<size_t>(Frames(FormSeconds(score)), 1);
    double ring = 0;
    for (const TrackSpec& track : score.tracks)
    {
        const VoiceSpec& voice = score.instruments[static_cast<size_t>(track.instrument)].voice;
        // A note sounds for its held time and its release; humanising may move it a little later.
        ring = std::max(ring, voice.envelope.release + track.humanizeTime + Echo::TailTime(track.echo));
    }
    const size_t frames = formFrames + Frames(ring + Reverb::TailTime(score.reverb) + 0.5);

    AudioBuffer master(2, frames);
    AudioBuffer send(2, frames);
    const bool solo = soloTrack >= 0 && soloTrack < static_cast<int>(score.tracks.size());
    AudioBuffer soloMaster(solo ? 2 : 1, solo ? frames : 0);
    AudioBuffer soloSend(solo ? 2 : 1, solo ? frames : 0);
    for (size_t t = 0; t < score.tracks.size(); ++t)
    {
        const TrackSpec& track = score.tracks[t];
        const std::vector<float> mono = RenderTrack(score, t, frames);
        AudioBuffer stereo(2, 0);
        const double angle = (track.pan + 1.0) * std::numbers::pi / 4.0;
        stereo.MixMono(0, mono, 0, static_cast<float>(std::cos(angle) * track.gain));
        stereo.MixMono(1, mono, 0, static_cast<float>(std::sin(angle) * track.gain));
        Chorus::Apply(track.chorus, stereo);
        Echo::Apply(track.echo, stereo);
        for (int c = 0; c < 2; ++c)
        {
            master.MixMono(c, stereo.Channel(c), 0, 1.0f);
            send.MixMono(c, stereo.Channel(c), 0, static_cast<float>(track.reverbSend));
            if (solo && static_cast<int>(t) == soloTrack)
            {
                soloMaster.MixMono(c, stereo.Channel(c), 0, 1.0f);
                soloSend.MixMono(c, stereo.Channel(c), 0, static_cast<float>(track.reverbSend));
            }
        }
    }
    Reverb::Apply(score.reverb, send, master);
    Finish(score, formFrames, master);
    const float peak = master.Peak();
    master.NormalizePeak(score.peakDb);
    if (!solo)
        return master;

    Reverb::Apply(score.reverb, soloSend, soloMaster);
    Finish(score, formFrames, soloMaster);
    soloMaster.Resize(master.Frames());
    if (peak > 1e-9f)
        soloMaster.Scale(static_cast<float>(std::pow(10.0, score.peakDb / 20.0) / peak));
    return soloMaster;
}

} // namespace Vesk
