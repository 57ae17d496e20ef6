#include "publication/Page.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "dialogs/Options.h"
#include "dialogs/Pause.h"
#include "dialogs/ProfileDialog.h"
#include "dialogs/ProfileListDialog.h"
#include "dialogs/ProfileNames.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "framework/platform/WindowMessage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "minigames/MiniGame.h"
#include "publication/Cover.h"
#include "publication/Tutorial.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kCursorNormal = 0;
constexpr int kCursorHand = 1;
constexpr int kEscape = 27;
// The page picture's width: the turning edge's position e runs over it from BoardX.
constexpr double kPageWidth = 767.0;
// The pages' corners: a press counts there between these heights (to BoardY + 532).
constexpr int kCornerTop = 500;
constexpr int kForwardCornerX = 730;
constexpr int kBackwardCornerX = 70;
// The edge follows a pointer within this many pixels of it.
constexpr int kEdgeGrab = 100;
// A drag released with the edge at or beyond these turns the page; short of them it falls back.
constexpr int kForwardCompleteEdge = 299;
constexpr int kBackwardCompleteEdge = 501;

// The two edge positions a turning edge never rests at, and what is used instead.
int AvoidRestPositions(int edge)
{
    if (edge == 785)
        return 786;
    if (edge == 18)
        return 17;
    return edge;
}

} // namespace

Page::Page(GameApp& app) : app(app)
{
    SetBounds(0, 0, 800, 600);
    acceptsFocus = true;
    modeZoom.fill(0);
    modeZoomDirection.fill(0);
}

Page::~Page()
{
    for (ButtonWidget* button : {contentsButton.get(), actionButton.get(), profileButton.get(), optionsButton.get(),
                                 miniGamesButton.get(), creditsButton.get(), playButton.get(), exitButton.get(),
                                 stickerButtons[0].get(), stickerButtons[1].get(), stickerButtons[2].get()})
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
}

// --- Buttons ---------------------------------------------------------------------------------

void Page::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
    const auto& pages = app.config.pages;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    auto makeButton = [&](int id, Image* image, int x, int y, int width = -1)
    {
        auto button = std::make_unique<ButtonWidget>(id, this);
        button->buttonImage = image;
        button->label.clear();
        button->noDraw = true;
        int imageWidth = image != nullptr ? image->GetWidth() : 0;
        int imageHeight = image != nullptr ? image->GetHeight() : 0;
        button->SetBounds(x, y, width >= 0 ? width : imageWidth, imageHeight);
        newManager->AddChild(button.get());
        return button;
    };
    contentsButton = makeButton(kContentsNote, IMAGE_POST_CONT, pages.ContentsX, pages.ContentsY,
                                std::max(0, boardX - pages.ContentsX));
    actionButton = makeButton(kPageAction, IMAGE_404, pages.ArrUX, pages.ArrY + 300);
    tabX = float(pages.ArrUX);
    profileButton = makeButton(kProfile, IMAGE_BUT_CHANGE, pages.ProfileX + boardX, pages.ProfileY + boardY);
    optionsButton = makeButton(kOptions, IMAGE_BUT_OPTIONS, pages.OptionsX + boardX, pages.OptionsY + boardY);
    miniGamesButton = makeButton(kMiniGames, IMAGE_BUT_MGAMES, pages.MinigamesX + boardX, pages.MinigamesY + boardY);
    creditsButton = makeButton(kCredits, IMAGE_BUT_CREDITS, pages.CreditsX + boardX, pages.CreditsY + boardY);
    playButton = makeButton(kPlay, IMAGE_BUT_PLAY, pages.PlayX + boardX, pages.PlayY + boardY);
    exitButton = makeButton(kExit, IMAGE_BUT_EXIT, pages.ExitX + boardX, pages.ExitY + boardY);
    stickerButtons[0] = makeButton(kSticker1, IMAGE_ICON_GR, 800, 600);
    stickerButtons[1] = makeButton(kSticker2, IMAGE_ICON_GR, 800, 600);
    stickerButtons[2] = makeButton(kSticker3, IMAGE_ICON_MR, 800, 600);
    MakeStickerSheets();
    RefreshContentsFaceCopy();
    StepMenuVisibility();
}

void Page::OnDetachedFromManager(WidgetManager* oldManager)
{
    for (ButtonWidget* button : {contentsButton.get(), actionButton.get(), profileButton.get(), optionsButton.get(),
                                 miniGamesButton.get(), creditsButton.get(), playButton.get(), exitButton.get(),
                                 stickerButtons[0].get(), stickerButtons[1].get(), stickerButtons[2].get()})
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
    Widget::OnDetachedFromManager(oldManager);
}

void Page::OnButtonReleased(int id)
{
    if (!PageActionGuards(id))
        return;
    switch (id)
    {
    case kPageAction:
        if (shown)
            EnterPage();
        else
            LeavePage();
        break;
    case kContentsNote:
        if (!shown)
        {
            // Inside a page: leave it, and go to the contents once the tab is back.
            if (openGate == -1)
                break;
            if (CameraPath(currentPage) == nullptr)
            {
                pendingAction = kContentsNote;
                PageAction();
            }
            break;
        }
        if (currentPage != 1 && mode != kModeFinalGame && !Flipping())
        {
            FillFlipFaces(currentPage, 1, app.config.common.MaxListPagesCount);
            flipTarget = 1;
            toContents = true;
            jumpFlip = false;
            flipDirection = +1;
            settleDirection = +1;
            flipEdge = kBackwardEdgeStart;
            flipSettled = false;
            app.PlaySample(flipFaceCount <= 1 ? SOUND_PAGE_TURN : SOUND_PAGES_TURN);
        }
        break;
    case kProfile:
    case kOptions:
    case kExit:
    case kMiniGames:
    case kCredits:
    case kPlay:
        OnMenuButton(id);
        break;
    case kSticker1:
    case kSticker2:
    case kSticker3:
        OnStickerButton(id);
        break;
    default:
        break;
    }
}

