#include "support/GameDriver.h"

#include "app/GameApp.h"
#include "framework/appbase/Buffer.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonWidget.h"
#include "publication/Page.h"
#include "publication/Tutorial.h"
#include "support/TestOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace Vesk::TestSupport
{
namespace
{

// The alpha of a picture's pixel as the board reads it.
int AlphaAt(const DDImage* image, int x, int y)
{
    return image != nullptr ? const_cast<DDImage*>(image)->AlphaAt(x, y) : 0;
}

// Whether an item takes presses at all: unfound, with a picture whose pixels are known.
bool Probeable(const PictureItem& item)
{
    return item.found == 0 && item.image != nullptr && item.opaqueSamples >= 0;
}

constexpr int kSureAlpha = 128;
constexpr int kBoardOpaqueAlpha = 20;

} // namespace

GameDriver::GameDriver()
{
    const std::filesystem::path built(ORLO_BUILT_DATA_DIR);
    for (const char* file : {"main.pak", "play.url", "website.url"})
        std::filesystem::copy_file(built / file, driver.Folder().Path() / file);
    driver.Folder().WriteFile("log.txt", "");
    CreateGame();
}

GameDriver::~GameDriver()
{
    driver.Destroy();
}

void GameDriver::CreateGame()
{
    pak = std::make_unique<ScopedPakInterface>();
    game = &driver.Create<TestGameApp>(true);
    game->stopWhenStarted = false;
}

bool GameDriver::Launch(const std::string& commandLine)
{
    const size_t boxesBefore = driver.MessageBoxes().size();
    bool initialised = driver.Init(commandLine);
    if (initialised)
    {
        driver.Start();
        WaitUntil([this] { return game->loadingThreadCompleted || game->isShutdown; }, 1000, "loading completed");
    }
    if (!initialised || game->isShutdown || driver.MessageBoxes().size() != boxesBefore)
    {
        std::string boxes;
        for (size_t box = boxesBefore; box < driver.MessageBoxes().size(); ++box)
            boxes += "\n  \"" + driver.MessageBoxes()[box].caption + "\": " + driver.MessageBoxes()[box].text;
        ADD_FAILURE() << "the game did not start" << (game->isShutdown ? " (it exited)" : "") << boxes << "\nlog:\n"
                      << Log();
        return false;
    }
    return true;
}

bool GameDriver::Relaunch(const std::optional<SaveData>& save)
{
    const std::string savePath = game->SaveFilePath();
    driver.Destroy();
    pak.reset();
    if (save)
    {
        Buffer buffer = SaveFile::Write(*save);
        std::filesystem::create_directories(std::filesystem::path(savePath).parent_path());
        std::ofstream file(savePath, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(buffer.GetData().data()), std::streamsize(buffer.GetDataLen()));
        if (!file.flush())
            ADD_FAILURE() << "could not write the save " << savePath;
    }
    CreateGame();
    return Launch();
}

void GameDriver::SkipIntro()
{
    const auto& desktop = game->config.desktop;
    game->pageScreen->modeZoom[0] = float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
    Step(2);
}

bool GameDriver::WaitAtRest()
{
    Page& screen = *game->pageScreen;
    return WaitUntil([&] { return !screen.Flipping() && screen.IsPublicationShown(); }, 3000,
                     "the publication lies still");
}

std::optional<Point> GameDriver::TitlePoint(int page)
{
    const auto& common = game->config.common;
    for (const ContentsEntry& entry : game->content.titles)
        if (entry.page == page)
            return Point{common.BoardX + entry.x + std::min(20, entry.w / 2), common.BoardY + entry.y + 2};
    return std::nullopt;
}

bool GameDriver::EnterFromContents(int page)
{
    Page& screen = *game->pageScreen;
    if (screen.currentPage != 1)
    {
        if (screen.currentPage != 0 || screen.playButton == nullptr)
        {
            ADD_FAILURE() << "neither the cover nor the contents lies open (page " << screen.currentPage << ")";
            return false;
        }
        Click(screen.playButton->x + screen.playButton->width / 2,
              screen.playButton->y + screen.playButton->height / 2);
        if (!WaitUntil([&] { return screen.currentPage == 1 && !screen.Flipping(); }, 1000,
                       "the contents page lies open"))
            return false;
    }
    std::optional<Point> title = TitlePoint(page);
    if (!title)
    {
        ADD_FAILURE() << "the contents list no title for page " << page;
        return false;
    }
    MoveTo(*title);
    Click(*title);
    return WaitUntil([&] { return screen.currentPage == page && (!screen.IsPublicationShown() || screen.mode > 0); },
                     1000, "page " + std::to_string(page) + " is entered");
}

bool GameDriver::RelaunchAtSetOf(int page)
{
    std::optional<SaveData> save = ReadSave();
    if (!save)
    {
        ADD_FAILURE() << "no save to start from";
        return false;
    }
    const ContentModel& content = game->content;
    int set = 0;
    while (set < content.setCount && content.sets[size_t(set)].a != page && content.sets[size_t(set)].b != page &&
           content.sets[size_t(set)].c != page)
        ++set;
    if (set == content.setCount)
    {
        ADD_FAILURE() << "page " << page << " is in no set";
        return false;
    }
    for (int earlier = 0; earlier < set; ++earlier)
        for (int done :
             {content.sets[size_t(earlier)].a, content.sets[size_t(earlier)].b, content.sets[size_t(earlier)].c})
            save->pages[size_t(done)].done = save->pages[size_t(done)].open = true;
    save->flags.firstPagePending = false;
    save->flags.tutorialPending = false;
    if (!Relaunch(save))
        return false;
    SkipIntro();
    if (game->currentSet != set)
    {
        ADD_FAILURE() << "the game opened set " << game->currentSet << ", not " << set;
        return false;
    }
    return true;
}

void GameDriver::Step(int count)
{
    driver.RunUpdates(count);
}

void GameDriver::Seconds(double seconds)
{
    Step(int(std::lround(seconds * 100)));
}

bool GameDriver::WaitUntil(const std::function<bool()>& condition, int maxUpdates, const std::string& what)
{
    for (int waited = 0; !condition(); ++waited)
    {
        if (waited == maxUpdates || game->isShutdown)
        {
            ADD_FAILURE() << "gave up waiting for " << what << " after " << waited << " updates"
                          << (game->isShutdown ? " (the game exited)" : "");
            return false;
        }
        Step();
    }
    return true;
}

void GameDriver::MoveTo(int x, int y)
{
    driver.MoveTo(x, y);
    Step();
}

void GameDriver::Click(int x, int y)
{
    MoveTo(x, y);
    Press(x, y);
    Release(x, y);
}

void GameDriver::Press(int x, int y)
{
    driver.Press(x, y);
    Step();
}

void GameDriver::Release(int x, int y)
{
    driver.Release(x, y);
    Step();
}

void GameDriver::Drag(Point from, Point to, int steps)
{
    MoveTo(from);
    Press(from.x, from.y);
    for (int step = 1; step <= steps; ++step)
        MoveTo(from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps);
    Release(to.x, to.y);
}

void GameDriver::Key(int keyCode)
{
    driver.PressKey(keyCode);
    Step();
}

void GameDriver::Type(const std::string& text)
{
    driver.Type(text);
    Step();
}

void GameDriver::Escape()
{
    Key(Platform::KEYCODE_ESCAPE);
}

int GameDriver::FindItem(const std::string& name) const
{
    const ContentModel& content = game->content;
    for (int index = 0; index < std::clamp(content.pictureItemCount, 0, kMaxPictureItems); ++index)
    {
        const PictureItem& item = content.pictureItems[size_t(index)];
        if (item.found == 0 && (item.name == name || item.displayName == name))
            return index;
    }
    return -1;
}

std::optional<Point> GameDriver::ItemScreenPoint(int index) const
{
    const ContentModel& content = game->content;
    if (index < 0 || index >= std::min(content.pictureItemCount, kMaxPictureItems))
        return std::nullopt;
    const PictureItem& item = content.pictureItems[size_t(index)];
    if (!Probeable(item))
        return std::nullopt;
    const int width = item.image->GetWidth();
    const int height = item.image->GetHeight();
    // The free pixels are tried from the centre outwards. The board's test is strict on every
    // edge, so the picture's first row and column never take a press.
    std::vector<Point> pixels;
    for (int y = 1; y < height; ++y)
        for (int x = 1; x < width; ++x)
            pixels.emplace_back(x, y);
    auto distance = [&](Point p) { return std::abs(2 * p.x - width) + std::abs(2 * p.y - height); };
    std::stable_sort(pixels.begin(), pixels.end(), [&](Point a, Point b) { return distance(a) < distance(b); });
    for (Point pixel : pixels)
    {
        if (AlphaAt(item.image.get(), pixel.x, pixel.y) <= kSureAlpha)
            continue;
        const int boardX = item.x + pixel.x;
        const int boardY = item.y + pixel.y;
        bool covered = false;
        for (int above = 0; above < index && !covered; ++above)
        {
            const PictureItem& other = content.pictureItems[size_t(above)];
            covered =
                Probeable(other) && AlphaAt(other.image.get(), boardX - other.x, boardY - other.y) > kBoardOpaqueAlpha;
        }
        if (!covered)
            return Point(game->config.common.BoardX + boardX, game->config.common.BoardY + boardY);
    }
    return std::nullopt;
}

bool GameDriver::ClickItem(const std::string& name)
{
    const int index = FindItem(name);
    if (index < 0)
    {
        ADD_FAILURE() << "no unfound item \"" << name << "\" on the page";
        return false;
    }
    const std::optional<Point> point = ItemScreenPoint(index);
    if (!point)
    {
        ADD_FAILURE() << "item \"" << name << "\" (" << index << ") has no pixel a press would hit";
        return false;
    }
    Click(*point);
    return true;
}

bool GameDriver::Screenshot(const std::string& name)
{
    const std::filesystem::path path = TestOutput::Path(name);
    std::filesystem::create_directories(path.parent_path());
    const bool written = driver.WriteScreenPng(path);
    EXPECT_TRUE(written) << "screenshot " << path;
    return written;
}

uint32_t GameDriver::ScreenPixel(int x, int y)
{
    return driver.Pixel(x, y);
}

std::optional<SaveData> GameDriver::ReadSave() const
{
    std::ifstream file(game->SaveFilePath(), std::ios::binary);
    if (!file)
        return std::nullopt;
    Buffer buffer(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>{}));
    return SaveFile::Read(buffer, game->content.pageCount);
}

std::string GameDriver::Log()
{
    return driver.Folder().ReadFile("log.txt");
}

bool GameDriver::RubAwayTutorial()
{
    Tutorial* tutorial = game->tutorial.get();
    if (tutorial == nullptr || !tutorial->shown)
        return true;
    Step(20);
    if (tutorial->picture == nullptr)
        return false;
    const int width = tutorial->picture->GetWidth();
    const int height = tutorial->picture->GetHeight();
    const int left = 400 - width / 2;
    const int top = 300 + game->config.ispy.dyo - height / 2;
    for (int y = top + 8; y < top + height && !tutorial->finished; y += 24)
        Drag({left - 10, y}, {left + width + 10, y}, 24);
    return tutorial->finished && WaitUntil([&] { return !tutorial->shown; }, 2000, "the erase tutorial fades away");
}

} // namespace Vesk::TestSupport
