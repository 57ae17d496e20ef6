#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace Vesk
{

class AudioBuffer;

// The sound and music synthesiser of the content build:
//   synth sound <in.recipe> <out.ogg|out.wav> [--report]
//   synth tune  <in.score>  <out.ogg|out.wav> [--report] [--solo <track>]
//   synth check <in.recipe|in.score>...
// "sound" renders a sound effect recipe (see RecipeReader), "tune" a score (see ScoreReader);
// the output's extension chooses Ogg Vorbis or 16-bit WAV. "check" only reads the files.
// "--report" prints the length, channels, peak and size of what was written; "--solo" renders
// one track alone at the level it has in the whole tune (for listening to a part). Output is
// written whole or not at all; a bad recipe or score fails naming its file and line.
class SynthTool
{
public:
    // Encodes a buffer as Ogg Vorbis (quality, stream serial number, title) or fails with a message.
    using OggEncoder = std::function<bool(const AudioBuffer&, double, uint32_t, const std::string&,
                                          std::vector<uint8_t>&, std::string&)>;

    SynthTool(std::ostream& out, std::ostream& err, OggEncoder oggEncoder = nullptr)
        : out(out), err(err), oggEncoder(std::move(oggEncoder))
    {
    }

    // Runs one command line (without the program name); returns the exit code: 0 done,
    // 1 failed, 2 bad usage.
    int Run(const std::vector<std::string>& arguments);

    // The Ogg stream serial number of an output: a hash of its file name, so that each file
    // has its own and every build gives the same.
    static uint32_t SerialFor(const std::string& outputPath);

private:
    int Usage(const std::string& problem);
    int Failed(const std::string& message);
    bool ReadText(const std::string& path, std::string& text);
    int Write(const AudioBuffer& buffer, const std::string& output, double quality, const std::string& title,
              bool report);

    std::ostream& out;
    std::ostream& err;
    OggEncoder oggEncoder;
};

} // namespace Vesk
