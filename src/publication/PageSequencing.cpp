// Entering and leaving the publication's pages: the page action, the tab that slides away while
// a page is played and back when it ends, the camera zoom into a mini-game's page and out
// again, and the tunes that go with them.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "framework/graphics/Font.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "minigames/MiniGame.h"
#include "publication/Page.h"
#include "scenes/UCD.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kCursorNormal = 0;
constexpr int kCursorWait = 10;

// The mode a page kind plays in; -1 for the publication's own pages and unknown kinds.
int ModeOfKind(const std::string& type)
{
    if (type == "Game" || type == "NGame")
        return Page::kModePublication;
    if (type == "MGLast")
        return Page::kModeFinalGame;
    if (type.size() == 3 && type.compare(0, 2, "MG") == 0 && type[2] >= '1' && type[2] <= '9' && type[2] != '7')
        return type[2] - '0';
    return -1;
}

std::string PageLine(const char* format, int page, const std::string& type)
{
    char line[256];
    std::snprintf(line, sizeof line, format, page, type.c_str());
    return line;
}

} // namespace

bool Page::PlayablePage(int pageIndex) const
{
    return ContentModel::IsPage(pageIndex) && pageIndex < app.content.pageCount &&
           ModeOfKind(app.content.pages[size_t(pageIndex)].type) >= 0;
}

void Page::PageAction()
{
    OnButtonReleased(kPageAction);
}

bool Page::PageActionGuards(int id)
{
    if (id == kMiniGames && !app.content.miniGamesAvailable)
        return false;
    if (IntroRunning() || ZoomRunning())
        return false;
    if (pageComplete)
        pageComplete = false;
    else if (shown && id < kSticker1)
        app.PlaySample(SOUND_CLICK);
    return true;
}

void Page::ChangeTunes(int tune)
{
    MusicInterface* music = app.GetMusicInterface();
    if (music == nullptr)
        return;
    music->FadeOut(1, true, 0.004);
    music->FadeIn(tune, -1, 0.002, tune == 2 || tune == 3);
}

void Page::EnterPage()
{
    if (!ContentModel::IsPage(currentPage) || currentPage >= app.content.pageCount)
        return;
    PageRecord& record = app.content.pages[size_t(currentPage)];
    app.Log(PageLine(" Starting page %d of type '%s'", currentPage, record.type));
    if (!PlayablePage(currentPage))
        return;
    const int pageMode = ModeOfKind(record.type);
    if (actionButton != nullptr)
        tabX = float(actionButton->x);

    if (pageMode != kModePublication)
    {
        EnterMiniGame(record, pageMode);
        return;
    }

    const bool single = record.type == "NGame";
    // A done page is played again from the start, whichever way it is entered.
    if (record.done)
        record.itemFound.fill(0);
    app.SetCursor(kCursorWait);
    Invalidate();
    app.LoadPageItems(record.dir, currentPage);
    app.SetCursor(kCursorNormal);
    if (app.content.pictureItemCount <= 0 || app.board == nullptr)
    {
        app.Log(PageLine(" Page %d of type '%s' has nothing to find: it stays closed", currentPage, record.type));
        app.content.pictureItemCount = 0;
        return;
    }
    ChangeTunes(2);
    // Hidden-object and single-name pages alike: a scene over the page gives its tune back.
    if (app.scenePlayer != nullptr)
    {
        app.scenePlayer->musicAfterScene = 2;
        app.scenePlayer->restoreMusic = true;
    }
    app.board->StartPage(record.timeLimit, single);
    if (app.board->completed || app.board->slotCount <= 0)
    {
        app.Log(PageLine(" Page %d of type '%s' cannot fill its list: it stays closed", currentPage, record.type));
        app.content.pictureItemCount = 0;
        return;
    }
    SetShown(false);
    openGate = -1;
    mode = kModePublication;
    for (auto& button : stickerButtons)
        if (button != nullptr)
            button->SetDisabled(true);
    app.OfferEraseTutorial();
}

