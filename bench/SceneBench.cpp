// The scene player over the built game, headless on the virtual clock, in thread CPU time: the
// scene layer of a frame of the shipped intro while two characters talk in the text box, and
// while the closing fade runs over them; then the whole frame of a scene over the hidden-object
// board playing page 2 (the board painted, then the scene player over it, as the widget manager
// paints them), while the page's open scene talks and while a fade to black runs.
//
//     bench_SceneBench --benchmark_repetitions=5
#include "BenchSupport.h"
#include "app/GameApp.h"
#include "board/Board.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "scenes/UCD.h"
#include "support/GameDriver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

using namespace Vesk::Bench;

namespace Vesk
{
namespace
{

using TestSupport::GameDriver;

// A fresh game playing the intro from its start; null (and problem set) when that fails.
std::unique_ptr<GameDriver> StartIntro(std::string& problem)
{
    if (!std::filesystem::exists(std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak"))
    {
        problem = "no built data: build the data target first";
        return nullptr;
    }
    auto game = std::make_unique<GameDriver>();
    if (!game->Launch() || game->Game().scenePlayer == nullptr)
    {
        problem = "the game did not start";
        return nullptr;
    }
    game->Game().playScenes = true;
    game->Game().introPending = true;
    game->Game().PlayScene("intro");
    return game;
}

// Clicks on through the scene until condition holds; false when the scene ends first.
bool PlayUntil(GameDriver& game, const std::function<bool(const UCD&)>& condition)
{
    const UCD& player = *game.Game().scenePlayer;
    for (int update = 0; update < 5000 && player.Playing(); ++update)
    {
        if (condition(player))
            return true;
        if (player.state == "Asking")
        {
            const UCD::SceneButton& yes = player.buttons.at(size_t(std::max(player.FindButton("yes"), 0)));
            game.Click(yes.x + yes.width / 2, yes.y + yes.height / 2);
        }
        else if (player.state == "Waiting" || player.state == "WaitPause" || player.state == "Reading")
            game.Click(400, 590);
        else
            game.Step();
    }
    return false;
}

void TimeSceneLayer(benchmark::State& state, GameDriver& game)
{
    GameApp& app = game.Game();
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        Graphics graphics(app.GetScreenImage());
        app.scenePlayer->Paint(graphics);
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(app.GetScreenImage()->GetBits());
    }
}

// Two characters in, one speaking in the text box, with the box, the name tags and the skip
// button on screen.
void BM_SceneTalkFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartIntro(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    auto talking = [](const UCD& player)
    { return player.state == "Waiting" && player.characters.size() >= 2 && player.objects.size() >= 3; };
    if (!PlayUntil(*game, talking))
        return state.SkipWithError("the intro did not reach its first line");
    game->Step(12);
    TimeSceneLayer(state, *game);
}
BENCHMARK(BM_SceneTalkFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The intro's closing fade to nothing, halfway, over the box and the characters leaving.
void BM_SceneFadeFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartIntro(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    auto fading = [](const UCD& player)
    { return player.fadeType == "to_nothing" && player.fadeLength > 0 && player.fadeClock >= player.fadeLength / 2; };
    if (!PlayUntil(*game, fading))
        return state.SkipWithError("the intro did not reach its closing fade");
    TimeSceneLayer(state, *game);
}
BENCHMARK(BM_SceneFadeFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A fresh game on the board of page 2, entered from the contents with the desk intro skipped, its
// open scene ("open") just started over the board; null (and problem set) when that fails.
std::unique_ptr<GameDriver> StartBoardPage(std::string& problem)
{
    if (!std::filesystem::exists(std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak"))
    {
        problem = "no built data: build the data target first";
        return nullptr;
    }
    auto game = std::make_unique<GameDriver>();
    if (!game->Launch() || game->Game().scenePlayer == nullptr || game->Game().board == nullptr)
    {
        problem = "the game did not start";
        return nullptr;
    }
    auto& app = game->Game();
    Page& screen = *app.pageScreen;
    app.playScenes = true;
    app.tutorialPending = false;
    app.firstPagePending = false;
    const auto& desktop = app.config.desktop;
    screen.modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
    game->Step(2);
    game->Click(screen.playButton->x + 10, screen.playButton->y + 10);
    if (!game->WaitUntil([&] { return screen.currentPage == 1 && !screen.Flipping(); }, 1000, "the contents"))
    {
        problem = "the contents did not open";
        return nullptr;
    }
    const ContentsEntry& title = app.content.titles[0];
    game->Click(app.config.common.BoardX + title.x + 20, app.config.common.BoardY + title.y + 2);
    if (title.page != 2 || !game->WaitUntil([&] { return app.scenePlayer->Playing(); }, 2000, "the open scene") ||
        app.scenePlayer->lastEvent != "open" || !app.board->shown)
    {
        problem = "page 2 did not open on its board with its open scene";
        return nullptr;
    }
    return game;
}

// Paints widget into the screen image as the widget manager paints a dirty top-level widget.
void PaintAsManager(GameApp& app, Widget& widget)
{
    Graphics graphics(app.GetScreenImage());
    const bool accelerated = app.Is3DAccelerated();
    graphics.SetFastStretch(!accelerated);
    graphics.SetLinearBlend(accelerated);
    graphics.Translate(widget.x, widget.y);
    graphics.PushState();
    widget.Paint(graphics);
    graphics.PopState();
}

// The board and then the scene player over it, one frame per iteration; the two parts are
// reported as counters (microseconds per frame).
void TimeFrameOverBoard(benchmark::State& state, GameDriver& game)
{
    GameApp& app = game.Game();
    double boardSeconds = 0;
    double sceneSeconds = 0;
    for (auto _ : state)
    {
        const double start = ThreadSeconds();
        PaintAsManager(app, *app.board);
        const double boardDone = ThreadSeconds();
        PaintAsManager(app, *app.scenePlayer);
        const double end = ThreadSeconds();
        state.SetIterationTime(end - start);
        boardSeconds += boardDone - start;
        sceneSeconds += end - boardDone;
        benchmark::DoNotOptimize(app.GetScreenImage()->GetBits());
    }
    const double frames = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["board_us"] = boardSeconds / frames * 1e6;
    state.counters["scene_us"] = sceneSeconds / frames * 1e6;
}

// Page 2's open scene: the character in, her line typed out in the text box under her name tag,
// with the skip button, over the board.
void BM_SceneTalkOverBoardFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartBoardPage(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    const UCD& player = *game->Game().scenePlayer;
    if (!game->WaitUntil([&] { return player.state == "WaitPause"; }, 3000, "the line typed out") ||
        player.characters.empty() || player.characters[0].text.empty() || player.objects.size() < 2)
        return state.SkipWithError("the open scene did not reach its line");
    game->Step(12);
    TimeFrameOverBoard(state, *game);
}
BENCHMARK(BM_SceneTalkOverBoardFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A scene of the game's own pictures: the character (with her face) and a line in the box, then
// a two-second fade to black, timed halfway, over the board once the open scene and the
// tutorial are over.
void BM_SceneFadeOverBoardFrame(benchmark::State& state)
{
    std::string problem;
    std::unique_ptr<GameDriver> game = StartBoardPage(problem);
    if (game == nullptr)
        return state.SkipWithError(problem.c_str());
    const UCD& player = *game->Game().scenePlayer;
    // Clicks high on the screen move the open scene on; the first-time tutorial after it waits
    // for a find, made by clicking the first item still on the list.
    const Board& board = *game->Game().board;
    const auto& items = game->Game().content.pictureItems;
    for (int update = 0; update < 6000 && player.Playing(); ++update)
    {
        if (player.state == "Waiting" || player.state == "WaitPause" || player.state == "Reading")
            game->Click(400, 20);
        else if (player.state == "Playtime")
        {
            for (int slot = 0; slot < board.slotCount; ++slot)
            {
                const int item = board.listSlots[size_t(slot)];
                if (item >= 0 && items[size_t(item)].found == 0 && game->ClickItem(items[size_t(item)].name))
                    break;
            }
            game->Step();
        }
        else
            game->Step();
    }
    if (player.Playing())
        return state.SkipWithError("the open scene and the tutorial did not end");
    game->Driver().Folder().WriteFile(
        "scenes/bench_fade.scr", "[typing 0]\n"
                                 "[char maren images/scenes/maren 0 262 14]\n"
                                 "[anim maren :-| images/scenes/maren_neutral_1 1 2 0 0]\n"
                                 "[anim maren :-| images/scenes/maren_neutral_2 2 2 0 0]\n"
                                 "[bkg images/scenes/box 240 440 540 140]\n"
                                 "[img images/scenes/tag_maren 256 424]\n"
                                 "[choose maren][frame 268 478 484][color 47 78 42]\n"
                                 "[in maren][pause 1500]\n"
                                 "[:-|]The light is going; we will look again in the morning.[FTB 2000][pause 100000]");
    game->Game().PlayScene("scenes/bench_fade.scr");
    auto halfway = [&]
    { return player.fadeType == "to_black" && player.fadeLength > 0 && player.fadeClock >= player.fadeLength / 2; };
    if (!game->WaitUntil(halfway, 3000, "the fade halfway") || player.characters.empty() ||
        player.characters[0].text.empty())
        return state.SkipWithError("the fade scene did not reach its fade");
    TimeFrameOverBoard(state, *game);
}
BENCHMARK(BM_SceneFadeOverBoardFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace Vesk

BENCHMARK_MAIN();
