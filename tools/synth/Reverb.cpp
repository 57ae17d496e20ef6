#include "synth/Reverb.h"

#include "synth/AudioBuffer.h"

#include <array>
#include <cmath>
#include <vector>

namespace Vesk
{

namespace
{

constexpr std::array<int, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpassLengths = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kInputGain = 0.015f;
constexpr float kAllpassFeedback = 0.5f;

struct Comb
{
    std::vector<float> line;
    size_t position = 0;
    float store = 0.0f;

    float Process(float input, float feedback, float damp)
    {
        const float output = line[position];
        store = output * (1.0f - damp) + store * damp;
        line[position] = input + store * feedback;
        position = position + 1 == line.size() ? 0 : position + 1;
        return output;
    }
};

struct Allpass
{
    std::vector<float> line;
    size_t position = 0;

    float Process(float input)
    {
        const float delayed = line[position];
        line[position] = input + delayed * kAllpassFeedback;
        position = position + 1 == line.size() ? 0 : position + 1;
        return delayed - input;
    }
};

float Feedback(const ReverbSpec& spec)
{
    return static_cast<float>(0.7 + 0.28 * spec.size);
}

} // namespace

double Reverb::TailTime(const ReverbSpec& spec)
{
    if (spec.mix <= 0)
        return 0.0;
    // Each pass through the longest comb loses (feedback) of its level: -60 dB after n passes.
    const double passes = std::log(0.001) / std::log(static_cast<double>(Feedback(spec)));
    return passes * (kCombLengths.back() + kStereoSpread) / static_cast<double>(AudioBuffer::kRate) + 0.1;
}

void Reverb::Apply(const ReverbSpec& spec, const AudioBuffer& input, AudioBuffer& output)
{
    if (spec.mix <= 0)
        return;
    const int channels = output.Channels();
    const size_t frames = std::min(input.Frames(), output.Frames());
    const float feedback = Feedback(spec);
    const float damp = static_cast<float>(spec.damp * 0.4);
    const float wet = static_cast<float>(spec.mix) * 3.0f; // the filters' output is quiet

    // The summed input, computed first so that `output` may be `input`.
    std::vector<float> mono(frames, 0.0f);
    for (int c = 0; c < input.Channels(); ++c)
    {
        const std::vector<float>& channel = input.Channel(c);
        for (size_t i = 0; i < frames; ++i)
            mono[i] += channel[i];
    }
    const float inputGain = kInputGain * (input.Channels() == 1 ? 2.0f : 1.0f);

    for (int c = 0; c < channels; ++c)
    {
        const int spread = channels == 2 && c == 1 ? kStereoSpread : 0;
        std::array<Comb, kCombLengths.size()> combs;
        std::array<Allpass, kAllpassLengths.size()> allpasses;
        for (size_t k = 0; k < combs.size(); ++k)
            combs[k].line.assign(static_cast<size_t>(kCombLengths[k] + spread), 0.0f);
        for (size_t k = 0; k < allpasses.size(); ++k)
            allpasses[k].line.assign(static_cast<size_t>(kAllpassLengths[k] + spread), 0.0f);

        std::vector<float>& target = output.Channel(c);
        for (size_t i = 0; i < frames; ++i)
        {
            const float in = mono[i] * inputGain;
            float sum = 0.0f;
            for (Comb& comb : combs)
                sum += comb.Process(in, feedback, damp);
            for (Allpass& allpass : allpasses)
                sum = allpass.Process(sum);
            target[i] += sum * wet;
        }
    }
}

} // namespace Vesk
