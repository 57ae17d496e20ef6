// The synth program as the build runs it: Ogg Vorbis output that the game's decoder (Tremor)
// reads back with the right channels and length and without clipping, identical bytes on
// every run, and loud failures for broken sources. The Ogg encoder only exists in the
// program, so these tests run it.
#include "synth/SynthTool.h"

#include "framework/platform/FileSystem.h"
#include "support/TempFolder.h"
#include "synth/AudioBuffer.h"
#include "synth/RecipeReader.h"
#include "synth/ScoreReader.h"
#include "synth/SoundRenderer.h"
#include "synth/TuneRenderer.h"

#include <gtest/gtest.h>
#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;

struct Decoded
{
    bool ok = false;
    int channels = 0;
    long rate = 0;
    int64_t totalFrames = 0;
    std::vector<int16_t> samples;
    int peak = 0;
};

struct MemorySource
{
    const std::vector<uint8_t>* bytes = nullptr;
    size_t at = 0;
};

// Decodes an Ogg Vorbis file the way the game's sound layer does: Tremor through callbacks.
Decoded DecodeOgg(const std::vector<uint8_t>& bytes)
{
    MemorySource source{&bytes, 0};
    ov_callbacks callbacks{};
    callbacks.read_func = [](void* buffer, size_t size, size_t count, void* data) -> size_t
    {
        auto* src = static_cast<MemorySource*>(data);
        const size_t wanted = size * count;
        const size_t available = std::min(wanted, src->bytes->size() - src->at);
        std::copy_n(src->bytes->data() + src->at, available, static_cast<uint8_t*>(buffer));
        src->at += available;
        return size == 0 ? 0 : available / size;
    };
    callbacks.seek_func = [](void* data, ogg_int64_t offset, int whence) -> int
    {
        auto* src = static_cast<MemorySource*>(data);
        const int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<int64_t>(src->at)
                                                  : static_cast<int64_t>(src->bytes->size());
        const int64_t target = base + offset;
        if (target < 0 || target > static_cast<int64_t>(src->bytes->size()))
            return -1;
        src->at = static_cast<size_t>(target);
        return 0;
    };
    callbacks.close_func = nullptr;
    callbacks.tell_func = [](void* data) -> long { return static_cast<long>(static_cast<MemorySource*>(data)->at); };

    Decoded decoded;
    OggVorbis_File file;
    if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0)
        return decoded;
    const vorbis_info* info = ov_info(&file, -1);
    decoded.channels = info->channels;
    decoded.rate = info->rate;
    decoded.totalFrames = ov_pcm_total(&file, -1);
    char buffer[4096];
    int section = 0;
    long got = 0;
    while ((got = ov_read(&file, buffer, sizeof buffer, &section)) > 0)
    {
        const auto* pcm = reinterpret_cast<const int16_t*>(buffer);
        decoded.samples.insert(decoded.samples.end(), pcm, pcm + got / 2);
    }
    ov_clear(&file);
    decoded.ok = got == 0;
    for (int16_t sample : decoded.samples)
        decoded.peak = std::max(decoded.peak, std::abs(static_cast<int>(sample)));
    return decoded;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Platform::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

struct ProgramResult
{
    int code = -1;
    std::string output;
};

// Runs the synth program with the arguments (each quoted), collecting stdout and stderr.
ProgramResult RunProgram(const std::vector<std::string>& arguments)
{
    std::string command = std::string("'") + ORLO_SYNTH_PROGRAM + "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " 2>&1";
    ProgramResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

const char* const kRecipe = "peak -2\nreverb 0.2\nvoice\nosc pluck 1\nosc noise 0.2\nfreq 440 -> 220\nlength 0.3\n";
const char* const kScore = "tempo 150\nmeter 2/4\nreverb 0.2\ntitle Test Tune\n"
                           "instrument flute\nosc sine\nosc sine 0.2 ratio 2\nvibrato 5 0.1\n"
                           "envelope 0.05 0.1 0.8 0.2\n"
                           "instrument bass\nosc pluck 1\nfilter lowpass 800\n"
                           "track tune flute\npan 0.3\n"
                           "track low bass\npan -0.3\n"
                           "section A\ntune: | e5:1 g5:1 | a5:2 |\nlow: | a2:2 | e2:2 |\n"
                           "form A A\n";

TEST(SynthToolTest, OggSoundDecodesToTheRenderedLength)
{
    TempFolder folder;
    folder.WriteFile("ding.recipe", kRecipe);
    ProgramResult result = RunProgram({"sound", "ding.recipe", "out/ding.ogg", "--report"});
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_NE(result.output.find("out/ding.ogg: "), std::string::npos) << result.output;

    RecipeReader reader;
    SoundRecipe recipe;
    ASSERT_TRUE(reader.Read(kRecipe, "ding.recipe", recipe));
    const AudioBuffer rendered = SoundRenderer::Render(recipe);

    Decoded decoded = DecodeOgg(ReadBytes("out/ding.ogg"));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.totalFrames, static_cast<int64_t>(rendered.Frames()));
    EXPECT_EQ(decoded.samples.size(), rendered.Frames());
    // Peak -2 dBFS is about 26000; the encoding moves it a little but never to full scale.
    EXPECT_GT(decoded.peak, 20000);
    EXPECT_LT(decoded.peak, 32767);
}

