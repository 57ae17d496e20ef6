// Reading sound recipes and tune scores: what they hold, and errors that name file and line.
#include "synth/RecipeReader.h"
#include "synth/ScoreReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

std::string RecipeError(const std::string& text)
{
    RecipeReader reader;
    SoundRecipe recipe;
    EXPECT_FALSE(reader.Read(text, "test.recipe", recipe)) << text;
    return reader.ErrorText();
}

std::string ScoreError(const std::string& text)
{
    ScoreReader reader;
    TuneScore score;
    EXPECT_FALSE(reader.Read(text, "test.score", score)) << text;
    return reader.ErrorText();
}

TEST(SynthReaderTest, RecipeHoldsItsSoundAndVoices)
{
    const std::string text = "# a test sound\n"
                             "channels 2\n"
                             "peak -6\n"
                             "seed 42   # comment after a statement\n"
                             "echo 0.1 0.4 0.3\n"
                             "reverb 0.2\n"
                             "\n"
                             "voice\n"
                             "osc square 0.5 duty 0.25 detune -10\n"
                             "osc pluck -6dB decay 2 bright 0.8\n"
                             "freq 880 -> a3 lin\n"
                             "length 0.3\n"
                             "envelope 0.01 0.1 0.5 0.2\n"
                             "filter lowpass 3x -> 1.5x q 2\n"
                             "repeat 3 0.1 0.5\n"
                             "pan -0.5\n"
                             "voice\n"
                             "osc noise\n"
                             "start 0.25\n";
    RecipeReader reader;
    SoundRecipe recipe;
    ASSERT_TRUE(reader.Read(text, "test.recipe", recipe)) << reader.ErrorText();
    EXPECT_EQ(recipe.channels, 2);
    EXPECT_EQ(recipe.peakDb, -6);
    EXPECT_EQ(recipe.seed, 42u);
    EXPECT_EQ(recipe.echo.delay, 0.1);
    EXPECT_EQ(recipe.reverb.mix, 0.2);
    EXPECT_EQ(recipe.reverb.size, 0.5); // default
    ASSERT_EQ(recipe.voices.size(), 2u);

    const RecipeVoice& first = recipe.voices[0];
    ASSERT_EQ(first.voice.oscillators.size(), 2u);
    EXPECT_EQ(first.voice.oscillators[0].wave, Waveform::Square);
    EXPECT_EQ(first.voice.oscillators[0].level, 0.5);
    EXPECT_EQ(first.voice.oscillators[0].duty, 0.25);
    EXPECT_EQ(first.voice.oscillators[0].detune, -10);
    EXPECT_EQ(first.voice.oscillators[1].wave, Waveform::Pluck);
    EXPECT_NEAR(first.voice.oscillators[1].level, 0.501, 0.001);
    EXPECT_EQ(first.voice.oscillators[1].bright, 0.8);
    EXPECT_TRUE(first.frequency.sweeping);
    EXPECT_FALSE(first.frequency.exponential);
    EXPECT_EQ(first.frequency.from, 880);
    EXPECT_NEAR(first.frequency.to, 220, 1e-9);
    EXPECT_EQ(first.length, 0.3);
    EXPECT_EQ(first.voice.envelope.sustain, 0.5);
    EXPECT_EQ(first.voice.filter.type, FilterType::Lowpass);
    EXPECT_TRUE(first.voice.filter.cutoff.relative);
    EXPECT_EQ(first.voice.filter.cutoff.to, 1.5);
    EXPECT_EQ(first.voice.filter.q, 2);
    EXPECT_EQ(first.repeatCount, 3);
    EXPECT_EQ(first.repeatFactor, 0.5);
    EXPECT_EQ(first.pan, -0.5);

    const RecipeVoice& second = recipe.voices[1];
    EXPECT_EQ(second.voice.oscillators[0].wave, Waveform::Noise);
    EXPECT_EQ(second.voice.oscillators[0].level, 1.0);
    EXPECT_EQ(second.start, 0.25);
    EXPECT_EQ(second.line, 17);
}

