#include "synth/Chorus.h"

#include "synth/AudioBuffer.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace Vesk
{

void Chorus::Apply(const ChorusSpec& spec, AudioBuffer& buffer)
{
    if (spec.mix <= 0)
        return;
    constexpr double kRate = AudioBuffer::kRate;
    constexpr double kBaseDelay = 0.012; // seconds
    const double depth = spec.depth / 1000.0;
    for (int c = 0; c < buffer.Channels(); ++c)
    {
        std::vector<float>& channel = buffer.Channel(c);
        const std::vector<float> dry = channel;
        const double phase = c == 1 ? std::numbers::pi : 0.0;
        for (size_t i = 0; i < dry.size(); ++i)
        {
            const double t = static_cast<double>(i) / kRate;
            const double delay =
                (kBaseDelay + depth * 0.5 * (1.0 + std::sin(2.0 * std::numbers::pi * spec.rate * t + phase))) * kRate;
            // Before the start of the part the delayed copy hears silence; the dry signal is
            // weighed the same from the first sample on, so the level does not step once the
            // delay has filled (a looping tune's opening would click there).
            const double position = static_cast<double>(i) - delay;
            double delayed = 0.0;
            if (position >= 0)
            {
                const size_t index = static_cast<size_t>(position);
                const double fraction = position - static_cast<double>(index);
                const double next = index + 1 < dry.size() ? dry[index + 1] : 0.0;
                delayed = dry[index] * (1.0 - fraction) + next * fraction;
            }
            channel[i] = static_cast<float>(dry[i] * (1.0 - 0.5 * spec.mix) + delayed * spec.mix);
        }
    }
}

} // namespace Vesk
