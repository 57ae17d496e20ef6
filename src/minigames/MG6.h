#pragma once

#include "minigames/DifferencesBlur.h"
#include "minigames/MiniGame.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;

// The differences game: two versions of a picture side by side, each difference a pair of
// small patches, one over the left picture and one over the right. A click on either patch
// finds the difference and marks both. Misclicks on the picture in a row lock the pointer out
// for a moment, as on the hidden-object board; there are no tries and no failure. A round ends
// when its share of differences is found (MiniGame6/items1..8), the last one ends the page.
//
// The set's picture.cfg names its pictures: "b_..." the background of every round,
// "p_<round digit>..." an extra picture of a round (its windows), "l_<round digit><key>" and
// "r_<round digit><key>" the left and right patch of one difference (round digit '1' is the
// first round; the key is the name from its third character on).
class MG6 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 36;
    static constexpr int kMaxRounds = 8;
    static constexpr int kMaxDifferences = 64;
    static constexpr int kMaxExtras = 9;

    // One picture of the set at its place on the board (board coordinates).
    struct Picture
    {
        std::unique_ptr<DDImage> image;
        int x = 0;
        int y = 0;
    };

    struct Difference
    {
        std::string key;
        Picture left;
        Picture right;
        // 0 unfound; from 0.01 the find's outline plays until 1.
        double found = 0;
    };

    struct Round
    {
        std::vector<Difference> differences;
        std::vector<Picture> extras;
    };

    explicit MG6(GameApp& app);
    ~MG6() override;

    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    void FreePictures() override;
    void CompleteRound() override;

    void SetShown(bool show) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerDrag(int x, int y) override;
    void OnRelease(int x, int y, int clickCode) override;

    // The rounds played (MiniGame6/rounds, 1..8, no more than the set has rounds for).
    int RoundCount() const { return roundCount; }
    // The differences of the present round that end it: MiniGame6/items of the round, no more
    // than the round has (all of them when the key is missing).
    int RequiredFinds() const;
    // The present round's differences still to find (the counter's number).
    int DifferencesLeft() const;
    const Round& CurrentRound() const { return rounds[size_t(round)]; }
    const Round& RoundAt(int index) const { return rounds[size_t(index)]; }
    Image* Background() const;
    bool LockedOut() const { return penaltyTime > 0; }

    int missCount = 0;
    double penaltyTime = 0;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool OwnsCursor() const override { return penaltyTime > 0; }
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const std::string& fileName, int x, int y);
    void AddPatch(int roundIndex, bool left, const std::string& fileName, Picture picture);
    void DropUnplayableDifferences();

    void ChangeRoundIfDue();
    void FillInFinds(float step);
    void EndRoundIfComplete();
    void CountDownLockOut(float step);
    void EndLockOut();
    void MarkRoundFound();

    void PaintPicture(Graphics& graphics);
    // Makes the page turn's layers of the present round unless they are made.
    void PrepareBlur();
    void PaintBlurredPicture(Graphics& graphics, double blur);
    void PaintOutline(Graphics& graphics, const Picture& patch, double found);
    void PaintCounter(Graphics& graphics);
    void PaintLockOut(Graphics& graphics);

    Picture background;
    std::array<Round, kMaxRounds> rounds;
    int roundCount = 1;
    bool roundChangeDue = false;
    int pointerX = 0;
    int pointerY = 0;
    // The smeared layers of the round the blur was last prepared for (-1 none).
    DifferencesBlur blur;
    int blurRound = -1;
};

} // namespace Vesk
