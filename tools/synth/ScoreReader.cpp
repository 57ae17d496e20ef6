#include "synth/ScoreReader.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace Vesk
{

namespace
{

constexpr double kBeatSlack = 1e-6;
constexpr double kMaxSeconds = 900.0;

std::string ShowBeats(double beats)
{
    std::ostringstream text;
    text << std::round(beats * 1000.0) / 1000.0;
    return text.str();
}

bool IsName(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name)
    {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            return false;
    }
    return true;
}

} // namespace

// Where a track stands while its notes in one section are read.
struct ScoreReader::TrackState
{
    bool used = false;
    double beat = 0.0;
    double barStart = 0.0;
    double beats = 1.0;
    int octave = 4;
    double velocity = 0.75;
    int firstLine = 0;
};

bool ScoreReader::Read(const std::string& text, const std::string& fileName, TuneScore& score)
{
    score = TuneScore();
    if (!Split(text, fileName))
        return false;

    enum class Block
    {
        Tune,
        Instrument,
        Track,
        Section,
        Form,
    };
    Block block = Block::Tune;
    bool formGiven = false;
    std::vector<TrackState> states;

    auto finishBlock = [&]() { return block != Block::Section || FinishSection(score, score.sections.back(), states); };
    auto uniqueName = [&](const Line& line, const std::string& what, bool exists)
    {
        if (!IsName(line.words[1]))
            return Fail(line.number,
                        "a " + what + " name uses letters, digits, '_' and '-', not \"" + line.words[1] + "\"");
        if (exists)
            return Fail(line.number, "there is already a " + what + " named \"" + line.words[1] + "\"");
        return true;
    };

    for (const Line& line : lines)
    {
        const std::string& keyword = line.words[0];
        if (keyword == "instrument")
        {
            if (!finishBlock() || !Count(line, 1, 1))
                return false;
            bool exists = false;
            for (const Instrument& instrument : score.instruments)
                exists = exists || instrument.name == line.words[1];
            if (!uniqueName(line, "instrument", exists))
                return false;
            score.instruments.push_back(Instrument{line.words[1], VoiceSpec(), line.number});
            block = Block::Instrument;
        }
        else if (keyword == "track")
        {
            if (!finishBlock() || !Count(line, 2, 2))
                return false;
            bool exists = false;
            for (const TrackSpec& track : score.tracks)
                exists = exists || track.name == line.words[1];
            if (!uniqueName(line, "track", exists))
                return false;
            TrackSpec track;
            track.name = line.words[1];
            track.line = line.number;
            track.instrument = -1;
            for (size_t i = 0; i < score.instruments.size(); ++i)
            {
                if (score.instruments[i].name == line.words[2])
                    track.instrument = static_cast<int>(i);
            }
            if (track.instrument < 0)
                return Fail(line.number, "no instrument named \"" + line.words[2] + "\" above this track");
            score.tracks.push_back(track);
            block = Block::Track;
        }
        else if (keyword == "section")
        {
            if (!finishBlock() || !Count(line, 1, 1))
                return false;
            bool exists = false;
            for (const Section& section : score.sections)
                exists = exists || section.name == line.words[1];
            if (!uniqueName(line, "section", exists))
                return false;
            Section section;
            section.name = line.words[1];
            section.line = line.number;
            score.sections.push_back(section);
            states.assign(score.tracks.size(), TrackState());
            block = Block::Section;
        }
        else if (keyword == "form")
        {
            if (!finishBlock())
                return false;
            if (formGiven)
                return Fail(line.number, "the score has a second \"form\"");
            if (line.words.size() < 2)
                return Fail(line.number, "\"form\" lists the sections in playing order");
            for (size_t i = 1; i < line.words.size(); ++i)
            {
                int found = -1;
                for (size_t s = 0; s < score.sections.size(); ++s)
                {
                    if (score.sections[s].name == line.words[i])
                        found = static_cast<int>(s);
                }
                if (found < 0)
                    return Fail(line.number, "no section named \"" + line.words[i] + "\" above the form");
                score.form.push_back(found);
            }
            formGiven = true;
            block = Block::Form;
        }
        else if (block == Block::Tune)
        {
            if (!TuneStatement(line, score))
                return false;
        }
        else if (block == Block::Instrument)
        {
            bool handled = false;
            if (!VoiceStatement(line, score.instruments.back().voice, handled))
                return false;
            if (!handled)
                return Fail(line.number, "unknown statement \"" + keyword +
                                             "\" in an instrument (osc, envelope, filter, vibrato, tremolo, gain)");
        }
        else if (block == Block::Track)
        {
            if (!TrackStatement(line, score.tracks.back()))
                return false;
        }
        else if (block == Block::Section)
        {
            if (!NotesLine(line, score, score.sections.back(), states))
                return false;
        }
        else
            return Fail(line.number, "unexpected \"" + keyword + "\" after the form");
    }
    if (!finishBlock())
        return false;

    for (const Instrument& instrument : score.instruments)
    {
        if (instrument.voice.oscillators.empty())
            return Fail(instrument.line, "the instrument \"" + instrument.name + "\" has no \"osc\"");
    }
    if (score.sections.empty())
        return Fail(0, "the score has no section");
    if (!formGiven)
    {
        for (size_t s = 0; s < score.sections.size(); ++s)
            score.form.push_back(static_cast<int>(s));
    }
    double beats = 0;
    for (int section : score.form)
        beats += score.sections[static_cast<size_t>(section)].beats;
    const double seconds = beats * 60.0 / score.tempo;
    if (seconds > kMaxSeconds)
        return Fail(0, "the tune lasts " + std::to_string(static_cast<int>(seconds)) + " s; a tune lasts at most " +
                           std::to_string(static_cast<int>(kMaxSeconds)) + " s");
    return true;
}

