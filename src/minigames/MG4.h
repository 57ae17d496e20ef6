#pragma once

#include "framework/graphics/Rect.h"
#include "minigames/DifferencesBlur.h"
#include "minigames/MiniGame.h"

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{

class ButtonWidget;
class DDImage;
class MemoryImage;

// The arrangement check game: each round the player moves a set of pieces (jars on a bench)
// into their places in a drop area (a shelf) and presses Check. Every piece is then measured
// against its own place, one mark at a time: when none lies further than MiniGame4/normD and the
// average is within normSD the round is won (the next round's picture drops in over the solved
// one; the last round ends the page), otherwise the pieces travel back, a try is lost and the
// fail scene comments. Reset sends the pieces back for free. A piece is taken by a press on its
// click mask and follows the pointer until the next press, or until it is let go after a drag.
//
// The picture set (LoadPicture) names each picture by its file name, the third character being
// the round digit ('1' the first round): "b_r..." a background of round r (the first and second
// in file order are drawn; one whose fifth character is 'd' is the round's drop area),
// "i_r<key>" a piece at its home, "m_r<key>" where it belongs (its top-left corner is compared
// with the piece's) and "s_r<key>" its click mask, centred on the piece (green: takes the
// piece; red: takes it only when it was the last one taken). The extension does not count in
// the key.
class MG4 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 34;
    static constexpr int kCheckButtonId = 26;
    static constexpr int kResetButtonId = 27;
    static constexpr int kMaxRounds = 8;
    static constexpr int kMaxPieces = 32;
    static constexpr int kMaxBackgrounds = 8;
    // The round flash starts at full strength and fades by a fixed amount every update.
    static constexpr int kFlashStart = 255;
    static constexpr int kFlashFall = 3;

    // A background of a round at its place on the board.
    struct Picture
    {
        std::unique_ptr<DDImage> image;
        int x = 0;
        int y = 0;
    };

    // One piece of a round; every position is relative to the board.
    struct Piece
    {
        std::string key;
        std::unique_ptr<DDImage> image;
        int width = 0;
        int height = 0;
        int x = 0;
        int y = 0;
        int homeX = 0;
        int homeY = 0;
        bool hasTarget = false;
        int targetX = 0;
        int targetY = 0;
        // Null when the set has none: the piece's own picture is pressed instead.
        std::unique_ptr<DDImage> shapeImage;
        // 0 while the piece can be moved; 1 once its round is solved.
        double found = 0;
        // Travelling back home after a reset or a failed check.
        bool returning = false;
    };

    struct Round
    {
        std::vector<Picture> backgrounds; // file order, at most kMaxBackgrounds
        bool hasDropArea = false;
        Rect dropArea;
        std::vector<Piece> pieces;
    };

    // What the check under way leads to when its marks have been shown.
    enum class Outcome
    {
        None,
        NextRound,
        Restart,
        Done,
    };

    explicit MG4(GameApp& app);
    ~MG4() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines naming no
    // round or kind of picture, pieces past kMaxPieces and pieces without their picture or their
    // place are left out with a log line; the rounds played are MiniGame4/rounds (1..8), no more
    // than the set has pieces for.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // The play picture as it lies now (backgrounds and pieces, no marks), for the camera zoom.
    void BuildSnapshot() override;
    void FreePictures() override;
    // A scene asks for the round to be complete: its pieces go to their places and it is won.
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

    int RoundCount() const { return roundCount; }
    const Round& CurrentRound() const { return rounds[size_t(round)]; }
    const Round& RoundAt(int index) const { return rounds[size_t(index)]; }
    // The pieces a check measures: the round's first MiniGame4/items(round) pieces, no more than
    // it has (all of them when the key is missing).
    int PiecesToCheck() const;
    // The piece lies within normD of its place.
    bool WithinReach(const Piece& piece) const;
    // What a check of the present arrangement would lead to.
    Outcome Judge() const;
    // A check's marks are being shown (pieces and buttons are locked meanwhile).
    bool Checking() const { return outcome != Outcome::None; }
    // The piece whose mark shows now (-1 none) and how strong the mark is (1 .. 0).
    int MarkedPiece() const;
    double MarkStrength() const;

    Outcome outcome = Outcome::None;
    // Step units of the check's marks still to show.
    double checkTime = 0;
    int roundFlash = 0;
    // The piece taken last: its mask's red rim takes it too.
    int lastTaken = -1;
    std::unique_ptr<ButtonWidget> checkButton;
    std::unique_ptr<ButtonWidget> resetButton;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool OwnsCursor() const override { return true; }
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void DropIncompletePieces();
    void CountPlayableRounds(const std::string& dir);
    void ResetPieces();

    bool AcceptsInput() const;
    void Check();
    void Reset();
    void SendPiecesHome();
    void StepCheck(float step);
    void FinishCheck();
    void NextRound();
    void ReturnPieces(float step);
    void SetGameCursor();

    Piece* HeldPiece();
    bool MaskHits(Piece& piece, bool takenLast, int boardX, int boardY) const;
    void MoveHeldPiece(int x, int y);

    void PaintScene(Graphics& graphics, int originX, int originY, int flash);
    void PaintPieces(Graphics& graphics, int originX, int originY);
    void PaintMark(Graphics& graphics);
    void PaintBlurred(Graphics& graphics, double blur);
    void PaintGameButtons(Graphics& graphics);
    // Makes the smeared pictures of the present look, unless they already show it.
    void PrepareBlur();
    std::vector<std::pair<int, int>> BlurLayout() const;

    Round& Current() { return rounds[size_t(round)]; }
    std::unique_ptr<ButtonWidget> MakeButton(int id, Image* normal, Image* down, int x, int y);

    std::array<Round, kMaxRounds> rounds;
    int roundCount = 0;
    bool roundChangeDue = false;
    int shownMark = -1;

    // The page-turn blur: everything but the present round's pieces in one picture, smeared
    // with the pieces; made again when the round or the pieces' places have changed.
    DifferencesBlur blur;
    std::unique_ptr<MemoryImage> blurScene;
    std::vector<std::pair<int, int>> blurMadeFor;
    bool blurMade = false;
};

} // namespace Vesk
