#include "synth/SynthScriptReader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace Vesk
{

namespace
{

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ParseReal(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    const char first = text[0];
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '+' || first == '.'))
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

std::string Show(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

bool SynthScriptReader::ParseNoteName(const std::string& text, int defaultOctave, int& note, int& octave)
{
    static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    if (text.empty())
        return false;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    if (letter < 'a' || letter > 'g')
        return false;
    int step = kSteps[letter - 'a'];
    size_t i = 1;
    if (i < text.size() && text[i] == '#')
    {
        ++step;
        ++i;
    }
    else if (i < text.size() && text[i] == 'b')
    {
        // "b" after the letter is a flat ("bb3" is b flat 3; "b3" is the note b).
        --step;
        ++i;
    }
    if (i == text.size())
    {
        if (defaultOctave < -1)
            return false;
        octave = defaultOctave;
    }
    else
    {
        const std::string rest = text.substr(i);
        if (rest == "-1")
            octave = -1;
        else if (rest.size() == 1 && std::isdigit(static_cast<unsigned char>(rest[0])))
            octave = rest[0] - '0';
        else
            return false;
    }
    note = 12 * (octave + 1) + step;
    return note >= 0 && note <= 127;
}

double SynthScriptReader::NoteFrequency(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

bool SynthScriptReader::Split(const std::string& text, const std::string& fileName)
{
    this->fileName = fileName;
    lines.clear();
    errorText.clear();
    if (text.find('\0') != std::string::npos)
        return Fail(0, "not a text file");
    std::istringstream stream(text);
    std::string raw;
    int number = 0;
    while (std::getline(stream, raw))
    {
        ++number;
        Line line;
        line.number = number;
        // A comment starts at a '#' that begins a word (a '#' inside a word is a sharp: f#4).
        size_t comment = 0;
        while ((comment = raw.find('#', comment)) != std::string::npos && comment > 0 &&
               !std::isspace(static_cast<unsigned char>(raw[comment - 1])))
            ++comment;
        line.text = raw.substr(0, comment);
        std::istringstream words(line.text);
        std::string word;
        while (words >> word)
            line.words.push_back(word);
        if (!line.words.empty())
            lines.push_back(std::move(line));
    }
    return true;
}

bool SynthScriptReader::Fail(int line, const std::string& message)
{
    if (errorText.empty())
        errorText = line > 0 ? fileName + ":" + std::to_string(line) + ": " + message : fileName + ": " + message;
    return false;
}

bool SynthScriptReader::Count(const Line& line, size_t minimum, size_t maximum)
{
    const size_t values = line.words.size() - 1;
    if (values >= minimum && values <= maximum)
        return true;
    std::string expected =
        minimum == maximum ? std::to_string(minimum) : std::to_string(minimum) + " to " + std::to_string(maximum);
    return Fail(line.number, "\"" + line.words[0] + "\" takes " + expected + " value" + (maximum == 1 ? "" : "s") +
                                 ", not " + std::to_string(values));
}

bool SynthScriptReader::Number(const Line& line, size_t index, double minimum, double maximum, double& value)
{
    if (index >= line.words.size())
        return Fail(line.number, "\"" + line.words[0] + "\" is missing a value");
    if (!ParseReal(line.words[index], value))
        return Fail(line.number, "\"" + line.words[index] + "\" is not a number");
    if (value < minimum || value > maximum)
        return Fail(line.number, "\"" + line.words[0] + "\": " + line.words[index] + " is out of range (" +
                                     Show(minimum) + " to " + Show(maximum) + ")");
    return true;
}

bool SynthScriptReader::Integer(const Line& line, size_t index, long minimum, long maximum, long& value)
{
    double real = 0;
    if (!Number(line, index, static_cast<double>(minimum), static_cast<double>(maximum), real))
        return false;
    if (real != std::floor(real))
        return Fail(line.number, "\"" + line.words[0] + "\": " + line.words[index] + " is not a whole number");
    value = static_cast<long>(real);
    return true;
}

bool SynthScriptReader::Level(const Line& line, size_t index, double maximum, double& value)
{
    if (index >= line.words.size())
        return Fail(line.number, "\"" + line.words[0] + "\" is missing a value");
    std::string word = line.words[index];
    if (word.size() > 2 && Lower(word.substr(word.size() - 2)) == "db")
    {
        double decibels = 0;
        if (!ParseReal(word.substr(0, word.size() - 2), decibels))
            return Fail(line.number, "\"" + word + "\" is not a level in decibels");
        value = decibels < -120 ? 0.0 : std::pow(10.0, decibels / 20.0);
    }
    else if (!ParseReal(word, value))
        return Fail(line.number, "\"" + word + "\" is not a level (a factor such as 0.5, or decibels such as -6dB)");
    if (value < 0 || value > maximum)
        return Fail(line.number,
                    "\"" + line.words[0] + "\": " + word + " is out of range (0 to " + Show(maximum) + ")");
    return true;
}

bool SynthScriptReader::SweepValue(const Line& line, size_t index, bool cutoff, double& value, bool& relative)
{
    if (index >= line.words.size())
        return Fail(line.number, "\"" + line.words[0] + "\" is missing a value");
    const std::string& word = line.words[index];
    relative = false;
    int note = 0;
    int octave = 0;
    if (!cutoff && ParseNoteName(word, -2, note, octave))
    {
        value = NoteFrequency(note);
        return true;
    }
    if (cutoff && word.size() > 1 && (word.back() == 'x' || word.back() == 'X'))
    {
        if (!ParseReal(word.substr(0, word.size() - 1), value) || value < 0.1 || value > 64)
            return Fail(line.number, "\"" + word + "\": a cutoff relative to the pitch lies between 0.1x and 64x");
        relative = true;
        return true;
    }
    if (!ParseReal(word, value))
        return Fail(line.number, "\"" + word + "\" is not a frequency" +
                                     std::string(cutoff ? " (Hz, or a multiple of the pitch such as 3x)"
                                                        : " (Hz, or a note such as a4)"));
    const double low = cutoff ? 10.0 : 1.0;
    if (value < low || value > 20000)
        return Fail(line.number, "\"" + word + "\" is out of range (" + Show(low) + " to 20000 Hz)");
    return true;
}

bool SynthScriptReader::ReadSweep(const Line& line, size_t& index, bool cutoff, Sweep& sweep)
{
    sweep = Sweep();
    if (!SweepValue(line, index, cutoff, sweep.from, sweep.relative))
        return false;
    sweep.to = sweep.from;
    ++index;
    if (index < line.words.size() && line.words[index] == "->")
    {
        bool relative = false;
        if (!SweepValue(line, index + 1, cutoff, sweep.to, relative))
            return false;
        if (relative != sweep.relative)
            return Fail(line.number, "a sweep goes from Hz to Hz or from a multiple to a multiple of the pitch");
        sweep.sweeping = true;
        index += 2;
        if (index < line.words.size() && (line.words[index] == "lin" || line.words[index] == "exp"))
        {
            sweep.exponential = line.words[index] == "exp";
            ++index;
        }
    }
    return true;
}

bool SynthScriptReader::ReadOscillator(const Line& line, OscillatorSpec& oscillator)
{
    if (line.words.size() < 2)
        return Fail(line.number, "\"osc\" needs a wave (sine, square, triangle, saw, noise, pluck)");
    static const std::pair<const char*, Waveform> kWaves[] = {
        {"sine", Waveform::Sine}, {"square", Waveform::Square}, {"triangle", Waveform::Triangle},
        {"saw", Waveform::Saw},   {"noise", Waveform::Noise},   {"pluck", Waveform::Pluck}};
    bool known = false;
    for (const auto& [name, wave] : kWaves)
    {
        if (line.words[1] == name)
        {
            oscillator.wave = wave;
            known = true;
        }
    }
    if (!known)
        return Fail(line.number, "unknown wave \"" + line.words[1] + "\" (sine, square, triangle, saw, noise, pluck)");
    size_t i = 2;
    double unused = 0;
    const bool levelGiven =
        i < line.words.size() &&
        (ParseReal(line.words[i], unused) ||
         (line.words[i].size() > 2 && Lower(line.words[i].substr(line.words[i].size() - 2)) == "db"));
    if (levelGiven)
    {
        if (!Level(line, i, 10.0, oscillator.level))
            return false;
        ++i;
    }
    for (; i < line.words.size(); i += 2)
    {
        const std::string& option = line.words[i];
        if (i + 1 >= line.words.size())
            return Fail(line.number, "\"osc\": \"" + option + "\" is missing its value");
        bool ok = true;
        if (option == "ratio")
            ok = Number(line, i + 1, 0.01, 32, oscillator.ratio);
        else if (option == "detune")
            ok = Number(line, i + 1, -1200, 1200, oscillator.detune);
        else if (option == "duty")
            ok = Number(line, i + 1, 0.01, 0.99, oscillator.duty);
        else if (option == "decay")
            ok = Number(line, i + 1, 0.01, 30, oscillator.decay);
        else if (option == "bright")
            ok = Number(line, i + 1, 0, 1, oscillator.bright);
        else
            return Fail(line.number, "\"osc\": unknown option \"" + option + "\" (ratio, detune, duty, decay, bright)");
        if (!ok)
            return false;
    }
    return true;
}

bool SynthScriptReader::ReadFilter(const Line& line, FilterSpec& filter)
{
    if (line.words.size() < 3)
        return Fail(line.number, "\"filter\" needs a kind (lowpass, highpass, bandpass) and a cutoff");
    const std::string& kind = line.words[1];
    if (kind == "lowpass")
        filter.type = FilterType::Lowpass;
    else if (kind == "highpass")
        filter.type = FilterType::Highpass;
    else if (kind == "bandpass")
        filter.type = FilterType::Bandpass;
    else
        return Fail(line.number, "unknown filter \"" + kind + "\" (lowpass, highpass, bandpass)");
    size_t i = 2;
    if (!ReadSweep(line, i, true, filter.cutoff))
        return false;
    if (i < line.words.size())
    {
        if (line.words[i] != "q" || i + 2 != line.words.size())
            return Fail(line.number,
                        "\"filter\": unexpected \"" + line.words[i] + "\" (only \"q <value>\" may follow)");
        if (!Number(line, i + 1, 0.1, 30, filter.q))
            return false;
    }
    return true;
}

bool SynthScriptReader::VoiceStatement(const Line& line, VoiceSpec& voice, bool& handled)
{
    handled = true;
    const std::string& keyword = line.words[0];
    if (keyword == "osc")
    {
        OscillatorSpec oscillator;
        if (!ReadOscillator(line, oscillator))
            return false;
        voice.oscillators.push_back(oscillator);
        return true;
    }
    if (keyword == "envelope")
    {
        EnvelopeSpec& e = voice.envelope;
        return Count(line, 4, 4) && Number(line, 1, 0, 30, e.attack) && Number(line, 2, 0, 30, e.decay) &&
               Number(line, 3, 0, 1, e.sustain) && Number(line, 4, 0, 30, e.release);
    }
    if (keyword == "filter")
        return ReadFilter(line, voice.filter);
    if (keyword == "vibrato")
        return Count(line, 2, 3) && Number(line, 1, 0, 30, voice.vibratoRate) &&
               Number(line, 2, 0, 12, voice.vibratoDepth) &&
               (line.words.size() < 4 || Number(line, 3, 0, 30, voice.vibratoDelay));
    if (keyword == "tremolo")
        return Count(line, 2, 2) && Number(line, 1, 0, 50, voice.tremoloRate) &&
               Number(line, 2, 0, 1, voice.tremoloDepth);
    if (keyword == "gain")
        return Count(line, 1, 1) && Level(line, 1, 10.0, voice.gain);
    handled = false;
    return true;
}

bool SynthScriptReader::ReadEcho(const Line& line, EchoSpec& echo)
{
    return Count(line, 3, 3) && Number(line, 1, 0.001, 5, echo.delay) && Number(line, 2, 0, 0.95, echo.feedback) &&
           Number(line, 3, 0, 1, echo.mix);
}

bool SynthScriptReader::ReadReverb(const Line& line, ReverbSpec& reverb)
{
    return Count(line, 1, 3) && Number(line, 1, 0, 1, reverb.mix) &&
           (line.words.size() < 3 || Number(line, 2, 0, 1, reverb.size)) &&
           (line.words.size() < 4 || Number(line, 3, 0, 1, reverb.damp));
}

bool SynthScriptReader::ReadChorus(const Line& line, ChorusSpec& chorus)
{
    return Count(line, 1, 3) && Number(line, 1, 0, 1, chorus.mix) &&
           (line.words.size() < 3 || Number(line, 2, 0.1, 20, chorus.depth)) &&
           (line.words.size() < 4 || Number(line, 3, 0.01, 10, chorus.rate));
}

} // namespace Vesk