bool ScoreReader::TuneStatement(const Line& line, TuneScore& score)
{
    const std::string& keyword = line.words[0];
    if (keyword == "title")
    {
        const size_t start = line.text.find("title") + 5;
        const size_t first = line.text.find_first_not_of(" \t", start);
        const size_t last = line.text.find_last_not_of(" \t\r");
        score.title = first == std::string::npos ? std::string() : line.text.substr(first, last - first + 1);
        return true;
    }
    if (keyword == "tempo")
        return Count(line, 1, 1) && Number(line, 1, 20, 400, score.tempo);
    if (keyword == "meter")
    {
        if (!Count(line, 1, 1))
            return false;
        const std::string& meter = line.words[1];
        const size_t slash = meter.find('/');
        char* end = nullptr;
        const long beats = std::strtol(meter.c_str(), &end, 10);
        const long unit = slash == std::string::npos ? 0 : std::strtol(meter.c_str() + slash + 1, nullptr, 10);
        const bool unitOk = unit == 1 || unit == 2 || unit == 4 || unit == 8 || unit == 16;
        if (slash == std::string::npos || end != meter.c_str() + slash || beats < 1 || beats > 32 || !unitOk ||
            meter.find_first_not_of("0123456789/") != std::string::npos)
            return Fail(line.number,
                        "\"meter\" takes beats per bar and the beat's note, such as 3/4, not \"" + meter + "\"");
        score.meterBeats = static_cast<int>(beats);
        score.meterUnit = static_cast<int>(unit);
        return true;
    }
    if (keyword == "peak")
        return Count(line, 1, 1) && Number(line, 1, -60, 0, score.peakDb);
    if (keyword == "quality")
        return Count(line, 1, 1) && Number(line, 1, -0.1, 1, score.quality);
    if (keyword == "loop")
    {
        if (!Count(line, 1, 1))
            return false;
        if (line.words[1] != "yes" && line.words[1] != "no")
            return Fail(line.number, "\"loop\" takes yes or no");
        score.loop = line.words[1] == "yes";
        return true;
    }
    if (keyword == "seed")
    {
        long seed = 0;
        if (!Count(line, 1, 1) || !Integer(line, 1, 0, 4294967295L, seed))
            return false;
        score.seed = static_cast<uint32_t>(seed);
        return true;
    }
    if (keyword == "reverb")
        return ReadReverb(line, score.reverb);
    return Fail(line.number, "unknown statement \"" + keyword +
                                 "\" (title, tempo, meter, peak, quality, loop, seed, reverb, instrument, track, "
                                 "section, form)");
}

