#include "synth/RecipeReader.h"

namespace Vesk
{

namespace
{

constexpr double kMaxSeconds = 300.0;

} // namespace

bool RecipeReader::Read(const std::string& text, const std::string& fileName, SoundRecipe& recipe)
{
    recipe = SoundRecipe();
    if (!Split(text, fileName))
        return false;
    for (const Line& line : lines)
    {
        if (line.words[0] == "voice")
        {
            if (!Count(line, 0, 1))
                return false;
            recipe.voices.emplace_back();
            recipe.voices.back().line = line.number;
        }
        else if (recipe.voices.empty())
        {
            if (!SoundStatement(line, recipe))
                return false;
        }
        else if (!VoiceLine(line, recipe.voices.back()))
            return false;
    }
    if (recipe.voices.empty())
        return Fail(0, "the recipe has no voice");
    for (RecipeVoice& voice : recipe.voices)
    {
        if (voice.voice.oscillators.empty())
            return Fail(voice.line, "the voice has no \"osc\"");
        const double end =
            voice.start + (voice.repeatCount - 1) * voice.repeatInterval + voice.length + voice.voice.envelope.release;
        if (end > kMaxSeconds)
            return Fail(voice.line, "the voice sounds until " + std::to_string(static_cast<int>(end)) +
                                        " s; a sound lasts at most " + std::to_string(static_cast<int>(kMaxSeconds)) +
                                        " s");
    }
    return true;
}

bool RecipeReader::SoundStatement(const Line& line, SoundRecipe& recipe)
{
    const std::string& keyword = line.words[0];
    if (keyword == "channels")
    {
        long channels = 0;
        if (!Count(line, 1, 1) || !Integer(line, 1, 1, 2, channels))
            return false;
        recipe.channels = static_cast<int>(channels);
        return true;
    }
    if (keyword == "peak")
        return Count(line, 1, 1) && Number(line, 1, -60, 0, recipe.peakDb);
    if (keyword == "length")
        return Count(line, 1, 1) && Number(line, 1, 0.001, 600, recipe.length);
    if (keyword == "seed")
    {
        long seed = 0;
        if (!Count(line, 1, 1) || !Integer(line, 1, 0, 4294967295L, seed))
            return false;
        recipe.seed = static_cast<uint32_t>(seed);
        return true;
    }
    if (keyword == "quality")
        return Count(line, 1, 1) && Number(line, 1, -0.1, 1, recipe.quality);
    if (keyword == "echo")
        return ReadEcho(line, recipe.echo);
    if (keyword == "reverb")
        return ReadReverb(line, recipe.reverb);
    return Fail(line.number,
                "unknown statement \"" + keyword +
                    "\" before the first voice (channels, peak, length, seed, quality, echo, reverb, voice)");
}

bool RecipeReader::VoiceLine(const Line& line, RecipeVoice& voice)
{
    bool handled = false;
    if (!VoiceStatement(line, voice.voice, handled))
        return false;
    if (handled)
        return true;
    const std::string& keyword = line.words[0];
    if (keyword == "freq")
    {
        size_t index = 1;
        if (!ReadSweep(line, index, false, voice.frequency))
            return false;
        if (index != line.words.size())
            return Fail(line.number, "\"freq\": unexpected \"" + line.words[index] + "\"");
        return true;
    }
    if (keyword == "start")
        return Count(line, 1, 1) && Number(line, 1, 0, 600, voice.start);
    if (keyword == "length")
        return Count(line, 1, 1) && Number(line, 1, 0.001, 600, voice.length);
    if (keyword == "pan")
        return Count(line, 1, 1) && Number(line, 1, -1, 1, voice.pan);
    if (keyword == "echo")
        return ReadEcho(line, voice.echo);
    if (keyword == "repeat")
    {
        long count = 0;
        if (!Count(line, 2, 3) || !Integer(line, 1, 1, 64, count) || !Number(line, 2, 0.001, 10, voice.repeatInterval))
            return false;
        voice.repeatCount = static_cast<int>(count);
        return line.words.size() < 4 || Number(line, 3, 0, 1, voice.repeatFactor);
    }
    return Fail(line.number, "unknown statement \"" + keyword +
                                 "\" in a voice (osc, freq, start, length, envelope, filter, vibrato, tremolo, gain, "
                                 "pan, echo, repeat)");
}

} // namespace Vesk