void Page::OnMenuButton(int id)
{
    if (currentPage != 0 || Flipping())
        return;
    const int last = LastOpenPage();
    switch (id)
    {
    case kProfile:
        ChangePlayer();
        break;
    case kOptions:
    {
        // The application deletes the dialog once it has sunk out and killed itself.
        auto* options = new Options(app.texts.interface.options_control5, "", app);
        options->SetBounds(50, 50, 300, 400);
        app.AddDialog(SettingsDialog::kDialogId, options);
        options->WaitForResult(true);
        break;
    }
    case kExit:
        app.Shutdown();
        break;
    case kMiniGames:
        stickerFade.fill(0);
        FlipToPage(std::max(0, last - 1));
        break;
    case kCredits:
        stickerFade.fill(0);
        FlipToPage(last);
        break;
    case kPlay:
        // A plain turn to the contents (not a jump), so that the contents fade starts there.
        stickerFade.fill(0);
        FlipToPage(1);
        jumpFlip = false;
        toContents = true;
        break;
    default:
        break;
    }
}

void Page::ChangePlayer()
{
    app.SaveGame();
    if (app.allPlayers.empty())
        app.allPlayers = "0|" + app.playerName + "|";
    app.Log("Player list asked for");
    stickerFade.fill(0);
    app.listResult.clear();
    const std::vector<std::string> listedBefore = Profile::ProfileNames::Parse(app.allPlayers);
    const bool wasListed = std::find(listedBefore.begin(), listedBefore.end(), app.playerName) != listedBefore.end();
    (new Profile::ListDialog(app, "", app.allPlayers, app.playerName))->ShowModal();
    if (app.isShutdown)
        return;
    app.GetWidgetManager()->SetFocusWidget(this);
    const std::string result = app.listResult;
    const std::vector<std::string> players = Profile::ProfileNames::Parse(result);
    int chosen = std::atoi(result.c_str());
    if (chosen < 0)
    {
        // Cancelled: nothing changes but the deletions made meanwhile, which the stored list
        // follows; a deleted current player gives way to the first one left.
        auto current = std::find(players.begin(), players.end(), app.playerName);
        if (current != players.end() || !wasListed || players.empty())
        {
            if (!players.empty())
                app.allPlayers = Profile::ProfileNames::Format(
                    current != players.end() ? int(current - players.begin()) : 0, players);
            app.SaveGame();
            return;
        }
        chosen = 0;
    }
    if (size_t(chosen) < players.size())
        app.playerName = players[size_t(chosen)];
    app.allPlayers = Profile::ProfileNames::Format(chosen, players);
    (new Profile::LoadDialog(app, this, "Loading"))->ShowModal();
}

void Page::OnStickerButton(int id)
{
    if (app.tutorialPending || !shown)
        return;
    if (IsFinalGameShown())
        return;
    const PageSet* set = app.currentSet >= 0 && app.currentSet < app.content.setCount
                             ? &app.content.sets[size_t(app.currentSet)]
                             : nullptr;
    if (set == nullptr)
        return;
    int target = id == kSticker1 ? set->a : id == kSticker2 ? set->b : set->c;
    if (!ContentModel::IsPage(target) || target >= app.content.pageCount)
        return;
    if (currentPage > 0)
        contentsFade = 1;
    if (currentPage == target)
    {
        pageComplete = true;
        PageAction();
        return;
    }
    FlipToPage(target);
}

// --- Per step --------------------------------------------------------------------------------

void Page::Tick()
{
    Widget::Tick();
    TickRules(1.0f);
}

void Page::EndDeskFadeIn()
{
    modeZoom[0] = std::max(modeZoom[0], float(app.config.desktop.DT0));
}

bool Page::IntroRunning() const
{
    const auto& desktop = app.config.desktop;
    return modeZoom[0] < float(desktop.DT1 + desktop.DT2 + desktop.DT3 + desktop.DT4);
}

bool Page::ZoomRunning() const
{
    return mode > 0 && mode < kModeCount && modeZoom[size_t(mode)] > 0 && modeZoom[size_t(mode)] < 1;
}

int Page::SetSlotOf(int pageIndex) const
{
    if (app.currentSet < 0 || app.currentSet >= app.content.setCount || pageIndex < 0)
        return 0;
    const PageSet& set = app.content.sets[size_t(app.currentSet)];
    if (pageIndex == set.a)
        return 1;
    if (pageIndex == set.b)
        return 2;
    if (pageIndex == set.c)
        return 3;
    return 0;
}

const TriPointRow* Page::CameraPath(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= kMaxTriPoints)
        return nullptr;
    const TriPointRow& row = app.content.triPoints[size_t(pageIndex)];
    return row.valid ? &row : nullptr;
}

void Page::TickRules(float step)
{
    if (step > 3)
        return;
    StepMenuVisibility();
    StepDeskIntro(step);
    StepTutorialScene();
    StepFirstStart();
    StepMenuTremble(step);
    StepStickers(step);
    StepClocks(step);
    StepTurningEdge(step);
    StepTab(step);
    StepModeZoom(step);
    StepNameStamp(step);
    StepFades(step);
    StepBonusTimer(step);
    if (shown)
        Invalidate();
}