TEST(SynthReaderTest, RecipeErrorsNameFileAndLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"voice\nosc sinus\n", "test.recipe:2: unknown wave \"sinus\" (sine, square, triangle, saw, noise, pluck)"},
        {"peak 3\nvoice\nosc sine\n", "test.recipe:1: \"peak\": 3 is out of range (-60 to 0)"},
        {"channels 3\nvoice\nosc sine\n", "test.recipe:1: \"channels\": 3 is out of range (1 to 2)"},
        {"channels 1.5\nvoice\nosc sine\n", "test.recipe:1: \"channels\": 1.5 is not a whole number"},
        {"voice\nosc sine\nfreq loud\n", "test.recipe:3: \"loud\" is not a frequency (Hz, or a note such as a4)"},
        {"voice\nosc sine\nlength\n", "test.recipe:3: \"length\" takes 1 value, not 0"},
        {"voice\nosc sine\nenvelope 0 0 2 0\n", "test.recipe:3: \"envelope\": 2 is out of range (0 to 1)"},
        {"voice\nosc sine\nfilter notch 100\n",
         "test.recipe:3: unknown filter \"notch\" (lowpass, highpass, bandpass)"},
        {"voice\nosc sine\nfilter lowpass 100 -> 2x\n",
         "test.recipe:3: a sweep goes from Hz to Hz or from a multiple to a multiple of the pitch"},
        {"voice\nosc sine\ngain 2x\n",
         "test.recipe:3: \"2x\" is not a level (a factor such as 0.5, or decibels such as -6dB)"},
        {"voice\nosc sine ratio\n", "test.recipe:2: \"osc\": \"ratio\" is missing its value"},
        {"voice\nosc sine speed 2\n",
         "test.recipe:2: \"osc\": unknown option \"speed\" (ratio, detune, duty, decay, bright)"},
        {"pan 0.5\nvoice\nosc sine\n", "test.recipe:1: unknown statement \"pan\" before the first voice"},
        {"voice\nosc sine\nwobble 3\n", "test.recipe:3: unknown statement \"wobble\" in a voice"},
        {"voice\n\n# nothing\nfreq 100\n", "test.recipe:1: the voice has no \"osc\""},
        {"channels 1\n", "test.recipe: the recipe has no voice"},
        {"voice\nosc sine\nfreq nan\n", "test.recipe:3: \"nan\" is not a frequency"},
        {"voice\nosc sine\nstart 1e400\n", "test.recipe:3: \"1e400\" is not a number"},
        {std::string("voice\nosc sine\0\n", 16), "test.recipe: not a text file"},
        {"voice\nosc sine\n\nvoice\nosc sine\nstart 500\nlength 100\n",
         "test.recipe:4: the voice sounds until 600 s; a sound lasts at most 300 s"},
        {"voice\nosc sine\nrepeat 64 10\n", "test.recipe:1: the voice sounds until 630 s"},
    };
    for (const auto& [text, expected] : cases)
    {
        const std::string error = RecipeError(text);
        EXPECT_EQ(error.compare(0, expected.size(), expected), 0) << "got: " << error << "\nwanted: " << expected;
    }
}

TEST(SynthReaderTest, NoteNames)
{
    int note = 0;
    int octave = 0;
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("a4", -2, note, octave));
    EXPECT_EQ(note, 69);
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("c4", -2, note, octave));
    EXPECT_EQ(note, 60);
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("f#3", -2, note, octave));
    EXPECT_EQ(note, 54);
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("bb2", -2, note, octave));
    EXPECT_EQ(note, 46);
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("b2", -2, note, octave));
    EXPECT_EQ(note, 47);
    ASSERT_TRUE(SynthScriptReader::ParseNoteName("eb", 5, note, octave)); // octave from before
    EXPECT_EQ(note, 75);
    EXPECT_EQ(octave, 5);
    EXPECT_FALSE(SynthScriptReader::ParseNoteName("eb", -2, note, octave)); // octave required
    EXPECT_FALSE(SynthScriptReader::ParseNoteName("h4", -2, note, octave));
    EXPECT_FALSE(SynthScriptReader::ParseNoteName("c44", -2, note, octave));
    EXPECT_FALSE(SynthScriptReader::ParseNoteName("g9#", -2, note, octave));
    EXPECT_FALSE(SynthScriptReader::ParseNoteName("g#9", -2, note, octave)); // above MIDI 127
    EXPECT_DOUBLE_EQ(SynthScriptReader::NoteFrequency(69), 440.0);
    EXPECT_NEAR(SynthScriptReader::NoteFrequency(60), 261.626, 0.001);
}

