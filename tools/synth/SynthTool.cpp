#include "synth/SynthTool.h"

#include "framework/platform/FileSystem.h"
#include "synth/AudioBuffer.h"
#include "synth/RecipeReader.h"
#include "synth/ScoreReader.h"
#include "synth/SoundRenderer.h"
#include "synth/TuneRenderer.h"
#include "synth/WavWriter.h"

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <ostream>

namespace Vesk
{

namespace
{

const char* const kUsage = "usage: synth sound <in.recipe> <out.ogg|out.wav> [--report]\n"
                           "       synth tune  <in.score> <out.ogg|out.wav> [--report] [--solo <track>]\n"
                           "       synth check <in.recipe|in.score>...\n";

std::string Extension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

uint32_t SynthTool::SerialFor(const std::string& outputPath)
{
    uint32_t hash = 2166136261u;
    for (char c : std::filesystem::path(outputPath).filename().string())
    {
        hash ^= static_cast<uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

int SynthTool::Usage(const std::string& problem)
{
    err << "synth: " << problem << "\n" << kUsage;
    return 2;
}

int SynthTool::Failed(const std::string& message)
{
    err << "synth: " << message << "\n";
    return 1;
}

bool SynthTool::ReadText(const std::string& path, std::string& text)
{
    std::vector<uint8_t> bytes;
    if (!Platform::ReadWholeFile(path, bytes))
    {
        Failed(path + ": cannot read the file");
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

int SynthTool::Write(const AudioBuffer& buffer, const std::string& output, double quality, const std::string& title,
                     bool report)
{
    std::vector<uint8_t> bytes;
    const std::string extension = Extension(output);
    if (extension == ".wav")
        bytes = WavWriter::Encode(buffer);
    else
    {
        if (!oggEncoder)
            return Failed(output + ": this build of synth has no Ogg Vorbis encoder");
        std::string error;
        if (!oggEncoder(buffer, quality, SerialFor(output), title, bytes, error))
            return Failed(output + ": " + error);
    }
    if (!Platform::WriteFileAtomically(output, bytes))
        return Failed(output + ": cannot write the file");
    if (report)
    {
        const float peak = buffer.Peak();
        out << output << ": " << std::fixed << std::setprecision(2)
            << static_cast<double>(buffer.Frames()) / AudioBuffer::kRate << " s, " << buffer.Channels()
            << (buffer.Channels() == 1 ? " channel" : " channels") << ", peak " << std::setprecision(1)
            << (peak > 0 ? 20.0 * std::log10(peak) : -120.0) << " dBFS, " << bytes.size() << " bytes\n";
    }
    return 0;
}

int SynthTool::Run(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return Usage("no command");
    const std::string& command = arguments[0];
    std::vector<std::string> files;
    bool report = false;
    std::string solo;
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        if (arguments[i] == "--report")
            report = true;
        else if (arguments[i] == "--solo" && command == "tune" && i + 1 < arguments.size())
            solo = arguments[++i];
        else if (arguments[i].size() > 1 && arguments[i].compare(0, 2, "--") == 0)
            return Usage("unknown option " + arguments[i]);
        else
            files.push_back(arguments[i]);
    }

    if (command == "check")
    {
        if (files.empty())
            return Usage("check needs at least one file");
        for (const std::string& file : files)
        {
            std::string text;
            if (!ReadText(file, text))
                return 1;
            if (Extension(file) == ".score")
            {
                ScoreReader reader;
                TuneScore score;
                if (!reader.Read(text, file, score))
                    return Failed(reader.ErrorText());
            }
            else
            {
                RecipeReader reader;
                SoundRecipe recipe;
                if (!reader.Read(text, file, recipe))
                    return Failed(reader.ErrorText());
            }
        }
        return 0;
    }
    if (command != "sound" && command != "tune")
        return Usage("unknown command \"" + command + "\"");
    if (files.size() != 2)
        return Usage(command + " takes a source and an output file");
    const std::string extension = Extension(files[1]);
    if (extension != ".wav" && extension != ".ogg")
        return Usage("the output must end in .ogg or .wav: " + files[1]);

    std::string text;
    if (!ReadText(files[0], text))
        return 1;
    if (command == "sound")
    {
        RecipeReader reader;
        SoundRecipe recipe;
        if (!reader.Read(text, files[0], recipe))
            return Failed(reader.ErrorText());
        return Write(SoundRenderer::Render(recipe), files[1], recipe.quality, std::string(), report);
    }
    ScoreReader reader;
    TuneScore score;
    if (!reader.Read(text, files[0], score))
        return Failed(reader.ErrorText());
    int soloTrack = -1;
    if (!solo.empty())
    {
        for (size_t t = 0; t < score.tracks.size(); ++t)
        {
            if (score.tracks[t].name == solo)
                soloTrack = static_cast<int>(t);
        }
        if (soloTrack < 0)
            return Failed(files[0] + ": no track named \"" + solo + "\" to play alone");
    }
    return Write(TuneRenderer::Render(score, soloTrack), files[1], score.quality, score.title, report);
}

} // namespace Vesk
