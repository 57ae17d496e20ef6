// The mixer's cost and the music streams' memory.
//   BM_MixTenSecondsOf32SoundsAndTwoSongs: mixes 10 s of output with 32 sound effects
//     (resampled, at various pitches) and two streamed Ogg Vorbis songs, one resampled.
//   BM_StreamThreeMinuteOggSong: plays a 3-minute Ogg Vorbis tune to its end through the
//     mixer and reports how much the heap grew at its peak, against the size the decoded song
//     would take whole.
#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSample.h"
#include "framework/sound/StreamingMusicInterface.h"
#include "support/TestSounds.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

namespace
{

using Vesk::Mixer;
using Vesk::TestSupport::TestSounds;

constexpr int kBlockFrames = 1024;

// Test tunes are encoded once per run into a temporary folder.
class TuneFolder
{
public:
    TuneFolder() : folder(std::filesystem::temp_directory_path() / ("orlo-bench-sound-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(folder);
    }
    ~TuneFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    std::string Tune(const std::string& name, int sampleRate, double frequency, double seconds)
    {
        std::filesystem::path path = folder / name;
        if (!std::filesystem::exists(path))
        {
            std::vector<uint8_t> bytes = TestSounds::OggTone(2, sampleRate, frequency, seconds, 0.3);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return path.string();
    }

private:
    std::filesystem::path folder;
};

TuneFolder& Tunes()
{
    static TuneFolder tunes;
    return tunes;
}

size_t HeapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_MixTenSecondsOf32SoundsAndTwoSongs(benchmark::State& state)
{
    const std::string first = Tunes().Tune("first.ogg", 44100, 220.0, 12.0);
    const std::string second = Tunes().Tune("second.ogg", 32000, 330.0, 12.0);
    auto effect = std::make_shared<const Vesk::MixerSample>(1, 22050, TestSounds::Sine(1, 22050, 440.0, 0.2, 22050));

    for (auto _ : state)
    {
        state.PauseTiming();
        auto mixer = std::make_shared<Mixer>();
        Vesk::StreamingMusicInterface music(mixer);
        if (!music.LoadMusic(1, first) || !music.LoadMusic(2, second))
        {
            state.SkipWithError("the songs did not load");
            return;
        }
        music.PlayMusic(1);
        music.PlayMusic(2);
        music.SetSongVolume(2, 0.5);
        for (int i = 0; i < 32; ++i)
        {
            Mixer::VoiceId voice = mixer->AddSampleVoice(effect);
            mixer->SetVoiceFrequency(voice, 22050.0 * (0.5 + i / 16.0));
            mixer->SetVoiceGain(voice, 0.1, 0.05);
            mixer->PlayVoice(voice, true);
        }
        std::vector<int16_t> out(kBlockFrames * 2);
        state.ResumeTiming();

        for (int frames = 0; frames < 10 * Mixer::kOutputRate; frames += kBlockFrames)
        {
            mixer->RenderAudio(out.data(), kBlockFrames);
            benchmark::DoNotOptimize(out.data());
        }

        state.PauseTiming();
        music.UnloadAllMusic();
        state.ResumeTiming();
    }
    state.counters["audio_seconds"] = 10;
}
BENCHMARK(BM_MixTenSecondsOf32SoundsAndTwoSongs)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StreamThreeMinuteOggSong(benchmark::State& state)
{
    const std::string tune = Tunes().Tune("three-minutes.ogg", 44100, 261.6, 180.0);
    for (auto _ : state)
    {
        auto mixer = std::make_shared<Mixer>();
        Vesk::StreamingMusicInterface music(mixer);
        std::vector<int16_t> out(kBlockFrames * 2);
        const size_t before = HeapInUse();
        if (!music.LoadMusic(1, tune))
        {
            state.SkipWithError("the tune did not load");
            return;
        }
        music.PlayMusic(1, 0, true);
        size_t peak = HeapInUse();
        size_t blocks = 0;
        while (music.IsPlaying(1))
        {
            mixer->RenderAudio(out.data(), kBlockFrames);
            peak = std::max(peak, HeapInUse());
            ++blocks;
        }
        state.counters["played_seconds"] = static_cast<double>(blocks * kBlockFrames) / Mixer::kOutputRate;
        state.counters["peak_heap_growth_KiB"] = static_cast<double>(peak - before) / 1024.0;
        state.counters["whole_song_KiB"] = 180.0 * Mixer::kOutputRate * 4 / 1024.0;
    }
}
BENCHMARK(BM_StreamThreeMinuteOggSong)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
