// The content tools' costs in the data build: rendering the intro tune, the whole synth run
// for a tune (rendering and Ogg Vorbis encoding, as the build runs it), a sound effect, and an
// SVG page the size of the game's screen split into a background and 30 object crops.
#include "framework/platform/FileSystem.h"
#include "svgrender/SvgRenderer.h"
#include "synth/RecipeReader.h"
#include "synth/ScoreReader.h"
#include "synth/SoundRenderer.h"
#include "synth/TuneRenderer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace
{

std::string ReadSource(const std::string& relative)
{
    std::vector<uint8_t> bytes;
    if (!Vesk::Platform::ReadWholeFile(std::filesystem::path(ORLO_SOURCE_DIR) / relative, bytes))
        return std::string();
    return std::string(bytes.begin(), bytes.end());
}

void RenderIntroTune(benchmark::State& state)
{
    Vesk::ScoreReader reader;
    Vesk::TuneScore score;
    if (!reader.Read(ReadSource("data/music/intro.score"), "intro.score", score))
    {
        state.SkipWithError(reader.ErrorText().c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(Vesk::TuneRenderer::Render(score));
    state.counters["tune_seconds"] = Vesk::TuneRenderer::FormSeconds(score);
}
BENCHMARK(RenderIntroTune)->Unit(benchmark::kMillisecond)->Iterations(3);

void SynthProgramIntroToOgg(benchmark::State& state)
{
    const std::filesystem::path output = std::filesystem::temp_directory_path() / "orlo-bench-intro.ogg";
    const std::string command = std::string("'") + ORLO_SYNTH_PROGRAM + "' tune '" + ORLO_SOURCE_DIR +
                                "/data/music/intro.score' '" + output.string() + "'";
    for (auto _ : state)
    {
        if (std::system(command.c_str()) != 0)
        {
            state.SkipWithError("synth failed");
            return;
        }
    }
    state.counters["ogg_bytes"] = static_cast<double>(std::filesystem::file_size(output));
    std::filesystem::remove(output);
}
BENCHMARK(SynthProgramIntroToOgg)->Unit(benchmark::kMillisecond)->Iterations(3);

void RenderClickSound(benchmark::State& state)
{
    Vesk::RecipeReader reader;
    Vesk::SoundRecipe recipe;
    if (!reader.Read(ReadSource("data/sounds/click.recipe"), "click.recipe", recipe))
    {
        state.SkipWithError(reader.ErrorText().c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(Vesk::SoundRenderer::Render(recipe));
}
BENCHMARK(RenderClickSound)->Unit(benchmark::kMicrosecond);

// An 800 x 600 page: a background of 200 shapes and 30 objects of 8 shapes each.
std::string PageSvg()
{
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"600\">\n"
        << "<rect width=\"800\" height=\"600\" fill=\"#efe4cf\"/>\n";
    for (int i = 0; i < 200; ++i)
        svg << "<path d=\"M" << (i * 37) % 800 << ' ' << (i * 53) % 600 << " q40 -30 80 0 t80 0\" stroke=\"#6b4f3a\""
            << " stroke-width=\"3\" fill=\"#d9c3a0\" opacity=\"0.8\"/>\n";
    for (int o = 0; o < 30; ++o)
    {
        svg << "<g id=\"obj-" << o << "_thing\" transform=\"translate(" << (o * 97) % 720 << ' ' << (o * 61) % 540
            << ")\">\n";
        for (int k = 0; k < 8; ++k)
            svg << "<circle cx=\"" << 10 + k * 6 << "\" cy=\"" << 20 + (k % 3) * 8 << "\" r=\"" << 6 + k
                << "\" fill=\"#a83\" stroke=\"#321\"/>\n";
        svg << "</g>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

void RenderPageBackgroundAndObjects(benchmark::State& state)
{
    const std::string text = PageSvg();
    for (auto _ : state)
    {
        Vesk::SvgRenderer renderer;
        if (!renderer.LoadText(text, "page.svg"))
        {
            state.SkipWithError(renderer.ErrorText().c_str());
            return;
        }
        const std::vector<std::string> objects = renderer.ElementIds("obj-");
        if (!renderer.SetHidden(objects))
        {
            state.SkipWithError(renderer.ErrorText().c_str());
            return;
        }
        std::vector<uint8_t> png;
        std::optional<Vesk::SvgImage> background = renderer.RenderDocument();
        benchmark::DoNotOptimize(background && background->EncodePng(png));
        if (!renderer.SetHidden({}))
            return;
        for (const std::string& id : objects)
        {
            Vesk::SvgPixelRect bounds;
            std::optional<Vesk::SvgImage> object = renderer.RenderElement(id, bounds);
            benchmark::DoNotOptimize(object && object->EncodePng(png));
        }
    }
}
BENCHMARK(RenderPageBackgroundAndObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
