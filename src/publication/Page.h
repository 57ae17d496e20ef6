#pragma once

#include "board/BoardHost.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"
#include "publication/PageCurl.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Vesk
{

class ButtonWidget;
struct PageRecord;
class DDImage;
class GameApp;
class Image;
class MemoryImage;
struct TriPointRow;

// The publication lying on the desk, the game's home screen. The player leafs through it by
// dragging or clicking the bottom corners of its pages: page 0 carries the menu, page 1 the
// contents, later pages are the playable pages, the mini-game list and the credits. A camera
// flight over the desk opens the screen; bookmark stickers lead to the three pages of the set
// being played. The page action (button 3) enters the page the publication lies open at and,
// called again by the page's game, leaves it (PageSequencing.cpp); painting is in PagePaint.cpp.
//
// One instance lives for the whole run; the game application creates it with the other
// screens. Its rules run once per fixed update (Tick), so the screen plays the same in windowed
// and smooth modes; step lengths are 1.0 per 10 ms update.
class Page : public Widget, public ButtonListener, public BoardHost
{
public:
    // Button ids.
    static constexpr int kContentsNote = 1;
    static constexpr int kPageAction = 3;
    static constexpr int kProfile = 4;
    static constexpr int kOptions = 5;
    static constexpr int kExit = 6;
    static constexpr int kMiniGames = 7;
    static constexpr int kCredits = 8;
    static constexpr int kPlay = 9;
    static constexpr int kSticker1 = 11;
    static constexpr int kSticker2 = 12;
    static constexpr int kSticker3 = 13;

    // Modes (besides 1..9, the mini-game of that number).
    static constexpr int kModePublication = 0;
    static constexpr int kModeFinalGame = 10;
    static constexpr int kModeNameStamp = 127;
    static constexpr int kModeCount = 128;

    // The turning edge's ends and its rest positions at the corners.
    static constexpr int kForwardEdgeStart = 784;
    static constexpr int kBackwardEdgeStart = 19;
    static constexpr int kPageTextHeight = 532;

    explicit Page(GameApp& app);
    ~Page() override;

    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnCharTyped(int character) override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnPointerDrag(int x, int y) override;
    void OnButtonReleased(int id) override;

    // The rules of one step (step 1.0 per 10 ms update); a step longer than 3 is ignored.
    void TickRules(float step);

    // Turns the publication straight to target (buttons, stickers, contents titles), the pages
    // in between riffling past; nothing when it lies open there already.
    void FlipToPage(int target);
    // Ends a flip whose edge reached its end: d = +1 after a forward turn, -1 after a backward one.
    void FinishFlip(int direction);
    // The page action: enters the page at currentPage while the publication is shown, leaves
    // the page being played while it is hidden (PageSequencing.cpp).
    void PageAction();
    // The zoom of mode m reached 1 (shows the mode's screen, hides the publication) or 0
    // (frees the mini-game's pictures and flips back to returnPage).
    void EnterMode(int m);
    // Starts the mini-game of a mini-game page (mode gameMode) and its zoom.
    void EnterMiniGame(PageRecord& record, int gameMode);
    // The pictures of the games that keep theirs through the zoom out (modes 3, 5, 8, 9).
    void FreeMiniGamePictures(int gameMode);
    void LeaveMode(int m);

    // Ends the desk's fade out of white at once (the intro scene's end, a script's [SBG]): the
    // desk clock moves on to Desktop/DT0, never back.
    void EndDeskFadeIn();
    // The desk intro (camera flight) is still running.
    [[nodiscard]] bool IntroRunning() const;
    // The zoom of the current mode is under way (strictly between 0 and 1).
    [[nodiscard]] bool ZoomRunning() const;
    [[nodiscard]] bool Flipping() const { return flipDirection != 0; }
    // The page of the current set (1, 2 or 3) at page index, 0 when none.
    [[nodiscard]] int SetSlotOf(int pageIndex) const;
    // The page at pageIndex is one the page action enters (a hidden-object page or a mini-game).
    [[nodiscard]] bool PlayablePage(int pageIndex) const;
    // The camera path of a page (its TriPointRow), null when it has none.
    [[nodiscard]] const TriPointRow* CameraPath(int pageIndex) const;

    // BoardHost.
    bool IsPublicationShown() override { return shown; }
    int CurrentPage() override { return currentPage; }
    int OpenGate() override { return openGate; }
    bool IsPauseOpen() override;
    double ListSlide() override { return listSlide; }
    int ListSlideDirection() override { return listSlideDirection; }
    void SetListSlideDirection(int direction) override { listSlideDirection = direction; }
    void SetListSlide(double slide) override { listSlide = slide; }
    double ModeZoom(int m) override { return m >= 0 && m < kModeCount ? modeZoom[size_t(m)] : 0.0; }
    int CurrentMode() override { return mode; }
    double Blur() override { return blur; }
    void SetBlurDirection(int direction) override { blurDirection = direction; }
    bool IsFinalGameShown() override;
    // The pointer operations act: the publication is shown, or the final game passes them on.
    bool TakesPointer();
    void SetPageComplete() override { pageComplete = true; }
    void RequestPageAction() override { PageAction(); }
    void RedrawContentsLight(int page) override;
    void ClearStickerFades() override { stickerFade.fill(0); }
    double CoverAlpha() override;
    void SetCoverAlpha(double alpha) override;
    void DrawDeskBackground(Graphics& graphics) override;
    void DrawOverlays(Graphics& graphics) override;
    void PaintContentsNote(Graphics& graphics) override;

    GameApp& app;

    int currentPage = 0;
    int lastPressX = 0;
    int lastPressY = 0;
    float pointerX = 0;
    float pointerY = 0;
    // The faces a flip shows, nearest first, the target's face last; -1 when empty.
    std::vector<DDImage*> flipFaces;
    // The page index of each face of flipFaces.
    std::vector<int> flipFacePages;
    int flipFaceCount = -1;
    int flipTarget = 0;
    int flipDirection = 0; // -1 forward, +1 backward, 0 none
    int settleDirection = -1;
    int flipEdge = kForwardEdgeStart;
    int flipLift = 0;
    bool flipSettled = true;
    bool jumpFlip = false;
    bool toContents = false;
    int queuedForward = 0;
    int queuedBackward = 0;

    int mode = kModePublication;
    std::array<float, kModeCount> modeZoom{};
    std::array<int, kModeCount> modeZoomDirection{};
    int openGate = 0;
    float tabX = 0;
    int pendingAction = -1;
    bool pageComplete = false;
    int returnPage = 1;
    double listSlide = 1.0;
    int listSlideDirection = 1;
    double blur = 0;
    int blurDirection = 0;

    // The camera: world position and scale; (1100, 700) at 1.0 at rest.
    double cameraX = 1100;
    double cameraY = 700;
    double cameraScale = 1.0;
    int cameraPhase = 0;

    struct Tremble
    {
        float time = 0;
        float amplitude = 0;
    };
    // Hover shake of the menu buttons: profile, options, mini-games, credits, play, exit.
    std::array<Tremble, 6> menuTremble{};
    std::array<float, 3> stickerFade{};
    float contentsFade = 0;
    int contentsFadeDirection = 0;
    int hoveredTitle = -1;
    double newBlinkClock = 0;
    float idleClock = 0;
    float noteTimer = 0;
    bool bonusAvailable = false;
    int bonusIndex = 0;
    bool pauseOpen = false;
    bool stampHovered = false;
    float replayClock = 0;
    float stampFade = 0;
    int stampFadeDirection = 1;
    uint32_t blinkStart = 0;
    int blinkState = -1;
    float stampTimer = 0;
    int stampTyped = 0;
    int stampNameWidth = 0;
    bool stampPending = false;
    // The first paint has drawn every face once.
    bool facesWarmed = false;
    // The screen has been started (LoadingThreadCompleted's last step).
    bool started = false;
    // The pointer lies over the logo on the cover.
    bool logoHovered = false;

    // The buttons, in the order they are created: 1, 3, 4, 5, 7, 8, 9, 6, 11, 12, 13.
    std::unique_ptr<ButtonWidget> contentsButton;
    std::unique_ptr<ButtonWidget> actionButton;
    std::unique_ptr<ButtonWidget> profileButton;
    std::unique_ptr<ButtonWidget> optionsButton;
    std::unique_ptr<ButtonWidget> miniGamesButton;
    std::unique_ptr<ButtonWidget> creditsButton;
    std::unique_ptr<ButtonWidget> playButton;
    std::unique_ptr<ButtonWidget> exitButton;
    std::array<std::unique_ptr<ButtonWidget>, 3> stickerButtons;

    // The stickers 1..3 as they lie on their pages, 767 x 588 each: laid on the faces that turn.
    std::array<std::unique_ptr<MemoryImage>, 3> stickerFronts;
    // The screen's copy of the contents face, shown while that page turns: the contents note
    // is stamped onto it when a bonus has been taken and after a light redraw.
    std::unique_ptr<DDImage> contentsFaceCopy;

private:
    // Per-step parts (Page.cpp).
    void StepMenuVisibility();
    void StepDeskIntro(float step);
    void StepTutorialScene();
    void StepFirstStart();
    void StepMenuTremble(float step);
    void StepStickers(float step);
    void StepClocks(float step);
    void StepTurningEdge(float step);
    void StepFades(float step);
    void StepBonusTimer(float step);
    void StepNameStamp(float step);
    void FollowPath(const TriPointRow& path, double u);

    // Flips.
    void StartCornerFlip(int direction, int x);
    void FillFlipFaces(int from, int target, int limit);
    DDImage* FaceOf(int pageIndex);
    // The face as it turns: with its sticker when the page is one of the current set's.
    DDImage* TurningFaceOf(int pageIndex);
    int NextOpenPage(int from, int direction) const;
    int LastOpenPage() const;
    void ReplayQueuedClick();
    void CancelFlip();
    bool InForwardCorner(int x, int y) const;
    bool InBackwardCorner(int x, int y) const;
    bool ForwardCornerCanTurn() const;
    bool BackwardCornerCanTurn() const;
    void TakeBonus();
    void RefreshContentsFaceCopy();
    void CompleteBonusTake();

    // Pointer helpers.
    int ContentsTitleAt(int x, int y) const;
    int MiniGameEntryAt(int x, int y) const;
    bool ReplayStampAt(int x, int y) const;
    bool LogoAt(int x, int y) const;
    void ReplayDonePage();

    // Buttons.
    void OnMenuButton(int id);
    void OnStickerButton(int id);
    void ChangePlayer();
    void PlaceMenuButtons();
    void MakeStickerSheets();

    // Page sequencing (PageSequencing.cpp).
    bool PageActionGuards(int id);
    void EnterPage();
    void LeavePage();
    void ChangeTunes(int tune);
    void StartZoom(int m, float zoom);
    void StepTab(float step);
    void ReturnToPublication();
    void CloseShownMiniGames();
    void StepModeZoom(float step);
    void StartNameStamp();
    void StartStampWriting();

    // Painting (PagePaint.cpp).
    void WarmFaces();
    void ApplyCamera(double worldX, double worldY, double& screenX, double& screenY) const;
    void DrawWorldImage(Graphics& graphics, Image* image, double worldX, double worldY, double extraScale = 0);
    void PaintDesk(Graphics& graphics);
    void PaintIntroPublication(Graphics& graphics);
    // The shadows, the contents note and face seen through the camera.
    void PaintPublicationInWorld(Graphics& graphics, Image* face);
    void PaintZoom(Graphics& graphics);
    void PaintNameStamp(Graphics& graphics);
    void PaintAtRest(Graphics& graphics);
    void PaintLeftShadow(Graphics& graphics);
    void PaintTurningPage(Graphics& graphics);
    void PaintBonusPictures(Graphics& graphics, MemoryImage& target);
    void PaintBonusPop(Graphics& graphics);
    void PaintStickerOfPageShown(Graphics& graphics);
    void PaintSticker(Graphics& graphics, int k);
    void PaintStickerTabs(Graphics& graphics);
    void PaintMenu(Graphics& graphics);
    void PaintLogo(Graphics& graphics);
    void PaintContentsDecorations(Graphics& graphics);
    void PaintReplayStamp(Graphics& graphics);
    void PaintOwnButton(Graphics& graphics, ButtonWidget* button);

    // The faces of the current set's pages with their stickers laid on, one per sticker.
    struct StickeredFace
    {
        std::unique_ptr<DDImage> image;
        int page = -1;
        const DDImage* source = nullptr;
        int sourceChanges = -1;
    };
    std::array<StickeredFace, 3> stickeredFaces;

    // The turning sheets (PagePaint.cpp): one curl per face of the flip stack.
    PageCurl curl;
    // The face beneath a held corner with the bonus pictures drawn on it, and what it shows.
    std::unique_ptr<MemoryImage> bonusUnder;
    int bonusUnderPage = -1;
    int bonusUnderDirection = 0;
    // The contents tutorial's scene has been asked for.
    bool tutorialScenePlayed = false;
    // The name stamp's timer has been wound for the current stamp.
    bool stampStarted = false;
};

} // namespace Vesk
