#include "synth/VoiceRenderer.h"

#include "synth/AudioBuffer.h"
#include "synth/SynthRandom.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kRate = AudioBuffer::kRate;
// Exponential segments fall to 1% (-40 dB) over their written time.
constexpr double kFall = 4.605170185988091;
constexpr int kFilterUpdate = 16; // samples between recomputed filter coefficients

double SweepAt(const Sweep& sweep, double progress)
{
    if (!sweep.sweeping)
        return sweep.from;
    if (sweep.exponential && sweep.from > 0 && sweep.to > 0)
        return sweep.from * std::pow(sweep.to / sweep.from, progress);
    return sweep.from + (sweep.to - sweep.from) * progress;
}

// Removes the step of a naive waveform's jump at phase 0 (polynomial band-limited step).
double PolyBlep(double phase, double step)
{
    if (phase < step)
    {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step)
    {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// A two-pole filter (the usual audio cookbook forms), transposed direct form II.
struct Biquad
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;

    void Set(FilterType type, double cutoff, double q)
    {
        cutoff = std::clamp(cutoff, 10.0, kRate * 0.45);
        const double w = kTwoPi * cutoff / kRate;
        const double cosw = std::cos(w);
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        double n0 = 0, n1 = 0, n2 = 0;
        switch (type)
        {
        case FilterType::Lowpass:
            n0 = (1.0 - cosw) / 2.0;
            n1 = 1.0 - cosw;
            n2 = n0;
            break;
        case FilterType::Highpass:
            n0 = (1.0 + cosw) / 2.0;
            n1 = -(1.0 + cosw);
            n2 = n0;
            break;
        case FilterType::Bandpass:
            n0 = alpha;
            n1 = 0.0;
            n2 = -alpha;
            break;
        case FilterType::None:
            n0 = a0;
            break;
        }
        b0 = n0 / a0;
        b1 = n1 / a0;
        b2 = n2 / a0;
        a1 = -2.0 * cosw / a0;
        a2 = (1.0 - alpha) / a0;
    }

    double Process(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// A plucked string: a burst of filtered noise circulating in a delay loop tuned to the pitch,
// losing its highs and its energy a little on every pass.
struct PluckString
{
    std::vector<double> line;
    size_t position = 0;
    double previous = 0;
    double allpassCoefficient = 0;
    double allpassIn = 0;
    double allpassOut = 0;
    double loopGain = 1;

    PluckString(double frequency, const OscillatorSpec& spec, SynthRandom& random)
    {
        frequency = std::clamp(frequency, 20.0, kRate / 4.0);
        // The averaging filter delays by half a sample; a one-pole allpass tunes the fraction.
        const double delay = kRate / frequency - 0.5;
        size_t length = static_cast<size_t>(std::floor(delay));
        double fraction = delay - static_cast<double>(length);
        if (fraction < 0.1 && length > 2)
        {
            --length;
            fraction += 1.0;
        }
        length = std::max<size_t>(length, 2);
        allpassCoefficient = (1.0 - fraction) / (1.0 + fraction);
        loopGain = std::pow(10.0, -3.0 / (frequency * spec.decay));

        line.resize(length);
        const double smoothing = 0.04 + 0.96 * spec.bright * spec.bright;
        double state = 0;
        double mean = 0;
        for (double& sample : line)
        {
            state += smoothing * (random.Bipolar() - state);
            sample = state;
            mean += state;
        }
        mean /= static_cast<double>(length);
        double peak = 1e-9;
        for (double& sample : line)
        {
            sample -= mean;
            peak = std::max(peak, std::fabs(sample));
        }
        for (double& sample : line)
            sample /= peak;
    }

    double Next()
    {
        const double oldest = line[position];
        const double averaged = 0.5 * (oldest + previous);
        previous = oldest;
        const double tuned = allpassCoefficient * averaged + allpassIn - allpassCoefficient * allpassOut;
        allpassIn = averaged;
        allpassOut = tuned;
        line[position] = tuned * loopGain;
        position = position + 1 == line.size() ? 0 : position + 1;
        return oldest;
    }
};

double EnvelopeLevel(const EnvelopeSpec& e, double t)
{
    if (t < e.attack)
        return t / e.attack;
    if (e.decay <= 0)
        return e.sustain;
    return e.sustain + (1.0 - e.sustain) * std::exp(-kFall * (t - e.attack) / e.decay);
}

} // namespace

double VoiceRenderer::SoundingTime(const VoiceSpec& voice, double held)
{
    const EnvelopeSpec& e = voice.envelope;
    if (e.sustain <= 0 && e.decay > 0)
        held = std::min(held, e.attack + 2.0 * e.decay); // below -80 dB from here on
    return held + e.release;
}

std::vector<float> VoiceRenderer::Render(const VoiceSpec& voice, const Sweep& frequency, double held, double level,
                                         uint32_t seed)
{
    const double sounding = SoundingTime(voice, held);
    held = std::min(held, sounding);
    const size_t frames = static_cast<size_t>(std::ceil(sounding * kRate));
    const size_t heldFrames = static_cast<size_t>(std::ceil(held * kRate));
    std::vector<float> out(frames, 0.0f);

    SynthRandom random(seed);
    const size_t count = voice.oscillators.size();
    std::vector<double> phases(count, 0.0);
    std::vector<double> factors(count, 1.0);
    std::vector<PluckString> strings;
    std::vector<int> stringOf(count, -1);
    for (size_t o = 0; o < count; ++o)
    {
        const OscillatorSpec& spec = voice.oscillators[o];
        factors[o] = spec.ratio * std::pow(2.0, spec.detune / 1200.0);
        if (spec.wave == Waveform::Saw)
            phases[o] = 0.5; // starts at zero
        if (spec.wave == Waveform::Pluck)
        {
            stringOf[o] = static_cast<int>(strings.size());
            strings.emplace_back(frequency.from * factors[o], spec, random);
        }
    }

    Biquad filter;
    const FilterSpec& filterSpec = voice.filter;
    const double releaseTime = voice.envelope.release;
    double releaseFrom = -1.0;

    for (size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const double progress = held > 0 ? std::min(t / held, 1.0) : 1.0;
        double pitch = SweepAt(frequency, progress);
        if (voice.vibratoDepth > 0 && voice.vibratoRate > 0)
        {
            const double grow = voice.vibratoDelay > 0 ? std::min(1.0, t / voice.vibratoDelay) : 1.0;
            pitch *= std::pow(2.0, voice.vibratoDepth * grow * std::sin(kTwoPi * voice.vibratoRate * t) / 12.0);
        }

        double sample = 0.0;
        for (size_t o = 0; o < count; ++o)
        {
            const OscillatorSpec& spec = voice.oscillators[o];
            const double step = std::min(pitch * factors[o] / kRate, 0.49);
            double& phase = phases[o];
            double value = 0.0;
            switch (spec.wave)
            {
            case Waveform::Sine:
                value = std::sin(kTwoPi * phase);
                break;
            case Waveform::Triangle:
                value = phase < 0.25 ? 4.0 * phase : phase < 0.75 ? 2.0 - 4.0 * phase : 4.0 * phase - 4.0;
                break;
            case Waveform::Saw:
                value = 2.0 * phase - 1.0 - PolyBlep(phase, step);
                break;
            case Waveform::Square:
            {
                value = phase < spec.duty ? 1.0 : -1.0;
                double falling = phase + 1.0 - spec.duty;
                falling -= std::floor(falling);
                value += PolyBlep(phase, step) - PolyBlep(falling, step);
                break;
            }
            case Waveform::Noise:
                value = random.Bipolar();
                break;
            case Waveform::Pluck:
                value = strings[static_cast<size_t>(stringOf[o])].Next();
                break;
            }
            phase += step;
            phase -= std::floor(phase);
            sample += value * spec.level;
        }

        if (filterSpec.type != FilterType::None && i % kFilterUpdate == 0)
        {
            double cutoff = SweepAt(filterSpec.cutoff, progress);
            if (filterSpec.cutoff.relative)
                cutoff *= SweepAt(frequency, progress);
            filter.Set(filterSpec.type, cutoff, filterSpec.q);
        }
        if (filterSpec.type != FilterType::None)
            sample = filter.Process(sample);

        double envelope = 0.0;
        if (i < heldFrames)
            envelope = EnvelopeLevel(voice.envelope, t);
        else
        {
            if (releaseFrom < 0)
                releaseFrom = EnvelopeLevel(voice.envelope, held);
            const double x = releaseTime > 0 ? (t - held) / releaseTime : 1.0;
            envelope = x >= 1.0 ? 0.0 : releaseFrom * (std::exp(-kFall * x) - 0.01 * x);
        }
        if (voice.tremoloDepth > 0)
            envelope *= 1.0 - voice.tremoloDepth * (0.5 - 0.5 * std::cos(kTwoPi * voice.tremoloRate * t));

        out[i] = static_cast<float>(sample * envelope * level * voice.gain);
    }
    return out;
}

} // namespace Vesk
