#pragma once

#include "app/ContentModel.h"
#include "board/BoardBlur.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Vesk
{

class BoardHost;
class ButtonWidget;
class Font;
class GameApp;
class MemoryImage;
struct PictureItem;

// The screen on which a hidden-object page is played. The page's picture is cut into picture
// items (the game application's pictureItems); the board draws them over the page, keeps a list
// of up to twelve names to find on three notes, turns presses into finds, jiggles an item when
// the player idles or asks for a hint, locks the board for a while after a series of wild
// clicks, and tells the scene player when the page opens and when it is done.
//
// One board lives for the whole run; the game application owns it and the publication screen
// starts its pages (StartPage, after loading the page's items) and is its host. The rules run
// once per fixed update from Tick, so the board plays the same in windowed and smooth modes.
class Board : public Widget, public ButtonListener
{
public:
    static constexpr int kBoardWidth = 767;
    static constexpr int kBoardHeight = 532;
    // The press code of the board's own re-probe during a drag: no press position, no misclick.
    static constexpr int kDragProbeCode = 196;
    static constexpr int kHintButtonId = 3;
    static constexpr int kBackButtonId = 4;

    explicit Board(GameApp& app);
    ~Board() override;

    // Sets up the page the host lies open at, after its picture items are loaded: a fresh list
    // drawn at random, or the list and finds the page was left with. singleMode: one entry
    // ("NGame" pages) instead of twelve.
    virtual void StartPage(int timeLimitSeconds, bool singleMode);

    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int code) override;
    void OnRelease(int x, int y, int code) override;
    void OnPointerDrag(int x, int y) override;
    void OnButtonReleased(int id) override;

    // The rules of one update; step is 1.0 per 10 ms update.
    void TickRules(float step);
    // Redraws the note of the item's list entry with the item's strike grown to amount (0..255)
    // and returns the strike's vertical lean; 1000 (nothing drawn) while the entry is incomplete.
    double StrikeEntry(int item, int amount);

    GameApp& app;
    // The publication screen; null until it exists (answered by the publication screen).
    BoardHost* host = nullptr;

    bool singleMode = false;
    int slotCount = 12;
    int rowCount = 4;
    std::array<int, kListSlotCount> listSlots{};
    std::array<double, kListSlotCount> slotAngles{};
    int pressedItem = -1;
    int lastFoundItem = -1;
    int missCount = 0;
    uint32_t lastMissTime = 0;
    float penaltyTime = 0;
    float pointerX = 0;
    float pointerY = 0;
    int pressX = 0;
    int pressY = 0;
    uint32_t pageStartTime = 0;
    uint32_t timeLimitMs = 0;
    uint32_t pauseStartTime = 0;
    bool openSignalled = false;
    uint32_t lastActivityTime = 0;
    int hintTarget = -1;
    bool hintSoundArmed = true;
    float hintCharge = 0;
    bool completed = false;
    int findEffectX = 0;
    int findEffectY = 0;
    // The back-button glow, 0..1: plays once after the notes have arrived.
    double backGlow = 0;
    // The note slide's stage at the last paint (0 away .. 4 in place).
    int noteStage = 0;
    // The page being played (the host's current page when the page started), -1 none.
    int page = -1;
    std::unique_ptr<ButtonWidget> backButton;
    std::unique_ptr<ButtonWidget> hintButton;

private:
    PictureItem& Item(int index);
    int ItemCount() const;
    PageRecord* CurrentRecord();
    uint32_t Now() const;

    // StartPage's steps.
    void ResetForPage(bool singleMode);
    int UsableSavedSlots(const PageRecord& record) const;
    void ResumeList(const PageRecord& record);
    bool DrawUpFreshList();
    bool IsEligible(const PictureItem& item) const;
    void PutItemZeroFirst();
    double RandomSlotAngle();
    void BuildLayers();

    // Presses, releases and finds.
    int ProbeItem(int px, int py);
    bool IsListed(int item) const;
    int EntryOf(int item) const;
    void FindPressedItem();
    void ApplyGroupFind(int item);
    void CountMisclick(int x, int y);
    void SendItemHome(int item);

    // TickRules' steps.
    void ShowButtonsWhilePlaying();
    void StepBackGlow(float step);
    void StepCover();
    void HandleDebugKeys();
    bool TickPause();
    void AnimateFinds();
    void CheckCompletion();
    void SignalOpen();
    void TickHints();
    int ChooseHintTarget();
    void TickPenalty(float step);
    void StartPenaltyOnMisclicks();
    void ChargeHint(float step);
    void SelfRelease();
    bool KeyHeld(int keyCode);

    // Paint's steps, in the order they are drawn.
    bool HasPageToPaint();
    void PaintPageShadows(Graphics& graphics);
    void PaintItems(Graphics& graphics);
    void PaintBlurredItems(Graphics& graphics, double blur);
    void PaintDebugNames(Graphics& graphics);
    void PaintObjectivePanel();
    void PaintListNotes(Graphics& graphics);
    void PaintButtonsAndGlows(Graphics& graphics);
    void ApplyShowFinger();
    int StrikeAmount(float found) const;
    void StrikeAnimatingEntries();
    void PaintPencils(Graphics& graphics);
    void PaintFindEffects(Graphics& graphics);
    void PaintEraser(Graphics& graphics);
    void PaintOwnButton(Graphics& graphics, ButtonWidget* button);

    // Where the panel and the notes lie while they slide: the stage and each one's factor
    // (0 in place .. 1 away), and the place and scale of a picture at a factor.
    struct NoteSlide
    {
        int stage = 0;
        double panel = 0;
        double note1 = 0;
        double note2 = 0;
        double note3 = 0;
    };
    struct NotePlace
    {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
        double scale = 1;
    };
    NoteSlide ComputeNoteSlide(double slide) const;
    NotePlace PlaceOf(Image* image, int restX, int restY, double factor) const;
    NotePlace NotePlaceOf(int note, double slide) const;

    // The note layers' text and strikes.
    Image* NoteImage(int note) const;
    int RowY(int row) const;
    Font* ListFont(const std::string& text) const;
    void WriteNoteEntries(int note);
    double ListSlide();

    std::array<std::unique_ptr<MemoryImage>, 3> noteLayers;
    std::unique_ptr<MemoryImage> panelLayer;
    // The items' smear while the page turns.
    BoardBlur itemBlur;
    // The vertical lean of each item's strike at the last paint (the pencil follows it).
    std::array<double, kMaxPictureItems> strikeLeans{};
    // The objective text last written into the panel layer.
    std::string panelText;
    // The "no item to hint" box is shown at most once per page.
    bool hintFailureShown = false;
};

} // namespace Vesk
