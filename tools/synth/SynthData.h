#pragma once

// Plain data of the sound and music synthesiser: what the recipe and score readers produce
// and the renderers consume. Times are in seconds unless a name says beats.
#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

enum class Waveform
{
    Sine,
    Square,
    Triangle,
    Saw,
    Noise,
    Pluck, // a plucked string (a noise burst ringing in a tuned delay loop)
};

// One oscillator of a voice; its pitch follows the voice's pitch.
struct OscillatorSpec
{
    Waveform wave = Waveform::Sine;
    double level = 1.0;
    double ratio = 1.0;  // multiple of the voice's frequency
    double detune = 0.0; // cents
    double duty = 0.5;   // square: part of the period spent high
    double decay = 1.5;  // pluck: seconds the string takes to fall by 60 dB
    double bright = 0.5; // pluck: 0 dull .. 1 bright
};

// Attack and decay times, sustain level (0..1) while held, release time after the voice ends.
struct EnvelopeSpec
{
    double attack = 0.005;
    double decay = 0.1;
    double sustain = 0.8;
    double release = 0.1;
};

// A value that may glide from `from` to `to` over the voice's held time. With `relative`,
// the values are multiples of the voice's frequency (filter cutoffs written as "3x").
struct Sweep
{
    double from = 0.0;
    double to = 0.0;
    bool sweeping = false;
    bool exponential = true;
    bool relative = false;
};

enum class FilterType
{
    None,
    Lowpass,
    Highpass,
    Bandpass,
};

struct FilterSpec
{
    FilterType type = FilterType::None;
    Sweep cutoff;
    double q = 0.707;
};

struct EchoSpec
{
    double delay = 0.0; // 0: no echo
    double feedback = 0.0;
    double mix = 0.0;
};

struct ReverbSpec
{
    double mix = 0.0; // 0: no reverb
    double size = 0.5;
    double damp = 0.5;
};

struct ChorusSpec
{
    double mix = 0.0;   // 0: no chorus
    double depth = 3.0; // milliseconds the delay swings
    double rate = 0.8;  // Hz
};

// How one voice sounds: oscillators through a filter, shaped by an envelope.
struct VoiceSpec
{
    std::vector<OscillatorSpec> oscillators;
    EnvelopeSpec envelope;
    FilterSpec filter;
    double vibratoRate = 0.0;
    double vibratoDepth = 0.0; // semitones
    double vibratoDelay = 0.0; // seconds before the vibrato has grown in
    double tremoloRate = 0.0;
    double tremoloDepth = 0.0; // 0..1
    double gain = 1.0;
};

// A layer of a sound effect.
struct RecipeVoice
{
    VoiceSpec voice;
    Sweep frequency{440.0, 440.0, false, true, false};
    double start = 0.0;
    double length = 0.1; // held time; the release follows
    double pan = 0.0;    // -1 left .. 1 right (stereo sounds)
    EchoSpec echo;
    int repeatCount = 1;
    double repeatInterval = 0.0;
    double repeatFactor = 1.0; // level of each repeat relative to the one before
    int line = 0;
};

struct SoundRecipe
{
    int channels = 1;
    double peakDb = -1.0; // the finished sound is scaled so that its peak lies here
    double length = 0.0;  // 0: until the last voice (with echoes and reverb) has faded
    uint32_t seed = 1;
    double quality = 0.4; // Ogg Vorbis quality
    EchoSpec echo;
    ReverbSpec reverb;
    std::vector<RecipeVoice> voices;
};

struct Instrument
{
    std::string name;
    VoiceSpec voice;
    int line = 0;
};

struct TrackSpec
{
    std::string name;
    int instrument = 0;
    double pan = 0.0;
    double gain = 1.0;
    double gate = 0.9;  // part of a note's written length that it is held
    int transpose = 0;  // semitones
    double strum = 0.0; // seconds between the notes of a chord, lowest first
    double humanizeTime = 0.0;
    double humanizeVelocity = 0.0;
    double reverbSend = 1.0;
    ChorusSpec chorus;
    EchoSpec echo;
    int line = 0;
};

// A note or chord of a section. Pitches are MIDI note numbers (60 = c4, 69 = a4 = 440 Hz).
struct NoteEvent
{
    int track = 0;
    double beat = 0.0; // from the start of the section
    double beats = 1.0;
    std::vector<int> pitches;
    double velocity = 0.8;
    bool staccato = false;
    int line = 0;
};

struct Section
{
    std::string name;
    double beats = 0.0;
    std::vector<NoteEvent> events;
    int line = 0;
};

struct TuneScore
{
    std::string title;
    double tempo = 100.0; // beats per minute
    int meterBeats = 0;   // beats per bar (0: bars are not checked)
    int meterUnit = 4;
    double peakDb = -1.0;
    double quality = 0.0;
    bool loop = true; // the end flows into the start when the tune repeats
    uint32_t seed = 1;
    ReverbSpec reverb;
    std::vector<Instrument> instruments;
    std::vector<TrackSpec> tracks;
    std::vector<Section> sections;
    std::vector<int> form; // section indices in playing order
};

} // namespace Vesk