void Page::StepMenuVisibility()
{
    bool menuShown = shown && currentPage == 0 && !IntroRunning();
    for (ButtonWidget* button : {profileButton.get(), optionsButton.get(), miniGamesButton.get(), creditsButton.get(),
                                 playButton.get(), exitButton.get()})
        if (button != nullptr && button->shown != menuShown)
            button->SetShown(menuShown);
    if (miniGamesButton != nullptr && menuShown)
        miniGamesButton->SetShown(app.content.miniGamesAvailable);
    if (contentsButton != nullptr)
    {
        // The note is a way back to the contents from beyond it, on the publication and from a
        // page being played (the board draws it there).
        bool noteShown = currentPage >= 2 && !Flipping() && !IntroRunning();
        if (contentsButton->shown != noteShown)
            contentsButton->SetShown(noteShown);
        bool noteDisabled = mode == kModeFinalGame;
        if (contentsButton->disabled != noteDisabled)
            contentsButton->SetDisabled(noteDisabled);
    }
    if (actionButton != nullptr)
    {
        // The tab is the way into a playable page; elsewhere it lies out of reach under the page.
        bool tabShown = shown && !IntroRunning() && !Flipping() && PlayablePage(currentPage);
        if (actionButton->shown != tabShown)
            actionButton->SetShown(tabShown);
    }
    if (!shown)
        return;
    bool hand = false;
    if (contentsButton != nullptr && contentsButton->shown && contentsButton->isHovered && currentPage > 1 &&
        mode != kModeFinalGame)
        hand = true;
    for (auto& button : stickerButtons)
        if (button != nullptr && button->shown && button->isHovered)
            hand = true;
    if (hand)
        app.SetCursor(kCursorHand);
}

void Page::FollowPath(const TriPointRow& path, double u)
{
    u = std::clamp(u, 0.0, 1.0);
    // Eased from -1 at u = 0 to +1 at u = 1, through the same table of sines the zoom uses.
    constexpr int kSineSteps = 1024;
    double angle = std::numbers::pi / 2 * (2 * u * u - 1);
    int index = int(std::floor(angle / (2 * std::numbers::pi / kSineSteps)));
    index = ((index % kSineSteps) + kSineSteps) % kSineSteps;
    double eased = std::sin(2 * std::numbers::pi * index / kSineSteps);
    double U = eased + 2;
    double f = (U - 1) / 2;
    cameraScale = (1 - f) * path.z1 + f * path.z2;
    cameraX = path.X(U);
    cameraY = path.Y(U);
}

void Page::StepDeskIntro(float step)
{
    const auto& desktop = app.config.desktop;
    const double t1 = desktop.DT1;
    const double t2 = desktop.DT2;
    const double t3 = desktop.DT3;
    const double total = t1 + t2 + t3 + desktop.DT4;
    float& clock = modeZoom[0];
    if (cameraPhase == 3 || clock < 0)
        return;
    if (clock < total)
        clock += float(step * desktop.DSpeed);
    double c = clock;
    if (c >= total || desktop.DSpeed <= 0)
    {
        clock = float(total);
        cameraX = 1100;
        cameraY = 700;
        cameraScale = 1.0;
        stickerFade.fill(0);
        if (cameraPhase == 2)
            ChangeTunes(4);
        cameraPhase = 3;
        return;
    }
    const TriPointRow& first = app.content.triPoints[kTriPointDeskFirst];
    const TriPointRow& second = app.content.triPoints[kTriPointDeskSecond];
    if (c > t1 + t2 + t3)
    {
        cameraPhase = 2;
        if (second.valid)
            FollowPath(second, desktop.DT4 > 0 ? (c - t1 - t2 - t3) / desktop.DT4 : 1.0);
    }
    else if (c > t1)
    {
        if (cameraPhase == 0)
        {
            cameraPhase = 1;
            app.PlaySample(SOUND_CAMERA_MOVE);
        }
        if (first.valid)
            FollowPath(first, t2 > 0 ? (c - t1) / t2 : 1.0);
    }
    else if (first.valid)
        FollowPath(first, 0);
}

void Page::StepTutorialScene()
{
    if (!app.tutorialPending)
        return;
    bool idle = app.SceneState().empty();
    if (!tutorialScenePlayed && idle && currentPage == 1 && !Flipping())
    {
        tutorialScenePlayed = true;
        app.PlayScene("scenes\\tutorial_2.scr");
        return;
    }
    if (tutorialScenePlayed && app.SceneState().empty() && currentPage != 0)
        app.tutorialPending = false;
}

void Page::StepFirstStart()
{
    if (IntroRunning() || !app.isNewPlayer)
        return;
    app.isNewPlayer = false;
    std::string name = (new Profile::FirstInputDialog(app, app.texts.interface.list_add_name))->ShowModal();
    if (app.isShutdown)
        return;
    app.GetWidgetManager()->SetFocusWidget(this);
    if (name.empty())
        name = Profile::ProfileNames::CleanName(app.texts.common.default_name, app.config.common.LongestName);
    // The progress so far goes with the chosen name.
    app.playerName = name;
    app.allPlayers = Profile::ProfileNames::Format(0, {app.playerName});
    app.SaveGame();
    app.RedrawContentsPage();
    app.RedrawCoverFace();
    app.Log("First start: the player is called " + app.playerName);
}