void Page::LeavePage()
{
    // The tab still slides away: the page has only just started and cannot be left yet.
    if (openGate == -1)
        return;
    if (!ContentModel::IsPage(currentPage))
        return;
    PageRecord& record = app.content.pages[size_t(currentPage)];
    app.Log(PageLine(" Ending page %d of type '%s'", currentPage, record.type));
    if (record.type == "Game" || record.type == "NGame")
    {
        if (record.type == "Game" && app.board != nullptr)
        {
            record.listSlots = app.board->listSlots;
            const int count = std::clamp(app.content.pictureItemCount, 0, kMaxPictureItems);
            for (int i = 0; i < kMaxPictureItems; ++i)
                record.itemFound[size_t(i)] = i < count ? double(app.content.pictureItems[size_t(i)].found) : 0.0;
        }
        // The page's pictures are let go until it is entered again.
        const int count = std::clamp(app.content.pictureItemCount, 0, kMaxPictureItems);
        for (int i = 0; i < count; ++i)
            app.content.pictureItems[size_t(i)].image.reset();
        app.content.pictureItemCount = 0;
        for (auto& button : stickerButtons)
            if (button != nullptr)
                button->SetDisabled(false);
    }
    if (openGate == 0)
    {
        openGate = +1;
        listSlideDirection = +1;
        blurDirection = +1;
    }
}

void Page::StepTab(float step)
{
    const auto& pages = app.config.pages;
    if (actionButton == nullptr)
        return;
    if (openGate == -1)
    {
        tabX -= float(step * pages.ArrDX);
        if (tabX <= float(pages.ArrdX) || pages.ArrDX <= 0)
        {
            tabX = float(pages.ArrdX);
            actionButton->MoveTo(pages.ArrdX, actionButton->y);
            actionButton->buttonImage = IMAGE_404;
            openGate = 0;
        }
        else
            actionButton->MoveTo(int(tabX), actionButton->y);
        return;
    }
    if (openGate == +1)
    {
        // The tab waits at home until the notes and the blur are away too.
        tabX = std::min(tabX + float(step * pages.ArrBX), float(pages.ArrUX));
        if (pages.ArrBX <= 0)
            tabX = float(pages.ArrUX);
        if (tabX >= float(pages.ArrUX) && listSlide == 1 && blur == 1)
        {
            actionButton->MoveTo(pages.ArrUX, actionButton->y);
            actionButton->buttonImage = IMAGE_404;
            openGate = 0;
            ReturnToPublication();
        }
        else
            actionButton->MoveTo(int(tabX), actionButton->y);
        return;
    }
    actionButton->MoveTo(int(tabX), actionButton->y);
}

void Page::ReturnToPublication()
{
    SetShown(true);
    if (manager != nullptr)
        manager->SetFocusWidget(this);
    if (pendingAction >= 0)
    {
        int id = pendingAction;
        pendingAction = -1;
        OnButtonReleased(id);
    }
    if (CameraPath(currentPage) != nullptr && mode != kModeFinalGame)
        app.PlaySample(SOUND_CAMERA_MOVE);
    ChangeTunes(4);
    CloseShownMiniGames();
    // Hidden-object pages (and the mini-games that do not zoom) turn back at once, unless the
    // player's name is to be stamped on the page first.
    if (mode == kModePublication || mode == 2 || mode == 6)
    {
        if (stampPending)
            StartNameStamp();
        else if (!Flipping())
            FlipToPage(returnPage);
    }
}