bool ScoreReader::TrackStatement(const Line& line, TrackSpec& track)
{
    const std::string& keyword = line.words[0];
    if (keyword == "pan")
        return Count(line, 1, 1) && Number(line, 1, -1, 1, track.pan);
    if (keyword == "gain")
        return Count(line, 1, 1) && Level(line, 1, 10.0, track.gain);
    if (keyword == "gate")
        return Count(line, 1, 1) && Number(line, 1, 0.05, 1, track.gate);
    if (keyword == "transpose")
    {
        long semitones = 0;
        if (!Count(line, 1, 1) || !Integer(line, 1, -48, 48, semitones))
            return false;
        track.transpose = static_cast<int>(semitones);
        return true;
    }
    if (keyword == "strum")
        return Count(line, 1, 1) && Number(line, 1, 0, 0.2, track.strum);
    if (keyword == "humanize")
        return Count(line, 2, 2) && Number(line, 1, 0, 0.1, track.humanizeTime) &&
               Number(line, 2, 0, 0.5, track.humanizeVelocity);
    if (keyword == "reverb")
        return Count(line, 1, 1) && Number(line, 1, 0, 2, track.reverbSend);
    if (keyword == "chorus")
        return ReadChorus(line, track.chorus);
    if (keyword == "echo")
        return ReadEcho(line, track.echo);
    return Fail(line.number, "unknown statement \"" + keyword +
                                 "\" in a track (pan, gain, gate, transpose, strum, humanize, reverb, chorus, echo)");
}

bool ScoreReader::Duration(const Line& line, const std::string& text, double& beats)
{
    beats = 0;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t plus = text.find('+', start);
        const std::string term = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        const size_t slash = term.find('/');
        char* end = nullptr;
        double value = 0;
        bool ok = !term.empty() && term.find_first_not_of("0123456789./") == std::string::npos;
        if (ok && slash == std::string::npos)
        {
            value = std::strtod(term.c_str(), &end);
            ok = end == term.c_str() + term.size();
        }
        else if (ok)
        {
            const std::string top = term.substr(0, slash);
            const std::string bottom = term.substr(slash + 1);
            const double a = std::strtod(top.c_str(), &end);
            ok = !top.empty() && end == top.c_str() + top.size();
            const double b = std::strtod(bottom.c_str(), &end);
            ok = ok && !bottom.empty() && end == bottom.c_str() + bottom.size() && b > 0;
            value = ok ? a / b : 0;
        }
        if (!ok)
            return Fail(line.number, "\"" + text + "\" is not a length in beats (such as 1, 0.5, 1/3 or 2+1/2)");
        beats += value;
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    if (!(beats > 0) || beats > 64)
        return Fail(line.number, "the length \"" + text + "\" is out of range (above 0, at most 64 beats)");
    return true;
}

bool ScoreReader::NoteWord(const Line& line, const std::string& word, bool chord, TrackState& state,
                           std::vector<int>& pitches, double& beats, bool& staccato)
{
    std::string text = word;
    staccato = false;
    if (!chord && !text.empty() && text.back() == '\'')
    {
        staccato = true;
        text.pop_back();
    }
    beats = state.beats;
    const size_t colon = text.find(':');
    if (colon != std::string::npos)
    {
        if (chord)
            return Fail(line.number, "a length goes after the chord's ']', not on \"" + word + "\"");
        if (!Duration(line, text.substr(colon + 1), beats))
            return false;
        text = text.substr(0, colon);
    }
    if (text == "r")
        return true;
    int note = 0;
    int octave = 0;
    if (!ParseNoteName(text, state.octave, note, octave))
        return Fail(line.number, "\"" + word + "\" is not a note (such as c4, f#3, bb2, r for a rest)");
    state.octave = octave;
    pitches.push_back(note);
    return true;
}

bool ScoreReader::CloseBar(const Line& line, const TuneScore& score, TrackState& state)
{
    // A note may be held across bar lines, so what lies between two bar lines is a whole
    // number of bars.
    const double length = state.beat - state.barStart;
    if (score.meterBeats > 0 && length > kBeatSlack)
    {
        const double bars = length / score.meterBeats;
        if (std::fabs(bars - std::round(bars)) * score.meterBeats > kBeatSlack)
            return Fail(line.number, "a bar of " + ShowBeats(length) + " beats where the meter has " +
                                         std::to_string(score.meterBeats));
    }
    state.barStart = state.beat;
    return true;
}