void Page::StepMenuTremble(float step)
{
    if (currentPage != 0 || Flipping() || IntroRunning() || !shown)
        return;
    const auto& pages = app.config.pages;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    struct Home
    {
        ButtonWidget* button;
        int x, y;
    };
    const std::array<Home, 6> homes = {{{profileButton.get(), pages.ProfileX, pages.ProfileY},
                                        {optionsButton.get(), pages.OptionsX, pages.OptionsY},
                                        {miniGamesButton.get(), pages.MinigamesX, pages.MinigamesY},
                                        {creditsButton.get(), pages.CreditsX, pages.CreditsY},
                                        {playButton.get(), pages.PlayX, pages.PlayY},
                                        {exitButton.get(), pages.ExitX, pages.ExitY}}};
    bool anyHovered = false;
    for (size_t i = 0; i < homes.size(); ++i)
    {
        ButtonWidget* button = homes[i].button;
        if (button == nullptr || (i == 2 && !app.content.miniGamesAvailable))
            continue;
        Tremble& tremble = menuTremble[i];
        const double px = pointerX - boardX;
        const double py = pointerY - boardY;
        bool inside =
            px >= homes[i].x && px < homes[i].x + button->width && py >= homes[i].y && py < homes[i].y + button->height;
        if (inside)
        {
            tremble.time += step;
            tremble.amplitude = 1;
            anyHovered = true;
        }
        else
        {
            tremble.amplitude -= float(step * pages.BDS);
            if (tremble.amplitude <= 0)
                tremble = {};
        }
        double a = tremble.amplitude;
        double t = tremble.time;
        button->MoveTo(int(homes[i].x + boardX + a * std::sin(t * pages.TREMXT) * pages.TREMX),
                       int(homes[i].y + boardY + a * std::sin(t * pages.TREMYT) * pages.TREMY));
    }
    app.SetCursor(anyHovered ? kCursorHand : kCursorNormal);
}

void Page::StepStickers(float step)
{
    const auto& pages = app.config.pages;
    if (!(app.tutorialPending && currentPage == 0))
        for (float& fade : stickerFade)
            fade = std::min(1.0f, fade + float(step * pages.SDT));
    if (listSlide < 1)
        stickerFade.fill(float(listSlide));
    const PageSet* set = app.currentSet >= 0 && app.currentSet < app.content.setCount
                             ? &app.content.sets[size_t(app.currentSet)]
                             : nullptr;
    const std::array<int, 3> iconY = {pages.St1IY, pages.St2IY, pages.St3IY};
    for (int k = 0; k < 3; ++k)
    {
        ButtonWidget* button = stickerButtons[size_t(k)].get();
        if (button == nullptr)
            continue;
        int target = set == nullptr ? -1 : k == 0 ? set->a : k == 1 ? set->b : set->c;
        bool done = !ContentModel::IsPage(target) || app.content.pages[size_t(target)].done;
        if (done)
            button->MoveTo(button->x, 1000);
        else if (button->y == 1000)
            button->MoveTo(button->x, iconY[size_t(k)]);
    }
}

void Page::StepClocks(float step)
{
    const auto& pages = app.config.pages;
    if (Flipping())
    {
        idleClock = 0;
        app.ResumeFromPlaytime();
    }
    else
        idleClock += step;
    newBlinkClock += step;
    if (pages.newt > 0)
        newBlinkClock = std::fmod(newBlinkClock, double(pages.newt));
    else
        newBlinkClock = 0;
    replayClock += step;
    if (pages.REPLAY_D > 0)
        replayClock = std::fmod(replayClock, float(pages.REPLAY_D));
    else
        replayClock = 0;
    stampFade = std::clamp(stampFade + float(step * pages.REPLAYdT * stampFadeDirection), 0.0f, 1.0f);
    if (Flipping() || listSlideDirection != 0)
        blinkStart = 0;
    if (pauseOpen)
    {
        blinkStart = 0;
        idleClock = 0;
    }
}

void Page::StepFades(float step)
{
    const auto& pages = app.config.pages;
    auto move = [step](float& value, int& direction, double speed)
    {
        if (direction == 0)
            return;
        value += float(step * speed * direction);
        if (speed <= 0 || value >= 1 || value <= 0)
        {
            value = direction > 0 ? 1.0f : 0.0f;
            direction = 0;
        }
    };
    move(contentsFade, contentsFadeDirection, pages.CDT);
    const std::string& type = ContentModel::IsPage(currentPage) ? app.content.pages[size_t(currentPage)].type : "";
    double slideSpeed = type == "MG1" ? pages.CLDT1 : type == "MG2" ? pages.CLDT2 : pages.CLDT;
    float slide = float(listSlide);
    move(slide, listSlideDirection, slideSpeed);
    listSlide = slide;
    float blurValue = float(blur);
    move(blurValue, blurDirection, pages.BlurSpeed);
    blur = blurValue;
}

void Page::StepBonusTimer(float step)
{
    if (noteTimer > 0)
    {
        noteTimer -= step;
        if (noteTimer <= 0)
            CompleteBonusTake();
    }
    if (currentPage >= 2)
        contentsFade = 1;
}

void Page::CompleteBonusTake()
{
    noteTimer = 0;
    ++app.bonusesTaken;
    app.RedrawContentsNote();
    RedrawContentsLight(-1);
}

void Page::RedrawContentsLight(int)
{
    RefreshContentsFaceCopy();
}