void Page::EnterMiniGame(PageRecord& record, int gameMode)
{
    MiniGame* game = app.MiniGameOfMode(gameMode);
    if (game == nullptr)
    {
        app.Log("No screen for pages of type '" + record.type + "' yet: the publication stays open");
        return;
    }
    app.SetCursor(kCursorWait);
    Invalidate();
    if (gameMode == 1 || gameMode == 2)
    {
        game->LoadPicture(record.dir);
        game->StartGame(record.timeLimit, record.itemCount);
    }
    else
    {
        game->StartGame(record.timeLimit, record.itemCount);
        if (gameMode != kModeFinalGame)
            game->LoadPicture(record.dir);
        game->StartGame(record.timeLimit, record.itemCount);
    }
    app.SetCursor(kCursorNormal);
    // The first two games and the final one lie under the publication from the start; the
    // others are shown once the camera has zoomed into their page.
    if (gameMode == 1 || gameMode == 2 || gameMode == kModeFinalGame)
        game->SetShown(true);
    ChangeTunes(3);
    if (app.scenePlayer != nullptr)
    {
        app.scenePlayer->musicAfterScene = 3;
        app.scenePlayer->restoreMusic = true;
    }
    if (gameMode != kModeFinalGame)
        game->BuildSnapshot();
    const bool hasPath = CameraPath(currentPage) != nullptr;
    mode = gameMode;
    // The first game's zoom starts a little way in; without a camera path every zoom switches
    // at once (StepModeZoom).
    modeZoom[size_t(gameMode)] = gameMode == 1 && hasPath ? 0.01f : 0.0f;
    modeZoomDirection[size_t(gameMode)] = +1;
    openGate = -1;
    if (hasPath && gameMode != kModeFinalGame)
        app.PlaySample(SOUND_CAMERA_MOVE);
    // The first game draws no stickers: their buttons go too, or they would catch the clicks
    // meant for the pieces under them.
    if (gameMode == 1)
        for (auto& button : stickerButtons)
            if (button != nullptr)
            {
                button->SetDisabled(true);
                button->SetShown(false);
            }
}

void Page::CloseShownMiniGames()
{
    auto shownGame = [&](int gameMode) -> MiniGame*
    {
        MiniGame* game = app.MiniGameOfMode(gameMode);
        return game != nullptr && game->shown ? game : nullptr;
    };
    // The camera flies back out of the game's mode; without a camera path the mode is left at
    // the next step (StepModeZoom), which then frees the pictures and turns back or stamps.
    auto zoomOut = [&](int gameMode)
    {
        if (gameMode == 1)
            for (auto& button : stickerButtons)
                if (button != nullptr)
                {
                    button->SetDisabled(false);
                    button->SetShown(true);
                }
        mode = gameMode;
        modeZoomDirection[size_t(gameMode)] = -1;
    };
    for (int gameMode : {1, 2, 3, 4, 5, 6, 8, 9})
    {
        MiniGame* game = shownGame(gameMode);
        if (game == nullptr)
            continue;
        const bool zooms = gameMode != 2 && gameMode != 6;
        if (gameMode != 2 && gameMode != 6 && gameMode != 8)
            game->BuildSnapshot();
        game->SetShown(false);
        if (gameMode == 1 || gameMode == 2 || gameMode == 4 || gameMode == 6)
            game->FreePictures();
        if (zooms)
            zoomOut(gameMode);
        else
        {
            // The games that do not zoom out come back to rest, camera and all.
            modeZoom[size_t(gameMode)] = 0;
            modeZoomDirection[size_t(gameMode)] = 0;
            cameraX = 1100;
            cameraY = 700;
            cameraScale = 1;
            if (mode == gameMode)
                mode = kModePublication;
        }
    }
    if (MiniGame* last = shownGame(kModeFinalGame); last != nullptr)
    {
        // The final game zooms neither in nor out: its mode ends with it, and the publication
        // stays at the page it lies open at.
        last->SetShown(false);
        modeZoom[kModeFinalGame] = 0;
        modeZoomDirection[kModeFinalGame] = 0;
        if (mode == kModeFinalGame)
            mode = -1;
        if (ContentModel::IsPage(currentPage) && app.content.pages[size_t(currentPage)].done)
            app.PlayScene("scenes/final.scr");
    }
}