TEST(SynthToolTest, OggTuneIsStereoTheFormsLengthAndTheSameEveryTime)
{
    TempFolder folder;
    folder.WriteFile("tune.score", kScore);
    ASSERT_EQ(RunProgram({"tune", "tune.score", "a/tune.ogg"}).code, 0);
    ASSERT_EQ(RunProgram({"tune", "tune.score", "b/tune.ogg"}).code, 0);
    const std::vector<uint8_t> first = ReadBytes("a/tune.ogg");
    EXPECT_TRUE(first == ReadBytes("b/tune.ogg"));

    Decoded decoded = DecodeOgg(first);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_EQ(decoded.totalFrames, static_cast<int64_t>(3.2 * 44100)); // 8 beats at 150 a minute
    EXPECT_LT(decoded.peak, 32767);
    EXPECT_GT(decoded.peak, 25000);
    // The title travels in the stream's comments.
    const std::string text(first.begin(), first.end());
    EXPECT_NE(text.find("TITLE=Test Tune"), std::string::npos);
}

TEST(SynthToolTest, BrokenSourcesFailWithFileAndLine)
{
    TempFolder folder;
    folder.WriteFile("bad.recipe", "voice\nosc sine\nfreq 100 ->\n");
    folder.WriteFile("bad.score", "instrument i\nosc sine\ntrack t i\nsection A\nt: c4:1 q4:1\n");

    ProgramResult recipe = RunProgram({"sound", "bad.recipe", "bad.ogg"});
    EXPECT_EQ(recipe.code, 1);
    EXPECT_EQ(recipe.output, "synth: bad.recipe:3: \"freq\" is missing a value\n");
    ProgramResult score = RunProgram({"tune", "bad.score", "bad.ogg"});
    EXPECT_EQ(score.code, 1);
    EXPECT_EQ(score.output.rfind("synth: bad.score:5: \"q4:1\" is not a note", 0), 0u) << score.output;
    EXPECT_FALSE(folder.Exists("bad.ogg"));

    // The same through the tool in this process, with the usage mistakes.
    std::ostringstream out;
    std::ostringstream err;
    SynthTool tool(out, err);
    EXPECT_EQ(tool.Run({"check", "bad.recipe"}), 1);
    EXPECT_EQ(tool.Run({"check", "missing.recipe"}), 1);
    EXPECT_NE(err.str().find("synth: missing.recipe: cannot read the file"), std::string::npos) << err.str();
    EXPECT_EQ(tool.Run({}), 2);
    EXPECT_EQ(tool.Run({"play", "bad.recipe"}), 2);
    EXPECT_EQ(tool.Run({"sound", "bad.recipe"}), 2);
    EXPECT_EQ(tool.Run({"sound", "bad.recipe", "out.mp3"}), 2);
    EXPECT_EQ(tool.Run({"sound", "bad.recipe", "out.wav", "--loud"}), 2);
    EXPECT_FALSE(folder.Exists("out.wav"));
}

TEST(SynthToolTest, WavOutputAndCheckInProcess)
{
    TempFolder folder;
    folder.WriteFile("ding.recipe", kRecipe);
    folder.WriteFile("tune.score", kScore);
    std::ostringstream out;
    std::ostringstream err;
    SynthTool tool(out, err); // no Ogg encoder in this process
    EXPECT_EQ(tool.Run({"check", "ding.recipe", "tune.score"}), 0) << err.str();
    ASSERT_EQ(tool.Run({"sound", "ding.recipe", "ding.wav"}), 0) << err.str();
    const std::vector<uint8_t> wav = ReadBytes("ding.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(tool.Run({"sound", "ding.recipe", "ding.ogg"}), 1);
    EXPECT_NE(err.str().find("ding.ogg: this build of synth has no Ogg Vorbis encoder"), std::string::npos);
    EXPECT_NE(SynthTool::SerialFor("a/intro.ogg"), SynthTool::SerialFor("a/click.ogg"));
    EXPECT_EQ(SynthTool::SerialFor("a/intro.ogg"), SynthTool::SerialFor("b/intro.ogg"));
}

// Decibels of a peak sample relative to full scale.
double PeakDb(int peak)
{
    return 20.0 * std::log10(std::max(peak, 1) / 32767.0);
}

double Rms(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (int16_t sample : samples)
        sum += double(sample) * sample;
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size())) / 32767.0;
}