void Page::RefreshContentsFaceCopy()
{
    // The contents face as it turns: the page itself with the contents note stuck on its edge
    // (at rest on the contents page the note is a decoration of its own, fading away).
    DDImage* face =
        ContentModel::IsPage(1) && app.content.pageCount > 1 ? app.content.pages[1].faceImage.get() : nullptr;
    if (face == nullptr || face->GetBits() == nullptr)
    {
        contentsFaceCopy.reset();
        return;
    }
    if (contentsFaceCopy == nullptr)
        contentsFaceCopy = std::make_unique<DDImage>();
    contentsFaceCopy->SetBits(face->GetBits(), face->GetWidth(), face->GetHeight(), false);
    if (IMAGE_POST_CONT != nullptr)
    {
        Graphics graphics(contentsFaceCopy.get());
        graphics.DrawImage(IMAGE_POST_CONT, app.config.pages.ContentsX - app.config.common.BoardX,
                           app.config.pages.ContentsY - app.config.common.BoardY);
    }
    contentsFaceCopy->CommitBits();
}

bool Page::IsPauseOpen()
{
    return pauseOpen || (app.tutorial != nullptr && app.tutorial->shown);
}

bool Page::TakesPointer()
{
    // The final game lies over the hidden publication and passes the player's leafing on.
    return shown || IsFinalGameShown();
}

bool Page::IsFinalGameShown()
{
    MiniGame* last = app.MiniGameOfMode(kModeFinalGame);
    return last != nullptr && last->shown;
}

double Page::CoverAlpha()
{
    return app.cover != nullptr ? app.cover->alpha : 0.0;
}

void Page::SetCoverAlpha(double alpha)
{
    if (app.cover != nullptr)
        app.cover->SetAlpha(alpha);
}

// --- The turning edge ------------------------------------------------------------------------

void Page::StepTurningEdge(float step)
{
    if (flipSettled || flipDirection == 0)
        return;
    const auto& pages = app.config.pages;
    flipLift = int(pages.PageB);
    int queued = std::max(queuedForward, queuedBackward);
    double speedUp = queued > 1 ? std::sqrt(double(queued)) : 1.0;
    flipEdge += int(step * pages.ListSpeed * settleDirection * speedUp);
    if (pages.ListSpeed <= 0)
        flipEdge = settleDirection < 0 ? 0 : 800;
    if (flipEdge < 1 && flipDirection == -1)
    {
        flipEdge = 0;
        flipSettled = true;
        FinishFlip(+1);
        if (queuedForward > 0)
            --queuedForward;
        if (queuedForward > 0)
        {
            --queuedForward;
            ReplayQueuedClick();
        }
    }
    else if (flipEdge >= 800 && flipDirection == +1)
    {
        flipEdge = 800;
        flipSettled = true;
        FinishFlip(-1);
        if (queuedBackward > 0)
            --queuedBackward;
        if (queuedBackward > 0)
        {
            --queuedBackward;
            ReplayQueuedClick();
        }
    }
    else if (flipEdge < 1 || flipEdge > 799)
        CancelFlip();
}

void Page::CancelFlip()
{
    // The edge fell back: the page lies as it was.
    flipSettled = true;
    flipDirection = 0;
    flipEdge = kForwardEdgeStart;
    queuedForward = 0;
    queuedBackward = 0;
    jumpFlip = false;
    toContents = false;
    if (currentPage == 1)
        contentsFadeDirection = -1;
}

void Page::ReplayQueuedClick()
{
    // The next queued corner click turns the next page: its press starts the flip under the
    // pointer and its release counts itself again and lets the edge go.
    OnPress(lastPressX, lastPressY, 1);
    OnRelease(lastPressX, lastPressY, 1);
}

void Page::FinishFlip(int direction)
{
    if (jumpFlip && toContents && flipTarget <= 1)
        jumpFlip = false;
    app.UpdateMiniGamesAvailable();
    stampHovered = false;
    replayClock = 0;
    stampFadeDirection = 1;
    const int pageCount = std::clamp(app.content.pageCount, 1, kMaxPages);
    const bool wasJump = jumpFlip;
    const bool wasToContents = toContents;
    jumpFlip = false;
    toContents = false;
    flipDirection = 0;
    flipFaceCount = -1;
    if (wasJump)
    {
        currentPage = std::clamp(flipTarget, 0, pageCount - 1);
        const PageRecord& record = app.content.pages[size_t(currentPage)];
        if (record.type != "MGList" && record.type != "Credits" && record.type != "Contents" && record.type != "Cover")
        {
            if (record.done)
                app.content.pages[size_t(currentPage)].itemFound.fill(0);
            pageComplete = true;
            PageAction();
        }
    }
    else if (wasToContents)
        currentPage = 1;
    else
    {
        int next = NextOpenPage(currentPage, direction);
        if (next >= 0)
            currentPage = next;
        if (currentPage == 0 || currentPage == LastOpenPage() - 1)
            app.SetCursor(kCursorNormal);
    }
    // However the contents page is reached (a return from a page jumps there), its note peels
    // away: the note leads to the contents and would lie over the first title.
    if (currentPage == 1)
        contentsFadeDirection = -1;
    if (currentPage != 1)
        hoveredTitle = -1;
    if (currentPage == 0)
        queuedBackward = 0;
    if (currentPage >= LastOpenPage())
        queuedForward = 0;
    if (currentPage <= 1 && IsFinalGameShown())
        PageAction();
}

int Page::NextOpenPage(int from, int direction) const
{
    const int pageCount = std::clamp(app.content.pageCount, 0, kMaxPages);
    for (int page = from + direction; page >= 0 && page < pageCount; page += direction)
        if (app.content.pages[size_t(page)].open)
            return page;
    return -1;
}

int Page::LastOpenPage() const
{
    return app.lastReachablePage;
}