bool ScoreReader::NotesLine(const Line& line, TuneScore& score, Section& section, std::vector<TrackState>& states)
{
    const size_t colon = line.text.find(':');
    const size_t nameStart = line.text.find_first_not_of(" \t");
    std::string name = colon == std::string::npos ? std::string() : line.text.substr(nameStart, colon - nameStart);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    if (colon == std::string::npos || !IsName(name))
        return Fail(line.number, "a section holds lines of notes written \"track: notes\"");
    int trackIndex = -1;
    for (size_t i = 0; i < score.tracks.size(); ++i)
    {
        if (score.tracks[i].name == name)
            trackIndex = static_cast<int>(i);
    }
    if (trackIndex < 0)
        return Fail(line.number, "no track named \"" + name + "\" above this section");
    TrackState& state = states[static_cast<size_t>(trackIndex)];
    if (!state.used)
    {
        state.used = true;
        state.firstLine = line.number;
    }

    const std::string notes = line.text.substr(colon + 1);
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    auto wordAt = [&](size_t from)
    {
        size_t end = from;
        while (end < notes.size() && !isSpace(notes[end]) && notes[end] != '|' && notes[end] != '[' &&
               notes[end] != ']')
            ++end;
        return end;
    };
    while (i < notes.size())
    {
        const char c = notes[i];
        if (isSpace(c))
        {
            ++i;
            continue;
        }
        if (c == '|')
        {
            if (!CloseBar(line, score, state))
                return false;
            ++i;
            continue;
        }
        NoteEvent event;
        event.track = trackIndex;
        event.line = line.number;
        if (c == '!')
        {
            const size_t end = wordAt(i);
            const std::string level = notes.substr(i + 1, end - i - 1);
            static const std::pair<const char*, double> kMarks[] = {{"pp", 0.3},  {"p", 0.45}, {"mp", 0.6},
                                                                    {"mf", 0.75}, {"f", 0.9},  {"ff", 1.0}};
            bool found = false;
            for (const auto& [mark, value] : kMarks)
            {
                if (level == mark)
                {
                    state.velocity = value;
                    found = true;
                }
            }
            char* parsedEnd = nullptr;
            const double value = std::strtod(level.c_str(), &parsedEnd);
            if (!found && !level.empty() && parsedEnd == level.c_str() + level.size() && value > 0 && value <= 1)
            {
                state.velocity = value;
                found = true;
            }
            if (!found)
                return Fail(line.number, "\"!" + level + "\" is no loudness (pp, p, mp, mf, f, ff or 0.1 .. 1)");
            i = end;
            continue;
        }
        if (c == ']')
            return Fail(line.number, "a ']' without its '['");
        if (c == '[')
        {
            const size_t close = notes.find(']', i);
            if (close == std::string::npos)
                return Fail(line.number, "a chord '[' without its ']'");
            std::istringstream inner(notes.substr(i + 1, close - i - 1));
            std::string word;
            while (inner >> word)
            {
                double unused = 0;
                bool staccato = false;
                if (!NoteWord(line, word, true, state, event.pitches, unused, staccato))
                    return false;
            }
            if (event.pitches.empty())
                return Fail(line.number, "an empty chord");
            i = close + 1;
            const size_t end = wordAt(i);
            std::string suffix = notes.substr(i, end - i);
            i = end;
            if (!suffix.empty() && suffix.back() == '\'')
            {
                event.staccato = true;
                suffix.pop_back();
            }
            event.beats = state.beats;
            if (!suffix.empty())
            {
                if (suffix[0] != ':' || !Duration(line, suffix.substr(1), event.beats))
                    return errorText.empty() ? Fail(line.number, "\"" + suffix + "\" after a chord is not \":length\"")
                                             : false;
            }
        }
        else
        {
            const size_t end = wordAt(i);
            if (!NoteWord(line, notes.substr(i, end - i), false, state, event.pitches, event.beats, event.staccato))
                return false;
            i = end;
        }
        state.beats = event.beats;
        event.beat = state.beat;
        event.velocity = state.velocity;
        state.beat += event.beats;
        if (!event.pitches.empty())
            section.events.push_back(event);
    }
    return true;
}

bool ScoreReader::FinishSection(const TuneScore& score, Section& section, std::vector<TrackState>& states)
{
    const TrackState* longest = nullptr;
    size_t longestTrack = 0;
    for (size_t t = 0; t < states.size(); ++t)
    {
        TrackState& state = states[t];
        if (!state.used)
            continue;
        Line line;
        line.number = state.firstLine;
        if (!CloseBar(line, score, state))
            return false;
        if (!longest)
        {
            longest = &state;
            longestTrack = t;
        }
        else if (std::fabs(state.beat - longest->beat) > kBeatSlack)
            return Fail(section.line, "in section \"" + section.name + "\" the track \"" + score.tracks[t].name +
                                          "\" is " + ShowBeats(state.beat) + " beats long, but \"" +
                                          score.tracks[longestTrack].name + "\" is " + ShowBeats(longest->beat));
    }
    if (!longest || longest->beat <= kBeatSlack)
        return Fail(section.line, "the section \"" + section.name + "\" has no notes");
    section.beats = longest->beat;
    return true;
}

} // namespace Vesk