double Rms(const AudioBuffer& buffer)
{
    double sum = 0;
    size_t count = 0;
    for (int c = 0; c < buffer.Channels(); ++c)
    {
        for (float sample : buffer.Channel(c))
            sum += double(sample) * sample;
        count += buffer.Frames();
    }
    return count == 0 ? 0.0 : std::sqrt(sum / double(count));
}

// Every sound recipe and tune score of the publication reads, and the build made an Ogg Vorbis
// file of each that the game's decoder plays: a sound is the recipe rendered here (its channels,
// length and loudness), a tune is stereo, as long as its form (a looping tune exactly) and peaks
// where its score says.
TEST(SynthToolTest, ShippedSoundsAndTunesAreBuiltFromTheirSources)
{
    const std::filesystem::path source = ORLO_DATA_SOURCE_DIR;
    const std::filesystem::path built = ORLO_BUILT_DATA_DIR;
    std::set<std::string> sources;
    for (const auto& [folder, extension] : {std::pair{"sounds", ".recipe"}, std::pair{"music", ".score"}})
    {
        ASSERT_TRUE(std::filesystem::is_directory(source / folder)) << source / folder;
        int found = 0;
        for (const auto& entry : std::filesystem::directory_iterator(source / folder))
        {
            if (entry.path().extension() != extension)
                continue;
            ++found;
            const std::string name = entry.path().filename().string();
            SCOPED_TRACE(name);
            EXPECT_TRUE(sources.insert(entry.path().stem().string()).second) << "two sources make one file";
            const std::vector<uint8_t> bytes = ReadBytes(entry.path().string());
            const std::string text(bytes.begin(), bytes.end());
            const std::filesystem::path ogg = built / "sounds" / (entry.path().stem().string() + ".ogg");
            ASSERT_TRUE(std::filesystem::exists(ogg)) << "build the data target first: " << ogg;
            const Decoded decoded = DecodeOgg(ReadBytes(ogg.string()));
            ASSERT_TRUE(decoded.ok) << ogg;
            EXPECT_EQ(decoded.rate, 44100);
            EXPECT_EQ(decoded.samples.size(), size_t(decoded.totalFrames) * size_t(decoded.channels));
            if (extension == std::string(".recipe"))
            {
                RecipeReader reader;
                SoundRecipe recipe;
                ASSERT_TRUE(reader.Read(text, name, recipe)) << reader.ErrorText();
                const AudioBuffer rendered = SoundRenderer::Render(recipe);
                EXPECT_EQ(decoded.channels, recipe.channels);
                EXPECT_EQ(decoded.totalFrames, static_cast<int64_t>(rendered.Frames()));
                EXPECT_NEAR(PeakDb(decoded.peak), recipe.peakDb, 1.5);
                EXPECT_NEAR(Rms(decoded.samples), Rms(rendered), 0.1 * Rms(rendered));
            }
            else
            {
                ScoreReader reader;
                TuneScore score;
                ASSERT_TRUE(reader.Read(text, name, score)) << reader.ErrorText();
                const double seconds = TuneRenderer::FormSeconds(score);
                EXPECT_GE(seconds, 20.0);
                EXPECT_EQ(decoded.channels, 2);
                const auto formFrames = static_cast<int64_t>(std::ceil(seconds * 44100));
                if (score.loop)
                    EXPECT_EQ(decoded.totalFrames, formFrames);
                else
                    EXPECT_GE(decoded.totalFrames, formFrames);
                EXPECT_NEAR(PeakDb(decoded.peak), score.peakDb, 1.5);
            }
        }
        EXPECT_GT(found, 0) << "no " << extension << " source in " << source / folder;
    }

    // Nothing in the built sounds comes from elsewhere.
    for (const auto& entry : std::filesystem::directory_iterator(built / "sounds"))
        EXPECT_EQ(sources.count(entry.path().stem().string()), 1u) << entry.path() << " has no source";
}

} // namespace
} // namespace Vesk
