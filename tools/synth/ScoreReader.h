#pragma once

#include "synth/SynthData.h"
#include "synth/SynthScriptReader.h"

#include <string>

namespace Vesk
{

// Reads a tune's score: one statement a line, '#' starts a comment. The tune's settings come
// first, then blocks that each run until the next block begins:
//
//   title Morning on the quay
//   tempo 96                         beats per minute
//   meter 3/4                        beats per bar (bars are checked when given)
//   peak -1.5                        dBFS the finished tune is scaled to (default -1)
//   quality 0                        Ogg Vorbis quality (-0.1 .. 1, default 0)
//   loop yes                         the end flows into the start (default yes)
//   seed 3                           for noise and humanising
//   reverb 0.25 0.7 0.5              mix, room size, damping
//
//   instrument lute                  the voice statements of recipes (osc, envelope, filter,
//   osc pluck 1 decay 3 bright 0.6     vibrato, tremolo, gain); the note gives the pitch
//
//   track melody lute                a part played on an instrument, with its own
//   pan -0.2                           pan, gain, gate (held part of each note, default 0.9),
//   chorus 0.3 3 0.8                   transpose (semitones), strum (seconds between chord
//   echo 0.3 0.2 0.15                  notes), humanize (seconds, velocity), reverb (send),
//                                      chorus (mix, depth ms, rate Hz), echo
//   section A                        music: one line or more per track, "track: notes"
//   melody: !mf | d5:1 e5:0.5 f#5:0.5 a5:1 | [d4 f#4 a4]:3 | r:1 a4' b4:1/2+1/2 |
//
//   form A A B A                     the sections in playing order (default: file order)
//
// Notes: a letter a-g, optionally # or b, and an octave (c4 is middle C; without an octave the
// previous note's), then optionally ":" and a length in beats (1, 0.5, 1/3, 2+1/2; without one
// the previous length) and "'" for staccato. "r" is a rest, [..] a chord, "|" a bar line (a
// note may be held across bar lines: between two of them lie whole bars),
// "!pp" .. "!ff" or "!0.7" sets the loudness. Every track of a section must be as long as the
// others.
class ScoreReader : public SynthScriptReader
{
public:
    // False with ErrorText ("name:line: message") when the score is not valid.
    [[nodiscard]] bool Read(const std::string& text, const std::string& fileName, TuneScore& score);

private:
    struct TrackState;

    bool TuneStatement(const Line& line, TuneScore& score);
    bool TrackStatement(const Line& line, TrackSpec& track);
    bool NotesLine(const Line& line, TuneScore& score, Section& section, std::vector<TrackState>& states);
    bool NoteWord(const Line& line, const std::string& word, bool chord, TrackState& state, std::vector<int>& pitches,
                  double& beats, bool& staccato);
    bool Duration(const Line& line, const std::string& text, double& beats);
    bool CloseBar(const Line& line, const TuneScore& score, TrackState& state);
    bool FinishSection(const TuneScore& score, Section& section, std::vector<TrackState>& states);
};

} // namespace Vesk