const char* const kScore = R"score(title  A Small Tune  # not part of the title
tempo 120
meter 3/4
quality 0.3
loop no
reverb 0.3 0.8

instrument pluck
osc pluck 1
envelope 0.001 0 1 0.1

instrument pad
osc saw 0.5 detune -5
osc saw 0.5 detune 5

track tune pluck
pan -0.3
humanize 0.01 0.1

track chords pad
gain -6dB
strum 0.02

section A
tune:   !f | c5:1 d5:0.5 e5 f#5:1 | g:2+1/2 r:1/2 |
tune:      | a4:1/3 b c5 c5:2' |
chords: !0.5 | [c4 e4 g4]:3 | [d4 f#4 a4]:3' | [c4 e4 g4]:3 |

section B
tune: | c5:6 |   # held across a bar line

form A B A
)score";

TEST(SynthReaderTest, ScoreHoldsTracksSectionsAndNotes)
{
    ScoreReader reader;
    TuneScore score;
    ASSERT_TRUE(reader.Read(kScore, "test.score", score)) << reader.ErrorText();
    EXPECT_EQ(score.title, "A Small Tune");
    EXPECT_EQ(score.tempo, 120);
    EXPECT_EQ(score.meterBeats, 3);
    EXPECT_EQ(score.quality, 0.3);
    EXPECT_FALSE(score.loop);
    EXPECT_EQ(score.reverb.size, 0.8);
    ASSERT_EQ(score.instruments.size(), 2u);
    EXPECT_EQ(score.instruments[1].voice.oscillators.size(), 2u);
    ASSERT_EQ(score.tracks.size(), 2u);
    EXPECT_EQ(score.tracks[0].instrument, 0);
    EXPECT_EQ(score.tracks[0].pan, -0.3);
    EXPECT_EQ(score.tracks[1].instrument, 1);
    EXPECT_NEAR(score.tracks[1].gain, 0.501, 0.001);
    EXPECT_EQ(score.tracks[1].strum, 0.02);
    EXPECT_EQ(score.form, (std::vector<int>{0, 1, 0}));

    ASSERT_EQ(score.sections.size(), 2u);
    const Section& a = score.sections[0];
    EXPECT_EQ(a.beats, 9);
    EXPECT_EQ(score.sections[1].beats, 6);

    std::vector<NoteEvent> tune;
    std::vector<NoteEvent> chords;
    for (const NoteEvent& event : a.events)
        (event.track == 0 ? tune : chords).push_back(event);
    ASSERT_EQ(tune.size(), 9u); // the rest is no event
    EXPECT_EQ(tune[0].pitches, std::vector<int>{72});
    EXPECT_EQ(tune[0].velocity, 0.9);
    EXPECT_EQ(tune[2].beat, 1.5); // e5 keeps d5's half beat
    EXPECT_EQ(tune[2].beats, 0.5);
    EXPECT_EQ(tune[3].pitches, std::vector<int>{78});
    EXPECT_EQ(tune[4].pitches, std::vector<int>{79}); // "g" keeps octave 5
    EXPECT_EQ(tune[4].beats, 2.5);
    EXPECT_EQ(tune[5].beat, 6);
    EXPECT_NEAR(tune[5].beats, 1.0 / 3.0, 1e-12);
    EXPECT_EQ(tune[6].pitches, std::vector<int>{71}); // "b" keeps octave 4
    EXPECT_FALSE(tune[7].staccato);
    EXPECT_NEAR(tune[8].beat, 7, 1e-9);
    EXPECT_EQ(tune[8].beats, 2);
    EXPECT_TRUE(tune[8].staccato);
    EXPECT_EQ(tune[8].line, 26);

    ASSERT_EQ(chords.size(), 3u);
    EXPECT_EQ(chords[0].pitches, (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(chords[0].velocity, 0.5);
    EXPECT_TRUE(chords[1].staccato);
    EXPECT_EQ(chords[1].beats, 3);
    EXPECT_EQ(chords[2].beat, 6);
}

TEST(SynthReaderTest, ScoreWithoutFormPlaysSectionsInOrder)
{
    ScoreReader reader;
    TuneScore score;
    ASSERT_TRUE(reader.Read("instrument i\nosc sine\ntrack t i\nsection X\nt: c4:4\nsection Y\nt: r:2 d4:2\n",
                            "test.score", score))
        << reader.ErrorText();
    EXPECT_EQ(score.form, (std::vector<int>{0, 1}));
    EXPECT_EQ(score.meterBeats, 0); // no meter: bars unchecked
    EXPECT_TRUE(score.loop);
}

TEST(SynthReaderTest, ScoreErrorsNameFileAndLine)
{
    const std::string head = "meter 4/4\ninstrument i\nosc sine\ntrack t i\ntrack u i\n"; // lines 1-5
    const std::vector<std::pair<std::string, std::string>> cases = {
        {head + "section A\nt: c4:1 d4:1 e4:1 |\n", "test.score:7: a bar of 3 beats where the meter has 4"},
        {head + "section A\nt: c4:8 | d4:4 | e4:3\n", "test.score:7: a bar of 3 beats where the meter has 4"},
        {head + "section A\nt: c4:4\nu: c4:4 | c4:4 |\n",
         "test.score:6: in section \"A\" the track \"u\" is 8 beats long, but \"t\" is 4"},
        {head + "section A\nv: c4:4\n", "test.score:7: no track named \"v\" above this section"},
        {head + "section A\nc4 d4\n", "test.score:7: a section holds lines of notes written \"track: notes\""},
        {head + "section A\nt: c4:4 | h4:4 |\n", "test.score:7: \"h4:4\" is not a note"},
        {head + "section A\nt: c4:0 |\n", "test.score:7: the length \"0\" is out of range"},
        {head + "section A\nt: c4:x |\n", "test.score:7: \"x\" is not a length in beats"},
        {head + "section A\nt: c4:1/0 |\n", "test.score:7: \"1/0\" is not a length in beats"},
        {head + "section A\nt: [c4 e4:4 |\n", "test.score:7: a chord '[' without its ']'"},
        {head + "section A\nt: [c4 e4:2]:4 |\n", "test.score:7: a length goes after the chord's ']'"},
        {head + "section A\nt: []:4 |\n", "test.score:7: an empty chord"},
        {head + "section A\nt: c4:4 ] |\n", "test.score:7: a ']' without its '['"},
        {head + "section A\nt: !loud c4:4 |\n", "test.score:7: \"!loud\" is no loudness"},
        {head + "section A\n", "test.score:6: the section \"A\" has no notes"},
        {head + "section A\nt: c4:4\nsection A\n", "test.score:8: there is already a section named \"A\""},
        {head + "section A\nt: c4:4\nform A B\n", "test.score:8: no section named \"B\" above the form"},
        {head + "section A\nt: c4:4\nform A\nform A\n", "test.score:9: the score has a second \"form\""},
        {head + "section A\nt: c4:4\nform A\ntempo 90\n", "test.score:9: unexpected \"tempo\" after the form"},
        {"instrument i\nosc sine\ntrack t j\n", "test.score:3: no instrument named \"j\" above this track"},
        {"instrument i\ntrack t i\nsection A\nt: c4:1\n", "test.score:1: the instrument \"i\" has no \"osc\""},
        {"instrument i\nosc sine\nwobble\n", "test.score:3: unknown statement \"wobble\" in an instrument"},
        {"instrument i\nosc sine\ntrack t i\nstrum 1\n", "test.score:4: \"strum\": 1 is out of range (0 to 0.2)"},
        {"meter 3\n", "test.score:1: \"meter\" takes beats per bar and the beat's note, such as 3/4"},
        {"meter 3/5\n", "test.score:1: \"meter\" takes beats per bar"},
        {"tempo 1000\n", "test.score:1: \"tempo\": 1000 is out of range (20 to 400)"},
        {"loop maybe\n", "test.score:1: \"loop\" takes yes or no"},
        {"instrument bad/name\n", "test.score:1: a instrument name uses letters"},
        {"title nothing else\n", "test.score: the score has no section"},
        {"tempo 20\ninstrument i\nosc sine\ntrack t i\nsection A\nt: c4:64\nform A A A A A A A A\n",
         "test.score: the tune lasts 1536 s; a tune lasts at most 900 s"},
    };
    for (const auto& [text, expected] : cases)
    {
        const std::string error = ScoreError(text);
        EXPECT_EQ(error.compare(0, expected.size(), expected), 0) << "got: " << error << "\nwanted: " << expected;
    }
}

} // namespace
} // namespace Vesk
