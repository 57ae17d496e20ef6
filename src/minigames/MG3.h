#pragma once

#include "minigames/MiniGame.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;

// The sequence memory game: at the start of each round the items of the round are shown one
// after another in a random order (the show); the player then puts them into the dish in that
// order. An item put in before one that comes earlier costs a try and plays the page's fail
// script; the replay button shows the order again for a try. Once every item of the round lies
// in the dish they whirl into the tray, which (after the first two rounds) is carried to its
// parking place, and the next round's show begins; the last round ends the page.
//
// The picture set (LoadPicture) names each picture by its file name: "b_..." backgrounds (the
// first is the tray that travels at a round's end), "s_..." the placing sparkle (22 cels side by
// side), "m_..." the dish, "t_N..." the tray's parking picture after round N, and three pictures
// per item, "i_Nkey" (the loose item, MiniGame3/FC cels side by side, at its home), "c_Nkey" (how
// the show presents it; from "images/local/" when the page's folder has none) and "a_Nkey" (the
// item lying in the dish), N the round's digit. Round 1's items also belong to every later round:
// a later round lists only what it adds.
class MG3 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 33;
    static constexpr int kReplayButtonId = 28;
    static constexpr int kMaxRounds = 8;
    static constexpr int kMaxItems = 32;
    static constexpr int kMaxBackgrounds = 16;
    static constexpr int kSparkleCels = 22;

    // A picture of the set at its place on the board.
    struct Placed
    {
        std::shared_ptr<DDImage> image;
        int x = 0;
        int y = 0;
    };

    struct Item
    {
        std::string key;
        std::shared_ptr<DDImage> image; // the loose item, FC cels
        Placed shown;                   // "c_": during the show
        Placed inDish;                  // "a_": in the dish
        int homeX = 0;                  // board coordinates
        int homeY = 0;
        double x = 0;
        double y = 0;
        int width = 0; // one cel
        int height = 0;
        double found = 0; // 0 loose, 0.01 .. 1 being placed, 1 in the dish
    };

    struct Round
    {
        std::vector<Item> items;
        // The order of the show: indices into items, the round's first Playable() items.
        std::vector<int> sequence;
    };

    explicit MG3(GameApp& app);
    ~MG3() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines that name
    // nothing this game knows, items beyond kMaxItems and items missing a picture are left out
    // with a log line; rounds the set cannot fill are not played.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    void BuildSnapshot() override;
    void FreePictures() override;
    void CompleteRound() override;

    void SetShown(bool show) override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnButtonReleased(int id) override;
    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int code) override;
    void OnRelease(int x, int y, int code) override;
    void OnPointerDrag(int x, int y) override;
    void OnPointerMove(int x, int y) override;

    // Rounds the set lets the game play (MiniGame3/rounds, at most the rounds it can fill).
    int RoundCount() const { return roundCount; }
    const Round& RoundAt(int index) const;
    const Round& CurrentRound() const { return RoundAt(round); }
    // Items in play this round: MiniGame3/items(round + 1), at most the items the round has.
    int Playable() const;
    // Items of the round in the dish and back home.
    int PlacedInRound() const;
    // The show clock (10 a step unit) and where the show ends; the item the show presents now
    // (-1 none).
    double ShowClock() const { return showClock; }
    double ShowEnd() const;
    int ShownItem() const;
    bool RoundEnding() const { return roundTimer > 0; }
    // The tray's present place on the board (the first "b_" picture).
    int TrayX() const { return trayX; }
    int TrayY() const { return trayY; }
    const Placed& Dish() const { return dish; }

    std::unique_ptr<ButtonWidget> replayButton;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool OwnsCursor() const override { return true; }
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void AddItemPicture(const std::string& dir, const PictureListEntry& entry, char kind, int roundIndex);
    void DropIncompleteItems();
    void CountRounds(const std::string& dir);
    void StartRound();

    void SetGameCursor();
    void PlayShowSound();
    void StepRoundEnd(float step);
    void EndRound();
    void ReturnItems(float step);
    void FillPlacedItems(float step);
    void CheckRoundComplete();

    bool AcceptsInput() const;
    Item* HeldItem();
    void MoveHeldItem(int x, int y);
    void PutDownHeldItem(int x, int y);
    bool InOrder(int itemIndex) const;
    void WrongMove();

    int ConfiguredItems(int roundIndex) const;
    double PauseOf(int roundIndex) const;
    int CelCount() const;
    double EndPhase() const;

    void PaintScene(Graphics& graphics, int originX, int originY, bool live);
    void PaintTray(Graphics& graphics, int originX, int originY);
    void PaintShow(Graphics& graphics, int originX, int originY);
    void PaintWhirl(Graphics& graphics, int originX, int originY);
    void PaintItem(Graphics& graphics, const Item& item, int originX, int originY);
    void PaintBlurred(Graphics& graphics, double blur);
    void PrepareBlur();

    Round& Current() { return rounds[size_t(std::clamp(round, 0, kMaxRounds - 1))]; }

    std::array<Round, kMaxRounds> rounds;
    std::vector<Placed> backgrounds;
    std::array<Placed, kMaxRounds> parking;
    Placed dish;
    std::shared_ptr<DDImage> sparkle;
    int roundCount = 0;
    double showClock = 0;
    bool showSoundPlayed = false;
    int trayX = 0;
    int trayY = 0;
    // The page-turn look: a smear of the snapshot, made with it for round blurRound.
    std::unique_ptr<MemoryImage> blurSmear;
    int blurRound = -1;
};

} // namespace Vesk
