#pragma once

#include "synth/SynthData.h"

#include <string>
#include <vector>

namespace Vesk
{

// What the recipe and score readers share: the text split into lines of words (a '#' at the
// start of a word begins a comment; inside a word it is a sharp, as in f#4), numbers checked against their ranges, and
// the statements that describe a voice (osc, envelope, filter, vibrato, tremolo, gain) and the effects. Every error
// names the file and line: "click.recipe:4: unknown wave "sinus" (sine, square, triangle, saw, noise, pluck)".
class SynthScriptReader
{
public:
    const std::string& ErrorText() const { return errorText; }

    // The MIDI note number of a note name such as "a4", "c#5", "eb3" (octave -1..9); false when
    // the text is no note name. `defaultOctave` is used when the name has no octave (-1:
    // required); `octave` receives the octave used.
    static bool ParseNoteName(const std::string& text, int defaultOctave, int& note, int& octave);
    static double NoteFrequency(double note);

protected:
    struct Line
    {
        int number = 0;
        std::string text; // without the comment
        std::vector<std::string> words;
    };

    // Splits the text into non-empty lines. False for text that is not plain text (a NUL byte).
    bool Split(const std::string& text, const std::string& fileName);
    bool Fail(int line, const std::string& message);

    // Checks that a statement has between `minimum` and `maximum` values after its keyword.
    bool Count(const Line& line, size_t minimum, size_t maximum);
    bool Number(const Line& line, size_t index, double minimum, double maximum, double& value);
    bool Integer(const Line& line, size_t index, long minimum, long maximum, long& value);
    // A level: a plain factor ("0.5") or decibels ("-6dB").
    bool Level(const Line& line, size_t index, double maximum, double& value);

    // Reads a voice statement into `voice`. `handled` is false when the keyword is none of them.
    bool VoiceStatement(const Line& line, VoiceSpec& voice, bool& handled);
    // "<value> [-> <value>] [lin|exp]" from word `index` on: frequencies (numbers in Hz or note
    // names) or filter cutoffs (Hz, or multiples of the voice's pitch written "3x").
    bool ReadSweep(const Line& line, size_t& index, bool cutoff, Sweep& sweep);
    bool ReadEcho(const Line& line, EchoSpec& echo);
    bool ReadReverb(const Line& line, ReverbSpec& reverb);
    bool ReadChorus(const Line& line, ChorusSpec& chorus);

    std::string fileName;
    std::vector<Line> lines;
    std::string errorText;

private:
    bool ReadOscillator(const Line& line, OscillatorSpec& oscillator);
    bool ReadFilter(const Line& line, FilterSpec& filter);
    bool SweepValue(const Line& line, size_t index, bool cutoff, double& value, bool& relative);
};

} // namespace Vesk