void Page::FreeMiniGamePictures(int gameMode)
{
    if (gameMode != 3 && gameMode != 5 && gameMode != 8 && gameMode != 9)
        return;
    if (MiniGame* game = app.MiniGameOfMode(gameMode); game != nullptr)
        game->FreePictures();
}

void Page::StartZoom(int m, float zoom)
{
    if (m <= 0 || m >= kModeCount)
        return;
    mode = m;
    modeZoom[size_t(m)] = zoom;
    modeZoomDirection[size_t(m)] = +1;
}

void Page::StartNameStamp()
{
    // The camera zooms onto the page just completed and the player's name is stamped on it.
    stampPending = false;
    stampTimer = 0;
    stampTyped = 0;
    stampStarted = false;
    StartZoom(kModeNameStamp, 0);
}

void Page::StepModeZoom(float step)
{
    if (mode <= 0 || mode >= kModeCount)
        return;
    const auto& desktop = app.config.desktop;
    const size_t m = size_t(mode);
    const TriPointRow* path = mode == kModeNameStamp ? CameraPath(kTriPointStamp) : CameraPath(currentPage);
    if (path == nullptr)
    {
        // No camera path: the mode switches at once.
        if (modeZoomDirection[m] == +1 && modeZoom[m] < 1)
        {
            modeZoom[m] = 1;
            if (mode == kModeNameStamp)
                StartStampWriting();
            else
                EnterMode(mode);
        }
        else if (modeZoomDirection[m] == -1)
        {
            modeZoom[m] = 0;
            modeZoomDirection[m] = 0;
            stickerFade.fill(0);
            LeaveMode(mode);
        }
        return;
    }
    bool atRest = true;
    if (modeZoomDirection[m] == +1 && modeZoom[m] < 1)
    {
        atRest = false;
        if (blurDirection == 0 && openGate == 0)
        {
            double speed = mode == kModeNameStamp ? desktop.DSSpeed : desktop.DSpeed;
            modeZoom[m] += float(step * speed);
            if (modeZoom[m] >= 1 || speed <= 0)
            {
                modeZoom[m] = 1;
                if (mode == kModeNameStamp)
                    StartStampWriting();
                else
                    EnterMode(mode);
            }
        }
    }
    else if (modeZoomDirection[m] == -1 && modeZoom[m] > 0)
    {
        atRest = false;
        modeZoom[m] -= float(step * desktop.DSpeed);
        if (modeZoom[m] <= 0 || desktop.DSpeed <= 0)
        {
            modeZoom[m] = 0;
            modeZoomDirection[m] = 0;
            stickerFade.fill(0);
            cameraX = 1100;
            cameraY = 700;
            cameraScale = 1;
            LeaveMode(mode);
            return;
        }
    }
    if (!atRest || (modeZoom[m] > 0 && modeZoom[m] < 1) || (mode == kModeNameStamp && modeZoom[m] > 0))
        FollowPath(*path, modeZoom[m]);
}

void Page::StartStampWriting()
{
    const auto& desktop = app.config.desktop;
    stampPending = false;
    stampStarted = true;
    stampTimer = float(desktop.STAMPT);
    stampTyped = 0;
    stampNameWidth = FONT_SCRIPT != nullptr ? FONT_SCRIPT->StringWidth(app.playerName) : 0;
}

void Page::EnterMode(int m)
{
    if (m >= 3 && m <= 9)
        if (MiniGame* game = app.MiniGameOfMode(m); game != nullptr)
            game->SetShown(true);
    SetShown(false);
}

void Page::LeaveMode(int m)
{
    FreeMiniGamePictures(m);
    if (m == kModeNameStamp || !stampPending)
    {
        FlipToPage(returnPage);
        if (!stampPending)
        {
            modeZoomDirection[size_t(std::clamp(m, 0, kModeCount - 1))] = 0;
            mode = -1;
            return;
        }
    }
    StartNameStamp();
}

} // namespace Vesk