DDImage* Page::FaceOf(int pageIndex)
{
    if (!ContentModel::IsPage(pageIndex))
        return nullptr;
    PageRecord& record = app.content.pages[size_t(pageIndex)];
    if (pageIndex == 1 && contentsFaceCopy != nullptr)
        return contentsFaceCopy.get();
    if (record.done && record.doneFaceImage)
        return record.doneFaceImage.get();
    return record.faceImage.get();
}

void Page::FillFlipFaces(int from, int target, int limit)
{
    flipFaces.clear();
    flipFacePages.clear();
    const int direction = target > from ? 1 : -1;
    limit = std::max(1, limit);
    const int pageCount = std::clamp(app.content.pageCount, 0, kMaxPages);
    for (int page = from; page != target && page >= 0 && page < pageCount && int(flipFaces.size()) < limit;
         page += direction)
    {
        // The pages riffling past: the open ones, the page turned first always.
        if (page != from && !app.content.pages[size_t(page)].open)
            continue;
        flipFaces.push_back(TurningFaceOf(page));
        flipFacePages.push_back(page);
    }
    flipFaces.push_back(TurningFaceOf(target));
    flipFacePages.push_back(target);
    flipFaceCount = int(flipFaces.size()) - 1;
}

DDImage* Page::TurningFaceOf(int pageIndex)
{
    DDImage* face = FaceOf(pageIndex);
    const int k = SetSlotOf(pageIndex);
    if (face == nullptr || k < 1 || stampPending || app.content.pages[size_t(pageIndex)].done ||
        stickerFronts[size_t(k - 1)] == nullptr || face->GetBits() == nullptr)
        return face;
    // The sticker of a page of the current set turns with its page: it is laid on a copy of the
    // face once, so the turning sheet is drawn in one pass.
    StickeredFace& baked = stickeredFaces[size_t(k - 1)];
    if (baked.image == nullptr || baked.page != pageIndex || baked.source != face ||
        baked.sourceChanges != face->GetBitsChangedCount())
    {
        if (baked.image == nullptr)
            baked.image = std::make_unique<DDImage>();
        baked.image->SetBits(face->GetBits(), face->GetWidth(), face->GetHeight(), false);
        Graphics graphics(baked.image.get());
        graphics.DrawImage(stickerFronts[size_t(k - 1)].get(), 0, 0);
        baked.image->CommitBits();
        baked.page = pageIndex;
        baked.source = face;
        baked.sourceChanges = face->GetBitsChangedCount();
    }
    return baked.image.get();
}

void Page::FlipToPage(int target)
{
    if (target == currentPage)
        return;
    const int pageCount = std::clamp(app.content.pageCount, 0, kMaxPages);
    if (target < 0 || target >= pageCount)
        return;
    flipTarget = target;
    FillFlipFaces(currentPage, target, app.config.common.MaxListPagesCount);
    const bool forward = target > currentPage;
    settleDirection = forward ? -1 : +1;
    flipDirection = settleDirection;
    flipEdge = forward ? kForwardEdgeStart : kBackwardEdgeStart;
    jumpFlip = true;
    toContents = false;
    flipSettled = false;
    app.PlaySample(flipFaceCount <= 1 ? SOUND_PAGE_TURN : SOUND_PAGES_TURN);
}

bool Page::InForwardCorner(int x, int y) const
{
    return x > kForwardCornerX && y > kCornerTop && y < app.config.common.BoardY + kPageTextHeight;
}

bool Page::InBackwardCorner(int x, int y) const
{
    return x < kBackwardCornerX && y > kCornerTop && y < app.config.common.BoardY + kPageTextHeight;
}

bool Page::ForwardCornerCanTurn() const
{
    const bool onListInFinalGame = mode == kModeFinalGame && ContentModel::IsPage(currentPage) &&
                                   app.content.pages[size_t(currentPage)].type == "MGList";
    return currentPage < LastOpenPage() && NextOpenPage(currentPage, +1) >= 0 && !onListInFinalGame;
}

bool Page::BackwardCornerCanTurn() const
{
    return currentPage > 0 && !(mode == kModeFinalGame && currentPage == 1);
}

void Page::StartCornerFlip(int direction, int x)
{
    int target = NextOpenPage(currentPage, direction);
    if (target < 0)
        return;
    jumpFlip = false;
    toContents = false;
    flipTarget = target;
    flipDirection = direction > 0 ? -1 : +1;
    settleDirection = flipDirection;
    flipEdge = AvoidRestPositions(std::clamp(x, 0, 800));
    flipSettled = true;
    FillFlipFaces(currentPage, target, std::min(app.config.pages.PagesNumber, app.config.common.MaxListPagesCount));
    if (direction < 0 && currentPage == 1)
        contentsFadeDirection = +1;
}

// --- Pointer ---------------------------------------------------------------------------------

void Page::OnPress(int x, int y, int clickCode)
{
    (void)clickCode;
    if (IntroRunning() || ZoomRunning() || !TakesPointer())
        return;
    lastPressX = x;
    lastPressY = y;
    if (!Flipping())
    {
        if (InForwardCorner(x, y) && ForwardCornerCanTurn())
            StartCornerFlip(+1, x);
        else if (InBackwardCorner(x, y) && BackwardCornerCanTurn())
            StartCornerFlip(-1, x);
    }
    OnPointerDrag(x, y);
}

