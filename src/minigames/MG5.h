#pragma once

#include "minigames/DifferencesBlur.h"
#include "minigames/MiniGame.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;
class Image;
class MemoryImage;

// The scanner conveyor: pieces of luggage ride a belt from left to right through a scanner in
// the middle of the screen. Past the scanner line a piece shows its see-through picture; the
// pieces that have one are suspicious and must be clicked on the right half of the screen before
// they leave. A harmless piece clicked, or a suspicious one let through, costs a try and plays
// the page's fail scene. A round is won once every piece has left with at least the round's
// count caught (MiniGame5/itemsN, at most what the round carries); otherwise it costs a try and
// starts again. The game plays MiniGame5/rounds rounds.
//
// The picture set (LoadPicture) names each picture by its file name: "o_KEY" a piece as it looks,
// "c_KEY" the same piece seen through (same size; its line's place is not used), "b_R..." a
// cover drawn over the pieces of round R and later (R the round digit, 1 the first), at its
// place relative to the board. KEY starts with the piece's round: "1_suitcase" rides in the
// first round. Pieces run in screen coordinates (MiniGame5/fromY..toY, the scanner line at
// 400 - CUS/2).
class MG5 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 35;
    static constexpr int kMaxRounds = 8;
    static constexpr int kMaxObjects = 99;
    static constexpr int kMaxCovers = 8;
    // Pieces at this x or beyond have left the screen; they wait here.
    static constexpr double kParkedX = 1600;

    // One piece of luggage.
    struct Object
    {
        std::string key;
        std::unique_ptr<DDImage> image;
        // The see-through picture; a piece with one is suspicious.
        std::unique_ptr<MemoryImage> xrayImage;
        double x = 0;
        double y = 0;
        double speed = 0;
        int width = 0;
        int height = 0;
        // 0 on the belt, 0.01 .. 1 caught and fading, 1 caught (or let through, when missed).
        double found = 0;
        bool missed = false;

        bool Suspicious() const { return xrayImage != nullptr; }
        bool Left() const { return x >= 800; }
    };

    struct Cover
    {
        std::unique_ptr<DDImage> image;
        int x = 0; // relative to the board
        int y = 0;
    };

    struct Round
    {
        std::vector<Object> objects;
        std::vector<Cover> covers;
    };

    explicit MG5(GameApp& app);
    ~MG5() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines of no known
    // kind or round, pieces without their own picture and lines beyond the tables' sizes are
    // left out with a log line; a see-through picture of another size is fitted to its piece.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // The belt as it looks now: the round's pieces under the covers, in screen coordinates.
    void BuildSnapshot() override;
    void FreePictures() override;
    // A scene completes the round: it is won as if its pieces had all been caught.
    void CompleteRound() override;

    void OnPress(int x, int y, int clickCode) override;
    void Paint(Graphics& graphics) override;

    // The round a key belongs to ("3_keg" the third, 0-based 2); -1 when its start names none.
    static int RoundOfKey(const std::string& key);

    const std::vector<Round>& Rounds() const { return rounds; }
    // The rounds played: MiniGame5/rounds within 1..kMaxRounds.
    int RoundCount() const;
    // The catches that win round r: its configured count, at most the suspicious pieces in it.
    int RequiredCatches(int r) const;
    // The pieces of the present round caught so far.
    int CaughtCount() const;
    // Where the see-through view starts (screen x).
    int ScannerLine() const;
    double LightY() const { return lightY; }
    bool RoundChangeDue() const { return roundChangeDue; }

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void DropIncompleteObjects();
    void FitSeeThroughPictures();
    void PlaceObjects(int r);
    bool HasPieces() const;

    void MoveObjects(float step);
    void KeepApart();
    void AnimateCatches(float step);
    void CountMisses();
    void SweepLight(float step);
    void EndRoundWhenEmpty();
    void WinRound();
    void WrongMove();
    bool AcceptsClicks() const;

    double RoundSpeed(int r) const;
    double RoundSpread(int r) const;

    // The round's pieces under the covers of every round so far, with the board's corner at
    // (boardX, boardY) and the pieces' screen places moved with it.
    void PaintScene(Graphics& graphics, int boardX, int boardY) const;
    void PaintObject(Graphics& graphics, const Object& object, int dx, int dy) const;
    void PaintBlurred(Graphics& graphics, double blur);
    void PrepareBlur();

    std::vector<Round> rounds;
    // The belt itself ("u_" line): drawn under the luggage, so that what shows between the
    // pieces is the belt and not the desk beneath the page.
    Cover belt;
    bool roundChangeDue = false;
    double lightY = 0;
    // 1 sweeping down, -1 up, 2 and 3 counting down before the first sweep.
    int lightState = 3;

    // The page turn: the scene smeared, made again when the belt has moved.
    DifferencesBlur blur;
    std::unique_ptr<MemoryImage> blurScene;
    std::vector<int> blurMadeFor;
    bool blurMade = false;
};

} // namespace Vesk