void Page::OnPointerDrag(int x, int y)
{
    pointerX = float(x);
    pointerY = float(y);
    if (!Flipping() || !flipSettled)
        return;
    if (std::abs(x - flipEdge) <= kEdgeGrab)
        flipEdge = AvoidRestPositions(std::clamp(x, 0, 800));
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    double e = std::clamp((flipEdge - boardX) / kPageWidth, 0.0, 1.0);
    if (flipDirection == +1)
        e = 1 - e;
    const double maxLift = app.config.pages.PageB;
    const double rise = boardY + kPageTextHeight - y;
    const double sine = std::sin(std::numbers::pi * e);
    double lift = sine > 1e-9 ? rise / sine : (rise > 0 ? maxLift : 0.0);
    flipLift = int(std::clamp(lift, 0.0, std::max(0.0, maxLift)));
}

void Page::OnRelease(int x, int y, int clickCode)
{
    (void)clickCode;
    if (bonusAvailable)
        TakeBonus();
    bonusAvailable = false;
    if (IntroRunning() || ZoomRunning() || !TakesPointer())
        return;
    const int threshold = app.config.common.ClickTreshold;
    const bool click = std::abs(x - lastPressX) + std::abs(y - lastPressY) < threshold;
    if (Flipping() && !jumpFlip && !toContents)
    {
        if (click)
        {
            if (InForwardCorner(x, y) && flipDirection == -1)
            {
                ++queuedForward;
                if (flipSettled)
                {
                    settleDirection = -1;
                    flipSettled = false;
                }
            }
            else if (InBackwardCorner(x, y) && flipDirection == +1)
            {
                ++queuedBackward;
                if (flipSettled)
                {
                    settleDirection = +1;
                    flipSettled = false;
                }
            }
            else if (flipSettled)
            {
                // A click that is no corner click lets a held page fall back.
                settleDirection = flipDirection == -1 ? +1 : -1;
                flipSettled = false;
            }
        }
        else if (flipSettled)
        {
            if (flipDirection == -1)
                settleDirection = flipEdge <= kForwardCompleteEdge ? -1 : +1;
            else
                settleDirection = flipEdge >= kBackwardCompleteEdge ? +1 : -1;
            flipSettled = false;
        }
    }
    if (Flipping())
        return;

    if (currentPage == 1 && hoveredTitle >= 0)
    {
        int target = app.content.titles[size_t(hoveredTitle)].page;
        if (ContentModel::IsPage(target) && target < app.content.pageCount && app.content.pages[size_t(target)].open)
        {
            returnPage = 1;
            FlipToPage(target);
        }
        return;
    }
    const std::string& type = ContentModel::IsPage(currentPage) ? app.content.pages[size_t(currentPage)].type : "";
    if (type == "MGList")
    {
        // Inside the final game the list leads nowhere: its page is being played.
        int entry = IsFinalGameShown() ? -1 : MiniGameEntryAt(x, y);
        if (entry >= 0)
        {
            returnPage = currentPage;
            FlipToPage(app.content.miniGameEntries[size_t(entry)].page);
        }
        return;
    }
    if (stampHovered && !IsFinalGameShown() && ReplayStampAt(x, y))
    {
        ReplayDonePage();
        return;
    }
    if (currentPage == 0 && exitButton != nullptr && exitButton->shown && LogoAt(x, y))
        app.OpenURLsFromFile("website.url");
}

void Page::ReplayDonePage()
{
    PageRecord& record = app.content.pages[size_t(currentPage)];
    record.itemFound.fill(0);
    returnPage = 1;
    stampHovered = false;
    PageAction();
}

void Page::TakeBonus()
{
    // A take while the last one's pop still runs completes that one first.
    if (noteTimer > 0)
        CompleteBonusTake();
    noteTimer = float(app.config.pages.Bgt);
    app.PlaySample(SOUND_BONUS);
    int pick = bonusIndex >= 100 ? bonusIndex - 100 : bonusIndex;
    if (pick >= 0 && pick < kMaxBonusPicks)
        app.bonusPicks[size_t(pick)].page = -1;
    if (noteTimer <= 0)
        CompleteBonusTake();
}

int Page::ContentsTitleAt(int x, int y) const
{
    const int px = x - app.config.common.BoardX;
    const int py = y - app.config.common.BoardY;
    const int titleHeight = FONT_SMALL_BOLD != nullptr ? FONT_SMALL_BOLD->GetHeight() : 0;
    int hit = -1;
    const int count = std::clamp(app.config.pages.TitlesNumber, 0, kMaxTitles);
    for (int i = 0; i < count; ++i)
    {
        const ContentsEntry& entry = app.content.titles[size_t(i)];
        if (!ContentModel::IsPage(entry.page) || entry.page >= app.content.pageCount ||
            !app.content.pages[size_t(entry.page)].open)
            continue;
        bool inText =
            entry.x < px && px < entry.x + entry.w && entry.y - titleHeight < py && py < entry.y + entry.textHeight;
        bool inPicture = entry.onImage != nullptr && entry.nX < px && px < entry.nX + entry.onImage->GetWidth() &&
                         entry.nY < py && py < entry.nY + entry.onImage->GetHeight();
        bool inMark = false;
        if (i < 25 && IMAGE_CHECK != nullptr && !app.content.pages[size_t(entry.page)].done)
        {
            int halfWidth = IMAGE_CHECK->GetWidth() / 2;
            int halfHeight = IMAGE_CHECK->GetHeight() / 2;
            inMark = std::abs(px - entry.lX) < halfWidth && std::abs(py - entry.lY) < halfHeight;
        }
        if (inText || inPicture || inMark)
            hit = i;
    }
    return hit;
}

int Page::MiniGameEntryAt(int x, int y) const
{
    const int count = std::clamp(app.config.pages.MGNumber, 0, kMaxMiniGameEntries);
    for (int i = 0; i < count; ++i)
    {
        const MiniGameEntry& entry = app.content.miniGameEntries[size_t(i)];
        if (!ContentModel::IsPage(entry.page) || entry.page >= app.content.pageCount ||
            !app.content.pages[size_t(entry.page)].open)
            continue;
        if (entry.x < x && x < entry.x + entry.w && entry.y < y && y < entry.y + entry.textHeight)
            return i;
    }
    return -1;
}

bool Page::ReplayStampAt(int x, int y) const
{
    const auto& desktop = app.config.desktop;
    const double px = x - (desktop.STAMPX + app.config.common.BoardX + desktop.STAMP_RX2);
    const double py = y - (desktop.STAMPY + app.config.common.BoardY + desktop.STAMP_RY2);
    const double ax = desktop.STAMP_RX1;
    const double ay = desktop.STAMP_RY1;
    const double bx = desktop.STAMP_RX3;
    const double by = desktop.STAMP_RY3;
    const double determinant = ax * by - ay * bx;
    if (std::abs(determinant) < 0.0001)
        return false;
    const double a = (px * by - py * bx) / determinant;
    const double b = (ax * py - ay * px) / determinant;
    return a > 0 && a < 1 && b > 0 && b < 1;
}

bool Page::LogoAt(int x, int y) const
{
    if (!app.logosAvailable || app.logoNa == nullptr)
        return false;
    const int left = app.config.pages.MPCX;
    const int top = app.config.pages.MPCY;
    return x > left && x < left + app.logoNa->GetWidth() && y > top && y < top + app.logoNa->GetHeight();
}

void Page::OnPointerMove(int x, int y)
{
    pointerX = float(x);
    pointerY = float(y);
    if (!TakesPointer() || IntroRunning())
        return;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    int cursor = kCursorNormal;
    bool overTurn = false;
    if (Flipping() && std::abs(x - flipEdge) < 50)
        overTurn = true;
    if (!Flipping() && y > kCornerTop && y < boardY + kPageTextHeight + 56)
    {
        if (x < kBackwardCornerX && x > boardX && BackwardCornerCanTurn())
            overTurn = true;
        if (x > kForwardCornerX && x < boardX + int(kPageWidth) && ForwardCornerCanTurn())
            overTurn = true;
    }
    if (overTurn)
        cursor = kCursorHand;
    stampFadeDirection = overTurn ? -1 : +1;

    hoveredTitle = -1;
    if (currentPage == 1 && !Flipping())
    {
        hoveredTitle = ContentsTitleAt(x, y);
        if (hoveredTitle >= 0)
            cursor = kCursorHand;
    }
    const PageRecord* record = ContentModel::IsPage(currentPage) ? &app.content.pages[size_t(currentPage)] : nullptr;
    bool overStamp = record != nullptr && record->done && record->type != "MGLast" && !Flipping() && !ZoomRunning() &&
                     ReplayStampAt(x, y);
    if (stampHovered && !overStamp)
        replayClock = 0;
    stampHovered = overStamp;
    if (overStamp)
        cursor = kCursorHand;
    if (record != nullptr && record->type == "MGList" && MiniGameEntryAt(x, y) >= 0)
        cursor = kCursorHand;
    logoHovered = currentPage == 0 && LogoAt(x, y);
    app.SetCursor(cursor);
}

void Page::OnCharTyped(int character)
{
    if (character != kEscape || pauseOpen)
        return;
    if (currentPage == 0)
    {
        app.Shutdown();
        return;
    }
    // The page clocks stand still while the dialog is up; the application deletes it.
    pauseOpen = true;
    app.SetCursor(0);
    auto* pause = new Pause(app.texts.interface.pause_message, "", app);
    pause->SetBounds(50, 50, 300, 400);
    app.AddDialog(Pause::kPauseDialogId, pause);
    pause->WaitForResult(true);
    app.GetWidgetManager()->SetFocusWidget(this);
    pauseOpen = false;
}

// --- The name stamp --------------------------------------------------------------------------

void Page::StepNameStamp(float step)
{
    if (mode != kModeNameStamp || !stampStarted)
        return;
    const auto& desktop = app.config.desktop;
    stampTimer -= step;
    if (stampTimer > 0)
        return;
    DDImage* face = app.DoneFaceForDrawing(currentPage);
    if (stampTyped == 0)
    {
        app.PlaySample(SOUND_STAMP);
        if (face != nullptr && IMAGE_STAMP != nullptr)
        {
            Graphics graphics(face);
            graphics.DrawImage(IMAGE_STAMP, desktop.STAMPX, desktop.STAMPY);
            face->CommitBits();
        }
    }
    ++stampTyped;
    const int length = int(app.playerName.size());
    if (stampTyped <= length)
    {
        stampTimer = float(std::max(1, desktop.STAMP_WT));
        if (face != nullptr && FONT_SCRIPT != nullptr)
        {
            const std::string typed = app.playerName.substr(0, size_t(stampTyped - 1));
            Graphics graphics(face);
            graphics.SetFont(FONT_SCRIPT);
            graphics.SetColor(Color(desktop.STAMP_Wr, desktop.STAMP_Wg, desktop.STAMP_Wb));
            graphics.DrawString(app.playerName.substr(size_t(stampTyped - 1), 1),
                                desktop.STAMP_WX + FONT_SCRIPT->StringWidth(typed), desktop.STAMP_WY);
            face->CommitBits();
        }
        return;
    }
    // The whole name is written: the camera comes back.
    stampTimer = 0;
    stampTyped = 0;
    stampStarted = false;
    modeZoomDirection[kModeNameStamp] = -1;
}

} // namespace Vesk
